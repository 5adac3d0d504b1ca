#pragma once
// The names of the components, species and minerals as the report prints them: blank-padded
// to the width of their report columns.

#include <string_view>

#include "morva/tables.h"  // IWYU pragma: export

namespace morva {

/// Name of component k (1..18), 9 characters, blank-padded.
std::string_view nam(int k);
/// Name of species i (1..69), 12 characters, blank-padded.
std::string_view spenam(int i);
/// Name of mineral j (1..29), 12 characters, blank-padded.
std::string_view minnam(int j);

}  // namespace morva
