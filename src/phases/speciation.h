#pragma once
// Speciation of a fluid of known total composition at one temperature: all liquid, or a
// boiled mixture of water and steam whose gases are shared between the phases.

#include "morva/indexed.h"
#include "solver/factors.h"
#include "solver/ph.h"
#include "solver/solver_log.h"

namespace morva {

/// A fluid speciated at one temperature, as phase1 and phase2 leave it.
struct phase_solution {
  double ah = 0.0;     ///< hydrogen-ion activity
  double ah0 = 0.0;    ///< aH the last pass started from
  double ionic = 0.0;  ///< ionic strength of the last pass, mol/kg
  gas_vector v;        ///< gases of the steam, mol per kg of steam
  gas_vector m;        ///< molecular gases in the water, mol/kg
  species_vector sp;   ///< species molalities, mol/kg
  gas_vector b;        ///< speciation ratios of the gases: total dissolved over molecular
};

/// A boiled fluid speciated at one temperature: the liquid's speciation and its totals.
struct boiled_solution {
  phase_solution fluid;  ///< speciation of the liquid and the gas distribution
  component_vector cl;   ///< liquid totals, mol per kg of water
};

/// Single-phase fluid with totals c (mol/kg) and proton balance a (mol/kg) at T (K), from the
/// species estimates est, aH start ah0 and ionic strength I (mol/kg): aH, steam gases v (all 0),
/// molecular gases m = c / B (mol/kg), species molalities sp, speciation ratios b, and ah0 and I
/// as the last pass left them; the solver outcomes are added to log.
phase_solution phase1(const species_vector& est, const component_vector& c, double a, double t,
                      double ah0, double ionic, solver_log& log);
/// phase1 at the temperature of tt, its temperature terms given: the same numbers.
phase_solution phase1(const species_vector& est, const component_vector& c, double a,
                      const solver_temperature& tt, double ah0, double ionic, solver_log& log);

/// Boiled fluid with steam fraction y (0 < y < 1) at T (K, on the saturation curve): totals c
/// (mol per kg of fluid), liquid totals cl (mol per kg of water; components 8..18 given, 1..7
/// replaced in the result by the dissolved gases), proton balance a (mol per kg of fluid),
/// degassing coefficient f; as phase1 otherwise, with v (mol per kg of steam) and m (mol/kg)
/// the gas distribution between the phases.
boiled_solution phase2(const species_vector& est, const component_vector& c, component_vector cl,
                       double a, double t, double ionic, double y, double ah0, double f,
                       solver_log& log);

}  // namespace morva
