#include "steam/saturation.h"

#include <algorithm>
#include <cmath>

namespace morva {

namespace {

// One fitted piece of an enthalpy curve along saturation: a polynomial of degree 7 in
// d = T - t0 (K) plus a square-root term, kJ/kg, valid above its lower bound t0.
struct enthalpy_piece {
  double t0;
  double a[8];  // a0 .. a7
  double s;
};

double evaluate(const enthalpy_piece& pc, double t) {
  const double d = t - pc.t0;
  double h = pc.a[0];
  double dn = 1.0;
  for (int n = 1; n <= 7; ++n) {
    dn *= d;
    h += pc.a[n] * dn;
  }
  // Below the triple point (d < 0 in the first piece) the root has no real value; its term is
  // taken as 0 there, so the curve continues the polynomial and stays finite and continuous.
  return h + pc.s * std::sqrt(std::max(d, 0.0));
}

}  // namespace

double psat(double t) {
  // Saturation-pressure fit of ln(P/Pc) in the reduced temperature, from the triple point to
  // the critical point (Pc = 221.2 bar, Tc = 647.3 K).
  // clang-format off
  static constexpr double c[] = {
      -7.6912346, -26.080237, -168.17065, 64.232855, -118.96462,  // c1 .. c5: S(x)
      4.1671173, 20.975068,                                       // c6, c7: denominator
      1000000000.0, 6.0,                                          // c8, c9: correction
  };
  // clang-format on
  constexpr double tc = 647.3;
  constexpr double pc = 221.2;
  constexpr double t_low = 273.149;
  // Written as the negation so that a NaN argument is also outside the curve.
  if (!(t >= t_low && t <= tc)) return 0.0;
  const double tau = t / tc;
  const double x = 1.0 - tau;
  const double x2 = x * x;
  const double x3 = x2 * x;
  const double x4 = x3 * x;
  const double x5 = x4 * x;
  const double s = c[0] * x + c[1] * x2 + c[2] * x3 + c[3] * x4 + c[4] * x5;
  const double ln_ratio = s / (tau * (1.0 + c[5] * x + c[6] * x2)) - x / (c[7] * x2 + c[8]);
  return pc * std::exp(ln_ratio);
}

double tsat(double p) {
  // Newton on psat from the critical point downwards, with a one-sided difference quotient;
  // psat is convex and increasing, so the iterates fall monotonically onto the root in
  // about 15 steps at most. The bound only guards against a non-finite argument.
  constexpr double p_low = 0.00610799;
  constexpr double p_high = 221.2;
  constexpr double dt = 0.001;  // K: step of the difference quotient and stopping tolerance
  constexpr int maxit = 100;
  if (!(p >= p_low && p <= p_high)) return 0.0;
  double t = 647.3;
  double tnew = t;
  for (int it = 0; it < maxit; ++it) {
    const double p1 = psat(t);
    const double p2 = psat(t - dt);
    const double slope = (p1 - p2) / dt;
    tnew = t - (p1 - p) / slope;
    if (std::abs(t - tnew) < dt) return tnew;
    t = tnew;
  }
  return tnew;
}

double entwat(double t) {
  // Liquid enthalpy along saturation, kJ/kg, in three fitted pieces; the pieces meet to within
  // a few hundredths of a kJ/kg, so the comparisons below decide the value at a boundary.
  // clang-format off
  static constexpr enthalpy_piece pieces[] = {
      {273.16, {-0.32219, 4.14372, 0.000124991, 7.99556e-07, -1.00061e-08, 1.64606e-10,
                -6.21536e-13, 9.08126e-16}, 0.289137},
      {508.15, {1058.36, 17.00383, -0.3808293, 0.01010201, -0.0001639186, 1.559551e-06,
                -7.930095e-09, 1.66988e-11}, -43.53513},
      {630.15, {2038.408, 528.7719, -108.3624, 19.84669, -2.325012, 0.1625484, -0.006154329,
                9.696464e-05}, -731.7467},
  };
  // clang-format on
  if (t <= 584.13) return evaluate(pieces[0], t);
  if (t <= 634.24) return evaluate(pieces[1], t);
  return evaluate(pieces[2], t);  // extrapolated above the critical point
}

double entlat(double t) {
  // Latent heat of vaporisation, kJ/kg, in four fitted pieces chosen by strict comparisons;
  // the last piece, near the critical point, has no square-root term.
  // clang-format off
  static constexpr enthalpy_piece pieces[] = {
      {273.16, {2501.2, -2.43853, 0.00221994, -4.29993e-05, 2.97662e-07, -1.6166e-09,
                4.39409e-12, -5.00017e-15}, 0.28702},
      {563.15, {1477.85, -6.67145, -0.0453306, 0.000995823, -4.69922e-05, 1.0871e-06,
                -1.4466e-08, 7.43229e-11}, -0.39452},
      {610.15, {1068.36, -8.25355, -0.757258, 0.0918272, -0.0071453, 0.000284122,
                -5.50019e-06, 3.91226e-08}, -4.635},
      {638.15, {644.006, -109.884, 79.6498, -38.8188, 10.3868, -1.56946, 0.124874,
                -0.0040841}, 0.0},
  };
  // clang-format on
  if (t < 570.65) return evaluate(pieces[0], t);
  if (t < 613.8) return evaluate(pieces[1], t);
  if (t < 639.14) return evaluate(pieces[2], t);
  return evaluate(pieces[3], t);
}

}  // namespace morva
