#include "phases/gas_distribution.h"

#include <gtest/gtest.h>

#include <cmath>

#include "steam/saturation.h"

namespace morva {
namespace {

gas_vector only_co2(double x) {
  gas_vector g;
  g[comp::co2] = x;
  return g;
}

// Worked values at 373.15 K, F = 1, CO2 alone; tolerances half a unit of the last digit.
TEST(GasDistribution, CarbonDioxideAt100C) {
  const auto [p, ptotal] = gasprs(only_co2(0.01), 373.15, 1.0);
  EXPECT_DOUBLE_EQ(p[0], psat(373.15));
  EXPECT_NEAR(p[comp::co2], 0.9034, 5e-5);
  EXPECT_NEAR(ptotal, 1.9167, 5e-5);

  gas_vector v = vapors(only_co2(0.01), 373.15, 1.0);
  EXPECT_NEAR(v[comp::co2], 49.49, 5e-3);

  gas_vector b;
  b.fill(1.0);
  const gas_split split = gasdis(only_co2(0.1), gas_vector{}, b, only_co2(0.01), 373.15, 0.1, 1.0);
  v = split.v;
  const gas_vector& m = split.m;
  EXPECT_NEAR(v[comp::co2], 0.09982, 5e-6);
  EXPECT_NEAR(m[comp::co2], 2.016e-5, 5e-9);
  for (int i = comp::h2s; i <= comp::n2; ++i) {  // absent gases stay absent
    EXPECT_EQ(v[i], 0.0) << i;
    EXPECT_EQ(m[i], 0.0) << i;
  }
}

TEST(GasDistribution, EveryGasBalancedAndInEquilibrium) {
  const double t = 493.15;
  const double x = 0.07;
  const double f = 0.4;
  const gas_vector tot({0.05, 0.002, 0.0003, 1e-5, 0.0, 2e-5, 4e-4});
  const gas_vector b({1.8, 1.3, 2.5, 1.0, 1.0, 1.0, 1.0});
  const gas_split split = gasdis(gas_vector{}, gas_vector{}, b, tot, t, x, f);
  gas_vector v = split.v;
  const gas_vector& m = split.m;
  // The stored values are those of the last sweep that changed them by more than the
  // relative tolerance 0.001, so the mass balance closes to that tolerance.
  for (int i = 1; i <= 7; ++i) {
    EXPECT_NEAR(x * v[i] + (1.0 - x) * b[i] * m[i], tot[i], 1e-3 * tot[i]) << i;
    EXPECT_GE(m[i], 0.0) << i;
  }
  // The steam in equilibrium with the water left behind is the steam found.
  gas_vector v_eq = vapors(m, t, f);
  for (int i = 1; i <= 7; ++i) EXPECT_NEAR(v_eq[i], v[i], 3e-3 * v[i]) << i;
  // The results may be passed back as the start values.
  const gas_vector v2 = gasdis(v, m, b, tot, t, x, f).v;
  for (int i = 1; i <= 7; ++i) EXPECT_NEAR(v2[i], v[i], 2e-3 * v[i]) << i;

  v = vapors(gas_vector{}, t, f);
  EXPECT_EQ(v, gas_vector{});
}

TEST(GasPressures, OxygenFromHydrogenOnlyWhenNotAnalysed) {
  const double t = 523.15;
  gas_pressure_set r = gasprs(gas_vector{}, t, 1.0);  // no H2: no oxygen either
  EXPECT_EQ(r.p[comp::o2], 0.0);
  EXPECT_EQ(r.ptotal, psat(t));

  gas_vector m;
  m[comp::h2] = 1e-6;
  r = gasprs(m, t, 1.0);
  const gas_pressures& p = r.p;
  // Water dissociation fixes p(O2) p(H2)^2 at T; the sum includes the new oxygen pressure.
  const double k = std::pow(10.0, 38.882 - 30827.6 / t - 3.26024 * std::log(t));
  EXPECT_NEAR(p[comp::o2] * p[comp::h2] * p[comp::h2] / k, 1.0, 1e-12);
  double sum = 0.0;
  for (double pi : p) sum += pi;
  EXPECT_NEAR(r.ptotal, sum, 1e-12 * sum);

  m[comp::o2] = 1e-6;  // Henry's law: about 1e-4 bar, against some 1e-33 from dissociation
  r = gasprs(m, t, 1.0);
  EXPECT_GT(p[comp::o2], 1e-10);
}

}  // namespace
}  // namespace morva
