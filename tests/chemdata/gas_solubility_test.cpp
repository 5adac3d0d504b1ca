#include "chemdata/gas_solubility.h"

#include <gtest/gtest.h>

#include <cmath>

#include "chemdata/indexed.h"

namespace morva {

TEST(HenryConstants, MatchWorkedValues) {
  // log10 KH, mol/(kg bar), quoted to two decimals; tolerance half a unit of the last digit.
  struct point { int k; double t_c, log_kh; };
  for (const point& p : {point{comp::co2, 25.0, -1.48}, point{comp::h2s, 25.0, -1.00},
                         point{comp::nh3, 25.0, 1.66}, point{comp::h2, 25.0, -3.11},
                         point{comp::o2, 25.0, -2.90}, point{comp::ch4, 25.0, -2.86},
                         point{comp::n2, 25.0, -3.19}, point{comp::co2, 300.0, -1.78},
                         point{comp::h2s, 300.0, -1.42}, point{comp::nh3, 300.0, -0.64},
                         point{comp::co2, 100.0, -1.96}}) {
    SCOPED_TRACE(testing::Message() << "gas " << p.k << " at " << p.t_c);
    EXPECT_NEAR(henryk(p.k, p.t_c + 273.15), p.log_kh, 0.005);
  }
}

TEST(HenryConstants, CarbonDioxideHasASolubilityMinimum) {
  // Solubility falls from 25 °C, passes a minimum, and rises again toward 300 °C.
  double lowest = 0.0, t_lowest = 0.0;
  for (double t = 298.15; t <= 573.15; t += 1.0) {
    if (henryk(comp::co2, t) < lowest) lowest = henryk(comp::co2, t), t_lowest = t;
  }
  EXPECT_GT(t_lowest, 298.15 + 1.0);
  EXPECT_LT(t_lowest, 573.15 - 1.0);
}

TEST(HenryConstants, AmmoniaCarriesItsDielectricTerm) {
  // The fitted polynomial alone gives about +27.8 at 25 °C; the whole constant is near 1.66,
  // so the extra term (about -26.1) must be there.
  EXPECT_NEAR(henryk(comp::nh3, 298.15) - (26.472 + 390.9 / 298.15), -26.1, 0.05);
}

TEST(HenryConstants, FiniteAcrossTheLiquidRange) {
  for (int k = 1; k <= gas_vector::size; ++k)
    for (double t = 273.15; t <= 647.0; t += 2.0)
      EXPECT_TRUE(std::isfinite(henryk(k, t))) << k << " at " << t;
}

}  // namespace morva
