#pragma once
// Conversions at the edges: dialogs, files and the report use °C and bar gauge,
// every calculation uses kelvin and bar absolute (zero_celsius_k and atmosphere_bar in
// morva/units.h).

#include "morva/units.h"  // IWYU pragma: export

namespace morva {

/// Moles of water in a kilogram of liquid water, mol/kg: the solvent's share in the mole sums
/// of the gas distribution.
inline constexpr double water_mol_per_kg = 55.51;
/// The same amount as it enters the Henry's-law conversion between the molality of a gas and
/// its mole fraction (partial pressures, distribution coefficients, gas factors).
inline constexpr double water_mol_per_kg_henry = 55.52;

}  // namespace morva
