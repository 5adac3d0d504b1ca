#pragma once
// The ranges in which the calculation takes its choices, checked where values enter the
// library, so that every front end refuses the same values.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "morva/result.h"
#include "morva/sample.h"

namespace morva {

/// Cooling or boiling steps of each kind the calculation follows at most.
inline constexpr std::size_t max_steps = 10;

/// True for a step temperature, °C, from 0 to the critical point of water, 373.85 °C.
bool valid_step_temperature(double t_c);
/// True for a degassing coefficient from 0.01 to 1 (the share of the gases that leaves with
/// the steam's equilibrium amount).
bool valid_degassing(double f);
/// True for a boiling-spring temperature, °C, above 1 and below 350.
bool valid_spring_temperature(double t_c);

/// A choice of run_options outside what the calculation takes.
enum class option_fault {
  boil_steps,         ///< a boiling step outside 0 to 373.85 °C, or more than max_steps
  boil_degassing,     ///< the degassing coefficient of the boiling steps
  cool_steps,         ///< a cooling step outside 0 to 373.85 °C, or more than max_steps
  typed_temperature,  ///< a typed reference temperature that is not a finite number
  spring_temperature,
  spring_degassing,
};

/// The first choice of opt, in the order of option_fault, that the calculation does not take;
/// empty when it takes them all.
std::optional<option_fault> check_options(const run_options& opt);

/// Why sample s with options opt is refused before any calculation, in the batch commands and
/// the Python module: a quantity the calculation needs that the analysis does not give (the
/// pH; the temperature, for the measured reference type), a temperature no liquid water can
/// have (a collection or typed reference temperature beyond the critical point, 373.85 °C) or
/// a boiling spring colder than the water collected from it; empty when the values are
/// possible.
std::optional<refusal_reason> check_values(const sample_record& s, const run_options& opt);

/// Ion balance of the sampled water, % of the mean of the cation and anion sums, beyond which
/// an analysis is flagged as implausible (not refused).
inline constexpr double ion_balance_flag_pct = 10.0;

/// The flags of sample s and its result r, in table order: "ion_balance" when the sampled
/// water's ion balance of a calculated sample lies beyond ±ion_balance_flag_pct;
/// "ph_temperature_assumed" when the pH temperature was not given; "below_detection" when a
/// value below its detection limit was taken by the reader's rule.
std::vector<std::string> plausibility_flags(const sample_record& s, const sample_result& r);

}  // namespace morva
