#pragma once
// The run: banner, run-setup dialog, the loop over the samples of a sample file.

#include <iosfwd>

namespace morva {

/// Runs the program on a terminal (answers from `in`, screen on `out`, stop diagnostics on
/// `err`); files are opened by name in the working directory. Returns the exit status.
int run(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace morva
