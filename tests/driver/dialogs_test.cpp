#include "driver/dialogs.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/session.h"

namespace morva {
namespace {

using namespace expected;

/// The terminal of a run of the example file whose first sample (HS-07, water only) is
/// calculated with the options answered by `options`, then the run quits at KV-12.
session hs07_with(const std::string& options) {
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  return run_morva(dir, "\n\n\n\n\n" + options + "q\n");
}

/// What the terminal shows of the options dialog in such a run.
std::string dialog_of(const session& s) {
  const std::string head = banner + setup + screen_hs07;
  if (s.out.compare(0, head.size(), head) != 0) return "(screen differs) " + s.out;
  const std::size_t end = s.out.rfind(screen_kv12);
  if (end == std::string::npos) return "(no second screen) " + s.out;
  return s.out.substr(head.size(), end - head.size());
}

TEST(OptionsDialog, ATypeTwoSampleIsNotAskedAboutABoilingSpring) {
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  const session s = run_morva(dir, "\n\n\n\nn\n\n\n\n\n\nq\n");
  EXPECT_EQ(s.out, banner + setup + screen_hs07 + screen_kv12 + temperature_types +
                       measured_temperature + boiling_steps + cooling_steps + screen_mp03);
  EXPECT_EQ(s.status, 0);
}

TEST(OptionsDialog, TemperatureTypeRefusalsAskTheFirstQuestionAgain) {
  // A letter, a type of 5 and of -1, an arbitrary temperature that is no number; then the
  // quartz geothermometer, which asks for no temperature.
  const session s = hs07_with("x\n5\n-1\n1\n12.5.1\n3\n\n\n\n");
  EXPECT_EQ(dialog_of(s), temperature_types + input_error + temperature_types + type_error +
                              temperature_types + type_error + temperature_types +
                              arbitrary_temperature + input_error + temperature_types +
                              boiling_spring + boiling_steps + cooling_steps);
  EXPECT_EQ(s.status, 0);
}

TEST(OptionsDialog, ASampleWithoutMeasuredTemperatureNeedsOneTyped) {
  std::vector<std::string> lines;
  {
    std::istringstream in(example_samples());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
  }
  lines[6] = "             0.0             0.0                             1.8";
  std::string file;
  for (const std::string& line : lines) file += line + "\n";
  scratch_dir dir;
  dir.write("morva.in", file);
  // Measured type with RETURN, with 0 and with -5 °C: refused; then 95 °C typed.
  const session s = run_morva(dir, "\n\n\n\n\n\n\n0\n0\n0\n-5\n0\n95\n\n\n\nq\n");
  const std::string refusal = temperature_types + measured_temperature + no_measured_temperature;
  EXPECT_NE(s.out.find(refusal + refusal + refusal + temperature_types + measured_temperature +
                       boiling_spring + boiling_steps + cooling_steps + screen_kv12),
            std::string::npos)
      << s.out;
  EXPECT_EQ(s.status, 0);
}

TEST(OptionsDialog, BoilingSpringAsksForDegassingOnlyWhenItBoils) {
  // 96 °C: degassing asked, a letter refused; then -3 °C (no boiling) asks nothing more.
  EXPECT_EQ(dialog_of(hs07_with("\n\n96\nabc\n0.5\n\n\n")),
            temperature_types + measured_temperature + boiling_spring + degassing + input_error +
                degassing + boiling_steps + cooling_steps);
  EXPECT_EQ(
      dialog_of(hs07_with("\n\n-3\n\n\n")),
      temperature_types + measured_temperature + boiling_spring + boiling_steps + cooling_steps);
}

TEST(OptionsDialog, StepAnswersOutsideTheirLimitsAreAskedAgain) {
  // Boiling: 11 steps; 31 steps ("3 120": blanks do not separate); a letter; 400 °C; then
  // one step at the critical temperature, accepted, and its degassing question.
  // Cooling: a step below 0 °C; then two steps, the second at 0 °C, accepted.
  const session s = hs07_with("\n\n\n11\n3 120\n2,150,x\n2,150,400\n1,373.85\n\n1,-0.5\n2,100,0\n");
  EXPECT_EQ(dialog_of(s), temperature_types + measured_temperature + boiling_spring +
                              boiling_steps + input_error + boiling_steps + input_error +
                              boiling_steps + input_error + boiling_steps + step_temperatures +
                              boiling_steps + degassing + cooling_steps + step_temperatures +
                              cooling_steps);
  EXPECT_EQ(s.status, 0);
}

// The values the dialog hands to the calculation.

/// askme2 on typed answers; the terminal text is checked by the tests above.
run_options ask(int type, double t_collect_c, const std::string& keys, bool& answered,
                run_options opt = {}) {
  std::istringstream in(keys);
  std::ostringstream term;
  // Type 1 is a water-only sample, type 2 one with steam-phase data.
  answered =
      askme2(type == 2 ? sample_type::two_phase : sample_type::water, t_collect_c, opt, in, term);
  return opt;
}

TEST(OptionsValues, StepsAndTemperaturesAsTyped) {
  bool answered = false;
  const run_options o = ask(1, 97.2, "1\n150\n\n3,200,180,160\n0.05\n2,150\n", answered);
  ASSERT_TRUE(answered);
  EXPECT_EQ(o.tref_type, reference_temperature::arbitrary);
  EXPECT_EQ(o.t_typed_c, 150.0);
  EXPECT_EQ(o.t_spring_c.value_or(0.0), 0.0);
  EXPECT_EQ(o.spring_degas, 1.0);
  EXPECT_EQ(o.boil_c, (std::vector<double>{200, 180, 160}));
  EXPECT_EQ(o.boil_degas, 0.05);
  // "2,150": two steps with one temperature typed; the second is 0 °C.
  EXPECT_EQ(o.cool_c, (std::vector<double>{150, 0}));
}

TEST(OptionsValues, DegassingCoefficientsOutsideTheirRangeMeanEquilibrium) {
  struct coefficient {
    const char* typed;
    double value;
  };
  for (const coefficient c :
       {coefficient{"0.0099", 1.0}, coefficient{"2", 1.0}, coefficient{"", 1.0},
        coefficient{"0.01", 0.01}, coefficient{"1", 1.0}, coefficient{"0.3", 0.3}}) {
    SCOPED_TRACE(c.typed);
    bool answered = false;
    const run_options o =
        ask(1, 97.2, std::string("\n\n95\n") + c.typed + "\n1,80\n" + c.typed + "\n\n", answered);
    ASSERT_TRUE(answered);
    EXPECT_EQ(o.t_spring_c, 95.0);
    EXPECT_EQ(o.spring_degas, c.value);
    EXPECT_EQ(o.boil_degas, c.value);
  }
}

TEST(OptionsValues, TypedTemperaturesAndTheBoilingSpringOfATypeTwoSample) {
  bool answered = false;
  run_options before;
  before.t_spring_c = 99.0;
  before.spring_degas = 0.5;
  // Type 0 with 12.5e1 typed; a type-2 sample leaves the boiling-spring fields alone.
  const run_options o = ask(2, 178.0, "0\n12.5e1\n\n\n", answered, before);
  ASSERT_TRUE(answered);
  EXPECT_EQ(o.tref_type, reference_temperature::measured);
  EXPECT_EQ(o.t_typed_c, 125.0);
  EXPECT_EQ(o.t_spring_c, 99.0);
  EXPECT_EQ(o.spring_degas, 0.5);
  EXPECT_TRUE(o.boil_c.empty());
  EXPECT_TRUE(o.cool_c.empty());
  // A negative spring temperature means no boiling.
  EXPECT_FALSE(ask(1, 97.2, "\n\n-3\n\n\n", answered).t_spring_c);
  EXPECT_TRUE(answered);
  // Arbitrary type 1 accepts 0 °C.
  EXPECT_EQ(ask(1, 97.2, "1\n0\n\n\n\n", answered).tref_type, reference_temperature::arbitrary);
  EXPECT_TRUE(answered);
  ask(1, 97.2, "1\n0\n\n", answered);
  EXPECT_FALSE(answered);
}

TEST(RunSetupValues, AnswersArePaddedOrCutAndEmptyNamesGetTheDefaults) {
  std::string user, heading, sample, report;
  std::istringstream keys("\nM. Jonsdottir, 12 June 2024, field season\nNorth\n\n");
  std::ostringstream term;
  ASSERT_TRUE(askme1(user, heading, sample, report, keys, term));
  EXPECT_EQ(sample, "morva.in" + std::string(22, ' '));
  EXPECT_EQ(report, "morva.out" + std::string(21, ' '));
  EXPECT_EQ(user, "M. Jonsdottir, 12 Ju");
  EXPECT_EQ(heading, "North" + std::string(75, ' '));
  EXPECT_EQ(term.str(), setup);
}

TEST(RunSetupValues, TheDefaultIsWrittenOverANameWhoseFirstEightColumnsAreBlank) {
  std::string user, heading, sample, report;
  std::istringstream keys("        .2\n\n\n        12\n");
  std::ostringstream term;
  ASSERT_TRUE(askme1(user, heading, sample, report, keys, term));
  EXPECT_EQ(sample, "morva.in.2" + std::string(20, ' '));
  EXPECT_EQ(report, "morva.out2" + std::string(20, ' '));
  EXPECT_EQ(user, std::string(20, ' '));
}

}  // namespace
}  // namespace morva
