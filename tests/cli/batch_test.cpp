// morva run and morva convert, end to end: the program run in scratch directories.

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "driver/session.h"
#include "morva/sample_file.h"
#include "robust/water_generator.h"
#include "text/csv.h"
#include "text/encoding.h"
#include "text/fields.h"

namespace morva {
namespace {

const std::vector<std::string> step_and_report_files = {"morva.out", "cool.out", "boil.out"};

/// The interactive run of every sample of `samples` with the answers `answers`, and the batch
/// run with the arguments `args`, leave the same report and process-step files, byte for byte.
void expect_same_files(const std::string& samples, const std::string& answers,
                       const std::string& args, const std::string& what) {
  SCOPED_TRACE(what);
  scratch_dir dialog, batch;
  dialog.write("morva.in", samples);
  batch.write("morva.in", samples);
  const session d = run_morva(dialog, "\nJ. Doe\nSurvey 2026\n\n" + answers + "q\n");
  ASSERT_EQ(d.status, 0) << d.err;
  const session b =
      run_command(batch, "run morva.in --user 'J. Doe' --heading 'Survey 2026' " + args);
  ASSERT_EQ(b.status, 0) << b.err;
  for (const std::string& name : step_and_report_files) {
    ASSERT_EQ(dialog.exists(name), batch.exists(name)) << name;
    EXPECT_TRUE(dialog.read(name) == batch.read(name)) << name << " differs";
  }
}

/// The samples of a sample file.
std::vector<sample_record> samples_of(const std::string& text) {
  std::istringstream in(text);
  sample_reader r(in, "samples");
  std::vector<sample_record> all;
  for (read_result got = r.next(); got.what == read_result::kind::sample; got = r.next()) {
    all.push_back(got.sample);
  }
  return all;
}

TEST(BatchRun, ReportAndStepFilesEqualThoseOfTheDialog) {
  // The examples under each kind of option, every sample given the same options.
  struct option_case {
    std::string args;
    run_options opt;
  };
  std::vector<option_case> cases(8);
  cases[1].args = "--temperature quartz";
  cases[1].opt.tref_type = reference_temperature::quartz;
  cases[2].args = "--temperature chalcedony";
  cases[2].opt.tref_type = reference_temperature::chalcedony;
  cases[3].args = "--temperature nak";
  cases[3].opt.tref_type = reference_temperature::na_k;
  cases[4].args = "--temperature 150";
  cases[4].opt.tref_type = reference_temperature::arbitrary;
  cases[4].opt.t_typed_c = 150.0;
  cases[5].args = "--boiling-spring 98 --spring-degassing 0.5";
  cases[5].opt.t_spring_c = 98.0;
  cases[5].opt.spring_degas = 0.5;
  cases[6].args = "--boil 150,120,100 --degassing 0.25 --cool 60,25";
  cases[6].opt.boil_c = {150.0, 120.0, 100.0};
  cases[6].opt.boil_degas = 0.25;
  cases[6].opt.cool_c = {60.0, 25.0};
  cases[7].args = "--temperature quartz --boil 0 --cool 373.85";  // a skipped boiling step
  cases[7].opt.tref_type = reference_temperature::quartz;
  cases[7].opt.boil_c = {0.0};
  cases[7].opt.cool_c = {373.85};
  const std::string examples = example_samples();
  const std::vector<sample_record> list = samples_of(examples);
  for (const option_case& c : cases) {
    std::string answers;
    for (const sample_record& s : list) {
      answers += dialog_answers(derive(s).type == sample_type::two_phase ? 2 : 1, c.opt);
    }
    expect_same_files(examples, answers, c.args, "examples " + c.args);
  }

  // Generated waters, each with options of its own from an options table; the measured type
  // with a typed temperature is the arbitrary type on the command line.
  generated_run run = generate_run(21, 150, 0.2, "morva.in", "morva.out");
  std::string answers,
      table = "sample,temperature,boiling_spring,spring_degassing,boil,degassing,cool\n";
  std::array<char, 32> buf{};
  const auto text = [&buf](double x) {
    return std::string(buf.data(), std::to_chars(buf.data(), buf.data() + buf.size(), x).ptr);
  };
  const auto list_of = [&text](const std::vector<double>& t) {
    std::string s;
    for (std::size_t i = 0; i < t.size(); ++i) {
      if (i > 0) s += ' ';
      s += text(t[i]);
    }
    return s;
  };
  for (generated_sample& gs : run.list) {
    run_options& o = gs.options;
    if (o.tref_type == reference_temperature::measured && o.t_typed_c.value_or(0.0) > 0.0) {
      o.tref_type = reference_temperature::arbitrary;
    }
    answers += dialog_answers(gs.type, o);
    const char* names[] = {"measured", "", "chalcedony", "quartz", "nak"};
    const std::string temperature = o.tref_type == reference_temperature::arbitrary
                                        ? text(o.t_typed_c.value_or(0.0))
                                        : names[static_cast<int>(o.tref_type)];
    table += gs.number + "," + temperature + "," +
             (o.t_spring_c.value_or(0.0) > 1.0 && gs.type == 1 ? text(*o.t_spring_c) : "") + "," +
             text(o.spring_degas) + ",\"" + list_of(o.boil_c) + "\"," + text(o.boil_degas) + ",\"" +
             list_of(o.cool_c) + "\"\n";
  }
  scratch_dir dialog, batch;
  for (const scratch_dir* dir : {&dialog, &batch}) dir->write("morva.in", run.samples);
  batch.write("options.csv", table);
  const session d = run_morva(dialog, "\nJ. Doe\nSurvey 2026\n\n" + answers);
  const session b = run_command(
      batch, "run morva.in --user 'J. Doe' --heading 'Survey 2026' --options options.csv");
  ASSERT_EQ(d.status, 0) << d.err;
  ASSERT_EQ(b.status, 0) << b.err;
  for (const std::string& name : step_and_report_files) {
    ASSERT_EQ(dialog.exists(name), batch.exists(name)) << name;
    EXPECT_TRUE(dialog.read(name) == batch.read(name)) << "generated: " << name << " differs";
  }
}

TEST(BatchRun, CsvTablesAndTheSampleFileGiveTheSameReport) {
  // The examples converted to a table and back: the three inputs give one report, and the
  // outputs do not depend on the number of jobs.
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  ASSERT_EQ(run_command(dir, "convert morva.in survey.csv").status, 0);
  ASSERT_EQ(run_command(dir, "convert survey.csv back.in").status, 0);
  const std::string all =
      "--table t.csv --species s.csv --minerals m.csv --json r.json --cool 60 --boil 120";
  std::vector<std::string> outputs;
  for (const char* input : {"morva.in", "survey.csv", "back.in"}) {
    const session s = run_command(dir, std::string("run ") + input + " " + all);
    ASSERT_EQ(s.status, 0) << input << ": " << s.err;
    outputs.push_back(dir.read("morva.out") + dir.read("cool.out") + dir.read("boil.out"));
  }
  EXPECT_TRUE(outputs[0] == outputs[1]);
  EXPECT_TRUE(outputs[0] == outputs[2]);

  generated_run run = generate_run(5, 120, 0.3, "morva.in", "morva.out");
  dir.write("gen.in", run.samples);
  std::vector<std::string> by_jobs;
  for (const char* jobs : {"1", "3"}) {
    const session s = run_command(dir, std::string("run gen.in --jobs ") + jobs + " " + all);
    std::string files;
    for (const char* name :
         {"morva.out", "cool.out", "boil.out", "t.csv", "s.csv", "m.csv", "r.json"})
      files += dir.read(name);
    by_jobs.push_back(std::to_string(s.status) + s.err + files);
  }
  EXPECT_TRUE(by_jobs[0] == by_jobs[1]);
}

TEST(BatchRun, ReportEncodingConvertsEachCharacterAndTheStepFilesReadBack) {
  // The examples and a copy of the first with Latin-1 letters in its id and location.
  std::string samples = example_samples();
  std::string block = samples.substr(0, samples.find("\nProgram MORVA input") + 1);
  const std::size_t id_at = block.find("HS-07");
  block.replace(id_at, block.find('\n', id_at) - id_at,
                padded("\xDEing-07", 16) +
                    "Hverager\xF0i, \xBE of the pool at 97 \xB0"
                    "C");
  samples += block;
  const std::string args = "run morva.in --boil 150,100 --cool 60";
  const auto run_in = [&](const scratch_dir& dir, const std::string& more) {
    dir.write("morva.in", samples);
    const session s = run_command(dir, args + more);
    EXPECT_EQ(s.status, 0) << s.err;
  };
  scratch_dir plain;
  run_in(plain, "");
  struct encoding_case {
    const char* option;
    bool utf8;
  };
  for (const encoding_case& c : {encoding_case{" --report-encoding latin1", false},
                                 encoding_case{" --report-encoding UTF8", true}}) {
    SCOPED_TRACE(c.option);
    scratch_dir dir;
    run_in(dir, c.option);
    for (const std::string& name : step_and_report_files) {
      SCOPED_TRACE(name);
      const std::string latin1 = plain.read(name);
      ASSERT_NE(latin1.find("\xDEing-07"), std::string::npos);  // the Latin-1 letters are there
      ASSERT_NE(latin1.find("\xB0"), std::string::npos);        // and the degree sign
      EXPECT_TRUE(dir.read(name) == (c.utf8 ? latin1_to_utf8(latin1) : latin1));
      if (name == "morva.out") continue;
      // Read back, a step file gives the samples of the Latin-1 one.
      const std::vector<sample_record> got = samples_of(dir.read(name));
      const std::vector<sample_record> want = samples_of(latin1);
      ASSERT_EQ(got.size(), want.size());
      ASSERT_EQ(got.size(), 4u);
      for (std::size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].number, want[k].number);
        EXPECT_EQ(got[k].location, want[k].location);
        EXPECT_EQ(got[k].water_mgkg, want[k].water_mgkg);
        EXPECT_EQ(got[k].ph, want[k].ph);
        EXPECT_EQ(got[k].collection, want[k].collection);
      }
    }
  }
}

