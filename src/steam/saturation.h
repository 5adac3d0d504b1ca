#pragma once
// Saturation curve of water and the enthalpies of the saturated phases.

namespace morva {

/// Saturation pressure, bar, at T (K); 0.0 outside 273.149 <= T <= 647.3.
double psat(double t);
/// Saturation temperature, K, at P (bar absolute); 0.0 outside 0.00610799 <= P <= 221.2.
double tsat(double p);
/// Specific enthalpy of saturated liquid water, kJ/kg, at T (K).
double entwat(double t);
/// Latent heat of vaporisation, kJ/kg, at T (K).
double entlat(double t);

}  // namespace morva
