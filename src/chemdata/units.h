#pragma once
// Conversions at the edges: dialogs, files and the report use °C and bar gauge,
// every calculation uses kelvin and bar absolute.

namespace morva {

inline constexpr double zero_celsius_k = 273.15;   ///< K at 0 °C
inline constexpr double atmosphere_bar = 1.01325;  ///< bar, to turn gauge into absolute pressure

}  // namespace morva
