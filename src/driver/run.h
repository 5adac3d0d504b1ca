#pragma once
// The run: banner, run-setup dialog and the loop over the samples of a sample file.

#include <iosfwd>

namespace morva {

/// Exit status of an orderly end: end of the sample file or the choice "q".
inline constexpr int exit_orderly = 0;
/// Exit status when the sample file cannot be opened or holds an invalid number.
inline constexpr int exit_sample_file = 1;
/// Exit status when the report file, "boil.out" or "cool.out" cannot be created or written.
inline constexpr int exit_file_not_created = 2;
/// Exit status when standard input ends while a dialog waits for an answer.
inline constexpr int exit_input_ended = 3;

/// Runs the program on a terminal (answers from `in`, screen on `out`, stop diagnostics on
/// `err`); files are opened by name in the working directory. Returns the exit status.
int run(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace morva
