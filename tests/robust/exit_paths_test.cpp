// Every way a run can stop early, with the program itself: the keyboard ending at each question,
// a sample file that cannot be read or holds no complete sample, an output file that cannot be
// created. Each stop names what failed, ends with its own exit status, and leaves every file
// written so far complete on disk.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "batch/output_files.h"
#include "driver/run.h"
#include "driver/session.h"
#include "morva/sample_file.h"
#include "report/run_files.h"
#include "robust/output_check.h"
#include "robust/water_generator.h"
#include "text/fields.h"

namespace morva {
namespace {

namespace fs = std::filesystem;

const std::string input_ended = "morva: standard input ended while an answer was awaited\n";

/// Runs the program with `cwd` as its working directory; keys and terminal go through files
/// in the scratch directory.
session run_in(const fs::path& cwd, const scratch_dir& dir, const std::string& keys) {
  dir.write("keys.txt", keys);
  const std::string d = dir.path().string();
  const std::string command = "cd '" + cwd.string() + "' && '" MORVA_EXE "' < '" + d +
                              "/keys.txt' > '" + d + "/screen.txt' 2> '" + d + "/errors.txt'";
  const int raw = std::system(command.c_str());
  session s;
  s.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  s.out = dir.read("screen.txt");
  s.err = dir.read("errors.txt");
  return s;
}

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

/// The first generated samples of the given kind, every one of which the calculation accepts
/// with the answers below.
std::string samples_of_kind(const std::string& kind, int n) {
  water_generator g(5, 0.0);
  std::string text;
  while (n > 0) {
    const generated_sample s = g.next();
    if (s.kind != kind) continue;
    text += s.block;
    --n;
  }
  return text;
}

// A hot spring calculated at 150 °C, having boiled at 95 °C (degassing 0.5), boiled in one step
// to 120 °C (degassing 0.2) and cooled in one step to 50 °C: every question of the dialog.
const std::string all_questions = "\n1\n150\n95\n0.5\n1,120\n0.2\n1,50\n";

/// The report holds n complete samples, each of four step pages besides its two own.
void expect_complete_report(const std::string& report, std::size_t n) {
  const std::vector<report_page> pages = report_pages(report, "G-");
  ASSERT_EQ(pages.size(), 6 * n);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const std::string last = pages[i].last_line();
    // Page kinds in turn: geothermometers last, then minerals, activity coefficients, minerals.
    const char* ending[] = {"     Na/K      ", "Chrysotile", "AlF6---", "Chrysotile"};
    const std::size_t kind = i % 6 < 2 ? i % 6 : 2 + (i % 6) % 2;
    EXPECT_NE(last.find(ending[kind]), std::string::npos) << "page " << i << ": " << last;
  }
  EXPECT_TRUE(report.empty() || report.back() == '\n');
}

/// A process-step file holds exactly n complete water-only blocks.
void expect_complete_step_file(const std::string& text, std::size_t n) {
  std::istringstream in(text);
  sample_reader f(in, "step file");
  std::size_t blocks = 0;
  for (;;) {
    const read_result got = f.next();
    ASSERT_NE(got.what, read_result::kind::error);
    EXPECT_EQ(got.dropped.value_or(""), "");
    if (got.what != read_result::kind::sample) break;
    ++blocks;
  }
  EXPECT_EQ(blocks, n);
  EXPECT_EQ(f.lines_read(), static_cast<long>(34 * n));
}

TEST(KeyboardEnds, AtEveryQuestionTheRunStopsWithItsStatusAndKeepsItsFiles) {
  // Each cut ends the keyboard just before one answer; the question is the last thing on the
  // screen, its line then closed. Cuts after the first sample leave its report and process-step
  // blocks complete.
  const std::string setup = "morva.in\nA. User\nA heading\n";
  struct cut {
    std::string keys;
    std::string last_question;
    std::size_t reported;
  };
  const std::string spring = setup + "out.txt\n\n1\n150\n";
  const cut cuts[] = {
      {"morva.in\n", " User name or date ......... :  ", 0},
      {"morva.in\nA. User\n", " Printout heading .......... :  ", 0},
      {setup + "boil.out\n", " default is morva.out ...... :  ", 0},
      {setup + "out.txt\n\n", " Select temperature type ... :  ", 0},
      {setup + "out.txt\n\nx\n", " Select temperature type ... :  ", 0},
      {setup + "out.txt\n\n0\n", " or input temperature ...... :  ", 0},
      {setup + "out.txt\n\n1\n",
       " Input temperature (\xB0"
       "C) .... :  ",
       0},
      {spring, " No boiling = <RETURN> ..... :  ", 0},
      {spring + "95\n", " Coefficient value ......... :  ", 0},
      {spring + "95\n0.5\n", " No boiling = <RETURN> ..... :  ", 0},
      {spring + "95\n0.5\n1,120\n0.2\n", " No cooling = <RETURN> ..... :  ", 0},
      {spring + "95\n0.5\n1,120\n0.2\n1,50\n",
       "    Do calculation = <RETURN>   //   Next sample = n   //   Quit = q  :  ", 1},
      {setup + "out.txt\n" + all_questions + all_questions,
       "    Do calculation = <RETURN>   //   Next sample = n   //   Quit = q  :  ", 2},
  };
  for (const cut& c : cuts) {
    SCOPED_TRACE(c.keys);
    scratch_dir dir;
    dir.write("morva.in", samples_of_kind("hot chloride spring", 3));
    const session s = run_morva(dir, c.keys);
    EXPECT_EQ(s.status, exit_input_ended);
    EXPECT_EQ(s.err, input_ended);
    EXPECT_TRUE(ends_with(s.out, c.last_question + "\n")) << s.out.substr(s.out.size() - 200);
    EXPECT_EQ(s.out.find("Calculation suppressed"), std::string::npos);
    EXPECT_EQ(dir.exists("out.txt"), c.reported > 0);
    if (c.reported > 0) {
      expect_complete_report(dir.read("out.txt"), c.reported);
      expect_complete_step_file(dir.read("cool.out"), c.reported);
      expect_complete_step_file(dir.read("boil.out"), c.reported);
    }
  }
}

TEST(SampleFileFaults, AFileThatCannotBeReadStopsTheRunNamingIt) {
  // A file the system refuses to read after opening it: the kernel's memory image of the
  // running process answers every read with an error.
  scratch_dir dir;
  const session s = run_morva(dir, "/proc/self/mem\n\n\n\n");
  EXPECT_EQ(s.status, exit_sample_file);
  EXPECT_NE(s.err.find("/proc/self/mem"), std::string::npos) << s.err;
  EXPECT_FALSE(dir.exists("morva.out"));
}

TEST(SampleFileFaults, AFileWithoutReadPermissionStopsTheRunNamingIt) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser reads every file";
  scratch_dir dir;
  dir.write("locked.in", samples_of_kind("hot chloride spring", 1));
  fs::permissions(dir / "locked.in", fs::perms::none);
  const session s = run_morva(dir, "locked.in\n\n\n\n");
  EXPECT_EQ(s.status, exit_sample_file);
  EXPECT_EQ(s.err, "morva: cannot open sample file locked.in\n");
  EXPECT_FALSE(dir.exists("morva.out"));
}

