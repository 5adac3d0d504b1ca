#include "morva/analysis_csv.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <istream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "chemdata/units.h"
#include "morva/indexed.h"
#include "morva/tables.h"
#include "text/csv.h"
#include "text/encoding.h"
#include "text/fields.h"
#include "text/format.h"
#include "text/numbers.h"
#include "text/sample_text.h"

namespace morva {

namespace {

/// Where the value of a column is kept in a sample_record.
enum class place { sample_number, location, collection, scalar, water, gas, steam, condensate };

/// One column of the analysis table.
struct column {
  std::string_view label;  // the name, or the word before the component name
  int k;                   // component whose name ends the column name; 0 for none
  std::string_view unit;   // UTF-8; empty for none
  place where;
  int i;                     // position in the vector or array of `where`
  double sample_record::*x;  // place::scalar: the member
};

// clang-format off
// The columns in the order they are written, which is the order of the fields of a sample-file
// block.
constexpr column table[] = {
    {"sample",         0,         "",                place::sample_number,     0,         nullptr},
    {"location",       0,         "",                place::location,   0,         nullptr},
    {"temperature",    0,         "\xC2\xB0" "C",    place::collection, 2,         nullptr},
    {"pressure",       0,         "bar-g",           place::scalar,     0,         &sample_record::pressure_bar_g},
    {"enthalpy",       0,         "kJ/kg",           place::scalar,     0,         &sample_record::enthalpy},
    {"discharge",      0,         "kg/s",            place::collection, 1,         nullptr},
    {"pH",             0,         "",                place::scalar,     0,         &sample_record::ph},
    {"pH temperature", 0,         "\xC2\xB0" "C",    place::scalar,     0,         &sample_record::ph_t_c},
    {"",               comp::co2, "mg/kg",           place::water,      comp::co2, nullptr},
    {"",               comp::h2s, "mg/kg",           place::water,      comp::h2s, nullptr},
    {"",               comp::nh3, "mg/kg",           place::water,      comp::nh3, nullptr},
    {"",               comp::h2,  "mg/kg",           place::water,      comp::h2,  nullptr},
    {"",               comp::o2,  "mg/kg",           place::water,      comp::o2,  nullptr},
    {"",               comp::ch4, "mg/kg",           place::water,      comp::ch4, nullptr},
    {"",               comp::n2,  "mg/kg",           place::water,      comp::n2,  nullptr},
    {"",               comp::sio2,"mg/kg",           place::water,      comp::sio2,nullptr},
    {"",               comp::b,   "mg/kg",           place::water,      comp::b,   nullptr},
    {"",               comp::al,  "mg/kg",           place::water,      comp::al,  nullptr},
    {"",               comp::fe,  "mg/kg",           place::water,      comp::fe,  nullptr},
    {"",               comp::na,  "mg/kg",           place::water,      comp::na,  nullptr},
    {"",               comp::k,   "mg/kg",           place::water,      comp::k,   nullptr},
    {"",               comp::mg,  "mg/kg",           place::water,      comp::mg,  nullptr},
    {"",               comp::ca,  "mg/kg",           place::water,      comp::ca,  nullptr},
    {"",               comp::f,   "mg/kg",           place::water,      comp::f,   nullptr},
    {"",               comp::cl,  "mg/kg",           place::water,      comp::cl,  nullptr},
    {"",               comp::so4, "mg/kg",           place::water,      comp::so4, nullptr},
    {"TDS",            0,         "mg/kg",           place::scalar,     0,         &sample_record::tds},
    {"gas",            comp::co2, "vol %",           place::gas,        1,         nullptr},
    {"gas",            comp::h2s, "vol %",           place::gas,        2,         nullptr},
    {"gas",            comp::nh3, "vol %",           place::gas,        3,         nullptr},
    {"gas",            comp::h2,  "vol %",           place::gas,        4,         nullptr},
    {"gas",            comp::o2,  "vol %",           place::gas,        5,         nullptr},
    {"gas",            comp::ch4, "vol %",           place::gas,        6,         nullptr},
    {"gas",            comp::n2,  "vol %",           place::gas,        7,         nullptr},
    {"gas volume",     0,         "L/kg",            place::collection, 5,         nullptr},
    {"gas temperature",0,         "\xC2\xB0" "C",    place::collection, 6,         nullptr},
    {"steam",          comp::co2, "mg/kg",           place::steam,      0,         nullptr},
    {"steam",          comp::h2s, "mg/kg",           place::steam,      1,         nullptr},
    {"steam",          comp::nh3, "mg/kg",           place::steam,      2,         nullptr},
    {"condensate pH",  0,         "",                place::collection, 3,         nullptr},
    {"condensate pH temperature", 0, "\xC2\xB0" "C", place::collection, 4,         nullptr},
    {"condensate",     comp::co2, "mg/kg",           place::condensate, 0,         nullptr},
    {"condensate",     comp::h2s, "mg/kg",           place::condensate, 1,         nullptr},
    {"condensate",     comp::nh3, "mg/kg",           place::condensate, 2,         nullptr},
    {"condensate",     comp::na,  "mg/kg",           place::condensate, 3,         nullptr},
};
// clang-format on
constexpr int n_columns = static_cast<int>(std::size(table));
/// The column of the water's total carbonate as CO2.
constexpr int co2_column = 8;
static_assert(table[co2_column].k == comp::co2 && table[co2_column].where == place::water);

/// The lithium of the water, mg/kg, read only when the reading asks for it: no column of the
/// sample file, so no column of the table the writer writes. A mass per kg or L, as the
/// dissolved solids take (the tables hold no molar mass of Li).
constexpr column li_column = {"Li", 0, "mg/kg", place::scalar, 0, nullptr};
/// The names laboratories write for it, as match_key gives them.
constexpr std::string_view li_names[] = {"li", "li+", "lithium"};

/// Longest row kept, bytes: far beyond any row of analyses, so that a quote left open does not
/// draw the rest of a large file into memory. A longer row is passed over with a message.
constexpr std::size_t max_row_bytes = 1 << 20;
constexpr const char* too_long_row =
    ": longer than 1048576 bytes, not read; is a quote not closed?";

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

/// Sampling datum i of d (a collection_data, const or not) in the order of the sample file:
/// 1 discharge, 2 collection temperature, 3 condensate pH, 4 its temperature, 5 gas volume,
/// 6 gas temperature.
template <class D>
auto& collection_field(D& d, int i) {
  switch (i) {
    case 1:
      return d.discharge_kg_s;
    case 2:
      return d.t_c;
    case 3:
      return d.condensate_ph;
    case 4:
      return d.condensate_ph_t_c;
    case 5:
      return d.gas_l_per_kg;
    default:
      assert(i == 6);
      return d.gas_t_c;
  }
}

/// CO2, H2S, NH3 (0, 1, 2) and, of the condensate, Na (3) of a steam or condensate analysis a.
template <class A>
auto& volatile_field(A& a, int i) {
  if constexpr (requires { a.na_mgkg; }) {
    if (i == 3) return a.na_mgkg;
  }
  return i == 0 ? a.co2_mgkg : i == 1 ? a.h2s_mgkg : a.nh3_mgkg;
}

/// The value of numeric column c in sample s (a sample_record, const or not).
template <class S>
auto& value(S& s, const column& c) {
  switch (c.where) {
    case place::collection:
      return collection_field(s.collection, c.i);
    case place::water:
      return s.water_mgkg[c.i];
    case place::gas:
      return s.gas[c.i];
    case place::steam:
      return volatile_field(s.steam, c.i);
    case place::condensate:
      return volatile_field(s.condensate, c.i);
    default:
      assert(c.where == place::scalar);
      return s.*c.x;
  }
}

/// Name of column c without its unit: "pH", "SiO2", "gas CO2".
std::string column_name(const column& c) {
  std::string n(c.label);
  if (c.k > 0) {
    if (!n.empty()) n += ' ';
    n += component_name(c.k);
  }
  return n;
}

/// A header cell without blanks around it and without a trailing unit in parentheses or
/// square brackets.
std::string_view without_unit(std::string_view name) {
  name = trimmed(name);
  if (name.empty() || (name.back() != ')' && name.back() != ']')) return name;
  const std::size_t open = name.rfind(name.back() == ')' ? '(' : '[');
  if (open != std::string_view::npos) name = trimmed(name.substr(0, open));
  return name;
}

/// A column name as the reader compares it: without its unit, in lower case, each run of
/// blanks and underscores one blank.
std::string match_key(std::string_view name) {
  std::string key;
  for (char c : without_unit(name)) {
    if (is_blank(c) || c == '_') {
      if (!key.empty() && key.back() != ' ') key += ' ';
    } else {
      key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  if (!key.empty() && key.back() == ' ') key.pop_back();
  return key;
}

// ---- Numbers ----

/// What a number cell gave: x in the header's unit, or why it gives none.
enum class number_status { ok, not_a_number, ambiguous, too_large };

/// The number in a cell by the spreadsheet rules of the table's decimal mark (text/numbers.h).
/// A blank cell is 0, not analysed; so is a number below the smallest double. No -0: every
/// zero is +0, as the sample file reads it.
number_status parse_number(std::string_view cell, decimal_mark mark, double& x) {
  const cell_number r = read_cell_number(cell, mark);
  x = r.x;
  switch (r.what) {
    case cell_read::value:
    case cell_read::empty:
    case cell_read::underflow:
      return number_status::ok;
    case cell_read::overflow:
      return number_status::too_large;
    case cell_read::ambiguous:
      return number_status::ambiguous;
    case cell_read::invalid:
      break;
  }
  return number_status::not_a_number;
}

/// Why the text of a number cell gave no number, after the quoted cell.
std::string number_fault(number_status st, decimal_mark mark) {
  switch (st) {
    case number_status::too_large:
      return " is too large";
    case number_status::ambiguous:
      return mark == decimal_mark::comma
                 ? " is ambiguous: in a table separated by semicolons the comma is the decimal "
                   "mark and a point may only group thousands (1.250,5)"
                 : " is ambiguous: in a table separated by commas the point is the decimal mark "
                   "and a comma may only group thousands (\"1,234.5\")";
    default:
      return " is not a number";
  }
}

// ---- Texts: UTF-8 in the table and in the sample ----

/// The text between double quotes, as messages show a cell.
std::string quoted(std::string_view s) {
  std::string q(1, '"');
  q += s;
  q += '"';
  return q;
}

/// The text of an id cell: UTF-8 as read (see utf8_cell), blanks trimmed at both ends.
std::string id_cell(std::string_view cell, const std::string& where,
                    std::vector<std::string>& warnings) {
  const std::string text = utf8_cell(trimmed(cell), where, warnings);
  return std::string(trimmed(text));
}

/// The text of a location cell: UTF-8 as read (see utf8_cell), trailing blanks trimmed.
std::string location_cell(std::string_view cell, const std::string& where,
                          std::vector<std::string>& warnings) {
  std::string text = utf8_cell(cell, where, warnings);
  while (!text.empty() && is_blank(text.back())) text.pop_back();
  return text;
}

// ---- Other names and units of the columns ----

/// Another name laboratories write for a column: the name as match_key gives it, and the
/// column's own name (column_name).
struct alias {
  std::string_view name;
  std::string_view column;
};

// clang-format off
constexpr alias aliases[] = {
    {"sample id", "sample"},      {"sample name", "sample"},   {"id", "sample"},
    {"site", "location"},
    {"t", "temperature"},         {"temp", "temperature"},     {"water temperature", "temperature"},
    {"ph t", "pH temperature"},   {"ph temp", "pH temperature"},
    {"t ph", "pH temperature"},   {"lab ph temperature", "pH temperature"},
    {"lab ph t", "pH temperature"},
    {"silica", "SiO2"},           {"boron", "B"},
    {"aluminium", "Al"},          {"aluminum", "Al"},
    {"iron", "Fe"},
    {"na+", "Na"},                {"sodium", "Na"},
    {"k+", "K"},                  {"potassium", "K"},
    {"mg2+", "Mg"},               {"mg++", "Mg"},              {"magnesium", "Mg"},
    {"ca2+", "Ca"},               {"ca++", "Ca"},              {"calcium", "Ca"},
    {"f-", "F"},                  {"fluoride", "F"},
    {"cl-", "Cl"},                {"chloride", "Cl"},
    {"so4 2-", "SO4"},            {"so42-", "SO4"},            {"so4--", "SO4"},
    {"sulfate", "SO4"},           {"sulphate", "SO4"},
};
// clang-format on

/// Carbonate as laboratories report it, read into the water's carbonate alkalinity
/// (sample_record::alkalinity_eq_kg) where a row gives no total CO2.
enum class carbonate_form { hco3, co3, alkalinity };
constexpr int n_carbonate_forms = 3;

/// A name laboratories write for a carbonate column, as match_key gives it, and its form.
struct carbonate_name {
  std::string_view name;
  carbonate_form form;
};

// clang-format off
constexpr carbonate_name carbonate_names[] = {
    {"hco3", carbonate_form::hco3},             {"hco3-", carbonate_form::hco3},
    {"bicarbonate", carbonate_form::hco3},
    {"co3", carbonate_form::co3},               {"co3 2-", carbonate_form::co3},
    {"co32-", carbonate_form::co3},             {"co3--", carbonate_form::co3},
    {"carbonate", carbonate_form::co3},
    {"alkalinity", carbonate_form::alkalinity}, {"total alkalinity", carbonate_form::alkalinity},
    {"alk", carbonate_form::alkalinity},        {"alk.", carbonate_form::alkalinity},
};
// clang-format on

/// Name of a carbonate form as messages and values give it, and its own unit: a cell without
/// a unit, and a value given by a program, are in it.
constexpr std::string_view carbonate_column_names[n_carbonate_forms] = {"HCO3", "CO3",
                                                                        "alkalinity"};
constexpr std::string_view carbonate_own_units[n_carbonate_forms] = {"mg/kg", "mg/kg", "meq/kg"};

/// The carbonate form of a header name as match_key gives it; empty for none.
std::optional<carbonate_form> carbonate_form_of(std::string_view key) {
  for (const carbonate_name& c : carbonate_names) {
    if (c.name == key) return c.form;
  }
  return std::nullopt;
}

/// Mass of calcium carbonate that one equivalent of alkalinity is reported as, mg/eq: the
/// laboratories' 50.04 mg CaCO3 per meq.
constexpr double caco3_mg_per_eq = 50040.0;

/// What a number column holds, which decides the units it takes.
enum class quantity {
  solute,
  steam_solute,
  dissolved_solids,
  enthalpy,
  pressure,
  temperature,
  own_unit
};

/// How a unit turns into the column's own: per kilogram (mass), per mole (times the molar
/// mass), or per equivalent (times the molar mass over the ion's charge).
enum class amount { mass, moles, equivalents };

/// A unit a column takes: its name as written, and value = x * scale / divisor + shift in the
/// column's own unit (the molar mass, and the charge, joining scale and divisor for
/// amount::moles and amount::equivalents). A divisor keeps 1/1000 exact.
struct unit {
  std::string_view name;
  double scale;
  double divisor;
  double shift;
  amount per;
};

// clang-format off
/// Units of a dissolved component of the water, mg/kg its own; a litre is taken as a kilogram
/// (density 1).
constexpr unit solute_units[] = {
    {"mg/kg",        1.0, 1.0, 0.0, amount::mass},
    {"ppm",          1.0, 1.0, 0.0, amount::mass},
    {"mg/L",         1.0, 1.0, 0.0, amount::mass},
    {"\xC2\xB5g/L",  1.0, 1000.0, 0.0, amount::mass},
    {"ug/L",         1.0, 1000.0, 0.0, amount::mass},
    {"ppb",          1.0, 1000.0, 0.0, amount::mass},
    {"\xC2\xB5g/kg", 1.0, 1000.0, 0.0, amount::mass},
    {"ug/kg",        1.0, 1000.0, 0.0, amount::mass},
    {"mmol/L",       1.0, 1000.0, 0.0, amount::moles},
    {"mmol/kg",      1.0, 1000.0, 0.0, amount::moles},
    {"mol/kg",       1.0, 1.0, 0.0, amount::moles},
    {"meq/L",        1.0, 1000.0, 0.0, amount::equivalents},
    {"meq/kg",       1.0, 1000.0, 0.0, amount::equivalents},
};
/// Units of a component of the steam, mg/kg its own: per kilogram of steam only.
constexpr unit steam_units[] = {
    {"mg/kg",        1.0, 1.0, 0.0, amount::mass},
    {"ppm",          1.0, 1.0, 0.0, amount::mass},
    {"\xC2\xB5g/kg", 1.0, 1000.0, 0.0, amount::mass},
    {"ug/kg",        1.0, 1000.0, 0.0, amount::mass},
    {"ppb",          1.0, 1000.0, 0.0, amount::mass},
    {"mmol/kg",      1.0, 1000.0, 0.0, amount::moles},
    {"mol/kg",       1.0, 1.0, 0.0, amount::moles},
};
/// Units of the total dissolved solids, mg/kg its own: masses only.
constexpr unit solids_units[] = {
    {"mg/kg",        1.0, 1.0, 0.0, amount::mass},
    {"ppm",          1.0, 1.0, 0.0, amount::mass},
    {"mg/L",         1.0, 1.0, 0.0, amount::mass},
    {"\xC2\xB5g/L",  1.0, 1000.0, 0.0, amount::mass},
    {"ug/L",         1.0, 1000.0, 0.0, amount::mass},
    {"ppb",          1.0, 1000.0, 0.0, amount::mass},
    {"\xC2\xB5g/kg", 1.0, 1000.0, 0.0, amount::mass},
    {"ug/kg",        1.0, 1000.0, 0.0, amount::mass},
};
/// Units of the enthalpy, kJ/kg its own (the international table calorie, 4.1868 J).
constexpr unit enthalpy_units[] = {
    {"kJ/kg",   1.0, 1.0, 0.0, amount::mass},
    {"J/g",     1.0, 1.0, 0.0, amount::mass},
    {"kcal/kg", 4.1868, 1.0, 0.0, amount::mass},
};
/// Units of the pressure, bar gauge its own; absolute pressures less one atmosphere.
constexpr unit pressure_units[] = {
    {"bar-g", 1.0, 1.0, 0.0, amount::mass},
    {"barg",  1.0, 1.0, 0.0, amount::mass},
    {"bar",   1.0, 1.0, -atmosphere_bar, amount::mass},
    {"bar-a", 1.0, 1.0, -atmosphere_bar, amount::mass},
    {"bara",  1.0, 1.0, -atmosphere_bar, amount::mass},
    {"MPa",   10.0, 1.0, -atmosphere_bar, amount::mass},
    {"kPa",   1.0, 100.0, -atmosphere_bar, amount::mass},
    {"MPa-g", 10.0, 1.0, 0.0, amount::mass},
    {"kPa-g", 1.0, 100.0, 0.0, amount::mass},
};
/// Units of a temperature, °C its own.
constexpr unit temperature_units[] = {
    {"\xC2\xB0" "C", 1.0, 1.0, 0.0, amount::mass},
    {"C",            1.0, 1.0, 0.0, amount::mass},
    {"degC",         1.0, 1.0, 0.0, amount::mass},
    {"K",            1.0, 1.0, -zero_celsius_k, amount::mass},
};
// clang-format on

// clang-format off
/// Units of an alkalinity, eq/kg its own: as the mass of calcium carbonate that carries it, or
/// as milliequivalents (millimoles of HCO3-, which takes one proton each).
constexpr unit alkalinity_units[] = {
    {"mg/L as CaCO3",  1.0, caco3_mg_per_eq, 0.0, amount::mass},
    {"mg/kg as CaCO3", 1.0, caco3_mg_per_eq, 0.0, amount::mass},
    {"ppm as CaCO3",   1.0, caco3_mg_per_eq, 0.0, amount::mass},
    {"meq/L",          1.0, 1000.0, 0.0, amount::mass},
    {"meq/kg",         1.0, 1000.0, 0.0, amount::mass},
    {"mmol/L",         1.0, 1000.0, 0.0, amount::mass},
    {"mmol/kg",        1.0, 1000.0, 0.0, amount::mass},
};
// clang-format on

/// The ion a meq/L of a component counts, by component: its species name in the species
/// table, whose charge is used. Components without one single ion take no meq.
struct counted_ion {
  int k;
  std::string_view species;
};
constexpr counted_ion counted_ions[] = {
    {comp::na, "Na+"}, {comp::k, "K+"},   {comp::mg, "Mg++"},   {comp::ca, "Ca++"},
    {comp::f, "F-"},   {comp::cl, "Cl-"}, {comp::so4, "SO4--"},
};

/// Charge of the ion a meq of component k counts, or 0 when it has none.
double equivalent_charge(int k) {
  for (const counted_ion& ion : counted_ions) {
    if (ion.k != k) continue;
    if (const std::optional<int> i = species_index(ion.species)) {
      return std::fabs(species_charge[*i]);
    }
  }
  return 0.0;
}

/// What column c holds.
quantity quantity_of(const column& c) {
  if (c.unit == "mg/kg") {
    if (c.where == place::steam) return quantity::steam_solute;
    if (c.where == place::scalar) return quantity::dissolved_solids;
    return quantity::solute;
  }
  if (c.unit == "kJ/kg") return quantity::enthalpy;
  if (c.unit == "bar-g") return quantity::pressure;
  if (c.unit ==
      "\xC2\xB0"
      "C")
    return quantity::temperature;
  return quantity::own_unit;
}

/// The units column c takes; for own_unit only its own, written in the table.
std::vector<unit> units_of(const column& c) {
  const auto list = [](const auto& units) {
    return std::vector<unit>(std::begin(units), std::end(units));
  };
  switch (quantity_of(c)) {
    case quantity::solute:
      return list(solute_units);
    case quantity::steam_solute:
      return list(steam_units);
    case quantity::dissolved_solids:
      return list(solids_units);
    case quantity::enthalpy:
      return list(enthalpy_units);
    case quantity::pressure:
      return list(pressure_units);
    case quantity::temperature:
      return list(temperature_units);
    case quantity::own_unit:
      break;
  }
  if (c.unit.empty()) return {};
  std::vector<unit> own = {{c.unit, 1.0, 1.0, 0.0, amount::mass}};
  if (c.unit == "vol %") own.push_back({"%", 1.0, 1.0, 0.0, amount::mass});
  return own;
}

/// A unit as the reader compares it: lower case, without blanks, the micro sign (and Greek mu)
/// as u, a Latin-1 degree sign as the UTF-8 one.
std::string unit_key(std::string_view u) {
  std::string key;
  for (std::size_t i = 0; i < u.size(); ++i) {
    const char c = u[i];
    if (is_blank(c)) continue;
    const std::string_view rest = u.substr(i);
    if (rest.starts_with("\xC2\xB5") || rest.starts_with("\xCE\xBC")) {
      key += 'u';
      ++i;
    } else if (c == '\xB0') {
      key += "\xC2\xB0";
    } else if (rest.starts_with("\xC2\xB0")) {
      key += "\xC2\xB0";
      ++i;
    } else {
      key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  return key;
}

/// The unit at the end of a header cell, in parentheses or square brackets, blanks trimmed;
/// empty when there is none.
std::string_view unit_in(std::string_view name) {
  name = trimmed(name);
  if (name.empty()) return {};
  const char close = name.back();
  if (close != ')' && close != ']') return {};
  const std::size_t open = name.rfind(close == ')' ? '(' : '[');
  if (open == std::string_view::npos) return {};
  return trimmed(name.substr(open + 1, name.size() - open - 2));
}

/// The units column c takes, as a message lists them.
std::string unit_list(const column& c) {
  std::string list;
  for (const unit& u : units_of(c)) {
    if (!list.empty()) list += ", ";
    list += u.name;
  }
  return list;
}

/// A cell of column c written in a unit: value in the column's own unit
/// = x * scale / divisor + shift.
struct unit_choice {
  double scale = 1.0;
  double divisor = 1.0;
  double shift = 0.0;
  std::string refusal;  // why the unit cannot be taken; empty when it can
};

/// How cells of column c written in unit u (as the header gives it, empty for none) become
/// values in the column's own unit, with the molar masses and the ion charges of the tables.
unit_choice choose_unit(const column& c, std::string_view u) {
  if (u.empty() || c.where == place::sample_number || c.where == place::location) return {};
  const std::string name = column_name(c);
  const std::vector<unit> units = units_of(c);
  const std::string key = unit_key(u);
  for (const unit& known : units) {
    if (unit_key(known.name) != key) continue;
    switch (known.per) {
      case amount::mass:
        return {known.scale, known.divisor, known.shift, {}};
      case amount::moles:
        return {known.scale * w(c.k), known.divisor, 0.0, {}};
      case amount::equivalents:
        if (const double z = equivalent_charge(c.k); z > 0.0) {
          return {known.scale * w(c.k), known.divisor * z, 0.0, {}};
        }
        return {1.0, 1.0, 0.0,
                quoted(u) + " has no meaning for " + name + ", which is no single ion; " + name +
                    " takes " + unit_list(c) + " but not meq"};
    }
  }
  if (units.empty())
    return {1.0, 1.0, 0.0, quoted(u) + " is not a unit of " + name + ", which takes none"};
  return {1.0, 1.0, 0.0,
          "the unit " + quoted(u) + " is not known; " + name + " takes " + unit_list(c)};
}

/// The names of units, as a message lists them.
template <std::size_t N>
std::string unit_names(const unit (&units)[N]) {
  std::string list;
  for (const unit& u : units) {
    if (!list.empty()) list += ", ";
    list += u.name;
  }
  return list;
}

/// How cells of carbonate form f written in unit u (empty: the form's own unit) become its
/// share of the carbonate alkalinity, eq/kg: HCO3- takes up one proton and CO3-- two on the
/// way to CO2(aq), each counted by its formula weight and charge in the species table.
unit_choice carbonate_unit(carbonate_form f, std::string_view u) {
  const std::string name(carbonate_column_names[static_cast<int>(f)]);
  if (f == carbonate_form::alkalinity) {
    if (u.empty()) {
      return {1.0, 1.0, 0.0,
              "give the unit of the alkalinity, such as \"Alkalinity (mg/L as CaCO3)\"; it "
              "takes " +
                  unit_names(alkalinity_units)};
    }
    for (const unit& known : alkalinity_units) {
      if (unit_key(known.name) == unit_key(u)) return {known.scale, known.divisor, 0.0, {}};
    }
    return {1.0, 1.0, 0.0,
            "the unit " + quoted(u) + " is not known; " + name + " takes " +
                unit_names(alkalinity_units)};
  }
  const int i = f == carbonate_form::hco3 ? sp::hco3 : sp::co3;
  const double z = std::fabs(species_charge[i]);
  const double mg_per_mol = species_weight[i];
  const std::string key = unit_key(u.empty() ? carbonate_own_units[static_cast<int>(f)] : u);
  for (const unit& known : solute_units) {
    if (unit_key(known.name) != key) continue;
    switch (known.per) {
      case amount::mass:
        return {known.scale * z, known.divisor * mg_per_mol, 0.0, {}};
      case amount::moles:
        return {known.scale * z, known.divisor, 0.0, {}};
      case amount::equivalents:
        return {known.scale, known.divisor, 0.0, {}};
    }
  }
  return {
      1.0, 1.0, 0.0,
      "the unit " + quoted(u) + " is not known; " + name + " takes " + unit_names(solute_units)};
}

/// The carbonate a row gives as laboratories report it: each form's share of the carbonate
/// alkalinity, eq/kg, where its cell is not blank, and the names of the columns that give it.
struct carbonate_cells {
  std::optional<double> eq[n_carbonate_forms];
  std::vector<std::string> columns;
};

/// Takes the carbonate a row gives (at: "file, row N") into s: its carbonate alkalinity from
/// HCO3 and CO3 where it gives either, else from its alkalinity. A row that also gives the
/// total CO2 keeps that alone, with a warning.
void take_carbonate(const carbonate_cells& g, sample_record& s, const std::string& at,
                    std::vector<std::string>& warnings) {
  const auto& [hco3, co3, alkalinity] = g.eq;
  if (!hco3 && !co3 && !alkalinity) return;
  if (s.water_mgkg[comp::co2] != 0.0) {
    std::string names;
    for (std::size_t i = 0; i < g.columns.size(); ++i) {
      names += (i == 0 ? "" : i + 1 == g.columns.size() ? " and " : ", ") + g.columns[i];
    }
    warnings.push_back(at + ": both the total carbonate as CO2 and " + names +
                       " are given; the CO2 is taken, " + names + " ignored");
    return;
  }
  s.alkalinity_eq_kg = hco3 || co3 ? hco3.value_or(0.0) + co3.value_or(0.0) : *alkalinity;
}

/// True when the column holds an analysis of the water or the steam, not only the sample's
/// name or place.
bool is_analysis(const column& c) {
  return c.where != place::sample_number && c.where != place::location;
}

/// The value in the column's own unit of x read in the header's unit: +0 for a zero (as the
/// sample file reads it), empty when it goes beyond a double.
std::optional<double> converted(double x, double scale, double divisor, double shift) {
  if (scale == 1.0 && divisor == 1.0 && shift == 0.0) return x;
  // Multiplied before divided: whole molar masses and 1000 keep "10 mmol/L" Cl at 354.5.
  const double v = x * scale / divisor + shift;
  if (!std::isfinite(v)) return std::nullopt;
  return v == 0.0 ? 0.0 : v;
}

// ---- Cells without a plain number: not analysed, below detection ----

/// True for the words laboratories write in a cell of an analysis not made, or made without
/// a number to report: "n.d.", "nd", "n.a.", "na", "n/a", "b.d.l.", "bdl" (in any case, the
/// points optional) and a dash ("-", "--", an en or an em dash).
bool says_not_analysed(std::string_view cell) {
  std::string key;
  for (char c : cell) {
    if (c != '.') key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  static constexpr std::string_view words[] = {"nd", "na", "n/a",          "bdl",
                                               "-",  "--", "\xE2\x80\x93", "\xE2\x80\x94"};
  return std::find(std::begin(words), std::end(words), key) != std::end(words);
}

/// True when a column may hold a detection limit: a concentration of the water or the steam,
/// the dissolved solids or a gas; a temperature, pH, pressure or enthalpy is measured, never
/// below a limit.
bool takes_detection_limit(const column& c) {
  const quantity q = quantity_of(c);
  return q == quantity::solute || q == quantity::steam_solute || q == quantity::dissolved_solids ||
         c.where == place::gas;
}

/// The value a detection limit stands for by the chosen rule.
double below_limit(double limit, below_detection_rule rule) {
  switch (rule) {
    case below_detection_rule::zero:
      return 0.0;
    case below_detection_rule::limit:
      return limit;
    case below_detection_rule::half:
      break;
  }
  return limit / 2.0;
}

/// What one number cell of column c gave.
struct cell_value {
  enum class kind {
    value,            ///< x, in the column's own unit
    blank,            ///< nothing in the cell: not analysed
    word,             ///< a word for "not analysed"
    below_detection,  ///< "<limit": x by the rule, in the column's own unit
    fault,            ///< no value: why, after the quoted cell
  };
  kind what = kind::blank;
  double x = 0.0;
  std::string fault;
};

/// Reads the cell of column c by the table's decimal mark; a number written in the header's
/// unit becomes x * scale / divisor + shift in the column's own.
cell_value read_value_cell(std::string_view cell, const column& c, decimal_mark mark, double scale,
                           double divisor, double shift, below_detection_rule rule) {
  using kind = cell_value::kind;
  cell = trimmed(cell);
  if (cell.empty()) return {};
  if (says_not_analysed(cell)) return {kind::word, 0.0, {}};
  const bool limit = cell.front() == '<';
  if (limit) {
    if (!takes_detection_limit(c)) {
      return {kind::fault, 0.0,
              " is a detection limit, which a value of " + column_name(c) + " cannot be"};
    }
    cell = trimmed(cell.substr(1));
  }
  double x = 0.0;
  number_status got = parse_number(cell, mark, x);
  if (got == number_status::ok && limit && cell.empty()) got = number_status::not_a_number;
  if (got == number_status::ok && x != 0.0) {
    const auto v = converted(x, scale, divisor, shift);
    if (v) {
      x = *v;
    } else {
      got = number_status::too_large;
    }
  }
  if (got != number_status::ok) return {kind::fault, 0.0, number_fault(got, mark)};
  if (!limit) return {kind::value, x, {}};
  const double taken = below_limit(x, rule);
  return {kind::below_detection, taken == 0.0 ? 0.0 : taken, {}};
}

/// Completes a sample read from a row: each number column without a value (has_value false,
/// by table column) joins not_analysed, and a pH given without its temperature is taken at
/// the assumed temperature (true when it was).
bool complete(sample_record& s, const std::vector<bool>& has_value, const analysis_reading& how) {
  s.not_analysed.clear();
  s.blanks_listed = true;
  for (int j = 0; j < n_columns; ++j) {
    if (is_analysis(table[j]) && !has_value[static_cast<std::size_t>(j)]) {
      s.not_analysed.push_back(column_name(table[j]));
    }
  }
  const auto open = [&s](std::string_view name) {
    return std::find(s.not_analysed.begin(), s.not_analysed.end(), name) != s.not_analysed.end();
  };
  if (open("pH") || !open("pH temperature")) return false;
  s.ph_t_c = how.ph_t_assumed_c;
  s.ph_t_assumed = true;
  std::erase(s.not_analysed, std::string("pH temperature"));
  return true;
}

/// Why a table whose header row is raw is not UTF-8 or not text at all, or empty when it may
/// be read: a byte-order mark or NUL bytes between the letters of UTF-16 or UTF-32, and other
/// control characters of a binary file.
std::string not_a_text_table(std::string_view raw) {
  const auto starts = [&raw](std::string_view bom) { return raw.starts_with(bom); };
  std::size_t nul = 0, control = 0;
  for (char c : raw) {
    if (c == '\0') {
      ++nul;
    } else if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
      ++control;
    }
  }
  const bool utf32 = starts(std::string_view("\xFF\xFE\0\0", 4)) ||
                     starts(std::string_view("\0\0\xFE\xFF", 4)) ||
                     (raw.size() >= 8 && nul * 4 >= raw.size() * 3 - 4);
  if (utf32) return "the table is UTF-32 text; save the table as UTF-8";
  if (starts("\xFF\xFE") || starts("\xFE\xFF") || (raw.size() >= 4 && nul * 2 >= raw.size() - 2)) {
    return "the table is UTF-16 text; save the table as UTF-8";
  }
  if (nul > 0 || control > 0) return "the file holds binary bytes, not a table of text";
  return {};
}

/// True when the sample holds no text and no number but zeros: a row that gives it is an empty
/// row, as a spreadsheet leaves them (a lone 0 is no analysis of a sample).
bool nothing_given(const sample_record& s) {
  if (s.number.find_first_not_of(' ') != std::string::npos) return false;
  if (s.location.find_first_not_of(' ') != std::string::npos) return false;
  if (s.alkalinity_eq_kg.value_or(0.0) != 0.0) return false;
  for (const column& c : table) {
    if (c.where != place::sample_number && c.where != place::location && value(s, c) != 0.0)
      return false;
  }
  return true;
}

// ---- What is said once for a whole table ----

/// Samples, and runs of rows of a column, a message names before it says how many more.
constexpr std::size_t max_named = 10;

/// Adds row to the runs of rows of each column in cols.
void add_row(std::vector<std::vector<std::pair<long, long>>>& rows, const std::vector<int>& cols,
             long row) {
  if (cols.empty()) return;
  rows.resize(static_cast<std::size_t>(n_columns));
  for (int j : cols) {
    auto& runs = rows[static_cast<std::size_t>(j)];
    if (!runs.empty() && runs.back().second + 1 == row) {
      runs.back().second = row;
    } else {
      runs.emplace_back(row, row);
    }
  }
}

/// "SiO2 rows 2-4, 7; B row 3": the rows of each column, by column in table order.
std::string rows_by_column(const std::vector<std::vector<std::pair<long, long>>>& rows) {
  std::string text;
  for (std::size_t j = 0; j < rows.size(); ++j) {
    const auto& runs = rows[j];
    if (runs.empty()) continue;
    long cells = 0;
    for (const auto& [first, last] : runs) cells += last - first + 1;
    // Appended piece by piece: a string built of temporaries trips a false warning of GCC 12.
    if (!text.empty()) text += "; ";
    text += column_name(table[j]);
    text += cells > 1 ? " rows " : " row ";
    long named = 0;
    for (std::size_t i = 0; i < runs.size() && i < max_named; ++i) {
      const auto [first, last] = runs[i];
      if (i > 0) text += ", ";
      text += std::to_string(first);
      if (last > first) {
        text += '-';
        text += std::to_string(last);
      }
      named += last - first + 1;
    }
    if (named < cells) {
      text += " and ";
      text += std::to_string(cells - named);
      text += " more";
    }
  }
  return text;
}

/// What a table says once, at its end: the cells read as not analysed from a word, the cells
/// below a detection limit and the rule they were taken by, and the samples whose pH
/// temperature was assumed.
std::vector<std::string> table_notes(const std::string& name,
                                     const std::vector<std::vector<std::pair<long, long>>>& words,
                                     const std::vector<std::vector<std::pair<long, long>>>& limits,
                                     const std::vector<std::string>& assumed, long n_assumed,
                                     const analysis_reading& how) {
  std::vector<std::string> notes;
  if (!words.empty()) {
    notes.push_back(name +
                    ": cells that say not analysed (n.d., n.a., b.d.l., a dash and the like), "
                    "taken as not analysed: " +
                    rows_by_column(words));
  }
  if (!limits.empty()) {
    const char* rule = how.below_detection == below_detection_rule::zero    ? "zero"
                       : how.below_detection == below_detection_rule::limit ? "the limit"
                                                                            : "half the limit";
    notes.push_back(name + ": values below a detection limit, taken as " + rule + ": " +
                    rows_by_column(limits));
  }
  if (n_assumed > 0) {
    std::string ids;
    for (std::size_t i = 0; i < assumed.size(); ++i) {
      ids += (i == 0                                                             ? ""
              : i + 1 == assumed.size() && n_assumed == static_cast<long>(i + 1) ? " and "
                                                                                 : ", ") +
             assumed[i];
    }
    if (n_assumed > static_cast<long>(assumed.size())) {
      ids += " and " + std::to_string(n_assumed - static_cast<long>(assumed.size())) + " more";
    }
    char t[32];
    const auto end = std::to_chars(t, t + sizeof t, how.ph_t_assumed_c).ptr;
    notes.push_back(name + ": no pH temperature given for sample" + (n_assumed > 1 ? "s " : " ") +
                    ids + "; the pH is taken as measured at " + std::string(t, end) +
                    " \xC2\xB0"
                    "C");
  }
  return notes;
}

// ---- Writing ----

/// A cell of text, quoted when it holds a separator, a quote or a line break.
void put_cell(std::ostream& out, std::string_view utf8) {
  std::string cell;
  append_csv_text(cell, utf8);
  out << cell;
}

/// A number in its shortest exact form; 0 (not analysed) and values that are not finite as an
/// empty cell.
void put_number(std::ostream& out, double x) {
  if (x == 0.0 || !std::isfinite(x)) return;
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x);
  assert(ec == std::errc{});
  out.write(buf, end - buf);
}

}  // namespace

const std::vector<std::string>& analysis_csv_columns() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const column& c : table) {
      std::string n = column_name(c);
      if (!c.unit.empty()) n += " (" + std::string(c.unit) + ")";
      v.push_back(n);
    }
    return v;
  }();
  return names;
}

analysis_csv_reader::analysis_csv_reader(std::istream& in, std::string name, analysis_reading how)
    : in_(in), name_(std::move(name)), how_(how) {}

std::string analysis_csv_reader::read_header() {
  // A byte-order mark before the header is no part of it; a partial one is text.
  static constexpr std::string_view bom = "\xEF\xBB\xBF";
  std::string raw;
  for (char b : bom) {
    if (in_.peek() != std::char_traits<char>::to_int_type(b)) break;
    raw += static_cast<char>(in_.get());
  }
  if (raw.size() == bom.size()) raw.clear();

  // Empty rows before the header are passed over, as they are before any row.
  std::vector<std::string> cells;
  for (;;) {
    const row_status st = take_row(in_, ",;", raw, max_row_bytes);
    if (st == row_status::end) return name_ + ": no header row";
    ++row_;
    const std::string at = name_ + ", row " + std::to_string(row_);
    if (st == row_status::read_error) return at + ": read error";
    if (const std::string why = not_a_text_table(raw); !why.empty()) {
      refused_ = true;
      return name_ + ": " + why;
    }
    if (st == row_status::too_long) return at + too_long_row;
    if (st == row_status::quote_open_at_end) return at + ": a quote in the header is not closed";
    sep_ = header_separator(raw);
    cells = split_row(raw, sep_);
    raw.clear();
    if (std::any_of(cells.begin(), cells.end(),
                    [](const std::string& c) { return !trimmed(c).empty(); })) {
      break;
    }
  }

  const std::string at = name_ + ", row " + std::to_string(row_);
  std::vector<std::string> keys;
  for (const column& c : table) keys.push_back(match_key(column_name(c)));
  std::vector<bool> taken(n_columns, false);
  bool any = false, any_analysis = false;
  // Columns not used, and carbonate given both as ions and as an alkalinity, each named once
  // in one warning put where the first of them stands: "N "text"" of each.
  std::vector<std::string> ignored, carbonate;
  std::size_t ignored_at = 0, carbonate_at = 0;
  bool carbonate_taken[n_carbonate_forms] = {};
  bool ions = false, alkalinity = false;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const std::string_view text = trimmed(cells[c]);
    labels_.emplace_back(without_unit(text));
    std::string k = match_key(text);
    for (const alias& a : aliases) {
      if (a.name == k) k = match_key(a.column);
    }
    const auto found = std::find(keys.begin(), keys.end(), k);
    const int j = found == keys.end() ? -1 : static_cast<int>(found - keys.begin());
    const std::string where = at + ", column " + std::to_string(c + 1) + ": " + quoted(text);
    conversions_.emplace_back();
    if (j >= 0 && taken[static_cast<std::size_t>(j)]) {
      pending_.push_back(where + " repeats column " + column_name(table[j]) + ", ignored");
      columns_.push_back(-1);
    } else if (j >= 0) {
      const unit_choice u = choose_unit(table[j], unit_in(text));
      if (!u.refusal.empty()) {
        refused_ = true;
        return where + ": " + u.refusal;
      }
      conversions_.back() = {u.scale, u.divisor, u.shift};
      taken[static_cast<std::size_t>(j)] = true;
      any = true;
      any_analysis = any_analysis || is_analysis(table[j]);
      columns_.push_back(j);
    } else if (how_.lithium &&
               std::find(std::begin(li_names), std::end(li_names), k) != std::end(li_names)) {
      // Lithium stands beyond the carbonate forms.
      const int li = n_columns + n_carbonate_forms;
      if (std::find(columns_.begin(), columns_.end(), li) != columns_.end()) {
        pending_.push_back(where + " repeats column Li, ignored");
        columns_.push_back(-1);
        continue;
      }
      const unit_choice u = choose_unit(li_column, unit_in(text));
      if (!u.refusal.empty()) {
        refused_ = true;
        return where + ": " + u.refusal;
      }
      conversions_.back() = {u.scale, u.divisor, 0.0};
      any = true;
      columns_.push_back(li);
    } else if (const std::optional<carbonate_form> f = carbonate_form_of(k)) {
      const int form = static_cast<int>(*f);
      bool& seen = carbonate_taken[form];
      if (seen) {
        pending_.push_back(where + " repeats column " + std::string(carbonate_column_names[form]) +
                           ", ignored");
        columns_.push_back(-1);
        continue;
      }
      const unit_choice u = carbonate_unit(*f, unit_in(text));
      if (!u.refusal.empty()) {
        refused_ = true;
        return where + ": " + u.refusal;
      }
      conversions_.back() = {u.scale, u.divisor, 0.0};
      seen = true;
      any = true;
      any_analysis = true;
      (*f == carbonate_form::alkalinity ? alkalinity : ions) = true;
      if (carbonate.empty()) carbonate_at = pending_.size();
      carbonate.push_back(std::to_string(c + 1) + " " + quoted(text));
      columns_.push_back(n_columns + form);
    } else {
      // An unnamed column, as a spreadsheet leaves after the last one, is passed over quietly.
      const std::string cell = std::to_string(c + 1) + " " + quoted(text);
      if (!text.empty()) {
        if (ignored.empty()) ignored_at = pending_.size();
        ignored.push_back(cell);
      }
      columns_.push_back(-1);
    }
  }
  const auto list = [](const std::vector<std::string>& v) {
    std::string s;
    for (std::size_t i = 0; i < v.size(); ++i) {
      s += i == 0 ? "" : i + 1 == v.size() ? " and " : ", ";
      s += v[i];
    }
    return s;
  };
  // Each warning where its first column stands among the others, in the order of the columns.
  struct placed {
    std::size_t at;
    std::size_t first;  // its first column
    std::string text;
  };
  std::vector<placed> notes;
  if (ions && alkalinity) {
    notes.push_back({carbonate_at, std::stoul(carbonate[0]),
                     at + ", columns " + list(carbonate) +
                         ": carbonate is given as ions and as an alkalinity; a row's carbonate "
                         "alkalinity is taken from its HCO3 and CO3, and from its alkalinity only "
                         "where it gives neither"});
  }
  if (ignored.size() == 1) {
    std::string one = ignored[0];
    one.insert(one.find(' '), ":");  // "2: "Li"", as a single column is named elsewhere
    notes.push_back(
        {ignored_at, std::stoul(one), at + ", column " + one + " is not a known column, ignored"});
  } else if (ignored.size() > 1) {
    notes.push_back({ignored_at, std::stoul(ignored[0]),
                     at + ", columns " + list(ignored) + " are not known columns, ignored"});
  }
  // The later first: an insertion leaves the places before it as they are.
  std::sort(notes.begin(), notes.end(), [](const placed& x, const placed& y) {
    return x.at != y.at ? x.at > y.at : x.first > y.first;
  });
  for (const placed& p : notes) {
    pending_.insert(pending_.begin() + static_cast<std::ptrdiff_t>(p.at), p.text);
  }
  if (!any) {
    refused_ = true;
    return at + ": the header names no known column (such as sample, pH, SiO2)";
  }
  if (!any_analysis) {
    refused_ = true;
    return at + ": the header names no column of analyses (such as temperature, pH, SiO2, Na)";
  }
  return {};
}

