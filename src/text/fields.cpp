#include "text/fields.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <istream>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "text/numbers.h"

namespace morva {

namespace {

/// The C formatted-print conversion of x with the given precision; fmt holds one "*" precision.
std::string c_format(const char* fmt, int precision, double x) {
  // Large magnitudes in %f need hundreds of characters: ask for the length first.
  const int n = std::snprintf(nullptr, 0, fmt, precision, x);
  if (n <= 0) return {};
  std::vector<char> buf(static_cast<std::size_t>(n) + 1);
  std::snprintf(buf.data(), buf.size(), fmt, precision, x);
  return std::string(buf.data(), static_cast<std::size_t>(n));
}

/// The text right-justified in w columns, or w asterisks when it does not fit.
std::string right_justified(const std::string& s, int w) {
  const auto width = static_cast<std::size_t>(w);
  if (s.size() > width) return std::string(width, '*');
  return std::string(width - s.size(), ' ') + s;
}

/// A value that is not a finite number: what the plain fixed-point conversion gives.
std::string non_finite(int w, double x) { return right_justified(c_format("%.*f", 6, x), w); }

// The conversions below give the characters of the C conversions "%#.*f" and "%.*E":
// std::to_chars with a precision is defined to produce exactly what printf produces in the "C"
// locale (the decimal value correctly rounded, ties to even), without printf's parsing of a
// format and its multi-precision arithmetic.

/// Most decimals (F) or significant digits (E) converted on the stack; longer conversions,
/// which no layout asks for, go through the C conversion itself.
constexpr int stack_digits = 40;
/// Room for any finite double in fixed notation with stack_digits decimals: 309 integer
/// digits, the point and the decimals.
constexpr std::size_t fixed_capacity = 352;

/// "%#.*f" of a finite a >= 0 with d decimals, in buf (or in wide for more than stack_digits
/// decimals); the point is always written.
std::string_view fixed_text(char (&buf)[fixed_capacity], std::string& wide, int d, double a) {
  if (d > stack_digits) {
    wide = c_format("%#.*f", d, a);
    return wide;
  }
  auto [end, ec] = std::to_chars(buf, buf + fixed_capacity - 1, a, std::chars_format::fixed, d);
  assert(ec == std::errc{});
  if (d == 0) *end++ = '.';  // the "#" flag: a point even without decimals
  return {buf, static_cast<std::size_t>(end - buf)};
}

/// The d significant digits of a finite a > 0 as "%.*E" with precision d - 1 writes them, into
/// digits; returns that conversion's decimal exponent (a carry in the rounding has already
/// moved it).
int exponent_digits(int d, double a, std::string& digits) {
  char buf[stack_digits + 16];
  std::string wide;
  std::string_view t;
  if (d > stack_digits) {
    wide = c_format("%.*e", d - 1, a);
    t = wide;
  } else {
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, d - 1);
    assert(ec == std::errc{});
    t = {buf, static_cast<std::size_t>(end - buf)};
  }
  // d.ddde+xx, or de+xx when there is one digit only.
  std::size_t p = 0;
  digits.clear();
  digits += t[p++];
  if (t[p] == '.') ++p;
  while (t[p] != 'e') digits += t[p++];
  ++p;  // the e
  if (t[p] == '+') ++p;
  int exponent = 0;
  std::from_chars(t.data() + p, t.data() + t.size(), exponent);
  return exponent;
}

}  // namespace

record& record::F(int w, int d, double x) {
  assert(w > 0 && d >= 0);
  if (!std::isfinite(x)) {
    text_ += non_finite(w, x);
    return *this;
  }
  // Rounding is symmetric, so the magnitude's digits are the value's digits; the sign is
  // written only when some digit survives the rounding (no "-0.00", no negative zero).
  char buf[fixed_capacity];
  std::string wide;
  const std::string_view t = fixed_text(buf, wide, d, std::fabs(x));
  const bool any_nonzero =
      std::any_of(t.begin(), t.end(), [](char c) { return c >= '1' && c <= '9'; });
  const bool negative = std::signbit(x) && any_nonzero;
  const std::size_t n = t.size() + (negative ? 1 : 0);
  const auto width = static_cast<std::size_t>(w);
  if (n <= width) {
    text_.append(width - n, ' ');
    if (negative) text_ += '-';
    text_ += t;
  } else if (t[0] == '0' && n - 1 == width) {
    // One column short: the leading zero of a magnitude below 1 gives way (.50, -.50).
    if (negative) text_ += '-';
    text_ += t.substr(1);
  } else {
    text_.append(width, '*');
  }
  return *this;
}

