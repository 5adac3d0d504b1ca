#pragma once
// Oxidation potentials of a solved water from four redox couples.

#include <optional>

#include "morva/indexed.h"

namespace morva {

/// Oxidation potential Eh, V, from redox couple 1 (SO4--/H2S), 2 (CO2/CH4), 3 (H+/H2) or
/// 4 (N2/NH3), given the species molalities m (mol/kg), the liquid component concentrations
/// c (mg/kg), the hydrogen-ion activity ah, T (K) and the ionic strength (mol/kg);
/// empty when a member of the couple is absent.
std::optional<double> oxpot(int couple, const species_vector& m, const component_vector& c,
                            double ah, double t, double ionic);

}  // namespace morva
