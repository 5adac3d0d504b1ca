#include "solver/ph.h"

#include <cmath>

namespace morva {

double proton_balance(const species_vector& m) {
  // clang-format off
  // Protons each species has given up relative to H2CO3, H2S, H4SiO4, H3BO3, NH4OH, HF,
  // H2SO4, Al+++ and H2O; iron hydroxides and chlorides carry none.
  static constexpr species_vector n{{
       -1.0,  // H+
        1.0,  // OH-
        0.0,  // H4SiO4
        1.0,  // H3SiO4-
        2.0,  // H2SiO4--
        1.0,  // NaH3SiO4
        0.0,  // H3BO3
        1.0,  // H2BO3-
        0.0,  // H2CO3
        1.0,  // HCO3-
        2.0,  // CO3--
        0.0,  // H2S
        1.0,  // HS-
        2.0,  // S--
        0.0,  // H2SO4
        1.0,  // HSO4-
        2.0,  // SO4--
        0.0,  // HF
        1.0,  // F-
        0.0,  // Cl-
        0.0,  // Na+
        0.0,  // K+
        0.0,  // Ca++
        0.0,  // Mg++
        0.0,  // NaCl
        0.0,  // KCl
        2.0,  // NaSO4-
        2.0,  // KSO4-
        2.0,  // CaSO4
        2.0,  // MgSO4
        2.0,  // CaCO3
        2.0,  // MgCO3
        1.0,  // CaHCO3+
        1.0,  // MgHCO3+
        1.0,  // CaOH+
        1.0,  // MgOH+
        0.0,  // NH4OH
       -1.0,  // NH4+
        0.0,  // Fe++
        0.0,  // Fe+++
        0.0,  // FeOH+
        0.0,  // Fe(OH)2
        0.0,  // Fe(OH)3-
        0.0,  // Fe(OH)4--
        0.0,  // Fe(OH)++
        0.0,  // Fe(OH)2+
        0.0,  // Fe(OH)3
        0.0,  // Fe(OH)4-
        0.0,  // FeCl+
        0.0,  // FeCl2
        0.0,  // FeCl++
        0.0,  // FeCl2+
        0.0,  // FeCl3
        0.0,  // FeCl4-
        2.0,  // FeSO4
        2.0,  // FeSO4+
        0.0,  // Al+++
        1.0,  // AlOH++
        2.0,  // Al(OH)2+
        3.0,  // Al(OH)3
        4.0,  // Al(OH)4-
        2.0,  // AlSO4+
        4.0,  // Al(SO4)2-
        1.0,  // AlF++
        2.0,  // AlF2+
        3.0,  // AlF3
        4.0,  // AlF4-
        5.0,  // AlF5--
        6.0,  // AlF6---
  }};
  // clang-format on

  double a = 0.0;
  for (int i = 1; i <= species_vector::size; ++i) a += n[i] * m[i];
  return a;
}

namespace {

/// What stays fixed while one pH is sought: the reaction factors, gamma(H+), the totals and
/// proton balance per kg of liquid, the gas factors, and the complexing sums formed from the
/// species molalities the caller passed.
struct proton_terms {
  species_vector r;
  double gamma1 = 0.0;
  component_vector cl;  // totals, mol per kg of liquid
  double a_liq = 0.0;   // proton balance to keep, mol per kg of liquid
  gas_factors g;
  double p = 0.0, q = 0.0, s = 0.0, h = 0.0;  // bicarbonate, carbonate, silicate, hydroxide
  double fp = 0.0;                            // proton-weighted fluoride over free F-
  double sd = 0.0;                            // sulfate complexes over free SO4--
  double als = 0.0, alf = 0.0;                // aluminium sulfates and fluorides over Al+++
};

/// Slope of n/d from the values and slopes of numerator and denominator.
double quotient_slope(double n, double dn, double d, double dd) {
  return (dn * d - n * dd) / (d * d);
}

/// Proton-balance residual, mol per kg of liquid, at trial H+ activity a: what the totals can
/// take up at a, less what the sampled fluid could.
double f(const proton_terms& k, double a) {
  const species_vector& r = k.r;
  const component_vector& c = k.cl;
  const gas_factors& g = k.g;
  const double u = a * r[sp::h];  // m(OH-) = 1/u

  // Each component: its total times the proton-weighted share of its species at a.
  // Sulfide, carbonate, silica, fluoride, sulfate, borate:
  double sum = c[comp::h2s] * (2 + a * r[sp::hs]) /
               (1 + a * r[sp::hs] * (1 + a * r[sp::h2s] * g[comp::h2s]));
  sum += c[comp::co2] * (a * r[sp::hco3] * k.p + 2 * k.q) /
         (k.q + a * r[sp::hco3] * (k.p + a * r[sp::h2co3] * g[comp::co2]));
  sum += c[comp::sio2] * (2 + a * r[sp::h3sio4] * k.s) /
         (1 + a * r[sp::h3sio4] * (k.s + a * r[sp::h4sio4]));
  sum += c[comp::f] * k.fp / (k.fp + a * r[sp::hf]);
  sum += c[comp::so4] * (2 * k.sd + a * r[sp::hso4]) /
         (k.sd + a * r[sp::hso4] * (1 + a * r[sp::h2so4]));
  sum += c[comp::b] / (1 + a * r[sp::h3bo3]);
  // ammonium (NH4+ weighs -1), hydroxide with CaOH+ and MgOH+, aluminium hydroxo complexes:
  sum -= c[comp::nh3] / (1 + r[sp::nh4oh] * g[comp::nh3] / u);
  sum += k.h / u;
  sum += c[comp::al] * (r[sp::aloh] / u) *
         (1 + (2 * r[sp::aloh2] / u) *
                  (1 + (3 * r[sp::aloh3] / (2 * u)) * (1 + 4 * r[sp::aloh4] / (3 * u)))) /
         (1 +
          (r[sp::aloh] / u) *
              (1 + (r[sp::aloh2] / u) * (1 + (r[sp::aloh3] / u) * (1 + r[sp::aloh4] / u))) +
          k.als + k.alf);
  // the hydrogen ion itself, and the balance to be kept.
  sum -= a / k.gamma1;
  sum -= k.a_liq;
  return sum;
}

/// Exact derivative of f with respect to a, term by term; every term is negative.
double df(const proton_terms& k, double a) {
  const species_vector& r = k.r;
  const component_vector& c = k.cl;
  const gas_factors& g = k.g;
  const double u = a * r[sp::h];

  // Sulfide, carbonate, silica and sulfate: numerator and denominator are polynomials in a.
  double slope =
      c[comp::h2s] * quotient_slope(2 + a * r[sp::hs], r[sp::hs],
                                    1 + a * r[sp::hs] * (1 + a * r[sp::h2s] * g[comp::h2s]),
                                    r[sp::hs] + 2 * a * r[sp::hs] * r[sp::h2s] * g[comp::h2s]);
  slope += c[comp::co2] *
           quotient_slope(a * r[sp::hco3] * k.p + 2 * k.q, r[sp::hco3] * k.p,
                          k.q + a * r[sp::hco3] * (k.p + a * r[sp::h2co3] * g[comp::co2]),
                          r[sp::hco3] * k.p + 2 * a * r[sp::hco3] * r[sp::h2co3] * g[comp::co2]);
  slope +=
      c[comp::sio2] * quotient_slope(2 + a * r[sp::h3sio4] * k.s, r[sp::h3sio4] * k.s,
                                     1 + a * r[sp::h3sio4] * (k.s + a * r[sp::h4sio4]),
                                     r[sp::h3sio4] * k.s + 2 * a * r[sp::h3sio4] * r[sp::h4sio4]);
  slope -= c[comp::f] * k.fp * r[sp::hf] / ((k.fp + a * r[sp::hf]) * (k.fp + a * r[sp::hf]));
  slope += c[comp::so4] * quotient_slope(2 * k.sd + a * r[sp::hso4], r[sp::hso4],
                                         k.sd + a * r[sp::hso4] * (1 + a * r[sp::h2so4]),
                                         r[sp::hso4] + 2 * a * r[sp::hso4] * r[sp::h2so4]);
  slope -= c[comp::b] * r[sp::h3bo3] / ((1 + a * r[sp::h3bo3]) * (1 + a * r[sp::h3bo3]));
  // Ammonium, hydroxide and aluminium depend on a through u = a r_1 (du/da = r_1).
  const double e = 1 + r[sp::nh4oh] * g[comp::nh3] / u;
  slope -= c[comp::nh3] * r[sp::nh4oh] * g[comp::nh3] / (u * u) * r[sp::h] / (e * e);
  slope -= k.h / (u * u) * r[sp::h];
  // Aluminium: n = proton-weighted hydroxo complexes, d = all aluminium, both over Al+++;
  // dd/du = -n/u since the complex with j hydroxides carries the weight j.
  const double n = (r[sp::aloh] / u) *
                   (1 + (2 * r[sp::aloh2] / u) *
                            (1 + (3 * r[sp::aloh3] / (2 * u)) * (1 + 4 * r[sp::aloh4] / (3 * u))));
  const double dn = -(r[sp::aloh] / (u * u)) *
                    (1 + (4 * r[sp::aloh2] / u) * (1 + (9 * r[sp::aloh3] / (4 * u)) *
                                                           (1 + 16 * r[sp::aloh4] / (9 * u))));
  const double d = 1 +
                   (r[sp::aloh] / u) * (1 + (r[sp::aloh2] / u) *
                                                (1 + (r[sp::aloh3] / u) * (1 + r[sp::aloh4] / u))) +
                   k.als + k.alf;
  slope += c[comp::al] * quotient_slope(n, dn, d, -n / u) * r[sp::h];
  slope -= 1 / k.gamma1;
  return slope;
}

}  // namespace

ph_solution phcalc(const species_vector& m, const component_vector& c, double a,
                   const gas_factors& g, double t, double ionic, double ah0, double y) {
  return phcalc(m, c, a, g, make_factors(t, ionic), ah0, y);
}

ph_solution phcalc(const species_vector& m, const component_vector& c, double a,
                   const gas_factors& g, const solver_factors& fac, double ah0, double y) {
  constexpr int maxit = 50;
  constexpr double tol = 1.002305;  // 10^0.001: a step below 0.001 pH units
  constexpr double phmin = 2.0;
  constexpr double phmax = 11.0;

  proton_terms k;
  k.r = fac.r;
  k.gamma1 = fac.gamma[sp::h];
  // Totals and balance of the whole fluid, referred to the kilogram of liquid.
  for (int i = 1; i <= component_vector::size; ++i) k.cl[i] = c[i] / (1 - y);
  k.a_liq = a / (1 - y);
  k.g = g;

  // Complexing held at the molalities passed in: they move little with the pH step.
  const species_vector& r = k.r;
  k.p = 1 + r[sp::cahco3] * m[sp::ca] + r[sp::mghco3] * m[sp::mg];
  k.q = 1 + r[sp::caco3] * m[sp::ca] + r[sp::mgco3] * m[sp::mg];
  k.s = 1 + r[sp::nah3sio4] * m[sp::na];
  k.h = 1 + r[sp::caoh] * m[sp::ca] + r[sp::mgoh] * m[sp::mg];
  k.fp = 1 + r[sp::alf] * m[sp::al] *
                 (1 + 2 * r[sp::alf2] * m[sp::f] *
                          (1 + 1.5 * r[sp::alf3] * m[sp::f] *
                                   (1 + (4.0 / 3.0) * r[sp::alf4] * m[sp::f] *
                                            (1 + 1.25 * r[sp::alf5] * m[sp::f] *
                                                     (1 + 1.2 * r[sp::alf6] * m[sp::f])))));
  k.sd = 1 + r[sp::naso4] * m[sp::na] + r[sp::kso4] * m[sp::k] + r[sp::caso4] * m[sp::ca] +
         r[sp::mgso4] * m[sp::mg] + r[sp::feso4] * m[sp::fe2] + r[sp::feso4p] * m[sp::fe3] +
         r[sp::also4] * m[sp::al] * (1 + 2 * r[sp::also42] * m[sp::so4]);
  k.als = r[sp::also4] * m[sp::so4] * (1 + r[sp::also42] * m[sp::so4]);
  k.alf = r[sp::alf] * m[sp::f] *
          (1 + r[sp::alf2] * m[sp::f] *
                   (1 + r[sp::alf3] * m[sp::f] *
                            (1 + r[sp::alf4] * m[sp::f] *
                                     (1 + r[sp::alf5] * m[sp::f] * (1 + r[sp::alf6] * m[sp::f])))));

  const double ah_min = std::pow(10.0, -phmax);  // activity at the highest accepted pH
  const double ah_max = std::pow(10.0, -phmin);  // activity at the lowest accepted pH

  // Newton on aH itself: f falls strictly as aH rises, so the step is always defined.
  double trial = ah0;
  double ah = 0.0;
  for (int it = 1; it <= maxit; ++it) {
    ah = trial - f(k, trial) / df(k, trial);
    if (std::abs(ah / trial - 1) < tol - 1) return {ah, ph_outcome::solved};
    if (ah < ah_min && f(k, ah_min) <= 0) {
      // A step far beyond the root can land at or below zero, which is no activity at all;
      // the bound itself is then the best value we have.
      if (ah <= 0) ah = ah_min;
      return {ah, ph_outcome::above_range};
    }
    if (ah > ah_max) return {ah, ph_outcome::below_range};
    // The root lies above the bound: restart from the bound rather than from an overshoot.
    trial = ah < ah_min ? ah_min : ah;
  }
  // The last step may be an overshoot below zero that the next step would have pulled back.
  if (ah <= 0) ah = ah_min;
  return {ah, ph_outcome::not_converged};
}

}  // namespace morva
