#include "steam/saturation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace morva {

namespace {
constexpr double inf = std::numeric_limits<double>::infinity();
}

TEST(SaturationCurve, MatchesReferenceValuesAndLimits) {
  // Quoted values; tolerance half a unit of the last quoted digit.
  EXPECT_NEAR(psat(273.149), 0.0061076, 5e-8);
  EXPECT_NEAR(psat(373.15), 1.013253, 5e-7);
  EXPECT_NEAR(psat(473.15), 15.5488, 5e-5);
  EXPECT_NEAR(psat(573.15), 85.9269, 5e-5);
  EXPECT_EQ(psat(647.3), 221.2);  // x = 0: the critical pressure exactly
  EXPECT_EQ(psat(273.1489), 0.0);
  EXPECT_EQ(psat(647.3001), 0.0);

  EXPECT_NEAR(tsat(1.01325), 373.1499, 5e-5);
  EXPECT_NEAR(tsat(221.2), 647.3, 1e-9);  // the first Newton step is already small enough
  EXPECT_EQ(tsat(0.0061), 0.0);
  EXPECT_EQ(tsat(221.3), 0.0);
  // A non-finite pressure is outside the curve too, and must not keep Newton going.
  EXPECT_EQ(tsat(std::nan("")), 0.0);
}

TEST(SaturationCurve, TemperatureInvertsPressure) {
  // Newton stops when its step is under 0.001 K; the remaining error is smaller still.
  for (double t = 273.2; t <= 647.3; t += 1.7) EXPECT_NEAR(tsat(psat(t)), t, 1e-3) << t;
  for (double p : {0.00610799, 0.1, 1.0, 20.0, 200.0}) EXPECT_NEAR(psat(tsat(p)) / p, 1.0, 1e-5);
}

TEST(SaturationEnthalpies, MatchReferenceValues) {
  // At the triple point only a0 remains.
  EXPECT_EQ(entwat(273.16), -0.32219);
  EXPECT_NEAR(entwat(373.15), 419.063, 5e-4);
  EXPECT_NEAR(entwat(573.15), 1345.034, 5e-4);
  EXPECT_NEAR(entwat(584.13), 1407.90197, 5e-6);  // boundary value from the first piece
  EXPECT_EQ(entlat(273.16), 2501.2);
  EXPECT_NEAR(entlat(373.15), 2256.938, 5e-4);
  EXPECT_NEAR(entlat(573.15), 1405.976, 5e-4);
  EXPECT_NEAR(entlat(647.3), 67.53, 5e-3);
  EXPECT_NEAR(entlat(570.65), 1424.479, 5e-4);  // boundary value from the second piece
}

TEST(SaturationEnthalpies, PiecesMeetAtTheirBoundaries) {
  // The fitted pieces meet to a few hundredths of a kJ/kg (largest 0.028, entlat at 639.14).
  for (double b : {584.13, 634.24}) EXPECT_NEAR(entwat(std::nextafter(b, inf)), entwat(b), 0.03);
  for (double b : {570.65, 613.8, 639.14})
    EXPECT_NEAR(entlat(std::nextafter(b, -inf)), entlat(b), 0.03) << b;
  // Liquid enthalpy rises and latent heat falls all along the curve.
  for (double t = 273.16; t < 647.0; t += 0.25) {
    EXPECT_GT(entwat(t + 0.25), entwat(t)) << t;
    EXPECT_LT(entlat(t + 0.25), entlat(t)) << t;
  }
}

TEST(SaturationEnthalpies, StayFiniteAndContinuousBelowTheTriplePoint) {
  // 0 °C lies 0.01 K below the triple point, where the root term is dropped.
  for (double t : {273.15, 250.0}) {
    EXPECT_TRUE(std::isfinite(entwat(t))) << t;
    EXPECT_TRUE(std::isfinite(entlat(t))) << t;
  }
  EXPECT_NEAR(entwat(std::nextafter(273.16, -inf)), -0.32219, 1e-9);
  EXPECT_NEAR(entlat(std::nextafter(273.16, -inf)), 2501.2, 1e-9);
  EXPECT_LT(entwat(273.15), entwat(273.16));
}

}  // namespace morva
