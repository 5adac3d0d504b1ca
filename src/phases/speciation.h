#pragma once
// Speciation of a fluid of known total composition at one temperature: all liquid, or a
// boiled mixture of water and steam whose gases are shared between the phases.

#include "morva/indexed.h"
#include "solver/ph.h"
#include "solver/solver_log.h"

namespace morva {

/// Single-phase fluid with totals c (mol/kg) and proton balance a (mol/kg) at T (K), from the
/// species estimates est and aH start ah0 (updated to the start of the last pass) and ionic
/// strength I (updated): aH, steam gases v (all 0), molecular gases m = c / B (mol/kg), species
/// molalities sp, speciation ratios b; the solver outcomes are noted in log.
void phase1(const species_vector& est, const component_vector& c, double a, double t, double& ah0,
            double& ionic, double& ah, gas_vector& v, gas_vector& m, species_vector& sp,
            gas_vector& b, solver_log& log);

/// Boiled fluid with steam fraction y (0 < y < 1) at T (K, on the saturation curve): totals c
/// (mol per kg of fluid), liquid totals cl (mol per kg of water; components 8..18 given, 1..7
/// replaced by the dissolved gases), proton balance a (mol per kg of fluid), degassing
/// coefficient f; as phase1 otherwise, with v (mol per kg of steam) and m (mol/kg) the gas
/// distribution between the phases.
void phase2(const species_vector& est, const component_vector& c, component_vector& cl, double a,
            double t, double& ionic, double y, double& ah0, double f, double& ah, gas_vector& v,
            gas_vector& m, species_vector& sp, gas_vector& b, solver_log& log);

}  // namespace morva
