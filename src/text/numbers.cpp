#include "text/numbers.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <system_error>

namespace morva {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

/// Appends the digits at t[i...] to out, advancing i; returns their count.
std::size_t take_digits(std::string_view t, std::size_t& i, std::string& out) {
  const std::size_t from = i;
  while (i < t.size() && is_digit(t[i])) out += t[i++];
  return i - from;
}

}  // namespace

number_reading read_number(std::string_view t, number_syntax syntax) {
  if (t.empty()) return {number_read::empty, 0.0};
  std::size_t i = 0;
  bool negative = false;
  if (t[i] == '+' || t[i] == '-') negative = t[i++] == '-';
  std::string int_part, frac_part;
  take_digits(t, i, int_part);
  if (i < t.size() && (t[i] == '.' || (syntax.decimal_comma && t[i] == ','))) {
    ++i;
    take_digits(t, i, frac_part);
  }
  const bool has_mantissa = !int_part.empty() || !frac_part.empty();
  long exponent = 0;
  if (i < t.size()) {
    const char c = t[i];
    const bool letter = c == 'E' || c == 'e' || (syntax.fortran_exponent && (c == 'D' || c == 'd'));
    const bool bare_sign = syntax.fortran_exponent && (c == '+' || c == '-') && has_mantissa;
    if (!letter && !bare_sign) return {number_read::invalid, 0.0};
    if (letter) ++i;
    bool exp_negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) exp_negative = t[i++] == '-';
    std::string exp_digits;
    if (take_digits(t, i, exp_digits) == 0 || i != t.size()) return {number_read::invalid, 0.0};
    // Saturated: any exponent beyond a few hundred already over- or underflows a double.
    for (char e : exp_digits) exponent = std::min(exponent * 10 + (e - '0'), 100000L);
    if (exp_negative) exponent = -exponent;
  }
  if (!has_mantissa) return {number_read::no_digits, 0.0};
  const std::string mantissa = int_part + frac_part;
  const std::size_t lead = mantissa.find_first_not_of('0');
  if (lead == std::string::npos) return {number_read::value, 0.0};  // every zero is +0
  // Decimal exponent of the first significant digit tells overflow from underflow.
  const long first_digit_exp =
      static_cast<long>(int_part.size()) - 1 - static_cast<long>(lead) + exponent;
  const std::string text =
      mantissa.substr(lead) + "e" + std::to_string(exponent - static_cast<long>(frac_part.size()));
  double v = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec == std::errc::result_out_of_range) {
    return {first_digit_exp > 0 ? number_read::overflow : number_read::underflow, 0.0};
  }
  if (ec != std::errc{} || end != text.data() + text.size()) return {number_read::invalid, 0.0};
  return {number_read::value, negative ? -v : v};
}

namespace {

/// True when t (sign dropped, no exponent) is digits in groups of three separated by `group`
/// after a first group of one to three digits that does not start with 0, optionally followed
/// by the decimal mark and digits: "10.450", "1.250,5" with group '.' and mark ','.
bool groups_thousands(std::string_view t, char group, char mark) {
  const std::size_t dec = t.find(mark);
  const std::string_view whole = t.substr(0, dec);
  if (dec != std::string_view::npos) {
    const std::string_view frac = t.substr(dec + 1);
    if (!std::all_of(frac.begin(), frac.end(), is_digit)) return false;
  }
  std::size_t first = whole.find(group);
  if (first == std::string_view::npos || first == 0 || first > 3 || whole[0] == '0') return false;
  for (std::size_t i = 0; i < first; ++i) {
    if (!is_digit(whole[i])) return false;
  }
  // Every group after a separator: exactly three digits.
  for (std::size_t i = first; i < whole.size(); i += 4) {
    if (whole[i] != group || i + 4 > whole.size()) return false;
    for (std::size_t d = i + 1; d <= i + 3; ++d) {
      if (!is_digit(whole[d])) return false;
    }
  }
  return true;
}

}  // namespace

cell_number read_cell_number(std::string_view cell, decimal_mark mark) {
  const std::string_view t = trim_blanks(cell);
  if (t.empty()) return {cell_read::empty, 0.0};
  const char dec = mark == decimal_mark::comma ? ',' : '.';
  const char group = mark == decimal_mark::comma ? '.' : ',';
  std::string plain(t);
  if (t.find(group) != std::string_view::npos) {
    const std::string_view unsigned_part = t.front() == '+' || t.front() == '-' ? t.substr(1) : t;
    std::string dropped;
    for (char c : t) {
      if (c != group) dropped += c;
    }
    if (!groups_thousands(unsigned_part, group, dec)) {
      // The other mark where it groups nothing: a number when read either way is ambiguous.
      const number_reading a = read_number(dropped, {.decimal_comma = dec == ','});
      std::string swapped(t);
      std::replace(swapped.begin(), swapped.end(), group, '.');
      const number_reading b = read_number(swapped, {.decimal_comma = false});
      const bool either = a.what == number_read::value || b.what == number_read::value;
      return {either ? cell_read::ambiguous : cell_read::invalid, 0.0};
    }
    plain = dropped;
  }
  const number_reading r = read_number(plain, {.decimal_comma = dec == ','});
  switch (r.what) {
    case number_read::value:
      return {cell_read::value, r.x};
    case number_read::overflow:
      return {cell_read::overflow, 0.0};
    case number_read::underflow:
      return {cell_read::underflow, 0.0};
    case number_read::empty:
    case number_read::no_digits:
    case number_read::invalid:
      break;
  }
  return {cell_read::invalid, 0.0};
}

std::string_view trim_blanks(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace morva
