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
BENCHMARK(saturation_fix_al)->Unit(benchmark::kMillisecond);
BENCHMARK(saturation_fix_al_analysed)->Unit(benchmark::kMillisecond);
BENCHMARK(saturation_fit_water_co2)->Unit(benchmark::kMillisecond);
BENCHMARK(saturation_fix_al_fit)->Unit(benchmark::kMillisecond);

}  // namespace morva::bench
