// The writing of the result tables and the report of one sample, the calculation done once:
// what `morva run` spends on its outputs beside the chemistry.

#include <benchmark/benchmark.h>

#include <ostream>
#include <string>

#include "batch/output_files.h"
#include "bench/fixtures.h"
#include "morva/calculate.h"
#include "report/pages.h"
#include "report/run_files.h"
#include "result_tables/csv.h"
#include "result_tables/json.h"
#include "result_tables/result_tables.h"
#include "text/format.h"

namespace morva::bench {

namespace {

/// The well discharge at its measured temperature, cooled and boiled in ten steps each: 21
/// solved states, so 1,449 species rows and 609 mineral rows.
struct calculated_well {
  sample_record s = well_sample();
  run_options opt;
  sample_result r;
  calculated_well() {
    for (int j = 0; j < 10; ++j) {
      opt.cool_c.push_back(170.0 - 10.0 * j);
      opt.boil_c.push_back(170.0 - 10.0 * j);
    }
    r = calculate(s, opt);
  }
};

const calculated_well& well() {
  static const calculated_well w;
  return w;
}

/// Runs write(text, memo) once per iteration into a text kept between iterations, as a
/// thread of `morva run` does; the bytes per second are those of the text. The memo is new to
/// each iteration, as it is to the numbers of a new sample (a memo of 2,048 slots costs about
/// a microsecond to make).
template <class Write>
void table_bench(benchmark::State& state, Write write) {
  if (well().r.refused) state.SkipWithError("well sample refused");
  std::string text;
  for (auto _ : state) {
    number_memo memo;
    text.clear();
    write(text, memo);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}

void state_table_csv(benchmark::State& state) {
  const calculated_well& w = well();
  table_bench(state, [&](std::string& text, number_memo& memo) {
    append_csv_rows(text, state_rows(w.s, w.opt, w.r), state_columns().size(), memo);
  });
}

void species_table_csv(benchmark::State& state) {
  const calculated_well& w = well();
  table_bench(state, [&](std::string& text, number_memo& memo) {
    append_species_csv(text, w.s, w.r, memo);
  });
}

/// The species table through its rows of cells, as the Python module's state rows are made.
void species_table_by_rows(benchmark::State& state) {
  const calculated_well& w = well();
  table_bench(state, [&](std::string& text, number_memo& memo) {
    append_csv_rows(text, species_rows(w.s, w.opt, w.r), species_columns().size(), memo);
  });
}

void mineral_table_csv(benchmark::State& state) {
  const calculated_well& w = well();
  table_bench(state, [&](std::string& text, number_memo& memo) {
    append_mineral_csv(text, w.s, w.r, memo);
  });
}

void json_sample(benchmark::State& state) {
  const calculated_well& w = well();
  table_bench(state, [&](std::string& text, number_memo& memo) {
    append_json_sample(text, w.s, w.opt, w.r, memo);
  });
}

/// Every report page of the sample, written into a string as `morva run` makes them.
void report_pages(benchmark::State& state) {
  const calculated_well& w = well();
  const std::string user(20, ' '), heading(80, ' ');
  table_bench(state, [&](std::string& text, number_memo&) {
    string_append_buf to(text);
    std::ostream pages(&to);
    char separator = separator_form_feed;
    sample_pages(w.s, w.opt, w.r, user, heading, separator, pages);
  });
}

}  // namespace

BENCHMARK(state_table_csv)->Unit(benchmark::kMicrosecond);
BENCHMARK(species_table_csv)->Unit(benchmark::kMicrosecond);
BENCHMARK(species_table_by_rows)->Unit(benchmark::kMicrosecond);
BENCHMARK(mineral_table_csv)->Unit(benchmark::kMicrosecond);
BENCHMARK(json_sample)->Unit(benchmark::kMicrosecond);
BENCHMARK(report_pages)->Unit(benchmark::kMicrosecond);

}  // namespace morva::bench
