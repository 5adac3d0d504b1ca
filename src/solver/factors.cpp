#include "solver/factors.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "chemdata/activity.h"
#include "chemdata/equilibrium_constants.h"
#include "chemdata/gas_solubility.h"
#include "solver/redox.h"

namespace morva {

namespace {

/// The activity coefficients, reaction factors and SO4-- term of f at ionic strength I (mol/kg).
void set_ionic_strength(double ionic, solver_factors& f) {
  f.ionic = ionic;
  f.gamma = gamma_all(f.dh, ionic);
  f.r = recdis_all(f.k, f.gamma);
  f.gamma17_eighth = std::pow(f.gamma[sp::so4], 0.125);
}

}  // namespace

solver_temperature make_solver_temperature(double t) {
  solver_temperature tt;
  tt.t = t;
  tt.k = discon_all(t);
  tt.kr = redox_constant(t);
  // H2S enters the redox ratio as a gas: its Henry constant turns molality into pressure.
  tt.h2s_pressure = std::pow(10.0, -henryk(comp::h2s, t));
  tt.dh = debye_huckel_at(t);
  return tt;
}

solver_factors make_factors(double t, double ionic) {
  return make_factors(make_solver_temperature(t), ionic);
}

solver_factors make_factors(const solver_temperature& tt, double ionic) {
  solver_factors f;
  f.t = tt.t;
  f.k = tt.k;
  f.kr = tt.kr;
  f.h2s_pressure = tt.h2s_pressure;
  f.dh = tt.dh;
  set_ionic_strength(ionic, f);
  return f;
}

void change_ionic_strength(double ionic, solver_factors& f) {
  // The passes of a speciation often settle on an ionic strength to the last bit: the same
  // bits give the same coefficients, so they are kept (a sign of zero counts as a difference).
  if (std::bit_cast<std::uint64_t>(ionic) == std::bit_cast<std::uint64_t>(f.ionic)) return;
  set_ionic_strength(ionic, f);
}

}  // namespace morva
