#include "chemdata/equilibrium_constants.h"

#include <cmath>
#include <initializer_list>

#include "chemdata/activity.h"
#include "morva/indexed.h"
#include "morva/tables.h"

namespace morva {

namespace {

/// Coefficients of log10 K = a + b/T + c*T + d*T^2 + e*ln(T) + f/T^2 + g*ba(T)/T.
struct log_k_terms {
  double a, b, c, d, e, f, g;
};

/// The two products of a dissociation reaction, as species positions; 0 where there is none.
struct products {
  int first, second;
};

// Coefficients of log10 K, one row per species, in species order; the all-zero rows of the free
// ions (marked "free") give K = 1 and are never read by recdis: those ions have no reaction of
// their own.
// clang-format off
constexpr one_based<struct log_k_tag, 69, log_k_terms> log_k_coef{{
  {84.405, -6552.8, 0.0, 8.321e-06, -13.4095, 0.0, -224.92},                  // H+ row: water
  {},                                                                         // OH- (free)
  {0.0, -2548.6, 0.0, -1.5364e-05, 0.0, 0.0, 0.0},                            // H4SiO4
  {5.368, -3320.1, -0.019996, 0.0, 0.0, 0.0, 0.0},                            // H3SiO4-
  {},                                                                         // H2SiO4-- (free)
  {0.0, -269.5, 0.0, -2.7143e-06, 0.0, 0.0, 0.0},                             // NaH3SiO4
  {36.049, -2622.6, 0.0, 0.0, -6.4102, 0.0, 0.0},                             // H3BO3
  {},                                                                         // H2BO3- (free)
  {-0.789, -262.721, -0.003362, -1.186e-05, -0.14262, -161780.1, 0.0},        // H2CO3
  {2865.991, -102244.0, 1.011332, -0.0003755351, -498.4269, 3405483.0, 0.0},  // HCO3-
  {},                                                                         // CO3-- (free)
  {782.43945, -20565.7315, 0.361261, -0.00016722, -142.741722, 0.0, 0.0},     // H2S
  {-12.092, -1501.8, 0.0, 0.0, 0.0, 5234.0, 0.0},                             // HS-
  {},                                                                         // S-- (free)
  {0.384, 1422.6, 0.0, 0.0, -0.3841, 0.0, 0.0},                               // H2SO4
  {5.118, -528.5, -0.017928, 0.0, 0.0, 0.0, 0.0},                             // HSO4-
  {},                                                                         // SO4-- (free)
  {2.032, -430.0, -0.012642, 0.0, 0.0, 0.0, 0.0},                             // HF
  {},                                                                         // F- (free)
  {},                                                                         // Cl- (free)
  {},                                                                         // Na+ (free)
  {},                                                                         // K+ (free)
  {},                                                                         // Ca++ (free)
  {},                                                                         // Mg++ (free)
  {725.7, 57260.8, 1.055602, -0.00057608, -192.4831, -7507848.0, 428.85},     // NaCl
  {0.0, 1138.5, 0.0, 0.0, 0.0, -106618.0, 0.0},                               // KCl
  {-0.444, 204.3, 0.0, -5.2996e-06, 0.0, 0.0, 0.0},                           // NaSO4-
  {-0.953, 431.5, 0.0, 0.0, 0.0, 0.0, -397.88},                               // KSO4-
  {3.935, -677.1, -0.01239, 0.0, 0.0, 0.0, 0.0},                              // CaSO4
  {-7.624, 2122.9, 0.0, 0.0, 0.0, -157050.0, 0.0},                            // MgSO4
  {-1.455, -41.1, 0.0, -1.741e-05, 0.0, 0.0, 0.0},                            // CaCO3
  {-1.064, -234.0, 0.0, -1.273e-05, 0.0, 0.0, 0.0},                           // MgCO3
  {23.702, -101.0, 0.0, 0.0, -4.27952, 0.0, 0.0},                             // CaHCO3+
  {-0.464, -33.5, 0.0, -5.5534e-06, 0.0, 0.0, 0.0},                           // MgHCO3+
  {-0.594, 2.0, 0.0, -7.113e-06, 0.0, 0.0, 0.0},                              // CaOH+
  {-22.858, 2544.4, 0.05903, -6.1604e-05, 0.0, 0.0, 0.0},                     // MgOH+
  {-32.193, 81.9, -0.016347, 0.0, 5.8134, 0.0, -321.92},                      // NH4OH
  {},                                                                         // NH4+ (free)
  {},                                                                         // Fe++ (free)
  {},                                                                         // Fe+++ (free)
  {-0.991, -109.63, 0.0, -1.182e-05, 0.0, 0.0, 0.0},                          // FeOH+
  {-0.666, -992.04, 0.0, -7.94e-06, 0.0, 0.0, 0.0},                           // Fe(OH)2
  {0.26, -46.29, 0.0, 3.1e-06, 0.0, 0.0, 0.0},                                // Fe(OH)3-
  {-0.64, 529.97, 0.0, -7.62e-06, 0.0, 0.0, 0.0},                             // Fe(OH)4--
  {-2.234, -2146.41, 0.0, -2.6615e-05, 0.0, 0.0, 0.0},                        // Fe(OH)++
  {-2.212, -1785.12, 0.0, -2.6353e-05, 0.0, 0.0, 0.0},                        // Fe(OH)2+
  {-0.646, -1805.28, 0.0, -7.7e-06, 0.0, 0.0, 0.0},                           // Fe(OH)3
  {0.08, -1610.7, 0.0, -9.53e-07, 0.0, 0.0, 0.0},                             // Fe(OH)4-
  {0.895, 1372.4, 0.0, 0.0, -0.89536, 0.0, 0.0},                              // FeCl+
  {3.22, 9784.3, 0.0, 0.0, -3.22811, 0.0, 0.0},                               // FeCl2
  {-1.736, 630.1, 0.0, -2.0778e-05, 0.0, 0.0, 0.0},                           // FeCl++
  {-0.167, -91.1, 0.0, -1.997e-06, 0.0, 0.0, 0.0},                            // FeCl2+
  {-0.167, 400.8, 0.0, -1.997e-06, 0.0, 0.0, 0.0},                            // FeCl3
  {-0.167, 675.1, 0.0, -1.997e-06, 0.0, 0.0, 0.0},                            // FeCl4-
  {-0.626, -270.9, 0.0, -7.488e-06, 0.0, 0.0, 0.0},                           // FeSO4
  {-2.075, 42.5, 0.0, -2.4834e-05, 0.0, 0.0, 0.0},                            // FeSO4+
  {},                                                                         // Al+++ (free)
  {-1.868, -953.48, -0.00048591, -1.8654e-05, -0.2549, -62426.0, 0.0},        // AlOH++
  {-5.647, -709.37, 0.01741, -2.7289e-05, -0.7144, 40766.3, 0.0},             // Al(OH)2+
  {-1.691, -1314.7, 0.001898, -1.5412e-05, -0.1894, -3057.3, 0.0},            // Al(OH)3
  {-2.25, -1827.0, 0.0045193, -6.3768e-06, -0.2376, 149993.0, 0.0},           // Al(OH)4-
  {-1.124, -207.1, 0.0, -1.3405e-05, 0.0, 0.0, 0.0},                          // AlSO4+
  {-0.585, -203.9, 0.0, -6.983e-06, 0.0, 0.0, 0.0},                           // Al(SO4)2-
  {-1.85, -941.5, 0.0, -2.2071e-05, 0.0, 0.0, 0.0},                           // AlF++
  {-1.505, -747.9, 0.0, -1.7956e-05, 0.0, 0.0, 0.0},                          // AlF2+
  {-1.004, -591.0, 0.0, -1.1971e-05, 0.0, 0.0, 0.0},                          // AlF3
  {-0.575, -356.4, 0.0, -6.858e-06, 0.0, 0.0, 0.0},                           // AlF4-
  {-0.262, -241.8, 0.0, -3.114e-06, 0.0, 0.0, 0.0},                           // AlF5--
  {0.146, -239.0, 0.0, 1.746e-06, 0.0, 0.0, 0.0},                             // AlF6---
}};
// clang-format on

// Products of the reaction in which species i dissociates (row 1: water into H+ and OH-);
// an empty row marks a free ion.
// clang-format off
constexpr one_based<struct products_tag, 69, products> reaction{{
  {sp::h, sp::oh},        // H2O = H+ + OH-
  {},                     // OH- (free)
  {sp::h, sp::h3sio4},    // H4SiO4 = H+ + H3SiO4-
  {sp::h, sp::h2sio4},    // H3SiO4- = H+ + H2SiO4--
  {},                     // H2SiO4-- (free)
  {sp::na, sp::h3sio4},   // NaH3SiO4 = Na+ + H3SiO4-
  {sp::h, sp::h2bo3},     // H3BO3 = H+ + H2BO3-
  {},                     // H2BO3- (free)
  {sp::h, sp::hco3},      // H2CO3 = H+ + HCO3-
  {sp::h, sp::co3},       // HCO3- = H+ + CO3--
  {},                     // CO3-- (free)
  {sp::h, sp::hs},        // H2S = H+ + HS-
  {sp::h, sp::s},         // HS- = H+ + S--
  {},                     // S-- (free)
  {sp::h, sp::hso4},      // H2SO4 = H+ + HSO4-
  {sp::h, sp::so4},       // HSO4- = H+ + SO4--
  {},                     // SO4-- (free)
  {sp::h, sp::f},         // HF = H+ + F-
  {},                     // F- (free)
  {},                     // Cl- (free)
  {},                     // Na+ (free)
  {},                     // K+ (free)
  {},                     // Ca++ (free)
  {},                     // Mg++ (free)
  {sp::na, sp::cl},       // NaCl = Na+ + Cl-
  {sp::k, sp::cl},        // KCl = K+ + Cl-
  {sp::na, sp::so4},      // NaSO4- = Na+ + SO4--
  {sp::k, sp::so4},       // KSO4- = K+ + SO4--
  {sp::ca, sp::so4},      // CaSO4 = Ca++ + SO4--
  {sp::mg, sp::so4},      // MgSO4 = Mg++ + SO4--
  {sp::ca, sp::co3},      // CaCO3 = Ca++ + CO3--
  {sp::mg, sp::co3},      // MgCO3 = Mg++ + CO3--
  {sp::ca, sp::hco3},     // CaHCO3+ = Ca++ + HCO3-
  {sp::mg, sp::hco3},     // MgHCO3+ = Mg++ + HCO3-
  {sp::ca, sp::oh},       // CaOH+ = Ca++ + OH-
  {sp::mg, sp::oh},       // MgOH+ = Mg++ + OH-
  {sp::nh4, sp::oh},      // NH4OH = NH4+ + OH-
  {},                     // NH4+ (free)
  {},                     // Fe++ (free)
  {},                     // Fe+++ (free)
  {sp::fe2, sp::oh},      // FeOH+ = Fe++ + OH-
  {sp::feoh, sp::oh},     // Fe(OH)2 = FeOH+ + OH-
  {sp::feoh2, sp::oh},    // Fe(OH)3- = Fe(OH)2 + OH-
  {sp::feoh3m, sp::oh},   // Fe(OH)4-- = Fe(OH)3- + OH-
  {sp::fe3, sp::oh},      // Fe(OH)++ = Fe+++ + OH-
  {sp::feoh_2p, sp::oh},  // Fe(OH)2+ = Fe(OH)++ + OH-
  {sp::feoh2p, sp::oh},   // Fe(OH)3 = Fe(OH)2+ + OH-
  {sp::feoh3, sp::oh},    // Fe(OH)4- = Fe(OH)3 + OH-
  {sp::fe2, sp::cl},      // FeCl+ = Fe++ + Cl-
  {sp::fecl, sp::cl},     // FeCl2 = FeCl+ + Cl-
  {sp::fe3, sp::cl},      // FeCl++ = Fe+++ + Cl-
  {sp::fecl_2p, sp::cl},  // FeCl2+ = FeCl++ + Cl-
  {sp::fecl2p, sp::cl},   // FeCl3 = FeCl2+ + Cl-
  {sp::fecl3, sp::cl},    // FeCl4- = FeCl3 + Cl-
  {sp::fe2, sp::so4},     // FeSO4 = Fe++ + SO4--
  {sp::fe3, sp::so4},     // FeSO4+ = Fe+++ + SO4--
  {},                     // Al+++ (free)
  {sp::al, sp::oh},       // AlOH++ = Al+++ + OH-
  {sp::aloh, sp::oh},     // Al(OH)2+ = AlOH++ + OH-
  {sp::aloh2, sp::oh},    // Al(OH)3 = Al(OH)2+ + OH-
  {sp::aloh3, sp::oh},    // Al(OH)4- = Al(OH)3 + OH-
  {sp::al, sp::so4},      // AlSO4+ = Al+++ + SO4--
  {sp::also4, sp::so4},   // Al(SO4)2- = AlSO4+ + SO4--
  {sp::al, sp::f},        // AlF++ = Al+++ + F-
  {sp::alf, sp::f},       // AlF2+ = AlF++ + F-
  {sp::alf2, sp::f},      // AlF3 = AlF2+ + F-
  {sp::alf3, sp::f},      // AlF4- = AlF3 + F-
  {sp::alf4, sp::f},      // AlF5-- = AlF4- + F-
  {sp::alf5, sp::f},      // AlF6--- = AlF5-- + F-
}};
// clang-format on

/// Dissociation constant of row i at T (K), given ln T and ba(T).
double constant_of(int i, double t, double ln_t, double ba_t) {
  const log_k_terms& k = log_k_coef[i];
  double log_k =
      k.a + k.b / t + k.c * t + k.d * (t * t) + k.e * ln_t + k.f / (t * t) + k.g * ba_t / t;
  if (i == sp::kcl) {
    // Ion pairing of KCl also carries an explicit electrostatic term in 1/(eps T).
    log_k = log_k - 25316.12 / (eps(t) * t);
  }
  return std::pow(10.0, log_k);
}

/// Reaction factor of species i from its dissociation constant k_i and the activity
/// coefficients gamma_of(j) of the species j; 0 for a free ion.
template <class Gammas>
double factor_of(int i, double k_i, const Gammas& gamma_of) {
  const products& p = reaction[i];
  if (p.first == 0) return 0.0;

  // The solver carries the activity of H+ itself, and neutral species count as ideal; only the
  // other charged products contribute their activity coefficients.
  double numerator = 1.0;
  for (int j : {p.first, p.second}) {
    if (j != sp::h && species_charge[j] != 0.0) numerator *= gamma_of(j);
  }
  // The dissociating species: H2O (neutral) for row 1, species i itself otherwise.
  double denominator = k_i;
  if (i != sp::h && species_charge[i] != 0.0) denominator *= gamma_of(i);
  return numerator / denominator;
}

}  // namespace

double ba(double t) { return std::exp(t / 219.0 + std::exp(0.01875 * t - 12.741) - 1.3622); }

double eps(double t) { return 305.7 * std::exp(-t / 219.0 - std::exp(0.01875 * t - 12.741)); }

double discon(int i, double t) { return constant_of(i, t, std::log(t), ba(t)); }

double recdis(int i, double t, double ionic) {
  if (reaction[i].first == 0) return 0.0;
  return factor_of(i, discon(i, t), [t, ionic](int j) { return gamma(j, t, ionic); });
}

species_vector discon_all(double t) {
  const double ln_t = std::log(t);
  const double ba_t = ba(t);
  species_vector k;
  for (int i = 1; i <= species_vector::size; ++i) k[i] = constant_of(i, t, ln_t, ba_t);
  return k;
}

namespace {

/// The species whose activity coefficients enter the reaction factor of one species: the
/// charged products other than H+ (over the constant) and the dissociating species itself
/// when charged (under it); 0 where there is none.
struct factor_species {
  bool free = true;  ///< a free ion: no reaction, factor 0
  int first = 0, second = 0, self = 0;
};

/// The factor species of every row, found once from the reaction and charge tables: the
/// choices factor_of makes for each call, made ahead.
const one_based<struct factor_tag, 69, factor_species>& factor_table() {
  static const one_based<struct factor_tag, 69, factor_species> table = [] {
    one_based<struct factor_tag, 69, factor_species> t;
    for (int i = 1; i <= species_vector::size; ++i) {
      const products& p = reaction[i];
      if (p.first == 0) continue;
      const auto charged = [](int j) { return j != sp::h && species_charge[j] != 0.0; };
      t[i] = {false, charged(p.first) ? p.first : 0, charged(p.second) ? p.second : 0,
              charged(i) ? i : 0};
    }
    return t;
  }();
  return table;
}

}  // namespace

species_vector recdis_all(const species_vector& k, const species_vector& g) {
  const one_based<struct factor_tag, 69, factor_species>& table = factor_table();
  species_vector r;
  for (int i = 1; i <= species_vector::size; ++i) {
    const factor_species& f = table[i];
    if (f.free) {
      r[i] = 0.0;
      continue;
    }
    // The products of factor_of, in its order.
    double numerator = 1.0;
    if (f.first != 0) numerator *= g[f.first];
    if (f.second != 0) numerator *= g[f.second];
    double denominator = k[i];
    if (f.self != 0) denominator *= g[f.self];
    r[i] = numerator / denominator;
  }
  return r;
}

}  // namespace morva
