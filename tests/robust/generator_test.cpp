// The water generator itself: reproducible, and what it writes is what the program reads.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "driver/dialogs.h"
#include "geotherm/geothermometers.h"
#include "morva/indexed.h"
#include "morva/sample_file.h"
#include "morva/tables.h"
#include "robust/water_generator.h"

namespace morva {
namespace {

TEST(WaterGenerator, TheSameSeedGivesTheSameSamples) {
  const generated_run a = generate_run(7, 50);
  const generated_run b = generate_run(7, 50);
  const generated_run c = generate_run(8, 50);
  EXPECT_EQ(a.samples, b.samples);
  EXPECT_EQ(a.keys, b.keys);
  EXPECT_NE(a.samples, c.samples);
}

TEST(WaterGenerator, BlocksAndAnswersReadBackAsGenerated) {
  // Every block is one sample of the type the generator meant, and the answers fill exactly
  // the options the generator recorded.
  water_generator g(11, 0.2);
  for (int i = 0; i < 400; ++i) {
    const generated_sample gs = g.next();
    SCOPED_TRACE(gs.number + " " + gs.kind);
    std::istringstream file(gs.block);
    sample_reader f(file, "generated");
    const read_result got = f.next();
    ASSERT_EQ(got.what, read_result::kind::sample);
    const sample_record& s = got.sample;
    std::ostringstream term;
    EXPECT_EQ(f.lines_read(), 34);
    const sample_type type = derive(s).type;
    EXPECT_EQ(type == sample_type::two_phase ? 2 : 1, gs.type);
    EXPECT_EQ(s.number.substr(0, gs.number.size()), gs.number);

    ASSERT_EQ(gs.keys.substr(0, 1), "\n");  // the screen: calculate
    std::istringstream keys(gs.keys.substr(1));
    run_options opt;
    ASSERT_TRUE(askme2(type, s.collection.t_c, opt, keys, term));
    EXPECT_EQ(keys.peek(), std::char_traits<char>::eof()) << "answers left over";
    // No refusal by the dialog: each question was answered once.
    EXPECT_EQ(term.str().find('\a'), std::string::npos);
    const run_options& want = gs.options;
    EXPECT_EQ(opt.tref_type, want.tref_type);
    EXPECT_EQ(opt.t_typed_c, want.t_typed_c);
    EXPECT_EQ(opt.boil_c, want.boil_c);
    EXPECT_EQ(opt.boil_degas, want.boil_degas);
    EXPECT_EQ(opt.cool_c, want.cool_c);
    if (type == sample_type::water) {
      EXPECT_EQ(opt.t_spring_c, want.t_spring_c);
      EXPECT_EQ(opt.spring_degas, want.spring_degas);
    }
  }
}

TEST(WaterGenerator, OrdinaryWatersArePhysicallyPlausible) {
  // Charge balance within 10 % at the measured pH (roughly: carbonate counted as HCO3- and
  // CO3--), and silica close to quartz or chalcedony saturation at the aquifer temperature.
  water_generator g(3, 0.0);
  for (int i = 0; i < 300; ++i) {
    const generated_sample gs = g.next();
    SCOPED_TRACE(gs.number + " " + gs.kind);
    std::istringstream file(gs.block);
    sample_reader f(file, "generated");
    const read_result got = f.next();
    ASSERT_EQ(got.what, read_result::kind::sample);
    const sample_record& s = got.sample;
    const component_vector c = derive(s).water;
    const double cations = c[comp::na] + c[comp::k] + 2 * (c[comp::mg] + c[comp::ca]) +
                           3 * c[comp::al] + 2 * c[comp::fe] + std::pow(10.0, -s.ph);
    const double anions = c[comp::cl] + 2 * c[comp::so4] + c[comp::f];
    // Anions without the weak acids can only fall short of the cations.
    EXPECT_LT(anions, cations * 1.1);
    EXPECT_GT(cations, 0.0);
    if (gs.t_aquifer_c > 110.0) {
      // Quartz saturation within the +-15 % the generator allows, concentrated by steam loss.
      const double t_quartz = hqtz(c[comp::sio2]) - 273.15;
      EXPECT_GT(t_quartz, gs.t_aquifer_c - 30.0);
    }
    EXPECT_GE(gs.t_aquifer_c, 0.0);
    EXPECT_LE(gs.t_aquifer_c, 370.0);
    EXPECT_GE(s.ph, 2.0);
    EXPECT_LE(s.ph, 11.0);
  }
}

}  // namespace
}  // namespace morva
