#pragma once
// The seven gases (CO2, H2S, NH3, H2, O2, CH4, N2) between liquid water and steam at one
// temperature: distribution of fixed totals, equilibrium steam of a water, partial pressures.

#include <array>

#include "morva/indexed.h"

namespace morva {

/// Partial pressures, bar absolute: water vapour in slot 0, then the seven gases in slots 1..7
/// (the order of the report's pressure column).
using gas_pressures = std::array<double, 8>;

/// The seven gases of a fluid shared between its steam and its water.
struct gas_split {
  gas_vector v;  ///< gases of the steam, mol per kg of steam
  gas_vector m;  ///< molecular gases in the water, mol/kg
};

/// Splits the totals tot (mol per kg of fluid) of a fluid with steam fraction x (0 < x < 1) at
/// T (K) between steam and molecular gas in water, with speciation ratios b and degassing
/// coefficient f, starting from vstart and mstart. T must lie on the saturation curve.
gas_split gasdis(const gas_vector& vstart, const gas_vector& mstart, const gas_vector& b,
                 const gas_vector& tot, double t, double x, double f);

/// Mole-fraction distribution coefficients of the seven gases at T (K) with degassing
/// coefficient f: the ratio of each gas's mole fraction in the steam to that in the water.
/// T must lie on the saturation curve.
gas_vector distribution_coefficients(double t, double f);

/// gasdis with the distribution coefficients d of its temperature and degassing coefficient
/// given, for a caller that distributes the gases at one temperature again and again.
gas_split gasdis(const gas_vector& vstart, const gas_vector& mstart, const gas_vector& b,
                 const gas_vector& tot, const gas_vector& d, double x);

/// Gas contents (mol per kg of steam) of the steam formed at T (K) from a water holding the
/// molecular gas molalities m (mol/kg), degassing coefficient f. T must lie on the saturation
/// curve.
gas_vector vapors(const gas_vector& m, double t, double f);

/// Partial pressures over a water and their sum.
struct gas_pressure_set {
  gas_pressures p{};    ///< bar absolute; water vapour first, 0.0 off the saturation curve
  double ptotal = 0.0;  ///< their sum, bar absolute
};

/// What the partial pressures take from the temperature alone.
struct gas_temperature {
  double t = 0.0;     ///< temperature, K
  double psat = 0.0;  ///< saturation pressure of water at T, bar absolute
  gas_vector h;       ///< 1/KH of each gas at T, bar per mol/kg
  double k_o2 = 0.0;  ///< p_O2 p_H2^2 of the water-dissociation equilibrium at T, bar^3
};

/// The temperature terms of the partial pressures at T (K).
gas_temperature make_gas_temperature(double t);

/// Partial pressures and their sum over a water with molecular gas molalities m (mol/kg) at
/// T (K), degassing coefficient f.
gas_pressure_set gasprs(const gas_vector& m, double t, double f);
/// The same at the temperature of tt: the same numbers.
gas_pressure_set gasprs(const gas_vector& m, const gas_temperature& tt, double f);

}  // namespace morva
