// The analysis table: what spreadsheets write reads as the sample file would give it, faults
// and losses are told by file, row and column, and a sample file converted to a table and the
// table converted back to sample blocks give the very same samples.

#include "morva/analysis_csv.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "morva/sample_file.h"
#include "robust/water_generator.h"
#include "samplefile/writer.h"
#include "text/fields.h"
#include "text/sample_text.h"

namespace morva {
namespace {

using kind = csv_read_result::kind;

/// Every result of reading the table, up to and including the end.
std::vector<csv_read_result> read_table(const std::string& text) {
  std::istringstream in(text);
  analysis_csv_reader r(in, "survey.csv");
  std::vector<csv_read_result> out;
  for (int guard = 0; guard < 1000; ++guard) {
    out.push_back(r.next());
    if (out.back().what == kind::end) break;
  }
  return out;
}

std::vector<sample_record> read_blocks(const std::string& text) {
  std::istringstream in(text);
  sample_reader f(in, "morva.in");
  std::vector<sample_record> out;
  for (read_result got = f.next(); got.what == read_result::kind::sample; got = f.next()) {
    out.push_back(got.sample);
  }
  return out;
}

/// Every number of a sample, given and derived, as its bits: -0 and a last-bit difference
/// count.
std::vector<std::uint64_t> bits(const sample_record& s) {
  const sample_totals t = derive(s);
  std::vector<double> x = {s.pressure_bar_g, s.enthalpy, s.ph, t.ph_t, s.ph_t_c, s.tds};
  for (int i = 1; i <= component_vector::size; ++i) {
    x.insert(x.end(), {s.water_mgkg[i], t.water[i], t.steam[i]});
  }
  for (int i = 1; i <= gas_vector::size; ++i) x.push_back(s.gas[i]);
  const collection_data& d = s.collection;
  x.insert(x.end(), {d.discharge_kg_s, d.t_c, d.condensate_ph, d.condensate_ph_t_c, d.gas_l_per_kg,
                     d.gas_t_c});
  const condensate_analysis& c = s.condensate;
  x.insert(x.end(), {c.co2_mgkg, c.h2s_mgkg, c.nh3_mgkg, c.na_mgkg});
  x.insert(x.end(), {s.steam.co2_mgkg, s.steam.h2s_mgkg, s.steam.nh3_mgkg});
  x.push_back(t.type == sample_type::two_phase ? 2.0 : 1.0);
  std::vector<std::uint64_t> b;
  for (double v : x) b.push_back(std::bit_cast<std::uint64_t>(v));
  return b;
}

void expect_identical(const sample_record& got, const sample_record& want) {
  // The texts as every writer shows them, whichever encoding each sample holds them in.
  EXPECT_EQ(utf8_id(got), utf8_id(want));
  EXPECT_EQ(utf8_location(got), utf8_location(want));
  EXPECT_EQ(bits(got), bits(want));
}

/// The two samples every layout below holds.
std::vector<sample_record> two_samples() {
  sample_record a, b;
  a.number = padded("HV-07", 16);
  a.location = padded("Pool \"A\", north vent", 80);  // a line break in the cell: a blank
  a.ph = 9.25;
  a.ph_t_c = 21.5;
  a.water_mgkg[comp::sio2] = 320.75;
  a.water_mgkg[comp::na] = 215.5;
  b.number = padded("W-14", 16);
  b.location = padded("Well 14", 80);
  b.ph = 7.5;
  b.ph_t_c = 20.0;
  b.water_mgkg[comp::sio2] = 612.0;
  b.water_mgkg[comp::na] = 268.0;
  b.gas[1] = 91.45;
  b.condensate.na_mgkg = 0.125;
  return {a, b};
}

TEST(AnalysisTableReader, LayoutsSpreadsheetsWriteReadAlike) {
  const std::string quoted_location = "\"Pool \"\"A\"\", north\nvent\"";
  struct layout {
    const char* what;
    std::string text;
    std::vector<long> rows;
  };
  const std::vector<layout> layouts = {
      {"commas, LF",
       "sample,location,pH,pH temperature (\xC2\xB0"
       "C),SiO2 (mg/kg),Na (mg/kg),"
       "gas CO2 (vol %),condensate Na (mg/kg)\n"
       "HV-07," +
           quoted_location +
           ",9.25,21.5,320.75,215.5,,\n"
           "W-14,Well 14,7.5,20,612,268,91.45,0.125\n",
       {2, 3}},
      {"CR LF, no line end at the end, byte-order mark",
       "\xEF\xBB\xBFsample,location,pH,pH temperature,SiO2,Na,gas CO2,condensate Na\r\n"
       "HV-07," +
           quoted_location +
           ",9.25,21.5,320.75,215.5,,\r\n"
           "W-14,Well 14,7.5,20,612,268,91.45,0.125",
       {2, 3}},
      {"semicolons, decimal commas and points, quoted names",
       "\"sample\";\"location\";\"pH\";\"pH temperature\";SiO2;Na;gas CO2;condensate Na\r\n"
       "HV-07;" +
           quoted_location +
           ";9,25;21,5;320,75;215,5;;\r\n"
           "W-14;\"Well 14\";7,5;20;612;268;91,45;0,125\r\n",
       {2, 3}},
      {"any order, any case, underscores and blanks, units or none",
       "condensate_NA, SIO2 (mg/kg) ,gas__co2,PH,ph_temperature (C),Location,Na,SAMPLE\n"
       "," +
           std::string("320.75,,9.25,21.5,") + quoted_location +
           ",215.5,HV-07\n"
           "0.125,612,91.45,7.5,20,Well 14,268,W-14\n",
       {2, 3}},
      {"blanks around numbers, quoted numbers, empty rows, short and long rows",
       "sample,location,pH,pH temperature,SiO2,Na,gas CO2,condensate Na\n\n"
       "HV-07," +
           quoted_location +
           ", 9.25 ,\t21.5,\"320.75\",215.5\n"
           ",,,,,,,\n \n,,,,0,,,\n\x1A\n"  // nothing given: a zero, a control character
           "W-14,Well 14,7.5,20,612,268,91.45,0.125,,,\n\n",
       {3, 8}},
  };
  const std::vector<sample_record> want = two_samples();
  for (const layout& l : layouts) {
    SCOPED_TRACE(l.what);
    const std::vector<csv_read_result> got = read_table(l.text);
    ASSERT_EQ(got.size(), 3u);
    for (std::size_t k = 0; k < 2; ++k) {
      ASSERT_EQ(got[k].what, kind::sample) << got[k].error;
      EXPECT_EQ(got[k].row, l.rows[k]);
      EXPECT_EQ(got[k].warnings, std::vector<std::string>{});
      expect_identical(got[k].sample, want[k]);
    }
  }
}

TEST(AnalysisTableReader, FaultsAreToldAndTheNextRowIsRead) {
  struct fault {
    std::string text;
    std::vector<kind> kinds;
    std::string error;  // of the first bad row or file
  };
  const std::string head = "sample,SiO2 (mg/kg),pH\n";
  const auto bad_silica = [&head](const std::string& cell) {
    return fault{head + "A,\"" + cell + "\",7\nB,300,7\n",
                 {kind::bad_row, kind::sample, kind::end},
                 "survey.csv, row 2, column SiO2: \"" + cell + "\" is not a number"};
  };
  std::vector<fault> faults = {
      {head + "A,1e999,7\nB,300,7\n",
       {kind::bad_row, kind::sample, kind::end},
       "survey.csv, row 2, column SiO2: \"1e999\" is too large"},
      {"sample;SiO2\nA;1.23,5\nB;1.234,5\n",
       {kind::bad_row, kind::sample, kind::end},
       "survey.csv, row 2, column SiO2: \"1.23,5\" is ambiguous: in a table separated by "
       "semicolons the comma is the decimal mark and a point may only group thousands "
       "(1.250,5)"},
      {head + "A,\"1,5\",7\nB,300,7\n",
       {kind::bad_row, kind::sample, kind::end},
       "survey.csv, row 2, column SiO2: \"1,5\" is ambiguous: in a table separated by commas "
       "the point is the decimal mark and a comma may only group thousands (\"1,234.5\")"},
      {head + "A,300,7\n\"B,300,7\nC,1,2\n",
       {kind::sample, kind::bad_row, kind::end},
       "survey.csv, row 3: a quote in this row is not closed before the end of the file"},
      {head + "\"" + std::string(70000, 'x'),
       {kind::bad_row, kind::bad_file, kind::end},
       "survey.csv, row 2: a quote in this row is not closed before the end of the file"},
      {"Li,Be\n1,2\n",
       {kind::bad_file, kind::end},
       "survey.csv, row 1: the header names no known column (such as sample, pH, SiO2)"},
      {"", {kind::bad_file, kind::end}, "survey.csv: no header row"},
      {"\xEF\xBB\xBF\r\n\n", {kind::bad_file, kind::end}, "survey.csv: no header row"},
  };
  for (const char* cell : {"traces", "<", "<x", "inf", "nan", "0x1A", "1.2.3", "12 5", "+", ".",
                           "1e", "--1", "1e+-2", "7 mg"}) {
    faults.push_back(bad_silica(cell));
  }
  for (const fault& f : faults) {
    SCOPED_TRACE(f.text.substr(0, 60));
    const std::vector<csv_read_result> got = read_table(f.text);
    std::vector<kind> kinds;
    for (const csv_read_result& r : got) kinds.push_back(r.what);
    EXPECT_EQ(kinds, f.kinds);
    for (const csv_read_result& r : got) {
      if (r.what == kind::bad_row || r.what == kind::bad_file) {
        EXPECT_EQ(r.error, f.error);
        break;
      }
    }
  }
}

TEST(AnalysisTableReader, TextsAreKeptAsReadAndFaultsAreTold) {
  // Ids and locations stay UTF-8 as read, of any length; only bytes that are not UTF-8 and
  // control characters are lost, each kind told once.
  struct text_case {
    std::string text;
    std::string number;                 // UTF-8, as kept
    std::string location;               // UTF-8, as kept
    std::vector<std::string> warnings;  // of the first result; the others have none
  };
  const std::string long_location = std::string(79, 'x') + "yz";
  const std::string sixteen_e_acute =
      "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
      "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
  const std::vector<text_case> cases = {
      {"sample,Li (mg/kg),SiO2,sio2,\nA,1,2,3,4\nB,1,2,3,4\n",
       "A",
       "",
       {"survey.csv, row 1, column 2: \"Li (mg/kg)\" is not a known column, ignored",
        "survey.csv, row 1, column 4: \"sio2\" repeats column SiO2, ignored"}},
      {"sample,location,pH\nA,Caf\xC3\xA9 \xC3\x9C\xC3\xBF\n",
       "A",
       "Caf\xC3\xA9 \xC3\x9C\xC3\xBF",
       {}},
      {"sample,location,pH\nA,Kaldvik \xE2\x80\x93 well 12\n",
       "A",
       "Kaldvik \xE2\x80\x93 well 12",
       {}},
      {"sample,location,pH\nA,\xE2\x86\x92\xF0\x9F\x8C\x8B\xE2\x86\x92\n",
       "A",
       "\xE2\x86\x92\xF0\x9F\x8C\x8B\xE2\x86\x92",
       {}},
      {"sample,location,pH\nA,Caf\xE9 \xED\xA0\x80 \xC3\n",  // Latin-1, a surrogate, a cut sequence
       "A",
       "Caf? ??? ?",
       {"survey.csv, row 2, column location: \"Caf? ??? ?\": byte 0xE9 and 4 more are not UTF-8, "
        "each written as \"?\""}},
      {"Sample,location,pH\n\xF0\x9F\x8C\x8B"
       "ABCDEFGHIJKLMNOPQ,\n",
       "\xF0\x9F\x8C\x8B"
       "ABCDEFGHIJKLMNOPQ",
       "",
       {}},
      {"sample,location,pH\nA," + long_location + "\n", "A", long_location, {}},
      {"sample,pH\n" + sixteen_e_acute + "    \n", sixteen_e_acute, "", {}},
      // Blanks around an id are no part of it; a location keeps its leading ones.
      {"sample,location,pH\n \t HV 07\t ,  Pool  \n", "HV 07", "  Pool", {}},
      // Control characters never reach a terminal or a table: ESC, NUL, DEL and C1 as "?"; a
      // line break in a cell is a blank.
      {"sample,location,pH\n\"A\x1B[2J\x7F\",\"a\xC2\x9B"
       "b\nc\"\n",
       "A?[2J?",
       "a?b c",
       {"survey.csv, row 2, column sample: \"A?[2J?\": U+001B and 1 more are control "
        "characters, each written as \"?\"",
        "survey.csv, row 2, column location: \"a?b c\": U+009B is a control character, "
        "written as \"?\""}},
      {std::string("sample,location,pH\nB\0C,x\n", 25),
       "B?C",
       "x",
       {"survey.csv, row 2, column sample: \"B?C\": U+0000 is a control character, written as "
        "\"?\""}},
  };
  for (const text_case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::vector<csv_read_result> got = read_table(c.text);
    ASSERT_GE(got.size(), 2u);
    ASSERT_EQ(got[0].what, kind::sample) << got[0].error;
    EXPECT_EQ(got[0].sample.texts, text_encoding::utf8);
    EXPECT_EQ(got[0].sample.number, c.number);
    EXPECT_EQ(got[0].sample.location, c.location);
    EXPECT_EQ(got[0].warnings, c.warnings);
    for (std::size_t k = 1; k < got.size(); ++k) EXPECT_EQ(got[k].warnings.size(), 0u);
  }
}

TEST(AnalysisTableWriter, WritesHeaderAndRowsAsSpreadsheetsReadThem) {
  std::ostringstream out;
  write_analysis_csv_header(out);
  sample_record s;
  s.number = padded("HV-07", 16);
  s.location = padded("Pool \"A\", north \xE9", 80);
  s.collection.t_c = 97.5;
  s.pressure_bar_g = -0.5;
  s.enthalpy = 1e21;
  s.ph = 9.25;
  s.water_mgkg[comp::sio2] = 320.75;
  s.gas[1] = 0.1 + 0.2;
  s.condensate.na_mgkg = 1e-7;
  write_analysis_csv_row(s, out);
  const std::string deg =
      "(\xC2\xB0"
      "C)";
  EXPECT_EQ(out.str(),
            "sample,location,temperature " + deg +
                ",pressure (bar-g),enthalpy (kJ/kg),discharge (kg/s),pH,pH temperature " + deg +
                ",CO2 (mg/kg),H2S (mg/kg),NH3 (mg/kg),H2 (mg/kg),O2 (mg/kg),CH4 (mg/kg),"
                "N2 (mg/kg),SiO2 (mg/kg),B (mg/kg),Al (mg/kg),Fe (mg/kg),Na (mg/kg),K (mg/kg),"
                "Mg (mg/kg),Ca (mg/kg),F (mg/kg),Cl (mg/kg),SO4 (mg/kg),TDS (mg/kg),"
                "gas CO2 (vol %),gas H2S (vol %),gas NH3 (vol %),gas H2 (vol %),gas O2 (vol %),"
                "gas CH4 (vol %),gas N2 (vol %),gas volume (L/kg),gas temperature " +
                deg +
                ",steam CO2 (mg/kg),steam H2S (mg/kg),steam NH3 (mg/kg),condensate pH,"
                "condensate pH temperature " +
                deg +
                ",condensate CO2 (mg/kg),condensate H2S (mg/kg),condensate NH3 (mg/kg),"
                "condensate Na (mg/kg)\n"
                "HV-07,\"Pool \"\"A\"\", north \xC3\xA9\",97.5,-0.5,1e+21,,9.25" +
                std::string(9, ',') + "320.75" + std::string(12, ',') + "0.30000000000000004" +
                std::string(17, ',') + "1e-07\n");
}

TEST(SampleBlockWriter, NumbersTakeTheirMostPreciseSixteenColumns) {
  struct field {
    double x;
    const char* text;
    double back;  // what the sample file reads
  };
  for (const field& f : {
           field{97.2, "            97.2", 97.2}, field{0.0, "                ", 0.0},
           field{-1e-300, "         -1e-300", -1e-300},
           field{1.5e-310, "        1.5e-310", 1.5e-310},
           field{1.23456789012e-5, "1.23456789012e-5", 1.23456789012e-5},  // "e-05": 17 long
           // Shortest forms too long: the nearest that fits.
           field{0.1 + 0.2, "             0.3", 0.3},
           field{1.2345678901234567e-5, "1.23456789012e-5", 1.23456789012e-5},
           field{123456789.12345679, "123456789.123457", 123456789.123457},
           field{-DBL_MAX, " -1.79769313e308", -1.79769313e308},  // -1.797693135e308: too large
       }) {
    SCOPED_TRACE(f.text);
    sample_record s;
    s.collection.t_c = f.x;
    std::ostringstream out;
    write_sample_block(s, out);
    std::istringstream lines(out.str());
    std::string line;
    for (int n = 1; n <= 7; ++n) std::getline(lines, line);
    EXPECT_EQ(line.substr(0, 16), f.text);
    const std::vector<sample_record> back = read_blocks(out.str());
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].collection.t_c, f.back);
  }
}

