#pragma once
// The solver's working state of one sample, from its analysis to the aquifer fluid at the
// reference temperature and on through the process steps.

#include <optional>
#include <variant>

#include "morva/indexed.h"
#include "morva/result.h"
#include "morva/sample.h"
#include "phases/gas_distribution.h"
#include "phases/recombination.h"
#include "phases/speciation.h"
#include "solver/factors.h"
#include "solver/solver_log.h"

namespace morva {

/// Everything the calculation of one sample carries from the sampled water to the reference
/// state and on through the cooling and boiling steps; temperatures in K, solver amounts in
/// mol/kg, the compositions meant for print in mg/kg.
struct work_state {
  double ah = 0.0;              ///< hydrogen-ion activity of the last speciation
  double ah0 = 0.0;             ///< start value of aH handed to the next speciation
  double ionic = 0.0;           ///< ionic strength carried from one speciation to the next
  double ionic_sampling = 0.0;  ///< ionic strength of the water at its pH measurement
  ion_balance balance;          ///< ion balance of the sampled water
  species_vector m_sampling;    ///< species molalities of the sampled water
  species_vector m;             ///< species molalities of the last speciation
  species_vector est;           ///< species estimates for the next speciation
  double a = 0.0;               ///< proton balance of the sampled water

  double tref = 0.0;  ///< reference temperature
  double tc = 0.0;    ///< separator temperature (saturation at the collection pressure)
  double tb = 0.0;    ///< boiling-spring temperature, 0 without a boiling spring
  double href = 0.0;  ///< reference enthalpy, kJ/kg
  double yc = 0.0;    ///< steam fraction at collection
  double ya = 0.0;    ///< steam fraction of the aquifer fluid at Tref
  double yb = 0.0;    ///< steam fraction lost by a boiling spring
  enthalpy_origin h_origin = enthalpy_origin::calculated;  ///< origin of Href
  double yc_old = 0.0;  ///< yc before its last update in the geothermometer iteration
  double yb_old = 0.0;  ///< yb before its last update
  double ya_old = 0.0;  ///< ya before its last update

  component_vector cs_spring;  ///< steam lost by a boiling spring, mol per kg of steam
  component_vector cd;         ///< recombined discharge, mol per kg of discharge
  component_vector cl;         ///< its liquid part, mol per kg of water
  double a_d = 0.0;            ///< proton balance of the discharge
  double tds_d = 0.0;          ///< total dissolved solids of the discharge, mg/kg

  gas_vector v;                  ///< gases of the steam, mol per kg of steam
  gas_vector mgas;               ///< molecular gases in the water, mol/kg
  gas_vector b;                  ///< speciation ratios of the gases
  gas_pressures p{};             ///< partial pressures, bar absolute, water vapour first
  double ptotal = 0.0;           ///< total pressure, bar absolute
  component_vector liquid_mgkg;  ///< liquid composition, mg/kg
  gas_vector steam_mgkg;         ///< gases of the steam, mg per kg of steam
  double tds_liquid = 0.0;       ///< total dissolved solids of the liquid, mg/kg

  solver_log log;      ///< what the solvers said, the counts since the sample's start
  double degas = 1.0;  ///< degassing coefficient of the state
};

/// Takes the speciation r into ws: aH and its start, ionic strength, gases and species.
void store(work_state& ws, const phase_solution& r);
/// Takes the recombined discharge r into ws: its totals, liquid, estimates, proton balance, TDS.
void store(work_state& ws, const recombined& r);
/// Takes the phase compositions r (mg/kg) into ws.
void store(work_state& ws, const phase_compositions& r);
/// Takes the partial pressures r (bar absolute) into ws.
void store(work_state& ws, const gas_pressure_set& r);

/// True when every number of ws that the report prints or a later step starts from is finite,
/// the hydrogen-ion activity positive and the ionic strengths not negative; absurd analyses
/// (1e300 mg/kg, a gas share of 1e-320 %) overflow somewhere on the way and leave a state
/// that is not.
bool finite_state(const work_state& ws);

/// The sampled water of s (totals tot) at its pH temperature, its species, ionic strength and
/// ion balance in ws; the reason when the analysis cannot be speciated (a negative total).
std::optional<refusal_reason> solve_sampled_water(const sample_record& s, const sample_totals& tot,
                                                  work_state& ws);

/// The total CO2, mg/kg, of the water of s whose sampled species at the measured pH and pH
/// temperature carry the carbonate alkalinity s gives (0 for none given); the reason when the
/// water cannot be speciated or no total carries it.
std::variant<double, refusal_reason> total_co2_of_alkalinity(const sample_record& s);

/// Solves sample s with options opt up to its aquifer fluid at the reference temperature,
/// filling ws; the reason when the sample is refused (ws is then not to be reported).
std::optional<refusal_reason> solve_reference_state(const sample_record& s, const run_options& opt,
                                                    work_state& ws);

/// The solved state of ws at temperature t (K) with steam fraction y and degassing coefficient
/// f, whose species hold the liquid totals (mol/kg), with its derived results.
fluid_state snapshot(const work_state& ws, double t, double y, double f,
                     const component_vector& totals);

/// The sample s calculated with opt up to its reference state, without its steps; ws is left
/// at the solved reference state.
sample_result calculate_reference(const sample_record& s, const run_options& opt, work_state& ws);

/// What a step to one temperature takes from the temperature alone: the solver's constants
/// and Debye-Hueckel parameters, the saturation pressure and Henry constants, the minerals'
/// log10 K. Computed once, they serve every fluid taken to that temperature.
struct temperature_terms {
  solver_temperature solver;  ///< dissociation and redox constants, Debye-Hueckel parameters
  gas_temperature gas;        ///< saturation pressure, Henry constants
  mineral_vector log_k;       ///< log10 K of the 29 minerals
};

/// The temperature terms at T (K).
temperature_terms make_temperature_terms(double t);

/// The speciation of a conductive cooling step of the solved state ws to T (K), ws left at the
/// new state (which may not be finite: see finite_state).
void cool(work_state& ws, double t);
/// The same step to the temperature of tt, its terms given: the same numbers.
void cool(work_state& ws, const temperature_terms& tt);

/// One conductive cooling step of the solved state ws to t_c (°C): the discharge, unchanged,
/// speciated at the new temperature from the state of ws; ws is left at the new state, or as it
/// was when the step gives no finite result.
step_result cooling_step(work_state& ws, double t_c);

}  // namespace morva
