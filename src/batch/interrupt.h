#pragma once
// Interruption of a batch command by SIGINT or SIGTERM: the command finishes the sample in
// hand, closes its files and ends with the status of the signal. A second signal, or a signal
// that finds the command waiting in an open, a read or a write (a FIFO without a writer, a pipe
// that stays silent), ends it at once: the temporary files of its outputs are removed, so that
// every output is whole or untouched.

#include <string>

namespace morva {

/// From now on SIGINT and SIGTERM only mark the process as interrupted (a second one, or one
/// while blocked, ends it with the signal's status); SIGXFSZ and SIGPIPE are ignored, so that a
/// file-size limit or a closed pipe is seen as a failed write.
void catch_interrupts();

/// 0 while no interruption came; else the exit status it asks for (130 after SIGINT, 143
/// after SIGTERM).
int interrupt_status();

/// Registers the temporary file `path` to be removed if the process is ended by a signal;
/// returns its slot, or -1 when every slot is taken (then it is not removed).
int register_temporary(const std::string& path);
/// The temporary file of slot (from register_temporary) was renamed or removed; -1 is ignored.
void forget_temporary(int slot);

/// While one lives, the command waits for an open, read or write that may not return (a FIFO,
/// a pipe, a terminal): an interruption then ends the process promptly instead of waiting.
class blocking_section {
 public:
  blocking_section();
  ~blocking_section();
  blocking_section(const blocking_section&) = delete;
  blocking_section& operator=(const blocking_section&) = delete;
};

}  // namespace morva
