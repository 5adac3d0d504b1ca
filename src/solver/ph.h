#pragma once
// pH of a fluid at a new temperature from its conserved proton balance.

#include "morva/indexed.h"
#include "morva/result.h"
#include "solver/factors.h"

namespace morva {

/// Proton balance, mol/kg: the species molalities m weighted by the protons each can take up
/// relative to the reference species (H2CO3, H2S, H4SiO4, H3BO3, NH4OH, HF, H2SO4, Al+++, H2O).
double proton_balance(const species_vector& m);

/// The hydrogen-ion activity a pH solution ended at and how it ended.
struct ph_solution {
  double ah = 0.0;                          ///< hydrogen-ion activity
  ph_outcome outcome = ph_outcome::solved;  ///< how the iteration ended
};

/// Newton iteration for the hydrogen-ion activity that conserves the proton balance a
/// (mol per kg of total fluid) for totals c (mol per kg of total fluid), gas factors g,
/// T (K), ionic strength I, start ah0 and steam fraction y.
ph_solution phcalc(const species_vector& m, const component_vector& c, double a,
                   const gas_factors& g, double t, double ionic, double ah0, double y);
/// phcalc at the temperature and ionic strength of the solver factors fac.
ph_solution phcalc(const species_vector& m, const component_vector& c, double a,
                   const gas_factors& g, const solver_factors& fac, double ah0, double y);

}  // namespace morva
