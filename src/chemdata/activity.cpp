#include "chemdata/activity.h"

#include <array>
#include <cmath>
#include <cstddef>

#include "morva/tables.h"

namespace morva {

namespace {

/// Parameters of the extended Debye-Hueckel law at one temperature.
struct debye_huckel {
  double a = 0.0;     ///< (kg/mol)^0.5
  double b = 0.0;     ///< (kg/mol)^0.5 per angstrom
  double bdot = 0.0;  ///< kg/mol
};

debye_huckel parameters(double t) {
  // A and B as polynomials in the Celsius temperature in hundreds of degrees.
  const double tc = 0.01 * (t - 273.15);
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

/// Activity coefficient of an ion of charge z and size parameter `size` (angstrom) at the
/// ionic strength I = root_i^2 (mol/kg).
double coefficient(double z, double size, const debye_huckel& p, double root_i, double ionic) {
  const double log_gamma = -(z * z * p.a * root_i / (1.0 + size * p.b * root_i) + p.bdot * ionic);
  return std::pow(10.0, log_gamma);
}

}  // namespace

double gamma(int i, double t, double ionic) {
  return coefficient(species_charge[i], species_ion_size[i], parameters(t), std::sqrt(ionic),
                     ionic);
}

void gamma_all(double t, double ionic, species_vector& g) {
  const debye_huckel p = parameters(t);
  const double root_i = std::sqrt(ionic);
  // The law reads a species only through z^2 and its size: the 69 species fall into about
  // twenty such classes, and each class is evaluated once.
  struct known {
    double z2, size, gamma;
  };
  std::array<known, species_vector::size> classes;
  std::size_t n = 0;
  for (int i = 1; i <= species_vector::size; ++i) {
    const double z = species_charge[i];
    const double z2 = z * z;
    const double size = species_ion_size[i];
    std::size_t c = 0;
    while (c < n && !(classes[c].z2 == z2 && classes[c].size == size)) ++c;
    if (c == n) classes[n++] = {z2, size, coefficient(z, size, p, root_i, ionic)};
    g[i] = classes[c].gamma;
  }
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
