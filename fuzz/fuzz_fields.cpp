// The keyboard side of the program on arbitrary bytes: the fixed-column fields of every
// dialog answer, the run-setup and calculation-options dialogs and the sample screen on
// arbitrary keystroke streams, the output fields on arbitrary numbers, and the process-step
// writer on arbitrary liquids. The first byte of an input chooses what is exercised; the rest
// is the line, the numbers or the keystrokes.

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>

#include "chemdata/units.h"
#include "driver/dialogs.h"
#include "driver/screen.h"
#include "morva/result.h"
#include "morva/sample.h"
#include "morva/sample_file.h"
#include "morva/tables.h"
#include "text/fields.h"

namespace morva {
namespace {

/// Stops with the broken expectation named when it does not hold.
void require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "morva fuzz: expected %s\n", what);
  std::abort();
}

/// Takes little pieces off the front of the fuzzer's bytes.
class byte_source {
 public:
  explicit byte_source(std::string_view b) : b_(b) {}
  std::uint8_t byte() {
    if (b_.empty()) return 0;
    const auto c = static_cast<std::uint8_t>(b_.front());
    b_.remove_prefix(1);
    return c;
  }
  double real() {
    double x = 0.0;
    char raw[sizeof x] = {};
    for (char& c : raw) c = static_cast<char>(byte());
    std::memcpy(&x, raw, sizeof x);
    return x;
  }
  long integer() {
    unsigned long v = 0;
    for (std::size_t i = 0; i < sizeof v; ++i) v = (v << 8) | byte();
    return static_cast<long>(v);
  }
  std::string_view rest() const { return b_; }

 private:
  std::string_view b_;
};

/// A field text that the C library's decimal conversion reads whole, in the plain form
/// [sign] digits [point digits] [e sign digits]: the field reader must agree with it.
bool plain_decimal(std::string_view f) {
  if (f.empty()) return false;
  for (char c : f) {
    if (std::strchr("0123456789.+-eE", c) == nullptr || c == '\0') return false;
  }
  return true;
}

/// One answer line read with each layout of the dialogs and the sample file.
void read_layouts(const std::string& line) {
  // Fw.0 fields as the dialogs (F8.0, F10.0) and the sample file (F16.0) read them.
  for (int w : {8, 10, 16}) {
    field_reader r(line);
    double x = -7.0;
    if (r.F(w, x)) {
      require(std::isfinite(x), "a finite number from a valid field");
    } else {
      require(x == -7.0, "the number left alone on an input error");
    }
    // Differential check on a plain number that fills the field by itself.
    const std::string f = line.substr(0, static_cast<std::size_t>(w));
    if (line.size() <= static_cast<std::size_t>(w) && plain_decimal(f)) {
      errno = 0;
      char* end = nullptr;
      const double c = std::strtod(f.c_str(), &end);
      const bool whole = end == f.c_str() + f.size();
      if (whole && errno == 0) {
        double y = -7.0;
        require(field_reader(line).F(w, y), "a plain decimal number read");
        require(y == c, "the nearest double of a plain decimal number");
      } else if (whole && errno == ERANGE && std::fabs(c) > 1.0) {
        double y = -7.0;
        require(!field_reader(line).F(w, y) && y == -7.0,
                "an input error beyond the largest double");
      }
    }
  }
  // Iw fields (I3 steps, I5 temperature type).
  for (int w : {3, 5}) {
    int n = -7;
    if (!field_reader(line).I(w, n)) require(n == -7, "the integer left alone on an input error");
    if (line.size() <= static_cast<std::size_t>(w) && !line.empty() &&
        line.find_first_not_of("0123456789", line[0] == '-' || line[0] == '+' ? 1 : 0) ==
            std::string::npos &&
        line.find_first_of("0123456789") != std::string::npos) {
      int m = -7;
      require(field_reader(line).I(w, m), "a plain integer read");
      require(m == std::strtol(line.c_str(), nullptr, 10), "the value of a plain integer");
    }
  }
  // A step answer: I3 followed by ten F8.0.
  {
    field_reader r(line);
    int n = 0;
    double t = 0.0;
    if (r.I(3, n)) {
      for (int i = 0; i < 10 && r.F(8, t); ++i)
        require(std::isfinite(t), "finite step temperatures");
    }
  }
  // A sample-file data line of five F16.0, and the text line A16, A80.
  {
    field_reader r(line);
    double x = 0.0;
    for (int i = 0; i < 5 && r.F(16, x); ++i)
      require(std::isfinite(x), "finite sample-file fields");
    field_reader t(line);
    require(t.A(16).size() == 16 && t.A(80).size() == 80, "text fields at their lengths");
  }
}

