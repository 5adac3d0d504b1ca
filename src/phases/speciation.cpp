#include "phases/speciation.h"

#include <cmath>

#include "chemdata/activity.h"
#include "chemdata/gas_solubility.h"
#include "chemdata/units.h"
#include "phases/gas_distribution.h"
#include "solver/factors.h"
#include "solver/mass_balance.h"
#include "steam/saturation.h"

namespace morva {

phase_solution phase1(const species_vector& est, const component_vector& c, double a, double t,
                      double ah0, double ionic, solver_log& log) {
  return phase1(est, c, a, make_solver_temperature(t), ah0, ionic, log);
}

phase_solution phase1(const species_vector& est, const component_vector& c, double a,
                      const solver_temperature& tt, double ah0, double ionic, solver_log& log) {
  constexpr int passes = 5;  // ionic-strength passes after the first solution; no test
  constexpr double y = 0.0;  // no steam: every gas is dissolved

  phase_solution r;
  double& ah = r.ah;
  species_vector& sp = r.sp;
  gas_factors g;
  g.fill(1.0);
  // Every solver call of a pass sees the same temperature and ionic strength.
  solver_factors fac = make_factors(tt, ionic);

  const ph_solution first = phcalc(est, c, a, g, fac, ah0, y);
  ah = first.ah;
  log.ph_first = first.outcome;
  const mass_balance_solution mb = masbal(c, ah, fac, est);
  log.note(mb.outcome);
  sp = spemol(mb.x, ah, fac);

  for (int pass = 1; pass <= passes; ++pass) {
    ah0 = ah;
    ionic = strion(sp);
    change_ionic_strength(ionic, fac);
    const ph_solution later = phcalc(sp, c, a, g, fac, ah0, y);
    ah = later.ah;
    log.ph_later = later.outcome;
    const mass_balance_solution mb_pass = masbal(c, ah, fac, sp);
    log.note(mb_pass.outcome);
    sp = spemol(mb_pass.x, ah, fac);
  }

  r.b = bcoeff(sp, ah, fac);
  for (int i = 1; i <= gas_vector::size; ++i) {
    r.v[i] = 0.0;
    r.m[i] = c[i] / r.b[i];
  }
  r.ah0 = ah0;
  r.ionic = ionic;
  return r;
}

boiled_solution phase2(const species_vector& est, const component_vector& c, component_vector cl,
                       double a, double t, double ionic, double y, double ah0, double f,
                       solver_log& log) {
  constexpr int passes = 6;  // passes after the first solution; no convergence test
  constexpr double epp = 1e-30;

  phase_solution r;
  double& ah = r.ah;
  gas_vector& v = r.v;
  gas_vector& m = r.m;
  species_vector& sp = r.sp;
  gas_vector& b = r.b;

  gas_vector tot;  // gases per kg of the whole fluid
  for (int i = 1; i <= gas_vector::size; ++i) tot[i] = c[i];

  // First gas factors from Henry's law alone, as if all of each acid gas were molecular:
  // 1 plus the amount the steam holds per amount left in the water.
  const double w = psat(t);
  gas_factors g;
  for (int i = 1; i <= gas_factors::size; ++i)
    g[i] = 1.0 + water_mol_per_kg_henry * y * f * std::pow(10.0, -henryk(i, t)) / ((1.0 - y) * w);

  // Every solver call of a pass sees the same temperature and ionic strength, and every gas
  // distribution the same temperature.
  solver_factors fac = make_factors(t, ionic);
  const gas_vector d = distribution_coefficients(t, f);

  const ph_solution first = phcalc(est, c, a, g, fac, ah0, y);
  ah = first.ah;
  log.ph_first = first.outcome;
  b = bcoeff(est, ah, fac);

  // The first distribution starts with every gas in the steam.
  gas_vector vstart;
  gas_vector mstart;
  for (int i = 1; i <= gas_vector::size; ++i) {
    vstart[i] = tot[i] / y;
    mstart[i] = 0.0;
  }
  const gas_split split = gasdis(vstart, mstart, b, tot, d, y);
  v = split.v;
  m = split.m;

  for (int i = 1; i <= gas_vector::size; ++i) cl[i] = m[i] * b[i];
  const mass_balance_solution mb = masbal(cl, ah, fac, est);
  log.note(mb.outcome);
  sp = spemol(mb.x, ah, fac);

  for (int pass = 1; pass <= passes; ++pass) {
    ah0 = ah;
    ionic = strion(sp);
    change_ionic_strength(ionic, fac);
    // The share of CO2, H2S and NH3 held by the steam enters the proton balance through
    // these factors.
    for (int i = 1; i <= gas_factors::size; ++i)
      g[i] = m[i] > epp ? y * v[i] / ((1.0 - y) * m[i]) + 1.0 : 1.0;
    const ph_solution later = phcalc(sp, c, a, g, fac, ah0, y);
    ah = later.ah;
    log.ph_later = later.outcome;
    b = bcoeff(sp, ah, fac);
    const gas_split resplit = gasdis(v, m, b, tot, d, y);
    v = resplit.v;
    m = resplit.m;
    for (int i = 1; i <= gas_vector::size; ++i) cl[i] = m[i] * b[i];
    const mass_balance_solution mb_pass = masbal(cl, ah, fac, sp);
    log.note(mb_pass.outcome);
    sp = spemol(mb_pass.x, ah, fac);
  }
  r.ah0 = ah0;
  r.ionic = ionic;
  return {r, cl};
}

}  // namespace morva
