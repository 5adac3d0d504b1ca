#include "phases/speciation.h"

#include <gtest/gtest.h>

#include "phases/fluid.h"

namespace morva {
namespace {

TEST(SinglePhaseSpeciation, AllGasDissolved) {
  const test::sampled_water s = test::dilute_water();
  double ah0 = s.ah;
  double ionic = s.ionic;
  double ah = 0.0;
  gas_vector v({1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0});
  gas_vector m;
  gas_vector b;
  species_vector sp;
  solver_log log;
  phase1(s.m, s.c, s.a, 523.15, ah0, ionic, ah, v, m, sp, b, log);

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
  double ah0 = s.ah;
  double ionic = s.ionic;
  double ah = 0.0;
  gas_vector v;
  gas_vector m;
  gas_vector b;
  species_vector sp;
  solver_log log;
  phase2(s.m, s.c, cl, s.a, t, ionic, y, ah0, 1.0, ah, v, m, sp, b, log);

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
  double ah0_liquid = s.ah;
  double ionic_liquid = s.ionic;
  double ah_liquid = 0.0;
  gas_vector v1;
  gas_vector m1;
  gas_vector b1;
  species_vector sp1;
  phase1(s.m, s.c, s.a, t, ah0_liquid, ionic_liquid, ah_liquid, v1, m1, sp1, b1, log);
  EXPECT_LT(ah, ah_liquid);
}

}  // namespace
}  // namespace morva
