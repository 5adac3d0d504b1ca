#include <array>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

#include "morva/analysis_csv.h"
#include "morva/indexed.h"
#include "samplefile/writer.h"
#include "text/fields.h"
#include "text/sample_text.h"

namespace morva {

namespace {

constexpr std::size_t field_width = 16;

/// The number text with its exponent shortened ("1e+20" to "1e20", "1e-05" to "1e-5"): the
/// sample reader takes either, and the shorter leaves room for a digit more.
std::string compact_exponent(std::string t) {
  const std::size_t e = t.find('e');
  if (e == std::string::npos) return t;
  std::size_t d = e + 1;
  if (t[d] == '+') {
    t.erase(d, 1);
  } else if (t[d] == '-') {
    ++d;
  }
  while (d + 1 < t.size() && t[d] == '0') t.erase(d, 1);
  return t;
}

/// The text of a number for a 16-column field: its shortest exact form when that fits;
/// otherwise, of the fixed and exponent forms that fit, the one that reads back nearest to x.
std::string number_text(double x) {
  // Fixed notation of any double, up to 309 integer digits and the decimals asked for.
  std::array<char, 360> buf{};
  const auto text = [&buf](auto... how) {
    const auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), how...);
    return ec == std::errc{} ? std::string(buf.data(), end) : std::string();
  };
  const std::string shortest = text(x);
  if (shortest.size() <= field_width) return shortest;
  const std::string compact = compact_exponent(shortest);
  if (compact.size() <= field_width) return compact;

  // A form rounded beyond the largest double does not read at all: it is not considered.
  std::string best;
  double best_error = std::numeric_limits<double>::infinity();
  const auto consider = [&](const std::string& t) {
    if (t.empty() || t.size() > field_width) return;
    double y = 0.0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), y);
    if (ec != std::errc{}) return;
    const double error = std::fabs(y - x);
    if (error < best_error) {
      best = t;
      best_error = error;
    }
  };
  // Fixed forms first: of two that read back alike, the plainer is kept.
  for (int d = 0; d < static_cast<int>(field_width); ++d) {
    consider(text(x, std::chars_format::fixed, d));
  }
  for (int d = 0; d < static_cast<int>(field_width); ++d) {
    consider(compact_exponent(text(x, std::chars_format::scientific, d)));
  }
  return best;
}

/// A data line: each number right-justified in its 16 columns, 0 (not analysed) as a blank
/// field.
record data_line(std::initializer_list<double> xs) {
  record r;
  for (double x : xs) {
    if (x == 0.0) {
      r.X(static_cast<int>(field_width));
    } else {
      r.A(static_cast<int>(field_width), number_text(x));
    }
  }
  return r;
}

}  // namespace

void write_sample_block(const sample_record& s, std::ostream& out) {
  using comp::b, comp::ca, comp::ch4, comp::cl, comp::co2, comp::fe, comp::h2, comp::h2s, comp::k,
      comp::mg, comp::n2, comp::na, comp::nh3, comp::o2, comp::sio2, comp::so4;
  const component_vector& c = s.water_mgkg;
  // The file is Latin-1: a table's UTF-8 texts as latin1_copy makes them (its caller tells
  // the losses).
  const latin1_sample texts = latin1_copy(s, {});
  // The layout of the process-step blocks, with every field of the sample.
  write_block(
      texts.s.number, texts.s.location,
      {data_line({s.collection.t_c, s.pressure_bar_g, s.enthalpy, s.collection.discharge_kg_s}),
       data_line({s.ph, s.ph_t_c, c[co2], c[h2s]}),
       data_line({c[nh3], c[h2], c[o2], c[ch4], c[n2]}),
       data_line({c[sio2], c[b], c[comp::al], c[fe]}), data_line({c[na], c[k], c[mg], c[ca]}),
       data_line({c[comp::f], c[cl], c[so4], s.tds}),
       data_line({s.gas[1], s.gas[2], s.gas[3], s.gas[4], s.gas[5]}),
       data_line({s.gas[6], s.gas[7], s.collection.gas_l_per_kg, s.collection.gas_t_c}),
       data_line({s.steam.co2_mgkg, s.steam.h2s_mgkg, s.steam.nh3_mgkg, s.collection.condensate_ph,
                  s.collection.condensate_ph_t_c}),
       data_line({s.condensate.co2_mgkg, s.condensate.h2s_mgkg, s.condensate.nh3_mgkg,
                  s.condensate.na_mgkg})},
      out);
}

}  // namespace morva