TEST(SampleBlockWriter, TitleAndHeadersAreThoseOfTheProcessStepFiles) {
  std::ostringstream step, block;
  pickup(component_vector{}, 1e-7, 0.0, 25.0, "X", "", step);
  write_sample_block(sample_record{}, block);
  std::istringstream a(step.str()), b(block.str());
  std::string la, lb;
  for (int n = 1; n <= 34; ++n) {
    ASSERT_TRUE(std::getline(a, la) && std::getline(b, lb));
    if (n % 3 != 1 || n == 1) {
      EXPECT_EQ(lb, la) << "line " << n;  // title, headers and empty lines
    }
    EXPECT_EQ(lb.size(), la.size()) << "line " << n;
  }
  EXPECT_FALSE(std::getline(b, lb));
}

std::string file_text(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(AnalysisTable, SampleFilesSurviveTheTableAndTheTableTheSampleFile) {
  // Sample files -> table -> samples, and those -> sample blocks -> samples: every number
  // bit for bit, the derived ones included.
  std::vector<std::vector<sample_record>> sources;
  std::vector<std::filesystem::path> files = {std::filesystem::path(MORVA_EXAMPLES) / "morva.in"};
  for (const auto& e : std::filesystem::directory_iterator(MORVA_TEST_DATA)) {
    if (e.path().extension() == ".in") files.push_back(e.path());
  }
  for (const auto& p : files) sources.push_back(read_blocks(file_text(p)));
  water_generator g(23, 0.2);
  sources.emplace_back();
  for (int i = 0; i < 400; ++i) {
    const std::vector<sample_record> one = read_blocks(g.next().block);
    ASSERT_EQ(one.size(), 1u);
    sources.back().push_back(one[0]);
  }
  ASSERT_GE(sources.size(), 4u);
  for (const std::vector<sample_record>& samples : sources) {
    ASSERT_FALSE(samples.empty());
    std::ostringstream table, blocks;
    write_analysis_csv_header(table);
    for (const sample_record& s : samples) write_analysis_csv_row(s, table);
    const std::vector<csv_read_result> rows = read_table(table.str());
    ASSERT_EQ(rows.size(), samples.size() + 1);
    for (std::size_t k = 0; k < samples.size(); ++k) {
      SCOPED_TRACE(samples[k].number);
      ASSERT_EQ(rows[k].what, kind::sample) << rows[k].error;
      EXPECT_EQ(rows[k].warnings.size(), 0u);
      expect_identical(rows[k].sample, samples[k]);
      write_sample_block(rows[k].sample, blocks);
    }
    const std::vector<sample_record> back = read_blocks(blocks.str());
    ASSERT_EQ(back.size(), samples.size());
    for (std::size_t k = 0; k < samples.size(); ++k) expect_identical(back[k], rows[k].sample);
  }
}

}  // namespace
}  // namespace morva