TEST(SampleFileFaults, AFileWithoutACompleteFirstSampleEndsTheRunInOrder) {
  // Empty; cut before the gas lines (the samples end there); cut after the water lines and
  // before the condensate line (the sample is dropped with a message naming it); a single line
  // without its line feed.
  const std::string block = samples_of_kind("hot chloride spring", 1);
  const std::vector<std::string> lines = split_lines(block);
  const auto head = [&lines](std::size_t n) {
    std::string t;
    for (std::size_t i = 0; i < n; ++i) t += lines[i] + "\n";
    return t;
  };
  struct file_case {
    std::string text;
    std::string said;
  };
  const std::string dropped =
      " Sample file ends inside sample " + lines[3].substr(0, 16) + "; it is not used.\n";
  const file_case cases[] = {
      {"", ""},       {head(10), ""}, {head(23), ""}, {head(24), dropped}, {head(32), dropped},
      {lines[0], ""},
  };
  for (const file_case& c : cases) {
    SCOPED_TRACE(c.text.size());
    scratch_dir dir;
    dir.write("morva.in", c.text);
    const session s = run_morva(dir, "\n\n\n\n");
    EXPECT_EQ(s.status, exit_orderly);
    EXPECT_EQ(s.err, "");
    const std::string tail = " default is morva.out ...... :  " + c.said;
    EXPECT_EQ(s.out.substr(s.out.size() - std::min(s.out.size(), tail.size())), tail);
    EXPECT_FALSE(dir.exists("morva.out"));
  }
}

TEST(SampleFileFaults, AnInvalidNumberLeavesTheSamplesBeforeItComplete) {
  // The second sample's Na line gets a letter after the first was reported with both kinds of
  // steps.
  std::vector<std::string> lines = split_lines(samples_of_kind("hot chloride spring", 2));
  lines[34 + 18][10] = 'O';
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  scratch_dir dir;
  dir.write("morva.in", text);
  const session s = run_morva(dir, "\n\n\nout.txt\n" + all_questions);
  EXPECT_EQ(s.status, exit_sample_file);
  EXPECT_EQ(s.err, "morva: sample file morva.in, line 53: read unexpected character\n");
  expect_complete_report(dir.read("out.txt"), 1);
  expect_complete_step_file(dir.read("cool.out"), 1);
  expect_complete_step_file(dir.read("boil.out"), 1);
}

