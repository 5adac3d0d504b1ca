#include "morva/calculate.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <variant>
#include <vector>

#include "calculate/work_state.h"
#include "chemdata/activity.h"
#include "chemdata/units.h"
#include "derived/minerals.h"
#include "geotherm/geothermometers.h"
#include "morva/checks.h"
#include "phases/gas_distribution.h"
#include "phases/recombination.h"
#include "phases/speciation.h"
#include "steam/saturation.h"

namespace morva {

namespace {

/// A step begins with the solver's counts of its own.
void begin_step(work_state& ws) { ws.log.unconverged = 0; }

/// The step's result once calculated: its state, whose species hold the liquid totals (mol/kg),
/// or the reason it was skipped; ws is put back to the last calculated state when the step
/// overflowed.
step_result finish_step(step_kind kind, double t_c, double y, const component_vector& totals,
                        work_state& ws, const work_state& before) {
  step_result r;
  r.kind = kind;
  r.t_c = t_c;
  r.degassing = ws.degas;
  r.unconverged_mass_balances = ws.log.unconverged;
  if (!finite_state(ws)) {
    ws = before;
    r.skipped = skip_reason::not_finite;
  } else {
    r.state = snapshot(ws, kelvin(t_c), y, ws.degas, totals);
  }
  return r;
}

}  // namespace

namespace {

/// The cooling step of ws with the solver's and the gases' temperature terms st and gt.
void cool_with(work_state& ws, const solver_temperature& st, const gas_temperature& gt) {
  begin_step(ws);
  ws.ah0 = ws.ah;
  ws.est = ws.m;
  store(ws, phase1(ws.est, ws.cd, ws.a_d, st, ws.ah0, ws.ionic, ws.log));
  ws.degas = 1.0;
  store(ws, gasprs(ws.mgas, gt, ws.degas));
  store(ws, aquife(ws.v, ws.mgas, ws.cd, ws.tds_d, ws.b, 0.0));
}

}  // namespace

temperature_terms make_temperature_terms(double t) {
  return {make_solver_temperature(t), make_gas_temperature(t), solpro_all(t)};
}

void cool(work_state& ws, double t) {
  cool_with(ws, make_solver_temperature(t), make_gas_temperature(t));
}

void cool(work_state& ws, const temperature_terms& tt) { cool_with(ws, tt.solver, tt.gas); }

step_result cooling_step(work_state& ws, double t_c) {
  const work_state before = ws;
  cool(ws, kelvin(t_c));
  return finish_step(step_kind::cooling, t_c, 0.0, ws.cd, ws, before);
}

namespace {

/// The cooling steps and then the boiling steps of opt, each starting from the last state
/// calculated before it (ws, solved at the reference temperature on entry).
void process_steps(const run_options& opt, work_state& ws, std::vector<step_result>& steps) {
  // At most ten steps of each kind are calculated.
  constexpr std::size_t max_steps = 10;
  constexpr double epp = 1e-30;  // a steam fraction above this counts as steam
  const std::size_t n_cool = std::min(opt.cool_c.size(), max_steps);
  const std::size_t n_boil = std::min(opt.boil_c.size(), max_steps);

  // Conductive cooling: the discharge of the reference state, unchanged, at each temperature;
  // the previous step only gives the starting values.
  for (std::size_t j = 0; j < n_cool; ++j) steps.push_back(cooling_step(ws, opt.cool_c[j]));

  // Adiabatic boiling in one stage from the reference enthalpy down to each temperature.
  double y_old = ws.ya;
  for (std::size_t j = 0; j < n_boil; ++j) {
    const double t_c = opt.boil_c[j];
    const double t = kelvin(t_c);
    double y = (ws.href - entwat(t)) / entlat(t);
    if (y < 0.0) y = 0.0;
    if (!(y < 1.0)) {
      // The fluid would be all steam: there is no liquid to speciate.
      step_result r;
      r.kind = step_kind::boiling;
      r.t_c = t_c;
      r.degassing = opt.boil_degas;
      r.skipped = skip_reason::no_liquid;
      steps.push_back(r);
      continue;
    }
    const work_state before = ws;
    begin_step(ws);
    ws.ah0 = ws.ah;
    for (int i = 1; i <= species_vector::size; ++i) ws.est[i] = (1.0 - y_old) * ws.m[i] / (1.0 - y);
    for (int i = 1; i <= component_vector::size; ++i) ws.cl[i] = ws.cd[i] / (1.0 - y);
    ws.ionic = strion(ws.est);
    ws.degas = opt.boil_degas;
    if (y < epp) {
      store(ws, phase1(ws.est, ws.cd, ws.a_d, t, ws.ah0, ws.ionic, ws.log));
    } else {
      const boiled_solution r =
          phase2(ws.est, ws.cd, ws.cl, ws.a_d, t, ws.ionic, y, ws.ah0, ws.degas, ws.log);
      ws.cl = r.cl;
      store(ws, r.fluid);
    }
    store(ws, gasprs(ws.mgas, t, ws.degas));
    store(ws, aquife(ws.v, ws.mgas, ws.cd, ws.tds_d, ws.b, y));
    steps.push_back(finish_step(step_kind::boiling, t_c, y, ws.cl, ws, before));
    if (steps.back().state) y_old = y;
  }
}

/// True when the analysis of s gives the water's carbonate as an alkalinity and not as the
/// total CO2, which is then to be found from it.
bool carbonate_from_alkalinity(const sample_record& s) {
  return s.alkalinity_eq_kg && s.water_mgkg[comp::co2] == 0.0;
}

/// Sample s with the total CO2 (mg/kg) its alkalinity gives, or the reason there is none.
std::variant<sample_record, refusal_reason> with_total_co2(const sample_record& s) {
  const std::variant<double, refusal_reason> c = total_co2_of_alkalinity(s);
  if (const auto* why = std::get_if<refusal_reason>(&c)) return *why;
  sample_record t = s;
  t.water_mgkg[comp::co2] = std::get<double>(c);
  return t;
}

/// calculate_reference of a sample whose analysis gives its total CO2.
sample_result reference_with_co2(const sample_record& s, const run_options& opt, work_state& ws) {
  sample_result r;
  r.refused = solve_reference_state(s, opt, ws);
  r.unconverged_mass_balances = ws.log.unconverged;
  // The sampled water is speciated before most refusals; it is kept for those.
  r.sampled.ionic = ws.ionic_sampling;
  r.sampled.balance = ws.balance;
  r.sampled.m = ws.m_sampling;
  if (r.refused) return r;

  reference_result& ref = r.reference;
  // A boiled aquifer fluid was solved for the totals of its liquid, a liquid one for those of
  // the whole discharge.
  constexpr double epp = 1e-30;
  ref.state = snapshot(ws, ws.tref, ws.ya, ws.degas, ws.ya > epp ? ws.cl : ws.cd);
  ref.t_origin = opt.tref_type;
  ref.h_origin = ws.h_origin;
  ref.href = ws.href;
  ref.tc = ws.tc;
  if (ws.tb > 0.0) ref.tb = ws.tb;  // 0 inside: no boiling spring
  ref.yc = ws.yc;
  ref.ya = ws.ya;
  ref.yb = ws.yb;
  if (opt.tref_type == reference_temperature::quartz) {
    // Without a quartz temperature the geothermometer answers its high marker.
    const geotemperature& q = ref.state.derived.quartz;
    const double t = q.state == geotemperature::status::value ? q.t : t_marker_high_k;
    ref.quartz_capped = t > t_quartz_top_k && t > ws.tref;
  }
  return r;
}

}  // namespace

sample_result calculate_reference(const sample_record& s, const run_options& opt, work_state& ws) {
  if (!carbonate_from_alkalinity(s)) return reference_with_co2(s, opt, ws);
  const std::variant<sample_record, refusal_reason> t = with_total_co2(s);
  if (const auto* why = std::get_if<refusal_reason>(&t)) {
    sample_result r;
    r.refused = *why;
    return r;
  }
  const sample_record& resolved = std::get<sample_record>(t);
  sample_result r = reference_with_co2(resolved, opt, ws);
  r.sampled.co2_from_alkalinity_mgkg = resolved.water_mgkg[comp::co2];
  return r;
}

sample_result calculate(const sample_record& s, const run_options& opt) {
  work_state ws;
  sample_result r = calculate_reference(s, opt, ws);
  if (!r.refused) process_steps(opt, ws, r.steps);
  return r;
}

std::optional<sampled_water> calculate_sampled(const sample_record& s) {
  std::optional<sample_record> resolved;
  if (carbonate_from_alkalinity(s)) {
    std::variant<sample_record, refusal_reason> t = with_total_co2(s);
    if (std::holds_alternative<refusal_reason>(t)) return std::nullopt;
    resolved = std::move(std::get<sample_record>(t));
  }
  const sample_record& given = resolved ? *resolved : s;
  work_state ws;
  if (solve_sampled_water(given, derive(given), ws)) return std::nullopt;
  std::optional<double> found;
  if (resolved) found = resolved->water_mgkg[comp::co2];
  return sampled_water{.ionic = ws.ionic_sampling,
                       .balance = ws.balance,
                       .m = ws.m_sampling,
                       .co2_from_alkalinity_mgkg = found};
}

sample_result calculate_checked(const sample_record& s, const run_options& opt) {
  if (const std::optional<refusal_reason> why = check_values(s, opt)) {
    sample_result r;
    r.refused = why;
    return r;
  }
  return calculate(s, opt);
}

}  // namespace morva
