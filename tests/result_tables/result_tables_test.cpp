#include "result_tables/result_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chemdata/names.h"
#include "chemdata/units.h"
#include "morva/calculate.h"
#include "morva/sample_file.h"
#include "morva/tables.h"
#include "result_tables/csv.h"
#include "result_tables/json.h"
#include "text/format.h"

namespace morva {
namespace {

using json = nlohmann::json;

/// A CSV text as records of fields, read by the rules of RFC 4180 (quoted fields may hold
/// separators, doubled quotes and line breaks); every record must end in a line feed.
std::vector<std::vector<std::string>> read_csv(const std::string& text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',' || c == '\n') {
      record.push_back(field);
      field.clear();
      if (c == '\n') records.push_back(std::move(record)), record.clear();
    } else {
      field += c;
    }
  }
  EXPECT_TRUE(record.empty() && field.empty() && !quoted) << "unterminated last record";
  return records;
}

/// The double a CSV field reads back to; the whole field must be the number.
double number(const std::string& field) {
  double x = std::numeric_limits<double>::quiet_NaN();
  const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), x);
  EXPECT_TRUE(ec == std::errc{} && end == field.data() + field.size()) << field;
  return x;
}

/// Bit-equal doubles (tells -0 from 0).
bool same(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

std::string csv_of(const std::vector<std::string>& columns, const std::vector<row>& rows) {
  std::ostringstream out;
  csv_table_writer(out, columns).add(rows);
  return out.str();
}

TEST(CsvWriter, WritesEachKindOfCell) {
  const double inf = std::numeric_limits<double>::infinity();
  struct field_case {
    cell c;
    std::string text;
  };
  for (const field_case& f : {
           field_case{cell(), ""},
           {0.1, "0.1"},
           {1.0 / 3.0, "0.3333333333333333"},
           {-0.0, "-0"},
           {1e300, "1e+300"},
           {5e-324, "5e-324"},
           {std::numeric_limits<double>::quiet_NaN(), ""},
           {-inf, ""},
           {-3L, "-3"},
           {std::string("Albite, low"), "\"Albite, low\""},
           {std::string("say \"hi\""), "\"say \"\"hi\"\"\""},
           {std::string("two\nlines"), "\"two\nlines\""},
           {std::string("Fe(OH)2+"), "Fe(OH)2+"},
       }) {
    SCOPED_TRACE(f.text);
    EXPECT_EQ(csv_of({"x", "y"}, {{f.c, 1L}}), "x,y\n" + f.text + ",1\n");
  }
}

TEST(NumberMemo, GivesEachDoubleItsOwnShortestText) {
  // Many more distinct values than the memo has slots, twice over: a slot taken by another
  // number must never answer for this one; 0 and -0 differ only in their sign bit.
  number_memo memo;
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < 20000; ++i) {
      const double x = (i % 2 ? -1.0 : 1.0) * std::ldexp(i / 7.0, i % 64 - 32);
      char buf[32];
      const std::to_chars_result res = std::to_chars(buf, buf + sizeof buf, x);
      ASSERT_EQ(memo.text(x), std::string_view(buf, res.ptr)) << i;
    }
  }
  EXPECT_EQ(memo.text(-0.0), "-0");
  EXPECT_EQ(memo.text(0.0), "0");
  EXPECT_EQ(memo.text(std::numeric_limits<double>::infinity()), "");
}

TEST(TableText, TrimsAndWritesUtf8) {
  struct text_case {
    std::string raw, text;
  };
  for (const text_case& t : {
           text_case{"HS-07           ", "HS-07"},
           {"  left kept  ", "  left kept"},
           {"350 \xB0"
            "C.",
            "350 \xC2\xB0"
            "C."},                                        // Latin-1 degree sign
           {"Hver\xC3\xA1", "Hver\xC3\xA1"},              // valid UTF-8 as it stands
           {"cut \xC3", "cut \xC3\x83"},                  // a sequence cut short
           {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},  // a surrogate is not UTF-8
       }) {
    EXPECT_EQ(table_text(t.raw), t.text);
  }
}

/// A sample of examples/morva.in (0 HS-07, 1 KV-12, 2 MP-03) with the options of a case.
struct run_case {
  const char* name;
  int sample;
  run_options opt;
  std::vector<int> absent = {};  // components taken out of the water analysis
  double enthalpy = -1.0;  // discharge enthalpy in place of the measured one, kJ/kg, when >= 0
};

