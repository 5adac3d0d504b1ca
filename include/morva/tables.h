#pragma once
// The fixed vocabularies of the chemistry and the constants that travel with them: the 18
// analysed components, the 69 aqueous species and the 29 minerals, by position and by name.

#include <optional>
#include <string_view>

#include "morva/indexed.h"

namespace morva {

/// Name of component k (1..18) as the tables write it, UTF-8 without trailing blanks ("SiO2").
std::string_view component_name(int k);
/// Name of species i (1..69), UTF-8 without trailing blanks ("HCO3-").
std::string_view species_name(int i);
/// Name of mineral j (1..29), UTF-8 without trailing blanks ("Albite, low").
std::string_view mineral_name(int j);

/// Position 1..18 of the component named exactly as component_name gives it; empty if none.
std::optional<int> component_index(std::string_view name);
/// Position 1..69 of the species named exactly as species_name gives it; empty if none.
std::optional<int> species_index(std::string_view name);
/// Position 1..29 of the mineral named exactly as mineral_name gives it; empty if none.
std::optional<int> mineral_index(std::string_view name);

/// Molecular weight of component k (1..18), mg/mol: mg/kg divided by it gives mol/kg.
double w(int k);

/// Charge of each species (whole numbers held as doubles).
extern const species_vector species_charge;
/// Ion-size parameter of each species, angstrom; 0 for neutral species.
extern const species_vector species_ion_size;
/// Formula weight of each species, mg/mol.
extern const species_vector species_weight;

}  // namespace morva
