#include "derived/oxidation.h"

#include <gtest/gtest.h>

#include <cmath>

#include "chemdata/gas_solubility.h"
#include "chemdata/tables.h"

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
};

}  // namespace

TEST(OxidationPotential, MatchesWorkedHydrogenValue) {
  // 1e-6 mol/kg H2 at 100 °C and pH 7, quoted to 0.0001 V.
  species_vector m;
  component_vector c;
  c[comp::h2] = 0.00202;
  EXPECT_NEAR(oxpot(3, m, c, 1e-7, 373.15, 0.0), -0.4111, 5e-5);
}

TEST(OxidationPotential, HydrogenElectrodeIsTheZeroOfTheScale) {
  // Unit hydrogen-ion activity and 1 bar of H2 (m = KH): Eh = 0 at every temperature.
  species_vector m;
  component_vector c;
  for (double t : {298.15, 373.15, 523.15}) {
    SCOPED_TRACE(t);
    c[comp::h2] = w(comp::h2) * std::pow(10.0, henryk(comp::h2, t));
    EXPECT_NEAR(oxpot(3, m, c, 1.0, t, 0.1), 0.0, 1e-12);
  }
}

TEST(OxidationPotential, FollowsTheNernstSlope) {
  // k = R T ln10 / F is 0.05916 V per decade at 25 °C (to 0.00001 V). A unit of pH shifts
  // each couple by k times its protons per electron; a decade of the oxidised member by k/n.
  const double t = 298.15;
  const double k = 0.05916;
  const redox_water base;
  struct couple { int n; double protons_per_electron; };
  for (const couple& cp : {couple{1, 10.0 / 8.0}, couple{2, 1.0}, couple{3, 1.0},
                           couple{4, 1.0}}) {
    SCOPED_TRACE(cp.n);
    const double eh = oxpot(cp.n, base.m, base.c, 1e-6, t, 0.05);
    const double eh_acid = oxpot(cp.n, base.m, base.c, 1e-5, t, 0.05);
    EXPECT_NEAR(eh_acid - eh, cp.protons_per_electron * k, 1e-5 * cp.protons_per_electron);
  }
  // Oxidised members: SO4-- (8 electrons), CO2 (8), N2 (6 electrons per N2).
  redox_water more_so4 = base;
  more_so4.m[sp::so4] *= 10.0;
  EXPECT_NEAR(oxpot(1, more_so4.m, more_so4.c, 1e-6, t, 0.05) -
                  oxpot(1, base.m, base.c, 1e-6, t, 0.05), k / 8.0, 1e-6);
  redox_water more_co2 = base;
  more_co2.m[sp::h2co3] *= 10.0;
  EXPECT_NEAR(oxpot(2, more_co2.m, more_co2.c, 1e-6, t, 0.05) -
                  oxpot(2, base.m, base.c, 1e-6, t, 0.05), k / 8.0, 1e-6);
  redox_water more_n2 = base;
  more_n2.c[comp::n2] *= 10.0;
  EXPECT_NEAR(oxpot(4, more_n2.m, more_n2.c, 1e-6, t, 0.05) -
                  oxpot(4, base.m, base.c, 1e-6, t, 0.05), k / 6.0, 1e-6);
}

TEST(OxidationPotential, MoreReducedMemberLowersThePotential) {
  const redox_water base;
  redox_water more_h2s = base;
  more_h2s.m[sp::h2s] *= 10.0;
  EXPECT_LT(oxpot(1, more_h2s.m, more_h2s.c, 1e-6, 523.15, 0.05),
            oxpot(1, base.m, base.c, 1e-6, 523.15, 0.05));
  redox_water more_ch4 = base;
  more_ch4.c[comp::ch4] *= 10.0;
  EXPECT_LT(oxpot(2, more_ch4.m, more_ch4.c, 1e-6, 523.15, 0.05),
            oxpot(2, base.m, base.c, 1e-6, 523.15, 0.05));
  redox_water more_nh3 = base;
  more_nh3.m[sp::nh4oh] *= 10.0;
  EXPECT_LT(oxpot(4, more_nh3.m, more_nh3.c, 1e-6, 523.15, 0.05),
            oxpot(4, base.m, base.c, 1e-6, 523.15, 0.05));
}

TEST(OxidationPotential, SulphateActivityLowersWithIonicStrength) {
  // Only couple 1 carries an ion: a saltier water lowers the SO4-- activity and so Eh.
  const redox_water wtr;
  EXPECT_LT(oxpot(1, wtr.m, wtr.c, 1e-6, 473.15, 0.1), oxpot(1, wtr.m, wtr.c, 1e-6, 473.15, 0.0));
  EXPECT_EQ(oxpot(3, wtr.m, wtr.c, 1e-6, 473.15, 0.1), oxpot(3, wtr.m, wtr.c, 1e-6, 473.15, 0.0));
}

TEST(OxidationPotential, MissingMemberGivesMarker) {
  const redox_water full;
  for (int couple = 1; couple <= 4; ++couple)
    EXPECT_TRUE(std::isfinite(oxpot(couple, full.m, full.c, 1e-6, 473.15, 0.05))) << couple;

  struct removal { int couple; bool species; int pos; };
  for (const removal& r : {removal{1, true, sp::h2s}, removal{1, true, sp::so4},
                           removal{2, true, sp::h2co3}, removal{2, false, comp::ch4},
                           removal{3, false, comp::h2}, removal{4, false, comp::nh3},
                           removal{4, false, comp::n2}, removal{4, true, sp::nh4oh}}) {
    SCOPED_TRACE(r.couple);
    SCOPED_TRACE(r.pos);
    redox_water wtr;
    (r.species ? wtr.m[r.pos] : wtr.c[r.pos]) = 0.0;
    EXPECT_EQ(oxpot(r.couple, wtr.m, wtr.c, 1e-6, 473.15, 0.05), eh_missing);
  }
  // A water without any of the gases or sulphur species.
  EXPECT_EQ(oxpot(3, species_vector{}, component_vector{}, 1e-7, 373.15, 0.0), eh_missing);
}

}  // namespace morva