run_options steps(run_options o, std::vector<double> cool, std::vector<double> boil) {
  o.cool_c = std::move(cool);
  o.boil_c = std::move(boil);
  return o;
}

const std::vector<run_case>& cases() {
  using enum reference_temperature;
  static const std::vector<run_case> list = {
      {"spring measured, cooled and boiled", 0, steps({.tref_type = measured}, {50}, {90, 80})},
      {"well at quartz temperature", 1, {.tref_type = quartz}},
      {"boiling spring", 0, {.tref_type = quartz, .t_spring_c = 97.2, .spring_degas = 0.5}},
      // 2600 kJ/kg lies above saturated steam at 20 °C: the first boiling step is skipped.
      {"steam-rich well",
       1,
       steps({.tref_type = arbitrary, .t_typed_c = 250, .boil_degas = 0.25}, {200}, {20, 150}),
       {},
       2600.0},
      {"acid spring", 2, steps({.tref_type = measured}, {25}, {})},
      {"no iron, no potassium", 0, {.tref_type = measured}, {comp::fe, comp::k}},
      {"no silica", 2, {.tref_type = quartz}, {comp::sio2}},
      {"below 0 C", 0, {.tref_type = arbitrary, .t_typed_c = -5}},
  };
  return list;
}

struct calculated {
  sample_record s;
  run_options opt;
  sample_result r;
};

std::vector<calculated> calculate_cases() {
  std::ifstream in(MORVA_EXAMPLES "/morva.in");
  sample_reader reader(in, "morva.in");
  std::vector<sample_record> samples;
  for (read_result rd = reader.next(); rd.what == read_result::kind::sample; rd = reader.next())
    samples.push_back(rd.sample);
  EXPECT_EQ(samples.size(), 3u);
  std::vector<calculated> out;
  for (const run_case& c : cases()) {
    sample_record s = samples.at(static_cast<std::size_t>(c.sample));
    for (const int k : c.absent) s.water_mgkg[k] = 0.0;
    if (c.enthalpy >= 0.0) s.enthalpy = c.enthalpy;
    out.push_back({s, c.opt, calculate(s, c.opt)});
  }
  return out;
}

/// Everything the four writers make of the cases, as one batch run writes it.
struct batch_output {
  std::vector<calculated> runs = calculate_cases();
  std::string state, species, minerals, json_text, json_alone;
  batch_output() {
    // The four writers share their number texts, as a run writes them; the JSON document is
    // also written by a writer of its own.
    std::ostringstream st, sp, mi, js, alone;
    number_memo memo;
    csv_table_writer st_csv(st, state_columns(), &memo), sp_csv(sp, species_columns(), &memo),
        mi_csv(mi, mineral_columns(), &memo);
    json_writer js_out(js, &memo), js_alone(alone);
    for (const calculated& c : runs) {
      st_csv.add(state_rows(c.s, c.opt, c.r));
      sp_csv.add(species_rows(c.s, c.opt, c.r));
      mi_csv.add(mineral_rows(c.s, c.opt, c.r));
      js_out.add(c.s, c.opt, c.r);
      js_alone.add(c.s, c.opt, c.r);
    }
    js_out.finish();
    js_alone.finish();
    state = st.str(), species = sp.str(), minerals = mi.str(), json_text = js.str();
    json_alone = alone.str();
  }
};

const batch_output& batch() {
  static const batch_output b;
  return b;
}

TEST(TableCases, CoverRefusalsAndSkippedSteps) {
  // The cases must keep meaning what their names say.
  const std::vector<calculated>& runs = batch().runs;
  EXPECT_EQ(runs[3].r.steps.at(1).skipped, skip_reason::no_liquid);
  EXPECT_TRUE(runs[3].r.steps.at(2).state.has_value());
  EXPECT_GT(runs[2].r.reference.yb, 0.0);
  const derived_results& d = runs[5].r.reference.state.derived;
  EXPECT_EQ(d.na_k.state, geotemperature::status::no_species);
  EXPECT_FALSE(d.log_q[min::goethite].has_value());
  EXPECT_EQ(runs[6].r.refused, refusal_reason::silica_zero_quartz);
  EXPECT_EQ(runs[7].r.refused, refusal_reason::reference_below_0);
}

