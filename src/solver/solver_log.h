#pragma once
// What the solvers said while one fluid was speciated, kept as values for the terminal and
// the report to word.

#include "morva/result.h"

namespace morva {

/// The outcomes of the solver calls of one speciation: the last mass balance, the pH
/// solutions of the first and of the last later pass, and how many mass balances ended
/// unconverged on the way.
struct solver_log {
  mass_balance_outcome mass_balance;
  ph_outcome ph_first = ph_outcome::solved;
  ph_outcome ph_later = ph_outcome::solved;
  int unconverged = 0;

  /// Keeps the outcome of a mass balance just run.
  void note(const mass_balance_outcome& o) {
    mass_balance = o;
    if (!o.converged) ++unconverged;
  }
};

}  // namespace morva
