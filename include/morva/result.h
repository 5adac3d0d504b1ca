#pragma once
// What the calculation of one sample gives: solved fluid states with the quantities derived
// from them, the reasons a sample is refused or a step skipped, and the whole result of a
// sample with its reference state and its cooling and boiling steps. Values only: the
// terminal, the report and the tables turn them into text.
//
// Temperatures: every temperature the calculation gives is in kelvin in a field without a
// suffix (fluid_state::t, reference_result::tc); t_c() and celsius() give it in °C. A
// temperature that was typed, such as the temperature a step was asked for, keeps its °C
// value in a field named _c (step_result::t_c).

#include <optional>
#include <string>
#include <vector>

#include "morva/indexed.h"
#include "morva/sample.h"
#include "morva/units.h"

namespace morva {

/// Outcome of one mass-balance iteration (Gauss-Seidel sweeps over the basis species).
struct mass_balance_outcome {
  bool converged = true;  ///< the last sweep changed no basis molality by more than 1e-6
  int sweeps = 0;         ///< sweeps made, at most 100
};

/// Outcome of one pH solution (Newton on aH with the proton balance kept).
enum class ph_outcome {
  solved,         ///< converged within the accepted range
  above_range,    ///< the root lies above pH 11: aH held near the bound
  below_range,    ///< the step went below pH 2
  not_converged,  ///< 50 Newton steps without settling
};

/// Cation and anion sums of a species distribution and their difference.
struct ion_balance {
  double cations = 0.0;         ///< mol-eq/kg
  double anions = 0.0;          ///< mol-eq/kg
  double difference_pct = 0.0;  ///< % of their mean, positive for a cation excess
};

/// A geothermometer temperature, or why there is none.
struct geotemperature {
  enum class status {
    value,        ///< t holds the temperature
    no_species,   ///< the species it rests on are absent
    below_range,  ///< below 0 °C (Na/K)
    above_range,  ///< above the range of its fit, or no temperature from it
  };
  status state = status::no_species;
  double t = 0.0;  ///< K, when state is value

  /// The temperature, K, when there is one.
  std::optional<double> kelvin() const {
    return state == status::value ? std::optional<double>(t) : std::nullopt;
  }
  /// The temperature, °C, when there is one.
  std::optional<double> t_c() const {
    return state == status::value ? std::optional<double>(celsius(t)) : std::nullopt;
  }
};

/// Log K or log Q of each of the 29 minerals; empty where it cannot be formed.
using mineral_logs = one_based<struct mineral_tag, 29, std::optional<double>>;

/// The four redox couples of the oxidation potentials, in report order.
enum class redox_couple { sulfate_sulfide, carbon_dioxide_methane, hydrogen, nitrogen_ammonia };

/// Quantities that follow from a solved fluid state.
struct derived_results {
  ion_balance balance;
  std::optional<double> eh_sulfate_sulfide;         ///< Eh, V, of SO4--/H2S; empty if absent
  std::optional<double> eh_carbon_dioxide_methane;  ///< Eh, V, of CO2/CH4; empty if absent
  std::optional<double> eh_hydrogen;                ///< Eh, V, of H+/H2; empty if absent
  std::optional<double> eh_nitrogen_ammonia;        ///< Eh, V, of N2/NH3; empty if absent
  geotemperature quartz;                            ///< from the H4SiO4 molality
  geotemperature chalcedony;                        ///< from the H4SiO4 molality
  geotemperature na_k;                              ///< from the Na+ and K+ activities
  mineral_vector log_k;  ///< log10 solubility constant at the state's temperature
  mineral_logs log_q;    ///< log10 ion activity product; empty where a species is absent

