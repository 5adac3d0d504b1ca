#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <variant>
#include <vector>

#include "calculate/work_state.h"
#include "chemdata/activity.h"
#include "chemdata/units.h"
#include "derived/ion_balance.h"
#include "derived/results.h"
#include "geotherm/geothermometers.h"
#include "phases/gas_distribution.h"
#include "phases/recombination.h"
#include "phases/reference.h"
#include "phases/speciation.h"
#include "solver/factors.h"
#include "solver/mass_balance.h"
#include "steam/saturation.h"

namespace morva {

namespace {

/// A steam fraction above this counts as steam being present.
constexpr double epp = 1e-30;

/// The sampled water at the temperature of its pH measurement, with the measured pH fixed:
/// its species, ionic strength and ion balance, and the proton balance it hands on.
void speciate_sampled_water(const sample_record& s, const sample_totals& tot, work_state& ws) {
  constexpr int ionic_passes = 5;
  const component_vector& c = tot.water;
  // A first ionic strength from the major cations alone.
  ws.ionic = c[comp::na] + c[comp::k] + 4.0 * (c[comp::mg] + c[comp::ca]);
  ws.ah = std::pow(10.0, -s.ph);
  ws.est = setini(c);
  // At the pH temperature and the ionic strength of the pass.
  solver_factors fac = make_factors(tot.ph_t, ws.ionic);
  const mass_balance_solution first = masbal(c, ws.ah, fac, ws.est);
  ws.log.note(first.outcome);
  ws.m = spemol(first.x, ws.ah, fac);
  for (int pass = 1; pass <= ionic_passes; ++pass) {
    ws.ionic = strion(ws.m);
    change_ionic_strength(ws.ionic, fac);
    const mass_balance_solution mb = masbal(c, ws.ah, fac, ws.m);
    ws.log.note(mb.outcome);
    ws.m = spemol(mb.x, ws.ah, fac);
  }
  ws.ionic_sampling = strion(ws.m);
  ws.m_sampling = ws.m;
  ws.ionic = ws.ionic_sampling;
  ws.balance = balion(ws.m);
}

/// The sampled water of a boiling spring at its boiling temperature, and the steam it lost
/// there (mol per kg of steam).
void lose_spring_steam(const sample_totals& tot, const run_options& opt, work_state& ws) {
  const spring_steam r =
      springs(tot.water, ws.m, ws.a, ws.tb, ws.ah0, ws.ya, opt.spring_degas, ws.log);
  ws.m = r.sp;
  ws.ionic = r.ionic;
  ws.cs_spring = r.cs;
}

/// Liquid speciation of the discharge totals at T (K).
void speciate_liquid(work_state& ws, double t) {
  store(ws, phase1(ws.est, ws.cd, ws.a_d, t, ws.ah0, ws.ionic, ws.log));
}

/// Speciation of the discharge at T (K) with aquifer steam fraction ya: boiled when steam is
/// present, liquid otherwise.
void speciate_aquifer(work_state& ws, double t) {
  if (ws.ya > epp) {
    const boiled_solution r =
        phase2(ws.est, ws.cd, ws.cl, ws.a_d, t, ws.ionic, ws.ya, ws.ah0, 1.0, ws.log);
    ws.cl = r.cl;
    store(ws, r.fluid);
  } else {
    speciate_liquid(ws, t);
  }
}

/// True when the discharge of sample s would be hotter at the separator (K) than in the aquifer
/// at the Tref of ws: only a sample with steam data has a separator.
bool separator_above_aquifer(const sample_totals& tot, const work_state& ws) {
  return ws.tc > ws.tref && tot.type == sample_type::two_phase;
}

/// Aquifer fluid at a measured or arbitrary reference temperature; the reason of a refusal.
std::optional<refusal_reason> solve_at_given_temperature(const sample_record& s,
                                                         const sample_totals& tot,
                                                         const run_options& opt, work_state& ws) {
  if (ws.yb > epp) {
    // The spring lost steam at Tb: put that steam back before speciating at Tref.
    lose_spring_steam(tot, opt, ws);
    store(ws, conflo(tot.water, ws.cs_spring, ws.m, ws.a, s.tds, ws.yb, 0.0, ws.ya, 0.0));
    ws.ionic = ws.ionic * (1.0 - ws.yb);
    speciate_liquid(ws, ws.tref);
    return std::nullopt;
  }
  if (separator_above_aquifer(tot, ws)) {
    // The discharge cannot have been hotter at the separator than in the aquifer.
    return refusal_reason::separator_above_reference;
  }
  store(ws, conflo(tot.water, tot.steam, ws.m, ws.a, s.tds, ws.yc, 0.0, ws.ya, 0.0));
  ws.ionic = ws.ionic * (1.0 - ws.yc) / (1.0 - ws.ya);
  speciate_aquifer(ws, ws.tref);
  return std::nullopt;
}

/// The geothermometer iteration's limits, shared by its steps.
constexpr double t_cap = 647.0;      // K, the cap of every reference temperature
constexpr double tb_spring = 250.0;  // K; a boiling-spring temperature lies above it
constexpr double geo_tol = 0.01;     // K, the change of Tref taken as settled

/// Recombines the discharge of sample s with the steam fractions of ws and speciates it at the
/// Tref of ws; the species of the previous pass are rescaled from the fractions they were
/// solved with. A boiling spring (spring) puts back the steam it lost instead of separator
/// steam, and its aquifer is liquid.
void recombine_at_reference(const sample_record& s, const sample_totals& tot, bool spring,
                            work_state& w) {
  if (spring) {
    store(w, conflo(tot.water, w.cs_spring, w.m, w.a, s.tds, w.yb, w.yb_old, w.ya, w.ya_old));
    w.ionic = (1.0 - w.yb) * w.ionic / (1.0 - w.yb_old);
    speciate_liquid(w, w.tref);
  } else {
    store(w, conflo(tot.water, tot.steam, w.m, w.a, s.tds, w.yc, w.yc_old, w.ya, w.ya_old));
    w.ionic = (1.0 - w.yc) * (1.0 - w.ya_old) * w.ionic / ((1.0 - w.ya) * (1.0 - w.yc_old));
    speciate_aquifer(w, w.tref);
  }
}

/// The temperature (K) the geothermometer of opt gives for the aquifer species of w, or the
/// reason it is refused; the Na/K thermometer leaves w with the ionic strength of its species.
std::variant<double, refusal_reason> geothermometer_temperature(const sample_record& s,
                                                                const sample_totals& tot,
                                                                const run_options& opt,
                                                                work_state& w) {
  using enum refusal_reason;
  constexpr double t_nak_high = 623.15;  // K, 350 °C
  double t_new = 0.0;
  if (opt.tref_type == reference_temperature::na_k) {
    w.ionic = strion(w.m);
    const double gamma_k = gamma(sp::k, w.tref, w.ionic);
    const double gamma_na = gamma(sp::na, w.tref, w.ionic);
    t_new = hnak(w.m[sp::na], w.m[sp::k], gamma_na, gamma_k);
    if (t_new > t_nak_high) {
      return nak_above_350;
    }
    if (t_new < zero_celsius_k) {
      return nak_below_0;
    }
  } else {
    t_new = opt.tref_type == reference_temperature::chalcedony
                ? hcha(w.m[sp::h4sio4])
                : tqsolv(w.tc, tot.water[comp::sio2], s.enthalpy, w.m);
    // Near the critical point the steam properties end; below 0 °C there is no liquid.
    if (t_new > t_cap) t_new = t_cap;
    if (t_new < zero_celsius_k) {
      return geothermometer_below_0;
    }
  }
  if (w.tb > tb_spring && t_new < w.tb) {
    // A spring cannot boil at a temperature above that of its aquifer.
    return spring_above_geothermometer;
  }
  return t_new;
}

/// Reference enthalpy (kJ/kg) and steam fractions of w at the new temperature t_new (K) from
/// the discharge enthalpy of sample s, the fractions before them kept as the old ones; the
/// reason of a refusal when one of them reaches saturated steam.
std::optional<refusal_reason> update_steam_fractions(const sample_record& s,
                                                     const sample_totals& tot, double t_new,
                                                     work_state& w) {
  w.href = entwat(t_new);
  if (s.enthalpy > w.href) {
    w.href = s.enthalpy;
    w.h_origin = enthalpy_origin::measured;
  } else {
    w.h_origin = enthalpy_origin::calculated;
  }
  bool saturated_steam = false;
  if (tot.type == sample_type::two_phase) {
    w.yc_old = w.yc;
    const double hc = entwat(w.tc);
    w.yc = w.href > hc ? (w.href - hc) / entlat(w.tc) : 0.0;
    saturated_steam = saturated_steam || w.yc >= 1.0;
  }
  w.ya_old = w.ya;
  if (w.h_origin == enthalpy_origin::measured && w.tb <= tb_spring) {
    w.ya = (w.href - entwat(t_new)) / entlat(t_new);
    saturated_steam = saturated_steam || w.ya >= 1.0;
  } else {
    w.ya = 0.0;
  }
  if (w.tb > tb_spring) {
    w.yb_old = w.yb;
    w.yb = (w.href - entwat(w.tb)) / entlat(w.tb);
    saturated_steam = saturated_steam || w.yb >= 1.0;
  }
  if (saturated_steam) {
    // No liquid would be left to recombine or to speciate.
    return refusal_reason::enthalpy_above_saturated_steam;
  }
  return std::nullopt;
}

/// One pass of the geothermometer iteration from the Tref of w: recombination, speciation and
/// geothermometer, then the enthalpy and steam fractions at the temperature found. Gives that
/// temperature (K), or the reason of a refusal.
std::variant<double, refusal_reason> geothermometer_pass(const sample_record& s,
                                                         const sample_totals& tot,
                                                         const run_options& opt, bool spring,
                                                         work_state& w) {
  recombine_at_reference(s, tot, spring, w);
  const std::variant<double, refusal_reason> t_new = geothermometer_temperature(s, tot, opt, w);
  if (const auto* t = std::get_if<double>(&t_new)) {
    if (const auto refused = update_steam_fractions(s, tot, *t, w)) return *refused;
  }
  return t_new;
}

/// How far (K) a plain pass from the temperature t (K), started from the state base, moves
/// it, with w left at the state of that pass; nothing when the pass refuses the sample.
std::optional<double> pass_moves(const sample_record& s, const sample_totals& tot,
                                 const run_options& opt, bool spring, const work_state& base,
                                 double t, work_state& w) {
  w = base;
  w.tref = t;
  const std::variant<double, refusal_reason> next = geothermometer_pass(s, tot, opt, spring, w);
  if (const auto* t_next = std::get_if<double>(&next)) return *t_next - t;
  return std::nullopt;
}

/// Two temperatures (K) between which a pass changes direction, and how far a pass moves the
/// lower one (K).
struct cycle_bracket {
  double lo = 0.0;
  double hi = 0.0;
  double h_lo = 0.0;
};

/// The bracket of the fixed point of the pass map from base: the last two temperatures
/// visited (K), else two neighbours among the last few between which the pass changes
/// direction; nothing when a pass refuses the sample or none changes direction.
std::optional<cycle_bracket> bracket_cycle(const sample_record& s, const sample_totals& tot,
                                           const run_options& opt, bool spring,
                                           const work_state& base,
                                           const std::vector<double>& visited) {
  std::vector<double> near(visited.end() - std::min<std::ptrdiff_t>(8, std::ssize(visited)),
                           visited.end());
  std::sort(near.begin(), near.end());
  near.erase(std::unique(near.begin(), near.end()), near.end());
  std::vector<double> moved(near.size());
  work_state w;
  for (std::size_t i = 0; i < near.size(); ++i) {
    const std::optional<double> h = pass_moves(s, tot, opt, spring, base, near[i], w);
    if (!h) return std::nullopt;
    moved[i] = *h;
  }
  std::size_t at = near.size();
  for (std::size_t i = 0; i + 1 < near.size() && at == near.size(); ++i) {
    if ((moved[i] < 0.0) != (moved[i + 1] < 0.0)) at = i;
  }
  if (at == near.size()) return std::nullopt;
  return cycle_bracket{near[at], near[at + 1], moved[at]};
}

/// When the passes from ws cycle between temperatures: the fixed point of the pass map in the
/// bracket of the temperatures visited (K), found by bisection and accepted only if a plain
/// pass from it moves it by less than the tolerance; ws is then left at the state of that pass.
/// The reason of a refusal otherwise: a jump in the pass map leaves no such point.
std::optional<refusal_reason> settle_cycle(const sample_record& s, const sample_totals& tot,
                                           const run_options& opt, bool spring,
                                           const std::vector<double>& visited, work_state& ws) {
  using enum refusal_reason;
  constexpr int max_halvings = 60;
  const work_state base = ws;
  const std::optional<cycle_bracket> bracket = bracket_cycle(s, tot, opt, spring, base, visited);
  if (!bracket) return geothermometer_not_converged;
  double lo = bracket->lo, hi = bracket->hi, h_lo = bracket->h_lo;
  work_state w;
  for (int i = 0; i < max_halvings; ++i) {
    const double mid = 0.5 * (lo + hi);
    const std::optional<double> h = pass_moves(s, tot, opt, spring, base, mid, w);
    if (!h) return geothermometer_not_converged;
    const double h_mid = *h;
    if (std::abs(h_mid) < geo_tol) {
      ws = w;  // the state of that one pass: species at mid, fractions updated
      if (separator_above_aquifer(tot, ws)) return separator_above_reference;
      return std::nullopt;
    }
    if ((h_mid < 0.0) == (h_lo < 0.0)) {
      lo = mid;
      h_lo = h_mid;
    } else {
      hi = mid;
    }
  }
  return geothermometer_not_converged;
}

/// Aquifer fluid at a geothermometer temperature: recombination, speciation and
/// geothermometer are repeated until the temperature settles; the reason of a refusal.
std::optional<refusal_reason> solve_at_geothermometer_temperature(const sample_record& s,
                                                                  const sample_totals& tot,
                                                                  const run_options& opt,
                                                                  work_state& ws) {
  using enum refusal_reason;
  constexpr int max_passes = 49;
  constexpr int separator_patience = 20;  // passes before a too cold aquifer is given up

  const bool spring = ws.yb > epp;
  if (spring) lose_spring_steam(tot, opt, ws);

  std::vector<double> visited;  // the temperatures the passes started from
  for (int k = 1;; ++k) {
    visited.push_back(ws.tref);
    const std::variant<double, refusal_reason> pass = geothermometer_pass(s, tot, opt, spring, ws);
    if (const auto* refused = std::get_if<refusal_reason>(&pass)) return *refused;
    const double t_new = std::get<double>(pass);
    if (std::abs(ws.tref - t_new) < geo_tol) {
      // Converged; Tref keeps the value the species were solved at.
      if (separator_above_aquifer(tot, ws)) return separator_above_reference;
      return std::nullopt;
    }
    ws.tref = t_new;
    if (k > separator_patience && separator_above_aquifer(tot, ws)) {
      return separator_above_reference;
    }
    if (k >= max_passes) {
      // The passes cycle between two temperatures. When one pass is continuous between them,
      // they bracket its fixed point, and the sample is taken as settled there.
      visited.push_back(t_new);
      return settle_cycle(s, tot, opt, spring, visited, ws);
    }
  }
}

}  // namespace

void store(work_state& ws, const phase_solution& r) {
  ws.ah = r.ah;
  ws.ah0 = r.ah0;
  ws.ionic = r.ionic;
  ws.v = r.v;
  ws.mgas = r.m;
  ws.m = r.sp;
  ws.b = r.b;
}

void store(work_state& ws, const recombined& r) {
  ws.cd = r.cd;
  ws.cl = r.cl;
  ws.est = r.est;
  ws.a_d = r.a_d;
  ws.tds_d = r.tds_d;
}

void store(work_state& ws, const phase_compositions& r) {
  ws.steam_mgkg = r.steam_mgkg;
  ws.liquid_mgkg = r.liquid_mgkg;
  ws.tds_liquid = r.tds_liquid;
}

void store(work_state& ws, const gas_pressure_set& r) {
  ws.p = r.p;
  ws.ptotal = r.ptotal;
}

bool finite_state(const work_state& ws) {
  // The activity coefficients of the report take the square root of the ionic strength.
  bool ok = std::isfinite(ws.ah) && ws.ah > 0.0 && ws.ionic >= 0.0 && ws.ionic_sampling >= 0.0;
  for (double x : {ws.ionic, ws.ionic_sampling, ws.balance.anions, ws.balance.cations,
                   ws.balance.difference_pct, ws.a, ws.tref, ws.href, ws.yc, ws.ya, ws.yb, ws.a_d,
                   ws.tds_d, ws.ptotal, ws.tds_liquid}) {
    ok = ok && std::isfinite(x);
  }
  for (int i = 1; i <= species_vector::size; ++i) ok = ok && std::isfinite(ws.m[i]);
  for (int i = 1; i <= component_vector::size; ++i) {
    ok = ok && std::isfinite(ws.cd[i]) && std::isfinite(ws.liquid_mgkg[i]);
  }
  for (int i = 1; i <= gas_vector::size; ++i) {
    ok = ok && std::isfinite(ws.v[i]) && std::isfinite(ws.mgas[i]) && std::isfinite(ws.b[i]) &&
         std::isfinite(ws.steam_mgkg[i]);
  }
  for (double x : ws.p) ok = ok && std::isfinite(x);
  return ok;
}

std::optional<refusal_reason> solve_sampled_water(const sample_record& s, const sample_totals& tot,
                                                  work_state& ws) {
  // A total below zero has no species to hold it: a slip in the analysis, or a condensate
  // richer in CO2, H2S or NH3 than the steam it was taken from, which makes the gas volume
  // derived from them negative. Only a sample with steam-phase data uses its steam totals.
  bool negative = false;
  for (int i = 1; i <= component_vector::size; ++i) {
    negative = negative || tot.water[i] < 0.0 ||
               (tot.type == sample_type::two_phase && tot.steam[i] < 0.0);
  }
  if (negative) return refusal_reason::negative_concentration;
  speciate_sampled_water(s, tot, ws);
  return std::nullopt;
}

std::optional<refusal_reason> solve_reference_state(const sample_record& s, const run_options& opt,
                                                    work_state& ws) {
  const sample_totals tot = derive(s);
  if (const auto refused = solve_sampled_water(s, tot, ws)) return refused;

  const std::variant<reference_conditions, refusal_reason> conditions =
      param({.pc_gauge = s.pressure_bar_g,
             .h = s.enthalpy,
             .ref_type = opt.tref_type,
             .t_typed_c = opt.t_typed_c.value_or(0.0),
             .t_measured_c = s.collection.t_c,
             .type = tot.type,
             .t_boil_c = opt.t_spring_c.value_or(0.0),
             .c = tot.water});
  if (const auto* refused = std::get_if<refusal_reason>(&conditions)) return *refused;
  const reference_conditions& rc = std::get<reference_conditions>(conditions);
  ws.yc = rc.yc;
  ws.ya = rc.ya;
  ws.yb = rc.yb;
  ws.href = rc.href;
  ws.tref = rc.tref;
  ws.tc = rc.tc;
  ws.tb = rc.tb;
  ws.h_origin = rc.h_origin;

  // The proton balance of the sampled water is what every later pH keeps.
  ws.a = proton_balance(ws.m);
  ws.yc_old = 0.0;
  ws.yb_old = 0.0;
  ws.ya_old = 0.0;
  ws.ah0 = ws.ah;

  const bool given = opt.tref_type == reference_temperature::measured ||
                     opt.tref_type == reference_temperature::arbitrary;
  if (const auto refused = given ? solve_at_given_temperature(s, tot, opt, ws)
                                 : solve_at_geothermometer_temperature(s, tot, opt, ws)) {
    return refused;
  }

  ws.ionic = strion(ws.m);
  ws.degas = 1.0;
  store(ws, gasprs(ws.mgas, ws.tref, ws.degas));
  store(ws, aquife(ws.v, ws.mgas, ws.cd, ws.tds_d, ws.b, ws.ya));
  // Nothing that is not a number may reach the report.
  if (!finite_state(ws)) return refusal_reason::not_finite;
  return std::nullopt;
}

fluid_state snapshot(const work_state& ws, double t, double y, double f,
                     const component_vector& totals) {
  fluid_state st;
  st.t = t;
  st.ionic = ws.ionic;
  st.ah = ws.ah;
  st.ph = -std::log10(ws.ah);
  st.m = ws.m;
  st.totals = totals;
  st.gamma = gamma_all(t, ws.ionic);
  st.p_h2o = ws.p[0];
  for (int g = 1; g <= gas_vector::size; ++g) st.p_gas[g] = ws.p[static_cast<std::size_t>(g)];
  st.ptotal = ws.ptotal;
  st.liquid_mgkg = ws.liquid_mgkg;
  st.steam_mgkg = ws.steam_mgkg;
  st.tds_liquid = ws.tds_liquid;
  st.steam_fraction = y;
  st.degassing = f;
  st.mass_balance = ws.log.mass_balance;
  st.ph_first = ws.log.ph_first;
  st.ph_later = ws.log.ph_later;
  st.derived = derive(st);
  return st;
}

}  // namespace morva
