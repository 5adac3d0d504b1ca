#include "batch/options.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace morva {
namespace {

TEST(BatchOptions, TemperaturesStepsAndCoefficientsAsTheDialogTakesThem) {
  std::string why;
  struct temperature_case {
    const char* text;
    bool ok;
    reference_temperature type;
    double t_c;
  };
  for (const temperature_case& c :
       {temperature_case{"measured", true, reference_temperature::measured, 0.0},
        {"Quartz", true, reference_temperature::quartz, 0.0},
        {"chalcedony", true, reference_temperature::chalcedony, 0.0},
        {"nak", true, reference_temperature::na_k, 0.0},
        {"212.5", true, reference_temperature::arbitrary, 212.5},
        {"hot", false, reference_temperature::measured, 0.0},
        {"", false, reference_temperature::measured, 0.0}}) {
    SCOPED_TRACE(c.text);
    const auto o = parse_temperature(c.text, run_options{}, why);
    ASSERT_EQ(o.has_value(), c.ok);
    if (!o) continue;
    EXPECT_EQ(o->tref_type, c.type);
    EXPECT_EQ(o->t_typed_c.value_or(0.0), c.t_c);
  }

  struct steps_case {
    const char* text;
    bool ok;
    int n;
  };
  for (const steps_case& c : {steps_case{"", true, 0},
                              {"150,120", true, 2},
                              {"150; 120 100", true, 3},
                              {"0,373.85", true, 2},
                              {"1,2,3,4,5,6,7,8,9,10", true, 10},
                              {"1,2,3,4,5,6,7,8,9,10,11", false, 0},
                              {"374", false, 0},
                              {"-1", false, 0},
                              {"150,abc", false, 0}}) {
    SCOPED_TRACE(c.text);
    std::vector<double> t = {-1.0};
    ASSERT_EQ(parse_steps(c.text, t, why), c.ok) << why;
    if (c.ok) {
      EXPECT_EQ(static_cast<int>(t.size()), c.n);
    }
  }
  double f = 0.0;
  EXPECT_TRUE(parse_degassing("0.01", f, why));
  EXPECT_FALSE(parse_degassing("0.005", f, why));
  EXPECT_FALSE(parse_degassing("1.5", f, why));
  std::optional<double> t_spring_c;
  EXPECT_TRUE(parse_spring("98", t_spring_c, why));
  EXPECT_FALSE(parse_spring("350", t_spring_c, why));
}

TEST(BatchOptions, TableRowsOverrideTheCommandLineCellByCell) {
  run_options base;
  base.cool_c = {25.0};
  std::istringstream csv(
      "\xEF\xBB\xBF"
      "Sample;Temperature;Boil;Degassing\n"
      "HS-07;quartz;\"150;120\";0,5\n"
      "KV-12;;;\n");
  options_by_id table;
  std::string why;
  ASSERT_TRUE(read_options_table(csv, "opts.csv", base, table, why)) << why;
  ASSERT_EQ(table.size(), 2u);
  const run_options& hs = table.at("HS-07");
  EXPECT_EQ(hs.tref_type, reference_temperature::quartz);
  EXPECT_EQ(hs.boil_c.size(), 2u);
  EXPECT_EQ(hs.boil_c[1], 120.0);
  EXPECT_EQ(hs.boil_degas, 0.5);
  EXPECT_EQ(hs.cool_c.size(), 1u);  // blank: the command line's
  EXPECT_EQ(table.at("KV-12").tref_type, reference_temperature::measured);

  std::istringstream bad("sample,temperature\nX,warm\n");
  EXPECT_FALSE(read_options_table(bad, "opts.csv", base, table, why));
  EXPECT_EQ(why,
            "opts.csv, row 2, column temperature: temperature \"warm\" is none of measured, "
            "quartz, chalcedony, nak or a temperature in \xC2\xB0"
            "C");
  std::istringstream unknown("sample,tempreature\n");
  EXPECT_FALSE(read_options_table(unknown, "opts.csv", base, table, why));
}

TEST(BatchOptions, TableHoldsEachSetOfOptionsOnceAndTheLastRowOfAnId) {
  // Rows that repeat a set share it; a later row of an id takes the place of an earlier one;
  // the ids come back in order whatever the order of the rows.
  std::istringstream csv(
      "sample,temperature,boil\nW-3,quartz,150\nW-1,quartz,150\nW-2,nak,\nW-1,200,\n");
  options_by_id table;
  std::string why;
  ASSERT_TRUE(read_options_table(csv, "opts.csv", run_options{}, table, why)) << why;
  EXPECT_EQ(table.size(), 3u);
  EXPECT_EQ(table.distinct(), 3u);  // quartz 150, nak, 200 °C typed
  EXPECT_EQ(table.at("W-1").tref_type, reference_temperature::arbitrary);
  EXPECT_EQ(table.at("W-3").boil_c, std::vector<double>{150.0});
  EXPECT_EQ(table.find("W-4"), nullptr);
  std::string ids;
  table.for_each([&](const std::string& id, const run_options&) { ids += id + " "; });
  EXPECT_EQ(ids, "W-1 W-2 W-3 ");
}

TEST(BatchOptions, TableCellsFollowTheTablesDecimalMark) {
  // A ';' table writes decimal commas (steps then apart by blanks or semicolons); a ',' table
  // decimal points (steps apart by commas too). A point where it groups no thousands in a ';'
  // table is refused rather than read as another number.
  struct table_case {
    const char* text;
    std::vector<double> boil_c;  // the steps read, or none when refused
    double degas;
    const char* error;  // empty when read
  };
  for (const table_case& c : {
           table_case{"sample;boil;degassing\nA;120,5;0,5\n", {120.5}, 0.5, ""},
           {"sample;boil;degassing\nA;100 80,5;1\n", {100, 80.5}, 1, ""},
           {"sample;boil\nA;\"150;120\"\n", {150, 120}, 1, ""},
           {"sample,boil,degassing\nA,\"150,120\",0.25\n", {150, 120}, 0.25, ""},
           {"sample;degassing\nA;0.5\n",
            {},
            0,
            "opts.csv, row 2, column degassing: \"0.5\" is ambiguous: in a table separated by "
            "semicolons the comma is the decimal mark and a point may only group thousands "
            "(1.250,5)"},
           {"sample;boil\nA;120.5\n",
            {},
            0,
            "opts.csv, row 2, column boil: \"120.5\" is ambiguous: in a table separated by "
            "semicolons the comma is the decimal mark and a point may only group thousands "
            "(1.250,5)"},
       }) {
    SCOPED_TRACE(c.text);
    std::istringstream in(c.text);
    options_by_id table;
    std::string why;
    const bool ok = read_options_table(in, "opts.csv", run_options{}, table, why);
    EXPECT_EQ(why, c.error);
    if (*c.error != '\0') {
      EXPECT_FALSE(ok);
      continue;
    }
    ASSERT_TRUE(ok);
    const run_options& o = table.at("A");
    EXPECT_EQ(o.boil_c, c.boil_c);
    EXPECT_EQ(o.boil_degas, c.degas);
  }
}

}  // namespace
}  // namespace morva
