#include "report/fields.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <istream>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

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

}  // namespace

record& record::F(int w, int d, double x) {
  assert(w > 0 && d >= 0);
  if (!std::isfinite(x)) {
    text_ += non_finite(w, x);
    return *this;
  }
  // Rounding is symmetric, so the magnitude's digits are the value's digits; the sign is
  // written only when some digit survives the rounding (no "-0.00", no negative zero).
  const std::string t = c_format("%#.*f", d, std::fabs(x));
  const bool any_nonzero = t.find_first_of("123456789") != std::string::npos;
  const bool negative = std::signbit(x) && any_nonzero;
  const std::string sign = negative ? "-" : "";
  const std::size_t n = t.size() + (negative ? 1 : 0);
  const auto width = static_cast<std::size_t>(w);
  if (n <= width) {
    text_ += std::string(width - n, ' ') + sign + t;
  } else if (t[0] == '0' && n - 1 == width) {
    // One column short: the leading zero of a magnitude below 1 gives way (.50, -.50).
    text_ += sign + t.substr(1);
  } else {
    text_ += std::string(width, '*');
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
  std::string digits(static_cast<std::size_t>(d), '0');
  int exponent = 0;  // of the form 0.ddd x 10^exponent
  if (a != 0.0) {
    // d.ddd E+xx from the C conversion; its rounding carries into the exponent by itself.
    const std::string t = c_format("%#.*E", d - 1, a);
    const std::size_t e = t.find('E');
    digits = t.substr(0, 1) + t.substr(2, static_cast<std::size_t>(d - 1));
    int conv_exp = 0;
    const char* first = t.data() + e + 1;
    if (*first == '+') ++first;
    std::from_chars(first, t.data() + t.size(), conv_exp);
    exponent = conv_exp + 1;
  }
  const int mag = std::abs(exponent);
  const char exp_sign = exponent < 0 ? '-' : '+';
  std::string exp_part;
  if (mag <= 99) {
    exp_part = std::string("E") + exp_sign + (mag < 10 ? "0" : "") + std::to_string(mag);
  } else {
    // Three exponent digits take the place of the E.
    exp_part = std::string(1, exp_sign) + std::to_string(mag);
  }
  const std::string body = "." + digits + exp_part;
  const int required = 1 + d + 4 + (negative ? 1 : 0);
  const std::string sign = negative ? "-" : "";
  if (w < required) {
    text_ += std::string(static_cast<std::size_t>(w), '*');
  } else if (w == required) {
    text_ += sign + body;
  } else {
    text_ += std::string(static_cast<std::size_t>(w - required - 1), ' ') + sign + "0" + body;
  }
  return *this;
}

record& record::I(int w, long n) {
  assert(w > 0);
  text_ += right_justified(std::to_string(n), w);
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
  if (!std::getline(in, line)) return in.bad() ? read_status::input_error : read_status::end_of_file;
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

/// Appends the digits at text[i...] to out; returns their count.
std::size_t digits_into(const std::string& text, std::size_t& i, std::string& out) {
  std::size_t n = 0;
  while (i < text.size() && is_digit(text[i])) {
    out += text[i++];
    ++n;
  }
  return n;
}

/// Reads a blank-free numeric field: sign, digits with an optional point, an optional exponent
/// (E, e, D or d and a signed integer, or a bare sign and digits). False for anything else.
bool parse_real(const std::string& f, double& x) {
  std::size_t i = 0;
  bool negative = false;
  if (i < f.size() && (f[i] == '+' || f[i] == '-')) negative = f[i++] == '-';
  std::string int_part, frac_part;
  digits_into(f, i, int_part);
  if (i < f.size() && f[i] == '.') {
    ++i;
    digits_into(f, i, frac_part);
  }
  const bool has_mantissa = !int_part.empty() || !frac_part.empty();
  long exponent = 0;
  if (i < f.size()) {
    const char c = f[i];
    const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd';
    const bool bare_sign = (c == '+' || c == '-') && has_mantissa;
    if (!letter && !bare_sign) return false;
    if (letter) ++i;
    bool exp_negative = false;
    if (i < f.size() && (f[i] == '+' || f[i] == '-')) exp_negative = f[i++] == '-';
    std::string exp_digits;
    if (digits_into(f, i, exp_digits) == 0 || i != f.size()) return false;
    // Saturate: any exponent beyond a few hundred already over- or underflows a double.
    for (char e : exp_digits) exponent = std::min(exponent * 10 + (e - '0'), 100000L);
    if (exp_negative) exponent = -exponent;
  }
  // Nothing but a sign, or a point alone: no digit was met, the field reads as zero.
  if (!has_mantissa) {
    x = 0.0;
    return true;
  }
  const std::string mantissa = int_part + frac_part;
  const std::size_t lead = mantissa.find_first_not_of('0');
  if (lead == std::string::npos) {
    x = 0.0;
    return true;
  }
  // Decimal exponent of the first significant digit, to tell overflow from underflow.
  const long first_digit_exp =
      static_cast<long>(int_part.size()) - 1 - static_cast<long>(lead) + exponent;
  const std::string text = mantissa.substr(lead) + "e" +
                           std::to_string(exponent - static_cast<long>(frac_part.size()));
  double v = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec == std::errc::result_out_of_range) {
    if (first_digit_exp > 0) return false;  // beyond the largest double: not a usable number
    v = 0.0;                                // below the smallest: reads as zero
  } else if (ec != std::errc{} || end != text.data() + text.size()) {
    return false;
  }
  x = negative ? -v : v;
  return true;
}

}  // namespace

bool field_reader::F(int w, double& x) {
  assert(w > 0);
  const std::string f = take_numeric_field(line_, pos_, w);
  return parse_real(f, x);
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
