#pragma once
// Silica and Na/K geothermometers; every temperature in K.

#include "morva/indexed.h"

namespace morva {

inline constexpr double t_marker_high_k = 1273.05;  ///< too high or not computable (999.9 °C)
inline constexpr double t_marker_low_k = -726.75;   ///< too low (-999.9 °C)

/// 333 °C, K: the top of the quartz-temperature solver's range; a quartz reference temperature
/// above it is reported as held at the cap.
inline constexpr double t_quartz_top_k = 606.15;
/// K: the cap of the first quartz-temperature estimate of a sample.
inline constexpr double t_quartz_cap_k = 596.0;

/// Quartz temperature, K, from the silica molality (mol/kg).
double hqtz(double sio2);
/// Chalcedony temperature, K, from the silica molality (mol/kg).
double hcha(double sio2);
/// Na/K temperature, K, from the Na and K molalities and their activity coefficients.
double hnak(double na, double k, double gamma_na, double gamma_k);
/// Quartz solubility, mol/kg SiO2, at T (K).
double quasol(double t);
/// Quartz temperature, K, of the aquifer fluid of a well discharge: separator temperature
/// tc (K), total silica molality of the water sample, discharge enthalpy h (kJ/kg), species
/// molalities of the last speciation of the aquifer fluid.
double tqsolv(double tc, double sio2, double h, const species_vector& m);

}  // namespace morva
