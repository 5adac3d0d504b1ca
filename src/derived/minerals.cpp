#include "derived/minerals.h"

#include <array>
#include <cmath>

namespace morva {

namespace {

/// Coefficients of log K = a + b/T + c*T + d/T^2 + e*log10 T (T in K).
struct logk_fit {
  double a = 0.0, b = 0.0, c = 0.0, d = 0.0, e = 0.0;
};

/// n moles of species k in a dissolution reaction: products positive, consumed species
/// negative; k = 0 marks an unused slot.
struct term {
  double n = 0.0;
  int k = 0;
};

/// Dissolution reaction of one mineral written with the basis species of the speciation
/// (water left out, its activity taken as 1), and the species that must be present for the
/// activity product to mean anything; 0 marks an unused slot.
struct reaction {
  std::array<term, 5> terms{};
  std::array<int, 4> required{};
};

/// log10 activity of species k; the neutral H4SiO4 and H2S are taken as ideal.
double log_activity(int k, const species_vector& logm, const species_vector& loggam) {
  if (k == sp::h4sio4 || k == sp::h2s) return logm[k];
  return logm[k] + loggam[k];
}

}  // namespace

double solpro(int mineral, double t) {
  // clang-format off
  static constexpr one_based<struct mineral_tag, 29, logk_fit> fit{{
      //        a            b            c             d            e
      {     38.85,    -17260.0,   -0.0458,     1012722.0,       0.0},  // Adularia
      {     36.83,    -16474.0,   -0.0439,     1004631.0,       0.0},  // Albite, low
      {     34.08,    -14577.0,   -0.0407,      970981.0,       0.0},  // Analcime
      {      6.2,      -1217.0,   -0.0229,           0.0,       0.0},  // Anhydrite
      {     10.22,     -2476.0,   -0.0349,           0.0,       0.0},  // Calcite
      {      0.11,     -1101.0,    0.0,              0.0,       0.0},  // Chalcedony
      {  -1022.12,      9363.0,   -0.3861,           0.0,     412.46},  // Mg-Chlorite
      {     66.54,     -4318.0,    0.0,              0.0,     -25.47},  // Fluorite
      {    -80.34,     20290.0,    0.099,     -2179296.0,       0.0},  // Goethite
      {     65.95,    -28358.0,   -0.0828,     1916098.0,       0.0},  // Laumontite
      {     44.55,    -19883.0,   -0.0498,     1214019.0,       0.0},  // Microcline
      {   -155.58,     35298.0,    0.1658,    -4258774.0,       0.0},  // Magnetite
      {  30499.49,  -1954295.0,    3.5109,   125536640.0,  -10715.66},  // Ca-Montmor.
      {  15075.11,   -967127.0,    1.7346,    61985927.0,   -5294.72},  // K-Montmor.
      {  30514.87,  -1953843.0,    3.5188,   125538830.0,  -10723.71},  // Mg-Montmor.
      {  15273.9,    -978782.0,    1.7623,    62805036.0,   -5366.18},  // Na-Montmor.
      {   6113.68,   -394755.0,    0.6914,    25226323.0,   -2144.77},  // Muscovite
      {     90.53,    -36162.0,   -0.1298,     2511432.0,       0.0},  // Prehnite
      {   3014.68,   -103450.0,    1.2522,           0.0,   -1284.86},  // Pyrrhotite
      {   4523.89,   -180405.0,    1.6002,           0.0,   -1860.33},  // Pyrite
      {   1950.18,    -90633.0,    0.525114,    4647010.0,   -745.49},  // Quartz
      {     61.0,     -25018.0,   -0.0847,     1801911.0,       0.0},  // Wairakite
      {   -222.85,     16258.0,   -0.0337,     -671106.0,      80.68},  // Wollastonite
      {    106.61,    -40448.0,   -0.1497,     3028977.0,       0.0},  // Zoisite
      { -27399.84,   1542767.0,   -3.8749,   -92778364.0,    9850.38},  // Epidote
      {   4467.61,   -169944.0,    1.5879,           0.0,   -1838.45},  // Marcasite
      {  -1408.41,     91687.0,   -0.1881,    -5206722.0,     499.98},  // Talc
      {  -1372.98,     87793.0,   -0.1915,    -4357674.0,     491.51},  // Chrysotile
      {    -0.2588,     -731.0,    0.0,              0.0,       0.0},  // Sil. amorph.
  }};
  // clang-format on
  const logk_fit& f = fit[mineral];
  double s = f.b / t + f.a;
  s = s + f.c * t;
  s = s + f.d / (t * t);
  double logk = f.e * std::log10(t) + s;
  // The quartz fit carries an extra quadratic term in T.
  if (mineral == min::quartz) logk = logk - 0.000160883 * t * t;
  return logk;
}

namespace {

/// The dissolution reactions of the minerals, in the order of the mineral table.
const reaction& reaction_of(int mineral) {
  using namespace sp;
  // clang-format off
  static constexpr one_based<struct mineral_tag, 29, reaction> rx{{
      {{{{1, k}, {1, aloh4}, {3, h4sio4}}}, {k, aloh4, h4sio4}},                    // Adularia
      {{{{1, na}, {1, aloh4}, {3, h4sio4}}}, {na, aloh4, h4sio4}},                  // Albite, low
      {{{{1, na}, {1, aloh4}, {2, h4sio4}}}, {na, aloh4, h4sio4}},                  // Analcime
      {{{{1, ca}, {1, so4}}}, {ca, so4}},                                           // Anhydrite
      {{{{1, ca}, {1, co3}}}, {ca, co3}},                                           // Calcite
      {{{{1, h4sio4}}}, {h4sio4}},                                                  // Chalcedony
      {{{{5, mg}, {2, aloh4}, {3, h4sio4}, {8, oh}}}, {mg, aloh4, h4sio4}},         // Mg-Chlorite
      {{{{1, ca}, {2, f}}}, {ca, f}},                                               // Fluorite
      {{{{1, feoh4m}, {-1, oh}}}, {feoh4m}},                                        // Goethite
      {{{{1, ca}, {2, aloh4}, {4, h4sio4}}}, {ca, aloh4, h4sio4}},                  // Laumontite
      {{{{1, k}, {1, aloh4}, {3, h4sio4}}}, {k, aloh4, h4sio4}},                    // Microcline
      {{{{2, feoh4m}, {1, fe2}}}, {feoh4m, fe2}},                                   // Magnetite
      {{{{1, ca}, {14, aloh4}, {22, h4sio4}, {-12, oh}}}, {ca, aloh4, h4sio4}},     // Ca-Montmor.
      {{{{1, k}, {7, aloh4}, {11, h4sio4}, {-6, oh}}}, {k, aloh4, h4sio4}},         // K-Montmor.
      {{{{1, mg}, {14, aloh4}, {22, h4sio4}, {-12, oh}}}, {mg, aloh4, h4sio4}},     // Mg-Montmor.
      {{{{1, na}, {7, aloh4}, {11, h4sio4}, {-6, oh}}}, {na, aloh4, h4sio4}},       // Na-Montmor.
      {{{{1, k}, {3, aloh4}, {3, h4sio4}, {-2, oh}}}, {k, aloh4, h4sio4}},          // Muscovite
      {{{{2, ca}, {2, aloh4}, {3, h4sio4}, {2, oh}}}, {ca, aloh4, h4sio4}},         // Prehnite
      {{{{8, feoh4m}, {9, h2s}, {-6, oh}, {-1, so4}}}, {feoh4m, h2s, so4}},         // Pyrrhotite
      {{{{8, feoh4m}, {15, h2s}, {-10, oh}, {1, so4}}}, {feoh4m, h2s, so4}},        // Pyrite
      {{{{1, h4sio4}}}, {h4sio4}},                                                  // Quartz
      {{{{1, ca}, {2, aloh4}, {4, h4sio4}}}, {ca, aloh4, h4sio4}},                  // Wairakite
      {{{{1, ca}, {1, h4sio4}, {-2, h}}}, {ca, h4sio4}},                            // Wollastonite
      {{{{2, ca}, {3, aloh4}, {3, h4sio4}, {1, oh}}}, {ca, aloh4, h4sio4}},         // Zoisite
      {{{{2, ca}, {1, feoh4m}, {2, aloh4}, {3, h4sio4}, {1, oh}}},
       {feoh4m, aloh4, ca, h4sio4}},                                                // Epidote
      {{{{8, feoh4m}, {15, h2s}, {-10, oh}, {1, so4}}}, {feoh4m, h2s, so4}},        // Marcasite
      {{{{3, mg}, {4, h4sio4}, {-6, h}}}, {mg, h4sio4}},                            // Talc
      {{{{3, mg}, {2, h4sio4}, {-6, h}}}, {mg, h4sio4}},                            // Chrysotile
      {{{{1, h4sio4}}}, {h4sio4}},                                                  // Sil. amorph.
  }};
  // clang-format on
  return rx[mineral];
}

}  // namespace

mineral_vector solpro_all(double t) {
  mineral_vector log_k;
  for (int j = 1; j <= mineral_vector::size; ++j) log_k[j] = solpro(j, t);
  return log_k;
}

const std::vector<int>& mineral_reaction_species() {
  // Found once from the reaction table.
  static const std::vector<int> used = [] {
    std::vector<int> k;
    for (int i = 1; i <= species_vector::size; ++i) {
      bool in = false;
      for (int j = 1; j <= mineral_vector::size; ++j) {
        for (const term& tm : reaction_of(j).terms) in = in || tm.k == i;
      }
      if (in) k.push_back(i);
    }
    return k;
  }();
  return used;
}

int reaction_species(int mineral) {
  double n = 0.0;
  for (const term& tm : reaction_of(mineral).terms) {
    if (tm.k != 0) n += std::abs(tm.n);
  }
  return static_cast<int>(n);
}

double reaction_coefficient(int mineral, int species) {
  double n = 0.0;
  for (const term& tm : reaction_of(mineral).terms) {
    if (tm.k == species) n += tm.n;
  }
  return n;
}

std::optional<double> actpro(int mineral, const species_vector& m, const species_vector& logm,
                             const species_vector& loggam) {
  // Below this molality a species counts as absent from the fluid, mol/kg.
  constexpr double tiny = 1e-20;
  const reaction& r = reaction_of(mineral);
  // H+ and OH- are always part of a speciation and are not tested.
  for (int kreq : r.required)
    if (kreq != 0 && !(m[kreq] > tiny)) return std::nullopt;
  double logq = 0.0;
  for (const term& tm : r.terms)
    if (tm.k != 0) logq = logq + tm.n * log_activity(tm.k, logm, loggam);
  return logq;
}

}  // namespace morva
