// Carbonate as laboratories report it (bicarbonate, carbonate, alkalinity): the rows of the
// tables tests/data/carbonate*.csv read into a carbonate alkalinity, and the total CO2 the
// calculation finds from it carries that alkalinity in the sampled water.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "morva/analysis_csv.h"
#include "morva/calculate.h"
#include "morva/mineral_curves.h"
#include "morva/sample_file.h"
#include "morva/tables.h"
#include "result_tables/result_tables.h"
#include "robust/water_generator.h"

namespace morva {
namespace {

/// The rows of a table of tests/data, each read as a sample.
std::vector<csv_read_result> read_table(const std::string& name) {
  std::ifstream in(std::string(MORVA_TEST_DATA) + "/" + name, std::ios::binary);
  analysis_csv_reader reader(in, name);
  std::vector<csv_read_result> rows;
  for (csv_read_result r = reader.next(); r.what != csv_read_result::kind::end; r = reader.next()) {
    EXPECT_EQ(r.what, csv_read_result::kind::sample) << r.error;
    rows.push_back(r);
  }
  return rows;
}

/// True when the species molalities are the same doubles.
bool same_bits(const species_vector& a, const species_vector& b) {
  for (int i = 1; i <= species_vector::size; ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof(double)) != 0) return false;
  }
  return true;
}

// Formula weights of the species table, mg/mol, and the laboratories' mg CaCO3 per eq.
constexpr double hco3_mg = 61020.0, co3_mg = 60010.0, caco3_mg = 50040.0;

TEST(Carbonate, TablesGiveTheAlkalinityTheSampledWaterCarries) {
  struct row_case {
    const char* id;
    std::optional<double> alkalinity_eq_kg;  // as read; empty where none is taken
    double co2_mgkg;                         // as read
    std::vector<std::string> warnings;
  };
  struct file_case {
    const char* file;
    std::vector<row_case> rows;
  };
  const std::string both_a =
      "carbonate.csv, row 1, columns 14 \"HCO3- (mg/L)\", 15 \"CO3 2- (mg/L)\" and 16 "
      "\"Alkalinity (mg/L as CaCO3)\": carbonate is given as ions and as an alkalinity; a row's "
      "carbonate alkalinity is taken from its HCO3 and CO3, and from its alkalinity only where "
      "it gives neither";
  const std::string both_b =
      "carbonate_meq.csv, row 1, columns 10 \"Alkalinity (meq/L)\" and 11 \"HCO3 (mmol/L)\": "
      "carbonate is given as ions and as an alkalinity; a row's carbonate alkalinity is taken "
      "from its HCO3 and CO3, and from its alkalinity only where it gives neither";
  const std::vector<file_case> files = {
      {"carbonate.csv",
       {{"C-1", 120.0 / hco3_mg, 0.0, {both_a}},
        {"C-2", 150.0 / hco3_mg + 2.0 * 12.0 / co3_mg, 0.0, {}},
        {"C-3", 100.0 / caco3_mg, 0.0, {}},
        {"C-4",
         std::nullopt,
         50.0,
         {"carbonate.csv, row 5: both the total carbonate as CO2 and HCO3- are given; the CO2 "
          "is taken, HCO3- ignored"}},
        {"C-5", 95.0 / hco3_mg, 0.0, {}},
        {"C-6", std::nullopt, 0.0, {}}}},
      {"carbonate_meq.csv",
       {{"M-1", 2.5e-3, 0.0, {both_b}}, {"M-2", 0.8e-3, 0.0, {}}, {"M-3", 1.6e-3, 0.0, {}}}},
  };
  const std::vector<std::string>& columns = state_columns();
  const auto co2_column = static_cast<std::size_t>(
      std::find(columns.begin(), columns.end(), "sampled_co2_mg_kg") - columns.begin());
  ASSERT_LT(co2_column, columns.size());
  for (const file_case& f : files) {
    const std::vector<csv_read_result> got = read_table(f.file);
    ASSERT_EQ(got.size(), f.rows.size()) << f.file;
    for (std::size_t k = 0; k < f.rows.size(); ++k) {
      const row_case& want = f.rows[k];
      const sample_record& s = got[k].sample;
      SCOPED_TRACE(want.id);
      EXPECT_EQ(s.number, want.id);
      EXPECT_EQ(got[k].warnings, want.warnings);
      EXPECT_EQ(s.water_mgkg[comp::co2], want.co2_mgkg);
      ASSERT_EQ(s.alkalinity_eq_kg.has_value(), want.alkalinity_eq_kg.has_value());

      const run_options opt;
      const sample_result r = calculate_checked(s, opt);
      ASSERT_FALSE(r.refused) << refusal_message(*r.refused);
      const std::optional<sampled_water> sw = calculate_sampled(s);
      ASSERT_TRUE(sw);
      EXPECT_TRUE(same_bits(sw->m, r.sampled.m));
      EXPECT_EQ(sw->co2_from_alkalinity_mgkg, r.sampled.co2_from_alkalinity_mgkg);
      const double co2_used = r.sampled.co2_from_alkalinity_mgkg.value_or(s.water_mgkg[comp::co2]);
      // The saturation curves start from the same water.
      const saturation_result sat = saturation_checked(s, opt, {25.0, 25.0, 5.0}, {min::quartz});
      EXPECT_EQ(sat.calculation.sampled.co2_from_alkalinity_mgkg,
                r.sampled.co2_from_alkalinity_mgkg);
      EXPECT_TRUE(same_bits(sat.calculation.reference.state.m, r.reference.state.m));
      const std::vector<row> rows = state_rows(s, opt, r);
      EXPECT_EQ(std::get<double>(rows.front()[co2_column]), co2_used);
      if (!want.alkalinity_eq_kg) {
        EXPECT_FALSE(r.sampled.co2_from_alkalinity_mgkg);
        continue;
      }
      const double alk = *want.alkalinity_eq_kg;
      EXPECT_NEAR(*s.alkalinity_eq_kg, alk, 1e-12 * alk);
      // The water's species carry the alkalinity given; the carbonate that does so is at
      // least half of it in moles (CO3-- takes two protons) and, below pH 8.3 where H2CO3
      // outweighs CO3--, more than all of it.
      ASSERT_TRUE(r.sampled.co2_from_alkalinity_mgkg);
      EXPECT_NEAR(carbonate_alkalinity(r.sampled.m), alk, 1e-8 * alk);
      const double c = co2_used / w(comp::co2);
      EXPECT_GT(c, 0.5 * alk);
      if (s.ph < 8.3) {
        EXPECT_GT(c, alk);
      }
      // The same water given its total CO2 is the same water, bit for bit.
      sample_record given = s;
      given.water_mgkg[comp::co2] = co2_used;
      given.alkalinity_eq_kg.reset();
      const std::optional<sampled_water> g = calculate_sampled(given);
      ASSERT_TRUE(g);
      EXPECT_TRUE(same_bits(g->m, sw->m));
    }
  }
}

