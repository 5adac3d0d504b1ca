#include "solver/ph.h"

#include <cmath>
#include <string>

#include "report/fields.h"

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
  const double u = a * r[1];  // m(OH-) = 1/u

  // Each component: its total times the proton-weighted share of its species at a.
  // Sulfide, carbonate, silica, fluoride, sulfate, borate:
  double sum = c[2] * (2 + a * r[13]) / (1 + a * r[13] * (1 + a * r[12] * g[2]));
  sum += c[1] * (a * r[10] * k.p + 2 * k.q) / (k.q + a * r[10] * (k.p + a * r[9] * g[1]));
  sum += c[9] * (2 + a * r[4] * k.s) / (1 + a * r[4] * (k.s + a * r[3]));
  sum += c[14] * k.fp / (k.fp + a * r[18]);
  sum += c[16] * (2 * k.sd + a * r[16]) / (k.sd + a * r[16] * (1 + a * r[15]));
  sum += c[8] / (1 + a * r[7]);
  // ammonium (NH4+ weighs -1), hydroxide with CaOH+ and MgOH+, aluminium hydroxo complexes:
  sum -= c[3] / (1 + r[37] * g[3] / u);
  sum += k.h / u;
  sum +=
      c[17] * (r[58] / u) *
      (1 + (2 * r[59] / u) * (1 + (3 * r[60] / (2 * u)) * (1 + 4 * r[61] / (3 * u)))) /
      (1 + (r[58] / u) * (1 + (r[59] / u) * (1 + (r[60] / u) * (1 + r[61] / u))) + k.als + k.alf);
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
  const double u = a * r[1];

  // Sulfide, carbonate, silica and sulfate: numerator and denominator are polynomials in a.
  double slope = c[2] * quotient_slope(2 + a * r[13], r[13], 1 + a * r[13] * (1 + a * r[12] * g[2]),
                                       r[13] + 2 * a * r[13] * r[12] * g[2]);
  slope += c[1] * quotient_slope(a * r[10] * k.p + 2 * k.q, r[10] * k.p,
                                 k.q + a * r[10] * (k.p + a * r[9] * g[1]),
                                 r[10] * k.p + 2 * a * r[10] * r[9] * g[1]);
  slope += c[9] * quotient_slope(2 + a * r[4] * k.s, r[4] * k.s, 1 + a * r[4] * (k.s + a * r[3]),
                                 r[4] * k.s + 2 * a * r[4] * r[3]);
  slope -= c[14] * k.fp * r[18] / ((k.fp + a * r[18]) * (k.fp + a * r[18]));
  slope += c[16] * quotient_slope(2 * k.sd + a * r[16], r[16], k.sd + a * r[16] * (1 + a * r[15]),
                                  r[16] + 2 * a * r[16] * r[15]);
  slope -= c[8] * r[7] / ((1 + a * r[7]) * (1 + a * r[7]));
  // Ammonium, hydroxide and aluminium depend on a through u = a r_1 (du/da = r_1).
  const double e = 1 + r[37] * g[3] / u;
  slope -= c[3] * r[37] * g[3] / (u * u) * r[1] / (e * e);
  slope -= k.h / (u * u) * r[1];
  // Aluminium: n = proton-weighted hydroxo complexes, d = all aluminium, both over Al+++;
  // dd/du = -n/u since the complex with j hydroxides carries the weight j.
  const double n =
      (r[58] / u) * (1 + (2 * r[59] / u) * (1 + (3 * r[60] / (2 * u)) * (1 + 4 * r[61] / (3 * u))));
  const double dn =
      -(r[58] / (u * u)) *
      (1 + (4 * r[59] / u) * (1 + (9 * r[60] / (4 * u)) * (1 + 16 * r[61] / (9 * u))));
  const double d =
      1 + (r[58] / u) * (1 + (r[59] / u) * (1 + (r[60] / u) * (1 + r[61] / u))) + k.als + k.alf;
  slope += c[17] * quotient_slope(n, dn, d, -n / u) * r[1];
  slope -= 1 / k.gamma1;
  return slope;
}

}  // namespace

