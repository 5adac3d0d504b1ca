// Saturation curves of one sample over the default grid and assemblage: as they stand, with
// the Al fixed by microcline (the analysis without its Al, and with it), and with the water
// factor and CO2 fitted.

#include <benchmark/benchmark.h>

#include "bench/fixtures.h"
#include "morva/mineral_curves.h"

namespace morva::bench {
namespace {

/// The curves of the well discharge with the choices how, its Al left out when without_al.
void curves(benchmark::State& state, const saturation_choices& how, bool without_al = false) {
  sample_record s = well_sample();
  if (without_al) s.water_mgkg[comp::al] = 0.0;
  const run_options opt;
  for (auto _ : state) {
    const saturation_result r =
        saturation(s, opt, saturation_grid{}, default_saturation_minerals(), how);
    if (r.calculation.refused) state.SkipWithError("well sample refused");
    benchmark::DoNotOptimize(r.points.data());
  }
}

void saturation_plain(benchmark::State& state) { curves(state, {}); }

/// The plain curves over a grid of state.range(0) points from 25 °C every 5 degrees, with the
/// temperature terms built once beforehand as a run does: 64, 65 and 66 points should cost in
/// proportion, with no step where the vector of points would outgrow 64 slots.
void saturation_points(benchmark::State& state) {
  const sample_record s = well_sample();
  const run_options opt;
  saturation_grid grid;
  grid.to_c = grid.from_c + grid.step_c * static_cast<double>(state.range(0) - 1);
  const saturation_terms terms(grid);
  for (auto _ : state) {
    const saturation_result r = saturation(s, opt, grid, default_saturation_minerals(), {}, terms);
    if (r.calculation.refused) state.SkipWithError("well sample refused");
    benchmark::DoNotOptimize(r.points.data());
  }
}

/// The temperature terms of the default grid (66 points), built once per run.
void saturation_terms_default_grid(benchmark::State& state) {
  for (auto _ : state) {
    const saturation_terms terms{saturation_grid{}};
    benchmark::DoNotOptimize(terms.get());
  }
}

/// Al fixed by microcline for the analysis without its Al, as the option is meant for: the
/// scaled trace needs no second solution.
void saturation_fix_al(benchmark::State& state) {
  saturation_choices how;
  how.fix_al = min::microcline;
  curves(state, how, true);
}

/// Al fixed by microcline from the analysed Al, which at most temperatures is no trace beside
/// F: the liquid is solved once more there.
void saturation_fix_al_analysed(benchmark::State& state) {
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
  curves(state, how, true);
}

}  // namespace

BENCHMARK(saturation_plain)->Unit(benchmark::kMillisecond);
BENCHMARK(saturation_points)->Arg(64)->Arg(65)->Arg(66)->Unit(benchmark::kMillisecond);
BENCHMARK(saturation_terms_default_grid)->Unit(benchmark::kMicrosecond);
BENCHMARK(saturation_fix_al)->Unit(benchmark::kMillisecond);
BENCHMARK(saturation_fix_al_analysed)->Unit(benchmark::kMillisecond);
BENCHMARK(saturation_fit_water_co2)->Unit(benchmark::kMillisecond);
BENCHMARK(saturation_fix_al_fit)->Unit(benchmark::kMillisecond);

}  // namespace morva::bench
