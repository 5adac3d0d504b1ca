#pragma once
// Between the sampled fluid and the aquifer fluid: the steam a boiling spring lost, the
// recombination of water and steam, and the phase compositions of a solved fluid in mg/kg.

#include "morva/indexed.h"
#include "solver/solver_log.h"

namespace morva {

/// Steam lost by a boiling spring: speciates the sampled water (totals cw, mol/kg; proton
/// balance a) at the boiling temperature tb (K) from aH start ah0 with steam fraction y for the
/// pH solver, replacing the species molalities sp and the ionic strength I, and gives the gases
/// of the steam in equilibrium with it at degassing coefficient f: cs (mol per kg of steam,
/// components 8..18 zero); its mass balances are noted in log.
void springs(const component_vector& cw, species_vector& sp, double a, double tb, double ah0,
             double y, double f, double& ionic, component_vector& cs, solver_log& log);

/// Recombines water cw (mol/kg) and steam cs (mol per kg of steam) in steam fraction ys into
/// the discharge cd (mol per kg of discharge) and its liquid cl at aquifer steam fraction ya
/// (mol/kg); rescales species sp solved with the fractions ys_old, ya_old into estimates est,
/// and the proton balance a (mol/kg) and TDS (mg/kg) to the discharge (a_d, tds_d).
void conflo(const component_vector& cw, const component_vector& cs, const species_vector& sp,
            double a, double tds, double ys, double ys_old, double ya, double ya_old,
            component_vector& cd, component_vector& cl, species_vector& est, double& a_d,
            double& tds_d);

/// Phase compositions of a solved fluid of steam fraction y: gases of the steam steam_mgkg
/// (mg per kg of steam) from v (mol per kg of steam), liquid liquid_mgkg (mg per kg of water)
/// from the molecular gases m (mol/kg), ratios b and discharge totals cd (mol per kg of
/// discharge), and the liquid TDS (mg/kg) from that of the discharge tds_d.
void aquife(const gas_vector& v, const gas_vector& m, const component_vector& cd, double tds_d,
            const gas_vector& b, double y, gas_vector& steam_mgkg, component_vector& liquid_mgkg,
            double& tds_liquid);

}  // namespace morva
