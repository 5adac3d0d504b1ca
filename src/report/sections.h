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

/// Heading and sampled-fluid section: water totals c (mol/kg), dry gas (volume %), condensate
/// and total-steam analyses (mg/kg), sampling data s, origin labels
/// of Tref and Href (14 characters), user (20), heading (80), sample number (16), location
/// (80), Tref (K), water pH and its temperature (K), sampling pressure (bar gauge), Href
/// (kJ/kg), TDS (mg/kg), ionic strength, anion and cation sums (mol-eq/kg) and their
/// difference (%) of the sampled water, steam fractions at collection and lost by a boiling
/// spring, spring temperature (°C), degassing coefficient, and the pH-solver messages.
void out1(const component_vector& c, const gas_vector& gas, const condensate_analysis& cond,
          const steam_analysis& steam, const collection_data& s, const std::string& t_label,
          const std::string& h_label, const std::string& user, const std::string& heading,
          const std::string& number, const std::string& location, double tref, double ph,
          double ph_t, double p_gauge_bar, double href, double tds, double ionic, double anions,
          double cations, double diff, double yc, double yb, double t_spring_c, double spring_degas,
          const ph_messages& msg, std::ostream& rep);

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