csv_read_result analysis_csv_reader::next() {
  using kind = csv_read_result::kind;
  // The result of this call; the header's warnings go with the first.
  const auto give = [this](csv_read_result r, kind what, std::string error = {}) {
    if (what == kind::end || what == kind::bad_file) done_ = true;
    if (what == kind::sample) ++samples_;
    r.what = what;
    r.row = row_;
    r.error = std::move(error);
    r.refuses_file = what == kind::bad_file && refused_;
    r.warnings.insert(r.warnings.begin(), pending_.begin(), pending_.end());
    pending_.clear();
    return r;
  };
  // The end of the table: what is said once for the whole table, and a message when not one
  // sample could be read from it.
  const auto at_end = [this, &give]() {
    csv_read_result r;
    r.warnings =
        table_notes(name_, word_rows_, limit_rows_, assumed_ph_t_, assumed_ph_t_count_, how_);
    if (samples_ > 0) return give(std::move(r), kind::end);
    return give(std::move(r), kind::bad_file, name_ + ": no sample could be read from the table");
  };
  if (done_) return give({}, kind::end);
  if (!header_read_) {
    header_read_ = true;
    std::string error = read_header();
    if (!error.empty()) return give({}, kind::bad_file, std::move(error));
  }
  const decimal_mark mark = sep_ == ';' ? decimal_mark::comma : decimal_mark::point;

  for (;;) {
    std::string raw;
    const row_status st = take_row(in_, std::string_view(&sep_, 1), raw, max_row_bytes);
    if (st == row_status::end) return at_end();
    ++row_;
    const std::string at = name_ + ", row " + std::to_string(row_);
    if (st == row_status::read_error) return give({}, kind::bad_file, at + ": read error");
    if (st == row_status::quote_open_at_end) {
      // The rest of the file went into the open cell.
      return give({}, kind::bad_row,
                  at + ": a quote in this row is not closed before the end of the file");
    }
    if (st == row_status::too_long) return give({}, kind::bad_row, at + too_long_row);

    const std::vector<std::string> cells = split_row(raw, sep_);
    // A cell beyond the header's last column: the cells of the row do not line up with it.
    for (std::size_t c = columns_.size(); c < cells.size(); ++c) {
      if (trimmed(cells[c]).empty()) continue;
      return give({}, kind::bad_row,
                  at + ": cell " + std::to_string(c + 1) + " " + quoted(trimmed(cells[c])) +
                      " lies beyond the " + std::to_string(columns_.size()) +
                      " columns of the header; in a table separated by commas a number with a "
                      "thousands comma must be quoted (\"1,234.5\")");
    }
    csv_read_result r;
    sample_record& s = r.sample;
    s.texts = text_encoding::utf8;
    std::string faults;  // every cell that gives no value, each named
    std::vector<bool> has_value(n_columns, false);
    std::vector<int> words, limits;  // table columns of this row's such cells
    carbonate_cells carbonate;
    const std::size_t n = std::min(cells.size(), columns_.size());
    for (std::size_t c = 0; c < n; ++c) {
      if (columns_[c] < 0) continue;
      // A carbonate column stands beyond the table's; its cells are read as the total CO2's
      // are, a concentration that may be below a detection limit.
      const int form = columns_[c] - n_columns;
      const bool li = form == n_carbonate_forms;
      const column& col = li ? li_column : table[form < 0 ? columns_[c] : co2_column];
      const std::string where = "column " + labels_[c] + ": ";
      if (form < 0 && col.where == place::sample_number) {
        s.number = id_cell(cells[c], at + ", " + where, r.warnings);
      } else if (form < 0 && col.where == place::location) {
        s.location = location_cell(cells[c], at + ", " + where, r.warnings);
      } else {
        const unit_conversion& u = conversions_[c];
        const cell_value v =
            read_value_cell(cells[c], col, mark, u.scale, u.divisor, u.shift, how_.below_detection);
        using got = cell_value::kind;
        if (v.what == got::fault) {
          faults += (faults.empty() ? at + ", " : std::string("; ")) + where +
                    quoted(trimmed(cells[c])) + v.fault;
          continue;
        }
        const bool given = v.what == got::value || v.what == got::below_detection;
        if (li) {
          if (v.what == got::below_detection) s.below_detection.push_back("Li");
          if (given) s.li_mgkg = v.x;
          continue;
        }
        if (form >= 0) {
          if (v.what == got::below_detection) s.below_detection.push_back(labels_[c]);
          if (given) {
            carbonate.eq[form] = v.x;
            carbonate.columns.push_back(labels_[c]);
          }
          continue;
        }
        if (v.what == got::word) words.push_back(columns_[c]);
        if (v.what == got::below_detection) {
          limits.push_back(columns_[c]);
          s.below_detection.push_back(column_name(col));
        }
        has_value[static_cast<std::size_t>(columns_[c])] = given;
        value(s, col) = v.x;
      }
    }
    if (!faults.empty()) {
      // Only the id and location of a row that cannot be read: the tables name it by them.
      sample_record named;
      named.number = std::move(s.number);
      named.location = std::move(s.location);
      named.texts = text_encoding::utf8;
      r.sample = std::move(named);
      return give(std::move(r), kind::bad_row, std::move(faults));
    }
    take_carbonate(carbonate, s, at, r.warnings);
    // A row with nothing in the columns read is an empty row, as a spreadsheet leaves them.
    if (nothing_given(s)) continue;
    if (complete(s, has_value, how_)) {
      if (assumed_ph_t_.size() < max_named) assumed_ph_t_.push_back(s.number);
      ++assumed_ph_t_count_;
    }
    add_row(word_rows_, words, row_);
    add_row(limit_rows_, limits, row_);
    return give(std::move(r), kind::sample);
  }
}