/// The records of a CSV text (RFC 4180 quoting, line feeds).
std::vector<std::vector<std::string>> csv_of(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1);
  std::string cell;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
      cell += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == ',' || c == '\n')) {
      rows.back().push_back(cell);
      cell.clear();
      if (c == '\n') rows.emplace_back();
    } else {
      cell += c;
    }
  }
  rows.pop_back();  // after the last line feed
  return rows;
}

/// The numbers that follow each occurrence of `label` in the report, in report order.
std::vector<double> printed_after(const std::string& report, const std::string& label,
                                  const std::string& line_also = "") {
  std::vector<double> values;
  std::istringstream in(report);
  for (std::string line; std::getline(in, line);) {
    const std::size_t at = line.find(label);
    if (at == std::string::npos || line.find(line_also) == std::string::npos) continue;
    values.push_back(std::stod(line.substr(at + label.size())));
  }
  return values;
}

TEST(BatchRun, TheStateTableAgreesWithTheReportToItsPrintedDigits) {
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  ASSERT_EQ(run_command(dir, "run morva.in --table t.csv --cool 60 --boil 130").status, 0);
  const std::vector<std::vector<std::string>> rows = csv_of(dir.read("t.csv"));
  ASSERT_GT(rows.size(), 1u);
  const auto column = [&rows](const std::string& name) {
    const auto it = std::find(rows[0].begin(), rows[0].end(), name);
    EXPECT_NE(it, rows[0].end()) << name;
    return static_cast<std::size_t>(it - rows[0].begin());
  };
  const std::string report = dir.read("morva.out");
  // Each calculated state prints its pH (F6.3), its ionic strength (F8.5) beside 1000/T, and
  // its quartz temperature (F7.1), in the order of the table's rows.
  struct printed {
    std::string column;
    std::vector<double> values;
    double half_unit;
  };
  const printed checks[] = {
      {"ph", printed_after(report, "Water pH is"), 0.0005},
      {"ionic_strength_molal", printed_after(report, "Ionic strength =", "1000/T"), 0.000005},
      {"quartz_C", printed_after(report, "Quartz    ", "GRC Bulletin"), 0.05},
  };
  for (const printed& p : checks) {
    SCOPED_TRACE(p.column);
    const std::size_t c = column(p.column);
    std::size_t k = 0;
    for (std::size_t r = 1; r < rows.size(); ++r) {
      if (rows[r][column("status")] != "ok") continue;
      ASSERT_LT(k, p.values.size());
      EXPECT_NEAR(std::stod(rows[r][c]), p.values[k], p.half_unit * (1 + 1e-9)) << "row " << r;
      ++k;
    }
    EXPECT_EQ(k, p.values.size());
  }
}

