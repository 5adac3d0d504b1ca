// Generated waters through the whole program: every run ends in order, every sample is either
// reported in full or refused with one of the known messages, no file holds a number that a
// finite calculation could not print, every solved state closes its mass balance, and the
// process-step files read back as samples.
//
// The number of samples is MORVA_ROBUST_SAMPLES (default: a count that suits the sanitizer
// build), the seed MORVA_ROBUST_SEED (default 1).

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>

#include "robust/run_check.h"
#include "robust/water_generator.h"

namespace morva {
namespace {

constexpr int default_samples = 1500;
constexpr int samples_per_run = 500;  // a run's report stays a few tens of MB
int sample_count() {
  const char* e = std::getenv("MORVA_ROBUST_SAMPLES");
  return e != nullptr ? std::atoi(e) : default_samples;
}

std::uint64_t seed() {
  const char* e = std::getenv("MORVA_ROBUST_SEED");
  return e != nullptr ? std::strtoull(e, nullptr, 10) : 1;
}

TEST(GeneratedWaters, EverySampleIsReportedInFullOrRefusedAndEveryStateIsSound) {
  const int n = sample_count();
  const auto start = std::chrono::steady_clock::now();
  water_generator g(seed());
  tally t;
  for (int done = 0; done < n; done += samples_per_run) {
    generated_run run;
    run.keys = setup_keys("morva.in", "morva.out");
    for (int i = done; i < std::min(n, done + samples_per_run); ++i) {
      generated_sample s = g.next();
      run.samples += s.block;
      run.keys += s.keys;
      run.list.push_back(std::move(s));
    }
    check_run(run, t);
    if (testing::Test::HasFailure()) break;  // one run's findings are enough to read
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  long refused = 0;
  for (const auto& [message, count] : t.refused) refused += count;
  EXPECT_EQ(t.reported + refused, n);
  // Most generated waters are ordinary ones that must calculate.
  EXPECT_GT(t.reported, n * 3 / 4);

  std::cout << "generated samples: " << n << " (seed " << seed() << ") in " << seconds << " s\n";
  print_tally(t, std::cout);
}

}  // namespace
}  // namespace morva
