#pragma once
// Physical conditions of one sample before any speciation: reference and separator
// temperatures, reference enthalpy and the steam fractions from the enthalpy balance.

#include <optional>

#include "morva/indexed.h"
#include "morva/result.h"
#include "morva/sample.h"

namespace morva {

/// Reference conditions of a sample from its collection pressure pc_gauge (bar-g), discharge
/// enthalpy h (kJ/kg, 0 when not measured), kind of reference temperature, typed and measured
/// temperatures (°C), sample type (2 with steam data, 1 water only), boiling-spring
/// temperature (°C, 0 for none) and water totals c (mol/kg): steam fractions yc, ya, yb,
/// enthalpy href (kJ/kg) and its origin, temperatures tref, tc, tb (K). Returns the reason
/// when the sample is refused; the outputs not yet reached are then left unchanged.
std::optional<refusal_reason> param(double pc_gauge, double h, reference_temperature ref_type,
                                    double t_typed_c, double t_measured_c, int sample_type,
                                    double t_boil_c, const component_vector& c, double& yc,
                                    double& ya, double& yb, double& href, double& tref, double& tc,
                                    double& tb, enthalpy_origin& h_origin);

}  // namespace morva
