#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "morva/sample_file.h"
#include "morva/tables.h"
#include "text/fields.h"

namespace morva {
namespace {

/// Text of one sample block; data lines (4, 7, 10, ... 34) given by number, every other line
/// a header or an empty line, as the file's reader ignores them.
std::string block(const std::map<int, std::string>& data, int lines = 34) {
  std::string text;
  for (int n = 1; n <= lines; ++n) {
    const auto it = data.find(n);
    if (it != data.end()) {
      text += it->second;
    } else if (n % 3 == 0) {
      text += "<  header text >< of 16 columns >";
    }
    text += '\n';
  }
  return text;
}

/// 16-column fields of the given texts, right-justified.
std::string fields(std::initializer_list<const char*> xs) {
  std::string s;
  for (const char* x : xs) s += std::string(16 - std::string(x).size(), ' ') + x;
  return s;
}

struct read_run {
  std::vector<sample_record> samples;
  read_result last;  // the result that ended the reading
};

/// Reads samples from text until the reader reports anything but a sample.
read_run read_all(const std::string& text, const std::string& name = "morva.in") {
  std::istringstream in(text);
  sample_reader f(in, name);
  read_run run;
  for (int guard = 0; guard < 100; ++guard) {
    read_result o = f.next();
    if (o.what != read_result::kind::sample) {
      run.last = o;
      break;
    }
    run.samples.push_back(o.sample);
  }
  return run;
}

std::string test_file(const char* name) {
  std::ifstream in(std::string(MORVA_TEST_DATA) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void expect_all_zero(const component_vector& v) {
  for (int i = 1; i <= component_vector::size; ++i) EXPECT_EQ(v[i], 0.0) << "component " << i;
}

TEST(SampleReader, WaterOnlySampleConvertedToMolal) {
  const read_run run = read_all(test_file("two_samples.in"));
  ASSERT_EQ(run.samples.size(), 2u);
  const sample_record& s = run.samples[0];
  // The record keeps the texts without trailing blanks; the file holds them padded.
  EXPECT_EQ(s.number, "HV-07");
  EXPECT_EQ(padded(s.number, 16), "HV-07           ");
  EXPECT_EQ(padded(s.location, 80).size(), 80u);
  EXPECT_EQ(s.location.substr(0, 20), "Hot spring, north po");
  EXPECT_EQ(s.collection.t_c, 98.5);
  EXPECT_EQ(s.collection.discharge_kg_s, 0.8);
  EXPECT_EQ(s.pressure_bar_g, 0.0);
  EXPECT_EQ(s.enthalpy, 0.0);
  EXPECT_EQ(s.ph, 8.92);
  EXPECT_EQ(derive(s).ph_t, 21.3 + 273.15);
  // Same arithmetic as the reader: mg/kg over mg/mol, exactly.
  EXPECT_EQ(derive(s).water[comp::co2], 45.2 / 44010.0);
  EXPECT_EQ(derive(s).water[comp::na], 212.5 / 22990.0);
  EXPECT_EQ(derive(s).water[comp::al], 0.31 / 26980.0);
  EXPECT_EQ(derive(s).water[comp::h2], 0.0);
  EXPECT_EQ(s.tds, 925.0);
  EXPECT_EQ(derive(s).type, sample_type::water);
  expect_all_zero(derive(s).steam);
  EXPECT_EQ(run.last.what, read_result::kind::end);
  EXPECT_EQ(run.last.dropped.value_or(""), "");
}

TEST(SampleReader, WellDischargeWithSteamData) {
  const read_run run = read_all(test_file("two_samples.in"));
  ASSERT_EQ(run.samples.size(), 2u);
  const sample_record& s = run.samples[1];
  EXPECT_EQ(padded(s.number, 16), "W-14 1994-0312  ");
  EXPECT_EQ(s.number, "W-14 1994-0312");  // inner blanks kept
  EXPECT_EQ(s.pressure_bar_g, 7.8);
  EXPECT_EQ(s.enthalpy, 1350.0);
  EXPECT_EQ(s.collection.discharge_kg_s, 12.4);
  EXPECT_EQ(s.collection.condensate_ph, 4.62);
  EXPECT_EQ(s.collection.condensate_ph_t_c, 19.5);
  EXPECT_EQ(s.collection.gas_t_c, 18.0);
  EXPECT_EQ(s.gas[7], 5.4);
  EXPECT_EQ((steam_analysis{1240.0, 168.0, 6.2}), s.steam);
  EXPECT_EQ((condensate_analysis{105.0, 38.5, 3.1, 0.15}), s.condensate);
  EXPECT_EQ(derive(s).type, sample_type::two_phase);
  // Gas volume from steam CO2 less condensate CO2 at 18 °C; the measured steam
  // concentrations give the steam totals of the three volatiles directly.
  const double v = 24.465 + 24.465 * (18.0 - 25.0) / 298.15;
  const double g = (1240.0 - 105.0) * v / (44010.0 * 82.4 / 100.0);
  EXPECT_EQ(derive(s).steam[comp::co2], 1240.0 / 44010.0);
  EXPECT_EQ(derive(s).steam[comp::nh3], 6.2 / 17030.0);
  EXPECT_EQ(derive(s).steam[comp::h2], (g / v) * (2.1 / 100.0));
  EXPECT_EQ(derive(s).steam[comp::n2], (g / v) * (5.4 / 100.0));
  // The steam CO2 is all in the gas: moles of CO2 in G litres at 82.4 % match the analysis
  // less the condensate, to rounding.
  EXPECT_NEAR(g / v * 0.824 * 44010.0, 1240.0 - 105.0, 1e-9);
}

TEST(SampleReader, SampleTypeFollowsSteamPhaseData) {
  // Gas percentages and condensate Na alone leave a water-only sample with no steam.
  const read_run alone = read_all(block({{25, fields({"85.0", "10.0", "", "1.5", "0.1"})},
                                         {28, fields({"0.5", "2.9", "", "20.0"})},
                                         {34, fields({"", "", "", "0.4"})}}));
  ASSERT_EQ(alone.samples.size(), 1u);
  EXPECT_EQ(derive(alone.samples[0]).type, sample_type::water);
  expect_all_zero(derive(alone.samples[0]).steam);
  // Litres of gas, a steam or a condensate volatile each make a steam phase.
  for (const auto& [line, text] : std::map<int, std::string>{{28, fields({"", "", "1.2"})},
                                                             {31, fields({"", "", "3.0"})},
                                                             {34, fields({"", "20.0"})}}) {
    const read_run run = read_all(block({{line, text}}));
    ASSERT_EQ(run.samples.size(), 1u);
    EXPECT_EQ(derive(run.samples[0]).type, sample_type::two_phase) << text;
  }
}

TEST(SampleReader, GasVolumeFromSteamCarbonDioxide) {
  // Steam CO2 S mg/kg, no condensate CO2, gas 80 % CO2 and 20 % N2 collected at 25 °C, or
  // with the temperature not given: V is 24.465 L/mol either way.
  const double s_co2 = 880.2;
  const double g = s_co2 * 24.465 / (44010.0 * 0.8);
  for (const char* tg : {"25.0", "", "0.0", "-5.0"}) {
    SCOPED_TRACE(tg);
    const read_run run = read_all(block(
        {{25, fields({"80.0"})}, {28, fields({"", "20.0", "", tg})}, {31, fields({"880.2"})}}));
    ASSERT_EQ(run.samples.size(), 1u);
    const sample_record& s = run.samples[0];
    EXPECT_EQ(derive(s).steam[comp::co2], s_co2 / 44010.0);
    // N2 rides in the same gas: a quarter of the CO2 moles, to rounding.
    EXPECT_NEAR(derive(s).steam[comp::n2], (g / 24.465) * 0.2, 1e-15);
    EXPECT_NEAR(derive(s).steam[comp::n2], 0.25 * derive(s).steam[comp::co2], 1e-15);
    EXPECT_EQ(s.collection.gas_l_per_kg, 0.0);  // the record keeps the value read
  }
}

TEST(SampleReader, GasVolumeFromHydrogenSulphideWhenNoSteamCarbonDioxide) {
  // Gas CO2 is given but steam CO2 is not, so CO2 cannot fix G; H2S can.
  const read_run run = read_all(block({{25, fields({"70.0", "25.0"})},
                                       {28, fields({"", "5.0"})},
                                       {31, fields({"", "340.8"})},
                                       {34, fields({"12.0", "40.8"})}}));
  ASSERT_EQ(run.samples.size(), 1u);
  const sample_record& s = run.samples[0];
  const double g = (340.8 - 40.8) * 24.465 / (34080.0 * 25.0 / 100.0);
  EXPECT_EQ(derive(s).steam[comp::h2s], 340.8 / 34080.0);
  // Without steam CO2 the CO2 total is the condensate share plus the gas share.
  EXPECT_EQ(derive(s).steam[comp::co2], 12.0 / 44010.0 + (g / 24.465) * (70.0 / 100.0));
  EXPECT_EQ(derive(s).steam[comp::n2], (g / 24.465) * (5.0 / 100.0));
}

TEST(SampleReader, MolarGasVolumeFollowsTheIdealGasLaw) {
  // Measured litres of gas: V scales with the absolute collection temperature.
  for (double tg_c : {25.0, 60.0, 100.0}) {
    SCOPED_TRACE(tg_c);
    std::ostringstream tg;
    tg << tg_c;
    const read_run run = read_all(block(
        {{25, fields({"", "", "", "", "10.0"})}, {28, fields({"", "", "2.0", tg.str().c_str()})}}));
    ASSERT_EQ(run.samples.size(), 1u);
    const double v_ideal = 24.465 * (tg_c + 273.15) / 298.15;
    EXPECT_NEAR(derive(run.samples[0]).steam[comp::o2], 2.0 / v_ideal * 0.1, 1e-15);
    EXPECT_EQ(derive(run.samples[0]).type, sample_type::two_phase);
  }
}

TEST(SampleReader, ShortAndEmptyDataLinesReadAsZero) {
  const read_run run = read_all(block({{4, "A-1"}, {10, "7.05"}, {19, fields({"150.0"})}}));
  ASSERT_EQ(run.samples.size(), 1u);
  const sample_record& s = run.samples[0];
  EXPECT_EQ(padded(s.number, 16), "A-1             ");
  EXPECT_EQ(padded(s.location, 80), std::string(80, ' '));
  EXPECT_EQ(s.location, "");
  EXPECT_EQ(s.ph, 7.05);
  EXPECT_EQ(derive(s).ph_t, 273.15);
  EXPECT_EQ(derive(s).water[comp::na], 150.0 / 22990.0);
  EXPECT_EQ(derive(s).water[comp::k], 0.0);
}

TEST(SampleReader, MissingLastLineGivesZeroCondensate) {
  // The second block lacks line 34: complete, and the first block's condensate not carried.
  const read_run run = read_all(block({{34, fields({"50.0", "10.0", "1.0", "0.5"})}}) +
                                block({{4, "LAST"}, {10, fields({"6.5", "22.0"})}}, 33));
  ASSERT_EQ(run.samples.size(), 2u);
  EXPECT_EQ(run.samples[0].condensate.co2_mgkg, 50.0);
  EXPECT_EQ(padded(run.samples[1].number, 16), "LAST            ");
  EXPECT_EQ(derive(run.samples[1]).ph_t, 22.0 + 273.15);
  EXPECT_EQ((condensate_analysis{}), run.samples[1].condensate);
  EXPECT_EQ(derive(run.samples[1]).type, sample_type::water);
  EXPECT_EQ(run.last.what, read_result::kind::end);
  EXPECT_EQ(run.last.dropped.value_or(""), "");
}

TEST(SampleReader, TrailingEmptyLineIsHarmless) {
  const read_run run = read_all(test_file("two_samples.in") + "\n");
  EXPECT_EQ(run.samples.size(), 2u);
  EXPECT_EQ(run.last.what, read_result::kind::end);
  EXPECT_EQ(run.last.dropped.value_or(""), "");
}

TEST(SampleReader, EveryTruncationEndsCleanly) {
  // Cut the two-sample file after each line: a cut in lines 1-24 of the second block drops it
  // silently, a cut in lines 25-33 drops it with a message, a cut after line 33 keeps it.
  const std::string full = test_file("two_samples.in");
  std::size_t pos = 0;
  for (int lines = 0; lines <= 68; ++lines) {
    SCOPED_TRACE(lines);
    const read_run run = read_all(full.substr(0, pos));
    const int in_block = lines > 34 ? lines - 34 : lines;
    const std::size_t complete = (lines >= 33 ? 1u : 0u) + (lines >= 67 ? 1u : 0u);
    EXPECT_EQ(run.samples.size(), complete);
    EXPECT_EQ(run.last.what, read_result::kind::end);
    const char* number = lines > 34 ? "W-14 1994-0312  " : "HV-07           ";
    if (in_block >= 24 && in_block <= 32) {
      EXPECT_EQ(padded(run.last.dropped.value_or(""), 16), number);
    } else {
      EXPECT_EQ(run.last.dropped.value_or(""), "");
    }
    pos = full.find('\n', pos) + 1;
  }
}

TEST(SampleReader, EveryByteTruncationEndsWithoutFault) {
  // Cutting inside a line leaves a last line without its line feed, read as a whole line.
  const std::string full = test_file("two_samples.in");
  for (std::size_t n = 0; n <= full.size(); ++n) {
    const read_run run = read_all(full.substr(0, n));
    ASSERT_EQ(run.last.what, read_result::kind::end) << n;
    ASSERT_LE(run.samples.size(), 2u);
  }
}

TEST(SampleReader, ASampleCutShortIsNamedEvenWithABlankNumber) {
  // Cut after its water data: the number as the record keeps it, without the padding; a
  // blank number is still a sample that is not used, not the absence of one.
  struct cut {
    const char* number_line;
    const char* number;
  };
  for (const cut& c : {cut{"KV-12  ", "KV-12"}, cut{"", ""}, cut{"   A B          x", "   A B"}}) {
    SCOPED_TRACE(c.number_line);
    const read_run run = read_all(block({{4, c.number_line}}, 30));
    EXPECT_TRUE(run.samples.empty());
    ASSERT_TRUE(run.last.dropped.has_value());
    EXPECT_EQ(*run.last.dropped, c.number);
  }
  EXPECT_FALSE(read_all(block({{4, "KV-12"}}, 20)).last.dropped);  // cut before: nothing to name
}

TEST(SampleReader, CarriageReturnsAndMissingLastLineFeed) {
  const std::string lf = test_file("two_samples.in");
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  crlf.pop_back();  // and the last line feed lost after its carriage return
  const read_run a = read_all(lf);
  const read_run b = read_all(crlf);
  ASSERT_EQ(b.samples.size(), 2u);
  EXPECT_EQ(b.last.what, read_result::kind::end);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(b.samples[k].location, a.samples[k].location);
    EXPECT_EQ(b.samples[k].water_mgkg, a.samples[k].water_mgkg);
    EXPECT_EQ(b.samples[k].steam, a.samples[k].steam);
    EXPECT_EQ(b.samples[k].condensate, a.samples[k].condensate);  // the last line counts
  }
  EXPECT_EQ(b.samples[1].condensate.na_mgkg, 0.15);
}

TEST(SampleReader, InvalidNumberNamesFileAndLine) {
  std::string text = test_file("two_samples.in");
  // Line 19 of the second block (line 53 of the file): potassium typed with a letter O.
  const std::size_t at = text.find("            44.8");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 16, "            44.O");
  const read_run run = read_all(text, "wells.in");
  EXPECT_EQ(run.samples.size(), 1u);
  EXPECT_EQ(run.last.what, read_result::kind::error);
  EXPECT_EQ(run.last.line, 53);
  EXPECT_EQ(run.last.fault, "read unexpected character");
  EXPECT_EQ(run.last.dropped.value_or(""), "");
}

TEST(SampleReader, ExtraOrMissingLineShiftsTextIntoNumbers) {
  const std::string good = test_file("two_samples.in");
  // One extra empty line before the water pH header: the header lands on data line 10.
  const std::size_t at = good.find("\n<Water phase pH>");
  const std::string extra = good.substr(0, at) + "\n" + good.substr(at);
  const read_run a = read_all(extra);
  EXPECT_EQ(a.samples.size(), 0u);
  EXPECT_EQ(a.last.what, read_result::kind::error);
  EXPECT_EQ(a.last.line, 10);
  // One empty line lost: data lines fall on empty lines until the next title lands on line 34.
  std::string missing = good;
  missing.erase(missing.find("\n\n<Water phase pH>"), 1);
  const read_run b = read_all(missing);
  EXPECT_EQ(b.samples.size(), 0u);
  EXPECT_EQ(b.last.what, read_result::kind::error);
  EXPECT_EQ(b.last.line, 34);
}

TEST(SampleReader, AUtf8BlockIsReadAsLatin1CharacterByCharacter) {
  // The id line of a block under the heading of its first data line; a heading with the
  // Latin-1 degree sign makes the block Latin-1 even where its id would read as UTF-8.
  const std::string latin1_heading =
      "<Temperature \xB0"
      "C><Pressure bar-g>";
  const std::string utf8_heading =
      "<Temperature \xC2\xB0"
      "C><Pressure bar-g>";
  const std::string ascii_heading = "<Temperature>";
  struct id_case {
    std::string id_line, heading, number, location;
  };
  for (const id_case& c : {
           // Latin-1 as the program writes it: taken as it stands.
           id_case{"\xDEing-07         Hverager\xF0i, 50 \xB0"
                   "C",
                   latin1_heading, "\xDEing-07",
                   "Hverager\xF0i, 50 \xB0"
                   "C"},
           // The same in UTF-8: the 16 columns of the number count characters, not bytes.
           {"\xC3\x9Eing-07         Hverager\xC3\xB0i, 50 \xC2\xB0"
            "C",
            utf8_heading, "\xDEing-07",
            "Hverager\xF0i, 50 \xB0"
            "C"},
           // A character beyond Latin-1 is one "?", and the columns after it hold.
           {"A\xE2\x82\xAC              B", ascii_heading, "A?", "B"},
           // Latin-1 bytes that happen to form UTF-8: the heading's lone 0xB0 keeps them.
           {"\xC3\xB0              x", latin1_heading, "\xC3\xB0", "x"},
           {"\xC3\xB0               x", ascii_heading, "\xF0", "x"},
       }) {
    SCOPED_TRACE(c.id_line);
    const read_run run = read_all(block({{4, c.id_line}, {6, c.heading}, {7, fields({"50"})}}));
    ASSERT_EQ(run.samples.size(), 1u);
    EXPECT_EQ(run.samples[0].number, c.number);
    EXPECT_EQ(run.samples[0].location, c.location);
    EXPECT_EQ(run.samples[0].collection.t_c, 50.0);
    // A block cut short after its water data is named in the same encoding.
    const read_run cut = read_all(block({{4, c.id_line}, {6, c.heading}}, 30));
    EXPECT_EQ(cut.last.dropped.value_or("-"), c.number);
  }
}

}  // namespace
}  // namespace morva