  /// Oxidation potential Eh, V, of couple c; empty where a member of the couple is absent.
  std::optional<double> eh(redox_couple c) const {
    switch (c) {
      case redox_couple::sulfate_sulfide:
        return eh_sulfate_sulfide;
      case redox_couple::carbon_dioxide_methane:
        return eh_carbon_dioxide_methane;
      case redox_couple::hydrogen:
        return eh_hydrogen;
      case redox_couple::nitrogen_ammonia:
        return eh_nitrogen_ammonia;
    }
    return std::nullopt;
  }
};

/// One solved fluid: the liquid's species distribution, its gases and its steam.
struct fluid_state {
  double t = 0.0;                            ///< temperature, K
  double ionic = 0.0;                        ///< ionic strength, mol/kg
  double ah = 0.0;                           ///< hydrogen-ion activity
  double ph = 0.0;                           ///< -log10 aH
  species_vector m;                          ///< species molalities, mol/kg
  component_vector totals;                   ///< component totals the species hold, mol/kg
  species_vector gamma;                      ///< activity coefficients at t and ionic
  double p_h2o = 0.0;                        ///< partial pressure of water vapour, bar absolute
  gas_vector p_gas;                          ///< partial pressures of the seven gases, bar absolute
  double ptotal = 0.0;                       ///< total pressure, bar absolute
  component_vector liquid_mgkg;              ///< liquid composition, mg/kg
  gas_vector steam_mgkg;                     ///< gases of the steam, mg per kg of steam
  double tds_liquid = 0.0;                   ///< total dissolved solids of the liquid, mg/kg
  double steam_fraction = 0.0;               ///< mass fraction of steam in the fluid
  double degassing = 1.0;                    ///< degassing coefficient, 0.01 to 1
  mass_balance_outcome mass_balance;         ///< the last mass balance of the speciation
  ph_outcome ph_first = ph_outcome::solved;  ///< pH solution of the first pass
  ph_outcome ph_later = ph_outcome::solved;  ///< pH solution of the last later pass
  derived_results derived;

