#include "derived/oxidation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "chemdata/gas_solubility.h"
#include "morva/tables.h"

namespace morva {

namespace {

// A water holding every member of the four couples.
struct redox_water {
  species_vector m;
  component_vector c;
  redox_water() {
    m[sp::h2s] = 1e-4;
    m[sp::so4] = 2e-3;
    m[sp::h2co3] = 5e-3;
    m[sp::nh4oh] = 1e-5;
    c[comp::nh3] = 0.5;
    c[comp::h2] = 0.01;
    c[comp::ch4] = 0.2;
    c[comp::n2] = 3.0;
  }
  /// Eh, V, of couple 1..4 (in the order of redox_couple), or nothing when a member of the
  /// couple is absent.
  std::optional<double> potential(int couple, double ah = 1e-6, double ionic = 0.05) const {
    return oxpot(static_cast<redox_couple>(couple - 1), m, c, ah, 298.15, ionic);
  }
  double eh(int couple, double ah = 1e-6, double ionic = 0.05) const {
    return potential(couple, ah, ionic).value();
  }
};

}  // namespace

TEST(OxidationPotential, HydrogenCoupleMatchesReferenceValues) {
  // 1e-6 mol/kg H2 at 100 °C and pH 7, quoted to 0.0001 V.
  component_vector c;
  c[comp::h2] = 0.00202;
  EXPECT_NEAR(oxpot(redox_couple::hydrogen, species_vector{}, c, 1e-7, 373.15, 0.0).value(),
              -0.4111, 5e-5);
  // Unit hydrogen-ion activity and 1 bar of H2 (m = KH): the zero of the scale at any T.
  for (double t : {298.15, 523.15}) {
    c[comp::h2] = w(comp::h2) * std::pow(10.0, henryk(comp::h2, t));
    EXPECT_NEAR(oxpot(redox_couple::hydrogen, species_vector{}, c, 1.0, t, 0.1).value(), 0.0, 1e-12)
        << t;
  }
}

TEST(OxidationPotential, FollowsTheNernstSlope) {
  // k = R T ln10 / F is 0.05916 V per decade at 25 °C (to 0.00001 V). A unit of pH shifts a
  // couple by k times its protons per electron, a decade of the oxidised member by k / n.
  constexpr double k = 0.05916;
  const redox_water base;
  const double per_electron[] = {10.0 / 8.0, 1.0, 1.0, 1.0};
  for (int couple = 1; couple <= 4; ++couple) {
    const double step = per_electron[couple - 1] * k;
    EXPECT_NEAR(base.eh(couple, 1e-5) - base.eh(couple), step, step * 1e-4) << couple;
  }
  redox_water ox = base;
  ox.m[sp::so4] *= 10.0;
  ox.m[sp::h2co3] *= 10.0;
  ox.c[comp::n2] *= 10.0;
  EXPECT_NEAR(ox.eh(1) - base.eh(1), k / 8.0, 1e-6);
  EXPECT_NEAR(ox.eh(2) - base.eh(2), k / 8.0, 1e-6);
  EXPECT_NEAR(ox.eh(4) - base.eh(4), k / 6.0, 1e-6);
  // More of the reduced member lowers the potential.
  redox_water red = base;
  red.m[sp::h2s] *= 10.0;
  red.c[comp::ch4] *= 10.0;
  red.c[comp::h2] *= 10.0;
  red.m[sp::nh4oh] *= 10.0;
  for (int couple = 1; couple <= 4; ++couple) EXPECT_LT(red.eh(couple), base.eh(couple)) << couple;
  // Only the sulphate couple holds an ion: a saltier water lowers its activity and so Eh.
  EXPECT_LT(base.eh(1, 1e-6, 0.1), base.eh(1, 1e-6, 0.0));
  EXPECT_EQ(base.eh(2, 1e-6, 0.1), base.eh(2, 1e-6, 0.0));
}

TEST(OxidationPotential, MissingMemberGivesMarker) {
  const redox_water full;
  for (int couple = 1; couple <= 4; ++couple) EXPECT_LT(std::abs(full.eh(couple)), 2.0) << couple;

  struct removal {
    int couple;
    bool species;
    int pos;
  };
  for (const removal& r :
       {removal{1, true, sp::h2s}, removal{1, true, sp::so4}, removal{2, true, sp::h2co3},
        removal{2, false, comp::ch4}, removal{3, false, comp::h2}, removal{4, false, comp::nh3},
        removal{4, false, comp::n2}, removal{4, true, sp::nh4oh}}) {
    redox_water wtr;
    (r.species ? wtr.m[r.pos] : wtr.c[r.pos]) = 0.0;
    EXPECT_FALSE(wtr.potential(r.couple).has_value()) << r.couple << " " << r.pos;
  }
}

}  // namespace morva
