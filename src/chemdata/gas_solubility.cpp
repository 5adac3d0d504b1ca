#include "chemdata/gas_solubility.h"

#include <cmath>

#include "chemdata/equilibrium_constants.h"
#include "morva/indexed.h"

namespace morva {

namespace {

/// Coefficients of log10 KH = a + b/T + c*T^2 + d*log10(T) + e*T + f/sqrt(T) + g/T^2.
struct henry_terms {
  double a, b, c, d, e, f, g;
};

}  // namespace

double henryk(int k, double t) {
  // clang-format off
  static constexpr one_based<struct henry_tag, 7, henry_terms> coef{{
    {17.135, 65.396, 3.912e-05, 13.19, -0.06964, -731.5, 726530.0},       // CO2
    {24.229, -490.63, 5.5e-05, 17.61, -0.09836, -900.43, 837819.0},       // H2S
    {26.472, 390.9, 0.0, 0.0, 0.0, 0.0, 0.0},                            // NH3
    {10.65, -7651.7, 3.336e-05, 3.452, -0.0461, 94.908, 768091.0},        // H2
    {-68.82, 3412.65, -1.14293e-06, 22.055, 0.0, 0.0, 0.0},               // O2
    {20.352, -444.61, 4.581e-05, 15.542, -0.0814, -856.26, 853894.0},     // CH4
    {-55.857, 2947.42, 2.68428e-06, 17.191, 0.0, 0.0, 0.0},               // N2
  }};
  // clang-format on
  const henry_terms& h = coef[k];
  double log_kh = h.a + h.b / t + h.c * (t * t) + h.d * std::log10(t) + h.e * t +
                  h.f / std::sqrt(t) + h.g / (t * t);
  if (k == comp::nh3) {
    // Ammonia: a dielectric term and a ln T term of the same size as the rest of the fit and
    // of opposite sign (about +27.8 and -26.1 at 25 °C); they belong to the constant.
    log_kh += 405.25 * ba(t) / t - 4.8235 * std::log(t);
  }
  return log_kh;
}

}  // namespace morva
