// The solver on natural waters: the sampled water is speciated at its measured pH, its proton
// balance is carried to other temperatures and the pH is found there, as the calculation
// sequence and the phase models do it.

#include "waters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "chemdata/activity.h"
#include "report/messages.h"
#include "solver/mass_balance.h"
#include "solver/ph.h"

namespace morva {
namespace {

const std::string blank(60, ' ');
const gas_factors no_steam{{1.0, 1.0, 1.0}};

class NaturalWater : public testing::TestWithParam<water> {};

INSTANTIATE_TEST_SUITE_P(Waters, NaturalWater, testing::ValuesIn(natural_waters));

TEST_P(NaturalWater, KeepsItsProtonBalanceFromSamplingToReservoirTemperatures) {
  // The sampled water is speciated at its measured pH and its proton balance formed.
  const water& wt = GetParam();
  const component_vector c = wt.totals();
  speciation_state sampled;
  int unconverged = 0;
  speciate_as_sampled(wt, sampled, unconverged);
  const double a = proton_balance(sampled.m);
  ph_messages msg;

  // Solved again at its own temperature from distant starts, that balance gives back the
  // measured pH. The root is the sampled aH up to the 1e-6 closure of the mass balance; the
  // last Newton step is below 0.23 % and, with an exact derivative, leaves an error of the
  // order of its square: 1e-5 relative.
  for (const double ah0 : {1e-2, 1e-5, 1e-7, 1e-10}) {
    SCOPED_TRACE(ah0);
    double ah = 0.0;
    msg = ph_texts(
        keep_ah(phcalc(sampled.m, c, a, no_steam, sampled.t, sampled.ionic, ah0, 0.0), ah));
    EXPECT_NEAR(ah, sampled.ah, 1e-5 * sampled.ah);
    EXPECT_EQ(msg[0] + msg[1], blank + blank);
  }

  // Carried to 25, 100, 200 and 300 °C in the passes of the single-phase speciation (pH,
  // mass balance, species, ionic strength), the species of the last pass account for every
  // analysed total: the mass balance closes each to 1e-6, so 1e-5 leaves room for nothing
  // but a real fault.
  for (const double t_c : {25.0, 100.0, 200.0, 300.0}) {
    SCOPED_TRACE(t_c);
    speciation_state s = sampled;
    s.t = t_c + 273.15;
    double ah_start = sampled.ah;
    msg = ph_texts(keep_ah(phcalc(s.m, c, a, no_steam, s.t, s.ionic, ah_start, 0.0), s.ah));
    s.mb = keep_x(masbal(c, s.ah, s.t, s.ionic, s.m), s.x);
    unconverged += s.mb.converged ? 0 : 1;
    s.m = spemol(s.x, s.ah, s.t, s.ionic);
    for (int pass = 0; pass < 5; ++pass) {
      ah_start = s.ah;
      s.ionic = strion(s.m);
      msg = ph_texts(keep_ah(phcalc(s.m, c, a, no_steam, s.t, s.ionic, ah_start, 0.0), s.ah));
      s.mb = keep_x(masbal(c, s.ah, s.t, s.ionic, s.m), s.x);
      unconverged += s.mb.converged ? 0 : 1;
      s.m = spemol(s.x, s.ah, s.t, s.ionic);
    }
    EXPECT_EQ(msg[0] + msg[1] + mass_balance_text(s.mb), blank + blank + blank);
    for (const int k : balanced_components)
      EXPECT_NEAR(component_total(s.m, k), c[k], 1e-5 * c[k]) << k;

    // Its own proton balance, formed from this solved state, is already met at its aH:
    // the first Newton step stays (the mass balance closes to 1e-6, hence 1e-5 here).
    double ah = 0.0;
    msg = ph_texts(
        keep_ah(phcalc(s.m, c, proton_balance(s.m), no_steam, s.t, s.ionic, s.ah, 0.0), ah));
    EXPECT_NEAR(ah, s.ah, 1e-5 * s.ah);
    EXPECT_EQ(msg[0] + msg[1], blank + blank);
  }
  EXPECT_EQ(unconverged, 0);
}

TEST(PhSolver, SteamCountsOnlyThroughTheLiquid) {
  // Carbonated water at 150 °C. Half the fluid as steam: totals and balance per kg of fluid
  // count twice per kg of liquid, so y = 0.5 is exactly the call with doubled totals
  // (binary-exact). CO2 carried by the steam takes no part in the balance: the liquid that
  // keeps it with less carbonic acid is more alkaline.
  const water& wt = natural_waters[3];
  speciation_state s;
  int unconverged = 0;
  speciate_as_sampled(wt, s, unconverged);
  const double a = proton_balance(s.m), t = 423.15;
  const component_vector c = wt.totals();
  component_vector c2;
  for (int k = 1; k <= component_vector::size; ++k) c2[k] = 2 * c[k];

  double ah_half = 0.0, ah_double = 0.0, ah_liquid = 0.0, ah_gas = 0.0;
  ph_messages msg;
  msg = ph_texts(keep_ah(phcalc(s.m, c, a, no_steam, t, s.ionic, s.ah, 0.5), ah_half));
  msg = ph_texts(keep_ah(phcalc(s.m, c2, 2 * a, no_steam, t, s.ionic, s.ah, 0.0), ah_double));
  EXPECT_EQ(ah_half, ah_double);
  msg = ph_texts(keep_ah(phcalc(s.m, c, a, no_steam, t, s.ionic, s.ah, 0.0), ah_liquid));
  msg = ph_texts(
      keep_ah(phcalc(s.m, c, a, gas_factors{{10.0, 1.0, 1.0}}, t, s.ionic, s.ah, 0.0), ah_gas));
  EXPECT_LT(ah_gas, 0.5 * ah_liquid);
  EXPECT_EQ(msg[0], blank);
}

}  // namespace
}  // namespace morva
