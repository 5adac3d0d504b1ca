#pragma once
// Henry's-law solubility constants of the seven gases: m = KH * P, m in mol/kg, P in bar.

namespace morva {

/// log10 of the Henry constant KH (mol kg-1 bar-1) of gas k (1..7: CO2, H2S, NH3, H2, O2, CH4,
/// N2) at T (K); T must be positive.
double henryk(int k, double t);

}  // namespace morva
