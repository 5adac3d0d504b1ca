#include "robust/water_generator.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "chemdata/units.h"
#include "geotherm/geothermometers.h"
#include "morva/indexed.h"
#include "morva/tables.h"
#include "steam/saturation.h"
#include "text/fields.h"

namespace morva {

namespace {

// ---------------------------------------------------------------------------------------------
/// A number in a 16-column field with enough decimals for trace amounts; blank for 0, so that
/// it reads back as "not analysed".
void field(record& r, double x) {
  if (x == 0.0) {
    r.X(16);
  } else {
    r.F(16, std::abs(x) < 1e6 ? 6 : 4, x);
  }
}

// ---------------------------------------------------------------------------------------------
// Keyboard answers. A number is typed the way a user types it: no leading blanks (a blank
// would use up a column of its field), the value then being whatever the text says.

std::string trimmed(const std::string& s) {
  const std::size_t first = s.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : s.substr(first);
}

/// The number x typed with d decimals; x is replaced by the value the text stands for.
std::string typed(double& x, int d) {
  const std::string t = trimmed(record{}.F(20, d, x).text());
  x = std::strtod(t.c_str(), nullptr);
  return t;
}

/// A steps answer: "n,t1,t2,..." with the temperatures rounded to 0.1 °C.
std::string steps_answer(int n, std::array<double, 10>& t_c) {
  std::string s = std::to_string(n);
  for (int i = 0; i < n; ++i) {
    s += ',';
    s += typed(t_c[static_cast<std::size_t>(i)], 1);
  }
  return s;
}

// ---------------------------------------------------------------------------------------------
// Chemistry used to make the analyses plausible (not the program's own solver).

constexpr double t0 = zero_celsius_k;

/// log10 of the Na/K molal ratio of a water in equilibrium with the alkali feldspars at T (K).
double log_na_k(double t) {
  return -1.782 - 2775.5 / t + 558780.0 / (t * t) - 0.00969 * t + 4.104 * std::log10(t);
}

/// Silica of a water saturated with quartz (above 110 °C) or chalcedony, mg/kg, at T (°C).
double silica_mgkg(double t_c) {
  const double t = t_c + t0;
  if (t_c > 110.0) return quasol(t) * w(comp::sio2);
  return std::pow(10.0, 4.69 - 1032.0 / t);
}

/// Share of a diprotic acid's total present as the singly (a1) and doubly (a2) charged base
/// at the given pH, from its two pK values.
void acid_shares(double ph, double pk1, double pk2, double& a1, double& a2) {
  const double h = std::pow(10.0, -ph);
  const double k1 = std::pow(10.0, -pk1);
  const double k2 = std::pow(10.0, -pk2);
  const double d = h * h + h * k1 + k1 * k2;
  a1 = h * k1 / d;
  a2 = k1 * k2 / d;
}

/// Charge-balances the water of analysis a at its pH: the cations (Na, K from the Na/K ratio of
/// the aquifer temperature t_aq_c, Ca, Mg and for acid waters Al and Fe) are made to match the
/// anions, with a small random imbalance. share_alkali: equivalent share of Na + K.
void balance_cations(water_analysis& a, water_generator& g, double t_aq_c, double share_alkali,
                     double share_mg, double share_metals) {
  using namespace comp;
  component_vector& c = a.c;
  double a1 = 0, a2 = 0;
  // Anion equivalents, eq/kg, at the pH of the water.
  double anions = c[cl] / w(cl) + 2.0 * c[so4] / w(so4) + c[f] / w(f);
  acid_shares(a.ph, 6.35, 10.33, a1, a2);
  anions += c[co2] / w(co2) * (a1 + 2.0 * a2);
  acid_shares(a.ph, 7.0, 17.0, a1, a2);
  anions += c[h2s] / w(h2s) * a1;
  acid_shares(a.ph, 9.8, 13.1, a1, a2);
  anions += c[sio2] / w(sio2) * (a1 + 2.0 * a2);
  acid_shares(a.ph, 9.2, 30.0, a1, a2);
  anions += c[b] / w(b) * a1;
  const double h_free = std::pow(10.0, -a.ph);
  const double oh_free = std::pow(10.0, a.ph - 14.0);
  // Some cations are always there; in a strong acid the protons carry most of the balance and
  // sulfate makes up what the rest of the anions lack.
  const double floor = g.log_uniform(2e-4, 2e-3);
  double cations = anions - h_free + oh_free;
  if (cations < floor) {
    c[so4] += (floor - cations) / 2.0 * w(so4);
    cations = floor;
  }
  cations *= 1.0 + g.uniform(-0.05, 0.05);  // analyses are rarely balanced to better than 5 %

  const double alkali = share_alkali * cations;
  const double ratio = std::pow(10.0, log_na_k(t_aq_c + t0) + g.uniform(-0.15, 0.15));
  const double k_mol = alkali / (1.0 + ratio);
  c[k] = k_mol * w(k);
  c[na] = ratio * k_mol * w(na);
  const double metals = share_metals * cations;
  c[al] += 0.6 * metals / 3.0 * w(al);
  c[fe] += 0.4 * metals / 2.0 * w(fe);
  const double earth = std::max(0.0, cations - alkali - metals);
  c[mg] = share_mg * earth / 2.0 * w(mg);
  c[ca] = (1.0 - share_mg) * earth / 2.0 * w(ca);
}

/// Total dissolved solids of the water, mg/kg, as an analyst would report it.
double tds_of(const water_analysis& a, water_generator& g) {
  using namespace comp;
  double sum = 0.0;
  for (int i : {b, sio2, na, k, mg, ca, f, cl, so4, al, fe}) sum += a.c[i];
  sum += 1.2 * a.c[co2];  // carbonate weighed as its anions
  return sum * (1.0 + g.uniform(-0.1, 0.1));
}

// ---------------------------------------------------------------------------------------------
// Kinds of water.

enum class water_kind { hot_spring, warm_spring, acid_sulphate, cold, alkaline, deep_water, well };

const char* kind_name(water_kind k) {
  switch (k) {
    case water_kind::hot_spring:
      return "hot chloride spring";
    case water_kind::warm_spring:
      return "warm bicarbonate spring";
    case water_kind::acid_sulphate:
      return "acid-sulphate spring";
    case water_kind::cold:
      return "cold groundwater";
    case water_kind::alkaline:
      return "alkaline spring";
    case water_kind::deep_water:
      return "deep hot water";
    case water_kind::well:
      return "two-phase well discharge";
  }
  return "";
}

/// The trace gases dissolved in a water: mostly not analysed.
void dissolved_gases(water_analysis& a, water_generator& g, bool cold) {
  using namespace comp;
  if (g.chance(0.5)) return;
  if (cold) {
    a.c[o2] = g.uniform(0.5, 11.0);
    a.c[n2] = g.uniform(8.0, 22.0);
  } else {
    a.c[h2] = g.chance(0.5) ? g.log_uniform(0.001, 0.5) : 0.0;
    a.c[ch4] = g.chance(0.5) ? g.log_uniform(0.001, 2.0) : 0.0;
    a.c[n2] = g.chance(0.5) ? g.log_uniform(0.1, 15.0) : 0.0;
    a.c[o2] = g.chance(0.1) ? g.log_uniform(0.001, 0.5) : 0.0;
  }
}

/// A water-only spring or groundwater analysis built for aquifer temperature t_aq (°C).
water_analysis spring_water(water_kind kind, water_generator& g, double& t_aq) {
  using namespace comp;
  water_analysis a;
  component_vector& c = a.c;
  double share_alkali = 0.9, share_mg = 0.05, share_metals = 0.0;
  switch (kind) {
    case water_kind::hot_spring:
      t_aq = g.uniform(100.0, 300.0);
      a.t_c = g.uniform(40.0, 100.0);
      a.ph = g.uniform(6.5, 9.8);
      c[cl] = g.log_uniform(20.0, 3000.0);
      c[so4] = g.log_uniform(10.0, 500.0);
      c[co2] = g.log_uniform(5.0, 500.0);
      c[h2s] = g.chance(0.7) ? g.log_uniform(0.1, 30.0) : 0.0;
      c[b] = g.log_uniform(0.1, 40.0);
      c[f] = g.log_uniform(0.1, 15.0);
      c[al] = g.log_uniform(0.01, 2.0);
      c[fe] = g.chance(0.6) ? g.log_uniform(0.002, 0.5) : 0.0;
      c[nh3] = g.chance(0.6) ? g.log_uniform(0.01, 5.0) : 0.0;
      share_alkali = g.uniform(0.85, 0.99);
      share_mg = g.uniform(0.0, 0.1);
      break;
    case water_kind::warm_spring:
      t_aq = g.uniform(30.0, 130.0);
      a.t_c = g.uniform(15.0, std::min(t_aq, 70.0));
      a.ph = g.uniform(6.0, 8.5);
      c[cl] = g.log_uniform(2.0, 300.0);
      c[so4] = g.log_uniform(2.0, 300.0);
      c[co2] = g.log_uniform(50.0, 2000.0);
      c[h2s] = g.chance(0.3) ? g.log_uniform(0.05, 5.0) : 0.0;
      c[b] = g.chance(0.7) ? g.log_uniform(0.01, 2.0) : 0.0;
      c[f] = g.log_uniform(0.05, 5.0);
      c[al] = g.chance(0.5) ? g.log_uniform(0.001, 0.2) : 0.0;
      c[fe] = g.chance(0.7) ? g.log_uniform(0.005, 2.0) : 0.0;
      share_alkali = g.uniform(0.2, 0.8);
      share_mg = g.uniform(0.1, 0.5);
      break;
    case water_kind::acid_sulphate:
      t_aq = g.uniform(80.0, 250.0);
      a.t_c = g.uniform(20.0, 99.0);
      a.ph = g.uniform(2.0, 4.5);
      c[cl] = g.log_uniform(1.0, 50.0);
      c[so4] = g.log_uniform(200.0, 5000.0);
      c[co2] = g.chance(0.5) ? g.log_uniform(1.0, 50.0) : 0.0;
      c[h2s] = g.chance(0.5) ? g.log_uniform(0.1, 10.0) : 0.0;
      c[nh3] = g.chance(0.6) ? g.log_uniform(0.1, 20.0) : 0.0;
      c[b] = g.chance(0.5) ? g.log_uniform(0.01, 2.0) : 0.0;
      c[f] = g.chance(0.7) ? g.log_uniform(0.05, 5.0) : 0.0;
      share_alkali = g.uniform(0.1, 0.4);
      share_mg = g.uniform(0.2, 0.5);
      share_metals = g.uniform(0.1, 0.5);
      break;
    case water_kind::cold:
      t_aq = g.uniform(0.5, 30.0);
      a.t_c = std::max(0.5, t_aq + g.uniform(-2.0, 2.0));
      a.ph = g.uniform(5.5, 8.5);
      c[cl] = g.log_uniform(1.0, 100.0);
      c[so4] = g.log_uniform(1.0, 100.0);
      c[co2] = g.log_uniform(5.0, 400.0);
      c[b] = g.chance(0.3) ? g.log_uniform(0.005, 0.2) : 0.0;
      c[f] = g.chance(0.7) ? g.log_uniform(0.02, 1.0) : 0.0;
      c[fe] = g.chance(0.5) ? g.log_uniform(0.001, 0.5) : 0.0;
      c[al] = g.chance(0.3) ? g.log_uniform(0.001, 0.05) : 0.0;
      share_alkali = g.uniform(0.1, 0.6);
      share_mg = g.uniform(0.2, 0.6);
      break;
    case water_kind::alkaline:
      t_aq = g.uniform(20.0, 120.0);
      a.t_c = g.uniform(10.0, std::min(t_aq, 90.0));
      a.ph = g.uniform(9.5, 11.0);
      c[cl] = g.log_uniform(2.0, 100.0);
      c[so4] = g.log_uniform(2.0, 100.0);
      c[co2] = g.log_uniform(1.0, 60.0);
      c[f] = g.log_uniform(0.1, 20.0);
      c[b] = g.chance(0.5) ? g.log_uniform(0.01, 1.0) : 0.0;
      c[al] = g.log_uniform(0.01, 1.0);
      share_alkali = g.uniform(0.9, 0.999);
      share_mg = g.uniform(0.0, 0.02);
      break;
    case water_kind::deep_water:
    case water_kind::well:
      // Sampled downhole or from a liquid-only well: the aquifer temperature is measured.
      t_aq = g.uniform(150.0, kind == water_kind::well ? 340.0 : 370.0);
      a.t_c = t_aq;
      a.p_gauge = g.chance(0.3) ? std::max(0.0, psat(t_aq + t0) - atmosphere_bar) : 0.0;
      a.ph = g.uniform(5.5, 8.0);
      c[cl] = g.log_uniform(50.0, 20000.0);
      c[so4] = g.log_uniform(5.0, 200.0);
      c[co2] = g.log_uniform(20.0, 3000.0);
      c[h2s] = g.log_uniform(1.0, 200.0);
      c[b] = g.log_uniform(0.5, 100.0);
      c[f] = g.log_uniform(0.1, 5.0);
      c[al] = g.log_uniform(0.01, 1.5);
      c[fe] = g.log_uniform(0.005, 5.0);
      c[nh3] = g.log_uniform(0.05, 10.0);
      share_alkali = g.uniform(0.8, 0.98);
      share_mg = g.uniform(0.0, 0.01);
      break;
  }
  c[sio2] = silica_mgkg(t_aq) * g.uniform(0.85, 1.15);
  // pH measured in the laboratory, or on site at the spring's own temperature.
  a.ph_t_c = g.chance(0.75) ? g.uniform(15.0, 25.0) : a.t_c;
  dissolved_gases(a, g, kind == water_kind::cold);
  balance_cations(a, g, t_aq, share_alkali, share_mg, share_metals);
  a.tds = g.chance(0.9) ? tds_of(a, g) : 0.0;
  a.discharge = g.chance(0.7) ? g.log_uniform(0.01, 50.0) : 0.0;
  return a;
}

/// A two-phase well discharge: the water and steam separated at the collection pressure from
/// an aquifer fluid at t_aq (°C), with excess enthalpy at times.
water_analysis well_discharge(water_generator& g, double& t_aq) {
  using namespace comp;
  water_analysis a = spring_water(water_kind::well, g, t_aq);  // aquifer liquid, mg/kg
  t_aq = a.t_c;
  const double t_aq_k = t_aq + t0;
  // Separator between 100 °C and 20 K below the aquifer.
  const double tc_c = g.uniform(100.0, std::max(101.0, t_aq - 20.0));
  const double tc_k = tc_c + t0;
  a.p_gauge = psat(tc_k) - atmosphere_bar;
  const double hw = entwat(t_aq_k);
  double y_aq = 0.0;
  if (g.chance(0.35)) y_aq = g.uniform(0.0, 0.3);  // excess enthalpy: steam in the aquifer
  const double h = hw + y_aq * entlat(t_aq_k);
  a.h = g.chance(0.85) ? h : 0.0;
  const double yc = (h - entwat(tc_k)) / entlat(tc_k);
  // The separated water holds the solutes of the whole discharge; the gases went to the steam.
  const double conc = (1.0 - y_aq) / (1.0 - yc);
  for (int i : {b, sio2, na, k, mg, ca, f, cl, so4, al, fe}) a.c[i] *= conc;
  a.c[co2] = g.log_uniform(2.0, 150.0);
  a.c[h2s] = g.log_uniform(2.0, 120.0);
  a.c[nh3] = g.chance(0.6) ? g.log_uniform(0.05, 3.0) : 0.0;
  for (int i : {h2, o2, ch4, n2}) a.c[i] = 0.0;
  a.ph = g.uniform(7.5, 9.8);  // degassed water, measured cold
  a.ph_t_c = g.uniform(15.0, 25.0);
  a.tds = tds_of(a, g);
  // Collection temperature: the separator, or the aquifer temperature measured downhole.
  a.t_c = g.chance(0.5) ? tc_c : t_aq;

  // Dry gas, volume %: mostly CO2 with H2S, some H2, CH4, N2.
  std::array<double, 7> gas = {g.uniform(60.0, 98.0),
                               g.uniform(0.5, 20.0),
                               g.chance(0.5) ? g.uniform(0.0, 1.0) : 0.0,
                               g.uniform(0.0, 5.0),
                               g.chance(0.3) ? g.uniform(0.0, 0.2) : 0.0,
                               g.uniform(0.0, 2.0),
                               g.uniform(0.1, 5.0)};
  double sum = 0.0;
  for (double x : gas) sum += x;
  for (double& x : gas) x = x * 100.0 / sum;
  a.gas = gas;
  a.t_gas = g.chance(0.7) ? g.uniform(5.0, 30.0) : 0.0;
  const double v = a.t_gas <= 0.0 ? 24.465 : 24.465 + 24.465 * (a.t_gas - 25.0) / 298.15;
  // Condensate: what dissolved in the cold condensate of the gas sampling.
  a.cond = {g.log_uniform(5.0, 300.0), g.log_uniform(2.0, 150.0), g.log_uniform(0.1, 20.0),
            g.chance(0.5) ? g.log_uniform(0.01, 2.0) : 0.0};
  a.cond_ph = g.uniform(4.0, 6.5);
  a.cond_ph_t = g.uniform(15.0, 25.0);
  // Steam gases, mg per kg of condensate, and the litres of gas they give.
  const double steam_co2 = g.log_uniform(50.0, 30000.0);
  const double gas_mol = steam_co2 / w(co2) / (gas[0] / 100.0);
  const double steam_h2s = gas_mol * gas[1] / 100.0 * w(h2s) + a.cond[1];
  const double steam_nh3 = gas_mol * gas[2] / 100.0 * w(nh3) + a.cond[2];
  switch (g.pick(3)) {
    case 0:  // steam analyses, litres of gas derived from them
      a.steam = {steam_co2 + a.cond[0], steam_h2s, steam_nh3};
      break;
    case 1:  // litres of gas and condensate only
      a.l_gas = gas_mol * v;
      break;
    default:  // both
      a.steam = {steam_co2 + a.cond[0], steam_h2s, steam_nh3};
      a.l_gas = gas_mol * v;
      break;
  }
  return a;
}

// ---------------------------------------------------------------------------------------------
// Options and their answers.

/// Step temperatures for a fluid whose reference temperature is about t_ref_c: mostly below
/// it, at times anywhere in the liquid range.
int step_temperatures(water_generator& g, double t_ref_c, double t_min_c,
                      std::array<double, 10>& t_c) {
  const int n = g.chance(0.8) ? 1 + g.pick(3) : 1 + g.pick(10);
  t_c.fill(0.0);
  const double hi = std::max(t_min_c + 1.0, std::min(t_ref_c, 373.85));
  for (int i = 0; i < n; ++i) {
    t_c[static_cast<std::size_t>(i)] =
        g.chance(0.9) ? g.uniform(t_min_c, hi) : g.uniform(0.0, 373.85);
  }
  return n;
}

/// A degassing-coefficient answer: RETURN, a value in range, or one outside it (which means 1).
std::string degassing_answer(water_generator& g, double& degas) {
  switch (g.pick(4)) {
    case 0:
      degas = 1.0;
      return "";
    case 1:  // outside the range: equilibrium degassing
      degas = 1.0;
      return g.chance(0.5) ? "2" : "0.005";
    default: {
      degas = g.uniform(0.01, 1.0);
      const std::string t = typed(degas, 2);
      if (degas < 0.01 || degas > 1.0) degas = 1.0;
      return t;
    }
  }
}

/// Answers for the options dialog of a sample of the given type whose aquifer is at about
/// t_aq (°C), for reference-temperature type ref_type. spring_c > 0 asks for a boiling spring;
/// at_limits asks for steps at the ends of the liquid range.
std::string options_answers(water_generator& g, const water_analysis& a, int type, int ref_type,
                            double t_aq, double spring_c, bool at_limits, run_options& opt) {
  std::string keys;
  const auto answer = [&keys](const std::string& s) { keys += s + "\n"; };
  opt = run_options{};
  opt.tref_type = static_cast<reference_temperature>(ref_type);
  double t_ref_c = t_aq;
  switch (ref_type) {
    case 0:
      answer(g.chance(0.5) ? "" : "0");
      if (a.t_c > 0.0 && g.chance(0.6)) {
        answer("");
        t_ref_c = a.t_c;
      } else {
        double t_c = t_aq;
        answer(typed(t_c, 1));
        if (t_c > 0.0) opt.t_typed_c = t_c;  // the dialog reads 0 or below as none typed
        t_ref_c = t_c;
      }
      break;
    case 1:
      answer("1");
      t_ref_c = t_aq;
      answer(typed(t_ref_c, 2));
      opt.t_typed_c = t_ref_c;
      break;
    default:
      answer(std::to_string(ref_type));
      break;
  }
  if (type == 1) {
    if (spring_c > 0.0) {
      double t_c = spring_c;
      answer(typed(t_c, 1));
      if (t_c > 0.0) opt.t_spring_c = t_c;
      answer(degassing_answer(g, opt.spring_degas));
    } else {
      answer("");
    }
  }
  if (at_limits) {
    // Boiling to the normal boiling point and to the critical point, cooling to 0 °C and to
    // the critical point.
    opt.boil_c = {100.0, 373.85};
    answer("2,100,373.85");
    answer("");
    opt.cool_c = {0.0, 373.85};
    answer("2,0,373.85");
    return keys;
  }
  if (g.chance(0.3)) {
    std::array<double, 10> t_c{};
    const int n = step_temperatures(g, t_ref_c, 100.0, t_c);
    answer(steps_answer(n, t_c));
    opt.boil_c.assign(t_c.begin(), t_c.begin() + n);
    answer(degassing_answer(g, opt.boil_degas));
  } else {
    answer("");
  }
  if (g.chance(0.3)) {
    std::array<double, 10> t_c{};
    const int n = step_temperatures(g, t_ref_c, 0.0, t_c);
    answer(steps_answer(n, t_c));
    opt.cool_c.assign(t_c.begin(), t_c.begin() + n);
  } else {
    answer("");
  }
  return keys;
}

/// Reference-temperature type: measured 35 %, arbitrary 20 %, each geothermometer 15 %.
int reference_type(water_generator& g) {
  const double u = g.uniform();
  if (u < 0.35) return 0;
  if (u < 0.55) return 1;
  if (u < 0.70) return 2;
  if (u < 0.85) return 3;
  return 4;
}

/// Kind of sample made awkward on purpose, and what the calculation must say about it.
enum class awkward_kind {
  no_silica,          // a silica geothermometer without silica
  no_potassium,       // Na/K without K
  no_sodium,          // Na/K without Na
  nak_too_hot,        // Na/K ratio of a fluid above 350 °C
  nak_too_cold,       // Na/K ratio of a fluid below 0 °C
  spring_above_tref,  // boiling spring hotter than the reference temperature
  spring_two_phase,   // boiling spring with a measured excess enthalpy
  below_separator,    // well discharge at a reference temperature below its separator
  extreme_ph,         // pH 2 or 11 in a dilute water
  brine,              // a brine of 100,000 mg/kg chloride
  pure_water,         // nothing analysed but the pH
  silica_rich,        // silica far above quartz saturation at any temperature
  step_limits,        // steps at 0 °C and at the critical point
  count
};

}  // namespace

// ---------------------------------------------------------------------------------------------

water_generator::water_generator(std::uint64_t seed, double awkward_share)
    : engine_(seed), awkward_share_(awkward_share) {}

double water_generator::uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

double water_generator::log_uniform(double lo, double hi) {
  return std::exp(uniform(std::log(lo), std::log(hi)));
}

int water_generator::pick(int n) { return std::min(n - 1, static_cast<int>(uniform() * n)); }

generated_sample water_generator::next() {
  using namespace comp;
  generated_sample out;
  ++count_;
  out.number = "G-" + std::to_string(count_);
  water_generator& g = *this;

  double t_aq = 0.0;
  water_analysis a;
  int ref_type = reference_type(g);
  double spring_c = 0.0;
  bool at_limits = false;

  const auto make_ordinary = [&] {
    const double u = g.uniform();
    water_kind kind = water_kind::well;
    if (u < 0.25) {
      kind = water_kind::hot_spring;
    } else if (u < 0.37) {
      kind = water_kind::warm_spring;
    } else if (u < 0.45) {
      kind = water_kind::acid_sulphate;
    } else if (u < 0.53) {
      kind = water_kind::cold;
    } else if (u < 0.60) {
      kind = water_kind::alkaline;
    } else if (u < 0.70) {
      kind = water_kind::deep_water;
    }
    out.kind = kind_name(kind);
    a = kind == water_kind::well ? well_discharge(g, t_aq) : spring_water(kind, g, t_aq);
    // A hot spring may have boiled on its way up.
    if (kind == water_kind::hot_spring && a.t_c > 85.0 && g.chance(0.3)) {
      spring_c = g.uniform(std::max(1.5, a.t_c - 10.0), std::min(a.t_c, 100.0));
      // Boiling strips the water of its sparingly soluble gases.
      for (int i : {h2, o2, ch4, n2}) a.c[i] = 0.0;
    }
    // A well discharge at its measured (separator) temperature would lie below the separator:
    // the user types the aquifer temperature then.
    if (kind == water_kind::well && ref_type == 0 && a.t_c < t_aq) ref_type = 1;
  };

  if (g.uniform() >= awkward_share_) {
    make_ordinary();
  } else {
    out.awkward = true;
    const auto which = static_cast<awkward_kind>(g.pick(static_cast<int>(awkward_kind::count)));
    switch (which) {
      case awkward_kind::no_silica:
        a = spring_water(water_kind::hot_spring, g, t_aq);
        a.c[sio2] = 0.0;
        ref_type = g.chance(0.5) ? 2 : 3;
        out.kind = "no silica";
        out.expected_refusal = ref_type == 2
                                   ? " SiO2 is zero. Cannot compute chalcedony temperature."
                                   : " SiO2 is zero. Cannot compute quartz temperature.";
        break;
      case awkward_kind::no_potassium:
        a = spring_water(water_kind::hot_spring, g, t_aq);
        a.c[k] = 0.0;
        if (g.chance(0.5)) a.c[na] = 0.0;
        ref_type = 4;
        out.kind = "no potassium";
        out.expected_refusal = " K is zero. Cannot compute Na-K temperature.";
        break;
      case awkward_kind::no_sodium:
        a = spring_water(water_kind::hot_spring, g, t_aq);
        a.c[na] = 0.0;
        ref_type = 4;
        out.kind = "no sodium";
        out.expected_refusal = " Na is zero. Cannot compute Na-K temperature.";
        break;
      case awkward_kind::nak_too_hot:
        a = spring_water(water_kind::hot_spring, g, t_aq);
        a.c[k] = a.c[na] * g.uniform(0.5, 3.0);
        ref_type = 4;
        out.kind = "Na/K above 350 C";
        out.expected_refusal =
            " Na-K temperature exceeds 350 \xB0"
            "C.";
        break;
      case awkward_kind::nak_too_cold:
        a = spring_water(water_kind::cold, g, t_aq);
        a.c[k] = a.c[na] * g.uniform(1e-5, 5e-5);
        ref_type = 4;
        out.kind = "Na/K below 0 C";
        out.expected_refusal =
            " Na-K temperature below 0 \xB0"
            "C.";
        break;
      case awkward_kind::spring_above_tref:
        a = spring_water(water_kind::hot_spring, g, t_aq);
        ref_type = 1;
        t_aq = g.uniform(20.0, 80.0);
        spring_c = g.uniform(t_aq + 1.0, 99.0);
        out.kind = "spring boiling above reference";
        out.expected_refusal = " Steam separation temperature higher than reference temperature";
        break;
      case awkward_kind::spring_two_phase:
        a = spring_water(water_kind::hot_spring, g, t_aq);
        ref_type = 1;
        t_aq = g.uniform(120.0, 250.0);
        a.h = entwat(t_aq + t0) + g.uniform(50.0, 400.0);
        spring_c = g.uniform(90.0, 100.0);
        out.kind = "boiling spring with excess enthalpy";
        out.expected_refusal = " Fluid is two phase at reference temperature";
        break;
      case awkward_kind::below_separator:
        a = well_discharge(g, t_aq);
        ref_type = 1;
        t_aq = g.uniform(20.0, 95.0);
        out.kind = "well below separator temperature";
        out.expected_refusal = " Reference temperature below separator temperature";
        break;
      case awkward_kind::extreme_ph:
        a = spring_water(g.chance(0.5) ? water_kind::cold : water_kind::alkaline, g, t_aq);
        a.ph = g.chance(0.5) ? 2.0 : 11.0;
        balance_cations(a, g, t_aq, 0.6, 0.2, 0.0);
        out.kind = "extreme pH";
        break;
      case awkward_kind::brine:
        a = spring_water(water_kind::deep_water, g, t_aq);
        a.c[cl] = g.uniform(50000.0, 150000.0);
        balance_cations(a, g, t_aq, 0.7, 0.02, 0.0);
        a.tds = tds_of(a, g);
        out.kind = "brine";
        break;
      case awkward_kind::pure_water:
        a.t_c = g.uniform(1.0, 99.0);
        a.ph = g.uniform(5.0, 7.5);
        t_aq = a.t_c;
        ref_type = g.chance(0.5) ? 0 : 1;
        out.kind = "nothing analysed";
        break;
      case awkward_kind::silica_rich:
        a = spring_water(water_kind::deep_water, g, t_aq);
        a.c[sio2] = g.uniform(1500.0, 5000.0);
        ref_type = g.chance(0.5) ? 2 : 3;
        out.kind = "silica-rich";
        break;
      case awkward_kind::step_limits:
      case awkward_kind::count:
        make_ordinary();
        at_limits = true;
        out.kind += " with steps at the limits";
        break;
    }
  }
  a.number = out.number;
  a.location = "Generated " + out.kind + ", aquifer " + trimmed(record{}.F(8, 1, t_aq).text()) +
               " \xB0"
               "C";
  out.t_aquifer_c = t_aq;
  out.type = a.l_gas > 0.0 || a.steam[0] > 0.0 || a.steam[1] > 0.0 || a.steam[2] > 0.0 ||
                     a.cond[0] > 0.0 || a.cond[1] > 0.0 || a.cond[2] > 0.0
                 ? 2
                 : 1;
  // RETURN at the sample screen calculates the sample; then the options dialog.
  const std::string dialog =
      options_answers(g, a, out.type, ref_type, t_aq, spring_c, at_limits, out.options);
  out.keys.push_back('\n');
  out.keys.append(dialog);
  out.block = sample_block(a);
  return out;
}

std::string sample_block(const water_analysis& a) {
  using namespace comp;
  std::string text;
  const auto line = [&text](std::string_view s) { text.append(s).append("\n"); };
  const auto data = [&line](std::string_view header, std::initializer_list<double> xs) {
    record r;
    for (double x : xs) field(r, x);
    line("");
    line(header);
    line(r.text());
  };
  line("Program MORVA input. Concentrations in mg/kg, unless otherwise specified.");
  line("");
  line("< Sample number><       Sample location or other description               >");
  line(record{}.A(padded(a.number, 16)).A(padded(a.location, 80)).text());
  const component_vector& c = a.c;
  data(
      "<Temperature \xB0"
      "C><Pressure bar-g><Enthalpy kJ/kg><Discharge kg/s>",
      {a.t_c, a.p_gauge, a.h, a.discharge});
  data(
      "<Water phase pH><  pH temp. \xB0"
      "C >< CO2 in water >< H2S in water >",
      {a.ph, a.ph_t_c, c[co2], c[h2s]});
  data("< NH3 in water >< H2  in water >< O2  in water >< CH4 in water >< N2  in water >",
       {c[nh3], c[h2], c[o2], c[ch4], c[n2]});
  data("<SiO2 in water ><  B  in water ><  Al in water ><  Fe in water >",
       {c[sio2], c[b], c[al], c[fe]});
  data("<  Na in water ><  K  in water ><  Mg in water ><  Ca in water >",
       {c[na], c[k], c[mg], c[ca]});
  data("<  F  in water ><  Cl in water >< SO4 in water >< TDS in water >",
       {c[f], c[cl], c[so4], a.tds});
  data("<Gas CO2, vol %><Gas H2S, vol %><Gas NH3, vol %><Gas H2,  vol %><Gas O2,  vol %>",
       {a.gas[0], a.gas[1], a.gas[2], a.gas[3], a.gas[4]});
  data(
      "<Gas CH4, vol %><Gas N2,  vol %><L gas/kg cond.><Gas  coll.  \xB0"
      "C>",
      {a.gas[5], a.gas[6], a.l_gas, a.t_gas});
  data(
      "<  Steam  CO2  ><  Steam  H2S  ><  Steam  NH3  ><Condensate  pH><Cd. pH temp.\xB0"
      "C>",
      {a.steam[0], a.steam[1], a.steam[2], a.cond_ph, a.cond_ph_t});
  data("<Condensate CO2><Condensate H2S><Condensate NH3><Condensate Na >",
       {a.cond[0], a.cond[1], a.cond[2], a.cond[3]});
  return text;
}

std::string dialog_answers(int type, const run_options& opt) {
  const auto number = [](double x, std::size_t width) {
    std::array<char, 32> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), x);
    std::string t(buf.data(), res.ptr);
    assert(t.size() <= width);  // a longer answer would run into the next field
    static_cast<void>(width);
    return t;
  };
  const auto steps = [&number](const std::vector<double>& t_c) {
    std::string s = std::to_string(t_c.size());
    for (std::size_t i = 0; i < t_c.size() && i < 10; ++i) {
      s += ',';
      s += number(t_c[i], 8);
    }
    return s;
  };
  std::string keys = "\n";
  keys += std::to_string(static_cast<int>(opt.tref_type)) + "\n";
  if (opt.tref_type == reference_temperature::measured ||
      opt.tref_type == reference_temperature::arbitrary) {
    keys += number(opt.t_typed_c.value_or(0.0), 10) + "\n";
  }
  if (type == 1) {
    const double t_spring_c = opt.t_spring_c.value_or(0.0);
    keys += (t_spring_c != 0.0 ? number(t_spring_c, 8) : std::string()) + "\n";
    if (t_spring_c > 0.0) keys += number(opt.spring_degas, 8) + "\n";
  }
  keys += (!opt.boil_c.empty() ? steps(opt.boil_c) : std::string()) + "\n";
  if (!opt.boil_c.empty()) keys += number(opt.boil_degas, 8) + "\n";
  keys += (!opt.cool_c.empty() ? steps(opt.cool_c) : std::string()) + "\n";
  return keys;
}

