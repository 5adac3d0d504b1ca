#include "derived/oxidation.h"

#include <cmath>

#include "chemdata/activity.h"
#include "chemdata/gas_solubility.h"
#include "morva/tables.h"

namespace morva {

std::optional<double> oxpot(redox_couple couple, const species_vector& m, const component_vector& c,
                            double ah, double t, double ionic) {
  constexpr double r_gas = 1.98726;    // cal/(mol K)
  constexpr double faraday = 23062.3;  // cal/(V mol)
  constexpr double tiny = 1e-30;       // smallest concentration taken as present
  // Nernst slope, V per decade of the activity quotient.
  const double k = r_gas * t * std::log(10.0) / faraday;
  const double log_ah = std::log10(ah);
  // Dissolved gases enter as partial pressures through Henry's law, log P = log m - log KH;
  // neutral dissolved species are taken as ideal and the activity of water as 1.
  switch (couple) {
    case redox_couple::sulfate_sulfide: {  // SO4-- + 10 H+ + 8 e- = H2S(g) + 4 H2O
      if (!(m[sp::h2s] > tiny && m[sp::so4] > tiny)) return std::nullopt;
      const double l0 = 9.543 - 14637.0 / t - 2.4639e-05 * (t * t);
      return -(k / 8.0) * l0 +
             (k / 8.0) * (henryk(comp::h2s, t) + 10.0 * log_ah + std::log10(m[sp::so4]) +
                          std::log10(gamma(sp::so4, t, ionic)) - std::log10(m[sp::h2s]));
    }
    case redox_couple::carbon_dioxide_methane: {  // CO2(g) + 8 H+ + 8 e- = CH4(g) + 2 H2O
      if (!(m[sp::h2co3] > tiny && c[comp::ch4] > tiny)) return std::nullopt;
      const double l1 = -2145.732 - 196187.0 / t + 227.9802 * std::log(t) + 5968578.0 / (t * t) +
                        24428.4 * std::sqrt(t) / t;
      return -(k / 8.0) * l1 +
             (k / 8.0) * (8.0 * log_ah + std::log10(m[sp::h2co3]) - henryk(comp::co2, t) -
                          std::log10(c[comp::ch4] / w(comp::ch4)) + henryk(comp::ch4, t));
    }
    case redox_couple::hydrogen: {  // 2 H+ + 2 e- = H2(g)
      if (!(c[comp::h2] > tiny)) return std::nullopt;
      return (k / 2.0) *
             (2.0 * log_ah - std::log10(c[comp::h2] / w(comp::h2)) + henryk(comp::h2, t));
    }
    case redox_couple::nitrogen_ammonia: {  // N2(g) + 6 H+ + 6 e- = 2 NH3(g)
      // Presence is judged on the analysed NH3 and N2; the potential uses the NH4OH species,
      // which must be present too, or its logarithm has no finite value.
      if (!(c[comp::nh3] > tiny && c[comp::n2] > tiny && m[sp::nh4oh] > tiny)) return std::nullopt;
      const double l3 = 15.033 - 3431.2 / t - 160.66 * std::sqrt(t) / t;
      return -(k / 6.0) * l3 + (k / 6.0) * (2.0 * henryk(comp::nh3, t) + 6.0 * log_ah +
                                            std::log10(c[comp::n2] / w(comp::n2)) -
                                            henryk(comp::n2, t) - 2.0 * std::log10(m[sp::nh4oh]));
    }
  }
  return std::nullopt;
}

}  // namespace morva
