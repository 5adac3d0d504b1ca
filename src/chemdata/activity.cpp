#include "chemdata/activity.h"

#include <array>
#include <cmath>
#include <cstddef>

#include "morva/tables.h"
#include "morva/units.h"

namespace morva {

debye_huckel debye_huckel_at(double t) {
  // A and B as polynomials in the Celsius temperature in hundreds of degrees.
  const double tc = 0.01 * (t - zero_celsius_k);
  const double t2 = tc * tc;
  const double t4 = t2 * t2;
  const double t6 = t4 * t2;
  debye_huckel p;
  p.a = 0.503145 + 0.105305 * t2 - 0.010825 * t4 + 0.000945 * t6;
  p.b = 0.32342 + 0.018005 * tc + 0.00117 * t2 + 0.000015 * t6;

  // B-dot: a parabola up to 200 °C, a logarithmic fall-off to 275 °C, zero beyond.
  // The fall-off dips below zero just short of 548.15 K (log10 of a small positive number);
  // it stays finite because the next range starts at 548.15 K exactly.
  if (t <= 473.15) {
    const double dt = 448.15 - t;
    p.bdot = 0.0472 - 3.0040816e-07 * (dt * dt);
  } else if (t < 548.15) {
    p.bdot = 0.027208772 * std::log10(548.15 - t) - 0.004018116;
  }
  return p;
}

namespace {

/// Activity coefficient of an ion of charge z and size parameter `size` (angstrom) at the
/// ionic strength I = root_i^2 (mol/kg).
double coefficient(double z, double size, const debye_huckel& p, double root_i, double ionic) {
  const double log_gamma = -(z * z * p.a * root_i / (1.0 + size * p.b * root_i) + p.bdot * ionic);
  return std::pow(10.0, log_gamma);
}

}  // namespace

double gamma(int i, double t, double ionic) {
  return coefficient(species_charge[i], species_ion_size[i], debye_huckel_at(t), std::sqrt(ionic),
                     ionic);
}

namespace {

/// The law reads a species only through z^2 and its size: the 69 species fall into about
/// twenty such classes, each evaluated once per call. The classes are fixed by the species
/// table, so they are found once.
struct species_classes {
  std::array<double, species_vector::size> z{};        ///< charge of the first species of a class
  std::array<double, species_vector::size> size{};     ///< its size parameter, angstrom
  std::array<std::size_t, species_vector::size> of{};  ///< class of each species (0-based)
  std::size_t n = 0;                                   ///< number of classes
};

const species_classes& classes() {
  static const species_classes known = [] {
    species_classes k;
    for (int i = 1; i <= species_vector::size; ++i) {
      const double z = species_charge[i];
      const double size = species_ion_size[i];
      std::size_t c = 0;
      while (c < k.n && !(k.z[c] * k.z[c] == z * z && k.size[c] == size)) ++c;
      if (c == k.n) {
        k.z[c] = z;
        k.size[c] = size;
        ++k.n;
      }
      k.of[static_cast<std::size_t>(i - 1)] = c;
    }
    return k;
  }();
  return known;
}

}  // namespace

species_vector gamma_all(double t, double ionic) { return gamma_all(debye_huckel_at(t), ionic); }

species_vector gamma_all(const debye_huckel& p, double ionic) {
  species_vector g;
  const double root_i = std::sqrt(ionic);
  const species_classes& k = classes();
  std::array<double, species_vector::size> gamma{};
  for (std::size_t c = 0; c < k.n; ++c) gamma[c] = coefficient(k.z[c], k.size[c], p, root_i, ionic);
  for (int i = 1; i <= species_vector::size; ++i)
    g[i] = gamma[k.of[static_cast<std::size_t>(i - 1)]];
  return g;
}

double strion(const species_vector& m) {
  // Neutral species carry z = 0 and drop out; tervalent ions weigh 9, divalent 4.
  double sum = 0.0;
  for (int i = 1; i <= species_vector::size; ++i) {
    const double z = species_charge[i];
    sum += z * z * m[i];
  }
  return 0.5 * sum;
}

}  // namespace morva