std::string setup_keys(std::string_view sample_file, std::string_view report_file) {
  return std::string(sample_file) + "\nGenerated run\nGenerated waters and options\n" +
         std::string(report_file) + "\n";
}

generated_run generate_run(std::uint64_t seed, int n, double awkward_share,
                           std::string_view sample_file, std::string_view report_file) {
  generated_run run;
  run.keys = setup_keys(sample_file, report_file);
  water_generator g(seed, awkward_share);
  for (int i = 0; i < n; ++i) {
    generated_sample s = g.next();
    run.samples += s.block;
    run.keys += s.keys;
    run.list.push_back(std::move(s));
  }
  return run;
}

const std::vector<refusal>& refusals() {
  static const std::string dot = " Calculation suppressed.";
  static const std::string plain = " Calculation suppressed";
  static const std::vector<refusal> list = {
      // The reference conditions.
      {" Collection pressure outside the range of the steam table.", dot},
      {" SiO2 is zero. Cannot compute chalcedony temperature.", dot},
      {" SiO2 is zero. Cannot compute quartz temperature.", dot},
      {" K is zero. Cannot compute Na-K temperature.", dot},
      {" Na is zero. Cannot compute Na-K temperature.", dot},
      {" Na-K temperature exceeds 350 \xB0"
       "C.",
       dot},
      {" Na-K temperature below 0 \xB0"
       "C.",
       dot},
      {" Reference temperature below 0 \xB0"
       "C.",
       dot},
      {" Enthalpy above that of saturated steam at reference temperature.", dot},
      {" Enthalpy above that of saturated steam at separator temperature.", dot},
      {" Steam separation temperature higher than reference temperature", plain},
      {" Fluid is two phase at reference temperature", plain},
      // The aquifer fluid.
      {" Reference temperature below separator temperature", plain},
      {" Na-K temperature exceeds 350 \xB0"
       "C",
       plain},
      {" Na-K temperature below 0 \xB0"
       "C",
       plain},
      {" Geothermometer temperature below 0 \xB0"
       "C",
       plain},
      {" Enthalpy above that of saturated steam", plain},
      {" No convergence in geothermometer  calculation", ""},
      {" Analysis out of range: the calculation gives no finite result", plain},
  };
  return list;
}

}  // namespace morva
