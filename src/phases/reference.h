#pragma once
// Physical conditions of one sample before any speciation: reference and separator
// temperatures, reference enthalpy and the steam fractions from the enthalpy balance.

#include <variant>

#include "morva/indexed.h"
#include "morva/result.h"
#include "morva/sample.h"

namespace morva {

/// What the reference conditions of a sample are worked out from.
struct reference_inputs {
  double pc_gauge = 0.0;  ///< collection pressure, bar gauge
  double h = 0.0;         ///< discharge enthalpy, kJ/kg, 0 when not measured
  reference_temperature ref_type = reference_temperature::measured;  ///< kind of Tref
  double t_typed_c = 0.0;                 ///< typed reference temperature, °C
  double t_measured_c = 0.0;              ///< measured temperature of the sample, °C
  sample_type type = sample_type::water;  ///< water only, or with steam data
  double t_boil_c = 0.0;                  ///< boiling-spring temperature, °C, 0 for none
  component_vector c;                     ///< water totals, mol/kg
};

/// The sample's physical conditions before any speciation.
struct reference_conditions {
  double yc = 0.0;    ///< steam fraction at collection
  double ya = 0.0;    ///< steam fraction of the aquifer fluid at Tref
  double yb = 0.0;    ///< steam fraction lost by a boiling spring
  double href = 0.0;  ///< reference enthalpy, kJ/kg
  double tref = 0.0;  ///< reference temperature, K
  double tc = 0.0;    ///< separator temperature, K
  double tb = 0.0;    ///< boiling-spring temperature, K, 0 without a boiling spring
  enthalpy_origin h_origin = enthalpy_origin::calculated;  ///< whether Href was measured
};

/// Reference conditions of the sample in (pressures, enthalpy, temperatures and water totals
/// as reference_inputs gives them), or the reason the sample is refused.
std::variant<reference_conditions, refusal_reason> param(const reference_inputs& in);

}  // namespace morva
