#include "solver/mass_balance.h"

#include <cmath>

#include "solver/redox.h"

namespace morva {

namespace {

/// Iron redox ratio Fe+++/Fe++ for dissolved H2S and free SO4-- (mol/kg); no iron(III) at
/// all while either is absent (the ratio would need a division by zero).
double iron_ratio(double m_h2s, double m_so4, double ah, const solver_factors& f, double epp) {
  if (m_h2s <= epp || m_so4 <= epp) return 0.0;
  return redox(m_h2s, m_so4, ah, f);
}

}  // namespace

species_vector setini(const component_vector& c) {
  constexpr double factor = 0.95;

  species_vector m0;
  m0.fill(0.0);
  // Most of each total sits on its free (basis) species in most natural waters.
  m0[sp::h2sio4] = factor * c[comp::sio2];
  m0[sp::co3] = factor * c[comp::co2];
  m0[sp::so4] = factor * c[comp::so4];
  m0[sp::f] = factor * c[comp::f];
  m0[sp::cl] = factor * c[comp::cl];
  m0[sp::na] = factor * c[comp::na];
  m0[sp::k] = factor * c[comp::k];
  m0[sp::ca] = factor * c[comp::ca];
  m0[sp::mg] = factor * c[comp::mg];
  m0[sp::fe2] = factor * c[comp::fe];
  m0[sp::al] = factor * c[comp::al];
  return m0;
}

mass_balance_solution masbal(const component_vector& c, double ah, double t, double ionic,
                             const species_vector& m_in) {
  return masbal(c, ah, make_factors(t, ionic), m_in);
}

mass_balance_solution masbal(const component_vector& c, double ah, const solver_factors& f,
                             const species_vector& m_in) {
  constexpr int maxit = 100;
  constexpr double tol = 1e-06;
  constexpr double epp = 1e-30;
  // Damped sweeps after the plain ones: weights of the new value, each for its own number of
  // sweeps (see below).
  constexpr double damping[] = {0.5, 0.25, 0.1};
  constexpr int damped_sweeps = 400;

  species_vector x = m_in;
  const species_vector& r = f.r;

  // Species fixed by aH alone: hydroxide, and the bases of the acids that form no complexes.
  x[sp::oh] = 1 / (ah * r[sp::h]);
  x[sp::h2bo3] = c[comp::b] / (1 + ah * r[sp::h3bo3]);
  x[sp::s] = c[comp::h2s] / (1 + ah * r[sp::hs] * (1 + ah * r[sp::h2s]));
  x[sp::nh4] = c[comp::nh3] / (1 + r[sp::nh4oh] * x[sp::oh]);
  // Dissolved H2S follows from S-- and aH alone, so it and the parts of the iron redox ratio
  // other than the free sulfate hold through every sweep: their powers are taken once.
  x[sp::h2s] = ah * ah * r[sp::h2s] * r[sp::hs] * x[sp::s];
  const redox_terms iron = redox_terms_at(x[sp::h2s], ah, f, epp);

  // One Gauss-Seidel sweep over the basis species; w is the weight of the balancing value
  // against the old one (1: plain sweeps). True when a basis value still moved by more than
  // the tolerance.
  const auto sweep_once = [&](double w) {
    bool changed = false;
    // Gauss-Seidel: the free molality that closes the balance of component k with the current
    // values of the other basis species; d is the total over the free molality.
    const auto balance = [&](int j, int k, double d) {
      const double y = c[k] / d;
      // Relative change. A free ion may lie far below 1e-30 mol/kg while its complexes hold
      // the whole total (Al+++ beside Al(OH)4- in hot alkaline water), so no absolute floor
      // may enter the quotient; only two zeros are equal without one.
      const double sum = y + x[j];
      const double change = sum > 0.0 ? 2 * std::abs(y - x[j]) / sum : 0.0;
      if (change > tol) {
        // Damped: the geometric mean of old and new value, weighted, which keeps both the
        // sign and the scale of a molality that spans many decades.
        x[j] =
            w == 1.0 || !(x[j] > 0.0) || !(y > 0.0) ? y : std::pow(x[j], 1.0 - w) * std::pow(y, w);
        changed = true;
      }
    };

    balance(
        sp::co3, comp::co2,  // CO3-- from total carbonate
        1 + r[sp::caco3] * x[sp::ca] + r[sp::mgco3] * x[sp::mg] +
            ah * r[sp::hco3] *
                (1 + ah * r[sp::h2co3] + r[sp::cahco3] * x[sp::ca] + r[sp::mghco3] * x[sp::mg]));
    balance(sp::h2sio4, comp::sio2,  // H2SiO4-- from silica
            1 + ah * r[sp::h3sio4] * (1 + ah * r[sp::h4sio4] + r[sp::nah3sio4] * x[sp::na]));
    balance(sp::f, comp::f,  // F- from fluoride; AlF(n) holds n fluorides
            1 + ah * r[sp::hf] +
                r[sp::alf] * x[sp::al] *
                    (1 + 2 * r[sp::alf2] * x[sp::f] *
                             (1 + 1.5 * r[sp::alf3] * x[sp::f] *
                                      (1 + (4.0 / 3.0) * r[sp::alf4] * x[sp::f] *
                                               (1 + 1.25 * r[sp::alf5] * x[sp::f] *
                                                        (1 + 1.2 * r[sp::alf6] * x[sp::f]))))));
    balance(sp::na, comp::na,
            1 + r[sp::nacl] * x[sp::cl] + r[sp::naso4] * x[sp::so4] +
                r[sp::nah3sio4] * r[sp::h3sio4] * ah * x[sp::h2sio4]);
    balance(sp::k, comp::k, 1 + r[sp::kcl] * x[sp::cl] + r[sp::kso4] * x[sp::so4]);
    balance(sp::mg, comp::mg,
            1 + (r[sp::mgco3] + r[sp::mghco3] * r[sp::hco3] * ah) * x[sp::co3] +
                r[sp::mgoh] * x[sp::oh] + r[sp::mgso4] * x[sp::so4]);
    balance(sp::ca, comp::ca,
            1 + (r[sp::caco3] + r[sp::cahco3] * r[sp::hco3] * ah) * x[sp::co3] +
                r[sp::caoh] * x[sp::oh] + r[sp::caso4] * x[sp::so4]);

    // The iron redox ratio that the dissolved H2S sets with the current free sulfate.
    const double rho = redox(iron, x[sp::so4], epp);

    balance(sp::cl, comp::cl,  // Cl-; the chloro-complexes hold one to four chlorides
            1 + r[sp::nacl] * x[sp::na] + r[sp::kcl] * x[sp::k] +
                r[sp::fecl] * x[sp::fe2] * (1 + 2 * r[sp::fecl2] * x[sp::cl]) +
                r[sp::fecl_2p] * rho * x[sp::fe2] *
                    (1 + 2 * r[sp::fecl2p] * x[sp::cl] *
                             (1 + 1.5 * r[sp::fecl3] * x[sp::cl] *
                                      (1 + (4.0 / 3.0) * r[sp::fecl4] * x[sp::cl]))));
    balance(sp::so4, comp::so4,  // SO4--; Al(SO4)2- holds two sulfates
            1 + ah * r[sp::hso4] * (1 + ah * r[sp::h2so4]) + r[sp::naso4] * x[sp::na] +
                r[sp::kso4] * x[sp::k] + r[sp::caso4] * x[sp::ca] + r[sp::mgso4] * x[sp::mg] +
                (r[sp::feso4] + r[sp::feso4p] * rho) * x[sp::fe2] +
                r[sp::also4] * x[sp::al] * (1 + 2 * r[sp::also42] * x[sp::so4]));
    balance(sp::al, comp::al,
            1 +
                r[sp::aloh] * x[sp::oh] *
                    (1 + r[sp::aloh2] * x[sp::oh] *
                             (1 + r[sp::aloh3] * x[sp::oh] * (1 + r[sp::aloh4] * x[sp::oh]))) +
                r[sp::also4] * x[sp::so4] * (1 + r[sp::also42] * x[sp::so4]) +
                r[sp::alf] * x[sp::f] *
                    (1 + r[sp::alf2] * x[sp::f] *
                             (1 + r[sp::alf3] * x[sp::f] *
                                      (1 + r[sp::alf4] * x[sp::f] *
                                               (1 + r[sp::alf5] * x[sp::f] *
                                                        (1 + r[sp::alf6] * x[sp::f]))))));
    balance(
        sp::fe2, comp::fe,  // Fe++; the iron(III) family is rho times its iron(II) base
        1 +
            r[sp::feoh] * x[sp::oh] *
                (1 + r[sp::feoh2] * x[sp::oh] *
                         (1 + r[sp::feoh3m] * x[sp::oh] * (1 + r[sp::feoh4mm] * x[sp::oh]))) +
            r[sp::fecl] * x[sp::cl] * (1 + r[sp::fecl2] * x[sp::cl]) + r[sp::feso4] * x[sp::so4] +
            rho * (1 +
                   r[sp::feoh_2p] * x[sp::oh] *
                       (1 + r[sp::feoh2p] * x[sp::oh] *
                                (1 + r[sp::feoh3] * x[sp::oh] * (1 + r[sp::feoh4m] * x[sp::oh]))) +
                   r[sp::fecl_2p] * x[sp::cl] *
                       (1 + r[sp::fecl2p] * x[sp::cl] *
                                (1 + r[sp::fecl3] * x[sp::cl] * (1 + r[sp::fecl4] * x[sp::cl]))) +
                   r[sp::feso4p] * x[sp::so4]));

    return changed;
  };

  for (int sweep = 1; sweep <= maxit; ++sweep) {
    if (!sweep_once(1.0)) return {x, {true, sweep}};
  }
  // The plain sweeps can settle into a cycle (acid aluminium-fluoride waters, strong brines):
  // each balance overshoots what the others just did. The same sweeps with the new value only
  // partly taken break the cycle; the tolerance is that of the plain sweeps, so a converged
  // state is as closely balanced as any other.
  int sweeps = maxit;
  for (double w : damping) {
    for (int k = 0; k < damped_sweeps; ++k) {
      ++sweeps;
      if (!sweep_once(w)) return {x, {true, sweeps}};
    }
  }
  // Still moving: the last values are kept.
  return {x, {false, sweeps}};
}

species_vector spemol(const species_vector& x, double ah, double t, double ionic) {
  return spemol(x, ah, make_factors(t, ionic));
}

species_vector spemol(const species_vector& x, double ah, const solver_factors& f) {
  constexpr double epp = 1e-30;

  const species_vector& r = f.r;
  species_vector s;

  s[sp::h] = ah / f.gamma[sp::h];  // H+
  // Silica
  s[sp::h2sio4] = x[sp::h2sio4];
  s[sp::h3sio4] = r[sp::h3sio4] * ah * x[sp::h2sio4];
  s[sp::h4sio4] = r[sp::h4sio4] * ah * s[sp::h3sio4];
  s[sp::nah3sio4] = r[sp::nah3sio4] * x[sp::na] * s[sp::h3sio4];
  // Boron
  s[sp::h2bo3] = x[sp::h2bo3];
  s[sp::h3bo3] = r[sp::h3bo3] * ah * x[sp::h2bo3];
  // Carbonate
  s[sp::co3] = x[sp::co3];
  s[sp::hco3] = r[sp::hco3] * ah * x[sp::co3];
  s[sp::h2co3] = r[sp::h2co3] * ah * s[sp::hco3];
  // Sulfide
  s[sp::s] = x[sp::s];
  s[sp::hs] = r[sp::hs] * ah * x[sp::s];
  s[sp::h2s] = r[sp::h2s] * ah * s[sp::hs];
  // Sulfate
  s[sp::so4] = x[sp::so4];
  s[sp::hso4] = r[sp::hso4] * ah * x[sp::so4];
  s[sp::h2so4] = r[sp::h2so4] * ah * s[sp::hso4];
  // Fluoride
  s[sp::f] = x[sp::f];
  s[sp::hf] = r[sp::hf] * ah * x[sp::f];
  // Free ions
  s[sp::oh] = x[sp::oh];
  for (int i = sp::cl; i <= sp::mg; ++i) s[i] = x[i];
  s[sp::nh4] = x[sp::nh4];
  s[sp::fe2] = x[sp::fe2];
  s[sp::al] = x[sp::al];
  // Simple complexes
  s[sp::nacl] = r[sp::nacl] * x[sp::na] * x[sp::cl];
  s[sp::kcl] = r[sp::kcl] * x[sp::k] * x[sp::cl];
  s[sp::naso4] = r[sp::naso4] * x[sp::na] * x[sp::so4];
  s[sp::kso4] = r[sp::kso4] * x[sp::k] * x[sp::so4];
  s[sp::caso4] = r[sp::caso4] * x[sp::ca] * x[sp::so4];
  s[sp::mgso4] = r[sp::mgso4] * x[sp::mg] * x[sp::so4];
  s[sp::caco3] = r[sp::caco3] * x[sp::ca] * x[sp::co3];
  s[sp::mgco3] = r[sp::mgco3] * x[sp::mg] * x[sp::co3];
  s[sp::cahco3] = r[sp::cahco3] * x[sp::ca] * s[sp::hco3];
  s[sp::mghco3] = r[sp::mghco3] * x[sp::mg] * s[sp::hco3];
  s[sp::caoh] = r[sp::caoh] * x[sp::ca] * x[sp::oh];
  s[sp::mgoh] = r[sp::mgoh] * x[sp::mg] * x[sp::oh];
  s[sp::nh4oh] = r[sp::nh4oh] * x[sp::oh] * x[sp::nh4];
  // Iron(III) from the redox ratio of the solved H2S and SO4--
  const double rho = iron_ratio(s[sp::h2s], s[sp::so4], ah, f, epp);
  s[sp::fe3] = x[sp::fe2] * rho;
  // Iron hydroxides, each one OH- more than the last
  s[sp::feoh] = r[sp::feoh] * x[sp::fe2] * x[sp::oh];
  s[sp::feoh2] = r[sp::feoh2] * s[sp::feoh] * x[sp::oh];
  s[sp::feoh3m] = r[sp::feoh3m] * s[sp::feoh2] * x[sp::oh];
  s[sp::feoh4mm] = r[sp::feoh4mm] * s[sp::feoh3m] * x[sp::oh];
  s[sp::feoh_2p] = r[sp::feoh_2p] * x[sp::fe2] * rho * x[sp::oh];
  s[sp::feoh2p] = r[sp::feoh2p] * s[sp::feoh_2p] * x[sp::oh];
  s[sp::feoh3] = r[sp::feoh3] * s[sp::feoh2p] * x[sp::oh];
  s[sp::feoh4m] = r[sp::feoh4m] * s[sp::feoh3] * x[sp::oh];
  // Iron chlorides and sulfates
  s[sp::fecl] = r[sp::fecl] * x[sp::fe2] * x[sp::cl];
  s[sp::fecl2] = r[sp::fecl2] * s[sp::fecl] * x[sp::cl];
  s[sp::fecl_2p] = r[sp::fecl_2p] * x[sp::fe2] * rho * x[sp::cl];
  s[sp::fecl2p] = r[sp::fecl2p] * s[sp::fecl_2p] * x[sp::cl];
  s[sp::fecl3] = r[sp::fecl3] * s[sp::fecl2p] * x[sp::cl];
  s[sp::fecl4] = r[sp::fecl4] * s[sp::fecl3] * x[sp::cl];
  s[sp::feso4] = r[sp::feso4] * x[sp::fe2] * x[sp::so4];
  s[sp::feso4p] = r[sp::feso4p] * x[sp::fe2] * rho * x[sp::so4];
  // Aluminium hydroxides, sulfates and fluorides
  s[sp::aloh] = r[sp::aloh] * x[sp::al] * x[sp::oh];
  s[sp::aloh2] = r[sp::aloh2] * s[sp::aloh] * x[sp::oh];
  s[sp::aloh3] = r[sp::aloh3] * s[sp::aloh2] * x[sp::oh];
  s[sp::aloh4] = r[sp::aloh4] * s[sp::aloh3] * x[sp::oh];
  s[sp::also4] = r[sp::also4] * x[sp::al] * x[sp::so4];
  s[sp::also42] = r[sp::also42] * s[sp::also4] * x[sp::so4];
  s[sp::alf] = r[sp::alf] * x[sp::al] * x[sp::f];
  for (int i = sp::alf2; i <= sp::alf6; ++i) s[i] = r[i] * s[i - 1] * x[sp::f];

  return s;
}

gas_vector bcoeff(const species_vector& x, double ah, double t, double ionic) {
  return bcoeff(x, ah, make_factors(t, ionic));
}

gas_vector bcoeff(const species_vector& x, double ah, const solver_factors& f) {
  const species_vector& r = f.r;
  gas_vector b;

  // Total carbonate over H2CO3: the bicarbonate and carbonate families relative to H2CO3.
  b[comp::co2] =
      1 + (1 + r[sp::cahco3] * x[sp::ca] + r[sp::mghco3] * x[sp::mg] +
           (1 + r[sp::caco3] * x[sp::ca] + r[sp::mgco3] * x[sp::mg]) / (r[sp::hco3] * ah)) /
              (r[sp::h2co3] * ah);
  // Total sulfide over H2S.
  b[comp::h2s] = 1 + (1 + 1 / (r[sp::hs] * ah)) / (r[sp::h2s] * ah);
  // Total ammonia over NH4OH.
  b[comp::nh3] = 1 + r[sp::h] * ah / r[sp::nh4oh];
  // H2, O2, CH4 and N2 do not dissociate.
  for (int k = comp::h2; k <= comp::n2; ++k) b[k] = 1.0;
  return b;
}

}  // namespace morva