TEST(BatchRun, BadInputIsNamedAndSkippedAndTheRestCalculated) {
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  ASSERT_EQ(run_command(dir, "convert morva.in survey.csv").status, 0);
  std::string csv = dir.read("survey.csv");
  // The second analysis (row 3) gets a silica that is not a number.
  std::size_t row3 = csv.find('\n', csv.find('\n') + 1) + 1;
  std::size_t cell = csv.find(",246,", 0);
  ASSERT_NE(cell, std::string::npos);
  csv.replace(cell, 5, ",traces,");
  static_cast<void>(row3);
  dir.write("survey.csv", csv);
  session s = run_command(dir, "run survey.csv --table t.csv");
  EXPECT_EQ(s.status, 1);
  EXPECT_NE(s.err.find("morva: survey.csv, row 2, column SiO2"), std::string::npos) << s.err;
  EXPECT_NE(s.err.find("\"traces\" is not a number"), std::string::npos) << s.err;
  const std::string report = dir.read("morva.out");
  EXPECT_EQ(report.find("HS-07"), std::string::npos);
  EXPECT_NE(report.find("KV-12"), std::string::npos);
  EXPECT_NE(report.find("MP-03"), std::string::npos);

  // A sample-file block with a letter in a number: skipped, the next block read.
  std::string text = example_samples();
  const std::size_t k = text.find("            14.6");
  ASSERT_NE(k, std::string::npos);
  text.replace(k, 16, "            l4.6");
  dir.write("bad.in", text);
  s = run_command(dir, "run bad.in");
  EXPECT_EQ(s.status, 1);
  EXPECT_EQ(s.err, "morva: sample file bad.in, line 19: read unexpected character\n");
  EXPECT_NE(dir.read("morva.out").find("MP-03"), std::string::npos);

  // A refusal of the calculation names the sample and leaves the status at 0.
  s = run_command(dir, "run morva.in --temperature 150 --boiling-spring 200");
  EXPECT_EQ(s.status, 0);
  EXPECT_NE(s.err.find("morva: HS-07: refused: "), std::string::npos) << s.err;
}

