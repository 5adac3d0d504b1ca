#pragma once
// Saturation of the fluid with respect to 29 rock-forming and alteration minerals: the
// solubility constant K against the ion activity product Q of the calculated speciation.

#include <optional>
#include <vector>

#include "morva/indexed.h"

namespace morva {

/// log10 of the solubility constant K of mineral j (1..29) at T (K).
double solpro(int mineral, double t);

/// log10 of the ion activity product Q of mineral j (1..29) from the species molalities m
/// (mol/kg), their log10 molalities logm (0 where m <= 1e-20) and log10 activity coefficients
/// loggam; empty when a species the reaction needs is not above 1e-20 mol/kg.
std::optional<double> actpro(int mineral, const species_vector& m, const species_vector& logm,
                             const species_vector& loggam);

/// Number of aqueous species (ions and neutral solutes, water left out) in the dissolution
/// reaction of mineral j as the activity product writes it: the sum of the magnitudes of its
/// coefficients (Mg-chlorite 18, quartz 1). Dividing a saturation index by it puts minerals of
/// large and small formulas on one footing.
int reaction_species(int mineral);

/// log10 K of the 29 minerals at T (K): solpro of each, what depends on temperature alone.
mineral_vector solpro_all(double t);

/// The species (1..69, ascending) that enter the activity product of some mineral: the only
/// ones whose log10 molalities and activity coefficients actpro reads.
const std::vector<int>& mineral_reaction_species();

/// Moles of species k (1..69) that the dissolution of one formula unit of mineral j gives (a
/// consumed species negative; 0 when the reaction does not hold it).
double reaction_coefficient(int mineral, int species);

}  // namespace morva
