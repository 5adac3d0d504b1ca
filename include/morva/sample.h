#pragma once
// One discharge analysis as given (read from a sample file or an analysis table, or filled in
// by a program), the totals the calculation derives from it, and the choices of how it is to
// be calculated.

#include <optional>
#include <string>
#include <vector>

#include "morva/indexed.h"

namespace morva {

/// Sampling data of a discharge, as given; a field left blank in a sample file reads as 0.
struct collection_data {
  double discharge_kg_s = 0.0;     ///< total discharge, kg/s
  double t_c = 0.0;                ///< collection temperature, °C
  double condensate_ph = 0.0;      ///< pH of the steam condensate
  double condensate_ph_t_c = 0.0;  ///< temperature of that pH measurement, °C
  double gas_l_per_kg = 0.0;       ///< litres of non-condensable gas per kg of condensate
  double gas_t_c = 0.0;            ///< temperature at which the gas was collected, °C
  friend bool operator==(const collection_data&, const collection_data&) = default;
};

/// Volatiles and sodium of the steam condensate, mg/kg, as given.
struct condensate_analysis {
  double co2_mgkg = 0.0;  ///< total carbonate as CO2
  double h2s_mgkg = 0.0;  ///< total sulfide as H2S
  double nh3_mgkg = 0.0;  ///< total ammonia as NH3
  double na_mgkg = 0.0;   ///< sodium (carry-over of water into the steam)
  friend bool operator==(const condensate_analysis&, const condensate_analysis&) = default;
};

/// Volatiles of the whole steam (condensate and gas together), mg per kg of steam, as given.
struct steam_analysis {
  double co2_mgkg = 0.0;  ///< total carbonate as CO2
  double h2s_mgkg = 0.0;  ///< total sulfide as H2S
  double nh3_mgkg = 0.0;  ///< total ammonia as NH3
  friend bool operator==(const steam_analysis&, const steam_analysis&) = default;
};

/// How the texts of a sample are encoded: 8-bit Latin-1 as a sample file, the report and the
/// dialog hold them (the degree sign the byte 0xB0), or UTF-8 as a table of analyses and the
/// Python module give them.
enum class text_encoding { latin1, utf8 };

/// One discharge analysis as given. Texts are as read, without trailing blanks (a sample file
/// holds 16 characters of the number and 80 of the location, a table any number); analyses in
/// mg/kg; a quantity left blank in a sample file reads as 0, which the calculation takes as not
/// analysed.
struct sample_record {
  std::string number;              ///< sample number or id (16 characters in a sample file)
  std::string location;            ///< where the sample was taken (80 in a sample file)
  double pressure_bar_g = 0.0;     ///< collection pressure, bar gauge
  double enthalpy = 0.0;           ///< discharge enthalpy, kJ/kg; measured only when above 0
  double ph = 0.0;                 ///< water pH
  double ph_t_c = 0.0;             ///< temperature of the pH measurement, °C
  component_vector water_mgkg;     ///< water analyses, mg/kg
  gas_vector gas;                  ///< dry-gas composition, volume %
  condensate_analysis condensate;  ///< condensate volatiles and sodium, mg/kg
  steam_analysis steam;            ///< steam volatiles, mg per kg of steam
  collection_data collection;      ///< sampling data
  double tds = 0.0;                ///< total dissolved solids, mg/kg
  /// Encoding of number and location.
  text_encoding texts = text_encoding::latin1;
  /// Quantities the analysis gives as not analysed (a blank cell, "n.d." or the like in a
  /// table; a value not given to the Python module), by their column names in the analysis
  /// table ("temperature", "pH", "SiO2", "gas CO2"); their values above are 0. A sample file
  /// cannot tell a blank from a zero: its samples list none.
  std::vector<std::string> not_analysed{};
  /// True when not_analysed lists every quantity the analysis leaves open (a table of
  /// analyses, the Python module), so that a 0 not listed is an analysed zero; false for a
  /// sample file, whose blank field reads as 0.
  bool blanks_listed = false;
  /// Quantities given as below a detection limit ("<0.01"), by column name; their values
  /// above follow the reader's rule (half the limit, zero or the limit).
  std::vector<std::string> below_detection{};
  /// True when the pH temperature was not given and ph_t_c is the one assumed for it.
  bool ph_t_assumed = false;
  /// Carbonate alkalinity of the water, equivalents per kg, given (as bicarbonate, carbonate
  /// or alkalinity) in place of the total carbonate; the calculation finds the total CO2
  /// whose carbonate species at the measured pH and pH temperature carry it.
  std::optional<double> alkalinity_eq_kg{};
  /// Lithium of the water, mg/kg, where a table of analyses read with its Li column gives it;
  /// only the Cl-Li-B diagram reads it, the chemistry does not, and a sample file holds none.
  std::optional<double> li_mgkg{};
};

/// Whether a sample describes a steam phase besides its water.
enum class sample_type {
  water,      ///< water only
  two_phase,  ///< steam-phase data present: gas volume, steam or condensate volatiles
};

/// What the calculation derives from a sample's given analyses.
struct sample_totals {
  component_vector water;  ///< water totals, mol/kg
  double ph_t = 0.0;       ///< temperature of the pH measurement, K
  component_vector steam;  ///< steam totals, mol per kg of condensate (components 8..18 zero)
  sample_type type = sample_type::water;
};

/// The water totals (mg/kg over the molecular weight), the pH temperature in K, the steam
/// totals from the steam or condensate analyses and the gas (its volume measured, or from the
/// first of CO2, H2S, NH3 that both the steam and the gas give) and the type of sample s.
sample_totals derive(const sample_record& s);

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
  /// Typed reference temperature, °C: the temperature of the arbitrary type; with the measured
  /// type, a typed value above 0 °C takes the place of the collection temperature.
  std::optional<double> t_typed_c{};
  std::vector<double> boil_c{};  ///< boiling step temperatures, °C, in the order typed, at most 10
  double boil_degas = 1.0;       ///< degassing coefficient of the boiling steps, 0.01 to 1
  std::vector<double> cool_c{};  ///< cooling step temperatures, °C, in the order typed, at most 10
  /// Temperature, °C, at which a water-only sample boiled and lost steam before it was taken;
  /// empty when it did not boil.
  std::optional<double> t_spring_c{};
  double spring_degas = 1.0;  ///< degassing coefficient of the boiling spring, 0.01 to 1
};

}  // namespace morva
