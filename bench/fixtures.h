#pragma once
// Realistic inputs shared by the benchmarks: the two-phase well discharge of the example
// sample file and its aquifer fluid solved at 250 °C with a steam fraction of 0.2.

#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "calculate/work_state.h"
#include "chemdata/activity.h"
#include "chemdata/units.h"
#include "morva/indexed.h"
#include "morva/sample.h"
#include "morva/sample_file.h"
#include "phases/speciation.h"
#include "solver/mass_balance.h"
#include "solver/ph.h"
#include "solver/solver_log.h"

namespace morva::bench {

/// The sample of the example file whose number starts with `number`.
inline sample_record example_sample(std::string_view number) {
  std::ifstream f(std::string(MORVA_EXAMPLES) + "/morva.in", std::ios::binary);
  sample_reader source(f, "morva.in");
  for (;;) {
    const read_result got = source.next();
    if (got.what != read_result::kind::sample) break;
    if (got.sample.number.starts_with(number)) return got.sample;
  }
  throw std::runtime_error("example sample not found");
}

/// The well discharge KV-12: two-phase, with gas, steam and condensate analyses.
inline sample_record well_sample() { return example_sample("KV-12"); }

/// A two-phase aquifer fluid at 250 °C with 20 % steam, solved once: what the solver
/// benchmarks start from, as a phase model's later pass would.
struct boiled_fluid {
  double t = kelvin(250.0);
  double y = 0.2;
  work_state ws;        ///< the discharge of the well sample (totals, proton balance)
  component_vector cl;  ///< liquid totals of the solved fluid, mol per kg of water
  species_vector m;     ///< species molalities
  double ah = 0.0;
  double ionic = 0.0;
  gas_factors g;  ///< gas factors of the solved steam split
};

inline boiled_fluid solved_boiled_fluid() {
  boiled_fluid b;
  const sample_record s = well_sample();
  run_options opt;
  opt.tref_type = reference_temperature::arbitrary;
  opt.t_typed_c = 250.0;
  if (solve_reference_state(s, opt, b.ws)) throw std::runtime_error("well sample refused");

  work_state& ws = b.ws;
  component_vector cl;
  for (int i = 1; i <= component_vector::size; ++i) cl[i] = ws.cd[i] / (1.0 - b.y);
  const boiled_solution r =
      phase2(ws.m, ws.cd, cl, ws.a_d, b.t, strion(ws.m), b.y, ws.ah, 1.0, ws.log);
  b.ah = r.fluid.ah;
  ws.v = r.fluid.v;
  ws.mgas = r.fluid.m;
  b.m = r.fluid.sp;
  ws.b = r.fluid.b;
  b.cl = r.cl;
  b.ionic = strion(b.m);
  for (int i = 1; i <= gas_factors::size; ++i)
    b.g[i] = ws.mgas[i] > 1e-30 ? b.y * ws.v[i] / ((1.0 - b.y) * ws.mgas[i]) + 1.0 : 1.0;
  return b;
}

}  // namespace morva::bench
