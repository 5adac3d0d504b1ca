#include "phases/reference.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace morva {
namespace {

// Outputs preset to a value no step produces, to see which ones a refusal reaches.
constexpr double untouched = -7.0;

struct conditions {
  double yc = untouched, ya = untouched, yb = untouched, href = untouched, tref = untouched,
         tc = untouched, tb = untouched;
  std::string t_label = "untouched", h_label = "untouched";
  bool suppress = false;
  std::string screen;
};

struct sample {
  double pc_gauge = 0.0, h = 0.0;
  int ref_type = 0;
  double t_typed_c = 0.0, t_measured_c = 0.0;
  int sample_type = 1;
  double t_boil_c = 0.0;
  component_vector c;
};

conditions run(const sample& s) {
  conditions r;
  std::ostringstream term;
  param(s.pc_gauge, s.h, s.ref_type, s.t_typed_c, s.t_measured_c, s.sample_type, s.t_boil_c,
        s.c, r.yc, r.ya, r.yb, r.href, r.tref, r.tc, r.tb, r.t_label, r.h_label, r.suppress, term);
  r.screen = term.str();
  return r;
}

TEST(ReferenceConditions, WellDischargeWithMeasuredEnthalpy) {
  // Worked example; tolerances are half a unit of the last quoted digit.
  sample s;
  s.sample_type = 2;
  s.ref_type = 0;
  s.t_measured_c = 250.0;
  s.h = 1200.0;
  s.pc_gauge = 5.0;
  const conditions r = run(s);
  EXPECT_FALSE(r.suppress);
  EXPECT_EQ(r.screen, "");
  EXPECT_DOUBLE_EQ(r.tref, 523.15);
  EXPECT_EQ(r.href, 1200.0);
  EXPECT_EQ(r.h_label, "  (Measured)  ");
  EXPECT_EQ(r.t_label, "  (Measured)  ");
  EXPECT_NEAR(r.ya, 0.06661, 5e-6);
  EXPECT_NEAR(r.tc, 432.074, 5e-4);
  EXPECT_NEAR(r.yc, 0.25384, 5e-6);
  EXPECT_EQ(r.tb, 0.0);
  EXPECT_EQ(r.yb, 0.0);
}

TEST(ReferenceConditions, BoilingSpringAtArbitraryTemperature) {
  sample s;
  s.sample_type = 1;
  s.ref_type = 1;
  s.t_typed_c = 200.0;
  s.t_boil_c = 100.0;
  const conditions r = run(s);
  EXPECT_FALSE(r.suppress);
  EXPECT_DOUBLE_EQ(r.tref, 473.15);
  EXPECT_NEAR(r.href, 852.372, 5e-4);
  EXPECT_EQ(r.h_label, "  (Calculated)");
  EXPECT_EQ(r.t_label, "  (Arbitrary) ");
  EXPECT_DOUBLE_EQ(r.tb, 373.15);
  EXPECT_NEAR(r.yb, 0.19199, 5e-6);
  EXPECT_EQ(r.ya, 0.0);
  EXPECT_EQ(r.yc, 0.0);
}

TEST(ReferenceConditions, TemperatureChoices) {
  sample s;
  s.t_measured_c = 180.0;
  s.t_typed_c = -5.0;  // not a typed temperature: the measured one counts
  EXPECT_DOUBLE_EQ(run(s).tref, 453.15);

  s.ref_type = 3;
  s.c[comp::sio2] = 0.02;  // 1200 mg/kg: far beyond the quartz cap
  conditions r = run(s);
  EXPECT_EQ(r.tref, 596.0);
  EXPECT_EQ(r.t_label, "  (Quartz)    ");

  s.ref_type = 2;
  s.c[comp::sio2] = 0.5;  // chalcedony is held only by the general cap
  EXPECT_EQ(run(s).tref, 647.0);

  s.ref_type = 4;
  s.c[comp::na] = 0.1;
  s.c[comp::k] = 0.01;
  r = run(s);
  EXPECT_FALSE(r.suppress);
  EXPECT_NEAR(r.tref, 533.84, 0.01);
  EXPECT_EQ(r.t_label, "  (Na/K)      ");
}

TEST(ReferenceConditions, SteamFractionsByEnthalpyBalance) {
  sample s;
  s.ref_type = 1;
  s.t_typed_c = 200.0;
  s.h = 800.0;  // below the liquid enthalpy: replaced by it
  conditions r = run(s);
  EXPECT_NEAR(r.href, 852.372, 5e-4);
  EXPECT_EQ(r.h_label, "  (Calculated)");
  EXPECT_EQ(r.ya, 0.0);

  s.h = 1500.0;  // water-only sample: no steam at collection
  EXPECT_EQ(run(s).yc, 0.0);

  // Boiling temperatures of exactly 1 and 350 °C mean no boiling spring; one at the
  // reference temperature forms no steam.
  s.h = 0.0;
  for (double t_boil : {1.0, 350.0}) {
    s.t_boil_c = t_boil;
    EXPECT_EQ(run(s).tb, 0.0);
  }
  s.t_boil_c = 200.0;
  r = run(s);
  EXPECT_FALSE(r.suppress);
  EXPECT_EQ(r.yb, 0.0);
}

TEST(ReferenceConditions, RefusalsOfTheFirstEstimate) {
  // Two empty lines, the reason, and the closing line with its full stop.
  auto refusal = [](const std::string& reason) {
    return "\n\n" + reason + "\n Calculation suppressed.\n";
  };
  sample s;
  s.ref_type = 2;
  conditions r = run(s);
  EXPECT_TRUE(r.suppress);
  EXPECT_EQ(r.screen, refusal(" SiO2 is zero. Cannot compute chalcedony temperature."));
  EXPECT_EQ(r.tref, untouched);
  EXPECT_EQ(r.t_label, "untouched");

  s.ref_type = 3;
  EXPECT_EQ(run(s).screen, refusal(" SiO2 is zero. Cannot compute quartz temperature."));

  s.ref_type = 4;  // K and Na both missing: only the K message
  EXPECT_EQ(run(s).screen, refusal(" K is zero. Cannot compute Na-K temperature."));
  s.c[comp::k] = 0.01;
  EXPECT_EQ(run(s).screen, refusal(" Na is zero. Cannot compute Na-K temperature."));
  s.c[comp::na] = 0.02;  // Na/K = 2: too hot for the thermometer
  r = run(s);
  EXPECT_TRUE(r.suppress);
  EXPECT_EQ(r.screen, refusal(" Na-K temperature exceeds 350 \xB0" "C."));
  s.c[comp::na] = 10.0;  // Na/K = 1000: too cold
  EXPECT_EQ(run(s).screen, refusal(" Na-K temperature below 0 \xB0" "C."));

  // Guards against results that have no physical value.
  s = sample{};
  s.pc_gauge = 300.0;  // above the critical pressure
  r = run(s);
  EXPECT_TRUE(r.suppress);
  EXPECT_EQ(r.screen, refusal(" Collection pressure outside the range of the steam table."));
  EXPECT_EQ(r.tref, untouched);

  s = sample{};
  s.ref_type = 1;
  s.t_typed_c = -10.0;
  r = run(s);
  EXPECT_TRUE(r.suppress);
  EXPECT_EQ(r.screen, refusal(" Reference temperature below 0 \xB0" "C."));
  EXPECT_EQ(r.href, untouched);
  s.ref_type = 2;
  s.c[comp::sio2] = 1e-8;  // a chalcedony temperature far below freezing
  EXPECT_EQ(run(s).screen, refusal(" Reference temperature below 0 \xB0" "C."));

  s = sample{};
  s.ref_type = 1;
  s.t_typed_c = 200.0;
  s.h = 3000.0;  // more than saturated steam at 200 °C
  r = run(s);
  EXPECT_TRUE(r.suppress);
  EXPECT_EQ(r.screen,
            refusal(" Enthalpy above that of saturated steam at reference temperature."));
  EXPECT_EQ(r.yc, untouched);

  s.sample_type = 2;
  s.t_typed_c = 250.0;
  s.h = 2780.0;  // liquid at 250 °C, but more than saturated steam at the 100 °C separator
  r = run(s);
  EXPECT_TRUE(r.suppress);
  EXPECT_EQ(r.screen,
            refusal(" Enthalpy above that of saturated steam at separator temperature."));
  EXPECT_EQ(r.tb, untouched);
}

TEST(ReferenceConditions, RefusalsOfTheBoilingSpring) {
  // Three empty lines, the reason, and the closing line without full stop.
  auto refusal = [](const std::string& reason) {
    return "\n\n\n" + reason + "\n Calculation suppressed\n";
  };
  sample s;
  s.ref_type = 1;
  s.t_typed_c = 90.0;
  s.t_boil_c = 100.0;
  conditions r = run(s);
  EXPECT_TRUE(r.suppress);
  EXPECT_EQ(r.screen, refusal(" Steam separation temperature higher than reference temperature"));
  EXPECT_EQ(r.yb, untouched);

  s.t_typed_c = 200.0;
  s.h = 1000.0;  // two-phase aquifer fluid
  r = run(s);
  EXPECT_TRUE(r.suppress);
  EXPECT_EQ(r.screen, refusal(" Fluid is two phase at reference temperature"));
  EXPECT_EQ(r.yb, untouched);
}

}  // namespace
}  // namespace morva
