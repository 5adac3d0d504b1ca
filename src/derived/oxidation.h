#pragma once
// Oxidation potentials of a solved water from four redox couples.

#include <optional>

#include "morva/indexed.h"
#include "morva/result.h"

namespace morva {

/// Oxidation potential Eh, V, from a redox couple (SO4--/H2S, CO2/CH4, H+/H2 or N2/NH3), given the
/// species molalities m (mol/kg), the liquid component concentrations c (mg/kg), the hydrogen-ion
/// activity ah, T (K) and the ionic strength (mol/kg); empty when a member of the couple is absent.
std::optional<double> oxpot(redox_couple couple, const species_vector& m, const component_vector& c,
                            double ah, double t, double ionic);

}  // namespace morva
