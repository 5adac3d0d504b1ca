#include "chemdata/equilibrium_constants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "chemdata/activity.h"
#include "chemdata/names.h"
#include "morva/indexed.h"

namespace morva {

namespace {

double log_k(int i, double t_c) { return std::log10(discon(i, t_c + 273.15)); }

// The species that have no dissociation reaction of their own.
const std::vector<int> free_ions{sp::oh,  sp::h2sio4, sp::h2bo3, sp::co3, sp::s,  sp::so4,
                                 sp::f,   sp::cl,     sp::na,    sp::k,   sp::ca, sp::mg,
                                 sp::nh4, sp::fe2,    sp::fe3,   sp::al};

bool is_free(int i) {
  for (int j : free_ions)
    if (i == j) return true;
  return false;
}

}  // namespace

TEST(WaterProperties, MatchWorkedValues) {
  EXPECT_NEAR(ba(298.15), 1.0, 5e-7);  // 1.0 to seven digits
  EXPECT_NEAR(eps(298.15), 78.3, 0.05);
  EXPECT_NEAR(ba(373.15), 1.41, 0.005);
  EXPECT_NEAR(eps(373.15), 55.5, 0.05);
}

TEST(DissociationConstants, MatchWorkedValues) {
  // log10 K; tolerance half a unit of the last quoted digit.
  EXPECT_NEAR(log_k(sp::h, 25.0), -14.0, 0.05);
  EXPECT_NEAR(log_k(sp::h, 100.0), -12.3, 0.05);
  EXPECT_NEAR(log_k(sp::h, 300.0), -11.0, 0.05);
  EXPECT_NEAR(log_k(sp::h2co3, 25.0), -6.36, 0.005);
  EXPECT_NEAR(log_k(sp::hco3, 25.0), -10.3, 0.05);
  EXPECT_NEAR(log_k(sp::kcl, 25.0), 1.53, 0.005);
  EXPECT_NEAR(log_k(sp::kcl, 300.0), -0.61, 0.005);
}

TEST(DissociationConstants, PotassiumChlorideIncludesItsDielectricTerm) {
  // Without the electrostatic term log10 K would be about 2.62 at 25 °C.
  const double t = 298.15;
  EXPECT_NEAR(std::log10(discon(sp::kcl, t)) + 25316.12 / (eps(t) * t), 2.62, 0.005);
}

TEST(ReactionFactors, ZeroForFreeIons) {
  ASSERT_EQ(free_ions.size(), 16u);
  for (int i : free_ions)
    for (double t : {273.15, 298.15, 473.15, 623.15})
      for (double ionic : {0.0, 0.1, 2.0}) EXPECT_EQ(recdis(i, t, ionic), 0.0) << i;
}

TEST(ReactionFactors, IdealSolutionGivesReciprocalConstant) {
  for (int i = 1; i <= species_vector::size; ++i) {
    if (is_free(i)) continue;
    for (double t : {298.15, 423.15, 573.15}) EXPECT_EQ(recdis(i, t, 0.0), 1.0 / discon(i, t));
  }
}

TEST(ReactionFactors, CarryTheChargedSpeciesOfEachReaction) {
  // r K = product of gamma of the charged products other than H+, over gamma of the species
  // when it is charged (0: no such factor). 150 °C and I = 0.3 mol/kg, where gamma of a
  // neutral species is not 1, so a neutral species wrongly included would show.
  struct factors {
    int i, num1, num2, den;
  };
  // clang-format off
  const factors rows[] = {
      {sp::h, sp::oh, 0, 0},  // water: OH- only, H2O and H+ do not enter
      {sp::h4sio4, sp::h3sio4, 0, 0},         {sp::h3sio4, sp::h2sio4, 0, sp::h3sio4},
      {sp::nah3sio4, sp::na, sp::h3sio4, 0},  {sp::h3bo3, sp::h2bo3, 0, 0},
      {sp::h2co3, sp::hco3, 0, 0},            {sp::hco3, sp::co3, 0, sp::hco3},
      {sp::h2s, sp::hs, 0, 0},                {sp::hs, sp::s, 0, sp::hs},
      {sp::h2so4, sp::hso4, 0, 0},            {sp::hso4, sp::so4, 0, sp::hso4},
      {sp::hf, sp::f, 0, 0},                  {sp::nacl, sp::na, sp::cl, 0},
      {sp::kcl, sp::k, sp::cl, 0},            {sp::naso4, sp::na, sp::so4, sp::naso4},
      {sp::kso4, sp::k, sp::so4, sp::kso4},   {sp::caso4, sp::ca, sp::so4, 0},
      {sp::mgso4, sp::mg, sp::so4, 0},        {sp::caco3, sp::ca, sp::co3, 0},
      {sp::mgco3, sp::mg, sp::co3, 0},        {sp::cahco3, sp::ca, sp::hco3, sp::cahco3},
      {sp::mghco3, sp::mg, sp::hco3, sp::mghco3}, {sp::caoh, sp::ca, sp::oh, sp::caoh},
      {sp::mgoh, sp::mg, sp::oh, sp::mgoh},   {sp::nh4oh, sp::nh4, sp::oh, 0},
      {sp::feoh, sp::fe2, sp::oh, sp::feoh},  {sp::feoh2, sp::feoh, sp::oh, 0},
      {sp::feoh3m, sp::oh, 0, sp::feoh3m},    {sp::feoh4mm, sp::feoh3m, sp::oh, sp::feoh4mm},
      {sp::feoh_2p, sp::fe3, sp::oh, sp::feoh_2p}, {sp::feoh2p, sp::feoh_2p, sp::oh, sp::feoh2p},
      {sp::feoh3, sp::feoh2p, sp::oh, 0},     {sp::feoh4m, sp::oh, 0, sp::feoh4m},
      {sp::fecl, sp::fe2, sp::cl, sp::fecl},  {sp::fecl2, sp::fecl, sp::cl, 0},
      {sp::fecl_2p, sp::fe3, sp::cl, sp::fecl_2p}, {sp::fecl2p, sp::fecl_2p, sp::cl, sp::fecl2p},
      {sp::fecl3, sp::fecl2p, sp::cl, 0},     {sp::fecl4, sp::cl, 0, sp::fecl4},
      {sp::feso4, sp::fe2, sp::so4, 0},       {sp::feso4p, sp::fe3, sp::so4, sp::feso4p},
      {sp::aloh, sp::al, sp::oh, sp::aloh},   {sp::aloh2, sp::aloh, sp::oh, sp::aloh2},
      {sp::aloh3, sp::aloh2, sp::oh, 0},      {sp::aloh4, sp::oh, 0, sp::aloh4},
      {sp::also4, sp::al, sp::so4, sp::also4}, {sp::also42, sp::also4, sp::so4, sp::also42},
      {sp::alf, sp::al, sp::f, sp::alf},      {sp::alf2, sp::alf, sp::f, sp::alf2},
      {sp::alf3, sp::alf2, sp::f, 0},         {sp::alf4, sp::f, 0, sp::alf4},
      {sp::alf5, sp::alf4, sp::f, sp::alf5},  {sp::alf6, sp::alf5, sp::f, sp::alf6},
  };
  // clang-format on
  ASSERT_EQ(std::size(rows), 53u);
  const double t = 423.15, ionic = 0.3;
  auto g = [&](int j) { return j == 0 ? 1.0 : gamma(j, t, ionic); };
  for (const factors& r : rows) {
    SCOPED_TRACE(spenam(r.i));
    EXPECT_FALSE(is_free(r.i));
    const double expected = g(r.num1) * g(r.num2) / (discon(r.i, t) * g(r.den));
    EXPECT_NEAR(recdis(r.i, t, ionic) / expected, 1.0, 1e-12);
  }
}

TEST(ReactionFactors, PositiveAndFiniteOverTheLiquidRange) {
  for (int i = 1; i <= species_vector::size; ++i) {
    if (is_free(i)) continue;
    for (double t = 273.15; t <= 647.0; t += 1.0) {
      for (double ionic : {0.0, 0.1, 1.0}) {
        const double r = recdis(i, t, ionic);
        EXPECT_TRUE(std::isfinite(r) && r > 0.0) << spenam(i) << " at " << t << " I " << ionic;
      }
    }
  }
}

}  // namespace morva
