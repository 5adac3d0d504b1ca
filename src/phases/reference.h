#pragma once
// Physical conditions of one sample before any speciation: reference and separator
// temperatures, reference enthalpy and the steam fractions from the enthalpy balance.

#include <iosfwd>
#include <string>

#include "chemdata/indexed.h"

namespace morva {

/// Reference conditions of a sample from its collection pressure pc_gauge (bar-g), discharge
/// enthalpy h (kJ/kg, 0 when not measured), reference-temperature type (0 measured,
/// 1 arbitrary, 2 chalcedony, 3 quartz, 4 Na/K), typed and measured temperatures (°C), sample
/// type (2 with steam data, 1 water only), boiling-spring temperature (°C, 0 for none) and
/// water totals c (mol/kg): steam fractions yc, ya, yb, enthalpy href (kJ/kg), temperatures
/// tref, tc, tb (K), 14-character labels; on a refusal writes its message to term, sets
/// suppress and leaves the outputs not yet reached unchanged.
void param(double pc_gauge, double h, int ref_type, double t_typed_c, double t_measured_c,
           int sample_type, double t_boil_c, const component_vector& c, double& yc, double& ya,
           double& yb, double& href, double& tref, double& tc, double& tb, std::string& t_label,
           std::string& h_label, bool& suppress, std::ostream& term);

}  // namespace morva
