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

/// Carbonate alkalinity, eq/kg, of the species molalities m (mol/kg): the protons the
/// carbonate species take up to become CO2(aq), one for HCO3-, CaHCO3+ and MgHCO3+, two for
/// CO3--, CaCO3 and MgCO3.
double carbonate_alkalinity(const species_vector& m);

/// The total CO2, mg/kg, of the water of s whose species at the measured pH and pH
/// temperature carry the carbonate alkalinity s.alkalinity_eq_kg (0 when none is given);
/// empty when none does (no pH, a negative alkalinity, an analysis that cannot be speciated).
/// calculate, calculate_checked and calculate_sampled take it as the water's CO2 when the
/// analysis gives an alkalinity and no CO2.
std::optional<double> co2_from_alkalinity(const sample_record& s);

/// Sample s as a file without a column of alkalinity holds it: with the total CO2 found from
/// its alkalinity (co2_from_alkalinity) in place of the alkalinity, or s as it is when its
/// analysis gives the total CO2 or no alkalinity; empty when no total CO2 carries the
/// alkalinity.
std::optional<sample_record> with_total_co2_written(const sample_record& s);

/// calculate(s, opt) for the batch commands and the Python module: first refuses values no
/// water can have (check_values), which the interactive dialog takes as they come.
sample_result calculate_checked(const sample_record& s, const run_options& opt);

}  // namespace morva
