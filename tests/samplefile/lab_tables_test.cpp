// Tables of analyses as laboratories and spreadsheets write them (tests/data): units in the
// headers, the laboratories' column names, numbers with decimal commas or thousands groups,
// and the faults of rows and files, each read to the value meant or refused out loud.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "morva/analysis_csv.h"
#include "morva/checks.h"

namespace morva {
namespace {

using kind = csv_read_result::kind;

/// Every result of reading the file, up to and including the end.
std::vector<csv_read_result> read_file(const std::string& name, analysis_reading how = {}) {
  std::ifstream in(std::string(MORVA_TEST_DATA) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  analysis_csv_reader r(in, name, how);
  std::vector<csv_read_result> out;
  for (int guard = 0; guard < 100; ++guard) {
    out.push_back(r.next());
    if (out.back().what == kind::end) break;
  }
  return out;
}

/// The value of the column named (as analysis_csv_columns() names it, unit left out) in s.
double value_of(const sample_record& s, const std::string& column) {
  const std::vector<std::string>& names = analysis_csv_columns();
  const std::vector<double> values = analysis_values(s);
  for (std::size_t j = 2; j < names.size(); ++j) {
    if (names[j] == column || names[j].starts_with(column + " (")) return values[j - 2];
  }
  ADD_FAILURE() << "no column " << column;
  return 0.0;
}

const std::string ambiguous_comma =
    " is ambiguous: in a table separated by semicolons the comma is the decimal mark and a "
    "point may only group thousands (1.250,5)";
const std::string ambiguous_point =
    " is ambiguous: in a table separated by commas the point is the decimal mark and a comma "
    "may only group thousands (\"1,234.5\")";
const std::string solute_units =
    "mg/kg, ppm, mg/L, \xC2\xB5g/L, ug/L, ppb, \xC2\xB5g/kg, ug/kg, mmol/L, mmol/kg, mol/kg, "
    "meq/L, meq/kg";

/// What one read of a file is to give: a sample with these values (in the columns' own
/// units), or a refused row or file with this message; and the warnings that come with it.
struct expected {
  kind what;
  std::vector<std::pair<const char*, double>> values;
  std::string error;
  std::vector<std::string> warnings;
  bool refuses_file;
};

/// A sample with these values, and the warnings of the header that come with it.
expected sample(std::vector<std::pair<const char*, double>> values,
                std::vector<std::string> warnings = {}) {
  return {kind::sample, std::move(values), {}, std::move(warnings), false};
}
/// A row refused with this message; reading goes on.
expected bad_row(std::string error) { return {kind::bad_row, {}, std::move(error), {}, false}; }
/// A table of which no sample could be read (status 1).
expected no_sample(std::string error) { return {kind::bad_file, {}, std::move(error), {}, false}; }
/// A file refused as a whole (status 2), with the header's warnings.
expected refused(std::string error, std::vector<std::string> warnings = {}) {
  return {kind::bad_file, {}, std::move(error), std::move(warnings), true};
}

TEST(LaboratoryTables, ReadAsMeantOrRefusedOutLoud) {
  // Molar masses of the tables, mg/mol: Na 22990, K 39100, Mg 24310, Ca 40080, Cl 35450,
  // SO4 96060, CO2 44010, H2S 34080, Al 26980; meq/L counts Na+, Ca++, Mg++, SO4--.
  struct table_case {
    const char* file;
    std::vector<expected> reads;  // the results before the end
  };
  const std::vector<table_case> cases = {
      {"units_a.csv",
       {sample({{"Na", 250},
                {"K", 30.5},
                {"Ca", 12},
                {"Mg", 4},
                {"Cl", 354.5},
                {"SO4", 96.06},
                {"F", 1.5},
                {"SiO2", 450},
                {"B", 2},
                {"Al", 0.02698},
                {"temperature", 100},
                {"pressure", 10},
                {"enthalpy", 418.68},
                {"pH", 7.5},
                {"pH temperature", 20}})}},
      {"units_b.csv",
       {sample({{"Na", 229.9},
                {"Ca", 50.1},
                {"Mg", 12.155},
                {"K", 19.55},
                {"Cl", 1250.5},
                {"CO2", 132.03},
                {"TDS", 2400},
                {"steam CO2", 4401},
                {"steam H2S", 34.08},
                {"temperature", 97.2},
                {"pressure", 10},
                {"enthalpy", 1250},
                {"pH temperature", 22.5},
                {"pH", 8.1}})}},
      {"units_c.csv",
       {sample({{"pressure", 1},
                {"temperature", 150},
                {"discharge", 12.5},
                {"gas CO2", 95},
                {"gas volume", 3.5},
                {"gas temperature", 20},
                {"condensate Na", 2.5},
                {"steam NH3", 4.2},
                {"condensate pH", 5.5}})}},
      {"units_d.csv",
       {sample(
           {{"pressure", 4.5}, {"enthalpy", 800}, {"SO4", 120}, {"H2S", 0.05}, {"gas N2", 1.5}})}},
      {"unit_unknown.csv",
       {refused("unit_unknown.csv, row 1, column 2: \"Na (mg/m3)\": the unit \"mg/m3\" is not "
                "known; Na takes " +
                solute_units)}},
      {"unit_meq_co2.csv",
       {refused("unit_meq_co2.csv, row 1, column 3: \"CO2 (meq/L)\": \"meq/L\" has no meaning "
                "for CO2, which is no single ion; CO2 takes " +
                solute_units + " but not meq")}},
      {"aliases_a.csv",
       {sample({{"temperature", 97.2},
                {"pH", 8.5},
                {"pH temperature", 21},
                {"Na", 250},
                {"K", 30},
                {"Ca", 5},
                {"Mg", 0.5},
                {"Cl", 180},
                {"SO4", 95},
                {"F", 1.5},
                {"SiO2", 300},
                {"B", 0.8},
                {"CO2", 0}},
               {"aliases_a.csv, row 1, columns 16 \"EC (\xC2\xB5S/cm)\", 17 \"Li\" and 18 "
                "\"date\" are not known columns, ignored"})}},
      {"aliases_b.csv",
       {sample({{"temperature", 180},
                {"pH temperature", 22},
                {"pH", 7.9},
                {"Na", 210},
                {"K", 25},
                {"Ca", 3},
                {"Mg", 0.2},
                {"Cl", 150},
                {"SO4", 80},
                {"F", 1.2},
                {"Al", 0.05},
                {"Fe", 0.02}},
               {"aliases_b.csv, row 1, columns 15 \"CO3 2-\" and 16 \"Alkalinity (mg/L as "
                "CaCO3)\": carbonate is given as ions and as an alkalinity; a row's carbonate "
                "alkalinity is taken from its HCO3 and CO3, and from its alkalinity only where it "
                "gives neither"})}},
      {"aliases_c.csv",
       {sample({{"temperature", 65},
                {"pH temperature", 20},
                {"Ca", 40},
                {"Mg", 12},
                {"SO4", 300},
                {"Al", 0.1}})}},
      {"aliases_d.csv",
       {sample({{"temperature", 55}, {"pH temperature", 19}, {"SO4", 210}, {"pH", 6.8}})}},
      {"aliases_e.csv", {sample({{"pH temperature", 23}, {"SO4", 190}, {"pH", 7.1}})}},
      {"no_analysis.csv",
       {refused("no_analysis.csv, row 1: the header names no column of analyses (such as "
                "temperature, pH, SiO2, Na)",
                {"no_analysis.csv, row 1, columns 3 \"EC\", 4 \"Li\" and 5 \"date\" are not "
                 "known columns, ignored"})}},
      {"numbers_comma.csv",
       {sample({{"Cl", 10450}, {"enthalpy", 1450}}), sample({{"Cl", 1250.5}, {"enthalpy", 12.5}}),
        sample({{"Cl", -1234567.8}, {"enthalpy", 1500}}),
        bad_row("numbers_comma.csv, row 5, column Cl: \"10.45\"" + ambiguous_comma +
                "; column enthalpy: \"0.125\"" + ambiguous_comma),
        bad_row("numbers_comma.csv, row 6, column Cl: \"1.2345\"" + ambiguous_comma),
        bad_row("numbers_comma.csv, row 7, column Cl: \"1.5e3\"" + ambiguous_comma)}},
      {"numbers_point.csv",
       {sample({{"Cl", 1234.5}, {"enthalpy", 1.5}}),
        sample({{"Cl", 1234}, {"enthalpy", 12345678.25}}),
        bad_row("numbers_point.csv, row 4, column Cl: \"12,5\"" + ambiguous_point),
        bad_row("numbers_point.csv, row 5, column Cl: \"1,23,456\"" + ambiguous_point),
        bad_row("numbers_point.csv, row 6: cell 4 \"5\" lies beyond the 3 columns of the "
                "header; in a table separated by commas a number with a thousands comma must be "
                "quoted (\"1,234.5\")")}},
      {"rows.csv",
       {bad_row("rows.csv, row 2, column SiO2: \"abc\" is not a number; column pH: \"7 mg\" is "
                "not a number"),
        sample({{"SiO2", 300}, {"pH", 7}, {"Na", 100}}),
        bad_row("rows.csv, row 4: cell 5 \"x\" lies beyond the 4 columns of the header; in a "
                "table separated by commas a number with a thousands comma must be quoted "
                "(\"1,234.5\")"),
        sample({{"SiO2", 310}, {"pH", 7.2}, {"Na", 90}})}},
      {"no_sample.csv", {no_sample("no_sample.csv: no sample could be read from the table")}},
      {"utf16le_bom.csv",
       {refused("utf16le_bom.csv: the table is UTF-16 text; save the table as UTF-8")}},
      {"utf16be.csv", {refused("utf16be.csv: the table is UTF-16 text; save the table as UTF-8")}},
      {"utf32le_bom.csv",
       {refused("utf32le_bom.csv: the table is UTF-32 text; save the table as UTF-8")}},
      {"utf32be.csv", {refused("utf32be.csv: the table is UTF-32 text; save the table as UTF-8")}},
      {"binary.csv", {refused("binary.csv: the file holds binary bytes, not a table of text")}},
  };
  for (const table_case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::vector<csv_read_result> got = read_file(c.file);
    ASSERT_EQ(got.size(), c.reads.size() + 1);
    EXPECT_EQ(got.back().what, kind::end);
    for (std::size_t k = 0; k < c.reads.size(); ++k) {
      SCOPED_TRACE(k);
      const expected& want = c.reads[k];
      const csv_read_result& r = got[k];
      ASSERT_EQ(r.what, want.what) << r.error;
      EXPECT_EQ(r.error, want.error);
      EXPECT_EQ(r.warnings, want.warnings);
      EXPECT_EQ(r.refuses_file, want.refuses_file);
      for (const auto& [column, x] : want.values) {
        // Conversions multiply by a molar mass or a factor once: a few ulps.
        EXPECT_NEAR(value_of(r.sample, column), x, 1e-12 * std::fabs(x)) << column;
      }
    }
  }
}

TEST(LaboratoryTables, NotAnalysedIsNotZeroAndDetectionLimitsFollowTheRule) {
  using names = std::vector<std::string>;
  struct row {
    std::vector<std::pair<const char*, double>> values;
    names not_analysed;  // beyond the columns the table does not have
    names below;
    bool ph_t_assumed;
    std::optional<refusal_reason> refused;
  };
  struct rule_case {
    const char* file;
    analysis_reading how;
    std::vector<row> rows;
    names notes;  // said once, at the end
  };
  // The table's own columns: every other one is not analysed in each row.
  const names present = {"temperature", "pH", "pH temperature", "SiO2", "Na", "B", "Al",
                         "Mg",          "Cl"};
  const std::string said_not_analysed =
      "missing.csv: cells that say not analysed (n.d., n.a., b.d.l., a dash and the like), taken "
      "as not analysed: B rows 2-5; Al rows 4-5; Mg rows 4-5";
  const std::string no_ph_t =
      "missing.csv: no pH temperature given for samples M-3 and M-4; the "
      "pH is taken as measured at ";
  const auto rows = [](double al1, double al2) {
    return std::vector<row>{
        {{{"temperature", 95}, {"pH", 8.2}, {"pH temperature", 20}, {"Al", al1}, {"Mg", 0}},
         {"B"},
         {"Al"},
         false,
         std::nullopt},
        {{{"pH", 0}, {"Al", al2}},
         {"pH", "pH temperature", "B", "Mg"},
         {"Al"},
         false,
         refusal_reason::ph_not_analysed},
        {{{"temperature", 0}, {"pH temperature", 25}},
         {"temperature", "B", "Al", "Mg"},
         {},
         true,
         refusal_reason::temperature_not_analysed},
        {{{"pH temperature", 25}, {"Mg", 0}}, {"B", "Al", "Mg"}, {}, true, std::nullopt}};
  };
  std::vector<row> at_18 = rows(0.025, 0.1);
  for (row& r : at_18) {
    for (auto& [column, x] : r.values) {
      if (std::string(column) == "pH temperature" && r.ph_t_assumed) x = 18;
    }
  }
  const std::vector<rule_case> cases = {
      {"missing.csv",
       {},
       rows(0.025, 0.1),
       {said_not_analysed,
        "missing.csv: values below a detection limit, taken as half the limit: Al rows 2-3",
        no_ph_t + "25 \xC2\xB0"
                  "C"}},
      {"missing.csv",
       {below_detection_rule::limit, 18.0},
       [&] {
         std::vector<row> v = at_18;
         v[0].values[3].second = 0.05;
         v[1].values[1].second = 0.2;
         return v;
       }(),
       {said_not_analysed,
        "missing.csv: values below a detection limit, taken as the limit: Al rows 2-3",
        no_ph_t + "18 \xC2\xB0"
                  "C"}},
      {"missing.csv",
       {below_detection_rule::zero, 25.0},
       rows(0, 0),
       {said_not_analysed,
        "missing.csv: values below a detection limit, taken as zero: Al rows 2-3",
        no_ph_t + "25 \xC2\xB0"
                  "C"}},
      // Decimal commas, and a limit in µg/L: half of 10.5 µg/L is 0.00525 mg/kg.
      {"missing_comma.csv",
       {},
       {{{{"pH", 7.5}, {"pH temperature", 21.5}, {"B", 0.00525}, {"Cl", 1250}},
         {},
         {"B"},
         false,
         refusal_reason::temperature_not_analysed}},
       {"missing_comma.csv: values below a detection limit, taken as half the limit: B row 2"}},
  };
  for (const rule_case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::vector<csv_read_result> got = read_file(c.file, c.how);
    ASSERT_EQ(got.size(), c.rows.size() + 1);
    EXPECT_EQ(got.back().warnings, c.notes);
    for (std::size_t k = 0; k < c.rows.size(); ++k) {
      SCOPED_TRACE(k);
      const row& want = c.rows[k];
      const sample_record& s = got[k].sample;
      ASSERT_EQ(got[k].what, kind::sample) << got[k].error;
      for (const auto& [column, x] : want.values) {
        EXPECT_NEAR(value_of(s, column), x, 1e-15) << column;
      }
      if (std::string(c.file) == "missing.csv") {
        names open;  // of the table's own columns
        for (const std::string& n : s.not_analysed) {
          if (std::find(present.begin(), present.end(), n) != present.end()) open.push_back(n);
        }
        EXPECT_EQ(open, want.not_analysed);
      }
      EXPECT_EQ(s.below_detection, want.below);
      EXPECT_EQ(s.ph_t_assumed, want.ph_t_assumed);
      EXPECT_EQ(check_values(s, run_options{}), want.refused);
      // An analysed zero is no missing value: the flags say what was assumed.
      const std::vector<std::string> flags = plausibility_flags(s, sample_result{});
      EXPECT_EQ(std::find(flags.begin(), flags.end(), "below_detection") != flags.end(),
                !want.below.empty());
    }
  }
}

TEST(LaboratoryTables, AVeryLongRowIsRefusedAloneAndReadingGoesOn) {
  // A row of two megabytes (an open quote closed far away) and the rows around it.
  std::string text =
      "sample,pH,location\nA,7,x\nB,7,\"" + std::string(2 << 20, 'y') + "\"\nC,8,z\n";
  std::istringstream in(text);
  analysis_csv_reader r(in, "long.csv");
  std::vector<kind> kinds;
  std::string error;
  for (csv_read_result got = r.next();; got = r.next()) {
    kinds.push_back(got.what);
    if (got.what == kind::bad_row) error = got.error;
    if (got.what == kind::end) break;
  }
  EXPECT_EQ(kinds, (std::vector<kind>{kind::sample, kind::bad_row, kind::sample, kind::end}));
  EXPECT_EQ(error, "long.csv, row 3: longer than 1048576 bytes, not read; is a quote not closed?");
}

}  // namespace
}  // namespace morva