TEST(Carbonate, AnAlkalinityNoTotalCarriesIsRefused) {
  // A water given as values, as the Python module gives them.
  const auto water = [](std::vector<analysis_value> more) {
    std::vector<analysis_value> v = {{"temperature", 80.0, "80"},
                                     {"pH temperature", 20.0, "20"},
                                     {"Na", 200.0, "200"},
                                     {"Cl", 250.0, "250"},
                                     {"SiO2", 200.0, "200"}};
    v.insert(v.end(), more.begin(), more.end());
    return analysis_from_values("values", "W", "", v).sample;
  };
  struct refusal_case {
    const char* what;
    sample_record s;
    std::optional<refusal_reason> refused;
    std::optional<double> co2_found_mgkg;  // when not refused
  };
  sample_record given_co2 = water({{"pH", 7.5, "7.5"}, {"CO2", 40.0, "40"}});
  given_co2.alkalinity_eq_kg = 2e-3;  // set by a program: the CO2 is taken
  const std::vector<refusal_case> cases = {
      {"no pH", water({{"HCO3", 120.0, "120"}}), refusal_reason::ph_not_analysed, {}},
      {"negative alkalinity",
       water({{"pH", 7.5, "7.5"}, {"alkalinity", -1.0, "-1"}}),
       refusal_reason::carbonate_not_found,
       {}},
      {"negative K",
       water({{"pH", 7.5, "7.5"}, {"HCO3", 120.0, "120"}, {"K", -5.0, "-5"}}),
       refusal_reason::negative_concentration,
       {}},
      {"zero alkalinity", water({{"pH", 7.5, "7.5"}, {"alkalinity", 0.0, "0"}}), {}, 0.0},
      {"CO2 given too", given_co2, {}, {}},
  };
  for (const refusal_case& c : cases) {
    SCOPED_TRACE(c.what);
    const sample_result r = calculate_checked(c.s, run_options{});
    EXPECT_EQ(r.refused, c.refused);
    EXPECT_EQ(calculate_sampled(c.s).has_value(), !c.refused);
    if (c.refused) {
      EXPECT_FALSE(refusal_message(*c.refused).empty());
      EXPECT_FALSE(co2_from_alkalinity(c.s));
    } else {
      EXPECT_EQ(r.sampled.co2_from_alkalinity_mgkg, c.co2_found_mgkg);
    }
  }
}

TEST(Carbonate, GeneratedWatersGiveBackTheirCarbonate) {
  // The carbonate alkalinity of generated waters, given in place of their total CO2, gives
  // that total back: as closely as the mass balances (settled to 1e-6) make the alkalinity.
  water_generator g(7, 0.0);
  int checked = 0;
  for (int i = 0; i < 80; ++i) {
    const generated_sample gs = g.next();
    std::istringstream in(gs.block);
    sample_reader reader(in, gs.number);
    const sample_record s = reader.next().sample;
    const double co2 = s.water_mgkg[comp::co2];
    const std::optional<sampled_water> sw = calculate_sampled(s);
    if (co2 == 0.0 || !sw) continue;
    SCOPED_TRACE(gs.number + " (" + gs.kind + ")");
    sample_record a = s;
    a.water_mgkg[comp::co2] = 0.0;
    a.alkalinity_eq_kg = carbonate_alkalinity(sw->m);
    const std::optional<double> found = co2_from_alkalinity(a);
    ASSERT_TRUE(found);
    EXPECT_NEAR(*found, co2, 1e-6 * co2);
    ++checked;
  }
  EXPECT_GT(checked, 40);
}

}  // namespace
}  // namespace morva
