// Numbers at the edges: components missing one by one or all together, concentrations up to a
// million mg/kg, pH 0 and 14, and temperatures and pressures at every limit and segment boundary
// of the steam properties. Each sample either calculates to finite values or is refused with a
// message, and the run goes on.

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <iostream>
#include <string>
#include <vector>

#include "morva/indexed.h"
#include "morva/sample.h"
#include "robust/run_check.h"
#include "robust/water_generator.h"

namespace morva {
namespace {

/// A hot spring of ordinary composition (mg/kg).
water_analysis spring() {
  using namespace comp;
  water_analysis a;
  a.t_c = 96.5;
  a.discharge = 2.0;
  a.ph = 8.9;
  a.ph_t_c = 21.0;
  component_vector& c = a.c;
  c[co2] = 45.0, c[h2s] = 3.0, c[nh3] = 0.2, c[h2] = 0.01, c[o2] = 0.02, c[ch4] = 0.05;
  c[n2] = 1.0, c[b] = 1.2, c[sio2] = 280.0, c[na] = 190.0, c[k] = 14.0, c[mg] = 0.02;
  c[ca] = 2.5, c[f] = 4.5, c[cl] = 110.0, c[so4] = 95.0, c[al] = 0.6, c[fe] = 0.03;
  a.tds = 760.0;
  return a;
}

/// A two-phase well discharge separated at 8.5 bar-g, with gas, steam and condensate.
water_analysis well() {
  water_analysis a = spring();
  using namespace comp;
  a.t_c = 178.0;
  a.p_gauge = 8.5;
  a.h = 1185.0;
  a.discharge = 24.6;
  a.ph = 9.2;
  a.c[co2] = 22.0, a.c[h2s] = 48.0, a.c[sio2] = 610.0, a.c[na] = 270.0, a.c[k] = 46.0;
  a.gas = {91.5, 5.6, 0.08, 1.5, 0.02, 0.3, 1.0};
  a.l_gas = 2.9;
  a.t_gas = 18.5;
  a.steam = {5200.0, 410.0, 3.4};
  a.cond_ph = 4.6;
  a.cond_ph_t = 21.0;
  a.cond = {95.0, 58.0, 2.9, 0.12};
  return a;
}

/// Options: reference-temperature type and typed temperature, steps of each kind.
run_options options(int type, double t_c, std::initializer_list<double> boil = {},
                    std::initializer_list<double> cool = {}) {
  run_options o;
  o.tref_type = static_cast<reference_temperature>(type);
  o.t_typed_c = t_c;
  o.boil_c = boil;
  o.cool_c = cool;
  return o;
}

/// The cases of one run, numbered "G-1", "G-2", ... in the order added.
class case_list {
 public:
  void add(const std::string& what, water_analysis a, const run_options& opt) {
    generated_sample s;
    s.number = "G-" + std::to_string(run_.list.size() + 1);
    s.kind = what;
    a.number = s.number;
    a.location = what;
    s.type = a.l_gas > 0.0 || a.steam[0] > 0.0 || a.steam[1] > 0.0 || a.steam[2] > 0.0 ||
                     a.cond[0] > 0.0 || a.cond[1] > 0.0 || a.cond[2] > 0.0
                 ? 2
                 : 1;
    s.options = opt;
    s.block = sample_block(a);
    s.keys = dialog_answers(s.type, opt);
    run_.samples += s.block;
    run_.keys += s.keys;
    run_.list.push_back(std::move(s));
  }
  /// Runs them all and checks what the run left (wide_values: see check_run); prints the
  /// counts.
  void check(const std::string& title, bool wide_values = false) {
    run_.keys = setup_keys("morva.in", "morva.out") + run_.keys;
    tally t;
    check_run(run_, t, wide_values);
    std::cout << title << ": " << run_.list.size() << " samples\n";
    print_tally(t, std::cout);
  }

