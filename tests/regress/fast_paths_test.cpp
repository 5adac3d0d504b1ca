// The table routines that the solver runs on must give exactly the numbers of the single-value
// routines they replace in the hot loops: any difference in the last bit could move a printed
// digit. Each is compared bit for bit over the whole range of temperatures and ionic strengths
// the program meets, including both ends of each piece of the B-dot function.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "chemdata/activity.h"
#include "chemdata/equilibrium_constants.h"
#include "chemdata/gas_solubility.h"
#include "solver/factors.h"
#include "solver/redox.h"

namespace morva {
namespace {

bool same_bits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

/// Temperatures, K: 0 °C to the critical region, with the joints of B-dot at 473.15 and
/// 548.15 K and the values just beside them.
std::vector<double> temperatures() {
  std::vector<double> t = {273.15, 298.15,  373.15, 473.15, 473.15000001, 500.0,
                           546.7,  548.149, 548.15, 548.16, 600.0,        647.0};
  for (double c = 3.7; c < 374.0; c += 17.3) t.push_back(c + 273.15);
  return t;
}

/// Ionic strengths, mol/kg, from pure water to brine.
const std::vector<double> ionic_strengths = {0.0, 1e-12, 1e-6, 3.3e-4, 0.01, 0.1, 0.7, 2.5, 6.0};

TEST(fast_paths, ActivityCoefficientsOfAllSpeciesEqualTheSingleOnes) {
  for (double t : temperatures()) {
    for (double ionic : ionic_strengths) {
      species_vector g = gamma_all(t, ionic);
      for (int i = 1; i <= species_vector::size; ++i)
        ASSERT_TRUE(same_bits(g[i], gamma(i, t, ionic)))
            << "species " << i << " at " << t << " K, I = " << ionic;
    }
  }
}

TEST(fast_paths, ConstantsAndReactionFactorsOfAllSpeciesEqualTheSingleOnes) {
  for (double t : temperatures()) {
    species_vector k = discon_all(t);
    for (int i = 1; i <= species_vector::size; ++i)
      ASSERT_TRUE(same_bits(k[i], discon(i, t))) << "species " << i << " at " << t << " K";
    for (double ionic : ionic_strengths) {
      species_vector g, r;
      g = gamma_all(t, ionic);
      r = recdis_all(k, g);
      for (int i = 1; i <= species_vector::size; ++i)
        ASSERT_TRUE(same_bits(r[i], recdis(i, t, ionic)))
            << "species " << i << " at " << t << " K, I = " << ionic;
    }
  }
}

TEST(fast_paths, SolverFactorsFollowTheIonicStrengthExactly) {
  // Factors moved from one ionic strength to the next equal factors made there afresh, and
  // the redox ratio taken from them equals the one computed from T and I.
  for (double t : temperatures()) {
    solver_factors moved = make_factors(t, ionic_strengths.front());
    for (double ionic : ionic_strengths) {
      change_ionic_strength(ionic, moved);
      solver_factors fresh = make_factors(t, ionic);
      for (int i = 1; i <= species_vector::size; ++i) {
        ASSERT_TRUE(same_bits(moved.r[i], fresh.r[i]));
        ASSERT_TRUE(same_bits(moved.gamma[i], gamma(i, t, ionic)));
        ASSERT_TRUE(same_bits(moved.r[i], recdis(i, t, ionic)));
      }
      for (double m_h2s : {1e-29, 3e-6, 2e-3}) {
        for (double ah : {1e-11, 3.2e-7, 1e-2}) {
          ASSERT_TRUE(same_bits(redox(m_h2s, 4e-4, ah, moved), redox(m_h2s, 4e-4, ah, t, ionic)))
              << t << " K, I = " << ionic << ", H2S " << m_h2s << ", aH " << ah;
        }
      }
    }
  }
}

}  // namespace
}  // namespace morva
