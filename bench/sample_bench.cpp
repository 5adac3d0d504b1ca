// Whole calculations of one sample: the reference state alone, the calculation of the sample
// without steps, and the reference state with ten cooling and ten boiling steps and every
// report page.

#include <benchmark/benchmark.h>

#include <sstream>

#include "batch/output_files.h"
#include "bench/fixtures.h"
#include "driver/run.h"
#include "driver/sequence.h"
#include "morva/calculate.h"
#include "report/run_files.h"

namespace morva::bench {
namespace {

/// Reference state of the well discharge, its reference temperature taken from `type`.
void reference_state(benchmark::State& state, reference_temperature type) {
  const sample_record s = well_sample();
  run_options opt;
  opt.tref_type = type;
  for (auto _ : state) {
    work_state ws;
    if (solve_reference_state(s, opt, ws)) state.SkipWithError("well sample refused");
    benchmark::DoNotOptimize(ws.m);
  }
}

void reference_state_measured(benchmark::State& state) {
  reference_state(state, reference_temperature::measured);
}
void reference_state_quartz(benchmark::State& state) {
  reference_state(state, reference_temperature::quartz);
}

/// The whole calculation of the well discharge at its measured temperature without steps: the
/// two-phase reference state with its sampled water and derived results, as values.
void calculate_two_phase(benchmark::State& state) {
  const sample_record s = well_sample();
  const run_options opt;  // measured temperature, no boiling spring, no steps
  for (auto _ : state) {
    const sample_result r = calculate(s, opt);
    if (r.refused) state.SkipWithError("well sample refused");
    benchmark::DoNotOptimize(r.reference.state.m);
  }
}

/// The well discharge at its measured temperature, cooled and boiled in ten steps each, with
/// the report and both process-step files written to the null device.
void sample_with_20_steps(benchmark::State& state) {
  const sample_record s = well_sample();
  run_options opt;
  opt.tref_type = reference_temperature::measured;
  for (int j = 0; j < 10; ++j) {
    opt.cool_c.push_back(170.0 - 10.0 * j);
    opt.boil_c.push_back(170.0 - 10.0 * j);
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
BENCHMARK(calculate_two_phase)->Repetitions(5)->DisplayAggregatesOnly(true);
BENCHMARK(sample_with_20_steps)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

}  // namespace morva::bench
