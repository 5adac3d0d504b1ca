#pragma once
// The names of the species and minerals as the tables, the JSON document, the pictures and the
// Python module write them: the fixed vocabularies without their padding.

#include <string>
#include <vector>

namespace morva {

/// Names of the 69 species (1..69 at 0..68).
const std::vector<std::string>& species_names();
/// Names of the 29 minerals (1..29 at 0..28).
const std::vector<std::string>& mineral_names();

}  // namespace morva
