#pragma once
// Interruption of a batch command by SIGINT or SIGTERM: the command finishes the sample in
// hand, closes its files and ends with the status of the signal.

namespace morva {

/// From now on SIGINT and SIGTERM only mark the process as interrupted.
void catch_interrupts();

/// 0 while no interruption came; else the exit status it asks for (130 after SIGINT, 143
/// after SIGTERM).
int interrupt_status();

}  // namespace morva
