#pragma once
// The calculation of one sample chosen on the screen: reference state, its report, and the
// cooling and boiling steps; and the pieces a batch run shares with it.

#include <iosfwd>

#include "driver/run.h"
#include "morva/result.h"
#include "morva/sample.h"

namespace morva {

/// Calculates and reports one sample with the chosen options, or abandons it with a
/// message on `term` when the calculation refuses it. False only when the run must stop
/// because an output file cannot be created (message on `err`).
bool calculate_sample(run_state& rs, const sample_record& s, const run_options& opt,
                      std::ostream& err, std::ostream& term);

/// Creates "boil.out" and "cool.out" the first time a sample of the run asks for boiling or
/// cooling steps (before its calculation, so they exist even when it is refused). False, with a
/// message on err, when one cannot be created.
bool open_step_files(run_state& rs, const run_options& opt, std::ostream& err);

/// The report pages of the calculated sample r of s (the report file of rs created for the
/// first reported sample of the run). False, with a message on err, when it cannot be created.
bool report_sample(run_state& rs, const sample_record& s, const run_options& opt,
                   const sample_result& r, std::ostream& err);

/// The liquid of the last calculated cooling step to "cool.out" and of the last calculated
/// boiling step to "boil.out".
void write_step_files(run_state& rs, const sample_record& s, const sample_result& r);

}  // namespace morva