/// Output fields keep their width for every value, and a number that is written re-reads
/// as itself to the precision written.
void write_fields(byte_source& in) {
  const double x = in.real();
  const int w = 1 + in.byte() % 40;
  const int d = in.byte() % 12;
  const std::string f = record{}.F(w, d, x).text();
  require(f.size() == static_cast<std::size_t>(w), "an F field of w columns");
  if (std::isfinite(x) && f.find('*') == std::string::npos && std::fabs(x) < 1e300) {
    double y = 0.0;
    require(field_reader(f).F(w, y), "an F field that reads back");
    require(std::fabs(y - x) <= 0.5 * std::pow(10.0, -d) * (1 + 1e-9) + std::fabs(x) * 1e-15,
            "an F field within half a unit of its last decimal");
  }
  const int de = 1 + d % 8;
  const std::string e = record{}.E(w, de, x).text();
  require(e.size() == static_cast<std::size_t>(w), "an E field of w columns");
  if (std::isfinite(x) && e.find('*') == std::string::npos && std::fabs(x) > 1e-290 &&
      std::fabs(x) < 1e300) {
    double y = 0.0;
    require(field_reader(e).F(w, y), "an E field that reads back");
    require(std::fabs(y - x) <= std::fabs(x) * 0.5 * std::pow(10.0, 1 - de) * (1 + 1e-9),
            "an E field within half a unit of its last digit");
  }
  require(record{}.I(w, in.integer()).text().size() == static_cast<std::size_t>(w),
          "an I field of w columns");
  require(record{}.A(w, in.rest()).text().size() == static_cast<std::size_t>(w),
          "an A field of w columns");
}

void run_askme1(std::string_view keys) {
  std::istringstream in{std::string(keys)};
  std::ostringstream term;
  std::string user, heading, samples, report;
  if (askme1(user, heading, samples, report, in, term)) {
    require(user.size() == 20 && heading.size() == 80, "user and heading at their lengths");
    require(samples.size() == 30 && report.size() == 30, "file names at their lengths");
    require(samples.find_first_not_of(' ') != std::string::npos, "a sample-file name");
    require(report.find_first_not_of(' ') != std::string::npos, "a report-file name");
  }
}

void run_askme2(byte_source& in) {
  const sample_type type = in.byte() % 2 == 0 ? sample_type::water : sample_type::two_phase;
  static constexpr double t_collect[] = {0.0, -3.0, 25.0, 97.2, 240.0, 1e300};
  const double t_c = t_collect[in.byte() % 6];
  std::istringstream keys{std::string(in.rest())};
  std::ostringstream term;
  run_options opt;
  opt.t_spring_c = 55.0;  // a type-2 sample keeps what it had
  opt.spring_degas = 0.5;
  if (!askme2(type, t_c, opt, keys, term)) return;
  // The dialog numbers the temperature types 0 to 4 in the order of reference_temperature.
  const int type_number = static_cast<int>(opt.tref_type);
  require(type_number >= 0 && type_number <= 4, "a temperature type of 0 to 4");
  require(std::isfinite(opt.t_typed_c.value_or(0.0)), "a finite typed temperature");
  require(opt.tref_type != reference_temperature::measured || opt.t_typed_c.value_or(0.0) > 0.0 ||
              t_c > 0.0,
          "a measured temperature for type 0");
  if (type == sample_type::two_phase)
    require(opt.t_spring_c == 55.0 && opt.spring_degas == 0.5,
            "spring fields of a steam sample untouched");
  if (type == sample_type::water)
    require(!opt.t_spring_c || (*opt.t_spring_c > 0.0 && std::isfinite(*opt.t_spring_c)),
            "no spring temperature, or one above 0");
  require(opt.spring_degas >= 0.01 && opt.spring_degas <= 1.0,
          "a spring degassing coefficient of 0.01 to 1");
  require(opt.boil_degas >= 0.01 && opt.boil_degas <= 1.0,
          "a boiling degassing coefficient of 0.01 to 1");
  require(opt.boil_c.size() <= 10 && opt.cool_c.size() <= 10, "at most ten steps of each kind");
  for (const std::vector<double>* steps : {&opt.boil_c, &opt.cool_c}) {
    for (const double t : *steps)
      require(t >= 0.0 && t <= 373.85, "step temperatures of liquid water");
  }
}

