#include "solver/mass_balance.h"

#include <cmath>
#include <ostream>
#include <string>
#include <string_view>

#include "report/fields.h"
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

void setini(const component_vector& c, species_vector& m0) {
  constexpr double factor = 0.95;

  m0.fill(0.0);
  // Most of each total sits on its free (basis) species in most natural waters.
  m0[5] = factor * c[9];    // H2SiO4-- from SiO2
  m0[11] = factor * c[1];   // CO3-- from CO2
  m0[17] = factor * c[16];  // SO4-- from SO4
  m0[19] = factor * c[14];  // F- from F
  m0[20] = factor * c[15];  // Cl- from Cl
  m0[21] = factor * c[10];  // Na+ from Na
  m0[22] = factor * c[11];  // K+ from K
  m0[23] = factor * c[13];  // Ca++ from Ca
  m0[24] = factor * c[12];  // Mg++ from Mg
  m0[39] = factor * c[18];  // Fe++ from Fe
  m0[57] = factor * c[17];  // Al+++ from Al
}

void masbal(const component_vector& c, double ah, double t, double ionic,
            const species_vector& m_in, species_vector& x, std::string& msg, std::ostream& term) {
  solver_factors f;
  make_factors(t, ionic, f);
  masbal(c, ah, f, m_in, x, msg, term);
}

void masbal(const component_vector& c, double ah, const solver_factors& f,
            const species_vector& m_in, species_vector& x, std::string& msg, std::ostream& term) {
  constexpr int maxit = 100;
  constexpr double tol = 1e-06;
  constexpr double epp = 1e-30;

  x = m_in;
  const species_vector& r = f.r;
  msg = std::string(60, ' ');

  // Species fixed by aH alone: hydroxide, and the bases of the acids that form no complexes.
  x[2] = 1 / (ah * r[1]);                              // OH-
  x[8] = c[8] / (1 + ah * r[7]);                       // H2BO3-
  x[14] = c[2] / (1 + ah * r[13] * (1 + ah * r[12]));  // S--
  x[38] = c[3] / (1 + r[37] * x[2]);                   // NH4+

  for (int sweep = 1; sweep <= maxit; ++sweep) {
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
        x[j] = y;
        changed = true;
      }
    };

    balance(11, 1,  // CO3-- from total carbonate
            1 + r[31] * x[23] + r[32] * x[24] +
                ah * r[10] * (1 + ah * r[9] + r[33] * x[23] + r[34] * x[24]));
    balance(5, 9,  // H2SiO4-- from silica
            1 + ah * r[4] * (1 + ah * r[3] + r[6] * x[21]));
    balance(
        19, 14,  // F- from fluoride; AlF(n) holds n fluorides
        1 + ah * r[18] +
            r[64] * x[57] *
                (1 +
                 2 * r[65] * x[19] *
                     (1 + 1.5 * r[66] * x[19] *
                              (1 + (4.0 / 3.0) * r[67] * x[19] *
                                       (1 + 1.25 * r[68] * x[19] * (1 + 1.2 * r[69] * x[19]))))));
    balance(21, 10,  // Na+
            1 + r[25] * x[20] + r[27] * x[17] + r[6] * r[4] * ah * x[5]);
    balance(22, 11,  // K+
            1 + r[26] * x[20] + r[28] * x[17]);
    balance(24, 12,  // Mg++
            1 + (r[32] + r[34] * r[10] * ah) * x[11] + r[36] * x[2] + r[30] * x[17]);
    balance(23, 13,  // Ca++
            1 + (r[31] + r[33] * r[10] * ah) * x[11] + r[35] * x[2] + r[29] * x[17]);

    // Dissolved H2S and the iron redox ratio it sets with the current free sulfate.
    x[12] = ah * ah * r[12] * r[13] * x[14];
    const double rho = iron_ratio(x[12], x[17], ah, f, epp);

    balance(20, 15,  // Cl-; the chloro-complexes hold one to four chlorides
            1 + r[25] * x[21] + r[26] * x[22] + r[49] * x[39] * (1 + 2 * r[50] * x[20]) +
                r[51] * rho * x[39] *
                    (1 + 2 * r[52] * x[20] *
                             (1 + 1.5 * r[53] * x[20] * (1 + (4.0 / 3.0) * r[54] * x[20]))));
    balance(17, 16,  // SO4--; Al(SO4)2- holds two sulfates
            1 + ah * r[16] * (1 + ah * r[15]) + r[27] * x[21] + r[28] * x[22] + r[29] * x[23] +
                r[30] * x[24] + (r[55] + r[56] * rho) * x[39] +
                r[62] * x[57] * (1 + 2 * r[63] * x[17]));
    balance(57, 17,  // Al+++
            1 + r[58] * x[2] * (1 + r[59] * x[2] * (1 + r[60] * x[2] * (1 + r[61] * x[2]))) +
                r[62] * x[17] * (1 + r[63] * x[17]) +
                r[64] * x[19] *
                    (1 + r[65] * x[19] *
                             (1 + r[66] * x[19] *
                                      (1 + r[67] * x[19] *
                                               (1 + r[68] * x[19] * (1 + r[69] * x[19]))))));
    balance(
        39, 18,  // Fe++; the iron(III) family is rho times its iron(II) base
        1 + r[41] * x[2] * (1 + r[42] * x[2] * (1 + r[43] * x[2] * (1 + r[44] * x[2]))) +
            r[49] * x[20] * (1 + r[50] * x[20]) + r[55] * x[17] +
            rho * (1 + r[45] * x[2] * (1 + r[46] * x[2] * (1 + r[47] * x[2] * (1 + r[48] * x[2]))) +
                   r[51] * x[20] * (1 + r[52] * x[20] * (1 + r[53] * x[20] * (1 + r[54] * x[20]))) +
                   r[56] * x[17]));

    if (!changed) return;
  }

  // The last sweep still moved a basis value: keep its values and say so.
  const std::string_view text = "Mass balance calculation does not converge";
  put(term, record{}.X(5).A(text));
  msg = padded(text, 60);
}

