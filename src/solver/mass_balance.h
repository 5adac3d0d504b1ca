#pragma once
// Distribution of the component totals over the aqueous species at a given aH.

#include "morva/indexed.h"
#include "morva/result.h"
#include "solver/factors.h"

namespace morva {

/// One solved fluid as the phase models and the tests hold it between calls.
struct speciation_state {
  double t = 0.0;           ///< temperature, K
  double ionic = 0.0;       ///< ionic strength, mol/kg
  double ah = 0.0;          ///< hydrogen-ion activity
  species_vector m;         ///< species molalities, mol/kg
  species_vector x;         ///< basis vector of the mass balance, mol/kg
  mass_balance_outcome mb;  ///< how its last mass balance ended
};

/// First guess m0 (mol/kg) of the species molalities from the component totals c (mol/kg).
void setini(const component_vector& c, species_vector& m0);
/// Mass balance: basis molalities x (mol/kg) for totals c at activity ah, T (K), ionic
/// strength I, starting from m_in; whether it converged, and in how many sweeps.
mass_balance_outcome masbal(const component_vector& c, double ah, double t, double ionic,
                            const species_vector& m_in, species_vector& x);
/// All 69 species molalities m from the basis vector x at ah, T (K) and I (mol/kg).
void spemol(const species_vector& x, double ah, double t, double ionic, species_vector& m);
/// Ratios B (1..7) of each gas's total dissolved amount to its neutral species' molality.
void bcoeff(const species_vector& x, double ah, double t, double ionic, gas_vector& b);

// The same three routines at the temperature and ionic strength of the solver factors f, for
// callers that run several of them at one state.

/// masbal at the T and I of f.
mass_balance_outcome masbal(const component_vector& c, double ah, const solver_factors& f,
                            const species_vector& m_in, species_vector& x);
/// spemol at the T and I of f.
void spemol(const species_vector& x, double ah, const solver_factors& f, species_vector& m);
/// bcoeff at the T and I of f.
void bcoeff(const species_vector& x, double ah, const solver_factors& f, gas_vector& b);

}  // namespace morva
