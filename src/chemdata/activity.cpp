#include "chemdata/activity.h"

#include <cmath>

#include "chemdata/tables.h"

namespace morva {

double gamma(int i, double t, double ionic) {
  // Debye-Hueckel parameters as polynomials in the Celsius temperature in hundreds of degrees:
  // A in (kg/mol)^0.5, B in (kg/mol)^0.5 per angstrom.
  const double tc = 0.01 * (t - 273.15);
  const double t2 = tc * tc;
  const double t4 = t2 * t2;
  const double t6 = t4 * t2;
  const double a = 0.503145 + 0.105305 * t2 - 0.010825 * t4 + 0.000945 * t6;
  const double b = 0.32342 + 0.018005 * tc + 0.00117 * t2 + 0.000015 * t6;

  // B-dot, kg/mol: a parabola up to 200 °C, a logarithmic fall-off to 275 °C, zero beyond.
  // The fall-off dips below zero just short of 548.15 K (log10 of a small positive number);
  // it stays finite because the next range starts at 548.15 K exactly.
  double bdot = 0.0;
  if (t <= 473.15) {
    const double dt = 448.15 - t;
    bdot = 0.0472 - 3.0040816e-07 * (dt * dt);
  } else if (t < 548.15) {
    bdot = 0.027208772 * std::log10(548.15 - t) - 0.004018116;
  }

  const double z = species_charge[i];
  const double size = species_ion_size[i];
  const double root_i = std::sqrt(ionic);
  const double log_gamma = -(z * z * a * root_i / (1.0 + size * b * root_i) + bdot * ionic);
  return std::pow(10.0, log_gamma);
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
