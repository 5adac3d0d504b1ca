#pragma once
// A dilute geothermal water for the phase-model tests, speciated at its sampling conditions
// the way the calculation sequence does it, with the proton balance it carries.

#include "chemdata/activity.h"
#include "morva/indexed.h"
#include "solver/mass_balance.h"
#include "solver/ph.h"

namespace morva::test {

struct sampled_water {
  component_vector c;  // mol/kg
  species_vector m;    // mol/kg, at the pH temperature
  double ah = 0.0;
  double ionic = 0.0;
  double a = 0.0;  // proton balance, mol/kg
};

inline sampled_water dilute_water() {
  sampled_water s;
  // clang-format off
  s.c = component_vector({0.01, 0.001, 1e-5, 1e-6, 0.0, 1e-6, 1e-5, 1e-4, 0.008,
                          0.01, 0.001, 1e-6, 1e-4, 5e-5, 0.01, 5e-4, 1e-6, 1e-6});
  // clang-format on
  const double t = 293.15;  // pH measured at 20 °C
  s.ah = 1e-8;              // pH 8
  s.ionic = s.c[comp::na] + s.c[comp::k] + 4.0 * (s.c[comp::mg] + s.c[comp::ca]);
  species_vector est = setini(s.c);
  s.m = spemol(masbal(s.c, s.ah, t, s.ionic, est).x, s.ah, t, s.ionic);
  for (int pass = 1; pass <= 5; ++pass) {
    s.ionic = strion(s.m);
    s.m = spemol(masbal(s.c, s.ah, t, s.ionic, s.m).x, s.ah, t, s.ionic);
  }
  s.ionic = strion(s.m);
  s.a = proton_balance(s.m);
  return s;
}

}  // namespace morva::test
