#include "derived/ion_balance.h"

#include <gtest/gtest.h>

#include "chemdata/names.h"

namespace morva {

TEST(IonBalance, EveryChargedSpeciesCountsByItsCharge) {
  // One species at a time: its equivalents land on the side and with the weight of its charge.
  for (int i = 1; i <= species_vector::size; ++i) {
    species_vector m;
    m[i] = 1e-3;
    const auto [cations, anions, diff] = balion(m);
    const double z = species_charge[i];
    EXPECT_DOUBLE_EQ(cations, z > 0 ? z * 1e-3 : 0.0) << spenam(i);
    EXPECT_DOUBLE_EQ(anions, z < 0 ? -z * 1e-3 : 0.0) << spenam(i);
    EXPECT_EQ(diff, z > 0 ? 200.0 : z < 0 ? -200.0 : 0.0) << spenam(i);
  }
}

TEST(IonBalance, MatchesWorkedCases) {
  // 0.011 mol-eq/kg of cations against 0.009 of anions: 20 % cation excess (to 0.01 %).
  species_vector m;
  m[sp::na] = 0.011;
  m[sp::cl] = 0.009;
  EXPECT_NEAR(balion(m).difference_pct, 20.0, 5e-3);
  // 0.001 mol/kg AlF6--- adds three equivalents per mole to the anions.
  m[sp::alf6] = 0.001;
  EXPECT_DOUBLE_EQ(balion(m).anions, 0.012);
  // Equal sums, with complexes of either sign and a neutral one, balance to 0.
  m[sp::ca] = 0.0005;
  m[sp::naso4] = 0.0015;
  m[sp::fe3] = 0.0005;
  m[sp::nacl] = 0.004;
  const ion_balance b = balion(m);
  EXPECT_DOUBLE_EQ(b.cations, b.anions);
  EXPECT_NEAR(b.difference_pct, 0.0, 1e-10);
}

TEST(IonBalance, EmptyDistributionIsBalanced) {
  const ion_balance b = balion(species_vector{});
  EXPECT_EQ(b.anions, 0.0);
  EXPECT_EQ(b.cations, 0.0);
  EXPECT_EQ(b.difference_pct, 0.0);
}

}  // namespace morva
