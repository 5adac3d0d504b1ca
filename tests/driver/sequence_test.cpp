// End-to-end tests of the calculation of a sample: the program itself runs on composed sample
// files with piped answers, and its report, terminal and process-step files are read back
// field by field.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "chemdata/activity.h"
#include "chemdata/names.h"
#include "derived/minerals.h"
#include "driver/session.h"
#include "geotherm/geothermometers.h"
#include "morva/indexed.h"
#include "morva/sample_file.h"
#include "morva/tables.h"
#include "steam/saturation.h"
#include "text/fields.h"

namespace morva {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double celsius = 273.15;

// ---------------------------------------------------------------------------------------------
// Sample files and keyboard answers

std::string test_data(const std::string& name) {
  std::ifstream f(std::string(MORVA_TEST_DATA) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

/// A water-only hot spring (sample type 1) and a well discharge with separator steam (type 2).
const std::string spring_file = test_data("seq_spring.in");
const std::string well_file = test_data("seq_well.in");

/// One analysis as the sample file holds it (mg/kg, °C, bar-g); 0 is written as a blank field.
struct analysis {
  std::string number = "X-1";
  std::string location = "composed variant";
  double t_c = 0, p_gauge = 0, h = 0, discharge = 0;
  double ph = 7.0, ph_t_c = 20.0, co2 = 0, h2s = 0;
  double nh3 = 0;
  double sio2 = 0, b = 0, al = 0, fe = 0;
  double na = 0, k = 0, mg = 0, ca = 0;
  double f = 0, cl = 0, so4 = 0, tds = 0;
  std::array<double, 7> gas{};
  double l_gas = 0, t_gas = 0;
  std::array<double, 3> steam{};
  double cond_ph = 0, cond_ph_t = 0;
  std::array<double, 4> cond{};
};

std::string block(const analysis& a) {
  std::string text;
  const auto line = [&text](std::string_view s) { text.append(s).append("\n"); };
  const auto data = [&line](std::initializer_list<double> xs) {
    record r;
    for (double x : xs) {
      if (x == 0.0) {
        r.X(16);
      } else {
        r.F(16, 6, x);
      }
    }
    line("");
    line("header");
    line(r.text());
  };
  line("Program MORVA input. Concentrations in mg/kg, unless otherwise specified.");
  line("");
  line("header");
  line(padded(a.number, 16) + a.location);
  data({a.t_c, a.p_gauge, a.h, a.discharge});
  data({a.ph, a.ph_t_c, a.co2, a.h2s});
  data({a.nh3});
  data({a.sio2, a.b, a.al, a.fe});
  data({a.na, a.k, a.mg, a.ca});
  data({a.f, a.cl, a.so4, a.tds});
  data({a.gas[0], a.gas[1], a.gas[2], a.gas[3], a.gas[4]});
  data({a.gas[5], a.gas[6], a.l_gas, a.t_gas});
  data({a.steam[0], a.steam[1], a.steam[2], a.cond_ph, a.cond_ph_t});
  data({a.cond[0], a.cond[1], a.cond[2], a.cond[3]});
  return text;
}

/// A spring water of the kind the refusal cases vary.
analysis spring_like() {
  analysis a;
  a.number = "SPV-1";
  a.t_c = 97.0;
  a.co2 = 10.0, a.h2s = 2.0;
  a.sio2 = 300.0, a.b = 0.8;
  a.na = 180.0, a.k = 11.0, a.mg = 0.01, a.ca = 2.0;
  a.f = 4.0, a.cl = 90.0, a.so4 = 80.0, a.tds = 700.0;
  return a;
}

/// A well discharge with gas, steam and condensate data of the kind the refusal cases vary.
analysis well_like(double sio2, double h, double p_gauge) {
  analysis a;
  a.number = "WLV-1";
  a.p_gauge = p_gauge, a.h = h, a.discharge = 10.0;
  a.ph = 8.5, a.co2 = 20.0, a.h2s = 40.0;
  a.sio2 = sio2, a.b = 3.0;
  a.na = 250.0, a.k = 40.0, a.mg = 0.01, a.ca = 1.0;
  a.f = 1.0, a.cl = 180.0, a.so4 = 40.0, a.tds = 1200.0;
  a.gas = {90.0, 5.0, 0.1, 1.5, 0.02, 0.3, 1.0};
  a.l_gas = 3.0, a.t_gas = 18.0;
  a.steam = {5000.0, 400.0, 3.0};
  a.cond_ph = 4.6, a.cond_ph_t = 21.0;
  a.cond = {95.0, 58.0, 2.9, 0.1};
  return a;
}

const std::string user = "sequence tests";
const std::string heading = "reference states and process steps";
const std::string setup_keys = "\n" + user + "\n" + heading + "\n\n";

/// Answers of the options dialog; a degassing coefficient is answered where it is asked.
struct options {
  std::string type = "0";
  std::string t = "";  // typed temperature, types 0 and 1
  std::string spring = "";
  std::string spring_degas = "";
  std::string boil = "";
  std::string boil_degas = "";
  std::string cool = "";
};

/// The keys that calculate the sample on the screen (sample type 1 water only, 2 with steam).
std::string calculate(int sample_type, const options& o) {
  std::string keys = "\n" + o.type + "\n";
  if (o.type == "0" || o.type == "1") keys += o.t + "\n";
  if (sample_type == 1) {
    keys += o.spring + "\n";
    if (!o.spring.empty()) keys += o.spring_degas + "\n";
  }
  keys += o.boil + "\n";
  if (!o.boil.empty()) keys += o.boil_degas + "\n";
  return keys + o.cool + "\n";
}

const std::string spring_measured = calculate(1, {});

/// What the terminal shows after the n-th options dialog (0-based) up to the next sample.
std::string after_dialog(const std::string& out, int n) {
  std::size_t pos = 0;
  for (int i = 0; i <= n; ++i) {
    pos = out.find(expected::cooling_steps, pos);
    if (pos == std::string::npos) return "<no dialog>";
    pos += expected::cooling_steps.size();
  }
  const std::size_t next = out.find("\n\n\n Sample id.", pos);
  return out.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
}

// ---------------------------------------------------------------------------------------------
// Reading the report against its layouts

/// The fields of one line: numbers of the F and E fields (NaN for asterisks), texts of the A.
struct line_fields {
  std::vector<double> x;
  std::vector<std::string> a;
};

double e_value(const std::string& field) {
  // 0.ddd followed by E and a signed two-digit exponent, or by a signed three-digit one.
  std::size_t e = field.find('E');
  std::size_t exp_at = e + 1;
  if (e == std::string::npos) exp_at = e = field.find_last_of("+-");
  return std::stod(field.substr(0, e)) * std::pow(10.0, std::stoi(field.substr(exp_at)));
}

/// True when a field written as F (blanks, optional minus, digits, point, d decimals) or as
/// E (blanks, optional minus, optional 0, point, d digits, E and a signed two-digit exponent or
/// a signed three-digit exponent) has that shape.
bool number_shape(const std::string& field, char kind, std::size_t d) {
  std::size_t i = field.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  const auto digits = [&](std::size_t n_min, std::size_t n_max) {
    std::size_t n = 0;
    while (i < field.size() && n < n_max && field[i] >= '0' && field[i] <= '9') ++i, ++n;
    return n >= n_min;
  };
  if (field[i] == '-') ++i;
  if (kind == 'F') {
    digits(0, field.size());
  } else if (i < field.size() && field[i] == '0') {
    ++i;
  }
  if (i >= field.size() || field[i] != '.') return false;
  ++i;
  if (!digits(d, d)) return false;
  if (kind == 'F') return i == field.size();
  if (i < field.size() && field[i] == 'E') {
    ++i;
    if (i >= field.size() || (field[i] != '+' && field[i] != '-')) return false;
    ++i;
    return digits(2, 2) && i == field.size();
  }
  if (i >= field.size() || (field[i] != '+' && field[i] != '-')) return false;
  ++i;
  return digits(3, 3) && i == field.size();
}

/// Matches a line against a layout: literal characters stand for themselves, {Fw.d}, {Ew.d}
/// and {Aw} for a field of w columns in that notation.
testing::AssertionResult fits(const std::string& line, std::string_view layout, line_fields& got) {
  const auto fail = [&](const std::string& why) {
    return testing::AssertionFailure()
           << why << "\n layout: [" << layout << "]\n   line: [" << line << "]";
  };
  std::size_t col = 0;
  for (std::size_t i = 0; i < layout.size();) {
    if (layout[i] != '{') {
      if (col >= line.size() || line[col] != layout[i])
        return fail("literal differs at column " + std::to_string(col + 1));
      ++col, ++i;
      continue;
    }
    const std::size_t close = layout.find('}', i);
    const std::string notation(layout.substr(i + 1, close - i - 1));
    i = close + 1;
    const auto width = static_cast<std::size_t>(std::stoi(notation.substr(1)));
    const std::size_t dot = notation.find('.');
    const std::string d = dot == std::string::npos ? "0" : notation.substr(dot + 1);
    if (col + width > line.size())
      return fail("line ends inside a field at column " + std::to_string(col + 1));
    const std::string field = line.substr(col, width);
    col += width;
    if (notation[0] == 'A') {
      got.a.push_back(field);
      continue;
    }
    if (field == std::string(width, '*')) {
      got.x.push_back(nan);
      continue;
    }
    if (!number_shape(field, notation[0], static_cast<std::size_t>(std::stoi(d))))
      return fail("field {" + notation + "} reads [" + field + "]");
    got.x.push_back(notation[0] == 'F' ? std::stod(field) : e_value(field));
  }
  if (col != line.size()) return fail("line is longer than its layout");
  return testing::AssertionSuccess();
}

/// One report page read line by line, each line against the layout the test expects.
class page_reader {
 public:
  explicit page_reader(const std::vector<std::string>& lines) : lines_(lines) {}
  line_fields next(const std::string& layout) {
    line_fields got;
    if (pos_ >= lines_.size()) {
      ADD_FAILURE() << "page ends before [" << layout << "]";
      return got;
    }
    EXPECT_TRUE(fits(lines_[pos_], layout, got)) << "page line " << pos_ + 1;
    ++pos_;
    got.x.resize(std::max<std::size_t>(got.x.size(), 12), nan);
    got.a.resize(std::max<std::size_t>(got.a.size(), 6));
    return got;
  }
  void expect_end() const { EXPECT_EQ(pos_, lines_.size()) << "lines left on the page"; }

 private:
  const std::vector<std::string>& lines_;
  std::size_t pos_ = 0;
};

std::string sp(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
std::string nm(std::string_view name) { return padded(name, 9); }

/// The report split into pages: the lines after each page-separator line (NUL or form feed),
/// with the separator character of each page.
struct report_pages {
  std::vector<char> separator;
  std::vector<std::vector<std::string>> page;
};

report_pages pages_of(const std::string& report) {
  report_pages r;
  std::istringstream in(report);
  for (std::string line; std::getline(in, line);) {
    if (line.size() == 1 && (line[0] == '\0' || line[0] == '\f')) {
      r.separator.push_back(line[0]);
      r.page.emplace_back();
    } else if (r.page.empty()) {
      ADD_FAILURE() << "report line before the first page separator: [" << line << "]";
    } else {
      r.page.back().push_back(line);
    }
  }
  return r;
}

/// What the report says of one solved fluid (the sections shared by all its pages).
struct fluid {
  component_vector liq;
  gas_vector vap;
  std::array<double, 8> p{};  // water vapour, then the seven gases
  double ptotal = nan, tds = nan, y = nan;
  std::string mb_text;
  double ionic = nan, inv_t = nan, cations = nan, anions = nan, diff = nan;
  double t_quartz_c = nan, t_chalcedony_c = nan, t_nak_c = nan;
  double gamma_h = nan;
  double ph = nan;
  species_vector ppm, logm;
  mineral_vector logk, logq;
};

void read_phases(page_reader& r, fluid& f) {
  r.next(sp(5) + "Liquid phase components (mg/kg)" + sp(23) + "Vapor phase (mg/kg)" + sp(8) +
         "Gas pressures (bar-abs.)");
  r.next("");
  struct row {
    const char* solute;
    const char* solute_field;
    const char* gas;
  };
  const row rows[] = {{"B", "{F9.4}", "CO2"}, {"SiO2", "{F9.2}", "H2S"}, {"Na", "{F9.2}", "NH3"},
                      {"K", "{F9.2}", "H2"},  {"Mg", "{F9.3}", "O2"},    {"Ca", "{F9.2}", "CH4"},
                      {"F", "{F9.3}", "N2"}};
  for (int g = 1; g <= 7; ++g) {
    const row& rw = rows[g - 1];
    // The vapour CO2 entry is 3 characters of name and F15.2; both forms are 18 columns.
    const std::string vapour = g == 1 ? std::string("CO2{F15.2}") : nm(rw.gas) + "{F9.2}";
    const line_fields l = r.next(sp(5) + nm(rw.solute) + rw.solute_field + sp(9) + nm(rw.gas) +
                                 "{F9.2}" + sp(9) + vapour + sp(9) + nm(rw.gas) + "{E9.3}");
    f.liq[g + 7] = l.x[0];
    f.liq[g] = l.x[1];
    f.vap[g] = l.x[2];
    f.p[static_cast<std::size_t>(g)] = l.x[3];
  }
  line_fields l = r.next(sp(5) + nm("Cl") + "{F9.2}" + sp(63) + "H2O      {E9.3}");
  f.liq[15] = l.x[0];
  f.p[0] = l.x[1];
  l = r.next(sp(5) + nm("SO4") + "{F9.2}" + sp(63) + "Total    {E9.3}");
  f.liq[16] = l.x[0];
  f.ptotal = l.x[1];
  f.liq[17] = r.next(sp(5) + nm("Al") + "{F9.4}").x[0];
  f.liq[18] = r.next(sp(5) + nm("Fe") + "{F9.4}").x[0];
  l = r.next(sp(5) + nm("TDS") + "{F9.2}" + sp(9) + "Aquifer steam fraction = {F7.4}");
  f.tds = l.x[0];
  f.y = l.x[1];
}

const std::string ion_balance_layout = sp(5) +
                                       "Ionic balance :   Cations (mol.eq.) ={F11.8}    Anions "
                                       "(mol.eq.) ={F11.8}    Difference (%) ={F6.2}";

void read_balance_redox_geothermometers(page_reader& r, fluid& f) {
  f.mb_text = r.next(sp(5) + "{A60}").a[0];
  line_fields l = r.next(sp(5) + "Ionic strength = {F8.5}" + sp(48) + "1000/T (Kelvin) = {F6.2}");
  f.ionic = l.x[0];
  f.inv_t = l.x[1];
  l = r.next(ion_balance_layout);
  f.cations = l.x[0], f.anions = l.x[1], f.diff = l.x[2];
  r.next("");
  r.next(sp(5) + "Oxidation potential (volts) :     Eh H2S={F7.3}   Eh CH4={F7.3}   Eh H2={F7.3}" +
         "   Eh NH3={F7.3}");
  r.next(sp(5) + "{A54}" + sp(5) + "{A54}");
  r.next(sp(5) + "Chemical geothermometers (degrees C)");
  f.t_quartz_c = r.next(sp(5) + "Quartz    {F7.1}   (GRC Bulletin, pp. 3-12, Nov. 1982)").x[0];
  f.t_chalcedony_c =
      r.next(sp(5) + "Chalcedony{F7.1}   (Geothermics, vol. 5, pp. 41-50, 1977)").x[0];
  f.t_nak_c =
      r.next(sp(5) + "Na/K      {F7.1}   (Geochim. Cosmochim. Acta, vol. 47, pp. 567-577, 1983)")
          .x[0];
}

void read_activity_coefficients(page_reader& r, fluid& f) {
  const std::string entry = sp(5) + "{A12}" + sp(9) + "{F9.3}";
  for (int row = 1; row <= 16; ++row) {
    const line_fields l = r.next(entry + entry + entry);
    if (row == 1) {
      EXPECT_EQ(l.a[0], padded("H+", 12));
      f.gamma_h = l.x[0];
    }
  }
}

void read_species(page_reader& r, fluid& f) {
  r.next("");
  f.ph =
      r.next(sp(5) + "Chemical species in water - ppm and log mole" + sp(38) + "Water pH is {F6.3}")
          .x[0];
  const std::string entry = sp(5) + "{A12}{F9.2}{F9.3}";
  for (int i = 1; i <= 23; ++i) {
    const line_fields l = r.next(entry + entry + entry);
    for (int c = 0; c < 3; ++c) {
      const int k = i + 23 * c;
      EXPECT_EQ(l.a[static_cast<std::size_t>(c)], spenam(k)) << "species " << k;
      f.ppm[k] = l.x[static_cast<std::size_t>(2 * c)];
      f.logm[k] = l.x[static_cast<std::size_t>(2 * c + 1)];
    }
  }
}

void read_minerals(page_reader& r, fluid& f) {
  r.next("");
  r.next(sp(5) + "Logarithms of mineral solubility product constants (K) and ion activity " +
         "products (Q) in water");
  const std::string head = sp(20) + "log K     log Q";
  r.next(head + head + head);
  const std::string entry = sp(5) + "{A12}{F9.3}{F9.3}";
  for (int line = 1; line <= 10; ++line) {
    const int n = line == 10 ? 2 : 3;
    std::string layout;
    for (int c = 0; c < n; ++c) layout += entry;
    if (n == 2) layout += sp(5);  // the third entry begins and stops before its name
    const line_fields l = r.next(layout);
    for (int c = 0; c < n; ++c) {
      const int j = 3 * line - 2 + c;
      EXPECT_EQ(l.a[static_cast<std::size_t>(c)], minnam(j)) << "mineral " << j;
      f.logk[j] = l.x[static_cast<std::size_t>(2 * c)];
      f.logq[j] = l.x[static_cast<std::size_t>(2 * c + 1)];
    }
  }
}

/// The sampled-fluid section and its sampling conditions, as the first page of a sample shows.
struct sample_section {
  bool spring = false;
  double t_spring_c = nan, yb = nan, spring_degas = nan;
  double ph = nan, ph_t_c = nan, tref_c = nan;
  std::string t_label, h_label;
  double p_abs = nan, href = nan, discharge = nan, yc = nan, t_measured_c = nan;
  component_vector water;  // mg/kg as printed
  double tds = nan, ionic = nan;
  std::string ph_text1, ph_text2;
};

/// The reference state of one sample: its two pages read against their layouts.
struct reference {
  sample_section s;
  fluid f;
  bool quartz_warning = false;
};

reference read_reference(const std::vector<std::string>& page1,
                         const std::vector<std::string>& page2, const std::string& number,
                         const std::string& location) {
  reference ref;
  sample_section& s = ref.s;
  page_reader r(page1);
  r.next("");
  r.next(sp(5) + "TARVELLE FLUIDS RESEARCH UNIT" + sp(52) + "Program MORVA, version 2.4 / 2010");
  r.next("");
  r.next(sp(5) + padded(user, 20) + sp(10) + padded(heading, 80));
  r.next("");
  r.next(sp(5) + std::string(114, '='));
  r.next("");
  r.next(sp(5) + padded(number, 16) + sp(2) + padded(location, 80));
  s.spring = page1.size() > 8 && !page1[8].empty();
  if (s.spring) {
    s.t_spring_c = r.next(sp(65) + "Steam loss at {F5.1} deg.C assumed, before sampling.").x[0];
    s.yb = r.next(sp(65) + "Steam loss fraction            :{F7.4}").x[0];
    s.spring_degas = r.next(sp(5) + "Water sample (mg/kg)" + sp(10) + "Steam sample" + sp(18) +
                            "Degassing coeff. at sampling   :{F7.4}")
                         .x[0];
  } else {
    r.next("");
    r.next("");
    r.next(sp(5) + "Water sample (mg/kg)" + sp(10) + "Steam sample");
  }
  r.next("");
  line_fields l = r.next(sp(5) + "pH/deg.C" + sp(5) + "{F9.2}/{F5.1}  Gas (volume %)" + sp(16) +
                         "Reference temperature    deg.C :{F7.1}{A14}");
  s.ph = l.x[0], s.ph_t_c = l.x[1], s.tref_c = l.x[2], s.t_label = l.a[0];

  const std::string third = sp(8);
  const auto water = [&](const char* name, const char* field) { return sp(5) + nm(name) + field; };
  const auto col2 = [&](const char* name) { return sp(8) + nm(name) + "{F13.2}"; };
  l = r.next(water("CO2", "{F13.2}") + col2("CO2"));
  s.water[1] = l.x[0];
  l = r.next(water("H2S", "{F13.2}") + col2("H2S") + third +
             "Sampling pressure     bar abs. :{F7.1}");
  s.water[2] = l.x[0], s.p_abs = l.x[2];
  l = r.next(water("NH3", "{F13.2}") + col2("NH3") + third +
             "Discharge enthalpy       kJ/kg :{F7.0}{A14}");
  s.water[3] = l.x[0], s.href = l.x[2], s.h_label = l.a[0];
  l = r.next(water("B", "{F13.4}") + col2("H2") + third + "Discharge                 kg/s :{F7.1}");
  s.water[8] = l.x[0], s.discharge = l.x[2];
  l = r.next(water("SiO2", "{F13.2}") + col2("O2") + third +
             "Steam fraction at collection   :{F7.4}");
  s.water[9] = l.x[0], s.yc = l.x[2];
  s.water[10] = r.next(water("Na", "{F13.2}") + col2("CH4")).x[0];
  l = r.next(water("K", "{F13.2}") + col2("N2") + third + "Measured temperature     deg.C :{F7.1}");
  s.water[11] = l.x[0], s.t_measured_c = l.x[2];
  s.water[12] = r.next(water("Mg", "{F13.3}")).x[0];
  s.water[13] = r.next(water("Ca", "{F13.2}") + sp(8) + "Liters gas per kg" + sp(13)).x[0];
  s.water[14] =
      r.next(water("F", "{F13.3}") + sp(8) + "condensate/deg.C {F5.2}/{F4.1}   Condensate (mg/kg)")
          .x[0];
  s.water[15] = r.next(water("Cl", "{F13.2}") + sp(38) + "pH/deg.C {F13.2}/{F4.1}").x[0];
  s.water[16] = r.next(water("SO4", "{F13.2}") + sp(8) + "Total steam (mg/kg)" + sp(11) +
                       nm("CO2") + "{F13.2}")
                    .x[0];
  s.water[17] = r.next(water("Al", "{F13.4}") + col2("CO2") + col2("H2S")).x[0];
  s.water[18] = r.next(water("Fe", "{F13.4}") + col2("H2S") + col2("NH3")).x[0];
  s.tds = r.next(water("TDS", "{F13.2}") + col2("NH3") + col2("Na")).x[0];
  r.next("");
  l = r.next(sp(5) + "Ionic strength = {F8.5}" + sp(15) + "{A60}");
  s.ionic = l.x[0], s.ph_text1 = l.a[0];
  r.next(ion_balance_layout);
  s.ph_text2 = r.next(sp(5) + "{A60}").a[0];
  r.next("");
  r.next("");

  read_phases(r, ref.f);
  read_balance_redox_geothermometers(r, ref.f);
  ref.quartz_warning = page1.size() == 61;
  if (ref.quartz_warning) {
    r.next("");
    r.next("     *** Quartz geothermometer temperature exceeds 333 degrees C.");
    r.next("     *** Reference temperature set to 333 degrees C.");
  }
  r.expect_end();

  page_reader r2(page2);
  r2.next("");
  r2.next(sp(5) + "Activity coefficients in water" + sp(40) + padded(number, 16));
  read_activity_coefficients(r2, ref.f);
  read_species(r2, ref.f);
  read_minerals(r2, ref.f);
  r2.expect_end();
  return ref;
}

std::string cooled_heading(const std::string& number, const std::string& t) {
  return sp(5) + padded(number, 16) + sp(12) + "Aquifer liquid cooled to" + t +
         " \xB0"
         "C";
}

std::string boiled_heading(const std::string& number, const std::string& t,
                           const std::string& degas) {
  return sp(5) + padded(number, 16) + sp(12) + "Aquifer liquid boiled to" + t +
         " \xB0"
         "C" +
         sp(18) + "Degassing coefficient is" + degas;
}

/// One cooling or boiling step: its two pages, each under the given heading line.
fluid read_step(const std::vector<std::string>& page1, const std::vector<std::string>& page2,
                const std::string& step_heading) {
  fluid f;
  page_reader r(page1);
  r.next(step_heading);
  r.next(sp(5) + std::string(110, '='));
  read_phases(r, f);
  read_balance_redox_geothermometers(r, f);
  r.next("");
  r.next(sp(5) + "Activity coefficients in water");
  r.next("");
  read_activity_coefficients(r, f);
  r.expect_end();
  page_reader r2(page2);
  r2.next(step_heading);
  read_species(r2, f);
  read_minerals(r2, f);
  r2.expect_end();
  return f;
}

// ---------------------------------------------------------------------------------------------
// Independent checks of the printed values

/// Smallest and largest of fn over the interval [lo, hi] sampled at its ends and middle (fn
/// is monotonic there).
template <class Fn>
std::pair<double, double> span(Fn fn, double lo, double hi) {
  const double a = fn(lo), b = fn(hi), c = fn(0.5 * (lo + hi));
  return {std::min({a, b, c}), std::max({a, b, c})};
}

/// A printed value lies within [range] widened by half a unit of its last printed digit.
testing::AssertionResult printed_within(double printed, std::pair<double, double> range,
                                        double half_unit) {
  const double slack = half_unit * 1.0001;
  if (printed >= range.first - slack && printed <= range.second + slack)
    return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << printed << " outside [" << range.first << ", " << range.second << "] +- " << half_unit;
}

/// Molality of species k from its printed mg/kg (F9.2, so +-0.005 mg/kg).
std::pair<double, double> molality_span(const fluid& f, int k) {
  return {(f.ppm[k] - 0.005) / species_weight[k], (f.ppm[k] + 0.005) / species_weight[k]};
}

/// Checks a solved fluid printed at temperature t (K, known to +-t_tol) against formulas
/// applied to its own printed numbers.
void check_fluid(const fluid& f, double t, double t_tol) {
  // The partial pressures add up to the total; each E9.3 value is good to half a unit in its
  // third digit, at most 0.5 % of itself.
  double sum = 0.0, slack = 0.005 * f.ptotal;
  for (double p : f.p) {
    sum += p;
    slack += 0.005 * p;
  }
  EXPECT_NEAR(sum, f.ptotal, slack);

  // 1000/T printed in F6.2.
  EXPECT_TRUE(printed_within(
      f.inv_t, span([](double x) { return 1000.0 / x; }, t - t_tol, t + t_tol), 0.005));

  // Silica geothermometers of the printed H4SiO4, and the Na/K geothermometer of the printed
  // Na+ and K+ with their activity coefficients at the printed ionic strength.
  const auto [si_lo, si_hi] = molality_span(f, sp::h4sio4);
  EXPECT_TRUE(printed_within(f.t_quartz_c,
                             span([](double m) { return hqtz(m) - celsius; }, si_lo, si_hi), 0.05));
  EXPECT_TRUE(printed_within(f.t_chalcedony_c,
                             span([](double m) { return hcha(m) - celsius; }, si_lo, si_hi), 0.05));
  const double g_na = gamma(sp::na, t, f.ionic), g_k = gamma(sp::k, t, f.ionic);
  const auto [na_lo, na_hi] = molality_span(f, sp::na);
  const auto [k_lo, k_hi] = molality_span(f, sp::k);
  // T(Na/K) falls with Na and rises with K; the bisection stops within 0.002 K and the
  // activity coefficients of the rounded T and I differ in the fourth digit, hence 0.01 K more.
  const std::pair<double, double> nak{hnak(na_hi, k_lo, g_na, g_k) - celsius,
                                      hnak(na_lo, k_hi, g_na, g_k) - celsius};
  EXPECT_TRUE(printed_within(f.t_nak_c, nak, 0.06));

  // The activity coefficient of H+ at the printed ionic strength (F8.5) and temperature.
  EXPECT_TRUE(printed_within(
      f.gamma_h, span([&](double i) { return gamma(sp::h, t, i); }, f.ionic - 5e-6, f.ionic + 5e-6),
      0.0005 + 2e-4));

  // pH = -log10(gamma_H m_H): m_H from the printed log molality (+-0.0005), gamma_H (+-0.0005).
  EXPECT_NEAR(f.ph, -(std::log10(f.gamma_h) + f.logm[sp::h]), 0.0005 + 0.0005 + 0.0003 + 1e-9);

  // log K of every mineral at the temperature of the page.
  for (int j = 1; j <= mineral_vector::size; ++j) {
    SCOPED_TRACE(minnam(j));
    EXPECT_TRUE(printed_within(
        f.logk[j], span([j](double x) { return solpro(j, x); }, t - t_tol, t + t_tol), 0.0005));
  }
}

/// The liquid composition (mg/kg) printed for the components 8..18 scales as expected: a solute
/// printed with d decimals is good to half a unit of its last digit.
void expect_solutes_scaled(const component_vector& liq, const component_vector& base, double factor,
                           double factor_tol) {
  const int decimals[] = {4, 2, 2, 2, 3, 2, 3, 2, 2, 4, 4};  // B .. Fe in the phase section
  for (int k = 8; k <= 18; ++k) {
    SCOPED_TRACE(nam(k));
    const double half = 0.5 * std::pow(10.0, -decimals[k - 8]);
    EXPECT_NEAR(liq[k], base[k] * factor, half + base[k] * factor_tol + 1e-9);
  }
}

/// Water analysis of the sample file, mg/kg, in component order.
component_vector spring_water_mgkg() {
  return component_vector({42.0, 3.1, 0.15, 0, 0, 0, 0, 1.10, 280.0, 195.0, 14.5, 0.02, 2.60, 5.10,
                           102.0, 88.0, 0.45, 0.03});
}
component_vector well_water_mgkg() {
  return component_vector({25.0, 45.0, 0.40, 0, 0, 0, 0, 4.20, 640.0, 280.0, 48.0, 0.02, 0.90, 1.20,
                           190.0, 42.0, 1.80, 0.05});
}

/// Steam fraction of the composed well discharge (1250 kJ/kg) boiled to T (K).
double well_steam_fraction(double t) { return (1250.0 - entwat(t)) / entlat(t); }
/// Its separator temperature, K (9 bar-g).
double well_tc() { return tsat(9.0 + 1.01325); }

// ---------------------------------------------------------------------------------------------
// Reference-state report

TEST(ReferenceReport, WaterOnlySpringFollowsTheLayoutsLineByLine) {
  scratch_dir dir;
  dir.write("morva.in", spring_file);
  const session run = run_morva(dir, setup_keys + spring_measured);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(after_dialog(run.out, 0), "");  // nothing between the dialog and the end

  const report_pages rep = pages_of(dir.read("morva.out"));
  ASSERT_EQ(rep.page.size(), 2u);
  EXPECT_EQ(rep.separator, (std::vector<char>{'\0', '\f'}));
  EXPECT_EQ(rep.page[0].size(), 58u);  // sample 34, phases 14, balance and geothermometers 10
  EXPECT_EQ(rep.page[1].size(), 56u);  // heading 2, coefficients 16, species 25, minerals 13
  const reference ref = read_reference(rep.page[0], rep.page[1], "SPR-1",
                                       "Composed hot spring, overflow of the main pool");
  const sample_section& s = ref.s;

  EXPECT_FALSE(s.spring);
  EXPECT_EQ(s.ph, 9.10);
  EXPECT_EQ(s.ph_t_c, 20.0);
  EXPECT_EQ(s.tref_c, 96.0);
  EXPECT_EQ(s.t_label, "  (Measured)  ");
  EXPECT_EQ(s.p_abs, 1.0);
  // No enthalpy measured: the liquid enthalpy at 96 °C stands in.
  EXPECT_EQ(s.h_label, "  (Calculated)");
  EXPECT_NEAR(s.href, entwat(96.0 + celsius), 0.5);
  EXPECT_EQ(s.yc, 0.0);
  EXPECT_EQ(s.t_measured_c, 96.0);
  EXPECT_EQ(s.discharge, 2.0);
  EXPECT_EQ(s.tds, 780.0);
  EXPECT_EQ(s.ph_text1, sp(60));
  EXPECT_EQ(s.ph_text2, sp(60));
  const component_vector water = spring_water_mgkg();
  for (int k : {1, 2, 3, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}) {
    SCOPED_TRACE(nam(k));
    EXPECT_NEAR(s.water[k], water[k], 1e-9);
  }

  // A single liquid at the measured temperature: no steam, the solutes as sampled.
  const fluid& f = ref.f;
  EXPECT_EQ(f.y, 0.0);
  for (int g = 1; g <= 7; ++g) EXPECT_EQ(f.vap[g], 0.0);
  expect_solutes_scaled(f.liq, water, 1.0, 0.0);
  EXPECT_NEAR(f.tds, 780.0, 0.005);
  EXPECT_EQ(f.mb_text, sp(60));
  check_fluid(f, 96.0 + celsius, 0.0);
  // Gases stay in the liquid: the dissolved totals are those of the analysis.
  for (int g : {1, 2, 3}) EXPECT_NEAR(f.liq[g], water[g], 0.005);
}

TEST(ReferenceReport, TwoPhaseWellDischargeFollowsTheLayoutsLineByLine) {
  scratch_dir dir;
  dir.write("morva.in", well_file);
  const session run = run_morva(dir, setup_keys + calculate(2, {.type = "1", .t = "250"}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(after_dialog(run.out, 0), "");

  const report_pages rep = pages_of(dir.read("morva.out"));
  ASSERT_EQ(rep.page.size(), 2u);
  EXPECT_EQ(rep.separator, (std::vector<char>{'\0', '\f'}));
  const reference ref =
      read_reference(rep.page[0], rep.page[1], "WEL-1",
                     "Composed well discharge, weirbox water and separator steam at 9 bar-g");
  const sample_section& s = ref.s;
  const fluid& f = ref.f;

  EXPECT_EQ(s.tref_c, 250.0);
  EXPECT_EQ(s.t_label, "  (Arbitrary) ");
  EXPECT_EQ(s.h_label, "  (Measured)  ");
  EXPECT_EQ(s.href, 1250.0);
  EXPECT_EQ(s.p_abs, 10.0);  // 9 bar-g + 1.013, in F7.1
  EXPECT_EQ(s.t_measured_c, 180.0);

  // Enthalpy balances: steam at the separator and in the aquifer at 250 °C.
  const double yc = well_steam_fraction(well_tc());
  const double ya = well_steam_fraction(250.0 + celsius);
  EXPECT_NEAR(s.yc, yc, 0.00005 + 1e-12);
  EXPECT_NEAR(f.y, ya, 0.00005 + 1e-12);

  // The aquifer liquid holds the solutes of the weirbox water, diluted by the separator steam
  // and concentrated by the aquifer steam.
  expect_solutes_scaled(f.liq, well_water_mgkg(), (1.0 - yc) / (1.0 - ya), 1e-12);
  EXPECT_NEAR(f.tds, 1320.0 * (1.0 - yc) / (1.0 - ya), 0.005 + 1e-9);
  // Steam at 250 °C carries most of the CO2; every gas has its partial pressure.
  EXPECT_GT(f.vap[1], f.liq[1]);
  for (std::size_t g = 0; g < 8; ++g) EXPECT_GT(f.p[g], 0.0) << g;
  check_fluid(f, 250.0 + celsius, 0.0);
}

TEST(ReferenceReport, EveryPageAfterTheFirstOpensWithAFormFeed) {
  scratch_dir dir;
  dir.write("morva.in", spring_file + well_file);
  const session run =
      run_morva(dir, setup_keys + spring_measured + calculate(2, {.type = "1", .t = "250"}));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string report = dir.read("morva.out");
  ASSERT_GE(report.size(), 2u);
  EXPECT_EQ(report.substr(0, 2), std::string("\0\n", 2));  // the very first line: NUL alone
  const report_pages rep = pages_of(report);
  EXPECT_EQ(rep.separator, (std::vector<char>{'\0', '\f', '\f', '\f'}));
  ASSERT_EQ(rep.page.size(), 4u);
  EXPECT_EQ(rep.page[2][7], sp(5) + padded("WEL-1", 16) + sp(2) +
                                padded("Composed well discharge, weirbox water and separator "
                                       "steam at 9 bar-g",
                                       80));
  // NUL and form feed never appear inside a line.
  for (const auto& page : rep.page)
    for (const std::string& line : page)
      EXPECT_EQ(line.find_first_of(std::string("\0\f", 2)), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Reference temperatures and the boiling-spring model

TEST(ReferenceTemperature, MeasuredAndGeothermometerTypesSolveAtTheirOwnTemperature) {
  struct case_ {
    const char* name;
    const std::string& file;
    int sample_type;
    options o;
    const char* label;
  };
  const case_ cases[] = {
      {"chalcedony, boiling spring",
       spring_file,
       1,
       {.type = "2", .spring = "98", .spring_degas = "0.5"},
       "  (Chalcedony)"},
      {"Na/K, spring", spring_file, 1, {.type = "4"}, "  (Na/K)      "},
      {"chalcedony, well", well_file, 2, {.type = "2"}, "  (Chalcedony)"},
      {"quartz, well", well_file, 2, {.type = "3"}, "  (Quartz)    "},
      {"Na/K, well", well_file, 2, {.type = "4"}, "  (Na/K)      "},
  };
  for (const case_& c : cases) {
    SCOPED_TRACE(c.name);
    scratch_dir dir;
    dir.write("morva.in", c.file);
    const session run = run_morva(dir, setup_keys + calculate(c.sample_type, c.o));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(after_dialog(run.out, 0), "");
    const report_pages rep = pages_of(dir.read("morva.out"));
    ASSERT_EQ(rep.page.size(), 2u);
    const bool water_only = c.sample_type == 1;
    const reference ref =
        read_reference(rep.page[0], rep.page[1], water_only ? "SPR-1" : "WEL-1",
                       water_only ? "Composed hot spring, overflow of the main pool"
                                  : "Composed well discharge, weirbox water and separator steam at "
                                    "9 bar-g");
    EXPECT_EQ(ref.s.t_label, c.label);
    const double tref = ref.s.tref_c + celsius;
    check_fluid(ref.f, tref, 0.05);
    // The iteration stops when the geothermometer of the aquifer species reproduces Tref to
    // 0.01 K; both are printed in F7.1.
    const double tol = 0.05 + 0.05 + 0.01;
    if (c.o.type == "0") {
      EXPECT_EQ(ref.s.tref_c, 180.0);
    }
    if (c.o.type == "2") {
      EXPECT_NEAR(ref.f.t_chalcedony_c, ref.s.tref_c, tol);
    }
    if (c.o.type == "4") {
      EXPECT_NEAR(ref.f.t_nak_c, ref.s.tref_c, tol + 0.02);
    }
    if (c.o.type == "3") {
      // Quartz temperature of the discharge from the printed aquifer silica species.
      species_vector m;
      for (int k = 3; k <= 6; ++k) m[k] = ref.f.ppm[k] / species_weight[k];
      const double tq = tqsolv(tsat(9.0 + 1.01325), 640.0 / w(comp::sio2), 1250.0, m);
      EXPECT_NEAR(tq - celsius, ref.s.tref_c, tol + 0.02);
    }
    EXPECT_EQ(ref.s.spring, !c.o.spring.empty());
    if (ref.s.spring) {
      EXPECT_EQ(ref.s.t_spring_c, 98.0);
      EXPECT_EQ(ref.s.spring_degas, 0.5);
      // The spring lost the steam that liquid at Tref forms on boiling to 98 °C, and with it
      // none of its solutes.
      const double tb = 98.0 + celsius;
      const double yb = (entwat(tref) - entwat(tb)) / entlat(tb);
      const double yb_tol = 0.05 * std::abs(entwat(tref + 0.05) - entwat(tref)) / entlat(tb);
      EXPECT_NEAR(ref.s.yb, yb, 0.00005 + yb_tol);
      // The printed yb is that of the last update, 0.01 K away from the one recombined.
      expect_solutes_scaled(ref.f.liq, spring_water_mgkg(), 1.0 - ref.s.yb, 1e-4);
    }
  }
}

TEST(ReferenceTemperature, BoilingSpringAtAnArbitraryTemperatureRecombinesTheLostSteam) {
  scratch_dir dir;
  dir.write("morva.in", spring_file);
  const session run = run_morva(
      dir,
      setup_keys + calculate(1, {.type = "1", .t = "150", .spring = "98", .spring_degas = ""}));
  ASSERT_EQ(run.status, 0) << run.err;
  const report_pages rep = pages_of(dir.read("morva.out"));
  ASSERT_EQ(rep.page.size(), 2u);
  const reference ref = read_reference(rep.page[0], rep.page[1], "SPR-1",
                                       "Composed hot spring, overflow of the main pool");
  ASSERT_TRUE(ref.s.spring);
  EXPECT_EQ(ref.s.tref_c, 150.0);
  EXPECT_EQ(ref.s.spring_degas, 1.0);
  const double tb = 98.0 + celsius;
  const double yb = (entwat(150.0 + celsius) - entwat(tb)) / entlat(tb);
  EXPECT_NEAR(ref.s.yb, yb, 0.00005 + 1e-12);
  expect_solutes_scaled(ref.f.liq, spring_water_mgkg(), 1.0 - yb, 1e-12);
  EXPECT_NEAR(ref.f.tds, 780.0 * (1.0 - yb), 0.005 + 1e-9);
  // The steam put back carried gas: the aquifer liquid holds more CO2 than the spring lost
  // liquid would.
  EXPECT_GT(ref.f.liq[1], 42.0 * (1.0 - yb));
  check_fluid(ref.f, 150.0 + celsius, 0.0);
}

TEST(ReferenceTemperature, ChalcedonyTemperatureIsHeldBelowTheCriticalPoint) {
  analysis a = spring_like();
  a.sio2 = 1500.0;
  scratch_dir dir;
  dir.write("morva.in", block(a));
  const session run = run_morva(dir, setup_keys + calculate(1, {.type = "2"}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(after_dialog(run.out, 0), "");
  const report_pages rep = pages_of(dir.read("morva.out"));
  ASSERT_EQ(rep.page.size(), 2u);
  const reference ref = read_reference(rep.page[0], rep.page[1], a.number, a.location);
  // 647.0 K, and the chalcedony temperature of the solved fluid lies far above it.
  EXPECT_EQ(ref.s.tref_c, 373.9);
  EXPECT_GT(ref.f.t_chalcedony_c, 400.0);
}

TEST(ReferenceTemperature, SilicaRichQuartzWaterIsReportedWithTheQuartzWarning) {
  analysis a = spring_like();
  a.sio2 = 1500.0, a.ph = 6.0, a.p_gauge = 0.0;
  scratch_dir dir;
  dir.write("morva.in", block(a));
  const session run = run_morva(dir, setup_keys + calculate(1, {.type = "3"}));
  ASSERT_EQ(run.status, 0) << run.err;
  const report_pages rep = pages_of(dir.read("morva.out"));
  ASSERT_EQ(rep.page.size(), 2u);
  // The warning closes the first page, after the geothermometer lines.
  ASSERT_EQ(rep.page[0].size(), 61u);
  const reference ref = read_reference(rep.page[0], rep.page[1], a.number, a.location);
  EXPECT_TRUE(ref.quartz_warning);
  EXPECT_EQ(ref.s.t_label, "  (Quartz)    ");
  EXPECT_GT(ref.f.t_quartz_c, 333.0);
  EXPECT_GT(ref.f.t_quartz_c, ref.s.tref_c);
}

TEST(ReferenceTemperature, SeparatorAboveTheReferenceTemperatureRefusesOnlyASteamSample) {
  // The same water with and without its steam data, at 150 °C under a 180 °C separator.
  analysis with_steam = well_like(640.0, 1250.0, 9.0);
  analysis water_only = with_steam;
  water_only.number = "WLV-2";
  water_only.gas = {}, water_only.l_gas = 0.0, water_only.t_gas = 0.0;
  water_only.steam = {}, water_only.cond = {};
  scratch_dir dir;
  dir.write("morva.in", block(with_steam) + block(water_only));
  const session run = run_morva(dir, setup_keys + calculate(2, {.type = "1", .t = "150"}) +
                                         calculate(1, {.type = "1", .t = "150"}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(after_dialog(run.out, 0),
            "\n\n Reference temperature below separator temperature\n Calculation suppressed\n");
  EXPECT_EQ(after_dialog(run.out, 1), "");
  const report_pages rep = pages_of(dir.read("morva.out"));
  ASSERT_EQ(rep.page.size(), 2u);
  const reference ref = read_reference(rep.page[0], rep.page[1], "WLV-2", water_only.location);
  EXPECT_EQ(ref.s.tref_c, 150.0);
  EXPECT_EQ(ref.s.yc, 0.0);
}

// ---------------------------------------------------------------------------------------------
// Refusals

struct refusal {
  const char* name;
  analysis a;
  int sample_type;
  options o;
  std::string terminal;  // what follows the options dialog
};

std::vector<refusal> refusals() {
  const std::string deg =
      "\xB0"
      "C";
  const std::string suppressed = " Calculation suppressed\n";
  std::vector<refusal> r;
  const auto spring_with = [](auto change) {
    analysis a = spring_like();
    change(a);
    return a;
  };
  // Refusals of the reference conditions.
  r.push_back(
      {"no silica, chalcedony",
       spring_with([](analysis& a) { a.sio2 = 0.0; }),
       1,
       {.type = "2"},
       "\n\n SiO2 is zero. Cannot compute chalcedony temperature.\n Calculation suppressed.\n"});
  r.push_back(
      {"no silica, quartz",
       spring_with([](analysis& a) { a.sio2 = 0.0; }),
       1,
       {.type = "3"},
       "\n\n SiO2 is zero. Cannot compute quartz temperature.\n Calculation suppressed.\n"});
  r.push_back({"no K and no Na",
               spring_with([](analysis& a) { a.na = 0.0, a.k = 0.0; }),
               1,
               {.type = "4"},
               "\n\n K is zero. Cannot compute Na-K temperature.\n Calculation suppressed.\n"});
  r.push_back({"no Na",
               spring_with([](analysis& a) { a.na = 0.0; }),
               1,
               {.type = "4"},
               "\n\n Na is zero. Cannot compute Na-K temperature.\n Calculation suppressed.\n"});
  r.push_back({"Na/K estimate too hot",
               spring_with([](analysis& a) { a.na = 100.0, a.k = 100.0; }),
               1,
               {.type = "4"},
               "\n\n Na-K temperature exceeds 350 " + deg + ".\n Calculation suppressed.\n"});
  r.push_back({"Na/K estimate too cold",
               spring_with([](analysis& a) { a.na = 700.0, a.k = 0.9; }),
               1,
               {.type = "4"},
               "\n\n Na-K temperature below 0 " + deg + ".\n Calculation suppressed.\n"});
  r.push_back(
      {"spring boils above Tref",
       spring_like(),
       1,
       {.spring = "99"},
       "\n\n\n Steam separation temperature higher than reference temperature\n" + suppressed});
  r.push_back({"spring of two-phase fluid",
               spring_with([](analysis& a) { a.h = 600.0; }),
               1,
               {.type = "1", .t = "120", .spring = "98"},
               "\n\n\n Fluid is two phase at reference temperature\n" + suppressed});
  r.push_back({"pressure off the steam table",
               spring_with([](analysis& a) { a.p_gauge = 250.0; }),
               1,
               {},
               "\n\n Collection pressure outside the range of the steam table.\n Calculation "
               "suppressed.\n"});
  r.push_back({"reference temperature below 0 C",
               spring_like(),
               1,
               {.type = "1", .t = "-5"},
               "\n\n Reference temperature below 0 " + deg + ".\n Calculation suppressed.\n"});
  r.push_back({"aquifer all steam",
               well_like(640.0, 2900.0, 9.0),
               2,
               {.type = "1", .t = "250"},
               "\n\n Enthalpy above that of saturated steam at reference temperature.\n "
               "Calculation suppressed.\n"});
  r.push_back({"separator all steam",
               well_like(640.0, 2780.0, 0.0),
               2,
               {.type = "1", .t = "230"},
               "\n\n Enthalpy above that of saturated steam at separator temperature.\n "
               "Calculation suppressed.\n"});
  // Refusals of the aquifer calculation.
  r.push_back({"measured Tref below separator",
               well_like(640.0, 1250.0, 9.0),
               2,
               {.type = "1", .t = "150"},
               "\n\n Reference temperature below separator temperature\n" + suppressed});
  r.push_back({"chalcedony converges below separator",
               well_like(150.0, 1185.0, 8.5),
               2,
               {.type = "2"},
               "\n\n Reference temperature below separator temperature\n" + suppressed});
  // Without a measured enthalpy the aquifer below the separator forms no separator steam
  // (rather than a negative amount of it).
  r.push_back({"chalcedony below separator, enthalpy not measured",
               well_like(150.0, 0.0, 8.5),
               2,
               {.type = "2"},
               "\n\n Reference temperature below separator temperature\n" + suppressed});
  r.push_back({"chalcedony swings below separator after pass 20",
               well_like(400.0, 2780.0, 30.0),
               2,
               {.type = "2"},
               "\n\n Reference temperature below separator temperature\n" + suppressed});
  r.push_back({"Na/K of the aquifer species too hot",
               spring_with([](analysis& a) {
                 a.na = 100.0, a.k = 39.5, a.cl = 3000.0, a.so4 = 50.0, a.sio2 = 900.0, a.ph = 9.0;
               }),
               1,
               {.type = "4"},
               "\n\n Na-K temperature exceeds 350 " + deg + "\n" + suppressed});
  r.push_back({"Na/K of the aquifer species too cold",
               spring_with([](analysis& a) {
                 a.na = 1000.0, a.k = 2.21, a.cl = 100.0, a.so4 = 4000.0, a.sio2 = 10.0, a.ph = 4.0;
               }),
               1,
               {.type = "4"},
               "\n\n Na-K temperature below 0 " + deg + "\n" + suppressed});
  r.push_back(
      {"chalcedony of the aquifer species below 0 C",
       spring_with([](analysis& a) { a.sio2 = 9.0, a.ph = 9.5, a.co2 = 40.0, a.na = 180.0; }),
       1,
       {.type = "2"},
       "\n\n Geothermometer temperature below 0 " + deg + "\n" + suppressed});
  r.push_back(
      {"aquifer colder than the boiling spring",
       spring_with([](analysis& a) { a.sio2 = 100.0, a.ph = 9.8; }),
       1,
       {.type = "2", .spring = "95"},
       "\n\n Steam separation temperature higher than reference temperature\n" + suppressed});
  r.push_back({"aquifer steam fraction reaches 1",
               well_like(300.0, 2780.0, 20.0),
               2,
               {.type = "2"},
               "\n\n Enthalpy above that of saturated steam\n" + suppressed});
  return r;
}

TEST(Refusals, EachWritesItsTerminalLinesAndLeavesNothingInTheReport) {
  for (const refusal& c : refusals()) {
    SCOPED_TRACE(c.name);
    scratch_dir dir;
    // The refused sample, then a good one: the run goes on, and the report holds the second
    // sample alone, opened by the NUL line.
    dir.write("morva.in", block(c.a) + spring_file);
    const session run =
        run_morva(dir, setup_keys + calculate(c.sample_type, c.o) + spring_measured);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(after_dialog(run.out, 0), c.terminal);
    EXPECT_EQ(after_dialog(run.out, 1), "");
    const std::string report = dir.read("morva.out");
    EXPECT_EQ(report.find(c.a.number), std::string::npos);
    const report_pages rep = pages_of(report);
    ASSERT_EQ(rep.page.size(), 2u);
    EXPECT_EQ(rep.separator, (std::vector<char>{'\0', '\f'}));
    EXPECT_EQ(rep.page[0][7].substr(0, 10), sp(5) + "SPR-1");
  }
}

TEST(Refusals, ARunOfRefusedSamplesLeavesAnOldReportUntouched) {
  analysis a = spring_like();
  a.sio2 = 0.0;
  scratch_dir dir;
  dir.write("morva.in", block(a) + block(a));
  dir.write("morva.out", "an old report\n");
  const session run =
      run_morva(dir, setup_keys + calculate(1, {.type = "2"}) + calculate(1, {.type = "3"}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dir.read("morva.out"), "an old report\n");
}

// ---------------------------------------------------------------------------------------------
// Cooling and boiling steps, process-step files

/// Reads every sample block of a process-step file.
std::vector<sample_record> samples_in(const std::string& text) {
  std::istringstream in(text);
  sample_reader f(in, "step file");
  std::vector<sample_record> all;
  for (;;) {
    const read_result got = f.next();
    EXPECT_NE(got.what, read_result::kind::error) << got.fault;
    EXPECT_EQ(got.dropped.value_or(""), "");
    if (got.what != read_result::kind::sample) break;
    all.push_back(got.sample);
  }
  return all;
}

/// A process-step block holds the liquid of the step: its pH and composition agree with what
/// the report printed for the step, to the printed digits.
void expect_block_of_step(const sample_record& s, const fluid& f, double t_c,
                          const std::string& number) {
  const sample_totals tot = derive(s);
  EXPECT_EQ(padded(s.number, 16), padded(number, 16));
  EXPECT_EQ(tot.type, sample_type::water);
  EXPECT_EQ(s.collection.t_c, t_c);
  EXPECT_NEAR(tot.ph_t, t_c + celsius, 1e-9);
  EXPECT_EQ(s.pressure_bar_g, 0.0);
  EXPECT_EQ(s.enthalpy, 0.0);
  for (int k = 1; k <= component_vector::size; ++k) EXPECT_EQ(tot.steam[k], 0.0);
  EXPECT_NEAR(s.ph, f.ph, 0.0005 + 1e-9);
  const int decimals[] = {2, 2, 2, 2, 2, 2, 2, 4, 2, 2, 2, 3, 2, 3, 2, 2, 4, 4};
  for (int k = 1; k <= component_vector::size; ++k) {
    SCOPED_TRACE(nam(k));
    EXPECT_NEAR(tot.water[k] * w(k), f.liq[k], 0.5 * std::pow(10.0, -decimals[k - 1]) + 1e-6);
  }
  EXPECT_NEAR(s.tds, f.tds, 0.005 + 1e-6);
}

TEST(ProcessSteps, CoolingThenBoilingPagesInOrderWithTheirFiles) {
  scratch_dir dir;
  dir.write("morva.in", well_file);
  const session run = run_morva(dir, setup_keys + calculate(2, {.type = "1",
                                                                .t = "250",
                                                                .boil = "1,100",
                                                                .boil_degas = "0.5",
                                                                .cool = "2,200,150"}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(after_dialog(run.out, 0), "");

  const report_pages rep = pages_of(dir.read("morva.out"));
  ASSERT_EQ(rep.page.size(), 8u);  // reference state, cooling 1 and 2, boiling 1: two pages each
  EXPECT_EQ(rep.separator, (std::vector<char>{'\0', '\f', '\f', '\f', '\f', '\f', '\f', '\f'}));
  const std::string location =
      "Composed well discharge, weirbox water and separator steam at 9 bar-g";
  const reference ref = read_reference(rep.page[0], rep.page[1], "WEL-1", location);
  const fluid cool1 = read_step(rep.page[2], rep.page[3], cooled_heading("WEL-1", " 200.0"));
  const fluid cool2 = read_step(rep.page[4], rep.page[5], cooled_heading("WEL-1", " 150.0"));
  const fluid boil1 =
      read_step(rep.page[6], rep.page[7], boiled_heading("WEL-1", " 100.0", " 0.5000"));
  for (std::size_t p = 2; p < 8; ++p) EXPECT_EQ(rep.page[p].size(), p % 2 == 0 ? 45u : 39u);

  // Cooling keeps the whole discharge in the liquid: the solutes of the weirbox water diluted
  // by the separator steam, and every gas, dissolved and in the aquifer steam, in the water.
  const double yc = well_steam_fraction(well_tc());
  const double ya = well_steam_fraction(250.0 + celsius);
  for (const fluid* c : {&cool1, &cool2}) {
    EXPECT_EQ(c->y, 0.0);
    for (int g = 1; g <= 7; ++g) EXPECT_EQ(c->vap[g], 0.0);
    expect_solutes_scaled(c->liq, well_water_mgkg(), 1.0 - yc, 1e-12);
    for (int g = 1; g <= 3; ++g) {
      SCOPED_TRACE(nam(g));
      // Each printed value is good to 0.005 mg/kg; the gas distribution closes to 1e-3.
      const double total = (1.0 - ya) * ref.f.liq[g] + ya * ref.f.vap[g];
      EXPECT_NEAR(c->liq[g], total, 0.01 + 1e-3 * total);
    }
  }
  check_fluid(cool1, 200.0 + celsius, 0.0);
  check_fluid(cool2, 150.0 + celsius, 0.0);

  // Boiling from the reference enthalpy to 100 °C in one stage.
  const double y = well_steam_fraction(100.0 + celsius);
  EXPECT_NEAR(boil1.y, y, 0.00005 + 1e-12);
  expect_solutes_scaled(boil1.liq, well_water_mgkg(), (1.0 - yc) / (1.0 - y), 1e-12);
  EXPECT_GT(boil1.vap[1], 0.0);
  check_fluid(boil1, 100.0 + celsius, 0.0);

  // The files hold the last cooling step and the last boiling step.
  const std::vector<sample_record> cooled = samples_in(dir.read("cool.out"));
  ASSERT_EQ(cooled.size(), 1u);
  expect_block_of_step(cooled[0], cool2, 150.0, "WEL-1");
  EXPECT_EQ(padded(cooled[0].location, 80), padded(location, 80));
  const std::vector<sample_record> boiled = samples_in(dir.read("boil.out"));
  ASSERT_EQ(boiled.size(), 1u);
  expect_block_of_step(boiled[0], boil1, 100.0, "WEL-1");
}

TEST(ProcessSteps, BoilingAboveTheReferenceTemperatureFormsNoSteam) {
  scratch_dir dir;
  dir.write("morva.in", spring_file);
  const session run =
      run_morva(dir, setup_keys + calculate(1, {.boil = "1,120", .boil_degas = "0.25"}));
  ASSERT_EQ(run.status, 0) << run.err;
  const report_pages rep = pages_of(dir.read("morva.out"));
  ASSERT_EQ(rep.page.size(), 4u);
  const reference ref = read_reference(rep.page[0], rep.page[1], "SPR-1",
                                       "Composed hot spring, overflow of the main pool");
  const fluid boil =
      read_step(rep.page[2], rep.page[3], boiled_heading("SPR-1", " 120.0", " 0.2500"));
  EXPECT_EQ(boil.y, 0.0);
  for (int g = 1; g <= 7; ++g) EXPECT_EQ(boil.vap[g], 0.0);
  for (int k = 1; k <= component_vector::size; ++k) EXPECT_EQ(boil.liq[k], ref.f.liq[k]) << k;
  check_fluid(boil, 120.0 + celsius, 0.0);
  EXPECT_FALSE(dir.exists("cool.out"));
  ASSERT_EQ(samples_in(dir.read("boil.out")).size(), 1u);
}

TEST(ProcessSteps, ABoilingStepThatWouldLeaveNoLiquidIsSkipped) {
  // 2600 kJ/kg lies above the enthalpy of saturated steam at 20 °C, below it at 150 °C.
  const analysis a = well_like(640.0, 2600.0, 9.0);
  scratch_dir dir;
  dir.write("morva.in", block(a) + block(a));
  const session run =
      run_morva(dir, setup_keys + calculate(2, {.type = "1", .t = "250", .boil = "2,20,150"}) +
                         calculate(2, {.type = "1", .t = "250", .boil = "1,20"}));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string skipped =
      "\n Boiling to  20.0 \xB0"
      "C leaves no liquid water. Step skipped.\n";
  EXPECT_EQ(after_dialog(run.out, 0), skipped);
  EXPECT_EQ(after_dialog(run.out, 1), skipped);

  const report_pages rep = pages_of(dir.read("morva.out"));
  // First sample: reference state and the step at 150 °C; second: the reference state alone.
  ASSERT_EQ(rep.page.size(), 6u);
  const fluid boil =
      read_step(rep.page[2], rep.page[3], boiled_heading(a.number, " 150.0", " 1.0000"));
  const double y = (2600.0 - entwat(150.0 + celsius)) / entlat(150.0 + celsius);
  EXPECT_NEAR(boil.y, y, 0.00005 + 1e-12);
  EXPECT_EQ(rep.page[4][1],
            sp(5) + "TARVELLE FLUIDS RESEARCH UNIT" + sp(52) + "Program MORVA, version 2.4 / 2010");
  // Only the step that was calculated reaches the boiling file.
  const std::vector<sample_record> boiled = samples_in(dir.read("boil.out"));
  ASSERT_EQ(boiled.size(), 1u);
  expect_block_of_step(boiled[0], boil, 150.0, a.number);
}

TEST(ProcessStepFiles, TwoSamplesWithBoilingStepsLeaveTwoBlocksInOrder) {
  scratch_dir dir;
  dir.write("morva.in", spring_file + well_file);
  const session run =
      run_morva(dir, setup_keys + calculate(1, {.boil = "2,90,80"}) +
                         calculate(2, {.type = "1", .t = "250", .boil = "1,120", .cool = "1,60"}));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<sample_record> boiled = samples_in(dir.read("boil.out"));
  ASSERT_EQ(boiled.size(), 2u);
  EXPECT_EQ(padded(boiled[0].number, 16), padded("SPR-1", 16));
  EXPECT_EQ(boiled[0].collection.t_c, 80.0);
  EXPECT_EQ(padded(boiled[1].number, 16), padded("WEL-1", 16));
  EXPECT_EQ(boiled[1].collection.t_c, 120.0);
  const std::vector<sample_record> cooled = samples_in(dir.read("cool.out"));
  ASSERT_EQ(cooled.size(), 1u);
  EXPECT_EQ(padded(cooled[0].number, 16), padded("WEL-1", 16));
  // Pages: spring reference and two boiling steps, well reference, its cooling and boiling.
  EXPECT_EQ(pages_of(dir.read("morva.out")).page.size(), 2u + 4u + 2u + 4u);
}

TEST(ProcessStepFiles, ARunWithoutStepsLeavesOldFilesUntouched) {
  scratch_dir dir;
  dir.write("morva.in", spring_file + well_file);
  dir.write("cool.out", "an old cooled fluid\n");
  dir.write("boil.out", "an old boiled fluid\n");
  const session run =
      run_morva(dir, setup_keys + spring_measured + calculate(2, {.type = "1", .t = "250"}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dir.read("cool.out"), "an old cooled fluid\n");
  EXPECT_EQ(dir.read("boil.out"), "an old boiled fluid\n");
  EXPECT_EQ(pages_of(dir.read("morva.out")).page.size(), 4u);
}

TEST(ProcessStepFiles, ACooledLiquidCalculatedAgainReproducesItself) {
  // The liquid of a cooling step, read back as a sample and calculated at its own measured
  // temperature, shows the pH and composition written for it.
  scratch_dir first;
  first.write("morva.in", well_file);
  const session run1 =
      run_morva(first, setup_keys + calculate(2, {.type = "1", .t = "250", .cool = "1,150"}));
  ASSERT_EQ(run1.status, 0) << run1.err;
  const std::string cooled = first.read("cool.out");
  const std::vector<sample_record> written = samples_in(cooled);
  ASSERT_EQ(written.size(), 1u);

  scratch_dir second;
  second.write("morva.in", cooled);
  const session run2 = run_morva(second, setup_keys + spring_measured);
  ASSERT_EQ(run2.status, 0) << run2.err;
  EXPECT_EQ(after_dialog(run2.out, 0), "");
  const report_pages rep = pages_of(second.read("morva.out"));
  ASSERT_EQ(rep.page.size(), 2u);
  const reference again =
      read_reference(rep.page[0], rep.page[1], "WEL-1",
                     "Composed well discharge, weirbox water and separator steam at 9 bar-g");
  EXPECT_EQ(again.s.tref_c, 150.0);
  EXPECT_EQ(again.s.t_label, "  (Measured)  ");
  expect_block_of_step(written[0], again.f, 150.0, "WEL-1");
  check_fluid(again.f, 150.0 + celsius, 0.0);
}

}  // namespace
}  // namespace morva
