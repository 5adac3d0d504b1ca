#pragma once
// Iron redox ratio fixed by the sulfide/sulfate couple.

#include "solver/factors.h"

namespace morva {

/// Molality ratio Fe+++/Fe++ in equilibrium with dissolved H2S (m_h2s, mol/kg) and free
/// SO4-- (m_so4, mol/kg) at hydrogen-ion activity ah, T (K) and ionic strength I (mol/kg).
double redox(double m_h2s, double m_so4, double ah, double t, double ionic);

/// The same ratio at the temperature and ionic strength of the solver factors f.
double redox(double m_h2s, double m_so4, double ah, const solver_factors& f);

/// Equilibrium constant K_r of Fe+++ + 1/8 H2S(gas) + 1/2 H2O = Fe++ + 1/8 SO4-- + 5/4 H+ at
/// T (K).
double redox_constant(double t);

}  // namespace morva
