#pragma once
// The whole program run on a file of samples with their keyboard answers, and everything it
// leaves checked: exit status, each sample reported in full or refused with a known message,
// no non-finite number in any file, every solved state's mass balance (in process), and the
// process-step files read back as samples.

#include <iosfwd>
#include <map>
#include <string>

#include "robust/water_generator.h"

namespace morva {

/// Counts over the runs checked.
struct tally {
  long reported = 0;
  long states = 0;               // solved states checked for their mass balance
  long states_unconverged = 0;   // ... of which carry the non-convergence message
  double worst_unconverged = 0;  // largest misfit of those
  long steps_skipped = 0;
  std::map<std::string, long> refused;
};

/// Runs the program on the samples and answers of run (sample numbers must begin with "G-")
/// in a scratch directory and checks everything it left, adding to t. wide_values: the
/// analyses hold numbers (a million mg/kg) too wide for the fields of the screen and the report,
/// whose asterisks are then no fault; the process-step files must read back all the same.
void check_run(const generated_run& run, tally& t, bool wide_values = false);

/// The counts of t, one line per refusal message.
void print_tally(const tally& t, std::ostream& out);

}  // namespace morva
