// Faults found by running generated and extreme waters through the program, one regression
// test each.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "chemdata/indexed.h"
#include "solver/mass_balance.h"

namespace morva {
namespace {

TEST(MassBalanceFaults, ABasisSpeciesFarBelowOneInTenToThe30IsStillSolved) {
  // A hot alkaline water holds its aluminium as Al(OH)4-; the free Al+++ that carries the
  // aluminium balance is near 1e-36 mol/kg at 370 °C and pH 9.4. A cooling or boiling step
  // starts from the species of the step before, where Al+++ may be smaller still. Its
  // convergence test must stay relative at that size, or the first sweep already counts as
  // converged while the aluminium species add up to half the total.
  component_vector c;
  c[comp::na] = 2e-3;
  c[comp::cl] = 1.5e-3;
  c[comp::so4] = 2.5e-4;
  c[comp::sio2] = 1e-3;
  c[comp::f] = 2e-5;
  c[comp::al] = 1e-7;
  const double t = 373.85 + 273.15;
  const double ah = 4.5e-10;
  const double ionic = 8.8e-3;
  species_vector est;
  setini(c, est);
  est[sp::al] = 5e-37;  // the estimate a previous state left
  species_vector x;
  species_vector m;
  std::string msg;
  std::ostringstream term;
  masbal(c, ah, t, ionic, est, x, msg, term);
  spemol(x, ah, t, ionic, m);
  EXPECT_EQ(term.str(), "");
  ASSERT_LT(m[sp::al], 1e-30);  // the case in point: a free ion below the old guard
  double al = 0.0;
  for (int i = 57; i <= 69; ++i) al += m[i];
  // Each basis value is settled to 1e-6 relative; the sum over 13 species a few times that.
  EXPECT_NEAR(al / c[comp::al], 1.0, 1e-5);
}

}  // namespace
}  // namespace morva
