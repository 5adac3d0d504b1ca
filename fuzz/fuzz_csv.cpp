// The analysis-table reader on arbitrary bytes: it reads to the end, every sample it hands
// out is usable (texts of UTF-8 without control characters, finite numbers, a known type),
// every message names the file, and each sample written as a table row reads back to itself,
// and as a sample block to itself with its texts as the block's Latin-1 holds them.

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "morva/analysis_csv.h"
#include "morva/calculate.h"
#include "morva/sample_file.h"
#include "text/encoding.h"
#include "text/sample_text.h"

namespace morva {
namespace {

/// Stops with the broken expectation named when it does not hold.
void require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "morva fuzz: expected %s\n", what);
  std::abort();
}

/// The numbers given in a sample, in a fixed order.
std::vector<double> given(const sample_record& s) {
  std::vector<double> x = {s.pressure_bar_g, s.enthalpy, s.ph, s.ph_t_c, s.tds};
  for (int i = 1; i <= component_vector::size; ++i) x.push_back(s.water_mgkg[i]);
  for (int i = 1; i <= gas_vector::size; ++i) x.push_back(s.gas[i]);
  const collection_data& d = s.collection;
  x.insert(x.end(), {d.discharge_kg_s, d.t_c, d.condensate_ph, d.condensate_ph_t_c, d.gas_l_per_kg,
                     d.gas_t_c});
  const condensate_analysis& c = s.condensate;
  x.insert(x.end(), {c.co2_mgkg, c.h2s_mgkg, c.nh3_mgkg, c.na_mgkg});
  x.insert(x.end(), {s.steam.co2_mgkg, s.steam.h2s_mgkg, s.steam.nh3_mgkg});
  return x;
}

/// Every number of the sample, the derived ones included, bit for bit.
bool same_numbers(const sample_record& a, const sample_record& b) {
  std::vector<double> x = given(a), y = given(b);
  const sample_totals ta = derive(a), tb = derive(b);
  for (int i = 1; i <= component_vector::size; ++i) {
    x.insert(x.end(), {ta.water[i], ta.steam[i]});
    y.insert(y.end(), {tb.water[i], tb.steam[i]});
  }
  x.push_back(ta.ph_t);
  y.push_back(tb.ph_t);
  if (ta.type != tb.type) return false;
  for (std::size_t k = 0; k < x.size(); ++k) {
    // Steam totals from an absurd gas share may overflow to inf or nan: compared as bits.
    if (std::bit_cast<std::uint64_t>(x[k]) != std::bit_cast<std::uint64_t>(y[k])) return false;
  }
  return true;
}

/// The numbers and the texts, in the same encoding.
bool identical(const sample_record& a, const sample_record& b) {
  return same_numbers(a, b) && a.texts == b.texts && a.number == b.number &&
         a.location == b.location;
}

/// True when text is UTF-8 without a control character (C0, DEL, C1).
bool clean_utf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    if (!decode_utf8(text, i, cp) || cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) return false;
  }
  return true;
}

/// True when the shortest form of every given number fits a 16-column field (an exponent
/// written without its plus sign and leading zeros).
bool fits_sample_file(const sample_record& s) {
  for (double x : given(s)) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x);
    std::string t(buf, end);
    const std::size_t e = t.find('e');
    if (e != std::string::npos) {
      std::size_t d = e + 1;
      if (t[d] == '+') t.erase(d, 1);
      if (t[d] == '-') ++d;
      while (d + 1 < t.size() && t[d] == '0') t.erase(d, 1);
    }
    if (t.size() > 16) return false;
  }
  return true;
}

void check_sample(const sample_record& read) {
  require(read.texts == text_encoding::utf8, "texts in UTF-8");
  // Neither a table nor a sample file has a column for a carbonate alkalinity: the total CO2
  // that carries it is written, as `morva convert` writes it (none when no total does).
  const std::optional<sample_record> found = with_total_co2_written(read);
  if (!found) return;
  const sample_record& s = *found;
  require(clean_utf8(s.number) && clean_utf8(s.location), "texts without control characters");
  require(!s.number.starts_with(' ') && !s.number.ends_with(' ') && !s.location.ends_with(' '),
          "an id without blanks around it, a location without trailing blanks");
  for (double x : given(s)) require(std::isfinite(x), "finite numbers in the sample");

  std::ostringstream table;
  write_analysis_csv_header(table);
  write_analysis_csv_row(s, table);
  std::istringstream in(table.str());
  analysis_csv_reader again(in, "again.csv");
  const csv_read_result back = again.next();
  require(back.what == csv_read_result::kind::sample, "a written row to read back");
  require(back.warnings.empty(), "a written row to read back without a warning");
  require(identical(back.sample, s), "a written row to read back to the same sample");
  require(again.next().what == csv_read_result::kind::end, "one row written, one read");

  std::ostringstream block;
  write_sample_block(s, block);
  std::istringstream blocks(block.str());
  sample_reader file(blocks, "again.in");
  const read_result b = file.next();
  require(b.what == read_result::kind::sample, "a written block to read back");
  const sample_record latin1 = latin1_copy(s, "again.in").s;
  require(b.sample.number == latin1.number && b.sample.location == latin1.location,
          "a written block to keep the texts as Latin-1 holds them");
  if (fits_sample_file(s)) {
    require(same_numbers(b.sample, s), "a written block to read back to the same sample");
  } else {
    // Sixteen columns keep at least nine significant digits, fewer only in the subnormals.
    const std::vector<double> x = given(s), y = given(b.sample);
    for (std::size_t k = 0; k < x.size(); ++k) {
      require(std::fabs(y[k] - x[k]) <= 1e-8 * std::fabs(x[k]) + 1e-300,
              "a written block to read back to nearly the same sample");
    }
  }
}

void read_all(const std::string& bytes) {
  std::istringstream in(bytes);
  // Each rule for values below a detection limit, chosen by the input's length.
  analysis_reading how;
  how.below_detection = static_cast<below_detection_rule>(bytes.size() % 3);
  analysis_csv_reader r(in, "fuzz.csv", how);
  long last_row = 0;
  for (int guard = 0;; ++guard) {
    require(guard <= 200000, "an end to the reading");
    const csv_read_result got = r.next();
    for (const std::string& w : got.warnings) {
      // A row's warning names its row; what is said once for the whole table, at its end, the
      // file alone.
      const bool table_note = got.what != csv_read_result::kind::sample &&
                              got.what != csv_read_result::kind::bad_row &&
                              w.rfind("fuzz.csv: ", 0) == 0;
      require(table_note || w.rfind("fuzz.csv, row ", 0) == 0,
              "warnings that name the file and row");
    }
    require(got.row >= last_row, "rows counted forward");
    last_row = got.row;
    switch (got.what) {
      case csv_read_result::kind::end:
        return;
      case csv_read_result::kind::bad_row:
      case csv_read_result::kind::bad_file:
        require(got.error.rfind("fuzz.csv", 0) == 0, "a message that names the file");
        break;
      case csv_read_result::kind::sample:
        check_sample(got.sample);
        break;
    }
  }
}

}  // namespace
}  // namespace morva

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  morva::read_all(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
