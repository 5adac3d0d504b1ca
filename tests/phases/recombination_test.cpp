#include "phases/recombination.h"

#include <gtest/gtest.h>

#include "morva/tables.h"
#include "phases/fluid.h"

namespace morva {
namespace {

component_vector ramp(double scale) {
  component_vector c;
  for (int i = 1; i <= 18; ++i) c[i] = scale * i;
  return c;
}

TEST(Recombination, WithoutSteamTheWaterIsTheAquiferFluid) {
  const component_vector cw = ramp(1e-3);
  species_vector sp;
  for (int j = 1; j <= 69; ++j) sp[j] = 1e-4 * j;
  const auto [cd, cl, est, a_d, tds_d] =
      conflo(cw, ramp(0.5), sp, 0.003, 1500.0, 0.0, 0.0, 0.0, 0.0);
  EXPECT_TRUE(cd == cw && cl == cw && est == sp);
  EXPECT_EQ(a_d, 0.003);
  EXPECT_EQ(tds_d, 1500.0);
}

TEST(Recombination, MixesWaterAndSteamIntoTheAquiferLiquid) {
  component_vector cw;
  cw[comp::cl] = 0.01;  // only in the water
  component_vector cs;
  cs[comp::co2] = 0.5;  // only in the steam
  species_vector sp;
  sp[sp::cl] = 0.01;
  const auto [cd, cl, est, a_d, tds_d] = conflo(cw, cs, sp, 0.002, 1000.0, 0.2, 0.0, 0.05, 0.0);
  EXPECT_NEAR(cd[comp::cl], 0.008, 1e-15);
  EXPECT_NEAR(cd[comp::co2], 0.1, 1e-15);
  EXPECT_NEAR(a_d, 0.0016, 1e-15);
  // Species rescaled to the new aquifer liquid: Cl- still matches its liquid total, and so
  // the aquifer-phase compositions in mg/kg carry the same chloride.
  EXPECT_NEAR(est[sp::cl], cl[comp::cl], 1e-15);
  const auto [steam, liquid, tds] = aquife(gas_vector{}, gas_vector{}, cd, tds_d,
                                           gas_vector({1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0}), 0.05);
  EXPECT_NEAR(liquid[comp::cl], w(comp::cl) * cl[comp::cl], 1e-12);
  EXPECT_NEAR(tds, 800.0 / 0.95, 1e-9);

  // Recombining again with unchanged fractions leaves solved species as they are.
  const species_vector est2 = conflo(cw, cs, est, 0.002, 1000.0, 0.2, 0.2, 0.05, 0.05).est;
  EXPECT_NEAR(est2[sp::cl], est[sp::cl], 1e-15);
}

TEST(BoilingSpring, SteamCarriesOnlyGasesAndDegassingLimitsIt) {
  const double tb = 373.15;
  solver_log log;
  test::sampled_water s = test::dilute_water();
  const species_vector sampled = s.m;
  const spring_steam eq = springs(s.c, s.m, s.a, tb, s.ah, 0.0, 1.0, log);
  s.m = eq.sp;
  s.ionic = eq.ionic;
  const component_vector& cs_eq = eq.cs;
  EXPECT_NE(s.m, sampled);  // replaced by the water at the boiling temperature
  EXPECT_EQ(s.ionic, strion(s.m));
  EXPECT_EQ(log.unconverged, 0);

  s = test::dilute_water();
  const component_vector cs_slow = springs(s.c, s.m, s.a, tb, s.ah, 0.0, 0.01, log).cs;
  for (int i = 1; i <= 7; ++i) {
    SCOPED_TRACE(i);
    if (s.c[i] > 0.0) {
      EXPECT_GT(cs_eq[i], 0.0);
      EXPECT_LT(cs_slow[i], 0.05 * cs_eq[i]);
    } else {
      EXPECT_EQ(cs_eq[i], 0.0);
    }
  }
  for (int i = 8; i <= 18; ++i) EXPECT_EQ(cs_eq[i], 0.0) << i;
}

}  // namespace
}  // namespace morva
