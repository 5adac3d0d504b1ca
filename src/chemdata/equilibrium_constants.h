#pragma once
// Equilibrium constants of the aqueous dissociation reactions, the water properties they use,
// and the molal reaction factors through which the speciation solver relates molalities.

#include "morva/indexed.h"

namespace morva {

/// Ratio of the dielectric constant of water near 25 °C to that at T (K); 1.0 at 298.15 K.
double ba(double t);
/// Dielectric constant (relative permittivity) of liquid water at T (K).
double eps(double t);
/// Dissociation constant K_i (not its logarithm) of the reaction of species i (1..69) at T (K);
/// for species 1 it is the ion product of water, for a free ion without a reaction it is 1.
double discon(int i, double t);
/// Molal reaction factor r_i of species i at T (K) and ionic strength I (mol/kg): activity
/// coefficients of the charged products other than H+ over K_i times that of a charged species
/// i; 0.0 for the 16 free ions that have no reaction of their own.
double recdis(int i, double t, double ionic);

/// Dissociation constants of all 69 rows at T (K), each equal to discon(i, T) to the last bit;
/// ln T and the water functions are evaluated once for all of them.
species_vector discon_all(double t);
/// Reaction factors of all 69 species from the dissociation constants k (discon_all at T) and
/// the activity coefficients g (gamma_all at T and I), each equal to recdis(i, T, I) to the last
/// bit.
species_vector recdis_all(const species_vector& k, const species_vector& g);

}  // namespace morva
