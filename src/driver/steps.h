#pragma once
// The aquifer fluid of a solved reference state followed through conductive cooling and
// single-stage adiabatic boiling, each step reported, the last of each kind kept as a sample.

#include <iosfwd>

#include "driver/options.h"
#include "driver/reference_state.h"
#include "driver/run.h"
#include "samplefile/reader.h"

namespace morva {

/// Runs the cooling steps and then the boiling steps of opt on the reference state ws of
/// sample s (ws is left with the last step calculated), writes each step's pages to the
/// report file of rs and the liquid of the last cooling (boiling) step to "cool.out"
/// ("boil.out"); a boiling step that would leave no liquid is skipped with a line on term.
void process_steps(run_state& rs, const sample_record& s, const run_options& opt, work_state& ws,
                   std::ostream& term);

}  // namespace morva
