#pragma once
// Saturation of the fluid with respect to 29 rock-forming and alteration minerals: the
// solubility constant K against the ion activity product Q of the calculated speciation.

#include <optional>

#include "morva/indexed.h"

namespace morva {

/// log10 of the solubility constant K of mineral j (1..29) at T (K).
double solpro(int mineral, double t);

/// log10 of the ion activity product Q of mineral j (1..29) from the species molalities m
/// (mol/kg), their log10 molalities logm (0 where m <= 1e-20) and log10 activity coefficients
/// loggam; empty when a species the reaction needs is not above 1e-20 mol/kg.
std::optional<double> actpro(int mineral, const species_vector& m, const species_vector& logm,
                             const species_vector& loggam);

}  // namespace morva
