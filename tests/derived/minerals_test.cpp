#include "derived/minerals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "chemdata/names.h"
#include "derived/results.h"

namespace morva {

namespace {

// A fluid in which every species has molality m0 and every activity coefficient gam, with
// logm and loggam prepared as the report prepares them.
struct fluid {
  species_vector m, logm, loggam;
  explicit fluid(double m0 = 1e-3, double gam = 1.0) {
    for (int k = 1; k <= species_vector::size; ++k) set(k, m0, gam);
  }
  void set(int k, double mk, double gam) {
    m[k] = mk;
    logm[k] = mk > 1e-20 ? std::log10(mk) : 0.0;
    loggam[k] = std::log10(gam);
  }
  /// log Q, or nothing when a species it needs is absent.
  std::optional<double> product(int j) const { return actpro(j, m, logm, loggam); }
  double q(int j) const { return product(j).value(); }
};

}  // namespace

TEST(MineralSolubility, LogKAgreesWithTabulatedValues) {
  // Tabulated values are rounded to three decimals: tolerance half a unit of the last digit.
  struct row {
    int j;
    double k25, k100, k250;
  };
  for (const row& r :
       {row{min::adularia, -21.303, -17.222, -14.402}, row{min::anhydrite, -4.709, -5.607, -8.106},
        row{min::calcite, -8.490, -9.438, -12.771}, row{min::chalcedony, -3.583, -2.841, -1.995},
        row{min::quartz, -3.933, -3.101, -2.112}, row{min::sil_amorph, -2.711, -2.218, -1.656}}) {
    SCOPED_TRACE(minnam(r.j));
    EXPECT_NEAR(solpro(r.j, 298.15), r.k25, 5e-4);
    EXPECT_NEAR(solpro(r.j, 373.15), r.k100, 5e-4);
    EXPECT_NEAR(solpro(r.j, 523.15), r.k250, 5e-4);
  }
}

TEST(ActivityProduct, SilicaMineralsReadMolecularSilicaAlone) {
  // H4SiO4 is neutral: its activity coefficient is 1 whatever the ionic strength.
  fluid fl(1e-3, 0.5);
  fl.set(sp::h4sio4, 0.001, 0.7);
  for (int j : {min::chalcedony, min::quartz, min::sil_amorph})
    EXPECT_NEAR(fl.q(j), -3.0, 1e-12) << minnam(j);
}

TEST(ActivityProduct, SumsStoichiometryTimesLogActivity) {
  // Distinct molalities and coefficients per species make each term visible.
  fluid fl;
  fl.set(sp::h, 1e-7, 0.9);
  fl.set(sp::oh, 1e-5, 0.8);
  fl.set(sp::h4sio4, 1e-2, 0.95);
  fl.set(sp::h2s, 1e-4, 0.95);
  fl.set(sp::so4, 1e-3, 0.5);
  fl.set(sp::ca, 2e-3, 0.4);
  fl.set(sp::feoh4m, 1e-9, 0.8);
  fl.set(sp::aloh4, 1e-6, 0.8);
  const auto la = [&](int k) { return fl.logm[k] + fl.loggam[k]; };
  const double si = -2.0, h2s = -4.0;  // neutral: log m alone
  // Same-formula checks; only the summation order can differ, 1e-12 in log units.
  EXPECT_NEAR(fl.q(min::anhydrite), la(sp::ca) + la(sp::so4), 1e-12);
  EXPECT_NEAR(fl.q(min::wollastonite), la(sp::ca) + si - 2 * la(sp::h), 1e-12);
  EXPECT_NEAR(fl.q(min::pyrrhotite), 8 * la(sp::feoh4m) + 9 * h2s - 6 * la(sp::oh) - la(sp::so4),
              1e-12);
  EXPECT_NEAR(fl.q(min::epidote),
              2 * la(sp::ca) + la(sp::feoh4m) + 2 * la(sp::aloh4) + 3 * si + la(sp::oh), 1e-12);
  // Polymorphs of the same formula share their activity product.
  EXPECT_EQ(fl.q(min::pyrite), fl.q(min::marcasite));
  EXPECT_EQ(fl.q(min::adularia), fl.q(min::microcline));
  EXPECT_EQ(fl.q(min::laumontite), fl.q(min::wairakite));
}

TEST(ActivityProduct, MissingSpeciesGiveNoProduct) {
  // Without aluminate every aluminosilicate loses its activity product, nothing else does.
  fluid fl;
  fl.set(sp::aloh4, 0.0, 1.0);
  for (int j = 1; j <= mineral_vector::size; ++j) {
    const bool aluminous = (j >= 1 && j <= 3) || j == 7 || j == 10 || j == 11 ||
                           (j >= 13 && j <= 18) || j == 22 || j == 24 || j == 25;
    EXPECT_EQ(!fl.product(j).has_value(), aluminous) << minnam(j);
  }
  // The presence limit is strict: exactly 1e-20 mol/kg counts as absent.
  fluid edge;
  edge.set(sp::h2s, 1e-20, 1.0);
  EXPECT_FALSE(edge.product(min::pyrite).has_value());
  edge.set(sp::h2s, 2e-20, 1.0);
  EXPECT_TRUE(edge.product(min::pyrite).has_value());
  // H+ and OH- are never tested: a zero molality enters with log m = 0.
  edge.set(sp::h, 0.0, 1.0);
  edge.set(sp::oh, 0.0, 1.0);
  EXPECT_NEAR(edge.q(min::talc), 3 * -3.0 + 4 * -3.0, 1e-12);
  EXPECT_TRUE(edge.product(min::goethite).has_value());
}

TEST(ActivityProduct, OnlyTheReactionSpeciesAreRead) {
  // mineral_activity_products takes the logarithms of the reactions' species alone: every
  // log Q equals actpro over the logarithms of all 69, to the last bit, for molalities and
  // coefficients that differ from species to species (some absent).
  fluid fl;
  species_vector gamma;
  for (int k = 1; k <= species_vector::size; ++k) {
    const double mk = k % 7 == 0 ? 0.0 : std::pow(10.0, -1.0 - 0.13 * k);
    gamma[k] = 1.0 - 0.011 * k;
    fl.set(k, mk, gamma[k]);
  }
  const mineral_logs q = mineral_activity_products(fl.m, gamma);
  for (int j = 1; j <= mineral_vector::size; ++j) EXPECT_EQ(q[j], fl.product(j)) << minnam(j);
  // Solubility constants alike.
  for (double t : {298.15, 473.15, 623.15}) {
    const mineral_vector log_k = solpro_all(t);
    for (int j = 1; j <= mineral_vector::size; ++j) EXPECT_EQ(log_k[j], solpro(j, t)) << minnam(j);
  }
}

}  // namespace morva