void spemol(const species_vector& x, double ah, double t, double ionic, species_vector& m) {
  solver_factors f;
  make_factors(t, ionic, f);
  spemol(x, ah, f, m);
}

void spemol(const species_vector& x, double ah, const solver_factors& f, species_vector& m) {
  constexpr double epp = 1e-30;

  const species_vector& r = f.r;
  // Built apart and copied at the end, so that a caller may pass the same vector as x and m.
  species_vector s;

  s[1] = ah / f.gamma[1];  // H+
  // Silica
  s[5] = x[5];
  s[4] = r[4] * ah * x[5];
  s[3] = r[3] * ah * s[4];
  s[6] = r[6] * x[21] * s[4];
  // Boron
  s[8] = x[8];
  s[7] = r[7] * ah * x[8];
  // Carbonate
  s[11] = x[11];
  s[10] = r[10] * ah * x[11];
  s[9] = r[9] * ah * s[10];
  // Sulfide
  s[14] = x[14];
  s[13] = r[13] * ah * x[14];
  s[12] = r[12] * ah * s[13];
  // Sulfate
  s[17] = x[17];
  s[16] = r[16] * ah * x[17];
  s[15] = r[15] * ah * s[16];
  // Fluoride
  s[19] = x[19];
  s[18] = r[18] * ah * x[19];
  // Free ions
  s[2] = x[2];
  for (int i = 20; i <= 24; ++i) s[i] = x[i];
  s[38] = x[38];
  s[39] = x[39];
  s[57] = x[57];
  // Simple complexes
  s[25] = r[25] * x[21] * x[20];
  s[26] = r[26] * x[22] * x[20];
  s[27] = r[27] * x[21] * x[17];
  s[28] = r[28] * x[22] * x[17];
  s[29] = r[29] * x[23] * x[17];
  s[30] = r[30] * x[24] * x[17];
  s[31] = r[31] * x[23] * x[11];
  s[32] = r[32] * x[24] * x[11];
  s[33] = r[33] * x[23] * s[10];
  s[34] = r[34] * x[24] * s[10];
  s[35] = r[35] * x[23] * x[2];
  s[36] = r[36] * x[24] * x[2];
  s[37] = r[37] * x[2] * x[38];
  // Iron(III) from the redox ratio of the solved H2S and SO4--
  const double rho = iron_ratio(s[12], s[17], ah, f, epp);
  s[40] = x[39] * rho;
  // Iron hydroxides, each one OH- more than the last
  s[41] = r[41] * x[39] * x[2];
  s[42] = r[42] * s[41] * x[2];
  s[43] = r[43] * s[42] * x[2];
  s[44] = r[44] * s[43] * x[2];
  s[45] = r[45] * x[39] * rho * x[2];
  s[46] = r[46] * s[45] * x[2];
  s[47] = r[47] * s[46] * x[2];
  s[48] = r[48] * s[47] * x[2];
  // Iron chlorides and sulfates
  s[49] = r[49] * x[39] * x[20];
  s[50] = r[50] * s[49] * x[20];
  s[51] = r[51] * x[39] * rho * x[20];
  s[52] = r[52] * s[51] * x[20];
  s[53] = r[53] * s[52] * x[20];
  s[54] = r[54] * s[53] * x[20];
  s[55] = r[55] * x[39] * x[17];
  s[56] = r[56] * x[39] * rho * x[17];
  // Aluminium hydroxides, sulfates and fluorides
  s[58] = r[58] * x[57] * x[2];
  s[59] = r[59] * s[58] * x[2];
  s[60] = r[60] * s[59] * x[2];
  s[61] = r[61] * s[60] * x[2];
  s[62] = r[62] * x[57] * x[17];
  s[63] = r[63] * s[62] * x[17];
  s[64] = r[64] * x[57] * x[19];
  for (int i = 65; i <= 69; ++i) s[i] = r[i] * s[i - 1] * x[19];

  m = s;
}

void bcoeff(const species_vector& x, double ah, double t, double ionic, gas_vector& b) {
  solver_factors f;
  make_factors(t, ionic, f);
  bcoeff(x, ah, f, b);
}

void bcoeff(const species_vector& x, double ah, const solver_factors& f, gas_vector& b) {
  const species_vector& r = f.r;

  // Total carbonate over H2CO3: the bicarbonate and carbonate families relative to H2CO3.
  b[1] =
      1 + (1 + r[33] * x[23] + r[34] * x[24] + (1 + r[31] * x[23] + r[32] * x[24]) / (r[10] * ah)) /
              (r[9] * ah);
  // Total sulfide over H2S.
  b[2] = 1 + (1 + 1 / (r[13] * ah)) / (r[12] * ah);
  // Total ammonia over NH4OH.
  b[3] = 1 + r[1] * ah / r[37];
  // H2, O2, CH4 and N2 do not dissociate.
  for (int k = 4; k <= 7; ++k) b[k] = 1.0;
}

}  // namespace morva
