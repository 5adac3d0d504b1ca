#pragma once
// Everything that follows from one solved fluid state, computed once for the report, the
// tables and the library alike.

#include "morva/result.h"

namespace morva {

/// Ion balance, oxidation potentials, geothermometer temperatures and mineral log K and log Q
/// of the solved state st (its t, ionic, ah, m, gamma and liquid_mgkg are read).
derived_results derive(const fluid_state& st);

/// log10 of the solubility constants and of the ion activity products of the 29 minerals.
struct mineral_saturation_logs {
  mineral_vector log_k;  ///< log10 K at the temperature
  mineral_logs log_q;    ///< log10 Q; empty where a species it needs is absent
};

/// log K at T (K) and log Q of the 29 minerals for the species molalities m (mol/kg) with the
/// activity coefficients gamma.
mineral_saturation_logs mineral_saturation(const species_vector& m, const species_vector& gamma,
                                           double t);

/// log10 Q of the 29 minerals for the species molalities m (mol/kg) with the activity
/// coefficients gamma; empty where a species a reaction needs is absent.
mineral_logs mineral_activity_products(const species_vector& m, const species_vector& gamma);

}  // namespace morva
