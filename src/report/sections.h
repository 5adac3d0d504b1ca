#pragma once
// The sections of a sample's report block: sampled composition and sampling conditions,
// phase composition and gas pressures, ion balance, redox and geothermometers, activity
// coefficients, species and mineral saturation.

#include <array>
#include <iosfwd>
#include <string>

#include "morva/indexed.h"
#include "morva/result.h"
#include "morva/sample.h"

namespace morva {

/// The two pH-solver messages as the report prints them: the range message (slot 0) and the
/// non-convergence message (slot 1), 60 characters each.
using ph_messages = std::array<std::string, 2>;

/// What the heading and sampled-fluid section prints, each value as it is printed from.
struct sample_section_values {
  component_vector c;         ///< water totals, mol/kg
  gas_vector gas;             ///< dry gas, volume %
  condensate_analysis cond;   ///< condensate CO2, H2S, NH3, Na, mg/kg
  steam_analysis steam;       ///< total-steam CO2, H2S, NH3, mg/kg
  collection_data s;          ///< sampling data
  std::string t_label;        ///< origin of Tref, 14 characters
  std::string h_label;        ///< origin of Href, 14 characters
  std::string user;           ///< the run's user, 20 characters
  std::string heading;        ///< the run's heading, 80 characters
  std::string number;         ///< sample number, 16 characters
  std::string location;       ///< sample location, 80 characters
  double tref = 0.0;          ///< reference temperature, K
  double ph = 0.0;            ///< water pH
  double ph_t = 0.0;          ///< temperature of the pH measurement, K
  double p_gauge_bar = 0.0;   ///< sampling pressure, bar gauge
  double href = 0.0;          ///< reference enthalpy, kJ/kg
  double tds = 0.0;           ///< total dissolved solids, mg/kg
  double ionic = 0.0;         ///< ionic strength of the sampled water, mol/kg
  ion_balance balance;        ///< ion balance of the sampled water
  double yc = 0.0;            ///< steam fraction at collection
  double yb = 0.0;            ///< steam fraction lost by a boiling spring
  double t_spring_c = 0.0;    ///< boiling-spring temperature, °C
  double spring_degas = 0.0;  ///< degassing coefficient of the spring's steam loss
  ph_messages msg;            ///< the pH-solver messages of the first solution
};

/// Heading and sampled-fluid section of sample s calculated with opt into r (not refused),
/// under the run's user (20 characters) and heading (80).
void out1(const sample_record& s, const run_options& opt, const sample_result& r,
          const std::string& user, const std::string& heading, std::ostream& rep);

/// The heading and sampled-fluid section laid out from its values v.
void put_sample_section(const sample_section_values& v, std::ostream& rep);

/// Phase section: vapour gases (mg/kg of steam), liquid components (mg/kg), liquid TDS
/// (mg/kg), partial pressures p (bar absolute; water vapour in slot 0, the seven gases in
/// slots 1..7), total pressure (bar absolute) and the aquifer steam fraction.
void out2(const gas_vector& vap, const component_vector& liq, double tds,
          const std::array<double, 8>& p, double ptotal, double ya, std::ostream& rep);

/// Ion balance, redox and geothermometer section of the solved fluid st (its ionic strength,
/// temperature and derived results), with the pH-solver messages and the mass-balance message
/// (60 characters).
void out3(const fluid_state& st, const ph_messages& ph_msg, const std::string& mb_msg,
          std::ostream& rep);

/// Activity coefficients of the 48 charged species, from the coefficients gamma of all 69.
void out4(const species_vector& gamma, std::ostream& rep);

/// Species section: mg/kg and log10 molality of the 69 species (m in mol/kg), and the pH
/// from the hydrogen-ion activity ah.
void out5(const species_vector& m, double ah, std::ostream& rep);

/// Mineral section: log K beside log Q for the 29 minerals.
void out6(const derived_results& d, std::ostream& rep);

}  // namespace morva
