// The solver routines one at a time, on the aquifer fluid of a well discharge at 250 °C.

#include <benchmark/benchmark.h>

#include "bench/fixtures.h"
#include "phases/speciation.h"
#include "solver/mass_balance.h"
#include "solver/ph.h"
#include "solver/solver_log.h"

namespace morva::bench {
namespace {

/// One mass balance from the species of the solved fluid (a warm start, as in every later
/// pass of a phase model), followed by the species molalities.
void masbal_spemol_250c(benchmark::State& state) {
  const boiled_fluid b = solved_boiled_fluid();
  species_vector m;
  for (auto _ : state) {
    const mass_balance_solution o = masbal(b.cl, b.ah, b.t, b.ionic, b.m);
    m = spemol(o.x, b.ah, b.t, b.ionic);
    benchmark::DoNotOptimize(o);
    benchmark::DoNotOptimize(m);
  }
}

/// The pH at 250 °C of the boiled discharge, started from the activity of the solved
/// sampled water.
void phcalc_250c(benchmark::State& state) {
  const boiled_fluid b = solved_boiled_fluid();
  for (auto _ : state) {
    const ph_solution o = phcalc(b.m, b.ws.cd, b.ws.a_d, b.g, b.t, b.ionic, b.ws.ah, b.y);
    benchmark::DoNotOptimize(o);
  }
}

/// The whole two-phase speciation at 250 °C with 20 % steam, from the species of the
/// discharge at its reference state.
void phase2_250c(benchmark::State& state) {
  const boiled_fluid b = solved_boiled_fluid();
  const work_state& ws = b.ws;
  for (auto _ : state) {
    solver_log log;
    const boiled_solution r =
        phase2(ws.m, ws.cd, b.cl, ws.a_d, b.t, strion(ws.m), b.y, ws.ah, 1.0, log);
    benchmark::DoNotOptimize(r);
  }
}

}  // namespace

BENCHMARK(masbal_spemol_250c)->Repetitions(5)->DisplayAggregatesOnly(true);
BENCHMARK(phcalc_250c)->Repetitions(5)->DisplayAggregatesOnly(true);
BENCHMARK(phase2_250c)->Repetitions(5)->DisplayAggregatesOnly(true);

}  // namespace morva::bench
