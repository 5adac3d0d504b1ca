#include "morva/analysis_csv.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <istream>
#include <iterator>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "morva/indexed.h"
#include "morva/tables.h"
#include "text/csv.h"
#include "text/encoding.h"
#include "text/fields.h"
#include "text/format.h"
#include "text/numbers.h"

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

constexpr std::size_t number_length = 16;
constexpr std::size_t location_length = 80;
/// Longest row taken: far beyond any row of analyses, so that a quote left open does not draw
/// the rest of a large file into memory.
constexpr std::size_t max_row_bytes = 65536;
constexpr const char* too_long_row = ": longer than 65536 characters; is a quote not closed?";

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

/// A header cell without blanks around it and without a trailing unit in parentheses.
std::string_view without_unit(std::string_view name) {
  name = trimmed(name);
  const std::size_t open = name.rfind('(');
  if (!name.empty() && name.back() == ')' && open != std::string_view::npos) {
    name = trimmed(name.substr(0, open));
  }
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

enum class number_status { ok, not_a_number, too_large };

/// The number in a cell: blanks around it, an optional sign, digits with at most one decimal
/// mark (the point, and with decimal_comma also the comma), an optional exponent (e or E, an
/// optional sign, digits). A blank cell is 0, not analysed; so is a number below the smallest
/// double. No -0: every zero is +0, as the sample file reads it.
number_status parse_number(std::string_view cell, bool decimal_comma, double& x) {
  const number_reading r = read_number(trimmed(cell), {.decimal_comma = decimal_comma});
  x = r.x;
  switch (r.what) {
    case number_read::value:
    case number_read::empty:
    case number_read::underflow:
      return number_status::ok;
    case number_read::overflow:
      return number_status::too_large;
    default:
      return number_status::not_a_number;
  }
}

// ---- Texts: UTF-8 in the table, 8 bits (Latin-1) in the sample ----

/// v in upper-case hexadecimal, at least min_digits digits.
std::string hex(unsigned long v, int min_digits) {
  static constexpr char x[] = "0123456789ABCDEF";
  std::string s;
  for (; v > 0 || static_cast<int>(s.size()) < min_digits; v >>= 4) s.insert(s.begin(), x[v & 0xF]);
  return s;
}

/// The text between double quotes, as messages show a cell.
std::string quoted(std::string_view s) {
  std::string q(1, '"');
  q += s;
  q += '"';
  return q;
}

/// What became of n characters or bytes that could not be kept, the first of them named:
/// "U+2013 is not a Latin-1 character, written as "?"".
std::string lost(int n, const std::string& first, const char* one, const char* many) {
  if (n == 1) return first + " is not " + one + ", written as \"?\"";
  return first + " and " + std::to_string(n - 1) + " more are not " + many +
         ", each written as \"?\"";
}

/// The text of a cell for a field of n characters: Latin-1, cut to n characters (trailing
/// blanks need not fit) and blank-padded. Each loss is told in warnings, after where.
std::string text_field(std::string_view cell, std::size_t n, const std::string& where,
                       std::vector<std::string>& warnings) {
  latin1_text t = to_latin1(cell);
  const std::string shown = quoted(latin1_to_utf8(t.text));
  if (t.beyond_latin1 > 0) {
    warnings.push_back(where + shown + ": " +
                       lost(t.beyond_latin1, "U+" + hex(t.first_beyond, 4), "a Latin-1 character",
                            "Latin-1 characters"));
  }
  if (t.invalid > 0) {
    warnings.push_back(where + shown + ": " +
                       lost(t.invalid, "byte 0x" + hex(t.first_invalid, 2), "UTF-8", "UTF-8"));
  }
  const std::size_t used = t.text.find_last_not_of(' ') + 1;  // npos + 1 is 0
  if (used > n) {
    warnings.push_back(where + shown + " is longer than " + std::to_string(n) +
                       " characters, cut to " + quoted(latin1_to_utf8(t.text.substr(0, n))));
  }
  return padded(t.text, n);
}

/// True when the sample holds no text and no number: a row that gives it is an empty row.
bool nothing_given(const sample_record& s) {
  if (s.number.find_first_not_of(' ') != std::string::npos) return false;
  if (s.location.find_first_not_of(' ') != std::string::npos) return false;
  for (const column& c : table) {
    if (c.where != place::sample_number && c.where != place::location && value(s, c) != 0.0)
      return false;
  }
  return true;
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

std::string_view without_trailing_blanks(std::string_view s) {
  const std::size_t n = s.find_last_not_of(' ');
  return n == std::string_view::npos ? std::string_view{} : s.substr(0, n + 1);
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

analysis_csv_reader::analysis_csv_reader(std::istream& in, std::string name)
    : in_(in), name_(std::move(name)) {}

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
  bool any = false;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const std::string_view text = trimmed(cells[c]);
    labels_.emplace_back(without_unit(text));
    const auto found = std::find(keys.begin(), keys.end(), match_key(text));
    const int j = found == keys.end() ? -1 : static_cast<int>(found - keys.begin());
    const std::string where = at + ", column " + std::to_string(c + 1) + ": " + quoted(text);
    if (j >= 0 && taken[static_cast<std::size_t>(j)]) {
      pending_.push_back(where + " repeats column " + column_name(table[j]) + ", ignored");
      columns_.push_back(-1);
    } else if (j >= 0) {
      taken[static_cast<std::size_t>(j)] = true;
      any = true;
      columns_.push_back(j);
    } else {
      // An unnamed column, as a spreadsheet leaves after the last one, is passed over quietly.
      if (!text.empty()) pending_.push_back(where + " is not a known column, ignored");
      columns_.push_back(-1);
    }
  }
  if (!any) return at + ": the header names no known column (such as sample, pH, SiO2)";
  return {};
}

csv_read_result analysis_csv_reader::next() {
  using kind = csv_read_result::kind;
  // The result of this call; the header's warnings go with the first.
  const auto give = [this](csv_read_result r, kind what, std::string error = {}) {
    if (what == kind::end || what == kind::bad_file) done_ = true;
    r.what = what;
    r.row = row_;
    r.error = std::move(error);
    r.warnings.insert(r.warnings.begin(), pending_.begin(), pending_.end());
    pending_.clear();
    return r;
  };
  if (done_) return give({}, kind::end);
  if (!header_read_) {
    header_read_ = true;
    std::string error = read_header();
    if (!error.empty()) return give({}, kind::bad_file, std::move(error));
  }

  for (;;) {
    std::string raw;
    const row_status st = take_row(in_, std::string_view(&sep_, 1), raw, max_row_bytes);
    if (st == row_status::end) return give({}, kind::end);
    ++row_;
    const std::string at = name_ + ", row " + std::to_string(row_);
    if (st == row_status::read_error) return give({}, kind::bad_file, at + ": read error");
    if (st == row_status::too_long) {
      return give({}, kind::bad_file, at + too_long_row);
    }
    if (st == row_status::quote_open_at_end) {
      done_ = true;  // the rest of the file went into the open cell
      return give({}, kind::bad_row,
                  at + ": a quote in this row is not closed before the end of the file");
    }

    const std::vector<std::string> cells = split_row(raw, sep_);
    csv_read_result r;
    sample_record& s = r.sample;
    const std::size_t n = std::min(cells.size(), columns_.size());
    for (std::size_t c = 0; c < n; ++c) {
      if (columns_[c] < 0) continue;
      const column& col = table[columns_[c]];
      const std::string where = at + ", column " + labels_[c] + ": ";
      if (col.where == place::sample_number) {
        s.number = without_trailing_blanks(text_field(cells[c], number_length, where, r.warnings));
      } else if (col.where == place::location) {
        s.location =
            without_trailing_blanks(text_field(cells[c], location_length, where, r.warnings));
      } else {
        const number_status got = parse_number(cells[c], sep_ == ';', value(s, col));
        if (got != number_status::ok) {
          const char* what = got == number_status::too_large ? " is too large" : " is not a number";
          s = sample_record{};
          return give(std::move(r), kind::bad_row, where + quoted(trimmed(cells[c])) + what);
        }
      }
    }
    // A row with nothing in the columns read is an empty row, as a spreadsheet leaves them.
    if (nothing_given(s)) continue;
    return give(std::move(r), kind::sample);
  }
}

csv_read_result analysis_from_values(const std::string& name, std::string_view id,
                                     std::string_view location,
                                     const std::vector<analysis_value>& values) {
  using kind = csv_read_result::kind;
  csv_read_result r;
  r.row = 2;  // the values stand as the first row under a header
  const std::string at = name + ", row 2";
  sample_record& s = r.sample;
  s.number =
      without_trailing_blanks(text_field(id, number_length, at + ", column sample: ", r.warnings));
  s.location = without_trailing_blanks(
      text_field(location, location_length, at + ", column location: ", r.warnings));
  for (const analysis_value& v : values) {
    const column* col = nullptr;
    for (const column& c : table) {
      if (c.where != place::sample_number && c.where != place::location &&
          column_name(c) == v.column) {
        col = &c;
      }
    }
    if (col == nullptr) {
      r.what = kind::bad_row;
      r.error = at + ": no column " + quoted(v.column);
      return r;
    }
    const std::string where = at + ", column " + v.column + ": ";
    double& x = value(s, *col);
    number_status got = number_status::ok;
    if (v.x) {
      // A number given as a value: taken as it is, every zero as +0 as a table cell reads it.
      got = std::isfinite(*v.x) ? number_status::ok : number_status::not_a_number;
      x = got == number_status::ok && *v.x != 0.0 ? *v.x : 0.0;
    } else {
      got = parse_number(v.text, false, x);
    }
    if (got != number_status::ok) {
      const char* what = got == number_status::too_large ? " is too large" : " is not a number";
      r.sample = sample_record{};
      r.what = kind::bad_row;
      r.error = where + quoted(trimmed(v.text)) + what;
      return r;
    }
  }
  r.what = nothing_given(s) ? kind::end : kind::sample;
  return r;
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
      put_cell(out, latin1_to_utf8(without_trailing_blanks(s.number)));
    } else if (c.where == place::location) {
      put_cell(out, latin1_to_utf8(without_trailing_blanks(s.location)));
    } else {
      put_number(out, value(s, c));
    }
  }
  out << '\n';
}

}  // namespace morva