/// Numbers of the state-table row of one state, from the result: empty where the table has
/// no value (refused sample, skipped step, out-of-range geothermometer, absent couple).
std::map<std::string, std::optional<double>> expected_numbers(const calculated& c,
                                                              const step_result* step,
                                                              long number) {
  std::map<std::string, std::optional<double>> v;
  const sample_result& r = c.r;
  v["step"] = static_cast<double>(number);
  v["unconverged_mass_balances"] =
      step ? step->unconverged_mass_balances : r.unconverged_mass_balances;
  const auto put = [&](const std::string& name, double x, bool has) {
    v[name] = has ? std::optional<double>(x) : std::nullopt;
  };
  const bool calc = !r.refused;
  const reference_result& ref = r.reference;
  const bool spring = calc && ref.yb > 0.0;
  put("t_ref_C", ref.state.t - zero_celsius_k, calc);
  put("quartz_capped", ref.quartz_capped, calc);
  put("t_C", step ? step->t_c : ref.state.t - zero_celsius_k, calc);
  put("h_ref_kJ_kg", ref.href, calc);
  put("t_separator_C", ref.tc - zero_celsius_k, calc);
  put("t_spring_C", c.opt.t_spring_c.value_or(0.0), spring);
  put("spring_degassing", c.opt.spring_degas, spring);
  put("y_collection", ref.yc, calc);
  put("y_spring", ref.yb, calc);
  put("degassing", step ? step->degassing : ref.state.degassing, calc);
  put("sampled_ph_t_C", c.s.ph_t_c, true);
  put("sampled_ionic_strength_molal", r.sampled.ionic, calc);
  put("sampled_cations_eq_kg", r.sampled.balance.cations, calc);
  put("sampled_anions_eq_kg", r.sampled.balance.anions, calc);
  put("sampled_ion_balance_pct", r.sampled.balance.difference_pct, calc);
  put("sampled_co2_mg_kg", r.sampled.co2_from_alkalinity_mgkg.value_or(c.s.water_mgkg[comp::co2]),
      calc);

  const fluid_state* st = !calc  ? nullptr
                          : step ? (step->state ? &*step->state : nullptr)
                                 : &ref.state;
  const fluid_state none;
  const fluid_state& f = st ? *st : none;
  const derived_results& d = f.derived;
  const bool has = st != nullptr;
  put("steam_fraction", f.steam_fraction, has);
  put("ph", f.ph, has);
  put("ionic_strength_molal", f.ionic, has);
  put("cations_eq_kg", d.balance.cations, has);
  put("anions_eq_kg", d.balance.anions, has);
  put("ion_balance_pct", d.balance.difference_pct, has);
  const std::pair<const char*, redox_couple> eh[] = {
      {"eh_h2s_V", redox_couple::sulfate_sulfide},
      {"eh_ch4_V", redox_couple::carbon_dioxide_methane},
      {"eh_h2_V", redox_couple::hydrogen},
      {"eh_nh3_V", redox_couple::nitrogen_ammonia}};
  for (const auto& [name, couple] : eh) put(name, d.eh(couple).value_or(0.0), has && d.eh(couple));
  const std::pair<const char*, geotemperature> geo[] = {
      {"quartz_C", d.quartz}, {"chalcedony_C", d.chalcedony}, {"nak_C", d.na_k}};
  for (const auto& [name, g] : geo)
    put(name, g.t - zero_celsius_k, has && g.state == geotemperature::status::value);
  const char* gas[] = {"co2", "h2s", "nh3", "h2", "o2", "ch4", "n2"};
  put("p_h2o_bar", f.p_h2o, has);
  for (int g = 1; g <= 7; ++g) put(std::string("p_") + gas[g - 1] + "_bar", f.p_gas[g], has);
  put("p_total_bar", f.ptotal, has);
  const char* comps[] = {"co2", "h2s", "nh3", "h2", "o2", "ch4", "n2",  "b",  "sio2",
                         "na",  "k",   "mg",  "ca", "f",  "cl",  "so4", "al", "fe"};
  for (int k = 1; k <= 18; ++k)
    put(std::string("liquid_") + comps[k - 1] + "_mg_kg", f.liquid_mgkg[k], has);
  put("liquid_tds_mg_kg", f.tds_liquid, has);
  for (int g = 1; g <= 7; ++g)
    put(std::string("steam_") + comps[g - 1] + "_mg_kg", f.steam_mgkg[g], has);
  put("mass_balance_converged", f.mass_balance.converged, has);
  put("mass_balance_sweeps", f.mass_balance.sweeps, has);
  return v;
}

