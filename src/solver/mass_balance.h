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

/// First guess (mol/kg) of the species molalities from the component totals c (mol/kg).
species_vector setini(const component_vector& c);
/// A mass balance's basis vector and how it ended.
struct mass_balance_solution {
  species_vector x;              ///< basis molalities, mol/kg: the last sweep's when unconverged
  mass_balance_outcome outcome;  ///< whether it converged, and in how many sweeps
};

/// Mass balance: basis molalities (mol/kg) for totals c at activity ah, T (K), ionic strength
/// I, starting from m_in.
mass_balance_solution masbal(const component_vector& c, double ah, double t, double ionic,
                             const species_vector& m_in);
/// All 69 species molalities (mol/kg) from the basis vector x at ah, T (K) and I (mol/kg).
species_vector spemol(const species_vector& x, double ah, double t, double ionic);
/// Ratios B (1..7) of each gas's total dissolved amount to its neutral species' molality.
gas_vector bcoeff(const species_vector& x, double ah, double t, double ionic);

// The same three routines at the temperature and ionic strength of the solver factors f, for
// callers that run several of them at one state.

/// masbal at the T and I of f.
mass_balance_solution masbal(const component_vector& c, double ah, const solver_factors& f,
                             const species_vector& m_in);
/// spemol at the T and I of f.
species_vector spemol(const species_vector& x, double ah, const solver_factors& f);
/// bcoeff at the T and I of f.
gas_vector bcoeff(const species_vector& x, double ah, const solver_factors& f);

}  // namespace morva
