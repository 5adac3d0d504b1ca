// The fixed-column number fields must write exactly the characters that the C formatted-print
// conversions give ("%#.*f" for F, "%#.*E" for E): that is how every report and sample file of
// the corpus was written. Here the fields are compared with a plain implementation on top of
// snprintf over hundreds of thousands of values: random bit patterns, everyday magnitudes,
// exact decimal ties and values just beside a rounding boundary.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "text/fields.h"

namespace morva {
namespace {

std::string c_conversion(const char* fmt, int precision, double x) {
  const int n = std::snprintf(nullptr, 0, fmt, precision, x);
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(s.data(), s.size(), fmt, precision, x);
  s.resize(static_cast<std::size_t>(n));
  return s;
}

/// Fw.d through "%#.*f" with the sign, width and leading-zero rules of the fields.
std::string reference_f(int w, int d, double x) {
  const std::string t = c_conversion("%#.*f", d, std::fabs(x));
  const bool negative = std::signbit(x) && t.find_first_of("123456789") != std::string::npos;
  const auto width = static_cast<std::size_t>(w);
  const std::size_t n = t.size() + (negative ? 1 : 0);
  std::string out;
  if (n <= width) {
    out.append(width - n, ' ');
  } else if (!(t[0] == '0' && n - 1 == width)) {
    return std::string(width, '*');
  }
  if (negative) out.push_back('-');
  out.append(n <= width ? t : t.substr(1));
  return out;
}

/// Ew.d through "%#.*E": 0.ddd mantissa, exponent one higher, E left out for three digits.
std::string reference_e(int w, int d, double x) {
  const double a = std::fabs(x);
  const bool negative = std::signbit(x) && a != 0.0;
  std::string digits(static_cast<std::size_t>(d), '0');
  int exponent = 0;
  if (a != 0.0) {
    const std::string t = c_conversion("%#.*E", d - 1, a);
    // d.ddd: the point sits between the first digit and the others.
    for (std::size_t k = 0; k < digits.size(); ++k) digits[k] = t[k == 0 ? 0 : k + 1];
    exponent = std::atoi(t.c_str() + t.find('E') + 1) + 1;
  }
  const int required = 1 + d + 4 + (negative ? 1 : 0);
  if (w < required) return std::string(static_cast<std::size_t>(w), '*');
  std::string out;
  if (w > required) out.append(static_cast<std::size_t>(w - required - 1), ' ');
  if (negative) out.push_back('-');
  if (w > required) out.push_back('0');
  out.push_back('.');
  out.append(digits);
  const int mag = std::abs(exponent);
  if (mag <= 99) out.push_back('E');
  out.push_back(exponent < 0 ? '-' : '+');
  if (mag < 10) out.push_back('0');
  out.append(std::to_string(mag));
  return out;
}

/// Values that exercise every path: random bit patterns of finite doubles, magnitudes of
/// everyday concentrations and logarithms, exact binary ties and their neighbours.
std::vector<double> sample_values() {
  std::mt19937_64 rng(20240503);
  std::vector<double> v = {0.0,      -0.0,      0.5,    -0.5,   0.125,
                           0.375,    2.5,       -2.5,   1234.4, 0.3,
                           101325.0, -101325.0, 1e-100, 1e-101, 9.9995,
                           9.99951,  -0.004,    -0.005, 1e300,  -1.7976931348623157e308,
                           4.9e-324, 999.95,    0.045};
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 40000; ++i) {
    double x = 0.0;
    do {
      x = std::bit_cast<double>(rng());
    } while (!std::isfinite(x));
    v.push_back(x);
    // Everyday magnitudes: 1e-12 to 1e7, either sign.
    const double m = std::pow(10.0, -12.0 + 19.0 * unit(rng)) * (rng() % 2 ? 1.0 : -1.0);
    v.push_back(m);
    // A decimal tie k/2^s in binary, and the doubles next to it.
    const double tie =
        static_cast<double>(rng() % 200001) / std::ldexp(1.0, static_cast<int>(rng() % 12));
    v.push_back(tie);
    v.push_back(std::nextafter(tie, 0.0));
    v.push_back(-std::nextafter(tie, 1e9));
  }
  return v;
}

TEST(number_fields, FixedPointFieldsWriteWhatTheCConversionWrites) {
  // The layouts' F fields, then every width and precision up to 20 and 12.
  std::vector<std::pair<int, int>> fields = {
      {4, 1}, {5, 1}, {5, 2}, {6, 1}, {6, 2},  {6, 3},  {7, 0},  {7, 1},  {7, 3},  {7, 4},
      {8, 5}, {9, 2}, {9, 3}, {9, 4}, {10, 2}, {11, 8}, {13, 2}, {15, 2}, {16, 4}, {16, 6}};
  for (int w = 1; w <= 20; ++w)
    for (int d = 0; d <= 12; ++d) fields.emplace_back(w, d);
  const std::vector<double> values = sample_values();
  std::size_t k = 0;
  for (double x : values) {
    // Each value in a few fields, so that all fields meet all kinds of values.
    for (int j = 0; j < 3; ++j) {
      const auto [w, d] = fields[k++ % fields.size()];
      ASSERT_EQ(record{}.F(w, d, x).text(), reference_f(w, d, x))
          << "F" << w << "." << d << " of " << std::hexfloat << x;
    }
  }
}

TEST(number_fields, ExponentFieldsWriteWhatTheCConversionWrites) {
  const std::vector<double> values = sample_values();
  std::size_t k = 0;
  for (double x : values) {
    ASSERT_EQ(record{}.E(9, 3, x).text(), reference_e(9, 3, x)) << std::hexfloat << x;
    const int d = 1 + static_cast<int>(k % 8);
    const int w = 1 + static_cast<int>(k % 17);
    ++k;
    ASSERT_EQ(record{}.E(w, d, x).text(), reference_e(w, d, x))
        << "E" << w << "." << d << " of " << std::hexfloat << x;
  }
}

TEST(number_fields, MoreDigitsThanAnyLayoutUsesStillFollowTheCConversion) {
  for (double x : {0.1, -2.5, 1.0 / 3.0, 6.02214076e23, -1.7976931348623157e308, 4.9e-324}) {
    EXPECT_EQ(record{}.F(400, 45, x).text(), reference_f(400, 45, x)) << std::hexfloat << x;
    EXPECT_EQ(record{}.E(60, 45, x).text(), reference_e(60, 45, x)) << std::hexfloat << x;
  }
}

TEST(number_fields, IntegerFieldsAreRightJustified) {
  for (long n : {0L, 7L, -7L, 50L, 123456L, -123456L}) {
    for (int w = 1; w <= 8; ++w) {
      const std::string digits = std::to_string(n);
      const auto width = static_cast<std::size_t>(w);
      std::string expected(width, '*');
      if (digits.size() <= width) expected.replace(width - digits.size(), digits.size(), digits);
      if (digits.size() <= width)
        expected.replace(0, width - digits.size(), width - digits.size(), ' ');
      EXPECT_EQ(record{}.I(w, n).text(), expected) << "I" << w << " of " << n;
    }
  }
}

}  // namespace
}  // namespace morva
