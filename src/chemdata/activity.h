#pragma once
// Activity coefficients of the aqueous species and the ionic strength.

#include "chemdata/indexed.h"

namespace morva {

/// Activity coefficient of species i (1..69) at T (K) and ionic strength I (mol/kg).
double gamma(int i, double t, double ionic);
/// Ionic strength, mol/kg, of the species molalities m (mol/kg).
double strion(const species_vector& m);

}  // namespace morva
