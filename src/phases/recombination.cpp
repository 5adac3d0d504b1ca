#include "phases/recombination.h"

#include "chemdata/activity.h"
#include "morva/tables.h"
#include "phases/gas_distribution.h"
#include "solver/factors.h"
#include "solver/mass_balance.h"
#include "solver/ph.h"

namespace morva {

spring_steam springs(const component_vector& cw, species_vector sp, double a, double tb, double ah0,
                     double y, double f, solver_log& log) {
  constexpr int passes = 2;

  // The sampled water is treated as a single liquid by the pH solver.
  gas_factors g;
  g.fill(1.0);
  component_vector cs;
  cs.fill(0.0);

  double ionic = strion(sp);
  double ah = ah0;
  solver_factors fac = make_factors(tb, ionic);  // at Tb and the ionic strength of the pass
  for (int pass = 1; pass <= passes; ++pass) {
    ah = phcalc(sp, cw, a, g, fac, ah0, y).ah;  // the spring water's pH outcome is not reported
    const mass_balance_solution mb = masbal(cw, ah, fac, sp);
    log.note(mb.outcome);
    sp = spemol(mb.x, ah, fac);
    ionic = strion(sp);
    change_ionic_strength(ionic, fac);
  }

  const gas_vector b = bcoeff(sp, ah, fac);
  gas_vector m;
  for (int i = 1; i <= gas_vector::size; ++i) m[i] = cw[i] / b[i];

  const gas_vector v = vapors(m, tb, f);
  for (int i = 1; i <= gas_vector::size; ++i) cs[i] = v[i];
  return {sp, ionic, cs};
}

recombined conflo(const component_vector& cw, const component_vector& cs, const species_vector& sp,
                  double a, double tds, double ys, double ys_old, double ya, double ya_old) {
  recombined r;
  for (int i = 1; i <= component_vector::size; ++i) {
    r.cd[i] = (1.0 - ys) * cw[i] + ys * cs[i];
    r.cl[i] = r.cd[i] / (1.0 - ya);
  }
  r.a_d = (1.0 - ys) * a;
  r.tds_d = (1.0 - ys) * tds;
  // The species were solved per kg of the liquid of the old recombination; bring them to the
  // liquid of the new one.
  for (int j = 1; j <= species_vector::size; ++j)
    r.est[j] = (1.0 - ys) * (1.0 - ya_old) * sp[j] / ((1.0 - ys_old) * (1.0 - ya));
  return r;
}

phase_compositions aquife(const gas_vector& v, const gas_vector& m, const component_vector& cd,
                          double tds_d, const gas_vector& b, double y) {
  phase_compositions r;
  for (int i = 1; i <= gas_vector::size; ++i) {
    r.steam_mgkg[i] = w(i) * v[i];
    r.liquid_mgkg[i] = w(i) * b[i] * m[i];
  }
  for (int i = gas_vector::size + 1; i <= component_vector::size; ++i)
    r.liquid_mgkg[i] = w(i) * cd[i] / (1.0 - y);
  r.tds_liquid = tds_d / (1.0 - y);
  return r;
}

}  // namespace morva
