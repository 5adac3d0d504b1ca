#include "chemdata/activity.h"

#include <gtest/gtest.h>

#include <cmath>

#include "morva/tables.h"

namespace morva {

namespace {

// B-dot recovered from a neutral species: log10 gamma = -Bdot * I.
double bdot_at(double t) { return -std::log10(gamma(sp::h4sio4, t, 1.0)); }

}  // namespace

TEST(ActivityCoefficients, MatchWorkedValuesAt25C) {
  // Quoted to two or three digits; tolerance half a unit of the last digit.
  const double t = 298.15;
  EXPECT_NEAR(gamma(sp::h, t, 0.1), 0.82, 0.005);
  EXPECT_NEAR(gamma(sp::ca, t, 0.1), 0.40, 0.005);
  EXPECT_NEAR(gamma(sp::h4sio4, t, 0.1), 0.991, 0.0005);
  EXPECT_NEAR(bdot_at(t), 0.0404, 0.00005);
}

TEST(ActivityCoefficients, DebyeHueckelParametersAt25C) {
  // For an ion, I^0.5 / (-log10 gamma - Bdot I) = (1 + a B I^0.5) / (z^2 A) is linear in I^0.5;
  // two ionic strengths give A (intercept) and B (slope), quoted as 0.510 and 0.328.
  const double t = 298.15;
  const double bdot = bdot_at(t);
  auto y = [&](double ionic) {
    return std::sqrt(ionic) / (-std::log10(gamma(sp::ca, t, ionic)) - bdot * ionic);
  };
  const double s1 = std::sqrt(0.01), s2 = std::sqrt(0.25);
  const double slope = (y(0.25) - y(0.01)) / (s2 - s1);
  const double intercept = y(0.01) - slope * s1;
  const double a = 1.0 / (4.0 * intercept);  // Ca++: z = 2
  const double b = slope / (intercept * species_ion_size[sp::ca]);
  EXPECT_NEAR(a, 0.510, 0.0005);
  EXPECT_NEAR(b, 0.328, 0.0005);
}

TEST(ActivityCoefficients, TendToOneAtInfiniteDilution) {
  for (double t = 273.15; t <= 647.0; t += 25.0) {
    for (int i = 1; i <= species_vector::size; ++i) {
      EXPECT_EQ(gamma(i, t, 0.0), 1.0) << i << " at " << t;
      // Limiting law: -log10 gamma -> z^2 A sqrt(I), at most 9 * 2.5 * 1e-6 here.
      EXPECT_NEAR(gamma(i, t, 1e-12), 1.0, 1e-4) << i << " at " << t;
    }
  }
}

TEST(ActivityCoefficients, NeutralSpeciesFeelOnlyTheBdotTerm) {
  // Below 275 °C a neutral species is salted out (gamma = 10^(-Bdot I), not 1); from
  // 548.15 K on Bdot is zero and every neutral species is ideal at any ionic strength.
  EXPECT_LT(gamma(sp::h2co3, 373.15, 1.0), 1.0);
  EXPECT_EQ(gamma(sp::h2co3, 373.15, 0.5), gamma(sp::nacl, 373.15, 0.5));
  for (double t : {548.15, 573.15, 620.0}) {
    for (double ionic : {0.1, 1.0, 3.0}) {
      EXPECT_EQ(gamma(sp::h2co3, t, ionic), 1.0) << t;
      EXPECT_EQ(gamma(sp::alf3, t, ionic), 1.0) << t;
    }
  }
  // The two pieces of Bdot below that meet at 473.15 K, both about 0.047 (1e-5 apart).
  EXPECT_NEAR(bdot_at(473.15), 0.047, 0.0005);
  EXPECT_NEAR(bdot_at(473.15 + 1e-6), bdot_at(473.15), 2e-5);
}

TEST(ActivityCoefficients, FiniteAcrossTheLiquidRange) {
  // Including the steep end of the logarithmic piece just below 548.15 K, where Bdot turns
  // negative and gamma of a neutral species rises above 1.
  EXPECT_GT(gamma(sp::h4sio4, 548.15 - 1e-9, 1.0), 1.0);
  for (double t : {273.15, 400.0, 473.15, 500.0, 548.15 - 1e-9, 548.15, 600.0, 647.0}) {
    for (int i = 1; i <= species_vector::size; ++i) {
      for (double ionic : {0.0, 0.01, 1.0, 5.0}) {
        const double g = gamma(i, t, ionic);
        EXPECT_TRUE(std::isfinite(g) && g > 0.0) << i << " at " << t << " I " << ionic;
      }
    }
  }
}

TEST(IonicStrength, CountsChargeSquared) {
  species_vector m;
  m[sp::na] = 0.01;
  m[sp::cl] = 0.01;
  EXPECT_NEAR(strion(m), 0.01, 1e-15);

  m.fill(0.0);
  m[sp::ca] = 0.01;
  m[sp::cl] = 0.02;
  EXPECT_NEAR(strion(m), 0.03, 1e-15);

  // One mol/kg of every species: 32 singly, 13 doubly and 3 triply charged ones count,
  // the 21 neutral ones do not.
  m.fill(1.0);
  EXPECT_DOUBLE_EQ(strion(m), 0.5 * (32.0 + 13.0 * 4.0 + 3.0 * 9.0));
}

}  // namespace morva
