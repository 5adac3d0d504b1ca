// The sample-file reader on arbitrary bytes: every sample it hands out must be usable (texts at
// their lengths, finite numbers, a known type), and every file must end, cleanly or with a
// diagnostic that places the fault within the file.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "morva/sample_file.h"

namespace morva {
namespace {

/// Stops with the broken expectation named when it does not hold.
void require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "morva fuzz: expected %s\n", what);
  std::abort();
}

/// Every number taken from the file is finite. The steam totals derived from the gas data
/// are not looked at: an absurd gas share (1e-320 %) makes them overflow, and the
/// calculation refuses such a sample.
bool finite_record(const sample_record& s) {
  bool ok = std::isfinite(s.pressure_bar_g) && std::isfinite(s.enthalpy) && std::isfinite(s.ph) &&
            std::isfinite(derive(s).ph_t) && std::isfinite(s.tds);
  for (int i = 1; i <= component_vector::size; ++i) ok = ok && std::isfinite(derive(s).water[i]);
  for (int i = 1; i <= gas_vector::size; ++i) ok = ok && std::isfinite(s.gas[i]);
  const collection_data& d = s.collection;
  for (double x : {d.discharge_kg_s, d.t_c, d.condensate_ph, d.condensate_ph_t_c, d.gas_l_per_kg,
                   d.gas_t_c, s.condensate.co2_mgkg, s.condensate.h2s_mgkg, s.condensate.nh3_mgkg,
                   s.condensate.na_mgkg, s.steam.co2_mgkg, s.steam.h2s_mgkg, s.steam.nh3_mgkg})
    ok = ok && std::isfinite(x);
  return ok;
}

void read_all(const std::string& bytes) {
  constexpr long block_lines = 34;
  std::istringstream in(bytes);
  sample_reader f(in, "fuzz.in");
  long samples = 0;
  for (;;) {
    const read_result got = f.next();
    if (got.what == read_result::kind::error) {
      // The fault lies on a data line of the block being read.
      require(got.line > samples * block_lines && got.line <= (samples + 1) * block_lines,
              "a fault placed on a line of the block being read");
      // The stop diagnostic names the reader's file and says what went wrong on that line.
      require(f.name() == "fuzz.in", "a reader that names the file");
      require(got.fault == "read unexpected character" || got.fault == "read error",
              "a diagnostic that says what went wrong");
      return;
    }
    if (got.what == read_result::kind::end) {
      require(!got.dropped || (got.dropped->size() <= 16 && !got.dropped->ends_with(' ')),
              "a dropped sample named by its number without trailing blanks");
      return;
    }
    ++samples;
    const sample_record& s = got.sample;
    require(s.number.size() <= 16 && s.location.size() <= 80, "texts within their lengths");
    require(!s.number.ends_with(' ') && !s.location.ends_with(' '),
            "texts without trailing blanks");
    require(finite_record(s), "finite numbers in the sample");
  }
}

}  // namespace
}  // namespace morva

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  morva::read_all(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
