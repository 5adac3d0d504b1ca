#pragma once
// Test fixtures for the speciation solver: component totals counted back from species
// molalities, and a few natural waters of contrasting chemistry.

#include <cmath>
#include <ostream>
#include <string>

#include "chemdata/activity.h"
#include "chemdata/units.h"
#include "morva/indexed.h"
#include "morva/tables.h"
#include "solutions.h"
#include "solver/mass_balance.h"

namespace morva {

/// Total of component k (mol/kg) held by the species molalities m, each species counted with
/// its number of units of the component (AlF6--- holds six fluorides). Written from the
/// formulas of the species, independently of the solver's balance rows.
inline double component_total(const species_vector& m, int k) {
  struct share {
    int component, species, units;
  };
  // clang-format off
  static constexpr share shares[] = {
      {comp::co2, 9, 1}, {comp::co2, 10, 1}, {comp::co2, 11, 1}, {comp::co2, 31, 1},
      {comp::co2, 32, 1}, {comp::co2, 33, 1}, {comp::co2, 34, 1},
      {comp::h2s, 12, 1}, {comp::h2s, 13, 1}, {comp::h2s, 14, 1},
      {comp::nh3, 37, 1}, {comp::nh3, 38, 1},
      {comp::b, 7, 1}, {comp::b, 8, 1},
      {comp::sio2, 3, 1}, {comp::sio2, 4, 1}, {comp::sio2, 5, 1}, {comp::sio2, 6, 1},
      {comp::na, 21, 1}, {comp::na, 25, 1}, {comp::na, 27, 1}, {comp::na, 6, 1},
      {comp::k, 22, 1}, {comp::k, 26, 1}, {comp::k, 28, 1},
      {comp::mg, 24, 1}, {comp::mg, 30, 1}, {comp::mg, 32, 1}, {comp::mg, 34, 1}, {comp::mg, 36, 1},
      {comp::ca, 23, 1}, {comp::ca, 29, 1}, {comp::ca, 31, 1}, {comp::ca, 33, 1}, {comp::ca, 35, 1},
      {comp::f, 18, 1}, {comp::f, 19, 1}, {comp::f, 64, 1}, {comp::f, 65, 2}, {comp::f, 66, 3},
      {comp::f, 67, 4}, {comp::f, 68, 5}, {comp::f, 69, 6},
      {comp::cl, 20, 1}, {comp::cl, 25, 1}, {comp::cl, 26, 1}, {comp::cl, 49, 1}, {comp::cl, 50, 2},
      {comp::cl, 51, 1}, {comp::cl, 52, 2}, {comp::cl, 53, 3}, {comp::cl, 54, 4},
      {comp::so4, 15, 1}, {comp::so4, 16, 1}, {comp::so4, 17, 1}, {comp::so4, 27, 1},
      {comp::so4, 28, 1}, {comp::so4, 29, 1}, {comp::so4, 30, 1}, {comp::so4, 55, 1},
      {comp::so4, 56, 1}, {comp::so4, 62, 1}, {comp::so4, 63, 2},
  };
  // clang-format on
  double total = 0.0;
  for (const share& s : shares)
    if (s.component == k) total += s.units * m[s.species];
  // Aluminium and iron: every species from the free ion to the last complex holds one atom.
  if (k == comp::al)
    for (int i = 57; i <= 69; ++i) total += m[i];
  if (k == comp::fe)
    for (int i = 39; i <= 56; ++i) total += m[i];
  return total;
}

/// The components that take part in the aqueous mass balance.
inline constexpr int balanced_components[] = {comp::co2, comp::h2s, comp::nh3, comp::b,  comp::sio2,
                                              comp::na,  comp::k,   comp::mg,  comp::ca, comp::f,
                                              comp::cl,  comp::so4, comp::al,  comp::fe};

/// A water sample: name, pH and the temperature of its measurement (°C), analysis in mg/kg in
/// component order.
struct water {
  std::string name;
  double ph;
  double ph_t_c;
  double mgkg[18];

  component_vector totals() const {
    component_vector c;
    for (int k = 1; k <= component_vector::size; ++k) c[k] = mgkg[k - 1] / w(k);
    return c;
  }
};

inline std::ostream& operator<<(std::ostream& out, const water& wt) { return out << wt.name; }

// clang-format off
/// Four waters of contrasting chemistry (mg/kg):
///   CO2   H2S  NH3  H2 O2 CH4 N2  B    SiO2  Na     K     Mg    Ca    F    Cl     SO4   Al   Fe
inline const water natural_waters[] = {
    // Dilute, alkaline sodium-chloride water of a high-temperature well.
    {"dilute well", 9.4, 20.0,
     {40,   10,  0.1, 0, 0, 0,  0,  1,   600,  200,   30,   0.01, 1,    1.5, 150,   40,   1.5, 0.05}},
    // Saline water, near seawater in sodium and chloride, rich in calcium.
    {"saline", 6.5, 25.0,
     {100,  2,   2,   0, 0, 0,  0,  10,  500,  10000, 1500, 50,   2000, 1,   19000, 30,   0.1, 1}},
    // Acid-sulphate spring: oxidised sulfide, aluminium and iron leached from the rock.
    {"acid sulphate", 2.8, 25.0,
     {5,    1,   5,   0, 0, 0,  0,  0.5, 200,  20,    10,   10,   30,   0.5, 5,     1000, 30,  20}},
    // Cold carbonated water.
    {"carbonated", 6.2, 15.0,
     {2000, 0.5, 0.5, 0, 0, 0,  0,  2,   80,   400,   30,   60,   150,  0.5, 50,    80,   0.02, 2}},
};
// clang-format on

/// Speciates the water at the temperature of its pH measurement as the calculation sequence
/// does: first ionic strength from the major cations, setini, then masbal and spemol six times
/// with the ionic strength of the last result. Returns the species in s (s.ionic is the ionic
/// strength the last masbal used) and adds the mass balances that ended unconverged to
/// unconverged.
inline void speciate_as_sampled(const water& wt, speciation_state& s, int& unconverged) {
  const component_vector c = wt.totals();
  s.t = wt.ph_t_c + zero_celsius_k;
  s.ah = std::pow(10.0, -wt.ph);
  s.ionic = c[comp::na] + c[comp::k] + 4 * (c[comp::mg] + c[comp::ca]);
  s.m = setini(c);
  for (int pass = 0; pass < 6; ++pass) {
    if (pass > 0) s.ionic = strion(s.m);
    s.mb = keep_x(masbal(c, s.ah, s.t, s.ionic, s.m), s.x);
    unconverged += s.mb.converged ? 0 : 1;
    s.m = spemol(s.x, s.ah, s.t, s.ionic);
  }
}

}  // namespace morva
