#pragma once
// Electrical balance of a solved species distribution.

#include "morva/indexed.h"
#include "morva/result.h"

namespace morva {

/// Ion balance of the species molalities m (mol/kg): anion and cation sums (mol-eq/kg) and
/// their difference in percent of their mean, positive for a cation excess (0 if both are 0).
ion_balance balion(const species_vector& m);

}  // namespace morva
