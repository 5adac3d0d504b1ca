#pragma once
// Everything that follows from one solved fluid state, computed once for the report, the
// tables and the library alike.

#include "morva/result.h"

namespace morva {

/// Ion balance, oxidation potentials, geothermometer temperatures and mineral log K and log Q
/// of the solved state st (its t, ionic, ah, m, gamma and liquid_mgkg are read).
derived_results derive(const fluid_state& st);

/// log K at T (K) and log Q of the 29 minerals for the species molalities m (mol/kg) with the
/// activity coefficients gamma; log Q empty where a species it needs is absent.
void mineral_saturation(const species_vector& m, const species_vector& gamma, double t,
                        mineral_vector& log_k, mineral_logs& log_q);

}  // namespace morva
