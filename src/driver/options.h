#pragma once
// How one sample is to be calculated, as chosen in the calculation-options dialog.

#include <array>

namespace morva {

/// Choices of the calculation-options dialog for one sample; temperatures in °C.
struct run_options {
  int tref_type = 0;                  ///< 0 measured, 1 arbitrary, 2 chalcedony, 3 quartz, 4 Na/K
  double t_typed_c = 0.0;             ///< typed reference temperature, °C; 0 when none was typed
  int n_boil = 0;                     ///< number of boiling steps; 0 or less means none, at most 10
  std::array<double, 10> t_boil_c{};  ///< boiling step temperatures, °C, in the order typed
  double boil_degas = 1.0;            ///< degassing coefficient of the boiling steps, 0.01 to 1
  int n_cool = 0;                     ///< number of cooling steps; 0 or less means none, at most 10
  std::array<double, 10> t_cool_c{};  ///< cooling step temperatures, °C
  double t_spring_c = 0.0;            ///< boiling-spring temperature, °C; 0 means no boiling
  double spring_degas = 1.0;          ///< degassing coefficient of the boiling spring, 0.01 to 1
};

}  // namespace morva
