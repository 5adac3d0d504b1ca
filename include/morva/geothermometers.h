#pragma once
// The classical geothermometers, each on the fluid it was calibrated on: the solute ones on
// the sampled water's analysis as given (mg/kg), the gas ones on the steam and gas analyses
// as given. They need no calculation of the sample, only its analyses.

#include <array>
#include <optional>
#include <string_view>

#include "morva/sample.h"

namespace morva {

/// The classical geothermometers, in the order of their table columns.
enum class classical_gt {
  quartz_conductive,     ///< quartz, no steam loss (Fournier and Potter 1982)
  quartz_steam_loss,     ///< quartz, maximum steam loss at 100 °C (Fournier 1977)
  chalcedony_fournier,   ///< chalcedony (Fournier 1977)
  chalcedony_arnorsson,  ///< chalcedony (Arnórsson et al. 1983)
  nak_fournier,          ///< Na/K (Fournier 1979)
  nak_truesdell,         ///< Na/K (Truesdell 1976)
  nak_arnorsson,         ///< Na/K (Arnórsson et al. 1983)
  nak_giggenbach,        ///< Na/K (Giggenbach 1988)
  nakca,                 ///< Na-K-Ca (Fournier and Truesdell 1973)
  nakca_mg,              ///< Na-K-Ca with the Mg correction (Fournier and Potter 1979)
  kmg,                   ///< K-Mg (Giggenbach 1988)
  gas_dp,                ///< CO2-H2S-H2-CH4 of the dry gas (D'Amore and Panichi 1980)
  co2,                   ///< CO2 in steam (Arnórsson and Gunnlaugsson 1985)
  h2s,                   ///< H2S in steam (Arnórsson and Gunnlaugsson 1985)
  h2,                    ///< H2 in steam (Arnórsson and Gunnlaugsson 1985)
};
/// Number of classical geothermometers.
inline constexpr int classical_gt_count = 15;

/// Why a classical geothermometer gives no temperature.
enum class gt_problem {
  range,   ///< its result lies outside the range it was calibrated on, or it has none
  inputs,  ///< a concentration it needs is not analysed (or zero)
};

/// One classical geothermometer of a sample: a temperature, °C, or why there is none.
struct gt_estimate {
  std::optional<double> t_c{};          ///< °C; empty when problem is set
  std::optional<gt_problem> problem{};  ///< empty when t_c holds the temperature
  friend bool operator==(const gt_estimate&, const gt_estimate&) = default;
};

/// Every classical geothermometer of a sample, in the order of classical_gt.
using gt_estimates = std::array<gt_estimate, classical_gt_count>;

/// Short stable name of a geothermometer ("quartz_conductive", "nakca_mg"), the <name> of its
/// table column gt_<name>_C and of its flags.
std::string_view gt_name(classical_gt g);

/// Na-K-Ca temperature, °C, of Na, K and Ca in mg/kg (Fournier and Truesdell 1973) with its
/// β rule: classical_gt::nakca of a sample with these analyses.
gt_estimate nakca_temperature(double na, double k, double ca);
/// log10(√Ca/Na) of the molalities, as the Na-K-Ca geothermometer reads it, of Na and Ca in
/// mg/kg.
double nakca_log_ca_na(double na, double ca);
/// log10(Na/K), Na and K in mg/kg, of the water at t_c (°C) on the Na-K-Ca geothermometer with
/// the given β and molal log10(√Ca/Na) l_cana: a straight isotherm of slope -β.
double nakca_log_na_k(double t_c, double l_cana, double beta);

/// The classical geothermometers of sample s from its analyses as given: water in mg/kg,
/// dry gas in volume %, steam volatiles per kg of steam (a quantity not analysed reads as 0).
gt_estimates classical_geothermometers(const sample_record& s);

}  // namespace morva
