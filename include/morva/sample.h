#pragma once
// One discharge analysis as read from a sample file, and the choices of how it is to be
// calculated.

#include <array>
#include <string>

#include "morva/indexed.h"

namespace morva {

/// Sampling data of a sample, 1-based as in the sample file: 1 discharge (kg/s), 2 collection
/// temperature (°C), 3 condensate pH, 4 its temperature (°C), 5 litres of gas per kg of
/// condensate, 6 gas collection temperature (°C).
using collection_data = one_based<struct collection_tag, 6>;

/// One sample as read from the sample file.
struct sample_record {
  std::string number = std::string(16, ' ');    ///< sample number, 16 characters
  std::string location = std::string(80, ' ');  ///< location or description, 80 characters
  double pressure_bar_g = 0.0;                  ///< collection pressure, bar gauge
  double enthalpy = 0.0;                        ///< discharge enthalpy, kJ/kg; 0 when not measured
  double ph = 0.0;                              ///< water pH
  double ph_t = 0.0;                            ///< temperature of the pH measurement, K
  component_vector water_mgkg;                  ///< water analyses as given, mg/kg
  double ph_t_c = 0.0;                          ///< temperature of the pH measurement, °C
  component_vector water;                       ///< water totals, mol/kg
  component_vector steam;                       ///< steam totals, mol per kg of condensate
  gas_vector gas;                               ///< dry-gas composition, volume %
  std::array<double, 4> condensate{};           ///< condensate CO2, H2S, NH3, Na, mg/kg
  std::array<double, 3> steam_mgkg{};           ///< steam CO2, H2S, NH3, mg/kg
  collection_data collection;                   ///< sampling data, see collection_data
  double tds = 0.0;                             ///< total dissolved solids, mg/kg
  int type = 1;                                 ///< 1 water only, 2 steam-phase data present
};

/// Completes a sample whose analyses are given as read (number, location, collection data,
/// pressure, enthalpy, pH and ph_t_c, water_mgkg, tds, gas, steam_mgkg, condensate): the water
/// totals in mol/kg, the pH temperature in K, the steam totals and the sample type.
void complete_sample(sample_record& s);

/// Where the reference temperature of a calculation comes from; the options dialog numbers
/// them 0 to 4 in this order.
enum class reference_temperature {
  measured,    ///< the collection temperature, or a typed one
  arbitrary,   ///< typed by the user
  chalcedony,  ///< chalcedony geothermometer of the aquifer fluid
  quartz,      ///< quartz geothermometer of the aquifer fluid
  na_k,        ///< Na/K geothermometer of the aquifer fluid
};

/// How one sample is to be calculated; temperatures in °C.
struct run_options {
  reference_temperature tref_type = reference_temperature::measured;
  double t_typed_c = 0.0;             ///< typed reference temperature, °C; 0 when none was typed
  int n_boil = 0;                     ///< number of boiling steps; 0 or less means none, at most 10
  std::array<double, 10> t_boil_c{};  ///< boiling step temperatures, °C, in the order typed
  double boil_degas = 1.0;            ///< degassing coefficient of the boiling steps, 0.01 to 1
  int n_cool = 0;                     ///< number of cooling steps; 0 or less means none, at most 10
  std::array<double, 10> t_cool_c{};  ///< cooling step temperatures, °C
  double t_spring_c = 0.0;            ///< boiling-spring temperature, °C; 0 means no boiling
  double spring_degas = 1.0;          ///< degassing coefficient of the boiling spring, 0.01 to 1
};

}  // namespace morva
