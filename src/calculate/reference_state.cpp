#include <algorithm>
#include <cmath>
#include <initializer_list>
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
  setini(c, ws.est);
  species_vector x;
  solver_factors fac;  // at the pH temperature and the ionic strength of the pass
  make_factors(tot.ph_t, ws.ionic, fac);
  ws.log.note(masbal(c, ws.ah, fac, ws.est, x));
  spemol(x, ws.ah, fac, ws.m);
  for (int pass = 1; pass <= ionic_passes; ++pass) {
    ws.ionic = strion(ws.m);
    change_ionic_strength(ws.ionic, fac);
    ws.log.note(masbal(c, ws.ah, fac, ws.m, x));
    spemol(x, ws.ah, fac, ws.m);
  }
  ws.ionic_sampling = strion(ws.m);
  ws.m_sampling = ws.m;
  ws.ionic = ws.ionic_sampling;
  balion(ws.m, ws.anions, ws.cations, ws.balance_diff);
}

/// Liquid speciation of the discharge totals at T (K).
void speciate_liquid(work_state& ws, double t) {
  phase1(ws.est, ws.cd, ws.a_d, t, ws.ah0, ws.ionic, ws.ah, ws.v, ws.mgas, ws.m, ws.b, ws.log);
}

/// Speciation of the discharge at T (K) with aquifer steam fraction ya: boiled when steam is
/// present, liquid otherwise.
void speciate_aquifer(work_state& ws, double t) {
  if (ws.ya > epp) {
    phase2(ws.est, ws.cd, ws.cl, ws.a_d, t, ws.ionic, ws.ya, ws.ah0, 1.0, ws.ah, ws.v, ws.mgas,
           ws.m, ws.b, ws.log);
  } else {
    speciate_liquid(ws, t);
  }
}

