#include "solver/redox.h"

#include <gtest/gtest.h>

#include <cmath>

#include "chemdata/activity.h"
#include "chemdata/gas_solubility.h"
#include "chemdata/units.h"

namespace morva {
namespace {

TEST(RedoxRatio, EquilibriumConstantFollowsTemperature) {
  // At aH = 1, m(SO4--) = 1, ideal activities and an H2S molality that gives P(H2S) = 1 bar,
  // the ratio is 1/K_r. Reference log10 K_r to two decimals: tolerance half the last digit.
  struct point {
    double t_c, log_kr;
  };
  for (const point& pt :
       {point{25.0, 7.78}, point{100.0, 7.50}, point{200.0, 7.05}, point{300.0, 6.73}}) {
    SCOPED_TRACE(pt.t_c);
    const double t = pt.t_c + zero_celsius_k;
    const double m_h2s = std::pow(10.0, henryk(2, t));
    EXPECT_NEAR(-std::log10(redox(m_h2s, 1.0, 1.0, t, 0.0)), pt.log_kr, 0.005);
  }
}

TEST(RedoxRatio, FollowsTheStoichiometryAndActivities) {
  // Fe+++ + 1/8 H2S + 1/2 H2O = Fe++ + 1/8 SO4-- + 5/4 H+: the ratio goes as aH^(5/4),
  // m(SO4--)^(1/8) and m(H2S)^(-1/8); the ionic strength multiplies the molality ratio by
  // g(Fe++) g(SO4--)^(1/8) / g(Fe+++), above 1. Same-formula checks, relative 1e-12.
  const double t = 473.15, ionic = 0.5;
  const double rho = redox(1e-4, 1e-3, 1e-6, t, ionic);
  EXPECT_NEAR(redox(1e-4, 1e-3, 1e-5, t, ionic) / rho, std::pow(10.0, 1.25), 1e-12 * 17.8);
  EXPECT_NEAR(redox(1e-4, 256e-3, 1e-6, t, ionic) / rho, 2.0, 2e-12);
  EXPECT_NEAR(redox(256e-4, 1e-3, 1e-6, t, ionic) / rho, 0.5, 1e-12);
  const double activity =
      gamma(39, t, ionic) * std::pow(gamma(17, t, ionic), 0.125) / gamma(40, t, ionic);
  EXPECT_NEAR(rho / redox(1e-4, 1e-3, 1e-6, t, 0.0), activity, 1e-12 * activity);
  EXPECT_GT(activity, 1.0);
}

}  // namespace
}  // namespace morva
