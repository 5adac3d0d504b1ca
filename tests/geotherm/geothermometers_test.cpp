#include "geotherm/geothermometers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "steam/saturation.h"

namespace morva {

namespace {
double silica(double mg_per_kg) { return mg_per_kg / 60090.0; }  // SiO2, mg/mol
}  // namespace

TEST(SilicaGeothermometers, MatchReferenceValues) {
  // The two ends of the quartz calibration and one chalcedony value, quoted to 0.01 K.
  EXPECT_NEAR(hqtz(silica(3.5)), 273.87, 5e-3);
  EXPECT_NEAR(hqtz(silica(3.5)) - 273.15, 0.7183, 5e-5);
  EXPECT_NEAR(hqtz(silica(800.0)), 612.57, 5e-3);
  EXPECT_NEAR(hcha(silica(300.0)), 466.36, 5e-3);
}

TEST(SilicaGeothermometers, OutsideTheFitGivesHighMarker) {
  EXPECT_EQ(hqtz(0.0), t_marker_high_k);
  EXPECT_EQ(hcha(0.0), t_marker_high_k);
  // From 10^4.69 mg/kg upwards the chalcedony denominator is zero or negative.
  EXPECT_EQ(hcha(silica(std::pow(10.0, 4.69))), t_marker_high_k);
  EXPECT_EQ(hcha(silica(60000.0)), t_marker_high_k);
  EXPECT_GT(hcha(silica(40000.0)), 5000.0);  // just below: very hot, but a temperature
}

TEST(NaKTemperature, MatchesReferenceValuesAndMarkers) {
  // Quoted to 0.01 K; the bisection returns up to 0.002 K below the root.
  EXPECT_NEAR(hnak(10.0, 1.0, 1.0, 1.0), 533.84, 7e-3);
  EXPECT_NEAR(hnak(100.0, 1.0, 1.0, 1.0), 338.11, 7e-3);
  EXPECT_EQ(hnak(2.0, 1.0, 1.0, 1.0), t_marker_high_k);   // above 350 °C
  EXPECT_EQ(hnak(792.0, 1.0, 1.0, 1.0), t_marker_low_k);  // below 0 °C
  EXPECT_GT(hnak(790.0, 1.0, 1.0, 1.0), 273.15);
  // Without one of the ions there is no ratio.
  EXPECT_EQ(hnak(0.0, 1e-3, 1.0, 1.0), t_marker_high_k);
  EXPECT_EQ(hnak(1e-3, 0.0, 1.0, 1.0), t_marker_high_k);
}

TEST(NaKTemperature, FallsWithTheActivityRatio) {
  // Only the activities Na·γNa and K·γK count; an ulp in their ratio moves one bisection step.
  EXPECT_NEAR(hnak(0.02, 0.002, 0.8, 0.5), hnak(0.016, 0.001, 1.0, 1.0), 2e-3);
  for (double ratio = 3.0; ratio < 500.0; ratio *= 1.5)
    EXPECT_LT(hnak(1.5 * ratio, 1.0, 1.0, 1.0), hnak(ratio, 1.0, 1.0, 1.0)) << ratio;
}

TEST(QuartzSolubility, InvertsTheQuartzTemperature) {
  EXPECT_NEAR(quasol(373.15) * 60090.0, 47.64, 5e-3);  // mg/kg at 100 °C, quoted to 0.01
  for (double t = 273.15; t <= 623.15 + 1e-9; t += 2.5) EXPECT_NEAR(hqtz(quasol(t)), t, 0.5) << t;
  // Far outside the bracket the chord extrapolates; the iteration must still end.
  for (double t : {100.0, 800.0, 1500.0}) EXPECT_TRUE(std::isfinite(quasol(t))) << t;
}

TEST(WellDischargeQuartzTemperature, MatchesReferenceValues) {
  // Separator at 100 °C, 500 mg/kg silica all as H4SiO4; quoted to 0.001 K.
  species_vector m;
  m[sp::h4sio4] = 1e-3;
  const double t = tqsolv(373.15, silica(500.0), 0.0, m);
  EXPECT_NEAR(t, 502.307, 5e-4);
  // With excess enthalpy part of the aquifer fluid is steam, which carries no silica.
  EXPECT_NEAR(tqsolv(373.15, silica(500.0), 1500.0, m), 500.176, 5e-4);
  // An enthalpy not above that of the liquid changes nothing.
  EXPECT_EQ(tqsolv(373.15, silica(500.0), entwat(t), m), t);
}

TEST(WellDischargeQuartzTemperature, RecoversTheAquiferTemperature) {
  // Liquid saturated with quartz at T, boiled to tc, has its silica concentrated by the steam
  // lost; only the neutral share (here 3/4) of the analysed silica counts.
  species_vector m;
  m[sp::h4sio4] = 3e-3;
  m[sp::h3sio4] = 1e-3;
  const double tc = 423.15;
  const double hsc = entwat(tc) + entlat(tc);
  for (double t : {450.0, 500.0, 590.0}) {
    const double neutral = quasol(t) * entlat(tc) / (hsc - entwat(t));
    EXPECT_NEAR(tqsolv(tc, neutral * 4.0 / 3.0, 0.0, m), t, 1e-6) << t;
  }
  // No silica species at all: no silica to hold, the lowest temperature of the bracket.
  EXPECT_NEAR(tqsolv(373.15, 0.0, 0.0, species_vector{}), 274.15, 1e-9);
}

}  // namespace morva
