#pragma once
// The calculation of one sample chosen on the screen: reference state, its report, and the
// cooling and boiling steps; and the pieces a batch run shares with it.

#include <iosfwd>

#include "morva/result.h"
#include "morva/sample.h"
#include "report/run_files.h"

namespace morva {

/// Calculates and reports one sample with the chosen options, or abandons it with a
/// message on `term` when the calculation refuses it. False only when the run must stop
/// because an output file cannot be created (message on `err`).
bool calculate_sample(run_state& rs, const sample_record& s, const run_options& opt,
                      std::ostream& err, std::ostream& term);

}  // namespace morva
