#include "driver/run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch/output_files.h"
#include "driver/session.h"
#include "report/run_files.h"
#include "text/fields.h"

namespace morva {
namespace {

namespace fs = std::filesystem;
using namespace expected;

const std::string defaults = "\n\n\n\n";  // every run-setup question answered with RETURN

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string joined(const std::vector<std::string>& lines, std::size_t n, const char* eol) {
  std::string text;
  for (std::size_t i = 0; i < n && i < lines.size(); ++i) text += lines[i] + eol;
  return text;
}

/// The example file cut after its first n lines.
std::string example_head(std::size_t n) { return joined(lines_of(example_samples()), n, "\n"); }

// HS-07 calculated with every option at its default, then no more answers to give.
const std::string hs07_default_options = "\n\n\n\n\n";
const std::string hs07_default_dialog =
    temperature_types + measured_temperature + boiling_spring + boiling_steps + cooling_steps;

TEST(SampleLoop, ShowsEverySampleOfTheExampleFileAndEndsAtItsEnd) {
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  const session s = run_morva(dir, defaults + "n\nN\nn\n");
  EXPECT_EQ(s.out, banner + setup + screen_hs07 + screen_kv12 + screen_mp03);
  EXPECT_EQ(s.err, "");
  EXPECT_EQ(s.status, 0);
  for (const char* name : {"morva.out", "boil.out", "cool.out"}) EXPECT_FALSE(dir.exists(name));
}

TEST(SampleLoop, QuitAtTheFirstSampleLeavesOldFilesUntouched) {
  for (const char* quit : {"q\n", "Q\n", "quit now\n"}) {
    SCOPED_TRACE(quit);
    scratch_dir dir;
    dir.write("morva.in", example_samples());
    dir.write("morva.out", "an old report\n");
    dir.write("boil.out", "an old boiled fluid\n");
    const session s = run_morva(dir, defaults + quit);
    EXPECT_EQ(s.out, banner + setup + screen_hs07);
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(dir.read("morva.out"), "an old report\n");
    EXPECT_EQ(dir.read("boil.out"), "an old boiled fluid\n");
    EXPECT_FALSE(dir.exists("cool.out"));
  }
}

TEST(SampleLoop, AnyOtherChoiceCalculatesTheSample) {
  // An empty line, a letter other than n or q, and " q" (only the first character counts).
  for (const char* go : {"\n", "x\n", " q\n"}) {
    SCOPED_TRACE(go);
    scratch_dir dir;
    dir.write("morva.in", example_samples());
    const session s = run_morva(dir, defaults + go + hs07_default_options + "q\n");
    EXPECT_EQ(s.out, banner + setup + screen_hs07 + hs07_default_dialog + screen_kv12);
    EXPECT_EQ(s.status, 0);
  }
}

TEST(SampleLoop, NamedFilesAndWindowsLineEndsReadTheSame) {
  // Keyboard answers and the sample file with CR LF line ends, and a last answer without
  // its line feed: the run reads exactly what it reads from plain lines.
  scratch_dir dir;
  dir.write("field 2023.dat", joined(lines_of(example_samples()), 200, "\r\n"));
  const session s =
      run_morva(dir,
                "field 2023.dat\r\nA. Geochemist, 3 May 2024\r\nSurvey of the northern springs\r\n"
                "north.out\r\nn\r\nq");
  EXPECT_EQ(s.out, banner + setup + screen_hs07 + screen_kv12);
  EXPECT_EQ(s.err, "");
  EXPECT_EQ(s.status, 0);
}

TEST(SampleLoop, AFileEndingBeforeItsFirstCompleteSampleEndsTheRun) {
  scratch_dir dir;
  dir.write("morva.in", example_head(20));
  const session s = run_morva(dir, defaults);
  EXPECT_EQ(s.out, banner + setup);
  EXPECT_EQ(s.status, 0);
  EXPECT_FALSE(dir.exists("morva.out"));
}

TEST(SampleLoop, ASampleCutInsideItsGasLinesIsNotUsed) {
  scratch_dir dir;
  dir.write("morva.in", example_head(34 + 28));
  const session s = run_morva(dir, defaults + "n\n");
  EXPECT_EQ(s.out, banner + setup + screen_hs07 +
                       " Sample file ends inside sample KV-12           ; it is not used.\n");
  EXPECT_EQ(s.status, 0);
}

TEST(ProcessStepFiles, BoilingFileIsCreatedAfterTheOptionsDialogAndOnlyThen) {
  // HS-07 with two boiling steps; cool.out is asked for by no sample and stays as it was.
  const std::string options = "\n\n\n2,150,120\n\n\n";
  {
    scratch_dir dir;
    dir.write("morva.in", example_samples());
    dir.write("boil.out", "an old boiled fluid\n");
    dir.write("cool.out", "an old cooled fluid\n");
    const session s = run_morva(dir, defaults + "\n" + options + "q\n");
    EXPECT_EQ(s.out, banner + setup + screen_hs07 + temperature_types + measured_temperature +
                         boiling_spring + boiling_steps + degassing + cooling_steps + screen_kv12);
    EXPECT_EQ(s.status, 0);
    EXPECT_NE(dir.read("boil.out"), "an old boiled fluid\n");
    EXPECT_EQ(dir.read("cool.out"), "an old cooled fluid\n");
  }
  {
    // The keyboard ends at the cooling question: the dialog was not finished, so the old
    // boiling file is still there.
    scratch_dir dir;
    dir.write("morva.in", example_samples());
    dir.write("boil.out", "an old boiled fluid\n");
    const session s = run_morva(dir, defaults + "\n" + options.substr(0, options.size() - 1));
    EXPECT_EQ(s.status, exit_input_ended);
    EXPECT_EQ(dir.read("boil.out"), "an old boiled fluid\n");
  }
}

TEST(ProcessStepFiles, ALaterSampleAskingForCoolingCreatesOnlyTheCoolingFile) {
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  // HS-07 calculated without steps, KV-12 skipped, MP-03 cooled in one step to 50 °C.
  const session s =
      run_morva(dir, defaults + "\n" + hs07_default_options + "n\n" + "\n\n\n\n\n1,50\n");
  EXPECT_EQ(s.out, banner + setup + screen_hs07 + hs07_default_dialog + screen_kv12 + screen_mp03 +
                       hs07_default_dialog);
  EXPECT_EQ(s.status, 0);
  EXPECT_TRUE(dir.exists("cool.out"));
  EXPECT_FALSE(dir.exists("boil.out"));
}

TEST(ProcessStepFiles, ASampleFileNamedBoilOutIsReadToItsEndWhileANewOneIsWritten) {
  // Reading a boiled fluid back in: the run replaces "boil.out" by a new file, and goes on
  // reading the old one.
  scratch_dir dir;
  dir.write("boil.out", example_samples());
  const session s = run_morva(dir, "boil.out\n\n\n\n\n\n\n\n1,100\n\n\nn\nn\n");
  EXPECT_EQ(s.out, banner + setup + screen_hs07 + temperature_types + measured_temperature +
                       boiling_spring + boiling_steps + degassing + cooling_steps + screen_kv12 +
                       screen_mp03);
  EXPECT_EQ(s.status, 0);
  EXPECT_NE(dir.read("boil.out"), example_samples());
}

TEST(RunSetup, AnOutputFileThatWouldDestroyAnInputIsRefused) {
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  fs::create_symlink("morva.in", dir / "alias.in");
  fs::create_hard_link(dir / "morva.in", dir / "copy.in");
  const std::string refused[] = {"morva.in", "./morva.in", "alias.in",   "copy.in",
                                 "cool.out", "boil.out",   "./boil.out", "new/../cool.out"};
  std::string keys = "\n\n\n";
  std::string out = banner + input_file_question + user_question + heading_question;
  for (const std::string& name : refused) {
    keys += name + "\n";
    out += output_file_question + output_refused;
  }
  const session s = run_morva(dir, keys + "report.txt\nq\n");
  EXPECT_EQ(s.out, out + output_file_question + screen_hs07);
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(dir.read("morva.in"), example_samples());
}

TEST(RunSetup, TheDefaultOutputFileIsRefusedWhenItIsTheSampleFile) {
  scratch_dir dir;
  dir.write("morva.out", example_samples());
  const session s = run_morva(dir, "morva.out\n\n\n\nsecond.out\nq\n");
  EXPECT_EQ(s.out, banner + setup + output_refused + output_file_question + screen_hs07);
  EXPECT_EQ(s.status, 0);
}

TEST(RunFailures, ASampleFileThatCannotBeOpenedEndsTheRun) {
  scratch_dir dir;
  fs::create_directory(dir / "samples");
  for (const char* name : {"absent.in", "samples"}) {
    SCOPED_TRACE(name);
    const session s = run_morva(dir, std::string(name) + "\n\n\n\n");
    EXPECT_EQ(s.out, banner + setup);
    EXPECT_EQ(s.err, std::string("morva: cannot open sample file ") + name + "\n");
    EXPECT_EQ(s.status, exit_sample_file);
    EXPECT_FALSE(dir.exists("morva.out"));
  }
}

TEST(RunFailures, AnInvalidNumberStopsTheRunAndKeepsWhatWasWritten) {
  // The Na line of the second sample (line 34 + 19 of the file) gets a letter.
  std::vector<std::string> lines = lines_of(example_samples());
  lines[34 + 18] = "           268.0            46.3            0.O2            0.85";
  scratch_dir dir;
  dir.write("morva.in", joined(lines, lines.size(), "\n"));
  const session s = run_morva(dir, defaults + "\n\n\n\n\n1,50\n");
  EXPECT_EQ(s.out, banner + setup + screen_hs07 + hs07_default_dialog);
  EXPECT_NE(s.err.find("morva.in"), std::string::npos) << s.err;
  EXPECT_NE(s.err.find("line 53"), std::string::npos) << s.err;
  EXPECT_NE(s.err.find("read unexpected character"), std::string::npos) << s.err;
  EXPECT_EQ(s.status, 1);
  EXPECT_TRUE(dir.exists("cool.out"));
}

TEST(RunFailures, AFileThatCannotBeCreatedEndsTheRun) {
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  fs::create_directories(dir / "boil.out" / "data");
  const session s = run_morva(dir, defaults + "\n\n\n\n2,150,120\n\n1,50\n");
  EXPECT_EQ(s.err, "morva: cannot create file boil.out\n");
  EXPECT_EQ(s.status, exit_file_not_created);
  EXPECT_TRUE(fs::is_directory(dir / "boil.out" / "data"));
  EXPECT_FALSE(dir.exists("cool.out"));
}

TEST(RunFailures, TheKeyboardEndingInADialogEndsTheRun) {
  const std::string message = "morva: standard input ended while an answer was awaited\n";
  struct cut {
    std::string keys, out;
  };
  const cut cuts[] = {
      {"", banner + input_file_question + "\n"},
      {"\n\n\n", banner + input_file_question + user_question + heading_question +
                     output_file_question + "\n"},
      {defaults, banner + setup + screen_hs07 + "\n"},
      {defaults + "\n", banner + setup + screen_hs07 + temperature_types + "\n"},
      {defaults + "\n\n\n", banner + setup + screen_hs07 + temperature_types +
                                measured_temperature + boiling_spring + "\n"},
      {defaults + "\n\n\n\n1,50\n", banner + setup + screen_hs07 + temperature_types +
                                        measured_temperature + boiling_spring + boiling_steps +
                                        degassing + "\n"},
  };
  for (const cut& c : cuts) {
    SCOPED_TRACE(c.keys);
    scratch_dir dir;
    dir.write("morva.in", example_samples());
    const session s = run_morva(dir, c.keys);
    EXPECT_EQ(s.out, c.out);
    EXPECT_EQ(s.err, message);
    EXPECT_EQ(s.status, exit_input_ended);
  }
}

// The example file as a user meets it first.

/// The numbers printed behind `label` in the report, in report order (F fields, so a field of
/// asterisks fails the test rather than reading as a number).
std::vector<double> numbers_after(const std::string& report, const std::string& label,
                                  std::size_t width) {
  std::vector<double> found;
  for (std::size_t at = report.find(label); at != std::string::npos;
       at = report.find(label, at + 1)) {
    const std::string field = report.substr(at + label.size(), width);
    char* end = nullptr;
    const double v = std::strtod(field.c_str(), &end);
    EXPECT_EQ(end, field.c_str() + field.size()) << "not a number: \"" << field << "\"";
    found.push_back(v);
  }
  return found;
}

TEST(ExampleFile, EverySampleIsChargeBalancedLikeAPublishedAnalysis) {
  // All three samples at their measured temperatures without steps: HS-07 and MP-03 (water
  // only) answer five questions, KV-12 (with steam) four.
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  const session s = run_morva(
      dir, defaults + "\n" + hs07_default_options + "\n\n\n\n\n" + "\n" + hs07_default_options);
  ASSERT_EQ(s.status, 0) << s.err;
  // Each sample reports the balance of the sampled water and of the reference state, F6.2.
  const std::vector<double> diff = numbers_after(dir.read("morva.out"), "Difference (%) =", 6);
  ASSERT_EQ(diff.size(), 6u);
  for (double d : diff) EXPECT_LE(std::abs(d), 5.0);
}

TEST(ExampleFile, TheReadmeSessionWritesItsPagesAndStepFiles) {
  // HS-07 at 97.2 °C boiled to 90 and 80 °C and cooled to 50 °C, KV-12 at its quartz
  // temperature, MP-03 skipped.
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  const session s = run_morva(dir,
                              "\nA. Geochemist 2024\nKettleby and Kaldvik survey\n\n"
                              "\n\n\n\n2,90,80\n\n1,50\n"
                              "\n3\n\n\n"
                              "n\n");
  ASSERT_EQ(s.status, 0) << s.err;
  // The run ends at the end of the file, right after the last screen's answer.
  ASSERT_GE(s.out.size(), screen_mp03.size());
  EXPECT_EQ(s.out.substr(s.out.size() - screen_mp03.size()), screen_mp03);

  // Two pages each: HS-07, its cooling step, its two boiling steps, KV-12.
  const std::vector<std::string> report = lines_of(dir.read("morva.out"));
  std::vector<std::string> separators, headings;
  for (std::size_t i = 0; i < report.size(); ++i) {
    if (report[i] == std::string(1, '\0') || report[i] == "\f") separators.push_back(report[i]);
    if (report[i].find("Aquifer liquid") != std::string::npos) headings.push_back(report[i]);
  }
  ASSERT_EQ(separators.size(), 10u);
  EXPECT_EQ(separators[0], std::string(1, '\0'));
  const std::string hs07 = "     HS-07" + std::string(11 + 12, ' ') + "Aquifer liquid ";
  const std::string degassing = std::string(18, ' ') + "Degassing coefficient is 1.0000";
  const std::string deg_c = std::string(1, '\xB0') + "C";
  const std::string cooled = hs07 + "cooled to  50.0 " + deg_c;
  const std::string boiled90 = hs07 + "boiled to  90.0 " + deg_c + degassing;
  const std::string boiled80 = hs07 + "boiled to  80.0 " + deg_c + degassing;
  EXPECT_EQ(headings,
            (std::vector<std::string>{cooled, cooled, boiled90, boiled90, boiled80, boiled80}));
  // The well's reference temperature is its quartz temperature, near 250 °C.
  const std::string kv12 = dir.read("morva.out").substr(dir.read("morva.out").find("KV-12"));
  const std::vector<double> tref = numbers_after(kv12, "Reference temperature    deg.C :", 7);
  ASSERT_EQ(tref.size(), 1u);
  EXPECT_NEAR(tref[0], 250.0, 10.0);
  EXPECT_NE(kv12.find("  (Quartz)    "), std::string::npos);

  // Each step file holds one block of HS-07 at its last step temperature (line 7, F16.8).
  for (const auto& [name, t] :
       {std::pair{"cool.out", "     50.00000000"}, std::pair{"boil.out", "     80.00000000"}}) {
    SCOPED_TRACE(name);
    const std::vector<std::string> block = lines_of(dir.read(name));
    ASSERT_EQ(block.size(), 34u);
    EXPECT_EQ(block[3].substr(0, 16), "HS-07           ");
    EXPECT_EQ(block[6].substr(0, 16), t);
  }
}

// The run state's own file handling, without the program around it.

/// Runs a block of code in another working directory and comes back.
class working_dir {
 public:
  explicit working_dir(const fs::path& p) : old_(fs::current_path()) { fs::current_path(p); }
  ~working_dir() { fs::current_path(old_); }
  working_dir(const working_dir&) = delete;
  working_dir& operator=(const working_dir&) = delete;

