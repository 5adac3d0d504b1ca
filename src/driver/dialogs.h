#pragma once
// The two keyboard dialogs: the run-setup questions asked once per run and the calculation
// options asked for every sample that is to be calculated.

#include <iosfwd>
#include <string>

#include "morva/sample.h"

namespace morva {

/// Run-setup dialog: user name or date (20 characters), printout heading (80), sample-file
/// name (30, default "morva.in") and report-file name (30, default "morva.out"), each
/// answer blank-padded or cut to its length. A report-file name that would overwrite the
/// sample file, "cool.out" or "boil.out" is refused and asked again. False when the
/// keyboard input ends before the last answer.
bool askme1(std::string& user, std::string& heading, std::string& sample_file,
            std::string& report_file, std::istream& keys, std::ostream& term);

/// Calculation-options dialog for one sample of the given type and collection temperature
/// (°C): reference temperature, boiling spring (water-only samples; a two-phase sample keeps
/// its boiling-spring fields untouched), boiling and cooling steps. False when the keyboard
/// input ends before the last answer.
bool askme2(sample_type type, double t_collect_c, run_options& opt, std::istream& keys,
            std::ostream& term);

}  // namespace morva