TEST(PublicResult, OptionalTemperaturesAndNamedPressures) {
  for (const calculated& c : calculate_cases()) {
    SCOPED_TRACE(c.s.number);
    if (c.r.refused) continue;
    const reference_result& ref = c.r.reference;
    // A boiling-spring temperature only where one was given, in kelvin, from the °C typed.
    if (ref.tb) {
      ASSERT_TRUE(c.opt.t_spring_c);
      EXPECT_EQ(*ref.tb, kelvin(*c.opt.t_spring_c));
      EXPECT_GT(ref.yb, 0.0);
    } else {
      EXPECT_EQ(ref.yb, 0.0);
    }
    // Water vapour and the seven gases make up the total pressure (Dalton), to rounding.
    const fluid_state& st = ref.state;
    double sum = st.p_h2o;
    for (int g = 1; g <= gas_vector::size; ++g) sum += st.p_gas[g];
    EXPECT_NEAR(sum, st.ptotal, 1e-12 * st.ptotal);
    EXPECT_GT(st.p_h2o, 0.0);
  }
}

TEST(StateTable, OneRowPerStateWithTheResultsNumbersBitForBit) {
  const std::vector<std::vector<std::string>> t = read_csv(batch().state);
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t[0], state_columns());
  const std::vector<std::string>& head = t[0];
  std::size_t at = 1;
  for (const calculated& c : batch().runs) {
    SCOPED_TRACE(c.s.number);
    // The reference state (or the refusal), then each step in order.
    std::vector<const step_result*> states{nullptr};
    std::vector<long> numbers{0};
    long n_cool = 0, n_boil = 0;
    for (const step_result& st : c.r.steps) {
      states.push_back(&st);
      numbers.push_back(st.kind == step_kind::cooling ? ++n_cool : ++n_boil);
    }
    for (std::size_t i = 0; i < states.size(); ++i, ++at) {
      ASSERT_LT(at, t.size());
      const std::vector<std::string>& line = t[at];
      ASSERT_EQ(line.size(), head.size());
      std::map<std::string, std::string> f;
      for (std::size_t k = 0; k < head.size(); ++k) f[head[k]] = line[k];
      EXPECT_EQ(f["sample"], table_text(c.s.number));
      const step_result* step = states[i];
      EXPECT_EQ(f["state"],
                step ? (step->kind == step_kind::cooling ? "cooling" : "boiling") : "reference");
      if (c.r.refused) {
        EXPECT_EQ(f["status"], "refused");
        EXPECT_EQ(f["reason"], table_text(refusal_message(*c.r.refused)));
      } else if (step && step->skipped) {
        EXPECT_EQ(f["status"], "skipped");
        EXPECT_EQ(f["reason"], "boiling to this temperature leaves no liquid water");
      } else {
        EXPECT_EQ(f["status"], "ok");
        EXPECT_EQ(f["reason"], "");
      }
      // Every column is either a checked number or one of the texts.
      const auto expected = expected_numbers(c, step, numbers[i]);
      for (const std::string& name : head) {
        SCOPED_TRACE(name);
        const auto e = expected.find(name);
        if (e == expected.end()) {
          EXPECT_TRUE(f[name].empty() || !std::isdigit(static_cast<unsigned char>(f[name][0])));
        } else if (!e->second) {
          EXPECT_EQ(f[name], "");
        } else {
          EXPECT_TRUE(same(number(f[name]), *e->second)) << f[name] << " " << *e->second;
        }
      }
    }
  }
  EXPECT_EQ(at, t.size());
}

