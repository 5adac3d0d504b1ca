#pragma once
// The sample file: blocks of 34 fixed-column lines, one per discharge analysis.

#include <array>
#include <iosfwd>
#include <string>

#include "chemdata/indexed.h"

namespace morva {

/// One sample as read from the sample file.
struct sample_record {
  std::string number = std::string(16, ' ');    ///< sample number, 16 characters
  std::string location = std::string(80, ' ');  ///< location or description, 80 characters
  double pressure_bar_g = 0.0;  ///< collection pressure, bar gauge
  double enthalpy = 0.0;        ///< discharge enthalpy, kJ/kg; 0 when not measured
  double ph = 0.0;              ///< water pH
  double ph_t = 0.0;            ///< temperature of the pH measurement, K
  component_vector water;       ///< water totals, mol/kg
  component_vector steam;       ///< steam totals, mol per kg of condensate
  gas_vector gas;               ///< dry-gas composition, volume %
  std::array<double, 4> condensate{};  ///< condensate CO2, H2S, NH3, Na, mg/kg
  std::array<double, 3> steam_mgkg{};  ///< steam CO2, H2S, NH3, mg/kg
  /// Collection data, 1-based as in the file: 1 discharge (kg/s), 2 collection temperature
  /// (°C), 3 condensate pH, 4 its temperature (°C), 5 litres of gas per kg of condensate,
  /// 6 gas collection temperature (°C).
  one_based<struct collection_tag, 6> collection;
  double tds = 0.0;  ///< total dissolved solids, mg/kg
  int type = 1;      ///< 1 water only, 2 steam-phase data present
};

