#pragma once
// Between the sampled fluid and the aquifer fluid: the steam a boiling spring lost, the
// recombination of water and steam, and the phase compositions of a solved fluid in mg/kg.

#include "morva/indexed.h"
#include "solver/solver_log.h"

namespace morva {

/// The sampled water of a boiling spring at its boiling temperature and the steam it lost.
struct spring_steam {
  species_vector sp;    ///< species molalities of the water at the boiling temperature, mol/kg
  double ionic = 0.0;   ///< their ionic strength, mol/kg
  component_vector cs;  ///< gases of the lost steam, mol per kg of steam (components 8..18 zero)
};

/// Steam lost by a boiling spring: speciates the sampled water (totals cw, mol/kg; proton
/// balance a) at the boiling temperature tb (K) from its species sp and aH start ah0 with steam
/// fraction y for the pH solver, and gives the gases of the steam in equilibrium with it at
/// degassing coefficient f; its mass balances are added to log.
spring_steam springs(const component_vector& cw, species_vector sp, double a, double tb, double ah0,
                     double y, double f, solver_log& log);

/// Water and steam recombined into the discharge, with the solver's starting values rescaled.
struct recombined {
  component_vector cd;  ///< discharge, mol per kg of discharge
  component_vector cl;  ///< its liquid at the aquifer steam fraction, mol per kg of water
  species_vector est;   ///< species estimates rescaled to that liquid, mol/kg
  double a_d = 0.0;     ///< proton balance of the discharge, mol/kg
  double tds_d = 0.0;   ///< total dissolved solids of the discharge, mg/kg
};

/// Recombines water cw (mol/kg) and steam cs (mol per kg of steam) in steam fraction ys into
/// the discharge and its liquid at aquifer steam fraction ya; rescales species sp solved with
/// the fractions ys_old, ya_old into estimates, and the proton balance a (mol/kg) and TDS
/// (mg/kg) of the water to the discharge.
recombined conflo(const component_vector& cw, const component_vector& cs, const species_vector& sp,
                  double a, double tds, double ys, double ys_old, double ya, double ya_old);

/// Compositions of the two phases of a solved fluid, for print.
struct phase_compositions {
  gas_vector steam_mgkg;         ///< gases of the steam, mg per kg of steam
  component_vector liquid_mgkg;  ///< liquid, mg per kg of water
  double tds_liquid = 0.0;       ///< total dissolved solids of the liquid, mg/kg
};

/// Phase compositions of a solved fluid of steam fraction y: gases of the steam from v (mol per
/// kg of steam), liquid from the molecular gases m (mol/kg), ratios b and discharge totals cd
/// (mol per kg of discharge), and the liquid TDS from that of the discharge tds_d (mg/kg).
phase_compositions aquife(const gas_vector& v, const gas_vector& m, const component_vector& cd,
                          double tds_d, const gas_vector& b, double y);

}  // namespace morva