csv_read_result analysis_from_values(const std::string& name, std::string_view id,
                                     std::string_view location,
                                     const std::vector<analysis_value>& values,
                                     const analysis_reading& how) {
  using kind = csv_read_result::kind;
  csv_read_result r;
  r.row = 2;  // the values stand as the first row under a header
  const std::string at = name + ", row 2";
  sample_record& s = r.sample;
  s.texts = text_encoding::utf8;
  s.number = id_cell(id, at + ", column sample: ", r.warnings);
  s.location = location_cell(location, at + ", column location: ", r.warnings);
  std::vector<bool> has_value(n_columns, false);
  std::vector<int> words, limits;  // table columns of such values
  std::string faults;              // every value that gives none, each named
  carbonate_cells carbonate;
  for (const analysis_value& v : values) {
    int j = -1;
    for (int i = 0; i < n_columns; ++i) {
      if (is_analysis(table[i]) && column_name(table[i]) == v.column) j = i;
    }
    int form = -1;  // a carbonate form, in its own unit
    for (int f = 0; f < n_carbonate_forms && j < 0; ++f) {
      if (carbonate_column_names[f] == v.column) form = f;
    }
    if (j < 0 && form < 0) {
      r.sample = sample_record{};
      r.what = kind::bad_row;
      r.error = at + ": no column " + quoted(v.column);
      return r;
    }
    const column& col = table[j >= 0 ? j : co2_column];
    cell_value got;
    if (v.x) {
      // A number given as a value: taken as it is, every zero as +0 as a table cell reads it.
      if (std::isfinite(*v.x)) {
        got = {cell_value::kind::value, *v.x != 0.0 ? *v.x : 0.0, {}};
      } else {
        got = {cell_value::kind::fault, 0.0,
               number_fault(number_status::not_a_number, decimal_mark::point)};
      }
    } else {
      got = read_value_cell(v.text, col, decimal_mark::point, 1.0, 1.0, 0.0, how.below_detection);
    }
    const bool given =
        got.what == cell_value::kind::value || got.what == cell_value::kind::below_detection;
    if (got.what == cell_value::kind::fault) {
      faults += (faults.empty() ? at + ", " : std::string("; ")) + "column " + v.column + ": " +
                quoted(trimmed(v.text)) + got.fault;
      continue;
    }
    if (got.what == cell_value::kind::below_detection) s.below_detection.push_back(v.column);
    if (form >= 0) {
      if (given) {
        const unit_choice u =
            carbonate_unit(static_cast<carbonate_form>(form), carbonate_own_units[form]);
        carbonate.eq[form] = got.x * u.scale / u.divisor;
        carbonate.columns.push_back(v.column);
      }
      continue;
    }
    if (got.what == cell_value::kind::word) words.push_back(j);
    if (got.what == cell_value::kind::below_detection) limits.push_back(j);
    has_value[static_cast<std::size_t>(j)] = given;
    value(s, col) = got.x;
  }
  if (!faults.empty()) {
    r.sample = sample_record{};
    r.what = kind::bad_row;
    r.error = std::move(faults);
    return r;
  }
  take_carbonate(carbonate, s, at, r.warnings);
  if (nothing_given(s)) {
    r.what = kind::end;
    return r;
  }
  std::vector<std::vector<std::pair<long, long>>> word_rows, limit_rows;
  add_row(word_rows, words, 2);
  add_row(limit_rows, limits, 2);
  const bool assumed = complete(s, has_value, how);
  for (std::string& w : table_notes(name, word_rows, limit_rows, {s.number}, assumed ? 1 : 0, how))
    r.warnings.push_back(std::move(w));
  r.what = kind::sample;
  return r;
}

