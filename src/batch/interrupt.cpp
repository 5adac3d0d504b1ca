#include "batch/interrupt.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>

namespace morva {

namespace {

// The signal side of a run is process-wide by nature: what a handler may read is here.

// Which signal came (0 for none); lock-free, so that the handler and the watching thread may
// both touch it.
std::atomic<int> caught{0};
static_assert(std::atomic<int>::is_always_lock_free);

// Temporary files of outputs not yet committed, removed when a signal ends the process. A slot
// is written before it is marked in use, and a handler reads only slots in use.
constexpr std::size_t temp_slots = 32;
constexpr std::size_t temp_path_max = 4096;
std::array<std::array<char, temp_path_max>, temp_slots> temp_paths{};
std::array<std::atomic<bool>, temp_slots> temp_used{};
std::mutex temp_mutex;  // between threads registering (never taken by a handler)

// How many blocking sections are open, and a count of those entered, so that a wait that goes
// on is told from a run of short ones.
std::atomic<int> blocking{0};
std::atomic<long> blocking_entered{0};

/// Removes the registered temporary files and ends the process with the status of signal,
/// using only calls a signal handler may make.
[[noreturn]] void end_now(int signal) {
  for (std::size_t i = 0; i < temp_slots; ++i) {
    if (temp_used[i].load()) ::unlink(temp_paths[i].data());
  }
  ::_exit(128 + signal);
}

/// When the first signal came, ns on the monotonic clock; 0 before.
std::atomic<long long> first_ns{0};
static_assert(std::atomic<long long>::is_always_lock_free);

extern "C" void on_interrupt(int signal) {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);  // async-signal-safe
  const long long ns = static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
  long long none = 0;
  first_ns.compare_exchange_strong(none, ns);
  int no_signal = 0;
  if (caught.compare_exchange_strong(no_signal, signal)) return;
  // One interruption may arrive twice at once (timeout(1) signals the process and then its
  // process group); a signal a second or more after the first means the user insists.
  constexpr long long insist_after_ns = 1'000'000'000LL;
  if (ns - first_ns.load() >= insist_after_ns) end_now(caught.load());
}

/// Watches for an interruption that finds the command blocked: when a signal came and the
/// same blocking section has stayed open for 0.2 s, the run cannot reach its next check.
void watch_blocked() {
  using namespace std::chrono_literals;
  long seen = -1;
  int polls = 0;
  for (;;) {
    std::this_thread::sleep_for(50ms);
    if (caught.load() == 0 || blocking.load() == 0) {
      polls = 0;
      continue;
    }
    const long entered = blocking_entered.load();
    polls = entered == seen ? polls + 1 : 0;
    seen = entered;
    if (polls >= 4) end_now(caught.load());
  }
}

}  // namespace

void catch_interrupts() {
  std::signal(SIGINT, on_interrupt);
  std::signal(SIGTERM, on_interrupt);
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
  static std::once_flag watcher;
  std::call_once(watcher, [] { std::thread(watch_blocked).detach(); });
}

int interrupt_status() {
  const int signal = caught.load();
  if (signal == 0) return 0;
  return 128 + signal;  // the shell's status of a process ended by that signal
}

int register_temporary(const std::string& path) {
  if (path.size() >= temp_path_max) return -1;
  const std::lock_guard<std::mutex> lock(temp_mutex);
  for (std::size_t i = 0; i < temp_slots; ++i) {
    if (temp_used[i].load()) continue;
    std::memcpy(temp_paths[i].data(), path.c_str(), path.size() + 1);
    temp_used[i].store(true);
    return static_cast<int>(i);
  }
  return -1;
}

void forget_temporary(int slot) {
  if (slot < 0) return;
  const std::lock_guard<std::mutex> lock(temp_mutex);
  temp_used[static_cast<std::size_t>(slot)].store(false);
}

blocking_section::blocking_section() {
  blocking_entered.fetch_add(1);
  blocking.fetch_add(1);
}

blocking_section::~blocking_section() { blocking.fetch_sub(1); }

}  // namespace morva