TEST(OutputFileFaults, AFileThatCannotBeCreatedStopsTheRunNamingIt) {
  // The report file in a directory that does not exist, in one where nothing can be created
  // (the kernel's process tree refuses new files even to the superuser), or a directory of its
  // name: the first sample is not reported and nothing else is written.
  const std::string samples = samples_of_kind("hot chloride spring", 2);
  for (const std::string name : {"no/such/dir/out.txt", "/proc/out.txt", "taken"}) {
    SCOPED_TRACE(name);
    scratch_dir dir;
    dir.write("morva.in", samples);
    fs::create_directory(dir / "taken");
    const session s = run_morva(dir, "\n\n\n" + name + "\n\n1\n150\n\n\n\n");
    EXPECT_EQ(s.status, exit_file_not_created);
    EXPECT_EQ(s.err, "morva: cannot create file " + name + "\n");
    EXPECT_TRUE(fs::is_directory(dir / "taken"));
    EXPECT_FALSE(dir.exists("cool.out"));
    EXPECT_FALSE(dir.exists("boil.out"));
  }
}

TEST(OutputFileFaults, AReadOnlyDirectoryStopsTheRunAtTheReportFile) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser writes into every directory";
  scratch_dir dir;
  dir.write("morva.in", samples_of_kind("hot chloride spring", 1));
  fs::create_directory(dir / "locked");
  fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const session s = run_morva(dir, "\n\n\nlocked/out.txt\n\n1\n150\n\n\n\n");
  fs::permissions(dir / "locked", fs::perms::owner_all);
  EXPECT_EQ(s.status, exit_file_not_created);
  EXPECT_EQ(s.err, "morva: cannot create file locked/out.txt\n");
}

TEST(OutputFileFaults, AProcessStepFileThatCannotBeCreatedKeepsWhatCameBefore) {
  // A directory called "cool.out" is in the way. The first sample asks for boiling steps only
  // and is reported; the second asks for cooling steps too, and the run stops before
  // calculating it.
  const std::string samples = samples_of_kind("hot chloride spring", 3);
  scratch_dir dir;
  dir.write("morva.in", samples);
  fs::create_directories(dir / "cool.out" / "kept");
  const std::string boil_only = "\n1\n150\n95\n0.5\n1,120\n0.2\n\n";
  const session s = run_morva(dir, "\n\n\nout.txt\n" + boil_only + all_questions);
  EXPECT_EQ(s.status, exit_file_not_created);
  EXPECT_EQ(s.err, "morva: cannot create file cool.out\n");
  EXPECT_TRUE(fs::is_directory(dir / "cool.out" / "kept"));
  // The report of the first sample: its two pages and the two of its boiling step.
  const std::vector<report_page> pages = report_pages(dir.read("out.txt"), "G-");
  ASSERT_EQ(pages.size(), 4U);
  EXPECT_NE(pages[3].last_line().find("Chrysotile"), std::string::npos);
  expect_complete_step_file(dir.read("boil.out"), 1);
}

TEST(OutputFileFaults, AWorkingDirectoryWhereNothingCanBeCreated) {
  // The program runs in a directory that refuses new files; the sample and report files lie
  // elsewhere. The first sample asking for boiling steps stops the run at "boil.out" with
  // nothing reported; a run without steps reports as usual.
  scratch_dir dir;
  dir.write("morva.in", samples_of_kind("hot chloride spring", 1));
  // File names have 30 characters: reach the scratch directory through a short link.
  const fs::path link = "/tmp/mrv-" + std::to_string(getpid());
  fs::remove(link);
  fs::create_directory_symlink(dir.path(), link);
  const std::string in = (link / "morva.in").string();
  const std::string out = (link / "out.txt").string();
  {
    const session s = run_in("/proc", dir, in + "\n\n\n" + out + "\n" + all_questions);
    EXPECT_EQ(s.status, exit_file_not_created);
    EXPECT_EQ(s.err, "morva: cannot create file boil.out\n");
    EXPECT_FALSE(dir.exists("out.txt"));
  }
  {
    const session s = run_in("/proc", dir, in + "\n\n\n" + out + "\n\n1\n150\n\n\n\n");
    EXPECT_EQ(s.status, exit_orderly);
    EXPECT_EQ(s.err, "");
    const std::vector<report_page> pages = report_pages(dir.read("out.txt"), "G-");
    ASSERT_EQ(pages.size(), 2U);
    EXPECT_NE(pages[1].last_line().find("Chrysotile"), std::string::npos);
  }
  fs::remove(link);
}

}  // namespace
}  // namespace morva
