#include "chemdata/gas_solubility.h"

#include <gtest/gtest.h>

#include <cmath>

#include "morva/indexed.h"

namespace morva {

TEST(HenryConstants, MatchWorkedValues) {
  // log10 KH, mol/(kg bar), quoted to two decimals; tolerance half a unit of the last digit.
  struct point {
    int k;
    double t_c, log_kh;
  };
  for (const point& p :
       {point{comp::co2, 25.0, -1.48}, point{comp::h2s, 25.0, -1.00}, point{comp::nh3, 25.0, 1.66},
        point{comp::h2, 25.0, -3.11}, point{comp::o2, 25.0, -2.90}, point{comp::ch4, 25.0, -2.86},
        point{comp::n2, 25.0, -3.19}, point{comp::co2, 300.0, -1.78},
        point{comp::h2s, 300.0, -1.42}, point{comp::nh3, 300.0, -0.64},
        point{comp::co2, 100.0, -1.96}}) {  // CO2: least soluble near here
    SCOPED_TRACE(testing::Message() << "gas " << p.k << " at " << p.t_c);
    EXPECT_NEAR(henryk(p.k, p.t_c + 273.15), p.log_kh, 0.005);
  }
}

TEST(HenryConstants, FiniteAcrossTheLiquidRange) {
  for (int k = 1; k <= gas_vector::size; ++k)
    for (double t = 273.15; t <= 647.0; t += 2.0)
      EXPECT_TRUE(std::isfinite(henryk(k, t))) << k << " at " << t;
}

}  // namespace morva
