// Saturation curves of one sample over the default grid and assemblage: as they stand, with
// the Al fixed by microcline, and with the water factor and CO2 fitted.

#include <benchmark/benchmark.h>

#include "bench/fixtures.h"
#include "morva/mineral_curves.h"

namespace morva::bench {
namespace {

/// The curves of the well discharge with the choices how.
void curves(benchmark::State& state, const saturation_choices& how) {
  const sample_record s = well_sample();
  const run_options opt;
  for (auto _ : state) {
    const saturation_result r =
        saturation(s, opt, saturation_grid{}, default_saturation_minerals(), how);
    if (r.calculation.refused) state.SkipWithError("well sample refused");
    benchmark::DoNotOptimize(r.points.data());
  }
}

void saturation_plain(benchmark::State& state) { curves(state, {}); }

void saturation_fix_al(benchmark::State& state) {
  saturation_choices how;
  how.fix_al = min::microcline;
  curves(state, how);
}

void saturation_fit_water_co2(benchmark::State& state) {
  saturation_choices how;
  how.fit_water = true;
  how.fit_co2 = true;
  curves(state, how);
}

void saturation_fix_al_fit(benchmark::State& state) {
  saturation_choices how;
  how.fix_al = min::microcline;
  how.fit_water = true;
  how.fit_co2 = true;
  curves(state, how);
}

}  // namespace

BENCHMARK(saturation_plain)->Unit(benchmark::kMillisecond);
BENCHMARK(saturation_fix_al)->Unit(benchmark::kMillisecond);
BENCHMARK(saturation_fit_water_co2)->Unit(benchmark::kMillisecond);
BENCHMARK(saturation_fix_al_fit)->Unit(benchmark::kMillisecond);

}  // namespace morva::bench