 private:
  generated_run run_;
};

/// Every component set by f in turn, for a spring and a well, with the options given.
void each_component(case_list& cases, const std::string& what,
                    const std::function<void(water_analysis&, int)>& f) {
  for (int k = 1; k <= component_vector::size; ++k) {
    const std::string name = what + " " + std::to_string(k);
    water_analysis s = spring();
    f(s, k);
    cases.add(name + " spring, 200 C", s, options(1, 200.0, {120.0}, {60.0}));
    cases.add(name + " spring, quartz", s, options(3, 0.0, {}, {25.0}));
    cases.add(name + " spring, Na/K", s, options(4, 0.0));
    water_analysis w = well();
    f(w, k);
    cases.add(name + " well, 260 C", w, options(1, 260.0, {180.0, 100.0}, {150.0}));
    cases.add(name + " well, chalcedony", w, options(2, 0.0, {150.0}));
  }
}

TEST(NumericExtremes, MissingAndHugeComponents) {
  case_list cases;
  each_component(cases, "zero component", [](water_analysis& a, int k) { a.c[k] = 0.0; });
  each_component(cases, "1e6 mg/kg of component", [](water_analysis& a, int k) { a.c[k] = 1e6; });
  // Nothing analysed at all but the pH, and everything at a million mg/kg.
  for (const double x : {0.0, 1e6}) {
    water_analysis s = spring();
    water_analysis w = well();
    for (int k = 1; k <= component_vector::size; ++k) s.c[k] = w.c[k] = x;
    for (int type = 0; type <= 4; ++type) {
      const std::string what =
          "all components " + std::to_string(x) + ", type " + std::to_string(type);
      cases.add(what + " spring", s, options(type, 0.0, {100.0}, {20.0}));
      cases.add(what + " well", w, options(type, 240.0, {100.0}, {20.0}));
    }
  }
  // Gas, steam and condensate analyses at a million.
  water_analysis w = well();
  w.gas = {1e6, 1e6, 1e6, 1e6, 1e6, 1e6, 1e6};
  w.steam = {1e6, 1e6, 1e6};
  w.cond = {1e6, 1e6, 1e6, 1e6};
  w.l_gas = 1e6;
  cases.add("steam data at 1e6", w, options(1, 250.0, {120.0}, {50.0}));
  w = well();
  w.h = 1e6;
  cases.add("well of enthalpy 1e6", w, options(1, 250.0, {100.0}, {20.0}));
  cases.add("well of enthalpy 1e6, chalcedony", w, options(2, 0.0));
  cases.check("missing and huge components", true);
}

TEST(NumericExtremes, PhAtBothEndsOfTheScale) {
  case_list cases;
  for (const double ph : {0.0, 14.0}) {
    for (int type = 0; type <= 4; ++type) {
      water_analysis s = spring();
      s.ph = ph;
      water_analysis w = well();
      w.ph = ph;
      w.cond_ph = ph;
      const std::string what = "pH " + std::to_string(ph) + ", type " + std::to_string(type);
      cases.add(what + " spring", s, options(type, 150.0, {100.0}, {30.0}));
      cases.add(what + " well", w, options(type, 250.0, {150.0}, {30.0}));
    }
  }
  cases.check("pH at both ends");
}

TEST(NumericExtremes, TemperaturesAndPressuresAtTheLimitsOfTheSteamProperties) {
  // Limits of the saturation curve (0 °C at 273.149 K, the critical point 374.15 °C, the cap
  // of the reference temperature 373.85 °C) and the boundaries between the fitted segments of
  // the liquid enthalpy (310.98, 361.09 °C) and of the latent heat (297.5, 340.65, 365.99 °C).
  const std::initializer_list<double> edges = {0.0,    0.001,  100.0,  297.5, 310.98,
                                               340.65, 361.09, 365.99, 373.85};
  case_list cases;
  for (const double t : {-10.0, 0.0, 0.001, 100.0, 297.5, 310.98, 340.65, 361.09, 365.99, 373.85,
                         374.15, 400.0, 1000.0}) {
    const std::string at = std::to_string(t);
    cases.add("spring at " + at, spring(), options(1, t, {100.0}, {20.0}));
    cases.add("well at " + at, well(), options(1, t, {100.0}, {20.0}));
    // The measured temperature in the file, and the pH measured at it.
    water_analysis s = spring();
    s.t_c = t > 0.0 ? t : 0.001;
    s.ph_t_c = t;
    cases.add("spring measured at " + at, s, options(0, 0.0, {}, {20.0}));
  }
  // Steps at every edge, from the cap of the reference temperature and from a well with much
  // steam, whose boiling to low temperatures leaves little liquid.
  cases.add("spring, steps at every edge", spring(), options(1, 373.85, edges, edges));
  water_analysis steamy = well();
  steamy.h = 2600.0;
  cases.add("steam-rich well, steps at every edge", steamy, options(1, 373.85, edges, edges));
  cases.add("steam-rich well at 200 C", steamy, options(1, 200.0, edges, edges));
  // Collection pressures at the ends of the steam table, 0.00610799 and 221.2 bar absolute,
  // and just beyond them.
  for (const double p : {-1.00714201, -1.0072, 220.18675, 220.19}) {
    water_analysis s = spring();
    s.p_gauge = p;
    water_analysis w = well();
    w.p_gauge = p;
    const std::string at = std::to_string(p);
    cases.add("spring at " + at + " bar-g", s, options(1, 200.0, {100.0}, {20.0}));
    cases.add("well at " + at + " bar-g", w, options(1, 373.85, {100.0}, {20.0}));
    cases.add("well at " + at + " bar-g, quartz", w, options(3, 0.0, {100.0}, {20.0}));
  }
  // Enthalpies: none, of saturated liquid at the critical point, of steam.
  for (const double h : {1e-30, 2100.0, 2800.0}) {
    water_analysis w = well();
    w.h = h;
    cases.add("well of enthalpy " + std::to_string(h), w, options(1, 250.0, {100.0}, {20.0}));
    cases.add("well of enthalpy " + std::to_string(h) + ", chalcedony", w, options(2, 0.0));
  }
  cases.check("temperatures and pressures at the limits");
}

TEST(NumericExtremes, BoilingSpringsAtTheirLimits) {
  // A spring taken to have boiled at 1 °C, from an aquifer at the critical point, lost most of
  // its mass as steam at 0.0066 bar, steam that is almost all gas: the recombined aquifer fluid
  // holds its gases in amounts (N2 above a million mg/kg, thousands of bar) too wide for their
  // report fields. Finite, and refused by nothing, the asterisks there are no fault.
  case_list cases;
  // Boiling springs at and inside the open limits 1 and 350 °C.
  for (const double tb : {1.0, 1.0001, 100.0, 349.99, 350.0}) {
    run_options o = options(1, 373.85, {100.0}, {20.0});
    o.t_spring_c = tb;
    o.spring_degas = 0.5;
    cases.add("boiling spring at " + std::to_string(tb), spring(), o);
  }
  // Gas collected at absolute zero and below (taken as 25 °C), too cold for its report field.
  for (const double tg : {-273.15, -300.0}) {
    water_analysis w = well();
    w.t_gas = tg;
    cases.add("gas collected at " + std::to_string(tg), w, options(1, 250.0, {100.0}));
    w.l_gas = 0.0;
    cases.add("gas collected at " + std::to_string(tg) + ", litres derived", w,
              options(1, 250.0, {100.0}));
  }
  cases.check("boiling springs at their limits", true);
}

}  // namespace
}  // namespace morva
