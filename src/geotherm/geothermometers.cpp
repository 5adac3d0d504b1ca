#include "geotherm/geothermometers.h"

#include <cmath>

#include "morva/tables.h"
#include "morva/units.h"
#include "steam/saturation.h"

namespace morva {

namespace {

/// log10 of the Na/K activity ratio of a water in equilibrium with the alkali feldspars at
/// T (K); falls with rising temperature. Fit of Geochim. Cosmochim. Acta, vol. 47,
/// pp. 567-577 (1983).
double f(double t) {
  return -1.782 - 2775.5 / t + 558780.0 / (t * t) - 0.00969 * t + 4.104 * std::log10(t);
}

}  // namespace

double hqtz(double sio2) {
  // Quartz solubility fit, temperature in °C against silica in mg/kg (Geothermal Resources
  // Council Bulletin, pp. 3-12, November 1982).
  const double s = w(comp::sio2) * sio2;
  if (!(s > 1e-30)) return t_marker_high_k;
  const double s2 = s * s;
  const double s3 = s2 * s;
  return zero_celsius_k +
         (-42.198 + 0.28831 * s - 0.00036686 * s2 + 3.1665e-07 * s3 + 77.034 * std::log10(s));
}

double hcha(double sio2) {
  // Chalcedony solubility, log10 of silica in mg/kg linear in 1/T (Geothermics, vol. 5,
  // pp. 41-50, 1977).
  if (!(sio2 > 1e-30)) return t_marker_high_k;
  const double denom = 4.69 - std::log10(60090.0 * sio2);
  // From about 49 000 mg/kg upwards the fit has no positive temperature.
  if (!(denom > 0.0)) return t_marker_high_k;
  return 1032.0 / denom;
}

double hnak(double na, double k, double gamma_na, double gamma_k) {
  // The activity ratio has no logarithm without both ions.
  if (!(na > 0.0) || !(k > 0.0)) return t_marker_high_k;
  const double r = std::log10((na * gamma_na) / (k * gamma_k));
  if (r > f(zero_celsius_k)) return t_marker_low_k;
  if (r < f(623.149)) return t_marker_high_k;
  // Bisection on f(T) = r over 0 to 350 °C; f is monotonic, so 18 halvings always suffice.
  constexpr int maxit = 100;
  constexpr double tol = 0.002;  // K
  double lo = zero_celsius_k;
  double hi = 623.15;
  double flo = f(lo) - r;
  for (int it = 0; it < maxit; ++it) {
    const double mid = (lo + hi) / 2.0;
    const double fm = f(mid) - r;
    if (flo * fm > 0.0) {
      lo = mid;
      flo = fm;
    } else {
      hi = mid;
    }
    if (hi - lo < tol) break;
  }
  return lo;
}

double quasol(double t) {
  // Inverts hqtz: the silica concentration x (mg/kg) whose quartz temperature is t (°C), by
  // regula falsi with the Illinois halving on a fixed bracket from 3.5 to 800 mg/kg. Outside
  // about 0.7 to 339.4 °C the chord extrapolates beyond the bracket.
  constexpr int maxit = 100;
  constexpr double tol = 0.001;  // mg/kg, width of the bracket
  const double wsio2 = w(comp::sio2);
  const double tc = t - zero_celsius_k;
  double a = 800.0;
  double fa = 339.4 - tc;  // 339.4 °C: quartz temperature of 800 mg/kg
  double b = 3.5;
  double fb = 0.7183 - tc;  // 0.7183 °C: quartz temperature of 3.5 mg/kg
  double fprev = fb;
  double fx = 100.0;
  double x = b;
  for (int it = 0; it < maxit && std::abs(a - b) > tol && std::abs(fx) > 0.0; ++it) {
    x = (fa * b - fb * a) / (fa - fb);
    fx = hqtz(x / wsio2) - zero_celsius_k - tc;
    // fb may have been halved; the side is decided with the true value at b.
    const double fbtrue = hqtz(b / wsio2) - zero_celsius_k - tc;
    if (fbtrue * fx <= 0.0) {
      a = x;
      fa = fx;
      if (fprev * fx > 0.0) fb = fb / 2.0;
    } else {
      b = x;
      fb = fx;
      if (fprev * fx > 0.0) fa = fa / 2.0;
    }
    fprev = fx;
  }
  return x / wsio2;
}

double tqsolv(double tc, double sio2, double h, const species_vector& m) {
  // Only the neutral H4SiO4 share of the silica of the separated water is held by quartz.
  const double silicates = m[sp::h4sio4] + m[sp::h3sio4] + m[sp::h2sio4] + m[sp::nah3sio4];
  // Without silica species there is no neutral share to apply (rather than 0/0).
  const double s = silicates > 0.0 ? sio2 * m[sp::h4sio4] / silicates : 0.0;
  const double lc = entlat(tc);
  const double hsc = entwat(tc) + lc;  // saturated steam at the separator

  // Bisection on [274.15 K, 333 °C] for the root of g, which rises with temperature.
  constexpr int maxit = 50;
  constexpr double t_lo = 274.15;
  constexpr double t_hi = t_quartz_top_k;
  auto bisect = [&](auto g) {
    double lo = t_lo;
    double hi = t_hi;
    double mid = lo;
    for (int it = 0; it < maxit; ++it) {
      mid = (lo + hi) / 2.0;
      const double gm = g(mid);
      if (gm > 0.0) {
        hi = mid;
      } else if (gm < 0.0) {
        lo = mid;
      } else {
        break;
      }
    }
    return mid;
  };

  // All liquid in the aquifer: boiled to tc, it concentrates its silica by the steam lost.
  double t = bisect([&](double tm) { return quasol(tm) - (hsc - entwat(tm)) * s / lc; });
  if (entwat(t) < h) {
    // Excess enthalpy: the aquifer holds steam, and only its liquid part carries silica.
    t = bisect([&](double tm) {
      return quasol(tm) * (1.0 - (h - entwat(tm)) / entlat(tm)) - (hsc - h) * s / lc;
    });
  }
  return t;
}

}  // namespace morva
