#pragma once
// Exit statuses of the batch commands, shared by every front end that runs them.

namespace morva {

/// Exit statuses of the commands.
inline constexpr int exit_done = 0;       ///< everything calculated (refusals included)
inline constexpr int exit_bad_input = 1;  ///< some samples could not be read; the rest done
inline constexpr int exit_usage = 2;      ///< bad arguments, or a file that cannot be written
inline constexpr int exit_interrupted_int = 130;   ///< stopped by SIGINT
inline constexpr int exit_interrupted_term = 143;  ///< stopped by SIGTERM

}  // namespace morva