TEST(BatchRun, ATableThatCannotBeReadAtAllIsNamedWithItsStatus) {
  // A file that is no table of analyses at all is a usage error (2); a table of which no
  // sample could be read is bad data (1); a folder is named as one.
  struct file_case {
    const char* args;
    std::string table;  // written as survey.csv; empty: a folder of that name
    int status;
    const char* message;  // the first line of standard error
  };
  for (const file_case& c : {
           file_case{"run survey.csv", "sample,Na (mg/m3)\nA,1\n", 2,
                     "morva: survey.csv, row 1, column 2: \"Na (mg/m3)\": the unit \"mg/m3\" is "
                     "not known; Na takes mg/kg, ppm, mg/L, \xC2\xB5g/L, ug/L, ppb, \xC2\xB5g/kg, "
                     "ug/kg, mmol/L, mmol/kg, mol/kg, meq/L, meq/kg"},
           {"run survey.csv", std::string("s\0,\0p\0H\0\n\0", 10), 2,
            "morva: survey.csv: the table is UTF-16 text; save the table as UTF-8"},
           {"convert survey.csv out.in", "sample,location\nA,B\n", 2,
            "morva: survey.csv, row 1: the header names no column of analyses (such as "
            "temperature, pH, SiO2, Na)"},
           {"run survey.csv", "sample,pH\n", 1,
            "morva: survey.csv: no sample could be read from the table"},
           {"run survey.csv", "", 2, "morva: survey.csv is a folder, not a sample file or table"},
           {"convert survey.csv out.in", "", 2,
            "morva: survey.csv is a folder, not a sample file or table"},
       }) {
    SCOPED_TRACE(c.table);
    scratch_dir dir;
    if (c.table.empty()) {
      std::filesystem::create_directory(dir / "survey.csv");
    } else {
      dir.write("survey.csv", c.table);
    }
    const session s = run_command(dir, c.args);
    EXPECT_EQ(s.status, c.status);
    EXPECT_EQ(s.err.substr(0, s.err.find('\n')), c.message) << s.err;
  }
}

TEST(BatchRun, EverySampleKeepsItsRowImpossibleValuesAreRefusedAndFlagsWarn) {
  // The examples as a table (HS-07 a hot spring collected at 97.2 °C, KV-12 a two-phase
  // well, MP-03 a spring), one cell changed by each case: every sample of the file has its
  // row in the state table, with the status, reason and flags the case expects.
  const std::string deg =
      "\xC2\xB0"
      "C";
  struct sample_row {
    const char* id;
    const char* status;
    std::string reason;  // the start of the reason
    const char* flags;
  };
  struct run_case {
    const char* args;
    const char* from;  // a cell of the table, replaced once by `to`
    const char* to;
    int status;
    std::string message;  // a line standard error holds
    std::vector<sample_row> rows;
  };
  const sample_row hs_ok{"HS-07", "ok", "", ""}, kv_ok{"KV-12", "ok", "", ""},
      mp_ok{"MP-03", "ok", "", ""};
  const std::string not_a_number = "survey.csv, row 3, column SiO2: \"traces\" is not a number";
  for (const run_case& c : {
           run_case{"",
                    ",612,",
                    ",traces,",
                    1,
                    "morva: " + not_a_number,
                    {hs_ok, {"KV-12", "unreadable", not_a_number, ""}, mp_ok}},
           {"",
            ",97.2,",
            ",400,",
            0,
            "morva: HS-07: refused: Measured temperature above the critical point of water, "
            "373.85 " +
                deg + ".",
            {{"HS-07", "refused", "Measured temperature above", ""}, kv_ok, mp_ok}},
           {"--temperature 500",
            "",
            "",
            0,
            "",
            {{"HS-07", "refused", "Typed reference temperature above the critical point", ""},
             {"KV-12", "refused", "Typed reference temperature above", ""},
             {"MP-03", "refused", "Typed reference temperature above", ""}}},
           {"--temperature 250 --boiling-spring 2",
            "",
            "",
            0,
            "morva: HS-07: refused: Boiling-spring temperature below the collection temperature.",
            {{"HS-07", "refused", "Boiling-spring temperature below", ""},
             kv_ok,  // a two-phase discharge did not boil in a spring
             {"MP-03", "refused", "Boiling-spring temperature below", ""}}},
           {"",
            ",187.5,",
            ",987.5,",
            0,
            "morva: HS-07: the ion balance of the sampled water is 135.3 % (beyond \xC2\xB1"
            "10 %); flagged ion_balance",
            {{"HS-07", "ok", "", "ion_balance"}, kv_ok, mp_ok}},
           {"--only HS-07,XX-1",
            "",
            "",
            0,
            "morva: --only names sample XX-1, which is not in survey.csv",
            {hs_ok}},
           {"--only XX-1",
            "",
            "",
            1,
            "morva: no sample of survey.csv is selected; nothing was calculated",
            {}},
           {"--options opt.csv",
            "MP-03",
            "HS-07",
            0,
            "morva: sample id HS-07 appears more than once in survey.csv",
            {{"HS-07", "refused", "The options table names a sample id the file holds more", ""},
             kv_ok,
             {"HS-07", "refused", "The options table names a sample id the file holds more", ""}}},
           {"--options opt.csv",
            "",
            "",
            0,
            "morva: the options table names sample ZZ-9, which is not in survey.csv",
            {{"HS-07", "ok", "", ""}, kv_ok, mp_ok}},
       }) {
    SCOPED_TRACE(std::string(c.args) + " " + c.to);
    scratch_dir dir;
    dir.write("morva.in", example_samples());
    ASSERT_EQ(run_command(dir, "convert morva.in survey.csv").status, 0);
    std::string table = dir.read("survey.csv");
    if (*c.from != '\0') {
      const std::size_t at = table.find(c.from);
      ASSERT_NE(at, std::string::npos);
      table.replace(at, std::string_view(c.from).size(), c.to);
    }
    dir.write("survey.csv", table);
    dir.write("opt.csv", "sample,temperature\nHS-07,quartz\nZZ-9,quartz\n");
    const session s =
        run_command(dir, std::string("run survey.csv --table t.csv --json j.json ") + c.args);
    EXPECT_EQ(s.status, c.status) << s.err;
    if (!c.message.empty()) {
      EXPECT_NE(s.err.find(c.message + "\n"), std::string::npos) << s.err;
    }
    // The first row of each sample: its reference state, or its only row.
    std::istringstream lines(dir.read("t.csv"));
    std::string line;
    std::getline(lines, line);
    const std::vector<std::string> names = split_row(line, ',');
    const auto at = [&names](const char* name) {
      return static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
    };
    std::vector<std::vector<std::string>> firsts;
    while (std::getline(lines, line)) {
      std::vector<std::string> cells = split_row(line, ',');
      if (cells[at("step")] == "0" || cells[at("step")].empty()) firsts.push_back(cells);
    }
    ASSERT_EQ(firsts.size(), c.rows.size());
    const std::string json = dir.read("j.json");
    for (std::size_t k = 0; k < c.rows.size(); ++k) {
      const sample_row& want = c.rows[k];
      EXPECT_EQ(firsts[k][at("sample")], want.id);
      EXPECT_EQ(firsts[k][at("status")], want.status);
      EXPECT_EQ(firsts[k][at("reason")].substr(0, want.reason.size()), want.reason);
      EXPECT_EQ(firsts[k][at("flags")], want.flags);
      EXPECT_NE(json.find("{\"sample\":\"" + std::string(want.id) + "\"," + "\"location\":\""),
                std::string::npos);
      EXPECT_NE(json.find("\"status\":\"" + std::string(want.status) + "\""), std::string::npos);
    }
  }
}

