#pragma once
// Equilibrium constants of the aqueous reactions and the molal reaction factors.

namespace morva {

/// Ratio of the dielectric constant of water near 25 °C to that at T (K); 1.0 at 298.15 K.
double ba(double t);
/// Dielectric constant of water at T (K).
double eps(double t);
/// Dissociation constant K_i (not its logarithm) of the reaction of species i at T (K).
double discon(int i, double t);
/// Molal reaction factor r_i of species i at T (K) and ionic strength I (mol/kg);
/// 0.0 for species without a reaction.
double recdis(int i, double t, double ionic);

}  // namespace morva