 private:
  fs::path old_;
};

TEST(ReportFile, IsCreatedOnceWhenTheFirstSampleIsReported) {
  scratch_dir dir;
  dir.write("old.out", "an old report\n");
  const working_dir here(dir.path());
  run_state rs;
  rs.report_file = padded("old.out", 30);
  std::ostringstream err;
  ASSERT_TRUE(rs.make_report_ready(err));
  EXPECT_EQ(dir.read("old.out"), "");
  rs.report << '\0' << '\n';
  rs.page_separator = separator_form_feed;
  ASSERT_TRUE(rs.make_report_ready(err));  // the second sample goes on in the same file
  rs.report.close();
  EXPECT_EQ(dir.read("old.out"), std::string("\0\n", 2));
  EXPECT_EQ(err.str(), "");
}

TEST(ReportFile, ThatCannotBeCreatedIsReportedByName) {
  scratch_dir dir;
  fs::create_directory(dir / "taken");
  std::ostringstream err;
  std::ofstream f;
  EXPECT_FALSE(replace_file((dir / "taken").string(), f, err));
  EXPECT_EQ(err.str(), "morva: cannot create file " + (dir / "taken").string() + "\n");
  EXPECT_TRUE(fs::is_directory(dir / "taken"));
}

TEST(ReportFile, ReplacingLeavesAReaderOfTheOldFileUndisturbed) {
  scratch_dir dir;
  dir.write("old.in", "first line\nsecond line\n");
  std::ifstream old(dir / "old.in");
  std::string line;
  std::getline(old, line);
  std::ofstream f;
  std::ostringstream err;
  ASSERT_TRUE(replace_file((dir / "old.in").string(), f, err));
  f << "new\n";
  f.close();
  std::getline(old, line);
  EXPECT_EQ(line, "second line");
  EXPECT_EQ(dir.read("old.in"), "new\n");
}

}  // namespace
}  // namespace morva
