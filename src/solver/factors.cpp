#include "solver/factors.h"

#include <cmath>

#include "chemdata/activity.h"
#include "chemdata/equilibrium_constants.h"
#include "chemdata/gas_solubility.h"
#include "solver/redox.h"

namespace morva {

solver_factors make_factors(double t, double ionic) {
  solver_factors f;
  f.t = t;
  f.k = discon_all(t);
  f.kr = redox_constant(t);
  // H2S enters the redox ratio as a gas: its Henry constant turns molality into pressure.
  f.h2s_pressure = std::pow(10.0, -henryk(comp::h2s, t));
  change_ionic_strength(ionic, f);
  return f;
}

void change_ionic_strength(double ionic, solver_factors& f) {
  f.ionic = ionic;
  f.gamma = gamma_all(f.t, ionic);
  f.r = recdis_all(f.k, f.gamma);
  f.gamma17_eighth = std::pow(f.gamma[sp::so4], 0.125);
}

}  // namespace morva
