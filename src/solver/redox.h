#pragma once
// Iron redox ratio fixed by the sulfide/sulfate couple.

#include "solver/factors.h"

namespace morva {

/// Molality ratio Fe+++/Fe++ in equilibrium with dissolved H2S (m_h2s, mol/kg) and free
/// SO4-- (m_so4, mol/kg) at hydrogen-ion activity ah, T (K) and ionic strength I (mol/kg).
double redox(double m_h2s, double m_so4, double ah, double t, double ionic);

/// The same ratio at the temperature and ionic strength of the solver factors f.
double redox(double m_h2s, double m_so4, double ah, const solver_factors& f);

/// The iron redox ratio with all but the free sulfate fixed: numerator * m_so4^(1/8) /
/// denominator, each product formed in the order the ratio is written, so that the ratio is
/// the same to the last bit; none when there is no dissolved H2S (no iron(III)).
struct redox_terms {
  bool none = true;          ///< no H2S: the ratio is 0
  double numerator = 0.0;    ///< aH^(5/4) times the activity coefficients of Fe++ and SO4--^(1/8)
  double denominator = 0.0;  ///< activity coefficient of Fe+++ times K_r times p_H2S^(1/8)
};

/// The terms of the ratio for dissolved H2S m_h2s (mol/kg) at aH ah and the factors f (a mass
/// balance keeps both through its sweeps); none when m_h2s <= epp (mol/kg).
redox_terms redox_terms_at(double m_h2s, double ah, const solver_factors& f, double epp);

/// Fe+++/Fe++ from the terms k and free SO4-- m_so4 (mol/kg); 0 when k is none or m_so4 <= epp
/// (mol/kg).
double redox(const redox_terms& k, double m_so4, double epp);

/// Equilibrium constant K_r of Fe+++ + 1/8 H2S(gas) + 1/2 H2O = Fe++ + 1/8 SO4-- + 5/4 H+ at
/// T (K).
double redox_constant(double t);

}  // namespace morva
