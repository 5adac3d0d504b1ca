#include "phases/gas_distribution.h"

#include <cmath>

#include "chemdata/gas_solubility.h"
#include "chemdata/units.h"
#include "steam/saturation.h"

namespace morva {

gas_vector distribution_coefficients(double t, double f) {
  // From the Henry constant (mol kg-1 bar-1) and the vapour pressure of water (bar), reduced by
  // the degassing coefficient f. The Henry's-law amount of water belongs to this coefficient;
  // the running mole sums of gasdis and vapors use the other.
  const double w = psat(t);
  gas_vector d;
  for (int i = 1; i <= gas_vector::size; ++i)
    d[i] = std::pow(10.0, henryk(i, t)) * w / (water_mol_per_kg_henry * f);
  return d;
}

gas_split gasdis(const gas_vector& vstart, const gas_vector& mstart, const gas_vector& b,
                 const gas_vector& tot, double t, double x, double f) {
  return gasdis(vstart, mstart, b, tot, distribution_coefficients(t, f), x);
}

gas_split gasdis(const gas_vector& vstart, const gas_vector& mstart, const gas_vector& b,
                 const gas_vector& tot, const gas_vector& d, double x) {
  constexpr int maxit = 10;
  constexpr double epp = 1e-30;
  constexpr double tol = 0.001;

  gas_split r{vstart, mstart};
  gas_vector& v = r.v;
  gas_vector& m = r.m;

  // Moles per kg of the liquid (water plus molecular gas, the gas weighted so that the ratio
  // of the two mole fractions is the distribution coefficient) and of the steam.
  double sl = water_mol_per_kg;
  double sv = water_mol_per_kg;
  for (int i = 1; i <= gas_vector::size; ++i) {
    sl = sl + (1.0 / d[i] + 1.0) * m[i];
    sv = sv + v[i];
  }

  // Gauss-Seidel over the gases: each gas is solved against the sums of the others, and
  // later gases see its new share at once.
  for (int sweep = 1; sweep <= maxit; ++sweep) {
    bool converged = true;
    for (int i = 1; i <= gas_vector::size; ++i) {
      const double sl_others = sl - (1.0 / d[i] + 1.0) * m[i];
      const double sv_others = sv - v[i];
      // Mass balance tot = x v + (1 - x) B m together with the equilibrium
      // v / sv_others = m / (D (m + sl_others)) leaves a quadratic in m; the root is taken in
      // the form without cancellation (it is 0 when the gas is absent).
      const double bq = (x * sv_others / d[i] - tot[i]) / ((1.0 - x) * b[i]) + sl_others;
      const double cq = -tot[i] * sl_others / ((1.0 - x) * b[i]);
      const double m_new = -2.0 * cq / (std::sqrt(bq * bq - 4.0 * cq) + bq);
      const double v_new = (tot[i] - (1.0 - x) * b[i] * m_new) / x;
      sl = sl_others + (1.0 / d[i] + 1.0) * m_new;
      sv = sv_others + v_new;
      if (std::fabs((v_new + epp) / (v[i] + epp) - 1.0) > tol ||
          std::fabs((m_new + epp) / (m[i] + epp) - 1.0) > tol) {
        converged = false;
        v[i] = v_new;
        m[i] = m_new;
      }
    }
    if (converged) break;
  }
  return r;
}

gas_vector vapors(const gas_vector& m, double t, double f) {
  constexpr int maxit = 10;
  constexpr double epp = 1e-30;
  constexpr double tol = 0.001;

  const gas_vector d = distribution_coefficients(t, f);
  gas_vector v;
  v.fill(0.0);
  double sl = water_mol_per_kg;  // the water is given, so its sum stays fixed
  for (int i = 1; i <= gas_vector::size; ++i) sl = sl + (1.0 / d[i] + 1.0) * m[i];
  double sv = water_mol_per_kg;

  for (int sweep = 1; sweep <= maxit; ++sweep) {
    bool converged = true;
    for (int i = 1; i <= gas_vector::size; ++i) {
      const double sv_others = sv - v[i];
      const double v_new = m[i] * sv_others / ((m[i] + sl - (1.0 / d[i] + 1.0) * m[i]) * d[i]);
      sv = sv_others + v_new;
      if (std::fabs((v_new + epp) / (v[i] + epp) - 1.0) > tol) {
        converged = false;
        v[i] = v_new;
      }
    }
    if (converged) break;
  }
  return v;
}

gas_temperature make_gas_temperature(double t) {
  gas_temperature tt;
  tt.t = t;
  tt.psat = psat(t);
  for (int i = 1; i <= gas_vector::size; ++i) tt.h[i] = std::pow(10.0, -henryk(i, t));
  tt.k_o2 = std::pow(10.0, 38.882 - 30827.6 / t - 3.26024 * std::log(t));
  return tt;
}

gas_pressure_set gasprs(const gas_vector& m, double t, double f) {
  return gasprs(m, make_gas_temperature(t), f);
}

gas_pressure_set gasprs(const gas_vector& m, const gas_temperature& tt, double f) {
  constexpr double tiny = 1e-25;
  gas_pressure_set r;
  gas_pressures& p = r.p;
  double& ptotal = r.ptotal;

  double s = water_mol_per_kg;
  for (int i = 1; i <= gas_vector::size; ++i) s = s + m[i];

  p[0] = tt.psat;
  ptotal = p[0];
  for (int i = 1; i <= gas_vector::size; ++i) {
    p[static_cast<std::size_t>(i)] = water_mol_per_kg_henry * f * tt.h[i] * m[i] / s;
    ptotal = ptotal + p[static_cast<std::size_t>(i)];
  }

  // A water without analysed oxygen still has the oxygen pressure that the water-dissociation
  // equilibrium 2 H2O = 2 H2 + O2 sets against its hydrogen pressure.
  if (m[comp::o2] < tiny && p[comp::h2] >= tiny) {
    const double p_o2 = tt.k_o2 / (p[comp::h2] * p[comp::h2]);
    ptotal = ptotal - p[comp::o2] + p_o2;
    p[comp::o2] = p_o2;
  }
  return r;
}

}  // namespace morva
