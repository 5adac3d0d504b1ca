#pragma once
// The words of the program for what the calculation returns as values: the solver messages
// of the report, the origins of Tref and Href, and the lines said on the terminal.

#include <iosfwd>
#include <string>

#include "morva/result.h"
#include "morva/sample.h"
#include "report/sections.h"

namespace morva {

/// The pH-solver messages of one solution, 60 characters each (blank when solved).
ph_messages ph_texts(ph_outcome o);
/// The mass-balance message, 60 characters (blank when converged).
std::string mass_balance_text(const mass_balance_outcome& o);
/// Origin of Tref as the report prints it, 14 characters.
std::string t_origin_label(reference_temperature t);
/// Origin of Href as the report prints it, 14 characters.
std::string h_origin_label(enthalpy_origin h);

/// The terminal line of one mass balance that ended unconverged.
void say_mass_balance(std::ostream& term);
/// The terminal lines of a skipped process step.
void say_skipped(const step_result& step, std::ostream& term);

}  // namespace morva
