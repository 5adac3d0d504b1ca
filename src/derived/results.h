#pragma once
// Everything that follows from one solved fluid state, computed once for the report, the
// tables and the library alike.

#include "morva/result.h"

namespace morva {

/// Ion balance, oxidation potentials, geothermometer temperatures and mineral log K and log Q
/// of the solved state st (its t, ionic, ah, m, gamma and liquid_mgkg are read).
derived_results derive(const fluid_state& st);

}  // namespace morva
