// Physical invariants of the calculation of one sample, checked on the values calculate()
// returns: the example samples and composed ones under each kind of reference temperature, and
// generated waters with their own options.

#include "morva/calculate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "chemdata/activity.h"
#include "chemdata/units.h"
#include "morva/sample_file.h"
#include "morva/tables.h"
#include "robust/water_generator.h"
#include "steam/saturation.h"
#include "text/encoding.h"

namespace morva {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------------------------------------
// Access to the fields of the sample, the options and the result, in one place.

/// Water-vapour partial pressure of st, bar absolute.
double p_water(const fluid_state& st) { return st.p_h2o; }
/// All partial pressures of st, water vapour and the seven gases, bar absolute.
std::vector<double> pressures(const fluid_state& st) {
  std::vector<double> p{st.p_h2o};
  for (int g = 1; g <= gas_vector::size; ++g) p.push_back(st.p_gas[g]);
  return p;
}
/// True when the aquifer fluid was reconstructed through a boiling spring.
bool boiling_spring(const reference_result& ref) { return ref.tb.has_value(); }
/// Cooling-step temperatures of opt, °C, in the order calculated.
std::vector<double> cooling_c(const run_options& opt) { return opt.cool_c; }
/// Boiling-step temperatures of opt, °C, in the order calculated.
std::vector<double> boiling_c(const run_options& opt) { return opt.boil_c; }
/// opt with the cooling and boiling steps cool and boil (°C) and boiling degassing f.
run_options with_steps(run_options opt, const std::vector<double>& cool,
                       const std::vector<double>& boil, double f) {
  opt.cool_c = cool;
  opt.boil_c = boil;
  opt.boil_degas = f;
  return opt;
}
/// A well discharge with separator steam and gas: silica sio2 (mg/kg), discharge enthalpy h
/// (kJ/kg), separator pressure p_gauge (bar-g).
sample_record composed_well(double sio2, double h, double p_gauge) {
  sample_record s;
  s.number = "WLV-1";
  s.pressure_bar_g = p_gauge, s.enthalpy = h, s.ph = 8.5, s.ph_t_c = 20.0, s.tds = 1200.0;
  s.water_mgkg = component_vector(
      {20.0, 40.0, 0, 0, 0, 0, 0, 3.0, sio2, 250.0, 40.0, 0.01, 1.0, 1.0, 180.0, 40.0, 0, 0});
  s.gas = gas_vector({90.0, 5.0, 0.1, 1.5, 0.02, 0.3, 1.0});
  s.collection.discharge_kg_s = 10.0;
  s.collection.condensate_ph = 4.6, s.collection.condensate_ph_t_c = 21.0;
  s.collection.gas_l_per_kg = 3.0, s.collection.gas_t_c = 18.0;
  s.steam = {5000.0, 400.0, 3.0};
  s.condensate = {95.0, 58.0, 2.9, 0.1};
  return s;
}

// ---------------------------------------------------------------------------------------------
// The cases

struct calc_case {
  std::string name;
  sample_record s;
  run_options opt;
  /// The reason line (leading blank included) the sample must be refused with, "" when it must
  /// be solved; empty when either may happen.
  std::optional<std::string> refusal;
};

std::vector<sample_record> samples_in(const std::string& file) {
  std::ifstream f(file, std::ios::binary);
  sample_reader r(f, file);
  std::vector<sample_record> all;
  for (read_result got = r.next(); got.what == read_result::kind::sample; got = r.next()) {
    all.push_back(got.sample);
  }
  return all;
}

/// The example samples and the composed spring and well under every kind of reference
/// temperature, a cycling chalcedony iteration, a boiling step left without liquid, and
/// generated waters (a quarter of them built to be refused or to sit at a limit).
std::vector<calc_case> cases() {
  std::vector<sample_record> samples = samples_in(std::string(MORVA_EXAMPLES) + "/morva.in");
  for (const char* f : {"/seq_spring.in", "/seq_well.in"}) {
    samples.push_back(samples_in(std::string(MORVA_TEST_DATA) + f).at(0));
  }
  EXPECT_EQ(samples.size(), 5u);
  std::vector<calc_case> all;
  for (const sample_record& s : samples) {
    using enum reference_temperature;
    run_options o;
    all.push_back(
        {s.number + " measured", s, with_steps(o, {150.0, 60.0}, {150.0, 100.0}, 0.5), ""});
    // A boiling spring at 98 °C from 150 °C; the wells' separators are hotter than that.
    o.tref_type = arbitrary, o.t_typed_c = 150.0, o.t_spring_c = 98.0, o.spring_degas = 0.5;
    all.push_back({s.number + " 150 C, spring", s, with_steps(o, {90.0}, {120.0}, 1.0),
                   derive(s).type == sample_type::water
                       ? ""
                       : " Reference temperature below separator temperature"});
    for (const auto& [t, name] : {std::pair{chalcedony, " chalcedony"},
                                  std::pair{quartz, " quartz"}, std::pair{na_k, " Na/K"}}) {
      run_options g;
      g.tref_type = t;
      all.push_back({s.number + name, s, with_steps(g, {25.0}, {100.0}, 1.0), ""});
    }
  }
  // Silica-rich steam of high enthalpy: the chalcedony passes jump between two temperatures
  // and settle at the fixed point of one pass between them.
  run_options cha;
  cha.tref_type = reference_temperature::chalcedony;
  all.push_back({"cycling chalcedony", composed_well(700.0, 2750.0, 10.0), cha, ""});
  run_options hot;
  hot.tref_type = reference_temperature::arbitrary, hot.t_typed_c = 250.0;
  all.push_back({"steam-rich well boiled to 20 and 150 C", composed_well(640.0, 2600.0, 9.0),
                 with_steps(hot, {}, {20.0, 150.0}, 1.0), ""});
  water_generator g(20, 0.25);
  for (int i = 0; i < 60; ++i) {
    const generated_sample gs = g.next();
    std::istringstream in(gs.block);
    sample_reader r(in, gs.number);
    all.push_back(
        {gs.number + " (" + gs.kind + ")", r.next().sample, gs.options,
         gs.expected_refusal.empty() ? std::nullopt : std::optional(gs.expected_refusal)});
  }
  return all;
}

// ---------------------------------------------------------------------------------------------
// Invariants of one solved state

/// Component totals (mol/kg) that the species molalities m hold, each species counted with
/// the units of the component it carries; H2, O2, CH4 and N2 have no aqueous species (0).
component_vector held(const species_vector& m) {
  component_vector c;
  const auto add = [&](int k, std::initializer_list<int> species, double n) {
    for (int i : species) c[k] += n * m[i];
  };
  add(comp::co2, {sp::h2co3, sp::hco3, sp::co3, sp::caco3, sp::mgco3, sp::cahco3, sp::mghco3}, 1);
  add(comp::h2s, {sp::h2s, sp::hs, sp::s}, 1);
  add(comp::nh3, {sp::nh4oh, sp::nh4}, 1);
  add(comp::b, {sp::h3bo3, sp::h2bo3}, 1);
  add(comp::sio2, {sp::h4sio4, sp::h3sio4, sp::h2sio4, sp::nah3sio4}, 1);
  add(comp::na, {sp::na, sp::nah3sio4, sp::nacl, sp::naso4}, 1);
  add(comp::k, {sp::k, sp::kcl, sp::kso4}, 1);
  add(comp::mg, {sp::mg, sp::mgso4, sp::mgco3, sp::mghco3, sp::mgoh}, 1);
  add(comp::ca, {sp::ca, sp::caso4, sp::caco3, sp::cahco3, sp::caoh}, 1);
  add(comp::f, {sp::hf, sp::f}, 1);
  for (int n = 1; n <= 6; ++n) c[comp::f] += n * m[sp::alf + n - 1];  // AlF++ .. AlF6---
  add(comp::cl, {sp::cl, sp::nacl, sp::kcl, sp::fecl, sp::fecl_2p}, 1);
  add(comp::cl, {sp::fecl2, sp::fecl2p}, 2);
  add(comp::cl, {sp::fecl3}, 3);
  add(comp::cl, {sp::fecl4}, 4);
  add(comp::so4, {sp::h2so4, sp::hso4, sp::so4, sp::naso4, sp::kso4, sp::caso4, sp::mgso4}, 1);
  add(comp::so4, {sp::feso4, sp::feso4p, sp::also4}, 1);
  add(comp::so4, {sp::also42}, 2);
  for (int i = sp::al; i <= sp::alf6; ++i) c[comp::al] += m[i];
  for (int i = sp::fe2; i <= sp::feso4p; ++i) c[comp::fe] += m[i];
  return c;
}

// The mass balance stops when no free molality moves by more than 1e-6 of itself in a sweep;
// a total spread over several complexes of such free ions then closes to a few times that.
constexpr double closure_tol = 1e-5;

/// The species of m hold the totals c (mol/kg) to the mass balance's tolerance.
void expect_closes(const species_vector& m, const component_vector& c) {
  const component_vector h = held(m);
  for (int k = 1; k <= component_vector::size; ++k) {
    if (k >= comp::h2 && k <= comp::n2) continue;
    EXPECT_NEAR(h[k], c[k], closure_tol * c[k]) << component_name(k);
  }
}

/// Invariants of a solved state st at T (K) whose species hold its totals.
void expect_sound(const fluid_state& st, double t) {
  EXPECT_EQ(st.t, t);
  EXPECT_TRUE(st.mass_balance.converged);
  expect_closes(st.m, st.totals);
  // The partial pressures add up to the total, to rounding; the water vapour is at its
  // saturation pressure.
  double sum = 0.0;
  for (double p : pressures(st)) sum += p;
  EXPECT_NEAR(sum, st.ptotal, 1e-12 * st.ptotal);
  EXPECT_EQ(p_water(st), psat(t));
  // pH = -log10(gamma_H m_H). m_H was solved with the activity coefficient of the ionic
  // strength of the last pass, st.gamma is that of the ionic strength given with the state:
  // after five passes they differ by about 1e-6 in the pH.
  EXPECT_NEAR(st.ph, -std::log10(st.gamma[sp::h] * st.m[sp::h]), 1e-5);
  // I = 1/2 sum z^2 m. The ionic-strength passes of a step stop after five without a test; at
  // the limits of the steps (0 °C, near the critical point) the last still moves I by 3e-3.
  EXPECT_NEAR(st.ionic, strion(st.m), 5e-3 * st.ionic);
}

/// The totals of the non-volatile components (B .. Fe) of c scaled by f.
component_vector solutes(const component_vector& c, double f) {
  component_vector r;
  for (int k = comp::b; k <= comp::fe; ++k) r[k] = f * c[k];
  return r;
}

/// a and b agree in every non-volatile component to the relative tolerance tol.
void expect_solutes_near(const component_vector& a, const component_vector& b, double tol) {
  for (int k = comp::b; k <= comp::fe; ++k)
    EXPECT_NEAR(a[k], b[k], tol * b[k]) << component_name(k);
}

// ---------------------------------------------------------------------------------------------

TEST(Calculate, SolvedStatesKeepTheirPhysicalInvariants) {
  for (const calc_case& c : cases()) {
    SCOPED_TRACE(c.name);
    const sample_result r = calculate(c.s, c.opt);
    if (c.refusal) {
      ASSERT_EQ(r.refused.has_value(), !c.refusal->empty());
      if (r.refused) {
        // The expected reasons are the terminal's Latin-1 words; the message is UTF-8.
        EXPECT_EQ(" " + refusal_message(*r.refused), latin1_to_utf8(*c.refusal));
      }
    }
    if (r.refused) continue;
    const reference_result& ref = r.reference;
    const fluid_state& aq = ref.state;
    // Every mass balance on the way converged.
    EXPECT_EQ(r.unconverged_mass_balances, 0);

    // The sampled water holds the analysis at the measured pH (its m_H from the ionic strength
    // of the last of its passes, as above: about 2e-6 in the pH).
    expect_closes(r.sampled.m, derive(c.s).water);
    EXPECT_NEAR(-std::log10(gamma(sp::h, derive(c.s).ph_t, r.sampled.ionic) * r.sampled.m[sp::h]),
                c.s.ph, 1e-5);

    // The aquifer liquid at Tref.
    expect_sound(aq, aq.t);
    using enum reference_temperature;
    const reference_temperature type = c.opt.tref_type;
    const bool given = type == measured || type == arbitrary;
    // Its solutes are those of the analysis, diluted by the steam of the separator or of the
    // boiling spring and concentrated by the aquifer steam. The geothermometer passes stop
    // with the steam fractions already moved on to the next pass's temperature, up to 0.01 K
    // away: a few 1e-5 in a fraction, up to 5e-4 of a liquid share as small as 0.03.
    const double y_lost = boiling_spring(ref) ? ref.yb : ref.yc;
    const double fraction_tol = given ? 1e-12 : 1e-3;
    expect_solutes_near(aq.totals, solutes(derive(c.s).water, (1.0 - y_lost) / (1.0 - ref.ya)),
                        fraction_tol);
    if (given && derive(c.s).type == sample_type::water && !boiling_spring(ref)) {
      // Nothing added, nothing boiled off: the gases too are those of the analysis.
      for (int k = comp::co2; k <= comp::n2; ++k)
        EXPECT_EQ(aq.totals[k], derive(c.s).water[k]) << k;
    }
    // The geothermometer the reference temperature comes from gives it back to within the
    // 0.01 K at which the passes stop (the chalcedony temperature is held at 647 K).
    const double tol = 0.01;
    if (type == chalcedony && aq.t < 647.0) {
      EXPECT_NEAR(aq.derived.chalcedony.kelvin().value_or(nan), aq.t, tol);
    }
    if (type == na_k) {
      EXPECT_NEAR(aq.derived.na_k.kelvin().value_or(nan), aq.t, tol);
    }
    if (type == quartz && derive(c.s).type == sample_type::two_phase && !ref.quartz_capped) {
      // The silica of the separated water put back into the aquifer liquid. To the 0.01 K of
      // the passes add the separator steam fraction, recombined at the temperature of the pass
      // before, and the quartz solubility, inverted to 0.001 mg/kg: together about 1e-4 K.
      EXPECT_NEAR(aq.derived.quartz.kelvin().value_or(nan), aq.t, tol + 1e-3);
    }

    // The steps: the cooling ones, then the boiling ones, at the temperatures asked.
    const std::vector<double> cool = cooling_c(c.opt), boil = boiling_c(c.opt);
    ASSERT_EQ(r.steps.size(), cool.size() + boil.size());
    // The discharge per kg of fluid: what every step starts from.
    const component_vector discharge = solutes(aq.totals, 1.0 - ref.ya);
    for (std::size_t j = 0; j < r.steps.size(); ++j) {
      const step_result& step = r.steps[j];
      SCOPED_TRACE(j);
      const bool cooling = j < cool.size();
      EXPECT_EQ(step.kind, cooling ? step_kind::cooling : step_kind::boiling);
      EXPECT_EQ(step.t_c, cooling ? cool[j] : boil[j - cool.size()]);
      const double t = step.t_c + zero_celsius_k;
      const double hw = entwat(t), l = entlat(t);
      if (!step.state) {
        // Skipped only when the reference enthalpy reaches that of saturated steam.
        ASSERT_EQ(step.skipped, skip_reason::no_liquid);
        EXPECT_FALSE(cooling);
        EXPECT_GE(ref.href, hw + l);
        continue;
      }
      const fluid_state& st = *step.state;
      EXPECT_EQ(step.unconverged_mass_balances, 0);
      expect_sound(st, t);
      const double y = st.steam_fraction;
      // Every step holds the solutes of the discharge in its liquid.
      expect_solutes_near(solutes(st.totals, 1.0 - y), discharge, fraction_tol);
      if (cooling) {
        // Conductive cooling: no steam; the aquifer steam's gases are back in the liquid, to
        // the 1e-3 at which the gas distribution stops.
        EXPECT_EQ(y, 0.0);
        for (int k = comp::co2; k <= comp::n2; ++k) {
          const double whole = (1.0 - ref.ya) * aq.totals[k] + ref.ya * aq.steam_mgkg[k] / w(k);
          EXPECT_NEAR(st.totals[k], whole, (2e-3 + fraction_tol) * whole) << component_name(k);
        }
      } else if (y > 0.0) {
        // Adiabatic boiling: liquid and steam together keep the reference enthalpy.
        EXPECT_NEAR((1.0 - y) * hw + y * (hw + l), ref.href, 1e-12 * ref.href);
        EXPECT_EQ(st.degassing, c.opt.boil_degas);
      } else {
        // At or above its boiling point the fluid forms no steam.
        EXPECT_LE(ref.href, hw);
      }
    }
  }
}

/// Every number of a result, in a fixed order; empty values as NaN.
std::vector<double> numbers(const sample_result& r) {
  std::vector<double> x;
  const auto add = [&x](const auto& v, int n) {
    for (int i = 1; i <= n; ++i) x.push_back(v[i]);
  };
  const auto opt = [&x](const std::optional<double>& v) { x.push_back(v.value_or(nan)); };
  const auto state = [&](const fluid_state& st) {
    x.insert(x.end(), {st.t, st.ionic, st.ah, st.ph, st.ptotal, st.tds_liquid, st.steam_fraction,
                       st.degassing, static_cast<double>(st.mass_balance.sweeps)});
    add(st.m, 69), add(st.totals, 18), add(st.gamma, 69), add(st.liquid_mgkg, 18);
    add(st.steam_mgkg, 7);
    for (double p : pressures(st)) x.push_back(p);
    const derived_results& d = st.derived;
    x.insert(x.end(), {d.balance.cations, d.balance.anions, d.balance.difference_pct, d.quartz.t,
                       d.chalcedony.t, d.na_k.t});
    for (redox_couple c : {redox_couple::sulfate_sulfide, redox_couple::carbon_dioxide_methane,
                           redox_couple::hydrogen, redox_couple::nitrogen_ammonia}) {
      opt(d.eh(c));
    }
    add(d.log_k, 29);
    for (int j = 1; j <= 29; ++j) opt(d.log_q[j]);
  };
  x.push_back(r.refused ? static_cast<double>(*r.refused) : -1.0);
  x.insert(x.end(), {r.sampled.ionic, r.sampled.balance.difference_pct});
  add(r.sampled.m, 69);
  const reference_result& ref = r.reference;
  x.insert(x.end(), {ref.href, ref.tc, ref.tb.value_or(nan), ref.yc, ref.ya, ref.yb});
  state(ref.state);
  for (const step_result& s : r.steps) {
    x.insert(x.end(), {s.t_c, s.degassing, static_cast<double>(s.skipped.has_value())});
    if (s.state) state(*s.state);
  }
  return x;
}

/// True when a and b hold the same numbers, bit for bit.
bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(Calculate, RefusedSamplesHoldNoStateAndEveryResultRepeatsBitForBit) {
  const std::vector<calc_case> all = cases();
  std::vector<std::vector<double>> first;
  int refused = 0;
  for (const calc_case& c : all) {
    SCOPED_TRACE(c.name);
    const sample_result r = calculate(c.s, c.opt);
    first.push_back(numbers(r));
    // The sampled water alone is that of the whole calculation, bit for bit.
    const std::optional<sampled_water> w = calculate_sampled(c.s);
    if (w) {
      EXPECT_TRUE(
          same_bits(numbers(sample_result{std::nullopt, 0, *w, reference_result{}, {}}),
                    numbers(sample_result{std::nullopt, 0, r.sampled, reference_result{}, {}})));
    } else {
      EXPECT_EQ(r.refused, refusal_reason::negative_concentration);
    }
    if (!r.refused) continue;
    ++refused;
    // A refusal has its reason and nothing past it: no aquifer state, no steps.
    EXPECT_FALSE(refusal_message(*r.refused).empty());
    EXPECT_TRUE(
        same_bits(numbers(sample_result{
                      r.refused, r.unconverged_mass_balances, r.sampled, reference_result{}, {}}),
                  first.back()));
  }
  EXPECT_GT(refused, 5);  // the two wells below their separator, and generated waters
  // Calculated again in the opposite order, each case gives the same numbers: nothing is kept
  // from one calculation to the next.
  for (std::size_t i = all.size(); i-- > 0;) {
    SCOPED_TRACE(all[i].name);
    EXPECT_TRUE(same_bits(numbers(calculate(all[i].s, all[i].opt)), first[i]));
  }
}

}  // namespace
}  // namespace morva
