#include "solver/mass_balance.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "chemdata/activity.h"
#include "chemdata/equilibrium_constants.h"
#include "solver/redox.h"
#include "waters.h"

namespace morva {
namespace {

// The stop test bounds each basis value's change by 1e-6 of the mean of old and new value;
// each total is then closed to 1e-6 of itself, plus a hair for that mean.
constexpr double closure = 1.1e-6;

/// Totals c at ah, T (K) solved as the callers do: masbal and spemol, six passes with the
/// ionic strength of the last result (zero in the first).
speciation_state solve(const component_vector& c, double ah, double t, int& unconverged) {
  speciation_state s;
  s.t = t;
  s.ah = ah;
  s.m = setini(c);
  for (int pass = 0; pass < 6; ++pass) {
    s.ionic = pass == 0 ? 0.0 : strion(s.m);
    s.mb = keep_x(masbal(c, ah, t, s.ionic, s.m), s.x);
    unconverged += s.mb.converged ? 0 : 1;
    s.m = spemol(s.x, ah, t, s.ionic);
  }
  return s;
}

TEST(InitialEstimates, PutMostOfEachTotalOnItsFreeSpecies) {
  component_vector c;
  for (int k = 1; k <= component_vector::size; ++k) c[k] = 0.001 * k;
  species_vector m0, expected;
  m0.fill(7.0);
  m0 = setini(c);
  for (const auto& [i, k] : {std::pair{5, comp::sio2},
                             {11, comp::co2},
                             {17, comp::so4},
                             {19, comp::f},
                             {20, comp::cl},
                             {21, comp::na},
                             {22, comp::k},
                             {23, comp::ca},
                             {24, comp::mg},
                             {39, comp::fe},
                             {57, comp::al}})
    expected[i] = 0.95 * c[k];
  EXPECT_EQ(m0, expected);  // every other species, those of H2S, NH3 and B too, is zero
}

TEST(MassBalance, PureWaterHoldsOnlyHydrogenAndHydroxideIons) {
  for (const double t : {298.15, 473.15}) {
    SCOPED_TRACE(t);
    const component_vector c;
    const double ah = 1e-6, ionic = 0.01;
    species_vector m0, x, m, expected;
    m0 = setini(c);
    const mass_balance_outcome mb = keep_x(masbal(c, ah, t, ionic, m0), x);
    m = spemol(x, ah, t, ionic);
    expected[1] = ah / gamma(1, t, ionic);
    expected[2] = 1 / (ah * recdis(1, t, ionic));
    EXPECT_EQ(m, expected);
    EXPECT_TRUE(mb.converged);
  }
}

TEST(MassBalance, IronThreeNeedsBothSulfideAndSulfate) {
  // Without H2S there is no iron(III) at all; with it, Fe+++/Fe++ is the redox equilibrium
  // of the solved H2S and SO4--.
  component_vector c;
  c[comp::fe] = 1e-4;
  c[comp::cl] = 0.01;
  c[comp::na] = 0.012;
  c[comp::so4] = 0.001;
  const double t = 373.15, ah = 1e-4;
  int unconverged = 0;
  speciation_state s = solve(c, ah, t, unconverged);
  for (int i : {40, 45, 46, 47, 48, 51, 52, 53, 54, 56}) EXPECT_EQ(s.m[i], 0.0) << i;

  c[comp::h2s] = 1e-6;
  s = solve(c, ah, t, unconverged);
  EXPECT_GT(s.m[40], 0.0);
  EXPECT_EQ(s.m[40], s.m[39] * redox(s.m[12], s.m[17], ah, t, s.ionic));
  for (int k : {comp::fe, comp::cl, comp::so4})
    EXPECT_NEAR(component_total(s.m, k), c[k], closure * c[k]) << k;
  EXPECT_EQ(unconverged, 0);
}

TEST(MassBalance, CountsEveryLigandOfTheHigherComplexes) {
  // Fluids in which many-ligand complexes hold much of a total: fluoride-rich acid water
  // (AlF4- to AlF6---); a hot iron chloride brine with sulfide and sulfate (FeCl2, and the
  // iron(III) hydroxides through the redox ratio); a hot, acid, nearly sulfide-free brine
  // rich in iron (FeCl++ to FeCl4-, FeSO4+).
  struct fluid {
    const char* name;
    double t, ah;
    std::pair<int, double> totals[5];
  };
  for (const fluid& fl :
       {fluid{"fluoride", 298.15, 1e-4, {{comp::al, 1e-4}, {comp::f, 0.05}, {comp::na, 0.05}}},
        fluid{"iron brine",
              573.15,
              1e-4,
              {{comp::fe, 1e-3},
               {comp::cl, 3.0},
               {comp::na, 3.0},
               {comp::h2s, 1e-4},
               {comp::so4, 0.01}}},
        fluid{"acid ferric brine",
              573.15,
              0.1,
              {{comp::fe, 0.1},
               {comp::cl, 1.0},
               {comp::na, 0.8},
               {comp::h2s, 1e-12},
               {comp::so4, 0.5}}}}) {
    SCOPED_TRACE(fl.name);
    component_vector c;
    for (const auto& [k, total] : fl.totals)
      if (k != 0) c[k] = total;
    int unconverged = 0;
    const speciation_state s = solve(c, fl.ah, fl.t, unconverged);
    EXPECT_EQ(unconverged, 0);
    for (const int k : balanced_components)
      EXPECT_NEAR(component_total(s.m, k), c[k], closure * c[k]) << k;
  }
}

TEST(MassBalance, DampedSweepsFinishWhatAHundredPlainOnesLeaveOpen) {
  // Equal calcium and sulfate at 300 °C pair almost completely; the free ions converge by
  // a few per cent per sweep, too slowly for a hundred plain sweeps. The damped sweeps that
  // follow close the balance.
  component_vector c;
  c[comp::ca] = 0.1;
  c[comp::so4] = 0.1;
  const double t = 573.15, ah = 1e-7, ionic = 0.0;
  species_vector m0, x;
  m0 = setini(c);
  const mass_balance_outcome mb = keep_x(masbal(c, ah, t, ionic, m0), x);
  EXPECT_TRUE(mb.converged);
  EXPECT_GT(mb.sweeps, 100);
  species_vector m = spemol(x, ah, t, ionic);
  for (const int k : {comp::ca, comp::so4})
    EXPECT_NEAR(component_total(m, k), 0.1, closure * 0.1) << k;
}

TEST(GasRatios, AreTotalsOverTheNeutralSpecies) {
  // On a solved state, B times the molality of the neutral species is the component total,
  // the calcium and magnesium carbonates counted. Relative 1e-12: algebra and rounding.
  for (const water& wt : natural_waters) {
    SCOPED_TRACE(wt.name);
    speciation_state s;
    int unconverged = 0;
    speciate_as_sampled(wt, s, unconverged);
    gas_vector b = bcoeff(s.m, s.ah, s.t, s.ionic);
    for (const auto& [k, neutral] : {std::pair{comp::co2, 9}, {comp::h2s, 12}, {comp::nh3, 37}}) {
      const double total = component_total(s.m, k);
      EXPECT_NEAR(b[k] * s.m[neutral], total, 1e-12 * total) << k;
    }
    for (int k = 4; k <= 7; ++k) EXPECT_EQ(b[k], 1.0);
  }
}

}  // namespace
}  // namespace morva
