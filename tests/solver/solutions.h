#pragma once
// The solver tests read a solution's value and its outcome at once, often both in one line:
// these keep the value and hand on the outcome.

#include "morva/indexed.h"
#include "morva/result.h"
#include "solver/mass_balance.h"
#include "solver/ph.h"

namespace morva {

/// The outcome of the pH solution r, its hydrogen-ion activity kept in ah.
inline ph_outcome keep_ah(const ph_solution& r, double& ah) {
  ah = r.ah;
  return r.outcome;
}

/// The outcome of the mass balance r, its basis vector (mol/kg) kept in x.
inline mass_balance_outcome keep_x(const mass_balance_solution& r, species_vector& x) {
  x = r.x;
  return r.outcome;
}

}  // namespace morva