TEST(BatchRun, GeothermometerTableHasItsColumnsAndFlagsEmptyCells) {
  // Mg not analysed: no Na-K-Ca-Mg or K-Mg temperature; no steam or gas: no gas ones.
  scratch_dir dir;
  dir.write("g.csv",
            "sample,location,temperature,pH,pH temperature,SiO2,Na,K,Ca,Mg,Cl\n"
            "G-1,\"Spring, east\",90,8,20,300,300,40,2,n.a.,300\n");
  const session s = run_command(dir, "run g.csv --no-report --geothermometers gt.csv");
  ASSERT_EQ(s.status, 0) << s.err;
  std::istringstream table(dir.read("gt.csv"));
  std::string header, line;
  std::getline(table, header);
  std::getline(table, line);
  EXPECT_EQ(header,
            "sample,location,status,gt_quartz_conductive_C,gt_quartz_steam_loss_C,"
            "gt_chalcedony_fournier_C,gt_chalcedony_arnorsson_C,gt_nak_fournier_C,"
            "gt_nak_truesdell_C,gt_nak_arnorsson_C,gt_nak_giggenbach_C,gt_nakca_C,"
            "gt_nakca_mg_C,gt_kmg_C,gt_gas_dp_C,gt_co2_C,gt_h2s_C,gt_h2_C,gt_flags");
  const std::vector<std::string> cells = split_row(line, ',');
  const std::vector<std::string> names = split_row(header, ',');
  ASSERT_EQ(cells.size(), names.size()) << line;
  const auto cell_of = [&](std::string_view name) {
    return cells[static_cast<std::size_t>(std::find(names.begin(), names.end(), name) -
                                          names.begin())];
  };
  EXPECT_EQ(cell_of("location"), "Spring, east");
  EXPECT_EQ(cell_of("status"), "ok");
  EXPECT_NEAR(std::stod(cell_of("gt_quartz_conductive_C")), 210.6497, 5e-5);
  EXPECT_NEAR(std::stod(cell_of("gt_nakca_C")), 232.6555, 5e-5);
  for (const char* empty : {"gt_chalcedony_arnorsson_C", "gt_nakca_mg_C", "gt_kmg_C", "gt_h2_C"})
    EXPECT_EQ(cell_of(empty), "") << empty;
  EXPECT_EQ(cell_of("gt_flags"),
            "chalcedony_arnorsson:range;nakca_mg:inputs;kmg:inputs;gas_dp:inputs;co2:inputs;"
            "h2s:inputs;h2:inputs");
  EXPECT_FALSE(std::getline(table, line));
}

