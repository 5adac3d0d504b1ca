#pragma once
// Units at the edges of the library. Every temperature the calculation gives is in kelvin in
// a field without a suffix (fluid_state::t); inputs and their echoes, such as a step's
// requested temperature, are in °C and named _c. Pressures are bar absolute unless named
// _bar_g (gauge).

namespace morva {

inline constexpr double zero_celsius_k = 273.15;   ///< K at 0 °C
inline constexpr double atmosphere_bar = 1.01325;  ///< bar, to turn gauge into absolute pressure

/// Temperature t (K) in °C.
constexpr double celsius(double t) { return t - zero_celsius_k; }
/// Temperature t_c (°C) in K.
constexpr double kelvin(double t_c) { return t_c + zero_celsius_k; }

}  // namespace morva