void phcalc(const species_vector& m, const component_vector& c, double a, const gas_factors& g,
            double t, double ionic, double ah0, double y, double& ah, ph_messages& msg) {
  solver_factors fac;
  make_factors(t, ionic, fac);
  phcalc(m, c, a, g, fac, ah0, y, ah, msg);
}

void phcalc(const species_vector& m, const component_vector& c, double a, const gas_factors& g,
            const solver_factors& fac, double ah0, double y, double& ah, ph_messages& msg) {
  constexpr int maxit = 50;
  constexpr double tol = 1.002305;  // 10^0.001: a step below 0.001 pH units
  constexpr double phmin = 2.0;
  constexpr double phmax = 11.0;

  proton_terms k;
  k.r = fac.r;
  k.gamma1 = fac.gamma[1];
  // Totals and balance of the whole fluid, referred to the kilogram of liquid.
  for (int i = 1; i <= component_vector::size; ++i) k.cl[i] = c[i] / (1 - y);
  k.a_liq = a / (1 - y);
  k.g = g;

  // Complexing held at the molalities passed in: they move little with the pH step.
  const species_vector& r = k.r;
  k.p = 1 + r[33] * m[23] + r[34] * m[24];
  k.q = 1 + r[31] * m[23] + r[32] * m[24];
  k.s = 1 + r[6] * m[21];
  k.h = 1 + r[35] * m[23] + r[36] * m[24];
  k.fp =
      1 + r[64] * m[57] *
              (1 + 2 * r[65] * m[19] *
                       (1 + 1.5 * r[66] * m[19] *
                                (1 + (4.0 / 3.0) * r[67] * m[19] *
                                         (1 + 1.25 * r[68] * m[19] * (1 + 1.2 * r[69] * m[19])))));
  k.sd = 1 + r[27] * m[21] + r[28] * m[22] + r[29] * m[23] + r[30] * m[24] + r[55] * m[39] +
         r[56] * m[40] + r[62] * m[57] * (1 + 2 * r[63] * m[17]);
  k.als = r[62] * m[17] * (1 + r[63] * m[17]);
  k.alf = r[64] * m[19] *
          (1 + r[65] * m[19] *
                   (1 + r[66] * m[19] *
                            (1 + r[67] * m[19] * (1 + r[68] * m[19] * (1 + r[69] * m[19])))));

  const double ah_min = std::pow(10.0, -phmax);  // activity at the highest accepted pH
  const double ah_max = std::pow(10.0, -phmin);  // activity at the lowest accepted pH

  // Newton on aH itself: f falls strictly as aH rises, so the step is always defined.
  double trial = ah0;
  msg[0] = std::string(60, ' ');
  msg[1] = std::string(60, ' ');
  for (int it = 1; it <= maxit; ++it) {
    ah = trial - f(k, trial) / df(k, trial);
    if (std::abs(ah / trial - 1) < tol - 1) return;
    if (ah < ah_min && f(k, ah_min) <= 0) {
      msg[0] = padded(record{}.A("pH higher than ").I(2, static_cast<long>(phmax)).text(), 60);
      // A step far beyond the root can land at or below zero, which is no activity at all;
      // the bound itself is then the best value we have.
      if (ah <= 0) ah = ah_min;
      return;
    }
    if (ah > ah_max) {
      msg[0] = padded(record{}.A("pH lower than ").I(2, static_cast<long>(phmin)).text(), 60);
      return;
    }
    // The root lies above the bound: restart from the bound rather than from an overshoot.
    trial = ah < ah_min ? ah_min : ah;
  }
  msg[1] = padded(
      record{}.A("No convergence in pH calculation after ").I(2, maxit).A(" iterations.").text(),
      60);
  // The last step may be an overshoot below zero that the next step would have pulled back.
  if (ah <= 0) ah = ah_min;
}

}  // namespace morva
