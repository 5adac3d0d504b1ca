#pragma once
// Activity coefficients of the aqueous species (extended Debye-Hueckel law with a B-dot
// term) and the ionic strength that drives them.

#include "morva/indexed.h"

namespace morva {

/// Parameters of the extended Debye-Hueckel law at one temperature: they depend on it alone.
struct debye_huckel {
  double a = 0.0;     ///< (kg/mol)^0.5
  double b = 0.0;     ///< (kg/mol)^0.5 per angstrom
  double bdot = 0.0;  ///< kg/mol
};

/// The Debye-Hueckel parameters A, B and B-dot at T (K).
debye_huckel debye_huckel_at(double t);

/// Molal activity coefficient of species i (1..69) at T (K) and ionic strength I >= 0 (mol/kg);
/// 1 at I = 0, and 10^(-Bdot*I) rather than 1 for a neutral species.
double gamma(int i, double t, double ionic);
/// Activity coefficients of all 69 species at T (K) and ionic strength I (mol/kg), each equal
/// to gamma(i, T, I) to the last bit: species of the same charge and ion size share one value.
species_vector gamma_all(double t, double ionic);
/// The same coefficients from the parameters p of their temperature (debye_huckel_at).
species_vector gamma_all(const debye_huckel& p, double ionic);
/// Ionic strength, mol/kg, of the species molalities m (mol/kg): half the sum of z^2 m.
double strion(const species_vector& m);

}  // namespace morva
