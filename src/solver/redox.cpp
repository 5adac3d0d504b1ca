#include "solver/redox.h"

#include <cmath>

#include "chemdata/activity.h"
#include "chemdata/equilibrium_constants.h"
#include "chemdata/gas_solubility.h"

namespace morva {

namespace {

/// The ratio from the H+ activity, the free sulfate (mol/kg), the H2S pressure (bar), the
/// activity coefficients of Fe++ and Fe+++, that of SO4-- to the power 1/8, and K_r. The
/// exponents are the stoichiometric coefficients 5/4 and 1/8 of the reaction.
double ratio(double ah, double m_so4, double p_h2s, double gamma39, double gamma17_eighth,
             double gamma40, double kr) {
  return std::pow(ah, 1.25) * gamma39 * gamma17_eighth * std::pow(m_so4, 0.125) /
         (gamma40 * kr * std::pow(p_h2s, 0.125));
}

}  // namespace

double redox_constant(double t) {
  // The constant is built from the sulfide-sulfate and the ferric-ferrous equilibria.
  const double l1 = -2809.056 + 1949.44 * ba(t) / t + 405.9329 * std::log(t) + 188798.5 / t -
                    12845398.0 / (t * t) - 0.000281708 * (t * t);
  const double l2 = 9.543 - 14637.0 / t - 2.4639e-05 * (t * t);
  const double log_kr = (l2 - 4 * l1) / 8;
  return std::pow(10.0, log_kr);
}

double redox(double m_h2s, double m_so4, double ah, double t, double ionic) {
  const double gamma39 = gamma(sp::fe2, t, ionic);  // Fe++
  const double gamma40 = gamma(sp::fe3, t, ionic);  // Fe+++
  const double gamma17 = gamma(sp::so4, t, ionic);  // SO4--

  // H2S enters as a gas: its partial pressure (bar) in equilibrium with the dissolved H2S.
  const double p_h2s = m_h2s * std::pow(10.0, -henryk(comp::h2s, t));
  return ratio(ah, m_so4, p_h2s, gamma39, std::pow(gamma17, 0.125), gamma40, redox_constant(t));
}

double redox(double m_h2s, double m_so4, double ah, const solver_factors& f) {
  return ratio(ah, m_so4, m_h2s * f.h2s_pressure, f.gamma[sp::fe2], f.gamma17_eighth,
               f.gamma[sp::fe3], f.kr);
}

redox_terms redox_terms_at(double m_h2s, double ah, const solver_factors& f, double epp) {
  redox_terms k;
  if (m_h2s <= epp) return k;
  k.none = false;
  // The products of ratio() before and after the sulfate's power, in its order.
  k.numerator = std::pow(ah, 1.25) * f.gamma[sp::fe2] * f.gamma17_eighth;
  k.denominator = f.gamma[sp::fe3] * f.kr * std::pow(m_h2s * f.h2s_pressure, 0.125);
  return k;
}

double redox(const redox_terms& k, double m_so4, double epp) {
  if (k.none || m_so4 <= epp) return 0.0;
  return k.numerator * std::pow(m_so4, 0.125) / k.denominator;
}

}  // namespace morva