TEST(SpeciesAndMineralTables, RowsOfEachCalculatedStateBitForBit) {
  const auto sp = read_csv(batch().species);
  const auto mi = read_csv(batch().minerals);
  ASSERT_FALSE(sp.empty() || mi.empty());
  EXPECT_EQ(sp[0], species_columns());
  EXPECT_EQ(mi[0], mineral_columns());
  std::size_t at_sp = 1, at_mi = 1;
  for (const calculated& c : batch().runs) {
    if (c.r.refused) continue;  // no rows at all
    // Each calculated state with the temperature its rows carry, °C.
    std::vector<std::pair<const fluid_state*, double>> states{
        {&c.r.reference.state, c.r.reference.state.t - zero_celsius_k}};
    for (const step_result& st : c.r.steps)
      if (st.state) states.emplace_back(&*st.state, st.t_c);
    for (const auto& [st, t_c] : states) {
      // Sample, state and step as in the state table; t_C the same double.
      const auto same_state = [&, t = t_c](const std::vector<std::string>& l) {
        EXPECT_EQ(l[0], table_text(c.s.number));
        EXPECT_TRUE(same(number(l[3]), t)) << l[3];
      };
      for (int i = 1; i <= species_vector::size; ++i, ++at_sp) {
        ASSERT_LT(at_sp, sp.size());
        const auto& l = sp[at_sp];
        const double m = st->m[i];
        same_state(l);
        EXPECT_EQ(l[4], table_text(spenam(i)));
        EXPECT_TRUE(same(number(l[5]), m));
        if (m > 0.0) {
          EXPECT_TRUE(same(number(l[6]), std::log10(m)));
        } else {
          EXPECT_EQ(l[6], "");
        }
        EXPECT_TRUE(same(number(l[7]), st->gamma[i]));
        EXPECT_TRUE(same(number(l[8]), m * st->gamma[i]));
        EXPECT_TRUE(same(number(l[9]), m * species_weight[i]));
      }
      for (int j = 1; j <= mineral_vector::size; ++j, ++at_mi) {
        ASSERT_LT(at_mi, mi.size());
        const auto& l = mi[at_mi];
        const std::optional<double> q = st->derived.log_q[j];
        same_state(l);
        EXPECT_EQ(l[4], table_text(minnam(j)));
        EXPECT_TRUE(same(number(l[5]), st->derived.log_k[j]));
        EXPECT_EQ(l[6].empty(), !q);
        EXPECT_EQ(l[7].empty(), !q);
        if (q) {
          EXPECT_TRUE(same(number(l[6]), *q));
          EXPECT_TRUE(same(number(l[7]), *q - st->derived.log_k[j]));
        }
      }
    }
  }
  EXPECT_EQ(at_sp, sp.size());
  EXPECT_EQ(at_mi, mi.size());
  // The comma of "Albite, low" was quoted.
  EXPECT_NE(batch().minerals.find("\"Albite, low\""), std::string::npos);
}

TEST(SpeciesAndMineralTables, WrittenStraightAsTheirRowsWrite) {
  // The lines written from the values, the state cells once per state, are the lines of the
  // rows' cells in both text modes, also for ids that need quoting or the formula guard.
  for (const csv_texts mode : {csv_texts::guarded, csv_texts::raw}) {
    for (const std::string id : {"", "=SUM(A1)", "KV-12, well", "tab\there", "say \"hi\"\x01"}) {
      SCOPED_TRACE(id);
      for (const calculated& c : batch().runs) {
        sample_record s = c.s;
        if (!id.empty()) s.number = id;
        number_memo memo;
        std::string by_rows, straight;
        append_csv_rows(by_rows, species_rows(s, c.opt, c.r), species_columns().size(), memo, mode);
        append_species_csv(straight, s, c.r, memo, mode);
        EXPECT_EQ(straight, by_rows);
        by_rows.clear(), straight.clear();
        append_csv_rows(by_rows, mineral_rows(s, c.opt, c.r), mineral_columns().size(), memo, mode);
        append_mineral_csv(straight, s, c.r, memo, mode);
        EXPECT_EQ(straight, by_rows);
      }
    }
  }
}

TEST(CsvRows, NumbersWithOrWithoutTheMemoAlike) {
  // A number formatted straight into the line is the memo's text of it; not finite: empty.
  number_memo memo;
  std::string kept, fresh;
  csv_rows a(kept, memo), b(fresh, memo);
  for (const double x :
       {0.0, -0.0, 0.1, 1.0 / 3.0, -2.5e-300, 1e300, 5e-324, 123456789.0,
        std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()}) {
    a.cell(x);
    b.fresh(x);
  }
  a.cell(std::optional<double>()).cell(std::optional(0.5)).end_row();
  b.fresh(std::optional<double>()).fresh(std::optional(0.5)).end_row();
  EXPECT_EQ(kept, "0,-0,0.1,0.3333333333333333,-2.5e-300,1e+300,5e-324,123456789,,,,0.5\n");
  EXPECT_EQ(fresh, kept);
}

