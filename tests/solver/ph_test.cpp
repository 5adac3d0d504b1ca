#include "solver/ph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "chemdata/activity.h"
#include "chemdata/equilibrium_constants.h"
#include "report/messages.h"
#include "solutions.h"
#include "solver/mass_balance.h"

namespace morva {
namespace {

const std::string blank(60, ' ');
const gas_factors no_steam{{1.0, 1.0, 1.0}};

std::string text60(const std::string& s) { return s + std::string(60 - s.size(), ' '); }

TEST(PhSolver, NeutralWaterBalancesHydrogenAndHydroxide) {
  // Nothing dissolved: the root is aH^2/g(H+) = 1/r_1. Newton converges quadratically, so
  // once a step is below 0.23 % the error is of the order of its square: 1e-5 is ample.
  const species_vector m;
  const component_vector c;
  struct point {
    double t, ionic;
  };
  for (const point& pt : {point{298.15, 0.0}, point{373.15, 0.1}, point{573.15, 0.01}}) {
    SCOPED_TRACE(pt.t);
    double ah = 0.0;
    ph_messages msg{"x", "y"};
    msg = ph_texts(keep_ah(phcalc(m, c, 0.0, no_steam, pt.t, pt.ionic, 1e-5, 0.0), ah));
    const double root = std::sqrt(gamma(1, pt.t, pt.ionic) / recdis(1, pt.t, pt.ionic));
    EXPECT_NEAR(ah, root, 1e-5 * root);
    EXPECT_EQ(msg[0] + msg[1], blank + blank);
  }
}

TEST(PhSolver, ConvergesQuadraticallyOnEachBuffer) {
  // One weak acid (or base) at a time, 0.01 mol/kg, its balance formed at a known aH between
  // pH 3 and 10: started a decade off, the solver returns that aH. The root is exact (no
  // complexes); the last step is below 0.23 % and, with the exact derivative of that
  // buffer's term, leaves an error of the order of its square: 1e-5 relative.
  const double t = 473.15, ionic = 0.05;
  for (const int k :
       {comp::co2, comp::h2s, comp::nh3, comp::b, comp::sio2, comp::f, comp::so4, comp::al}) {
    component_vector c;
    c[k] = 0.01;
    for (int ph = 3; ph <= 10; ++ph) {
      SCOPED_TRACE(testing::Message() << "component " << k << ", pH " << ph);
      const double root = std::pow(10.0, -ph);
      species_vector m0, x, m;
      m0 = setini(c);
      keep_x(masbal(c, root, t, ionic, m0), x);
      m = spemol(x, root, t, ionic);
      for (const double start : {10 * root, 0.1 * root}) {
        double ah = 0.0;
        ph_messages msg;
        msg =
            ph_texts(keep_ah(phcalc(m, c, proton_balance(m), no_steam, t, ionic, start, 0.0), ah));
        EXPECT_NEAR(ah, root, 1e-5 * root) << "start " << start;
        EXPECT_EQ(msg[0] + msg[1], blank + blank);
      }
    }
  }
}

TEST(PhSolver, RootOutsidePh2To11GivesTheRangeMessage) {
  // Only a base or acid excess dissolved, mol/kg: [0] from neutral water one mole of base
  // sends the first step far below zero and the pH-11 bound is returned instead of a negative
  // activity; [1] a smaller excess started near the bound steps to a positive activity below
  // it, returned as it is; [2] one mole of acid steps above 0.01, returned unclamped.
  const species_vector m;
  const component_vector c;
  double ah = 0.0;
  ph_messages msg;
  msg = ph_texts(keep_ah(phcalc(m, c, 1.0, no_steam, 298.15, 0.0, 1e-7, 0.0), ah));
  EXPECT_EQ(msg[0], text60("pH higher than 11"));
  EXPECT_EQ(msg[1], blank);
  EXPECT_EQ(ah, 1e-11);

  msg = ph_texts(keep_ah(phcalc(m, c, 1.2e-3, no_steam, 298.15, 0.0, 1.5e-11, 0.0), ah));
  EXPECT_EQ(msg[0], text60("pH higher than 11"));
  EXPECT_GT(ah, 0.0);
  EXPECT_LT(ah, 1e-11);

  msg = ph_texts(keep_ah(phcalc(m, c, -1.0, no_steam, 298.15, 0.0, 1e-7, 0.0), ah));
  EXPECT_EQ(msg[0], text60("pH lower than  2"));
  EXPECT_EQ(msg[1], blank);
  EXPECT_GT(ah, 0.01);
}

TEST(PhSolver, TwoCycleEndsWithTheFiftiethIterate) {
  // A fluid whose CO2 sits almost wholly in the steam (gas factor 2e4) and whose dissolved
  // carbonate is held by calcium: the residual bends so sharply that Newton's step from the
  // pH-11 bound overshoots the root and the next falls below zero, back to the bound, for
  // ever. Started at 1e-8, the even steps start from the bound: the fiftieth is the positive
  // step from the bound, the same value a call started there returns at once.
  species_vector m;
  m[23] = 0.0312;
  component_vector c;
  c[1] = 0.57;
  const gas_factors g{{22850.0, 1.0, 1.0}};
  const double t = 300.0, a = 0.75;

  double ah = 0.0;
  ph_messages msg;
  msg = ph_texts(keep_ah(phcalc(m, c, a, g, t, 0.0, 1e-8, 0.0), ah));
  EXPECT_EQ(msg[0], blank);
  EXPECT_EQ(msg[1], text60("No convergence in pH calculation after 50 iterations."));
  const double from_bound = ah;
  EXPECT_GT(from_bound, 1e-11);
  EXPECT_LT(from_bound, 1e-2);
  double again = 0.0;
  msg = ph_texts(keep_ah(phcalc(m, c, a, g, t, 0.0, from_bound, 0.0), again));
  EXPECT_EQ(again, from_bound);

  // Started at the bound, the fiftieth step is the overshoot below zero: the bound it would
  // be pulled back to is returned instead of a negative activity.
  msg = ph_texts(keep_ah(phcalc(m, c, a, g, t, 0.0, 1e-11, 0.0), ah));
  EXPECT_EQ(msg[1], text60("No convergence in pH calculation after 50 iterations."));
  EXPECT_EQ(ah, 1e-11);
}

}  // namespace
}  // namespace morva
