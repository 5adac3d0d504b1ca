#pragma once
// Iron redox ratio fixed by the sulfide/sulfate couple.

namespace morva {

/// Molality ratio Fe+++/Fe++ in equilibrium with dissolved H2S (m_h2s, mol/kg) and free
/// SO4-- (m_so4, mol/kg) at hydrogen-ion activity ah, T (K) and ionic strength I (mol/kg).
double redox(double m_h2s, double m_so4, double ah, double t, double ionic);

}  // namespace morva
