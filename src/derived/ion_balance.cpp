#include "derived/ion_balance.h"

namespace morva {

namespace {

// Sum of the molalities of the listed species, in list order.
template <int N>
double sum_of(const species_vector& m, const int (&species)[N]) {
  double s = 0.0;
  for (int i : species) s += m[i];
  return s;
}

}  // namespace

ion_balance balion(const species_vector& m) {
  // The charged species by side and charge; neutral species carry no equivalents.
  // clang-format off
  static constexpr int anion1[] = {
      sp::oh, sp::h3sio4, sp::h2bo3, sp::hco3, sp::hs, sp::hso4, sp::f, sp::cl, sp::naso4,
      sp::kso4, sp::feoh3m, sp::feoh4m, sp::fecl4, sp::aloh4, sp::also42, sp::alf4,
  };
  static constexpr int anion2[] = {sp::h2sio4, sp::co3, sp::s, sp::so4, sp::feoh4mm, sp::alf5};
  static constexpr int cation1[] = {
      sp::h, sp::na, sp::k, sp::cahco3, sp::mghco3, sp::caoh, sp::mgoh, sp::nh4, sp::feoh,
      sp::feoh2p, sp::fecl, sp::fecl2p, sp::feso4p, sp::aloh2, sp::also4, sp::alf2,
  };
  static constexpr int cation2[] = {sp::ca, sp::mg, sp::fe2, sp::feoh_2p, sp::fecl_2p, sp::aloh,
                                    sp::alf};
  // clang-format on
  ion_balance r;
  r.anions = sum_of(m, anion1) + 2.0 * sum_of(m, anion2) + 3.0 * m[sp::alf6];
  r.cations = sum_of(m, cation1) + 2.0 * sum_of(m, cation2) + 3.0 * (m[sp::fe3] + m[sp::al]);
  // An empty distribution is balanced rather than undefined.
  const double total = r.cations + r.anions;
  r.difference_pct = total != 0.0 ? 200.0 * (r.cations - r.anions) / total : 0.0;
  return r;
}

}  // namespace morva