TEST(CommandLine, UsageErrorsNameTheProblemAndWriteNothing) {
  struct usage_case {
    const char* args;
    const char* message;
  };
  for (const usage_case& c : {
           usage_case{"run morva.in --frobnicate",
                      "morva: The following argument was not expected: --frobnicate\n"},
           {"run morva.in --boil 1,2,3,4,5,6,7,8,9,10,11",
            "morva: --boil: at most 10 steps of each kind, not 11\n"},
           {"run morva.in --cool 400",
            "morva: --cool: step temperature 400 lies outside 0 to 373.85 \xC2\xB0"
            "C\n"},
           {"run morva.in --temperature warm", nullptr},
           {"run morva.in --degassing 2", nullptr},
           {"run missing.in", "morva: cannot open sample file missing.in\n"},
           {"run morva.in --report cool.out", nullptr},
           {"run morva.in --report ./morva.in", nullptr},
           {"run morva.in --jobs 0", nullptr},
           {"run morva.in --report-encoding utf-16", nullptr},
           {"frob", nullptr},
           {"run", nullptr},
       }) {
    SCOPED_TRACE(c.args);
    scratch_dir dir;
    dir.write("morva.in", example_samples());
    const session s = run_command(dir, c.args);
    EXPECT_EQ(s.status, 2);
    EXPECT_EQ(s.out, "");
    if (c.message != nullptr) {
      EXPECT_EQ(s.err, std::string(c.message) + "Run with --help for more information.\n");
    } else {
      EXPECT_TRUE(s.err.starts_with("morva: ")) << s.err;
      EXPECT_TRUE(s.err.ends_with("\nRun with --help for more information.\n")) << s.err;
    }
    for (const char* name : {"morva.out", "cool.out", "boil.out"}) EXPECT_FALSE(dir.exists(name));
  }
  scratch_dir dir;
  for (const char* args : {"--help", "run --help", "convert --help"}) {
    const session s = run_command(dir, args);
    EXPECT_EQ(s.status, 0);
    EXPECT_NE(s.out.find("Usage: morva"), std::string::npos) << s.out;
  }
  const session v = run_command(dir, "--version");
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "morva 2.4 (program MORVA, version 2.4)\n");
}

TEST(SaturationCommand, FixedAlAndFittedLiquidAddTheirColumnsAndRefuseBadValues) {
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  session s = run_command(dir,
                          "saturation morva.in --from 100 --to 300 --step 10 --summary sum.csv "
                          "--fix-al microcline --fit water,co2 --water-factor 0.6,1.2 "
                          "--co2-max 0.05");
  ASSERT_EQ(s.status, 0) << s.err;
  EXPECT_NE(s.out.find("; water factor "), std::string::npos) << s.out;
  EXPECT_NE(s.out.find(" mol/kg; Al by microcline "), std::string::npos) << s.out;
  const std::string sum = dir.read("sum.csv");
  const std::string columns =
      ",minerals_used,minerals_dropped,fitted_water_factor,fitted_co2_mol_kg,al_fixed_mg_kg,"
      "quartz_equilibrium_C,";
  EXPECT_NE(sum.find(columns), std::string::npos) << sum.substr(0, 600);
  // Without the options the columns are there, empty.
  ASSERT_EQ(run_command(dir, "saturation morva.in --step 10 --summary plain.csv").status, 0);
  const std::string plain = dir.read("plain.csv");
  EXPECT_NE(plain.find(columns), std::string::npos);
  EXPECT_NE(plain.find(",,,,"), std::string::npos);

  struct bad {
    const char* args;
    const char* message;
  };
  for (const bad& b :
       {bad{"--fix-al quartz",
            "morva: --fix-al: \"quartz\" is no mineral whose dissolution gives Al(OH)4-\n"},
        bad{"--fit steam", "morva: --fit: \"steam\" is none of water, co2, water,co2\n"},
        bad{"--water-factor 1.2", "morva: --water-factor: \"1.2\" is not MIN,MAX\n"},
        bad{"--water-factor 1.2,0.8",
            "morva: --water-factor: the bounds must be MIN,MAX with 0 < MIN <= MAX\n"},
        bad{"--co2-max -1", "morva: --co2-max: must be a number of mol/kg from 0 up\n"}}) {
    SCOPED_TRACE(b.args);
    s = run_command(dir, std::string("saturation morva.in ") + b.args);
    EXPECT_EQ(s.status, 2);
    EXPECT_TRUE(s.err.starts_with(b.message)) << s.err;
  }
}

TEST(SaturationCommand, SummaryTablesPicturesPageAndDiagrams) {
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  session s = run_command(dir,
                          "saturation morva.in --from 100 --to 300 --step 10 --summary sum.csv "
                          "--table sat.csv --plots plots --html page.html --jobs 2");
  ASSERT_EQ(s.status, 0) << s.err;
  EXPECT_EQ(s.err, "");
  // A summary line per sample; a summary row per sample; 21 grid rows per sample.
  EXPECT_EQ(std::count(s.out.begin(), s.out.end(), '\n'), 3);
  EXPECT_TRUE(
      s.out.starts_with("HS-07: Tref 97.2 \xC2\xB0"
                        "C (measured); quartz "))
      << s.out;
  const std::string sum = dir.read("sum.csv");
  EXPECT_EQ(std::count(sum.begin(), sum.end(), '\n'), 4);
  const std::string sat = dir.read("sat.csv");
  EXPECT_EQ(std::count(sat.begin(), sat.end(), '\n'), 1 + 3 * 21);
  EXPECT_TRUE(
      sat.starts_with("sample,t_C,status,count,normalise,mean_si,median_si,mean_abs_si,rms_si,"
                      "sd_si,si_quartz,si_albite_low,"));
  for (const char* picture : {"plots/HS-07.svg", "plots/KV-12.svg", "plots/MP-03.svg"}) {
    EXPECT_NE(dir.read(picture).find("<svg"), std::string::npos) << picture;
  }
  const std::string page = dir.read("page.html");
  EXPECT_NE(page.find("<html"), std::string::npos);
  EXPECT_EQ(std::count(page.begin(), page.end(), '<') > 100, true);
  EXPECT_EQ(page.find("src=\"http"), std::string::npos);  // nothing fetched

  s = run_command(dir, "saturation morva.in --minerals quartz,albite,k-feldspar");
  EXPECT_EQ(s.status, 2);
  EXPECT_TRUE(
      s.err.starts_with("morva: --minerals: unknown mineral \"albite\"; the minerals are "
                        "Adularia; Albite, low; Analcime;"))
      << s.err;
  EXPECT_EQ(run_command(dir, "saturation morva.in --step 0").status, 2);
  EXPECT_EQ(run_command(dir, "saturation morva.in --to 400").status, 2);

  for (const char* kind : {"giggenbach", "cl-so4-hco3"}) {
    SCOPED_TRACE(kind);
    s = run_command(dir, std::string("diagram morva.csv --out d.svg --kind ") + kind);
    EXPECT_EQ(s.status, 2);  // no such table yet
    ASSERT_EQ(run_command(dir, "convert morva.in morva.csv").status, 0);
    s = run_command(dir, std::string("diagram morva.csv --out d.svg --kind ") + kind);
    ASSERT_EQ(s.status, 0) << s.err;
    const std::string svg = dir.read("d.svg");
    for (const char* id : {"HS-07", "KV-12", "MP-03"}) EXPECT_NE(svg.find(id), std::string::npos);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    std::filesystem::remove(dir / "morva.csv");
  }
}

