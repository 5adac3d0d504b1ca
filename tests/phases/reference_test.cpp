#include "phases/reference.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "report/messages.h"

namespace morva {
namespace {

constexpr double untouched = -7.0;  // no step produces it: shows which outputs a refusal reached

struct sample {
  double pc_gauge = 0.0, h = 0.0;
  int ref_type = 0;
  double t_typed_c = 0.0, t_measured_c = 0.0;
  int sample_type = 1;  // 1 water only, 2 with steam-phase data
  double t_boil_c = 0.0;
  component_vector c{};
};

struct conditions {
  double yc = untouched, ya = untouched, yb = untouched, href = untouched, tref = untouched,
         tc = untouched, tb = untouched;
  std::string t_label, h_label;
  bool suppress = false;
  std::string screen;
};

/// param on sample s, with the labels and the terminal text the report and the terminal make
/// of its outcome.
conditions run(const sample& s) {
  conditions r;
  const auto type = static_cast<reference_temperature>(s.ref_type);
  const std::variant<reference_conditions, refusal_reason> out =
      param({.pc_gauge = s.pc_gauge,
             .h = s.h,
             .ref_type = type,
             .t_typed_c = s.t_typed_c,
             .t_measured_c = s.t_measured_c,
             .type = s.sample_type == 2 ? sample_type::two_phase : sample_type::water,
             .t_boil_c = s.t_boil_c,
             .c = s.c});
  const refusal_reason* refused = std::get_if<refusal_reason>(&out);
  r.suppress = refused != nullptr;
  if (refused) {
    r.screen = refusal_text(*refused);
  } else {
    // A refused sample hands back no conditions at all: every one stays untouched.
    const reference_conditions& rc = std::get<reference_conditions>(out);
    r.yc = rc.yc;
    r.ya = rc.ya;
    r.yb = rc.yb;
    r.href = rc.href;
    r.tref = rc.tref;
    r.tc = rc.tc;
    r.tb = rc.tb;
    r.t_label = t_origin_label(type);
    r.h_label = h_origin_label(rc.h_origin);
  }
  return r;
}

component_vector water(double sio2, double na, double k) {
  component_vector c{};
  c[comp::sio2] = sio2;
  c[comp::na] = na;
  c[comp::k] = k;
  return c;
}

TEST(ReferenceConditions, WorkedExamples) {
  // Tolerances: half a unit of the last quoted digit.
  conditions r = run({.pc_gauge = 5.0, .h = 1200.0, .t_measured_c = 250.0, .sample_type = 2});
  EXPECT_FALSE(r.suppress);
  EXPECT_EQ(r.screen, "");
  EXPECT_DOUBLE_EQ(r.tref, 523.15);
  EXPECT_EQ(r.href, 1200.0);
  EXPECT_EQ(r.t_label, "  (Measured)  ");
  EXPECT_EQ(r.h_label, "  (Measured)  ");
  EXPECT_NEAR(r.ya, 0.06661, 5e-6);
  EXPECT_NEAR(r.tc, 432.074, 5e-4);
  EXPECT_NEAR(r.yc, 0.25384, 5e-6);
  EXPECT_EQ(r.tb, 0.0);
  EXPECT_EQ(r.yb, 0.0);

  r = run({.ref_type = 1, .t_typed_c = 200.0, .sample_type = 1, .t_boil_c = 100.0});
  EXPECT_FALSE(r.suppress);
  EXPECT_DOUBLE_EQ(r.tref, 473.15);
  EXPECT_NEAR(r.href, 852.372, 5e-4);
  EXPECT_EQ(r.t_label, "  (Arbitrary) ");
  EXPECT_EQ(r.h_label, "  (Calculated)");
  EXPECT_DOUBLE_EQ(r.tb, 373.15);
  EXPECT_NEAR(r.yb, 0.19199, 5e-6);
  EXPECT_EQ(r.ya, 0.0);
  EXPECT_EQ(r.yc, 0.0);
}

TEST(ReferenceConditions, TemperatureAndEnthalpyChoices) {
  // A typed temperature that is not positive gives way to the measured one.
  EXPECT_DOUBLE_EQ(run({.t_typed_c = -5.0, .t_measured_c = 180.0}).tref, 453.15);
  // Quartz is capped at 596 K, chalcedony only at 647 K.
  conditions r = run({.ref_type = 3, .c = water(0.02, 0.0, 0.0)});
  EXPECT_EQ(r.tref, 596.0);
  EXPECT_EQ(r.t_label, "  (Quartz)    ");
  EXPECT_EQ(run({.ref_type = 2, .c = water(0.5, 0.0, 0.0)}).tref, 647.0);
  r = run({.ref_type = 4, .c = water(0.0, 0.1, 0.01)});
  EXPECT_NEAR(r.tref, 533.84, 0.01);
  EXPECT_EQ(r.t_label, "  (Na/K)      ");

  // An enthalpy below that of the liquid is replaced by it; water-only samples have no
  // steam at collection.
  r = run({.h = 800.0, .ref_type = 1, .t_typed_c = 200.0});
  EXPECT_NEAR(r.href, 852.372, 5e-4);
  EXPECT_EQ(r.h_label, "  (Calculated)");
  EXPECT_EQ(r.ya, 0.0);
  EXPECT_EQ(run({.h = 1500.0, .ref_type = 1, .t_typed_c = 200.0}).yc, 0.0);

  // 1 and 350 °C are outside the open range of a boiling spring; boiling at the reference
  // temperature forms no steam.
  for (double t_boil : {1.0, 350.0})
    EXPECT_EQ(run({.ref_type = 1, .t_typed_c = 200.0, .t_boil_c = t_boil}).tb, 0.0);
  r = run({.ref_type = 1, .t_typed_c = 200.0, .t_boil_c = 200.0});
  EXPECT_FALSE(r.suppress);
  EXPECT_EQ(r.yb, 0.0);
}

TEST(ReferenceConditions, EveryRefusalMessage) {
  const std::string two = "\n\n";
  const std::string closing = "\n Calculation suppressed.\n";
  struct refusal {
    sample s;
    std::string screen;
    double conditions::*first_untouched;
  };
  const refusal cases[] = {
      {{.ref_type = 2},
       two + " SiO2 is zero. Cannot compute chalcedony temperature." + closing,
       &conditions::tref},
      {{.ref_type = 3},
       two + " SiO2 is zero. Cannot compute quartz temperature." + closing,
       &conditions::tref},
      {{.ref_type = 4},
       two + " K is zero. Cannot compute Na-K temperature." + closing,
       &conditions::tref},
      {{.ref_type = 4, .c = water(0.0, 0.0, 0.01)},
       two + " Na is zero. Cannot compute Na-K temperature." + closing,
       &conditions::tref},
      {{.ref_type = 4, .c = water(0.0, 0.02, 0.01)},  // Na/K = 2: too hot
       two +
           " Na-K temperature exceeds 350 \xB0"
           "C." +
           closing,
       &conditions::href},
      {{.ref_type = 4, .c = water(0.0, 10.0, 0.01)},  // Na/K = 1000: too cold
       two +
           " Na-K temperature below 0 \xB0"
           "C." +
           closing,
       &conditions::href},
      {{.pc_gauge = 300.0},  // above the critical pressure
       two + " Collection pressure outside the range of the steam table." + closing,
       &conditions::tref},
      {{.ref_type = 1, .t_typed_c = -10.0},
       two +
           " Reference temperature below 0 \xB0"
           "C." +
           closing,
       &conditions::href},
      {{.ref_type = 2, .c = water(1e-8, 0.0, 0.0)},  // chalcedony about 130 K
       two +
           " Reference temperature below 0 \xB0"
           "C." +
           closing,
       &conditions::href},
      {{.h = 3000.0, .ref_type = 1, .t_typed_c = 200.0},
       two + " Enthalpy above that of saturated steam at reference temperature." + closing,
       &conditions::yc},
      // Liquid at 250 °C, but more than saturated steam at the 100 °C separator.
      {{.h = 2780.0, .ref_type = 1, .t_typed_c = 250.0, .sample_type = 2},
       two + " Enthalpy above that of saturated steam at separator temperature." + closing,
       &conditions::tb},
      // The boiling spring: three empty lines, and no full stop on the closing line.
      {{.ref_type = 1, .t_typed_c = 90.0, .t_boil_c = 100.0},
       "\n\n\n Steam separation temperature higher than reference temperature\n"
       " Calculation suppressed\n",
       &conditions::yb},
      {{.h = 1000.0, .ref_type = 1, .t_typed_c = 200.0, .t_boil_c = 100.0},
       "\n\n\n Fluid is two phase at reference temperature\n Calculation suppressed\n",
       &conditions::yb},
  };
  for (const refusal& c : cases) {
    SCOPED_TRACE(c.screen);
    const conditions r = run(c.s);
    EXPECT_TRUE(r.suppress);
    EXPECT_EQ(r.screen, c.screen);
    EXPECT_EQ(r.*c.first_untouched, untouched);
  }
}

}  // namespace
}  // namespace morva
