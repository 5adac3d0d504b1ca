#pragma once
// The calculation of one sample: from its analysis to the aquifer fluid at the reference
// temperature and on through the cooling and boiling steps.

#include <optional>

#include "morva/result.h"
#include "morva/sample.h"

namespace morva {

/// Calculates sample s with options opt: the sampled water, the aquifer fluid at the
/// reference temperature and each process step, or the reason the sample is refused. Writes
/// nothing anywhere; the same inputs give the same result, bit for bit.
sample_result calculate(const sample_record& s, const run_options& opt);

/// The sampled water of s alone, at the temperature of its pH measurement with the measured
/// pH: its species molalities, ionic strength and ion balance, bit for bit those of
/// calculate(s, ...).sampled, without the aquifer fluid (what a classification of waters
/// needs). Empty when the analysis holds a negative total.
std::optional<sampled_water> calculate_sampled(const sample_record& s);

/// calculate(s, opt) for the batch commands and the Python module: first refuses values no
/// water can have (check_values), which the interactive dialog takes as they come.
sample_result calculate_checked(const sample_record& s, const run_options& opt);

}  // namespace morva