void run_screen(byte_source& in) {
  // What the reader can hand out: finite numbers, texts at their lengths.
  const auto number = [&in] {
    const double x = in.real();
    return std::isfinite(x) ? x : 0.0;
  };
  sample_record s;
  s.pressure_bar_g = number();
  s.enthalpy = number();
  s.ph = number();
  s.ph_t_c = number();
  for (int i = 1; i <= component_vector::size; ++i) s.water_mgkg[i] = number();
  for (int i = 1; i <= gas_vector::size; ++i) s.gas[i] = number();
  for (double* x :
       {&s.collection.discharge_kg_s, &s.collection.t_c, &s.collection.condensate_ph,
        &s.collection.condensate_ph_t_c, &s.collection.gas_l_per_kg, &s.collection.gas_t_c})
    *x = number();
  s.tds = number();
  std::istringstream keys{std::string(in.rest())};
  std::ostringstream term;
  char choice = '?';
  if (screen(s, choice, keys, term)) {
    // The choice is the first character of the answer line, a blank for an empty line.
    std::string answer(in.rest().substr(0, in.rest().find('\n')));
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    require(choice == (answer.empty() ? ' ' : answer[0]), "the first character as the choice");
  }
  // The screen fits 80 columns.
  std::istringstream shown(term.str());
  for (std::string line; std::getline(shown, line);)
    require(line.size() <= 80, "a screen of 80 columns");
}

/// The process-step writer: a block written from any finite liquid reads back as a water-only
/// sample with the same numbers, to the precision of its 16 columns.
void write_step_block(byte_source& in) {
  const auto finite = [&in] {
    const double x = in.real();
    return std::isfinite(x) ? x : 0.0;
  };
  component_vector liquid;
  for (int i = 1; i <= component_vector::size; ++i) liquid[i] = finite();
  double ah = std::fabs(finite());
  if (!(ah > 0.0)) ah = 1e-7;
  const double tds = finite();
  const double t_c = finite();
  // Texts as the reader hands them out: no line feed inside. (A carriage return that ends
  // the location would end its line and be taken for a CR LF line end.)
  std::string text(in.rest());
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  const std::string number = padded(text, 16);
  const std::string location = padded(text.size() > 16 ? text.substr(16) : "", 80);
  // The step's state as the calculation hands it over: only the liquid is written.
  fluid_state st;
  st.liquid_mgkg = liquid;
  st.ah = ah;
  st.tds_liquid = tds;
  sample_record of;
  of.number = number;
  of.location = location;
  std::ostringstream block;
  pickup(st, t_c, of, block);

  std::istringstream back(block.str());
  sample_reader f(back, "cool.out");
  const read_result got = f.next();
  require(got.what == read_result::kind::sample, "a block that reads back");
  const sample_record& s = got.sample;
  require(derive(s).type == sample_type::water, "a water-only sample");
  require(padded(s.number, 16) == number && padded(s.location, 80) == location,
          "the texts as written");
  const auto near = [](double y, double x) {
    // F16.8, fewer decimals from ten million on, nine digits with an exponent beyond 1e14.
    return std::fabs(y - x) <= 0.5e-8 + std::fabs(x) * 5e-9;
  };
  for (int i = 1; i <= component_vector::size; ++i) {
    require(near(derive(s).water[i] * w(i), liquid[i]), "the liquid composition as written");
  }
  require(near(s.ph, -std::log10(ah)), "the pH as written");
  require(near(s.collection.t_c, t_c) && near(celsius(derive(s).ph_t), t_c),
          "the step temperature as written");
  require(near(s.tds, tds), "the TDS as written");
}

void exercise(std::string_view data) {
  byte_source in(data);
  switch (in.byte() % 6) {
    case 0: {
      std::istringstream lines{std::string(in.rest())};
      std::string line;
      while (read_line(lines, line) == read_status::ok) read_layouts(line);
      break;
    }
    case 1:
      write_fields(in);
      break;
    case 2:
      run_askme1(in.rest());
      break;
    case 3:
      run_askme2(in);
      break;
    case 4:
      run_screen(in);
      break;
    default:
      write_step_block(in);
      break;
  }
}

}  // namespace
}  // namespace morva

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  morva::exercise(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
