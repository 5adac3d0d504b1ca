#include "text/fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace morva {
namespace {

struct fixed_case {
  double x;
  int w, d;
  const char* text;
};

TEST(FixedFields, FixedPointRoundingSignAndWidth) {
  const fixed_case cases[] = {
      {0.5, 7, 4, " 0.5000"},
      {-0.5, 7, 4, "-0.5000"},
      {-0.5, 6, 4, "-.5000"},  // one column short: the leading zero gives way
      {0.5, 5, 4, ".5000"},
      {0.5, 3, 2, ".50"},
      {-0.5, 4, 2, "-.50"},
      {12.5, 4, 2, "****"},
      {-0.004, 6, 2, "  0.00"},  // all digits zero: no sign
      {-0.005, 6, 2, " -0.01"},  // the stored double lies just above the tie
      {0.125, 5, 2, " 0.12"},    // exact tie goes to the even digit
      {0.375, 5, 2, " 0.38"},
      {1234.4, 7, 0, "  1234."},
      {1234.0, 7, 0, "  1234."},
      {0.3, 7, 0, "     0."},
      {-0.0, 6, 2, "  0.00"},
      {3.14159, 8, 3, "   3.142"},
      {-12.5, 5, 1, "-12.5"},
      {-12.5, 4, 1, "****"},  // no leading zero to give up
      {7.0, 16, 8, "      7.00000000"},
      {1234567.0, 16, 8, "1234567.00000000"},
      {12345678.0, 16, 8, "****************"},
      {1.0e300, 16, 8, "****************"},  // hundreds of digits before the point
  };
  for (const fixed_case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(record{}.F(c.w, c.d, c.x).text(), c.text);
  }
}

TEST(FixedFields, ExponentForm) {
  const fixed_case cases[] = {
      {101325.0, 9, 3, "0.101E+06"},   {-101325.0, 9, 3, "-.101E+06"},
      {1.0e-100, 9, 3, "0.100E-99"},   {1.0e-101, 9, 3, "0.100-100"},
      {0.0, 9, 3, "0.000E+00"},        {-0.0, 9, 3, "0.000E+00"},
      {1234.5, 9, 3, "0.123E+04"},     {-1234.5, 9, 3, "-.123E+04"},
      {9.9996, 9, 3, "0.100E+02"},  // the rounding carry moves the exponent
      {0.5, 9, 3, "0.500E+00"},        {1.0e200, 9, 3, "0.100+201"},
      {0.125, 9, 2, " 0.12E+00"},       // tie to even; surplus column becomes a blank
      {-1234.5, 11, 3, " -0.123E+04"},  // surplus: the zero comes back, then blanks
      {1234.5, 8, 3, ".123E+04"},       // exactly the width without the leading zero
      {1234.5, 7, 3, "*******"},       {-1234.5, 8, 3, "********"},
  };
  for (const fixed_case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(record{}.E(c.w, c.d, c.x).text(), c.text);
  }
}

TEST(FixedFields, NonFiniteValuesAsConvertedOrAsterisks) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(record{}.F(8, 3, inf).text(), "     inf");
  EXPECT_EQ(record{}.F(8, 3, -inf).text(), "    -inf");
  EXPECT_EQ(record{}.E(9, 3, inf).text(), "      inf");
  EXPECT_EQ(record{}.F(2, 0, inf).text(), "**");
  const std::string nan_text = record{}.F(8, 3, std::nan("")).text();
  EXPECT_EQ(nan_text.size(), 8u);
  EXPECT_NE(nan_text.find("nan"), std::string::npos);
}

TEST(FixedFields, IntegersAndTextItems) {
  EXPECT_EQ(record{}.I(5, 42).I(3, -42).I(2, -42).text(), "   42-42**");
  const std::string co2 = "CO2      ";        // 9-character component name
  const std::string h4sio4 = "H4SiO4      ";  // 12-character species name
  EXPECT_EQ(record{}.A(3, co2).text(), "CO2");
  EXPECT_EQ(record{}.A(12, h4sio4).text(), h4sio4);
  EXPECT_EQ(record{}.A(12, co2).text(), "   CO2      ");
  EXPECT_EQ(record{}.A(co2).text(), co2);  // trailing blanks belong to the item
  const std::string control("a\0b\x0C", 4);
  EXPECT_EQ(record{}.A(control).text(), control);
}

TEST(FixedFields, LineBuiltLeftToRightWithTrailingLiterals) {
  const record r = record{}
                       .X(1)
                       .A("pH")
                       .F(8, 3, 7.0)
                       .A(" at")
                       .F(6, 1, 25.0)
                       .A("\xB0"
                          "C")
                       .X(3);
  EXPECT_EQ(r.text(),
            " pH   7.000 at  25.0\xB0"
            "C   ");
  std::ostringstream out;
  put(out, r);
  prompt(out, record{}.A(" Answer :  "));
  EXPECT_EQ(out.str(), r.text() + "\n Answer :  ");
  EXPECT_EQ(padded("morva.in", 10) + padded("morva.in", 5), "morva.in  morva");
}

