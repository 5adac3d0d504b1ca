#pragma once
// The process-step files: the liquid left by the last cooling or boiling step, written as a
// water-only sample block that the sample reader takes back as input.

#include <array>
#include <iosfwd>
#include <string_view>

#include "morva/indexed.h"
#include "morva/sample_file.h"
#include "text/fields.h"

namespace morva {

/// Appends the 34-line layout of a sample block to out: the title, the sample's number (16
/// characters) and location (80), and the ten data lines, each under its heading.
void write_block(std::string_view number, std::string_view location,
                 const std::array<record, 10>& data, std::ostream& out);

/// Appends one 34-line sample block to out: the liquid of composition liquid_mgkg (mg/kg, in
/// component order) at pH -log10(ah), with total dissolved solids tds (mg/kg), at the step
/// temperature t_step_c (°C, written as collection and pH temperature), under the sample's
/// number (16 characters) and location (80 characters). Gas, steam and condensate stay blank.
void pickup(const component_vector& liquid_mgkg, double ah, double tds, double t_step_c,
            std::string_view number, std::string_view location, std::ostream& out);

}  // namespace morva
