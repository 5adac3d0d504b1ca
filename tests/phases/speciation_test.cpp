#include "phases/speciation.h"

#include <gtest/gtest.h>

#include "phases/fluid.h"

namespace morva {
namespace {

TEST(SinglePhaseSpeciation, AllGasDissolved) {
  const test::sampled_water s = test::dilute_water();
  solver_log log;
  const auto [ah, ah0, ionic, v, m, sp, b] = phase1(s.m, s.c, s.a, 523.15, s.ah, s.ionic, log);

  EXPECT_EQ(v, gas_vector{});
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(m[i], s.c[i] / b[i]) << i;
  EXPECT_GT(b[comp::co2], 1.0);  // some carbonate is ionised
  // Converged solver: every solution settled, ionic strength of the returned species, and the
  // proton balance of the sample kept to within the pH step limit (about 0.1 %).
  EXPECT_EQ(log.ph_first, ph_outcome::solved);
  EXPECT_EQ(log.ph_later, ph_outcome::solved);
  EXPECT_TRUE(log.mass_balance.converged);
  EXPECT_EQ(log.unconverged, 0);
  EXPECT_NEAR(ionic, strion(sp), 1e-3 * ionic);
  EXPECT_NEAR(proton_balance(sp), s.a, 1e-3 * std::abs(s.a));
  EXPECT_NEAR(ah0, ah, 3e-3 * ah);  // the last pass started where it ended
}

TEST(TwoPhaseSpeciation, GasesSharedBetweenSteamAndWater) {
  const test::sampled_water s = test::dilute_water();
  const double y = 0.1;
  const double t = 473.15;
  component_vector cl;
  for (int i = 8; i <= 18; ++i) cl[i] = s.c[i] / (1.0 - y);
  const component_vector cl_given = cl;
  solver_log log;
  const boiled_solution r = phase2(s.m, s.c, cl, s.a, t, s.ionic, y, s.ah, 1.0, log);
  cl = r.cl;
  const double ah = r.fluid.ah;
  const gas_vector& v = r.fluid.v;
  const gas_vector& m = r.fluid.m;
  const gas_vector& b = r.fluid.b;

  // Every gas is accounted for by steam and water to the tolerance of the distribution.
  for (int i = 1; i <= 7; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(y * v[i] + (1.0 - y) * b[i] * m[i], s.c[i], 1e-3 * s.c[i]);
    EXPECT_EQ(cl[i], m[i] * b[i]);
  }
  for (int i = 8; i <= 18; ++i) EXPECT_EQ(cl[i], cl_given[i]) << i;
  // Most of the CO2 goes to the steam, and the liquid loses acidity: the pH rises above that
  // of the same fluid kept liquid.
  EXPECT_GT(y * v[comp::co2], 0.5 * s.c[comp::co2]);
  const double ah_liquid = phase1(s.m, s.c, s.a, t, s.ah, s.ionic, log).ah;
  EXPECT_LT(ah, ah_liquid);
}

}  // namespace
}  // namespace morva
