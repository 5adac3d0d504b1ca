#pragma once
// The numbers the speciation solver multiplies molalities by, evaluated once for one
// temperature and ionic strength and handed to every routine of a pass at that state.

#include "chemdata/activity.h"
#include "morva/indexed.h"

namespace morva {

/// What the factors take from the temperature alone: computed once for a temperature, they
/// serve every ionic strength at it (and every fluid a run takes to it).
struct solver_temperature {
  double t = 0.0;             ///< temperature, K
  species_vector k;           ///< dissociation constants K_i at T
  double kr = 0.0;            ///< constant of the iron redox reaction at T
  double h2s_pressure = 0.0;  ///< bar of H2S gas per mol/kg of dissolved H2S at T
  debye_huckel dh;            ///< Debye-Hueckel parameters at T
};

/// The temperature terms of the factors at T (K).
solver_temperature make_solver_temperature(double t);

/// Dissociation constants, activity coefficients and reaction factors of all 69 species at one
/// temperature and ionic strength, with the temperature terms of the iron redox ratio. Each
/// entry equals what discon, gamma, recdis and redox give at the same T and I, to the last bit.
struct solver_factors {
  double t = 0.0;               ///< temperature, K
  double ionic = 0.0;           ///< ionic strength, mol/kg
  species_vector k;             ///< dissociation constants K_i at T
  species_vector gamma;         ///< activity coefficients at T and I
  species_vector r;             ///< reaction factors r_i at T and I (0 for the free ions)
  double kr = 0.0;              ///< constant of the iron redox reaction at T
  double h2s_pressure = 0.0;    ///< bar of H2S gas per mol/kg of dissolved H2S at T
  double gamma17_eighth = 0.0;  ///< activity coefficient of SO4-- to the power 1/8
  debye_huckel dh;              ///< Debye-Hueckel parameters at T
};

/// The factors at T (K) and ionic strength I (mol/kg).
solver_factors make_factors(double t, double ionic);
/// The factors at the temperature of tt and ionic strength I (mol/kg): the same numbers.
solver_factors make_factors(const solver_temperature& tt, double ionic);

/// Brings the factors f to the ionic strength I (mol/kg) at their own temperature: only the
/// activity corrections are evaluated again, and nothing when I is the one they have.
void change_ionic_strength(double ionic, solver_factors& f);

}  // namespace morva
