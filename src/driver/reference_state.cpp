#include "driver/reference_state.h"

#include <cmath>
#include <initializer_list>
#include <ostream>
#include <string_view>

#include "chemdata/activity.h"
#include "chemdata/units.h"
#include "derived/ion_balance.h"
#include "geotherm/geothermometers.h"
#include "phases/recombination.h"
#include "phases/reference.h"
#include "phases/speciation.h"
#include "report/fields.h"
#include "report/sections.h"
#include "solver/factors.h"
#include "solver/mass_balance.h"
#include "steam/saturation.h"

namespace morva {

namespace {

/// A steam fraction above this counts as steam being present.
constexpr double epp = 1e-30;

/// Refusal of the sample: two empty lines and the reason, and unless `closing` is false the
/// line that says nothing will be calculated.
void refuse(std::ostream& term, std::string_view reason, bool closing = true) {
  put(term, record{});
  put(term, record{});
  put(term, record{}.A(reason));
  if (closing) put(term, record{}.A(" Calculation suppressed"));
}

void refuse_separator(std::ostream& term) {
  refuse(term, " Reference temperature below separator temperature");
}

/// The sampled water at the temperature of its pH measurement, with the measured pH fixed:
/// its species, ionic strength and ion balance, and the proton balance it hands on.
void speciate_sampled_water(const sample_record& s, work_state& ws, std::ostream& term) {
  constexpr int ionic_passes = 5;
  const component_vector& c = s.water;
  // A first ionic strength from the major cations alone.
  ws.ionic = c[comp::na] + c[comp::k] + 4.0 * (c[comp::mg] + c[comp::ca]);
  ws.ah = std::pow(10.0, -s.ph);
  setini(c, ws.est);
  species_vector x;
  solver_factors fac;  // at the pH temperature and the ionic strength of the pass
  make_factors(s.ph_t, ws.ionic, fac);
  masbal(c, ws.ah, fac, ws.est, x, ws.mb_msg, term);
  spemol(x, ws.ah, fac, ws.m);
  for (int pass = 1; pass <= ionic_passes; ++pass) {
    ws.ionic = strion(ws.m);
    change_ionic_strength(ws.ionic, fac);
    masbal(c, ws.ah, fac, ws.m, x, ws.mb_msg, term);
    spemol(x, ws.ah, fac, ws.m);
  }
  ws.ionic_sampling = strion(ws.m);
  ws.ionic = ws.ionic_sampling;
  balion(ws.m, ws.anions, ws.cations, ws.balance_diff);
}

/// Liquid speciation of the discharge totals at T (K).
void speciate_liquid(work_state& ws, double t, std::ostream& term) {
  phase1(ws.est, ws.cd, ws.a_d, t, ws.ah0, ws.ionic, ws.ah, ws.v, ws.mgas, ws.m, ws.b, ws.ph_msg1,
         ws.ph_msg2, ws.mb_msg, term);
}

/// Speciation of the discharge at T (K) with aquifer steam fraction ya: boiled when steam is
/// present, liquid otherwise.
void speciate_aquifer(work_state& ws, double t, std::ostream& term) {
  if (ws.ya > epp) {
    phase2(ws.est, ws.cd, ws.cl, ws.a_d, t, ws.ionic, ws.ya, ws.ah0, 1.0, ws.ah, ws.v, ws.mgas,
           ws.m, ws.b, ws.ph_msg1, ws.ph_msg2, ws.mb_msg, term);
  } else {
    speciate_liquid(ws, t, term);
  }
}

/// Aquifer fluid at a measured or arbitrary reference temperature. False after a refusal.
bool solve_at_given_temperature(const sample_record& s, const run_options& opt, work_state& ws,
                                std::ostream& term) {
  if (ws.yb > epp) {
    // The spring lost steam at Tb: put that steam back before speciating at Tref.
    springs(s.water, ws.m, ws.a, ws.tb, ws.ah0, ws.ya, opt.spring_degas, ws.ionic, ws.cs_spring,
            ws.mb_msg, term);
    conflo(s.water, ws.cs_spring, ws.m, ws.a, s.tds, ws.yb, 0.0, ws.ya, 0.0, ws.cd, ws.cl, ws.est,
           ws.a_d, ws.tds_d);
    ws.ionic = ws.ionic * (1.0 - ws.yb);
    speciate_liquid(ws, ws.tref, term);
    return true;
  }
  if (ws.tc > ws.tref && s.type == 2) {
    // The discharge cannot have been hotter at the separator than in the aquifer.
    refuse_separator(term);
    return false;
  }
  conflo(s.water, s.steam, ws.m, ws.a, s.tds, ws.yc, 0.0, ws.ya, 0.0, ws.cd, ws.cl, ws.est, ws.a_d,
         ws.tds_d);
  ws.ionic = ws.ionic * (1.0 - ws.yc) / (1.0 - ws.ya);
  speciate_aquifer(ws, ws.tref, term);
  return true;
}

/// Aquifer fluid at a geothermometer temperature: recombination, speciation and
/// geothermometer are repeated until the temperature settles. False after a refusal.
bool solve_at_geothermometer_temperature(const sample_record& s, const run_options& opt,
                                         work_state& ws, std::ostream& term) {
  constexpr int max_passes = 49;
  constexpr int separator_patience = 20;  // passes before a too cold aquifer is given up
  constexpr double tol = 0.01;            // K
  constexpr double t_cap = 647.0;         // K, the cap of every reference temperature
  constexpr double t_nak_high = 623.15;   // K, 350 °C
  constexpr double tb_spring = 250.0;     // K; a boiling-spring temperature lies above it

  const bool spring = ws.yb > epp;
  if (spring) {
    springs(s.water, ws.m, ws.a, ws.tb, ws.ah0, ws.ya, opt.spring_degas, ws.ionic, ws.cs_spring,
            ws.mb_msg, term);
  }

  for (int k = 1;; ++k) {
    // Recombine with the fractions of this pass and speciate at the current Tref; the
    // species of the previous pass are rescaled from the fractions they were solved with.
    if (spring) {
      conflo(s.water, ws.cs_spring, ws.m, ws.a, s.tds, ws.yb, ws.yb_old, ws.ya, ws.ya_old, ws.cd,
             ws.cl, ws.est, ws.a_d, ws.tds_d);
      ws.ionic = (1.0 - ws.yb) * ws.ionic / (1.0 - ws.yb_old);
      speciate_liquid(ws, ws.tref, term);
    } else {
      conflo(s.water, s.steam, ws.m, ws.a, s.tds, ws.yc, ws.yc_old, ws.ya, ws.ya_old, ws.cd, ws.cl,
             ws.est, ws.a_d, ws.tds_d);
      ws.ionic = (1.0 - ws.yc) * (1.0 - ws.ya_old) * ws.ionic / ((1.0 - ws.ya) * (1.0 - ws.yc_old));
      speciate_aquifer(ws, ws.tref, term);
    }

    // The geothermometer applied to the aquifer species just found.
    double t_new = 0.0;
    if (opt.tref_type == 4) {
      ws.ionic = strion(ws.m);
      const double gamma_k = gamma(sp::k, ws.tref, ws.ionic);
      const double gamma_na = gamma(sp::na, ws.tref, ws.ionic);
      t_new = hnak(ws.m[sp::na], ws.m[sp::k], gamma_na, gamma_k);
      if (t_new > t_nak_high) {
        refuse(term,
               " Na-K temperature exceeds 350 \xB0"
               "C");
        return false;
      }
      if (t_new < zero_celsius_k) {
        refuse(term,
               " Na-K temperature below 0 \xB0"
               "C");
        return false;
      }
    } else {
      t_new = opt.tref_type == 2 ? hcha(ws.m[sp::h4sio4])
                                 : tqsolv(ws.tc, s.water[comp::sio2], s.enthalpy, ws.m);
      // Near the critical point the steam properties end; below 0 °C there is no liquid.
      if (t_new > t_cap) t_new = t_cap;
      if (t_new < zero_celsius_k) {
        refuse(term,
               " Geothermometer temperature below 0 \xB0"
               "C");
        return false;
      }
    }
    if (ws.tb > tb_spring && t_new < ws.tb) {
      // A spring cannot boil at a temperature above that of its aquifer.
      refuse(term, " Steam separation temperature higher than reference temperature");
      return false;
    }

    // Enthalpy and steam fractions at the new temperature.
    ws.href = entwat(t_new);
    if (s.enthalpy > ws.href) {
      ws.href = s.enthalpy;
      ws.h_label = "  (Measured)  ";
    } else {
      ws.h_label = "  (Calculated)";
    }
    bool saturated_steam = false;
    if (s.type == 2) {
      ws.yc_old = ws.yc;
      const double hc = entwat(ws.tc);
      ws.yc = ws.href > hc ? (ws.href - hc) / entlat(ws.tc) : 0.0;
      saturated_steam = saturated_steam || ws.yc >= 1.0;
    }
    ws.ya_old = ws.ya;
    if (ws.h_label.compare(3, 4, "Meas") == 0 && ws.tb <= tb_spring) {
      ws.ya = (ws.href - entwat(t_new)) / entlat(t_new);
      saturated_steam = saturated_steam || ws.ya >= 1.0;
    } else {
      ws.ya = 0.0;
    }
    if (ws.tb > tb_spring) {
      ws.yb_old = ws.yb;
      ws.yb = (ws.href - entwat(ws.tb)) / entlat(ws.tb);
      saturated_steam = saturated_steam || ws.yb >= 1.0;
    }
    if (saturated_steam) {
      // No liquid would be left to recombine or to speciate.
      refuse(term, " Enthalpy above that of saturated steam");
      return false;
    }

    if (std::abs(ws.tref - t_new) < tol) {
      // Converged; Tref keeps the value the species were solved at.
      if (ws.tc > ws.tref && s.type == 2) {
        refuse_separator(term);
        return false;
      }
      return true;
    }
    ws.tref = t_new;
    if (k > separator_patience && ws.tc > ws.tref && s.type == 2) {
      refuse_separator(term);
      return false;
    }
    if (k >= max_passes) {
      refuse(term, " No convergence in geothermometer  calculation", false);
      return false;
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

void solve_reference_state(const sample_record& s, const run_options& opt, work_state& ws,
                           bool& suppress, std::ostream& term) {
  suppress = false;
  // A total below zero has no species to hold it: a slip in the analysis, or a condensate
  // richer in CO2, H2S or NH3 than the steam it was taken from, which makes the gas volume
  // derived from them negative. Only a sample with steam-phase data uses its steam totals.
  bool negative = false;
  for (int i = 1; i <= component_vector::size; ++i) {
    negative = negative || s.water[i] < 0.0 || (s.type == 2 && s.steam[i] < 0.0);
  }
  if (negative) {
    refuse(term, " Negative concentration in the sample data");
    suppress = true;
    return;
  }
  speciate_sampled_water(s, ws, term);

  param(s.pressure_bar_g, s.enthalpy, opt.tref_type, opt.t_typed_c, s.collection[2], s.type,
        opt.t_spring_c, s.water, ws.yc, ws.ya, ws.yb, ws.href, ws.tref, ws.tc, ws.tb, ws.t_label,
        ws.h_label, suppress, term);
  if (suppress) return;

  // The proton balance of the sampled water is what every later pH keeps.
  ws.a = proton_balance(ws.m);
  ws.yc_old = 0.0;
  ws.yb_old = 0.0;
  ws.ya_old = 0.0;
  ws.ah0 = ws.ah;

  const bool solved = opt.tref_type <= 1 ? solve_at_given_temperature(s, opt, ws, term)
                                         : solve_at_geothermometer_temperature(s, opt, ws, term);
  if (!solved) {
    suppress = true;
    return;
  }

  ws.ionic = strion(ws.m);
  ws.degas = 1.0;
  gasprs(ws.mgas, ws.tref, ws.degas, ws.p, ws.ptotal);
  aquife(ws.v, ws.mgas, ws.cd, ws.tds_d, ws.b, ws.ya, ws.steam_mgkg, ws.liquid_mgkg, ws.tds_liquid);
  if (!finite_state(ws)) {
    // Nothing that is not a number may reach the report.
    refuse(term, " Analysis out of range: the calculation gives no finite result");
    suppress = true;
  }
}

bool report_reference_state(run_state& rs, const sample_record& s, const run_options& opt,
                            const work_state& ws, std::ostream& err) {
  // The quartz temperature above which the report warns that Tref was held at its cap.
  constexpr double t_quartz_warn = 606.15;  // K

  if (!rs.make_report_ready(err)) return false;
  std::ostream& rep = rs.report;
  put(rep, record{}.A(std::string(1, rs.page_separator)));

  out1(s.water, s.gas, s.condensate, s.steam_mgkg, s.collection, ws.t_label, ws.h_label, rs.user,
       rs.heading, s.number, s.location, ws.tref, s.ph, s.ph_t, s.pressure_bar_g, ws.href, s.tds,
       ws.ionic_sampling, ws.anions, ws.cations, ws.balance_diff, ws.yc, ws.yb, opt.t_spring_c,
       opt.spring_degas, ws.ph_msg1, rep);
  out2(ws.steam_mgkg, ws.liquid_mgkg, ws.tds_liquid, ws.p, ws.ptotal, ws.ya, rep);
  out3(ws.m, ws.liquid_mgkg, ws.ah, ws.ionic, ws.tref, ws.ph_msg2, ws.mb_msg, rep);

  if (opt.tref_type == 3) {
    const double t_quartz = hqtz(ws.m[sp::h4sio4]);
    if (t_quartz > t_quartz_warn && t_quartz > ws.tref) {
      put(rep, record{});
      put(rep, record{}.A("     *** Quartz geothermometer temperature exceeds 333 degrees C."));
      put(rep, record{}.A("     *** Reference temperature set to 333 degrees C."));
    }
  }

  rs.page_separator = separator_form_feed;
  put(rep, record{}.A(std::string(1, rs.page_separator)));
  put(rep, record{});
  put(rep, record{}.X(5).A("Activity coefficients in water").X(40).A(padded(s.number, 16)));
  out4(ws.tref, ws.ionic, rep);
  out5(ws.m, ws.ah, rep);
  out6(ws.m, ws.tref, ws.ionic, rep);
  return true;
}

}  // namespace morva
