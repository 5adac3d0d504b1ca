// The batch commands under hostile inputs and failing outputs: each fault a row of one table,
// with the status it must give, what it must say and what it must leave on disk.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/session.h"

namespace morva {
namespace {

/// A table of analyses whose ids a spreadsheet would take for formulas, or that give one
/// picture name, with enough analysis for every command.
const char* const hostile_ids =
    "sample,temperature,pH,pH temperature,SiO2,Na,K,Mg,Ca,Cl,SO4\n"
    "=1+2,90,8,20,300,100,20,1,5,300,40\n"
    "@x,90,8,20,300,100,20,1,5,300,40\n"
    "A/B,90,8,20,300,100,20,1,5,300,40\n"
    "A_B,90,8,20,300,100,20,1,5,300,40\n"
    "A B,90,8,20,300,100,20,1,5,300,40\n"
    "A_B,90,8,20,300,100,20,1,5,300,40\n";

/// The example sample file with ESC and BEL in its first id.
std::string with_control_characters() {
  std::string text = example_samples();
  const std::size_t at = text.find("HS-07");
  text.replace(at, 5, "H\x1b[31mS\x07");
  return text;
}

TEST(OutputFaults, EachFaultGivesItsStatusAndLeavesEveryFileWholeOrUntouched) {
  struct fault_case {
    const char* what;
    std::string shell;                     // run in a fresh folder; the program is $M
    int status;                            // exit status
    const char* message = nullptr;         // a part of standard error; nullptr: anything
    std::vector<std::string> untouched{};  // still hold "old\n"
    std::vector<std::string> present{};    // exist
    std::vector<std::string> absent{};     // do not exist
    std::vector<std::pair<std::string, std::string>> holds{};  // file, a text it holds
    std::vector<std::pair<std::string, std::string>> lacks{};  // file, a text it must not hold
    double max_seconds = 60;                                   // wall time of the whole row
  };
  const std::string fifo_term = "mkfifo f.fifo; timeout --preserve-status -s TERM 1 $M ";
  const std::vector<fault_case> cases = {
      {"two outputs on one path",
       "$M run morva.in --no-report --table x.out --json x.out",
       2,
       "output files x.out and x.out are the same file",
       {},
       {},
       {"x.out"}},
      {"one file by a link",
       "ln -s old.csv link.csv; $M run morva.in --table old.csv --json link.csv",
       2,
       "are the same file",
       {"old.csv"},
       {},
       {"morva.out"}},
      {"missing folder for run",
       "$M run morva.in --table old.csv --species nodir/s.csv",
       2,
       "cannot create file nodir/s.csv: no folder nodir",
       {"old.csv"},
       {},
       {"morva.out"}},
      {"missing folder for the page",
       "$M saturation morva.in --table old.csv --html no/p.html",
       2,
       "no folder no",
       {"old.csv"},
       {},
       {}},
      {"missing folder for the pictures",
       "$M saturation morva.in --plots no/pics",
       2,
       "cannot create folder no/pics: no folder no",
       {},
       {},
       {"no"}},
      {"missing folder for a diagram", "$M diagram morva.in --out no/d.svg", 2, "no folder no"},
      {"missing folder for convert", "$M convert morva.in no/m.csv", 2, "no folder no"},
      {"output is a folder", "mkdir d; $M run morva.in --no-report --table d", 2,
       "cannot create file d: it is a folder"},
      {"a full device",
       "$M run morva.in --no-report --table old.csv --json /dev/full",
       2,
       "cannot write file /dev/full",
       {"old.csv"}},
      {"a file-size limit, the signal not ignored by the shell",
       "ulimit -f 8; $M run many.in --no-report --table old.csv --json j.json",
       2,
       "cannot write file",
       {"old.csv"},
       {},
       {"j.json"}},
      {"standard output full",
       "$M saturation morva.in --table old.csv > /dev/full",
       2,
       "cannot write standard output",
       {"old.csv"}},
      {"a whole run replaces old files",
       "$M run morva.in --table old.csv",
       0,
       nullptr,
       {},
       {"morva.out"},
       {},
       {{"old.csv", "\nKV-12,"}}},
      {"picture names collide",
       "$M saturation ids.csv --plots pics --summary sum.csv --html p.html --minerals quartz",
       0,
       nullptr,
       {},
       {"pics/A_B.svg", "pics/A_B-2.svg", "pics/A_B-3.svg", "pics/A_B-4.svg"},
       {},
       {{"sum.csv", ",A_B-4.svg\n"}, {"p.html", "(picture A_B-4.svg)"}}},
      {"a mineral named twice",
       "$M saturation morva.in --minerals quartz,Quartz --table t.csv",
       0,
       "\"Quartz\" given more than once; taken once",
       {},
       {},
       {},
       {{"t.csv", "sd_si,si_quartz\n"}}},
      {"the report's own mineral name", "$M saturation morva.in --minerals 'Albite, low'", 0},
      {"formulas guarded in CSV",
       "$M run ids.csv --no-report --table t.csv",
       0,
       nullptr,
       {},
       {},
       {},
       {{"t.csv", "\n'=1+2,"}, {"t.csv", "\n'@x,"}}},
      {"--raw-text",
       "$M run ids.csv --no-report --table t.csv --raw-text",
       0,
       nullptr,
       {},
       {},
       {},
       {{"t.csv", "\n=1+2,"}}},
      {"control characters never reach the terminal",
       "$M saturation ctl.in --to 200 > out.txt 2> err.txt",
       0,
       nullptr,
       {},
       {},
       {},
       {},
       {{"out.txt", "\x1b"}, {"out.txt", "\x07"}, {"err.txt", "\x1b"}}},
      {"a folder as options", "$M run morva.in --options .", 2, "cannot open options file ."},
      {"/dev/null as options", "$M run morva.in --options /dev/null", 2, "no header line"},
      {"a report through a link to a device is written through, the link kept",
       "ln -s /dev/null r.lnk && $M run morva.in --report r.lnk && test -L r.lnk", 0},
      {"a FIFO without a writer as options",
       fifo_term + "run morva.in --options f.fifo",
       143,
       nullptr,
       {},
       {},
       {},
       {},
       {},
       5},
      {"a folder as samples",
       "$M saturation . --table old.csv",
       2,
       ". is a folder, not a sample file or table",
       {"old.csv"}},
      {"/dev/null as samples",
       "$M run /dev/null --table t.csv",
       1,
       "morva: /dev/null: no sample could be read from the file",
       {},
       {"t.csv"}},
      {"a FIFO without a writer as samples",
       fifo_term + "run f.fifo --table old.csv",
       143,
       nullptr,
       {"old.csv"},
       {},
       {},
       {},
       {},
       5},
      {"a FIFO without a reader as output",
       fifo_term + "run morva.in --no-report --table f.fifo",
       143,
       nullptr,
       {},
       {},
       {},
       {},
       {},
       5},
      {"SIGTERM while the input is silent",
       "timeout --preserve-status -s TERM 1 $M run /dev/stdin --table old.csv < <(sleep 8)",
       143,
       nullptr,
       {"old.csv"},
       {},
       {},
       {},
       {},
       5},
      {"an option mistyped", "$M run morva.in --temprature quartz", 2,
       "unknown option --temprature; did you mean --temperature?"},
      {"a command mistyped", "$M runn x", 2, "unknown command runn; did you mean run?"},
      {"a number beyond any double in a sample file",
       "sed '10s/^.\\{16\\}/           1e999/' morva.in > big.in; $M run big.in --no-report", 1,
       "line 10: read unexpected character: \"1e999\" is a number too large for any calculation"},
      {"a grid upside down", "$M saturation morva.in --from 300 --to 25", 2,
       "--to: \"25\" lies below --from \"300\""},
  };
  std::string many;
  for (int i = 0; i < 10; ++i) many += example_samples();
  for (const fault_case& c : cases) {
    SCOPED_TRACE(c.what);
    scratch_dir dir;
    dir.write("morva.in", example_samples());
    dir.write("many.in", many);
    dir.write("ids.csv", hostile_ids);
    dir.write("ctl.in", with_control_characters());
    dir.write("old.csv", "old\n");
    const auto start = std::chrono::steady_clock::now();
    const int raw = std::system(("cd '" + dir.path().string() + "' && M='" MORVA_EXE "' bash -c '" +
                                 [&] {
                                   std::string quoted;
                                   for (char ch : c.shell)
                                     quoted += ch == '\'' ? "'\\''" : std::string(1, ch);
                                   return quoted;
                                 }() +
                                 "' > stdout.txt 2> stderr.txt < /dev/null")
                                    .c_str());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::string err = dir.read("stderr.txt");
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, c.status) << err;
    EXPECT_LT(seconds, c.max_seconds);
    if (c.message != nullptr) {
      EXPECT_NE(err.find(c.message), std::string::npos) << err;
    }
    for (const std::string& f : c.untouched) EXPECT_EQ(dir.read(f), "old\n") << f;
    for (const std::string& f : c.present) EXPECT_TRUE(dir.exists(f)) << f;
    for (const std::string& f : c.absent) EXPECT_FALSE(dir.exists(f)) << f;
    for (const auto& [f, text] : c.holds) EXPECT_NE(dir.read(f).find(text), std::string::npos) << f;
    for (const auto& [f, text] : c.lacks) EXPECT_EQ(dir.read(f).find(text), std::string::npos) << f;
    // No temporary file is left behind, whatever the fault.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
      EXPECT_FALSE(entry.path().filename().string().ends_with(".tmp")) << entry.path();
    }
  }
}

}  // namespace
}  // namespace morva
