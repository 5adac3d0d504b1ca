#include "solver/redox.h"

#include <gtest/gtest.h>

#include <cmath>

#include "chemdata/activity.h"
#include "chemdata/gas_solubility.h"
#include "chemdata/units.h"
#include "solver/factors.h"

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

TEST(RedoxRatio, TermsOfOneMassBalanceGiveTheSameBits) {
  // A mass balance takes the powers of aH and of the H2S pressure once and only that of the
  // sulfate each sweep: the ratio must be the one redox() gives, to the last bit, and 0
  // without H2S or sulfate as there.
  constexpr double epp = 1e-30;
  struct state {
    double t, ionic, m_h2s, m_so4, ah;
  };
  for (const state& c :
       {state{298.15, 0.0, 1e-4, 1e-3, 1e-7}, state{373.15, 0.02, 3e-6, 2e-4, 2e-6},
        state{523.15, 0.3, 1e-3, 5e-5, 3e-6}, state{623.15, 1.1, 2e-8, 1e-2, 1e-9},
        state{473.15, 0.1, 0.0, 1e-3, 1e-6}, state{473.15, 0.1, 1e-4, 0.0, 1e-6}}) {
    SCOPED_TRACE(c.t);
    const solver_factors f = make_factors(c.t, c.ionic);
    const double expected =
        c.m_h2s <= epp || c.m_so4 <= epp ? 0.0 : redox(c.m_h2s, c.m_so4, c.ah, f);
    EXPECT_EQ(redox(redox_terms_at(c.m_h2s, c.ah, f, epp), c.m_so4, epp), expected);
    if (expected != 0.0) {
      EXPECT_EQ(expected, redox(c.m_h2s, c.m_so4, c.ah, c.t, c.ionic));
    }
  }
}

TEST(SolverFactors, TemperatureTermsAndRepeatedIonicStrengthGiveTheSameBits) {
  // Factors made from a temperature's terms computed beforehand, and factors brought to an
  // ionic strength they already have (kept, not evaluated again), equal factors made afresh.
  const auto same = [](const solver_factors& a, const solver_factors& b) {
    EXPECT_EQ(a.t, b.t);
    EXPECT_EQ(a.ionic, b.ionic);
    EXPECT_EQ(a.k, b.k);
    EXPECT_EQ(a.gamma, b.gamma);
    EXPECT_EQ(a.r, b.r);
    EXPECT_EQ(a.kr, b.kr);
    EXPECT_EQ(a.h2s_pressure, b.h2s_pressure);
    EXPECT_EQ(a.gamma17_eighth, b.gamma17_eighth);
  };
  for (double t : {273.15, 298.15, 473.15, 500.0, 548.15, 623.15}) {
    SCOPED_TRACE(t);
    const solver_temperature tt = make_solver_temperature(t);
    for (double ionic : {0.0, 1e-3, 0.25, 2.0}) {
      const solver_factors fresh = make_factors(t, ionic);
      same(make_factors(tt, ionic), fresh);
      solver_factors moved = make_factors(tt, 0.5);
      change_ionic_strength(ionic, moved);
      same(moved, fresh);
      change_ionic_strength(ionic, moved);
      same(moved, fresh);
    }
  }
}

}  // namespace
}  // namespace morva
