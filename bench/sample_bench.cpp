// Whole calculations of one sample: the reference state alone, and the reference state with
// ten cooling and ten boiling steps and every report page.

#include <benchmark/benchmark.h>

#include <sstream>

#include "bench/fixtures.h"
#include "driver/run.h"
#include "driver/sequence.h"

namespace morva::bench {
namespace {

/// Reference state of the well discharge with the reference-temperature type `type`
/// (0 measured, 3 quartz geothermometer).
void reference_state(benchmark::State& state, int type) {
  const sample_record s = well_sample();
  run_options opt;
  opt.tref_type = type;
  std::ostringstream term;
  for (auto _ : state) {
    work_state ws;
    bool suppress = false;
    solve_reference_state(s, opt, ws, suppress, term);
    benchmark::DoNotOptimize(ws.m);
    term.str("");
  }
}

void reference_state_measured(benchmark::State& state) { reference_state(state, 0); }
void reference_state_quartz(benchmark::State& state) { reference_state(state, 3); }

/// The well discharge at its measured temperature, cooled and boiled in ten steps each, with
/// the report and both process-step files written to the null device.
void sample_with_20_steps(benchmark::State& state) {
  const sample_record s = well_sample();
  run_options opt;
  opt.tref_type = 0;
  opt.n_cool = 10;
  opt.n_boil = 10;
  for (int j = 0; j < 10; ++j) {
    opt.t_cool_c[static_cast<std::size_t>(j)] = 170.0 - 10.0 * j;
    opt.t_boil_c[static_cast<std::size_t>(j)] = 170.0 - 10.0 * j;
  }
  run_state rs;
  rs.report.open("/dev/null", std::ios::binary);
  rs.cool.open("/dev/null", std::ios::binary);
  rs.boil.open("/dev/null", std::ios::binary);
  rs.cool_open = rs.boil_open = true;
  std::ostringstream term;
  std::ostringstream err;
  for (auto _ : state) {
    if (!calculate_sample(rs, s, opt, err, term)) state.SkipWithError("report not written");
    term.str("");
  }
}

}  // namespace

BENCHMARK(reference_state_measured)->Repetitions(5)->DisplayAggregatesOnly(true);
BENCHMARK(reference_state_quartz)->Repetitions(5)->DisplayAggregatesOnly(true);
BENCHMARK(sample_with_20_steps)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

}  // namespace morva::bench
