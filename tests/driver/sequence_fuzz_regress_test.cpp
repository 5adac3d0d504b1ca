// Faults that fuzzing found in the calculation of a sample, one regression test each: analyses
// that the reader accepts but that no finite calculation can follow. Such a sample is refused
// with a message, like any other refusal, and nothing that is not a number reaches a file.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "driver/session.h"
#include "morva/calculate.h"
#include "morva/sample_file.h"

namespace morva {
namespace {

const std::string refused =
    "\n"
    "\n"
    " Analysis out of range: the calculation gives no finite result\n"
    " Calculation suppressed\n";

/// A text right-justified in a 16-column field of the sample file.
std::string f16(const std::string& text) { return std::string(16 - text.size(), ' ') + text; }

/// The first sample of the example file (HS-07, a hot spring) with some lines replaced.
std::string example_with(const std::vector<std::pair<int, std::string>>& changes) {
  std::istringstream in(example_samples());
  std::vector<std::string> lines;
  std::string line;
  for (int n = 1; n <= 34 && std::getline(in, line); ++n) lines.push_back(line);
  for (const auto& [n, text] : changes) lines[static_cast<std::size_t>(n - 1)] = text;
  std::string block;
  for (const std::string& l : lines) block += l + "\n";
  return block;
}

sample_record read_one(const std::string& block) {
  std::istringstream in(block);
  sample_reader f(in, "morva.in");
  const read_result got = f.next();
  EXPECT_EQ(got.what, read_result::kind::sample);
  return got.sample;
}

/// The terminal lines of a calculation that was refused, or "" when it was not.
std::string refusal_of(const sample_record& s, const run_options& opt) {
  const sample_result r = calculate(s, opt);
  return r.refused ? refusal_text(*r.refused) : "";
}

TEST(AbsurdAnalyses, AreRefusedRatherThanCalculatedToNumbersThatAreNotFinite) {
  const std::string negative =
      "\n"
      "\n"
      " Negative concentration in the sample data\n"
      " Calculation suppressed\n";
  struct absurd {
    const char* name;
    std::vector<std::pair<int, std::string>> lines;
    run_options opt;
    std::string terminal;
  };
  run_options measured;
  run_options at_150;
  at_150.tref_type = reference_temperature::arbitrary;
  at_150.t_typed_c = 150.0;
  const std::vector<absurd> cases = {
      // 1e300 mg/kg of Na and K: the ionic strength overflows.
      {"sodium and potassium of 1e300 mg/kg",
       {{19, f16("1e300") + f16("1e300")}},
       measured,
       refused},
      // A steam CO2 beside a CO2 share of 1e-320 % of the gas: the litres of gas per kg of
      // condensate derived from them overflow, and so do the steam totals.
      {"gas share of 1e-320 %", {{25, f16("1e-320")}, {31, f16("500")}}, at_150, refused},
      // A negative total would give a negative ionic strength, whose square root enters
      // every activity coefficient.
      {"negative sodium", {{19, f16("-5")}}, measured, negative},
      // More CO2 in the condensate than in the steam: the litres of gas per kg of condensate
      // derived from them, and with them the steam totals of the gases, are negative.
      {"condensate richer than its steam",
       {{25, f16("80") + f16("5") + f16("") + f16("2") + f16("1")},
        {31, f16("100")},
        {34, f16("1240")}},
       at_150,
       negative},
  };
  for (const absurd& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(refusal_of(read_one(example_with(c.lines)), c.opt), c.terminal);
  }
}

TEST(AbsurdAnalyses, ARefusedSampleLeavesTheRunAndTheReportOfTheNextSampleIntact) {
  scratch_dir dir;
  std::istringstream in(example_samples());
  std::string rest, line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (n > 34) rest += line + "\n";
  }
  dir.write("morva.in", example_with({{19, f16("1e300") + f16("1e300")}}) + rest);
  // Both samples calculated with every answer at its default (the well, of type 2, is not
  // asked about a boiling spring), then quit at the third.
  const std::string spring = "\n\n\n\n\n\n";
  const std::string well = "\n\n\n\n\n";
  const session s = run_morva(dir, "\n\n\n\n" + spring + well + "q\n");
  EXPECT_EQ(s.status, 0) << s.err;
  EXPECT_NE(s.out.find(refused), std::string::npos);
  const std::string report = dir.read("morva.out");
  EXPECT_EQ(report.find("HS-07"), std::string::npos);
  EXPECT_NE(report.find("KV-12"), std::string::npos);
  EXPECT_EQ(report.find("nan"), std::string::npos);
  EXPECT_EQ(report.find("inf"), std::string::npos);
}

TEST(AbsurdAnalyses, AStepWithoutAFiniteResultIsSkippedAndTheRestOfTheSampleStands) {
  // Gas shares of 3140 % H2S and 107 % N2 with 1350 L of gas per kg of condensate: the
  // aquifer fluid, capped at the critical point, holds a kilogram of H2S per kilogram and still
  // solves, but boiled down to 0 °C its speciation overflows.
  std::vector<std::string> lines(34);
  lines[0] = "Program MORVA input. Concentrations in mg/kg, unless otherwise specified.";
  lines[3] = "X-1             absurd gas shares";
  lines[6] = f16("774");
  lines[15] = f16("4");
  lines[24] = f16("") + f16("3140") + f16("120");
  lines[27] = f16("") + f16("107") + f16("1350");
  std::string block;
  for (const std::string& l : lines) block += l + "\n";
  scratch_dir dir;
  dir.write("morva.in", block);
  // Measured temperature, one boiling step to 0 °C, no cooling.
  const session s = run_morva(dir, "\n\n\n\n\n0\n\n1,0\n\n\n");
  EXPECT_EQ(s.status, 0) << s.err;
  EXPECT_NE(s.out.find("\n Boiling to   0.0 \xB0"
                       "C gives no finite result. Step skipped.\n"),
            std::string::npos);
  // The reference state is reported; the skipped step leaves no page and no boiled liquid.
  const std::string report = dir.read("morva.out");
  EXPECT_NE(report.find("X-1"), std::string::npos);
  EXPECT_EQ(report.find("boiled to"), std::string::npos);
  EXPECT_EQ(report.find("nan"), std::string::npos);
  EXPECT_EQ(report.find("inf"), std::string::npos);
  EXPECT_TRUE(dir.exists("boil.out"));
  EXPECT_EQ(dir.read("boil.out"), "");
}

}  // namespace
}  // namespace morva
