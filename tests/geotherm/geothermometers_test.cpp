#include "geotherm/geothermometers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "steam/saturation.h"

namespace morva {

namespace {
constexpr double sio2_mg = 60090.0;  // mg/mol
double silica(double mg_per_kg) { return mg_per_kg / sio2_mg; }
}  // namespace

TEST(QuartzTemperature, MatchesReferenceValues) {
  // The two ends of the calibration, quoted to 0.01 K and 0.0001 °C (3.5 mg/kg).
  EXPECT_NEAR(hqtz(silica(3.5)), 273.87, 5e-3);
  EXPECT_NEAR(hqtz(silica(3.5)) - 273.15, 0.7183, 5e-5);
  EXPECT_NEAR(hqtz(silica(800.0)), 612.57, 5e-3);
  EXPECT_NEAR(hqtz(silica(800.0)) - 273.15, 339.42, 5e-3);
}

TEST(QuartzTemperature, NoSilicaGivesHighMarker) {
  EXPECT_EQ(hqtz(0.0), t_marker_high_k);
  EXPECT_EQ(hqtz(-1e-3), t_marker_high_k);
}

TEST(ChalcedonyTemperature, MatchesReferenceValue) {
  EXPECT_NEAR(hcha(silica(300.0)), 466.36, 5e-3);
  EXPECT_NEAR(hcha(silica(300.0)) - 273.15, 193.21, 5e-3);
}

TEST(ChalcedonyTemperature, OutsideTheFitGivesHighMarker) {
  EXPECT_EQ(hcha(0.0), t_marker_high_k);
  // From 10^4.69 mg/kg upwards the fit's denominator is zero or negative.
  EXPECT_EQ(hcha(silica(std::pow(10.0, 4.69))), t_marker_high_k);
  EXPECT_EQ(hcha(silica(60000.0)), t_marker_high_k);
  EXPECT_EQ(hcha(1.0), t_marker_high_k);
  // Just below the limit the temperature is very high but real.
  const double t = hcha(silica(40000.0));
  EXPECT_GT(t, 5000.0);
  EXPECT_LT(t, 1e5);
}

TEST(NaKTemperature, MatchesReferenceValues) {
  // Quoted to 0.01 K; the bisection stops within 0.002 K below the root.
  EXPECT_NEAR(hnak(10.0, 1.0, 1.0, 1.0), 533.84, 7e-3);
  EXPECT_NEAR(hnak(100.0, 1.0, 1.0, 1.0), 338.11, 7e-3);
  EXPECT_NEAR(hnak(10.0, 1.0, 1.0, 1.0) - 273.15, 260.7, 0.05);
}

TEST(NaKTemperature, OutOfRangeGivesMarkers) {
  EXPECT_EQ(hnak(2.0, 1.0, 1.0, 1.0), t_marker_high_k);   // above 350 °C
  EXPECT_EQ(hnak(792.0, 1.0, 1.0, 1.0), t_marker_low_k);  // below 0 °C
  EXPECT_GT(hnak(790.0, 1.0, 1.0, 1.0), 273.15);           // still just inside
}

TEST(NaKTemperature, MissingIonGivesHighMarker) {
  EXPECT_EQ(hnak(0.0, 1e-3, 1.0, 1.0), t_marker_high_k);
  EXPECT_EQ(hnak(1e-3, 0.0, 1.0, 1.0), t_marker_high_k);
  EXPECT_EQ(hnak(-1e-3, 1e-3, 1.0, 1.0), t_marker_high_k);
}

TEST(NaKTemperature, DependsOnTheActivityRatioOnly) {
  // Molalities and activity coefficients enter only as the activities Na·γNa and K·γK; an
  // ulp of difference in the ratio could at most move the result by one bisection step.
  EXPECT_NEAR(hnak(0.02, 0.002, 0.7, 0.7), hnak(10.0, 1.0, 1.0, 1.0), 2e-3);
  EXPECT_NEAR(hnak(0.02, 0.002, 0.8, 0.5), hnak(0.016, 0.001, 1.0, 1.0), 2e-3);
  // A higher Na/K ratio means a lower temperature.
  double prev = 1e9;
  for (double ratio = 3.0; ratio < 790.0; ratio *= 1.5) {
    const double t = hnak(ratio * 1e-3, 1e-3, 1.0, 1.0);
    EXPECT_LT(t, prev) << ratio;
    prev = t;
  }
}

TEST(QuartzSolubility, MatchesReferenceValue) {
  // 47.64 mg/kg at 100 °C, quoted to 0.01 mg/kg.
  EXPECT_NEAR(quasol(373.15) * sio2_mg, 47.64, 5e-3);
}

TEST(QuartzSolubility, InvertsTheQuartzTemperature) {
  // The regula falsi stops when the bracket is under 0.001 mg/kg or the residual is 0.
  for (double t = 273.15; t <= 623.15 + 1e-9; t += 2.5) {
    SCOPED_TRACE(t);
    EXPECT_NEAR(hqtz(quasol(t)), t, 0.5);
  }
}

TEST(QuartzSolubility, EndsFarOutsideTheBracket) {
  // The chord extrapolates there; the iteration must still stop with a finite value.
  for (double t : {100.0, 250.0, 800.0, 1500.0}) {
    SCOPED_TRACE(t);
    EXPECT_TRUE(std::isfinite(quasol(t)));
  }
}

TEST(WellDischargeQuartzTemperature, MatchesReferenceValues) {
  // Separator at 100 °C, 500 mg/kg silica all as H4SiO4; quoted to 0.001 K.
  species_vector m;
  m[sp::h4sio4] = 1e-3;
  EXPECT_NEAR(tqsolv(373.15, silica(500.0), 0.0, m), 502.307, 5e-4);
  // Excess enthalpy: part of the aquifer fluid is steam, which carries no silica.
  EXPECT_NEAR(tqsolv(373.15, silica(500.0), 1500.0, m), 500.176, 5e-4);
}

TEST(WellDischargeQuartzTemperature, EnthalpyOfTheLiquidChangesNothing) {
  species_vector m;
  m[sp::h4sio4] = 1e-3;
  const double t = tqsolv(373.15, silica(500.0), 0.0, m);
  EXPECT_EQ(tqsolv(373.15, silica(500.0), entwat(t), m), t);
  EXPECT_EQ(tqsolv(373.15, silica(500.0), 800.0, m), t);
}

TEST(WellDischargeQuartzTemperature, RecoversTheAquiferTemperature) {
  // An aquifer liquid saturated with quartz at T, boiled to tc, leaves its silica concentrated
  // by the steam lost; only the neutral share of the analysed silica counts.
  species_vector m;
  m[sp::h4sio4] = 3e-3;
  m[sp::h3sio4] = 1e-3;
  const double tc = 423.15;
  const double lc = entlat(tc);
  const double hsc = entwat(tc) + lc;
  for (double t : {450.0, 500.0, 550.0, 590.0}) {
    SCOPED_TRACE(t);
    const double neutral = quasol(t) * lc / (hsc - entwat(t));
    EXPECT_NEAR(tqsolv(tc, neutral * 4.0 / 3.0, 0.0, m), t, 1e-6);
  }
}

TEST(WellDischargeQuartzTemperature, WithoutSilicaSpeciesGivesTheLowestTemperature) {
  species_vector m;
  const double t = tqsolv(373.15, 0.0, 0.0, m);
  EXPECT_TRUE(std::isfinite(t));
  EXPECT_NEAR(t, 274.15, 1e-9);
}

}  // namespace morva