/// A CSV field and the JSON value of the same quantity agree: null where the field is empty,
/// the same double or text otherwise.
void expect_same(const std::string& field, const json& value, const std::string& name) {
  SCOPED_TRACE(name);
  if (field.empty()) {
    EXPECT_TRUE(value.is_null()) << value;
  } else if (value.is_number()) {
    EXPECT_TRUE(same(number(field), value.get<double>())) << field << " " << value;
  } else {
    EXPECT_EQ(json(field), value);
  }
}

TEST(JsonDocument, HoldsTheTablesValuesWithNullForEmptyCells) {
  const json doc = json::parse(batch().json_text);
  const auto t = read_csv(batch().state);
  const auto sp = read_csv(batch().species);
  const auto mi = read_csv(batch().minerals);
  const std::vector<std::string>& head = t[0];
  ASSERT_EQ(doc.size(), batch().runs.size());
  std::size_t at = 1, at_sp = 1, at_mi = 1;
  for (const json& sample : doc) {
    SCOPED_TRACE(sample.at("sample").get<std::string>());
    const bool refused = sample.at("status") == "refused";
    EXPECT_EQ(sample.at("reference").is_null(), refused);
    EXPECT_EQ(sample.at("sampled").is_null(), refused);
    // Each row's quantities flattened under the table's column names: the sample's own,
    // its sampled water and reference, and the state of the row.
    std::vector<json> rows;
    json reference_row = sample;
    reference_row["t_ref_type"] = sample.at("options").at("t_ref_type");
    const json ref_state = refused ? json() : sample.at("reference").at("state");
    if (!refused) {
      for (const auto& [k, x] : sample.at("sampled").items()) reference_row["sampled_" + k] = x;
      for (const auto& [k, x] : sample.at("reference").items()) reference_row[k] = x;
      for (const auto& [k, x] : ref_state.items()) reference_row[k] = x;
    }
    reference_row["state"] = "reference";
    reference_row["step"] = 0;
    rows.push_back(reference_row);
    for (const json& step : sample.at("steps")) {
      json r = reference_row;
      const json& st = step.at("state");
      for (const auto& [k, x] : ref_state.items()) r[k] = st.is_null() ? json() : st.at(k);
      for (const auto& [k, x] : step.items()) {
        if (k != "state") r[k == "kind" ? "state" : k] = x;
      }
      rows.push_back(r);
    }
    for (const json& r : rows) {
      ASSERT_LT(at, t.size());
      const std::vector<std::string>& line = t[at++];
      // A refused sample has no reference object: its quantities are null with it.
      for (std::size_t k = 0; k < head.size(); ++k) {
        ASSERT_TRUE(refused || r.contains(head[k])) << head[k];
        expect_same(line[k], r.contains(head[k]) ? r.at(head[k]) : json(), head[k]);
      }
      if (!r.contains("species") || r.at("species").is_null()) continue;
      // The species and mineral rows of this state, in the order of the tables.
      ASSERT_EQ(r.at("species").size(), 69u);
      ASSERT_EQ(r.at("minerals").size(), 29u);
      for (int i = 0; i < 69; ++i, ++at_sp) {
        ASSERT_LT(at_sp, sp.size());
        const std::vector<std::string>& l = sp[at_sp];
        ASSERT_EQ(l[2], line[3]);
        const json& x = r.at("species").at(l[4]);
        expect_same(l[5], x.at("molality_molal"), "molality_molal");
        expect_same(l[7], x.at("activity_coefficient"), "activity_coefficient");
      }
      for (int j = 0; j < 29; ++j, ++at_mi) {
        ASSERT_LT(at_mi, mi.size());
        const std::vector<std::string>& l = mi[at_mi];
        ASSERT_EQ(l[2], line[3]);
        for (std::size_t k = 5; k < 8; ++k)
          expect_same(l[k], r.at("minerals").at(l[4]).at(mi[0][k]), mi[0][k]);
      }
    }
  }
  EXPECT_EQ(at, t.size());
  EXPECT_EQ(at_sp, sp.size());
  EXPECT_EQ(at_mi, mi.size());
}

TEST(JsonWriter, SharedNumberTextsChangeNothing) {
  EXPECT_EQ(batch().json_text, batch().json_alone);
}

TEST(JsonWriter, AnEmptyRunIsAnEmptyArray) {
  std::ostringstream out;
  json_writer w(out);
  w.finish();
  w.finish();
  EXPECT_EQ(json::parse(out.str()), json::array());
}

}  // namespace
}  // namespace morva