const std::vector<std::string>& carbonate_columns() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (int f = 0; f < n_carbonate_forms; ++f) {
      v.push_back(std::string(carbonate_column_names[f]) + " (" +
                  std::string(carbonate_own_units[f]) + ")");
    }
    return v;
  }();
  return names;
}

std::vector<double> analysis_values(const sample_record& s) {
  std::vector<double> values;
  values.reserve(std::size(table) - 2);
  for (const column& c : table) {
    if (c.where != place::sample_number && c.where != place::location) {
      values.push_back(value(s, c));
    }
  }
  return values;
}

void write_analysis_csv_header(std::ostream& out) {
  const std::vector<std::string>& names = analysis_csv_columns();
  for (std::size_t j = 0; j < names.size(); ++j) {
    if (j > 0) out << ',';
    put_cell(out, names[j]);
  }
  out << '\n';
}

void write_analysis_csv_row(const sample_record& s, std::ostream& out) {
  for (int j = 0; j < n_columns; ++j) {
    const column& c = table[j];
    if (j > 0) out << ',';
    if (c.where == place::sample_number) {
      put_cell(out, utf8_id(s));
    } else if (c.where == place::location) {
      put_cell(out, utf8_location(s));
    } else {
      const double x = value(s, c);
      // A zero the analysis gives is written as 0; one that stands for not analysed, blank.
      if (x == 0.0 && s.blanks_listed &&
          std::find(s.not_analysed.begin(), s.not_analysed.end(), column_name(c)) ==
              s.not_analysed.end()) {
        out << '0';
      } else {
        put_number(out, x);
      }
    }
  }
  out << '\n';
}

}  // namespace morva