// Reading ------------------------------------------------------------------------------------

/// The values of the F fields of widths ws read from line, or an empty vector on an input error.
std::vector<double> read_reals(const std::string& line, std::vector<int> ws) {
  field_reader r(line);
  std::vector<double> xs;
  for (int w : ws) {
    double x = -999.0;
    if (!r.F(w, x)) return {};
    xs.push_back(x);
  }
  return xs;
}

TEST(FieldInput, RealFields) {
  struct real_case {
    const char* line;
    std::vector<int> ws;
    std::vector<double> xs;
  };
  const real_case cases[] = {
      {"", {10}, {0.0}},
      {"          ", {10}, {0.0}},
      {"12.5e1", {10}, {125.0}},
      {"12,5", {8, 8}, {12.0, 5.0}},
      {"1 2 5", {8}, {125.0}},
      {"  -3.5", {8}, {-3.5}},
      {"+7", {8}, {7.0}},
      {"1.5-3", {8}, {1.5e-3}},
      {"1.5+3", {8}, {1500.0}},
      {"2.5D2", {8}, {250.0}},
      {"2.5d-1", {8}, {0.25}},
      {"2.5E -1", {8}, {0.25}},
      {"1e-400", {8}, {0.0}},  // below the smallest double
      {"-", {8}, {0.0}},       // meets the end before any digit
      {".", {8}, {0.0}},
      {".05", {8}, {0.05}},
      {"5.", {8}, {5.0}},
      // 20 characters, four 16-column fields: columns 1-16, 17-20, then nothing.
      {"         12.3456    7.25", {16, 16, 16, 16}, {12.3456, 7.25, 0.0, 0.0}},
      {"    1.0,2.0", {16, 16}, {1.0, 2.0}},  // after the comma the next field starts
      {"3,120,100,80", {3, 8, 8, 8, 8, 8}, {3.0, 120.0, 100.0, 80.0, 0.0, 0.0}},
  };
  for (const real_case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(read_reals(c.line, c.ws), c.xs);
  }
}

TEST(FieldInput, InvalidRealsAreInputErrors) {
  for (const char* line :
       {"abc", "1.2.3", "12x", "1.5E", "1.5-", "+-5", "1e5.0", "1\r", "\t1", "1e999"}) {
    SCOPED_TRACE(line);
    field_reader r(line);
    double x = 42.0;
    EXPECT_FALSE(r.F(8, x));
    EXPECT_EQ(x, 42.0);  // unchanged on an error
  }
}

TEST(FieldInput, IntegerFields) {
  // Blanks do not separate fields; a comma right after a full-width field ends the next
  // field at once (it reads 0); fields beyond the end of the line read 0.
  field_reader r("3 1  -12,  ,7");
  std::vector<int> ns;
  for (int w : {3, 5, 5, 5, 5, 5}) {
    int n = -1;
    EXPECT_TRUE(r.I(w, n));
    ns.push_back(n);
  }
  EXPECT_EQ(ns, (std::vector<int>{31, -12, 0, 0, 7, 0}));
  for (const char* bad : {"1.0", "x", "99999999999"}) {
    SCOPED_TRACE(bad);
    field_reader rb(bad);
    int n = 5;
    EXPECT_FALSE(rb.I(20, n));
    EXPECT_EQ(n, 5);
  }
}

TEST(FieldInput, TextFieldsPaddedNotTrimmed) {
  field_reader r("WK-12  ,x");
  EXPECT_EQ(r.A(4), "WK-1");
  EXPECT_EQ(r.A(10), "2  ,x     ");  // a comma is ordinary text
  EXPECT_EQ(r.A(3), "   ");
}

TEST(LineInput, LineFeedsCarriageReturnsAndEndOfFile) {
  // A carriage return inside a line stays (and a numeric field refuses it).
  std::istringstream in("first\r\nsec\rond\n\nlast");
  std::string line;
  EXPECT_EQ(read_line(in, line), read_status::ok);
  EXPECT_EQ(line, "first");
  EXPECT_EQ(read_line(in, line), read_status::ok);
  EXPECT_EQ(line, "sec\rond");
  EXPECT_EQ(read_line(in, line), read_status::ok);
  EXPECT_EQ(line, "");
  EXPECT_EQ(read_line(in, line), read_status::ok);  // no line feed, still a whole line
  EXPECT_EQ(line, "last");
  EXPECT_EQ(read_line(in, line), read_status::end_of_file);
  EXPECT_EQ(line, "");
}

}  // namespace
}  // namespace morva