/// n copies of the well discharge KV-12 under their own numbers.
std::string many_wells(int n) {
  std::istringstream in(example_samples());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::string text;
  for (int i = 0; i < n; ++i) {
    for (int k = 34; k < 68; ++k) {
      std::string line = lines[static_cast<std::size_t>(k)];
      if (k == 37) {
        const std::string id = "W-" + std::to_string(i);
        line = id + std::string(16 - id.size(), ' ') + line.substr(16);
      }
      text += line + "\n";
    }
  }
  return text;
}

std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(SaturationCommand, ARefusedSampleKeepsEveryColumnAndItsDegreeSignInUtf8) {
  // Na/K of this water gives far above 350 °C: refused at the Na/K reference temperature.
  scratch_dir dir;
  dir.write("r.csv",
            "sample,temperature,pH,pH temperature,SiO2,Na,K,Cl\nR-1,90,8,20,300,100,200,300\n");
  const std::string degree =
      "350 \xC2\xB0"
      "C";
  const session s =
      run_command(dir, "saturation r.csv --temperature nak --summary sum.csv --table t.csv");
  ASSERT_EQ(s.status, 0) << s.err;
  EXPECT_NE(s.out.find("R-1: refused: Na-K temperature exceeds " + degree), std::string::npos);
  EXPECT_NE(s.err.find("R-1: refused: Na-K temperature exceeds " + degree), std::string::npos);
  std::istringstream sum(dir.read("sum.csv"));
  std::string header, line;
  std::getline(sum, header);
  std::getline(sum, line);
  EXPECT_EQ(std::count(line.begin(), line.end(), ','),
            std::count(header.begin(), header.end(), ','));
  EXPECT_NE(line.find("refused,Na-K temperature exceeds " + degree), std::string::npos) << line;
  EXPECT_EQ(dir.read("t.csv").find("R-1"), std::string::npos);  // no curves

  const session r = run_command(dir, "run r.csv --temperature nak --no-report");
  EXPECT_NE(r.err.find("R-1: refused: Na-K temperature exceeds " + degree), std::string::npos);
}

TEST(Reliability, AWriteThatFailsStopsTheRunWithItsMessage) {
  scratch_dir dir;
  dir.write("morva.in", example_samples());
  dir.write("wells.in", many_wells(200));
  // A device that is always full; a file limit (the shell ignores the signal, so that the
  // write itself fails) in the batch run and in the dialog.
  session s = run_command(dir, "run morva.in --no-report --table /dev/full");
  EXPECT_EQ(s.status, 2);
  EXPECT_EQ(s.err, "morva: cannot write file /dev/full\n");
  const std::string limited = "trap '' XFSZ; ulimit -f 64; '" MORVA_EXE "' ";
  const auto shell = [&dir](const std::string& command) {
    const int raw = std::system(
        ("cd '" + dir.path().string() + "' && (" + command + ") > out.txt 2> err.txt < keys.txt")
            .c_str());
    return std::pair{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, dir.read("err.txt")};
  };
  dir.write("keys.txt", "");
  auto [status, err] = shell(limited + "run wells.in");
  EXPECT_EQ(status, 2);
  EXPECT_EQ(err, "morva: cannot write file morva.out\n");
  std::string keys = "wells.in\n\n\n\n";
  for (int i = 0; i < 200; ++i) keys += "\n\n\n\n\n";
  dir.write("keys.txt", keys + "q\n");
  std::tie(status, err) = shell(limited);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(err, "morva: cannot write file morva.out\n");
}