  /// Temperature, °C.
  double t_c() const { return celsius(t); }
  /// Saturation index log10 Q - log10 K of mineral j (1..29); empty where log Q cannot be
  /// formed.
  std::optional<double> saturation_index(int j) const {
    const std::optional<double>& q = derived.log_q[j];
    return q ? std::optional<double>(*q - derived.log_k[j]) : std::nullopt;
  }
};

/// Why a sample is not calculated. Each has its own terminal text (refusal_text).
enum class refusal_reason {
  negative_concentration,             ///< a total below zero in the analysis
  collection_pressure_off_table,      ///< no saturation temperature at the collection pressure
  silica_zero_chalcedony,             ///< chalcedony temperature asked, no SiO2
  silica_zero_quartz,                 ///< quartz temperature asked, no SiO2
  potassium_zero,                     ///< Na/K temperature asked, no K
  sodium_zero,                        ///< Na/K temperature asked, no Na
  nak_estimate_above_350,             ///< first Na/K estimate above 350 °C
  nak_estimate_below_0,               ///< first Na/K estimate below 0 °C
  reference_below_0,                  ///< reference temperature below 0 °C
  enthalpy_above_steam_at_reference,  ///< no liquid in the aquifer at Tref
  enthalpy_above_steam_at_separator,  ///< no liquid at the separator
  spring_above_reference,             ///< boiling-spring temperature above Tref
  two_phase_at_reference,             ///< a boiling spring whose aquifer holds steam
  separator_above_reference,          ///< separator hotter than the aquifer
  nak_above_350,                      ///< Na/K of the aquifer fluid above 350 °C
  nak_below_0,                        ///< Na/K of the aquifer fluid below 0 °C
  geothermometer_below_0,             ///< silica temperature of the aquifer fluid below 0 °C
  spring_above_geothermometer,        ///< boiling spring above the geothermometer temperature
  enthalpy_above_saturated_steam,     ///< no liquid left at the geothermometer temperature
  geothermometer_not_converged,       ///< the geothermometer passes did not settle
  not_finite,                         ///< the calculation overflowed
  // Values no liquid water can have, refused before the calculation by the batch commands
  // and the Python module (the dialog keeps its own checks and never gives these).
  measured_above_critical,   ///< collection temperature above 373.85 °C
  typed_above_critical,      ///< typed reference temperature above 373.85 °C
  spring_below_collection,   ///< boiling spring more than 10 °C below the collection temperature
  options_ambiguous,         ///< an options row for an id the file holds more than once
  ph_not_analysed,           ///< the analysis gives no pH
  temperature_not_analysed,  ///< the measured type, and no collection temperature given
  carbonate_not_found,       ///< no total CO2 carries the given alkalinity at the measured pH
};

/// The lines the program writes to the terminal for a refusal, each ending in a line feed.
std::string refusal_text(refusal_reason why);
/// The reason of a refusal in one line, UTF-8 (° as C2 B0), without the blank lines and the
/// closing line.
std::string refusal_message(refusal_reason why);

/// Origin of the reference enthalpy.
enum class enthalpy_origin {
  measured,    ///< the discharge enthalpy
  calculated,  ///< liquid water at the reference temperature
};

/// The sampled water at the temperature of its pH measurement.
struct sampled_water {
  double ionic = 0.0;  ///< ionic strength, mol/kg
  ion_balance balance;
  species_vector m;  ///< species molalities at the measured pH, mol/kg
  /// Total CO2 of the water, mg/kg, found from the alkalinity its analysis gives in place of
  /// it; empty when the analysis gives the total CO2 (or no carbonate at all).
  std::optional<double> co2_from_alkalinity_mgkg{};
};

/// The aquifer fluid at the reference temperature and how it was reconstructed.
struct reference_result {
  fluid_state state;  ///< the aquifer liquid at Tref (state.t)
  reference_temperature t_origin = reference_temperature::measured;
  enthalpy_origin h_origin = enthalpy_origin::calculated;
  double href = 0.0;         ///< reference enthalpy, kJ/kg
  double tc = 0.0;           ///< separator temperature, K
  std::optional<double> tb;  ///< boiling-spring temperature, K; empty without a boiling spring
  double yc = 0.0;           ///< steam fraction at collection
  double ya = 0.0;           ///< steam fraction of the aquifer fluid at Tref
  double yb = 0.0;           ///< steam fraction lost by a boiling spring before sampling
  /// The quartz temperature of the aquifer fluid exceeds 333 °C and Tref: Tref was held at
  /// the cap of the quartz geothermometer (only with the quartz reference temperature).
  bool quartz_capped = false;

  /// Separator temperature, °C.
  double tc_c() const { return celsius(tc); }
};

/// Kind of a process step.
enum class step_kind { cooling, boiling };

/// Why a process step was not calculated.
enum class skip_reason {
  no_liquid,   ///< boiling to this temperature leaves only steam
  not_finite,  ///< the calculation overflowed
};

/// One cooling or boiling step of the aquifer fluid.
struct step_result {
  step_kind kind = step_kind::cooling;
  double t_c = 0.0;                    ///< step temperature, °C
  double degassing = 1.0;              ///< degassing coefficient of the step
  std::optional<fluid_state> state;    ///< the solved step, or empty when skipped
  std::optional<skip_reason> skipped;  ///< why it was skipped
  int unconverged_mass_balances = 0;   ///< mass balances of the step that did not converge
};

/// Everything the calculation of one sample gives.
struct sample_result {
  std::optional<refusal_reason> refused;  ///< set when the sample is not calculated
  /// Mass balances that ended unconverged before the reference state was reached (or the
  /// sample refused); the terminal says so once for each.
  int unconverged_mass_balances = 0;
  sampled_water sampled;           ///< when not refused
  reference_result reference;      ///< when not refused
  std::vector<step_result> steps;  ///< cooling steps, then boiling steps, as calculated
};

}  // namespace morva
