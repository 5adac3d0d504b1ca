// The classification diagrams at many samples: the placement of the labels on 100,000 dots
// (the whole search, as a diagram of that many labelled dots would do it) and the Na-K-Mg
// triangle of 100,000 waters, whose dots are drawn without labels.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "plots/labels.h"
#include "plots/plots.h"

namespace morva::bench {
namespace {

constexpr std::size_t many = 100000;

/// Waters spread over the triangle as a large survey spreads them: mg/kg of Na, K and Mg with
/// the anions, drawn from a fixed seed so that every run sees the same waters; ids of 8
/// characters.
std::vector<ternary_sample> survey(std::size_t n) {
  std::mt19937 random(20260109);
  std::lognormal_distribution<double> conc(4.0, 1.5);
  std::vector<ternary_sample> w(n);
  for (std::size_t i = 0; i < n; ++i) {
    std::string id = std::to_string(i);
    w[i] = {"W-" + std::string(6 - std::min<std::size_t>(6, id.size()), '0') + id,
            conc(random) * 10,
            conc(random),
            conc(random) / 10,
            conc(random) * 5,
            conc(random) * 2,
            conc(random) * 2};
  }
  return w;
}

/// Every label of 100,000 dots spread over a triangle of the size of the diagrams placed.
void label_placement_100k(benchmark::State& state) {
  std::mt19937 random(20260109);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<px_point> dots;
  for (std::size_t i = 0; i < many; ++i) {
    double a = u(random), b = u(random);
    if (a + b > 1) a = 1 - a, b = 1 - b;  // folded into the triangle
    dots.push_back({80 + 480 * (a + b / 2), 494 - 480 * std::sqrt(3.0) / 2 * b});
  }
  const std::vector<std::size_t> chars(many, 8);
  for (auto _ : state) {
    const std::vector<label_place> places = place_labels(dots, chars);
    benchmark::DoNotOptimize(places.data());
  }
}

/// The Na-K-Mg triangle of 100,000 waters, as `morva diagram` writes it.
void giggenbach_100k(benchmark::State& state) {
  const std::vector<ternary_sample> w = survey(many);
  for (auto _ : state) {
    const std::string svg = giggenbach_svg(w);
    benchmark::DoNotOptimize(svg.data());
  }
}

}  // namespace

BENCHMARK(label_placement_100k)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);
BENCHMARK(giggenbach_100k)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

}  // namespace morva::bench
