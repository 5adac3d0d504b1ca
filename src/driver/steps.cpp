#include "driver/steps.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "chemdata/activity.h"
#include "chemdata/units.h"
#include "phases/gas_distribution.h"
#include "phases/recombination.h"
#include "phases/speciation.h"
#include "report/fields.h"
#include "report/sections.h"
#include "samplefile/writer.h"
#include "steam/saturation.h"

namespace morva {

namespace {

/// The two report pages of one process step: phase composition, ion balance and redox,
/// activity coefficients on the first; species and minerals under the repeated heading on
/// the second. y is the steam fraction of the step, t its temperature (K).
void report_step(const run_state& rs, const record& heading, const work_state& ws, double t,
                 double y, std::ostream& rep) {
  const record separator = record{}.A(std::string(1, rs.page_separator));
  put(rep, separator);
  put(rep, heading);
  put(rep, record{}.X(5).A(std::string(110, '=')));
  out2(ws.steam_mgkg, ws.liquid_mgkg, ws.tds_liquid, ws.p, ws.ptotal, y, rep);
  out3(ws.m, ws.liquid_mgkg, ws.ah, ws.ionic, t, ws.ph_msg2, ws.mb_msg, rep);
  put(rep, record{});
  put(rep, record{}.X(5).A("Activity coefficients in water"));
  put(rep, record{});
  out4(t, ws.ionic, rep);
  put(rep, separator);
  put(rep, heading);
  out5(ws.m, ws.ah, rep);
  out6(ws.m, t, ws.ionic, rep);
}

/// The heading of a step page: the sample number and what was done to the aquifer liquid.
record step_heading(const sample_record& s, const char* what, double t_c) {
  return record{}.X(5).A(s.number).X(12).A(what).F(6, 1, t_c).A(
      " \xB0"
      "C");
}

/// A step whose calculation overflowed: said on the terminal, and nothing of it is reported.
void skip_step(const char* what, double t_c, std::ostream& term) {
  put(term, record{});
  put(term, record{}.A(what).F(6, 1, t_c).A(" \xB0"
                                            "C gives no finite result. Step skipped."));
}

}  // namespace

void process_steps(run_state& rs, const sample_record& s, const run_options& opt, work_state& ws,
                   std::ostream& term) {
  // The options hold ten temperatures of each kind.
  constexpr int max_steps = 10;
  constexpr double epp = 1e-30;  // a steam fraction above this counts as steam
  const int n_cool = std::min(opt.n_cool, max_steps);
  const int n_boil = std::min(opt.n_boil, max_steps);
  std::ostream& rep = rs.report;

  // Conductive cooling: the discharge of the reference state, unchanged, at each temperature;
  // the previous step only gives the starting values.
  bool cooled = false;  // some cooling step was calculated
  double t_cooled_c = 0.0;
  for (int j = 0; j < n_cool; ++j) {
    const double t_c = opt.t_cool_c[static_cast<std::size_t>(j)];
    const double t = t_c + zero_celsius_k;
    const work_state before = ws;
    ws.ah0 = ws.ah;
    ws.est = ws.m;
    phase1(ws.est, ws.cd, ws.a_d, t, ws.ah0, ws.ionic, ws.ah, ws.v, ws.mgas, ws.m, ws.b, ws.ph_msg1,
           ws.ph_msg2, ws.mb_msg, term);
    ws.degas = 1.0;
    gasprs(ws.mgas, t, ws.degas, ws.p, ws.ptotal);
    aquife(ws.v, ws.mgas, ws.cd, ws.tds_d, ws.b, 0.0, ws.steam_mgkg, ws.liquid_mgkg, ws.tds_liquid);
    if (!finite_state(ws)) {
      ws = before;
      skip_step(" Cooling to", t_c, term);
      continue;
    }
    report_step(rs, step_heading(s, "Aquifer liquid cooled to", t_c), ws, t, 0.0, rep);
    cooled = true;
    t_cooled_c = t_c;
  }
  if (cooled)
    pickup(ws.liquid_mgkg, ws.ah, ws.tds_liquid, t_cooled_c, s.number, s.location, rs.cool);

  // Adiabatic boiling in one stage from the reference enthalpy down to each temperature.
  double y_old = ws.ya;
  bool boiled = false;  // some boiling step was calculated
  double t_boiled_c = 0.0;
  for (int j = 0; j < n_boil; ++j) {
    const double t_c = opt.t_boil_c[static_cast<std::size_t>(j)];
    const double t = t_c + zero_celsius_k;
    double y = (ws.href - entwat(t)) / entlat(t);
    if (y < 0.0) y = 0.0;
    if (!(y < 1.0)) {
      // The fluid would be all steam: there is no liquid to speciate.
      put(term, record{});
      put(term, record{}
                    .A(" Boiling to")
                    .F(6, 1, t_c)
                    .A(" \xB0"
                       "C leaves no liquid water. Step skipped."));
      continue;
    }
    const work_state before = ws;
    ws.ah0 = ws.ah;
    for (int i = 1; i <= species_vector::size; ++i) ws.est[i] = (1.0 - y_old) * ws.m[i] / (1.0 - y);
    for (int i = 1; i <= component_vector::size; ++i) ws.cl[i] = ws.cd[i] / (1.0 - y);
    ws.ionic = strion(ws.est);
    ws.degas = opt.boil_degas;
    if (y < epp) {
      phase1(ws.est, ws.cd, ws.a_d, t, ws.ah0, ws.ionic, ws.ah, ws.v, ws.mgas, ws.m, ws.b,
             ws.ph_msg1, ws.ph_msg2, ws.mb_msg, term);
    } else {
      phase2(ws.est, ws.cd, ws.cl, ws.a_d, t, ws.ionic, y, ws.ah0, ws.degas, ws.ah, ws.v, ws.mgas,
             ws.m, ws.b, ws.ph_msg1, ws.ph_msg2, ws.mb_msg, term);
    }
    gasprs(ws.mgas, t, ws.degas, ws.p, ws.ptotal);
    aquife(ws.v, ws.mgas, ws.cd, ws.tds_d, ws.b, y, ws.steam_mgkg, ws.liquid_mgkg, ws.tds_liquid);
    if (!finite_state(ws)) {
      ws = before;
      skip_step(" Boiling to", t_c, term);
      continue;
    }
    const record heading = step_heading(s, "Aquifer liquid boiled to", t_c)
                               .X(18)
                               .A("Degassing coefficient is")
                               .F(7, 4, ws.degas);
    report_step(rs, heading, ws, t, y, rep);
    y_old = y;
    boiled = true;
    t_boiled_c = t_c;
  }
  if (boiled) {
    pickup(ws.liquid_mgkg, ws.ah, ws.tds_liquid, t_boiled_c, s.number, s.location, rs.boil);
  }
}

}  // namespace morva
