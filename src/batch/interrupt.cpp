#include "batch/interrupt.h"

#include <csignal>

namespace morva {

namespace {

// The one state a signal handler may set: which signal came (0 for none).
volatile std::sig_atomic_t caught = 0;

extern "C" void on_interrupt(int signal) { caught = signal; }

}  // namespace

void catch_interrupts() {
  std::signal(SIGINT, on_interrupt);
  std::signal(SIGTERM, on_interrupt);
}

int interrupt_status() {
  if (caught == 0) return 0;
  return 128 + caught;  // the shell's status of a process ended by that signal
}

}  // namespace morva
