#pragma once
// The names of the components, species and minerals: blank-padded to the width of their
// report columns as the report prints them, and trimmed as the tables, the JSON document, the
// pictures and the Python module write them.

#include <string>
#include <string_view>
#include <vector>

#include "morva/tables.h"  // IWYU pragma: export

namespace morva {

/// Name of component k (1..18), 9 characters, blank-padded.
std::string_view nam(int k);
/// Name of species i (1..69), 12 characters, blank-padded.
std::string_view spenam(int i);
/// Name of mineral j (1..29), 12 characters, blank-padded.
std::string_view minnam(int j);

/// Names of the 69 species (1..69 at 0..68), trimmed.
const std::vector<std::string>& species_names();
/// Names of the 29 minerals (1..29 at 0..28), trimmed.
const std::vector<std::string>& mineral_names();

}  // namespace morva
