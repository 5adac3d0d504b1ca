#pragma once
// Work spread over threads: each thread takes the next item until none is left, so that
// samples of unequal cost keep every thread busy; the caller sees the items' results in order.

#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace morva {

/// Runs work(i, thread) once for every i in [0, n) on `jobs` threads (thread numbers 0 ..
/// jobs-1, the calling thread being 0); returns when every item is done.
template <class Work>
void parallel_for(std::size_t n, int jobs, Work work) {
  std::atomic<std::size_t> next{0};
  const auto run = [&](int thread) {
    for (std::size_t i = next++; i < n; i = next++) work(i, thread);
  };
  std::vector<std::thread> threads;
  for (int j = 1; j < jobs; ++j) threads.emplace_back(run, j);
  run(0);
  for (std::thread& t : threads) t.join();
}

}  // namespace morva