TEST(Reliability, AnInterruptedRunLeavesWholeBlocksAndRows) {
  const std::string wells = many_wells(3000);
  const std::string all =
      "run wells.in --table t.csv --species s.csv --minerals m.csv --json r.json";
  std::mt19937 random(7);
  int interrupted = 0;
  for (int i = 0; i < 6; ++i) {
    // A fresh folder for each try, so that no file of an earlier try is taken for this one's.
    scratch_dir dir;
    dir.write("wells.in", wells);
    const double seconds = std::uniform_real_distribution<double>(0.05, 0.9)(random);
    const char* signal = i % 2 == 0 ? "INT" : "TERM";
    SCOPED_TRACE(std::string(signal) + " after " + std::to_string(seconds) + " s");
    const std::string command =
        "cd '" + dir.path().string() + "' && timeout --preserve-status -s " + signal + " " +
        std::to_string(seconds) + " '" MORVA_EXE "' " + all + " > /dev/null 2> err.txt";
    const int raw = std::system(command.c_str());
    session s;
    s.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    s.err = dir.read("err.txt");
    if (s.status == 0) continue;  // finished first
    ++interrupted;
    // A signal that lands before the program has set up its handling (a slow start under a
    // sanitizer) ends it at once: nothing written yet is a whole outcome too.
    if (s.status == -1) {
      for (const char* name : {"morva.out", "t.csv", "s.csv", "m.csv", "r.json"}) {
        EXPECT_FALSE(dir.exists(name)) << name;
      }
      continue;
    }
    EXPECT_EQ(s.status, i % 2 == 0 ? 130 : 143) << s.err;
    // Each file holds whole samples: as many report blocks as state rows, 69 species and 29
    // minerals rows for each, and every file ends with its line end. The tables are renamed
    // into place whole or not at all, so a table not there yet holds no samples.
    const std::string report = dir.read("morva.out");
    const std::string table = dir.read("t.csv");
    const std::size_t n = count_of(table, "\nW-");
    EXPECT_EQ(count_of(report, "Activity coefficients in water"), n);
    EXPECT_EQ(count_of(dir.read("s.csv"), "\nW-"), 69 * n);
    EXPECT_EQ(count_of(dir.read("m.csv"), "\nW-"), 29 * n);
    const std::string json = dir.read("r.json");
    EXPECT_EQ(count_of(json, "{\"sample\":"), n);
    EXPECT_TRUE(json.empty() || json.ends_with("\n]\n"));
    for (const std::string* text : {&report, &table}) {
      EXPECT_TRUE(text->empty() || text->back() == '\n');
    }
  }
  EXPECT_GT(interrupted, 0);
}

/// n copies of the well discharge KV-12 of the examples, numbered KV-00000, KV-00001, ...
std::string wells(int n) {
  std::istringstream in(example_samples());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::string text;
  for (int i = 0; i < n; ++i) {
    std::string id = std::to_string(i);
    id = "KV-" + std::string(5 - id.size(), '0') + id;
    for (std::size_t k = 34; k < 68; ++k) {
      text += k == 37 ? id + std::string(16 - id.size(), ' ') + lines[k].substr(16) : lines[k];
      text += '\n';
    }
  }
  return text;
}

TEST(SaturationCommand, PageIsPutInPlaceWholeOrNotAtAll) {
  // A run that ends replaces the old page and leaves no part behind; past the label limit the
  // diagrams' dots stand alone and the table gives the shares. A run stopped by a picture that
  // cannot be written leaves the old page as it was.
  struct page_case {
    int samples;
    bool picture_blocked;
  };
  for (const page_case& c : {page_case{3, false}, page_case{201, false}, page_case{3, true}}) {
    SCOPED_TRACE(std::to_string(c.samples) + (c.picture_blocked ? " blocked" : ""));
    scratch_dir dir;
    dir.write("wells.in", wells(c.samples));
    dir.write("page.html", "old page");
    if (c.picture_blocked) std::filesystem::create_directories(dir / "plots" / "KV-00001.svg");
    const session s = run_command(dir,
                                  "saturation wells.in --from 100 --to 110 --step 10 --minerals "
                                  "quartz --plots plots --html page.html --jobs 2");
    const std::vector<std::string> names = {"page.html.part", "page.html.figures.part"};
    for (const std::string& name : names) EXPECT_FALSE(dir.exists(name)) << name;
    const std::string page = dir.read("page.html");
    if (c.picture_blocked) {
      EXPECT_EQ(s.status, 2);
      EXPECT_EQ(page, "old page");
      continue;
    }
    ASSERT_EQ(s.status, 0) << s.err;
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>"));
    EXPECT_TRUE(page.ends_with("</body>\n</html>\n"));
    EXPECT_EQ(std::count(page.begin(), page.end(), '\0'), 0);
    const auto count = [&](const std::string& what) {
      std::size_t n = 0;
      for (std::size_t at = page.find(what); at != std::string::npos; at = page.find(what, at + 1))
        ++n;
      return n;
    };
    const bool listed = c.samples > 200;
    EXPECT_EQ(count("<svg xmlns="), static_cast<std::size_t>(c.samples) + 2);
    EXPECT_EQ(count("class=\"sample-label\""),
              listed ? 0 : 2 * static_cast<std::size_t>(c.samples));
    EXPECT_EQ(count("<th>"), listed ? 12u : 10u);
    EXPECT_EQ(count(" waters, too many to label</text>"), listed ? 2u : 0u);
  }
}

}  // namespace
}  // namespace morva