/// Aquifer fluid at a measured or arbitrary reference temperature; the reason of a refusal.
std::optional<refusal_reason> solve_at_given_temperature(const sample_record& s,
                                                         const sample_totals& tot,
                                                         const run_options& opt, work_state& ws) {
  if (ws.yb > epp) {
    // The spring lost steam at Tb: put that steam back before speciating at Tref.
    springs(tot.water, ws.m, ws.a, ws.tb, ws.ah0, ws.ya, opt.spring_degas, ws.ionic, ws.cs_spring,
            ws.log);
    conflo(tot.water, ws.cs_spring, ws.m, ws.a, s.tds, ws.yb, 0.0, ws.ya, 0.0, ws.cd, ws.cl, ws.est,
           ws.a_d, ws.tds_d);
    ws.ionic = ws.ionic * (1.0 - ws.yb);
    speciate_liquid(ws, ws.tref);
    return std::nullopt;
  }
  if (ws.tc > ws.tref && tot.type == sample_type::two_phase) {
    // The discharge cannot have been hotter at the separator than in the aquifer.
    return refusal_reason::separator_above_reference;
  }
  conflo(tot.water, tot.steam, ws.m, ws.a, s.tds, ws.yc, 0.0, ws.ya, 0.0, ws.cd, ws.cl, ws.est,
         ws.a_d, ws.tds_d);
  ws.ionic = ws.ionic * (1.0 - ws.yc) / (1.0 - ws.ya);
  speciate_aquifer(ws, ws.tref);
  return std::nullopt;
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
  constexpr double tol = 0.01;            // K
  constexpr double t_cap = 647.0;         // K, the cap of every reference temperature
  constexpr double t_nak_high = 623.15;   // K, 350 °C
  constexpr double tb_spring = 250.0;     // K; a boiling-spring temperature lies above it

  const bool spring = ws.yb > epp;
  if (spring) {
    springs(tot.water, ws.m, ws.a, ws.tb, ws.ah0, ws.ya, opt.spring_degas, ws.ionic, ws.cs_spring,
            ws.log);
  }

  // One pass: recombination, speciation and geothermometer at the Tref of w, then the
  // enthalpy and steam fractions at the new temperature t_new; the reason of a refusal.
  const auto one_pass = [&](work_state& w, double& t_new) -> std::optional<refusal_reason> {
    // Recombine with the fractions of this pass and speciate at the current Tref; the
    // species of the previous pass are rescaled from the fractions they were solved with.
    if (spring) {
      conflo(tot.water, w.cs_spring, w.m, w.a, s.tds, w.yb, w.yb_old, w.ya, w.ya_old, w.cd, w.cl,
             w.est, w.a_d, w.tds_d);
      w.ionic = (1.0 - w.yb) * w.ionic / (1.0 - w.yb_old);
      speciate_liquid(w, w.tref);
    } else {
      conflo(tot.water, tot.steam, w.m, w.a, s.tds, w.yc, w.yc_old, w.ya, w.ya_old, w.cd, w.cl,
             w.est, w.a_d, w.tds_d);
      w.ionic = (1.0 - w.yc) * (1.0 - w.ya_old) * w.ionic / ((1.0 - w.ya) * (1.0 - w.yc_old));
      speciate_aquifer(w, w.tref);
    }

    // The geothermometer applied to the aquifer species just found.
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

    // Enthalpy and steam fractions at the new temperature.
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
      return enthalpy_above_saturated_steam;
    }
    return std::nullopt;
  };

  std::vector<double> visited;  // the temperatures the passes started from
  for (int k = 1;; ++k) {
    double t_new = 0.0;
    visited.push_back(ws.tref);
    if (const auto refused = one_pass(ws, t_new)) return refused;
    if (std::abs(ws.tref - t_new) < tol) {
      // Converged; Tref keeps the value the species were solved at.
      if (ws.tc > ws.tref && tot.type == sample_type::two_phase) return separator_above_reference;
      return std::nullopt;
    }
    ws.tref = t_new;
    if (k > separator_patience && ws.tc > ws.tref && tot.type == sample_type::two_phase) {
      return separator_above_reference;
    }
    if (k >= max_passes) {
      // The passes cycle between two temperatures. When one pass is continuous between them,
      // they bracket its fixed point: found by bisection, it is accepted only if a plain pass
      // from it moves it by less than the tolerance, and the sample is then taken as settled
      // there. A jump in the pass map leaves no such point, and the refusal stands.
      constexpr int max_halvings = 60;
      const work_state base = ws;
      const auto pass_from = [&](double t, work_state& w, double& moved) {
        w = base;
        w.tref = t;
        double next = 0.0;
        if (one_pass(w, next)) return false;
        moved = next - t;
        return true;
      };
      // The bracket: the last two temperatures, else two neighbours among the last few
      // visited between which the pass changes direction.
      visited.push_back(t_new);
      std::vector<double> near(visited.end() - std::min<std::ptrdiff_t>(8, std::ssize(visited)),
                               visited.end());
      std::sort(near.begin(), near.end());
      near.erase(std::unique(near.begin(), near.end()), near.end());
      std::vector<double> moved(near.size());
      work_state w;
      for (std::size_t i = 0; i < near.size(); ++i) {
        if (!pass_from(near[i], w, moved[i])) return geothermometer_not_converged;
      }
      std::size_t at = near.size();
      for (std::size_t i = 0; i + 1 < near.size() && at == near.size(); ++i) {
        if ((moved[i] < 0.0) != (moved[i + 1] < 0.0)) at = i;
      }
      if (at == near.size()) return geothermometer_not_converged;
      double lo = near[at], hi = near[at + 1], h_lo = moved[at];
      for (int i = 0; i < max_halvings; ++i) {
        const double mid = 0.5 * (lo + hi);
        double h_mid = 0.0;
        if (!pass_from(mid, w, h_mid)) return geothermometer_not_converged;
        if (std::abs(h_mid) < tol) {
          ws = w;  // the state of that one pass: species at mid, fractions updated
          if (ws.tc > ws.tref && tot.type == sample_type::two_phase)
            return separator_above_reference;
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
  }
}

}  // namespace

bool finite_state(const work_state& ws) {
  // The activity coefficients of the report take the square root of the ionic strength.
  bool ok = std::isfinite(ws.ah) && ws.ah > 0.0 && ws.ionic >= 0.0 && ws.ionic_sampling >= 0.0;
  for (double x :
       {ws.ionic, ws.ionic_sampling, ws.anions, ws.cations, ws.balance_diff, ws.a, ws.tref, ws.href,
        ws.yc, ws.ya, ws.yb, ws.a_d, ws.tds_d, ws.ptotal, ws.tds_liquid}) {
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

std::optional<refusal_reason> solve_reference_state(const sample_record& s, const run_options& opt,
                                                    work_state& ws) {
  // A total below zero has no species to hold it: a slip in the analysis, or a condensate
  // richer in CO2, H2S or NH3 than the steam it was taken from, which makes the gas volume
  // derived from them negative. Only a sample with steam-phase data uses its steam totals.
  const sample_totals tot = derive(s);
  bool negative = false;
  for (int i = 1; i <= component_vector::size; ++i) {
    negative = negative || tot.water[i] < 0.0 ||
               (tot.type == sample_type::two_phase && tot.steam[i] < 0.0);
  }
  if (negative) return refusal_reason::negative_concentration;
  speciate_sampled_water(s, tot, ws);

  // param reads a typed or spring temperature of 0 as none given, and numbers the sample types
  // 1 (water only) and 2 (steam-phase data present).
  const int type_number = tot.type == sample_type::two_phase ? 2 : 1;
  if (const auto refused =
          param(s.pressure_bar_g, s.enthalpy, opt.tref_type, opt.t_typed_c.value_or(0.0),
                s.collection.t_c, type_number, opt.t_spring_c.value_or(0.0), tot.water, ws.yc,
                ws.ya, ws.yb, ws.href, ws.tref, ws.tc, ws.tb, ws.h_origin)) {
    return refused;
  }

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
  gasprs(ws.mgas, ws.tref, ws.degas, ws.p, ws.ptotal);
  aquife(ws.v, ws.mgas, ws.cd, ws.tds_d, ws.b, ws.ya, ws.steam_mgkg, ws.liquid_mgkg, ws.tds_liquid);
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
  gamma_all(t, ws.ionic, st.gamma);
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
