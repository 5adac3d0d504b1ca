#include "steam/saturation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace morva {

namespace {
constexpr double inf = std::numeric_limits<double>::infinity();
}

TEST(SaturationPressure, MatchesReferenceValues) {
  // Reference values quoted to 7 significant digits: tolerance half a unit of the last digit.
  struct point { double t, p_bar, tol_bar; };
  for (const point& pt : {point{273.149, 0.0061076, 5e-8}, point{373.15, 1.013253, 5e-7},
                          point{473.15, 15.5488, 5e-5}, point{573.15, 85.9269, 5e-5}}) {
    SCOPED_TRACE(pt.t);
    EXPECT_NEAR(psat(pt.t), pt.p_bar, pt.tol_bar);
  }
}

TEST(SaturationPressure, CriticalPointAndRangeLimits) {
  // At the critical temperature x = 0 and the fit gives the critical pressure exactly.
  EXPECT_EQ(psat(647.3), 221.2);
  EXPECT_GT(psat(273.149), 0.0);
  EXPECT_EQ(psat(273.1489), 0.0);
  EXPECT_EQ(psat(647.3001), 0.0);
  EXPECT_EQ(psat(std::nan("")), 0.0);
}

TEST(SaturationPressure, RisesWithTemperature) {
  double prev = 0.0;
  for (double t = 273.15; t <= 647.3; t += 0.5) {
    const double p = psat(t);
    EXPECT_GT(p, prev) << t;
    prev = p;
  }
}

TEST(SaturationTemperature, MatchesReferenceValuesAndLimits) {
  // Boiling point at one atmosphere, quoted to 0.0001 K.
  EXPECT_NEAR(tsat(1.01325), 373.1499, 5e-5);
  // From the critical point the first Newton step is already below the tolerance.
  EXPECT_NEAR(tsat(221.2), 647.3, 1e-9);
  EXPECT_EQ(tsat(0.0061), 0.0);
  EXPECT_EQ(tsat(221.3), 0.0);
  EXPECT_EQ(tsat(std::nan("")), 0.0);
  // The lowest accepted pressure lies just above the triple point.
  EXPECT_NEAR(tsat(0.00610799), 273.15, 1e-3);
}

TEST(SaturationTemperature, InvertsSaturationPressure) {
  // Newton stops when its step is under 0.001 K; the remaining error is far smaller.
  for (double t = 273.2; t <= 647.3; t += 1.7) {
    SCOPED_TRACE(t);
    EXPECT_NEAR(tsat(psat(t)), t, 1e-3);
  }
  for (double p : {0.01, 0.1, 1.0, 5.0, 20.0, 100.0, 200.0}) {
    SCOPED_TRACE(p);
    EXPECT_NEAR(psat(tsat(p)) / p, 1.0, 1e-5);
  }
}

TEST(LiquidEnthalpy, MatchesReferenceValues) {
  // At the triple point the polynomial and the root term vanish but a0.
  EXPECT_EQ(entwat(273.16), -0.32219);
  // Quoted to 0.001 kJ/kg, and to 0.00001 at the first boundary.
  EXPECT_NEAR(entwat(373.15), 419.063, 5e-4);
  EXPECT_NEAR(entwat(573.15), 1345.034, 5e-4);
  EXPECT_NEAR(entwat(584.13), 1407.90197, 5e-6);
}

TEST(LiquidEnthalpy, PiecesMeetAtTheirBoundaries) {
  // A boundary belongs to the lower piece; the step to the next piece is a few hundredths
  // of a kJ/kg at most.
  for (double b : {584.13, 634.24}) {
    SCOPED_TRACE(b);
    EXPECT_NEAR(entwat(std::nextafter(b, inf)), entwat(b), 0.05);
  }
  // The value just above 584.13 comes from the second piece, not the first.
  EXPECT_NEAR(entwat(584.14), 1407.96015, 5e-5);
}

TEST(LiquidEnthalpy, RisesWithTemperature) {
  double prev = -inf;
  for (double t = 273.16; t <= 647.0; t += 0.25) {
    const double h = entwat(t);
    EXPECT_GT(h, prev) << t;
    prev = h;
  }
}

TEST(LatentHeat, MatchesReferenceValues) {
  EXPECT_EQ(entlat(273.16), 2501.2);
  EXPECT_NEAR(entlat(373.15), 2256.938, 5e-4);
  EXPECT_NEAR(entlat(573.15), 1405.976, 5e-4);
  EXPECT_NEAR(entlat(647.3), 67.53, 5e-3);
  // The boundary itself already belongs to the upper piece.
  EXPECT_NEAR(entlat(570.65), 1424.479, 5e-4);
}

TEST(LatentHeat, PiecesMeetAtTheirBoundaries) {
  // Largest step 0.028 kJ/kg, at 639.14 K.
  for (double b : {570.65, 613.8, 639.14}) {
    SCOPED_TRACE(b);
    EXPECT_NEAR(entlat(std::nextafter(b, -inf)), entlat(b), 0.03);
  }
}

TEST(LatentHeat, FallsTowardsTheCriticalPoint) {
  double prev = inf;
  for (double t = 273.16; t <= 647.3; t += 0.25) {
    const double l = entlat(t);
    EXPECT_LT(l, prev) << t;
    prev = l;
  }
}

TEST(Enthalpies, StayFiniteAndContinuousBelowTheTriplePoint) {
  // 273.15 K (0 °C) lies just below the triple point, where the root term is dropped.
  for (double t : {273.15, 273.0, 250.0}) {
    SCOPED_TRACE(t);
    EXPECT_TRUE(std::isfinite(entwat(t)));
    EXPECT_TRUE(std::isfinite(entlat(t)));
  }
  EXPECT_NEAR(entwat(std::nextafter(273.16, -inf)), entwat(273.16), 1e-9);
  EXPECT_NEAR(entlat(std::nextafter(273.16, -inf)), entlat(273.16), 1e-9);
  // Liquid water just below 0.01 °C holds slightly less heat than at the triple point.
  EXPECT_LT(entwat(273.15), entwat(273.16));
}

}  // namespace morva