record& record::E(int w, int d, double x) {
  assert(w > 0 && d >= 1);
  if (!std::isfinite(x)) {
    text_ += non_finite(w, x);
    return *this;
  }
  const double a = std::fabs(x);
  const bool negative = std::signbit(x) && a != 0.0;
  // The mantissa as 0.ddd and its exponent; zero has all digits 0 and exponent 0.
  std::string digits(static_cast<std::size_t>(d), '0');
  int exponent = 0;
  if (a != 0.0) exponent = exponent_digits(d, a, digits) + 1;
  const int required = 1 + d + 4 + (negative ? 1 : 0);
  if (w < required) {
    text_.append(static_cast<std::size_t>(w), '*');
    return *this;
  }
  if (w > required) text_.append(static_cast<std::size_t>(w - required - 1), ' ');
  if (negative) text_ += '-';
  if (w > required) text_ += '0';
  text_ += '.';
  text_ += digits;
  const int mag = std::abs(exponent);
  // Three exponent digits take the place of the E.
  if (mag <= 99) text_ += 'E';
  text_ += exponent < 0 ? '-' : '+';
  char e[8];
  const auto [end, ec] = std::to_chars(e, e + sizeof e, mag);
  if (mag < 10) text_ += '0';
  text_.append(e, end);
  return *this;
}

record& record::I(int w, long n) {
  assert(w > 0);
  char buf[24];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, n);
  const auto len = static_cast<std::size_t>(end - buf);
  const auto width = static_cast<std::size_t>(w);
  if (len > width) {
    text_.append(width, '*');
  } else {
    text_.append(width - len, ' ');
    text_.append(buf, len);
  }
  return *this;
}

record& record::A(std::string_view s) {
  text_ += s;
  return *this;
}

record& record::A(int w, std::string_view s) {
  assert(w >= 0);
  const auto width = static_cast<std::size_t>(w);
  if (width <= s.size()) {
    text_ += s.substr(0, width);
  } else {
    text_.append(width - s.size(), ' ');
    text_ += s;
  }
  return *this;
}

record& record::X(int n) {
  assert(n >= 0);
  text_.append(static_cast<std::size_t>(n), ' ');
  return *this;
}

void put(std::ostream& out, const record& r) {
  out.write(r.text().data(), static_cast<std::streamsize>(r.text().size()));
  out.put('\n');
}

void prompt(std::ostream& out, const record& r) {
  out.write(r.text().data(), static_cast<std::streamsize>(r.text().size()));
  out.flush();
}

read_status read_line(std::istream& in, std::string& line) {
  line.clear();
  if (!std::getline(in, line))
    return in.bad() ? read_status::input_error : read_status::end_of_file;
  // A line from a CR LF system; also a last line that lost its LF after the CR.
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return read_status::ok;
}

namespace {

/// The characters of one numeric field starting at pos: at most w of them, fewer when a comma
/// (consumed) or the end of the line comes first. Blanks are dropped: they never count.
std::string take_numeric_field(std::string_view line, std::size_t& pos, int w) {
  std::string field;
  const std::size_t stop = std::min(line.size(), pos + static_cast<std::size_t>(w));
  while (pos < stop) {
    const char c = line[pos++];
    if (c == ',') break;
    if (c != ' ') field += c;
  }
  return field;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

/// Reads a blank-free numeric field: sign, digits with an optional point, an optional exponent
/// (E, e, D or d and a signed integer, or a bare sign and digits). An empty field, a sign alone
/// or a number below the smallest double reads as zero; false for anything else.
bool parse_real(std::string_view f, double& x) {
  const number_reading r = read_number(f, {.decimal_comma = false, .fortran_exponent = true});
  if (r.what == number_read::invalid || r.what == number_read::overflow) return false;
  x = r.x;
  return true;
}

}  // namespace

bool field_reader::F(int w, double& x) {
  assert(w > 0);
  last_field_ = take_numeric_field(line_, pos_, w);
  return parse_real(last_field_, x);
}

bool field_reader::last_field_too_large() const {
  return read_number(last_field_, {.decimal_comma = false, .fortran_exponent = true}).what ==
         number_read::overflow;
}

bool field_reader::I(int w, int& n) {
  assert(w > 0);
  const std::string f = take_numeric_field(line_, pos_, w);
  std::size_t i = 0;
  bool negative = false;
  if (i < f.size() && (f[i] == '+' || f[i] == '-')) negative = f[i++] == '-';
  long v = 0;
  for (; i < f.size(); ++i) {
    if (!is_digit(f[i])) return false;
    v = v * 10 + (f[i] - '0');
    if (v > std::numeric_limits<int>::max()) return false;
  }
  n = static_cast<int>(negative ? -v : v);
  return true;
}

std::string field_reader::A(int len) {
  assert(len >= 0);
  std::string s = padded(pos_ < line_.size() ? line_.substr(pos_) : std::string_view{},
                         static_cast<std::size_t>(len));
  pos_ += static_cast<std::size_t>(len);
  return s;
}

std::string padded(std::string_view s, std::size_t n) {
  std::string t(s.substr(0, std::min(s.size(), n)));
  t.resize(n, ' ');
  return t;
}

}  // namespace morva
