#pragma once
// The fixed vocabularies of the chemistry and the constants that travel with them.

#include <string_view>

#include "morva/indexed.h"

namespace morva {

/// Name of component k (1..18), 9 characters, blank-padded.
std::string_view nam(int k);
/// Name of species i (1..69), 12 characters, blank-padded.
std::string_view spenam(int i);
/// Name of mineral j (1..29), 12 characters, blank-padded.
std::string_view minnam(int j);
/// Molecular weight of component k (1..18), mg/mol: mg/kg divided by it gives mol/kg.
double w(int k);

/// Charge of each species (whole numbers held as doubles).
extern const species_vector species_charge;
/// Ion-size parameter of each species, angstrom; 0 for neutral species.
extern const species_vector species_ion_size;
/// Formula weight of each species, mg/mol.
extern const species_vector species_weight;

}  // namespace morva
