#include <cstddef>
#include <optional>

#include "chemdata/names.h"

namespace morva {

namespace {

// clang-format off
// Component names (9 characters) and molecular weights, mg/mol: total carbonate counts as
// CO2, sulfide as H2S, ammonia as NH3, silica as SiO2, sulfate as SO4, the rest as elements.
constexpr const char* component_names[18] = {
    "CO2      ",  // 1
    "H2S      ",  // 2
    "NH3      ",  // 3
    "H2       ",  // 4
    "O2       ",  // 5
    "CH4      ",  // 6
    "N2       ",  // 7
    "B        ",  // 8
    "SiO2     ",  // 9
    "Na       ",  // 10
    "K        ",  // 11
    "Mg       ",  // 12
    "Ca       ",  // 13
    "F        ",  // 14
    "Cl       ",  // 15
    "SO4      ",  // 16
    "Al       ",  // 17
    "Fe       ",  // 18
};

constexpr double component_weights[18] = {
    44010.0, 34080.0, 17030.0, 2020.0, 32000.0, 16040.0, 28010.0, 10810.0, 60090.0,
    22990.0, 39100.0, 24310.0, 40080.0, 19000.0, 35450.0, 96060.0, 26980.0, 55850.0,
};

// Species names, 12 characters each.
constexpr const char* padded_species_names[69] = {
    "H+          ",  // 1
    "OH-         ",  // 2
    "H4SiO4      ",  // 3
    "H3SiO4-     ",  // 4
    "H2SiO4--    ",  // 5
    "NaH3SiO4    ",  // 6
    "H3BO3       ",  // 7
    "H2BO3-      ",  // 8
    "H2CO3       ",  // 9
    "HCO3-       ",  // 10
    "CO3--       ",  // 11
    "H2S         ",  // 12
    "HS-         ",  // 13
    "S--         ",  // 14
    "H2SO4       ",  // 15
    "HSO4-       ",  // 16
    "SO4--       ",  // 17
    "HF          ",  // 18
    "F-          ",  // 19
    "Cl-         ",  // 20
    "Na+         ",  // 21
    "K+          ",  // 22
    "Ca++        ",  // 23
    "Mg++        ",  // 24
    "NaCl        ",  // 25
    "KCl         ",  // 26
    "NaSO4-      ",  // 27
    "KSO4-       ",  // 28
    "CaSO4       ",  // 29
    "MgSO4       ",  // 30
    "CaCO3       ",  // 31
    "MgCO3       ",  // 32
    "CaHCO3+     ",  // 33
    "MgHCO3+     ",  // 34
    "CaOH+       ",  // 35
    "MgOH+       ",  // 36
    "NH4OH       ",  // 37
    "NH4+        ",  // 38
    "Fe++        ",  // 39
    "Fe+++       ",  // 40
    "FeOH+       ",  // 41
    "Fe(OH)2     ",  // 42
    "Fe(OH)3-    ",  // 43
    "Fe(OH)4--   ",  // 44
    "Fe(OH)++    ",  // 45
    "Fe(OH)2+    ",  // 46
    "Fe(OH)3     ",  // 47
    "Fe(OH)4-    ",  // 48
    "FeCl+       ",  // 49
    "FeCl2       ",  // 50
    "FeCl++      ",  // 51
    "FeCl2+      ",  // 52
    "FeCl3       ",  // 53
    "FeCl4-      ",  // 54
    "FeSO4       ",  // 55
    "FeSO4+      ",  // 56
    "Al+++       ",  // 57
    "AlOH++      ",  // 58
    "Al(OH)2+    ",  // 59
    "Al(OH)3     ",  // 60
    "Al(OH)4-    ",  // 61
    "AlSO4+      ",  // 62
    "Al(SO4)2-   ",  // 63
    "AlF++       ",  // 64
    "AlF2+       ",  // 65
    "AlF3        ",  // 66
    "AlF4-       ",  // 67
    "AlF5--      ",  // 68
    "AlF6---     ",  // 69
};

// Mineral names, 12 characters each.
constexpr const char* padded_mineral_names[29] = {
    "Adularia    ",  // 1
    "Albite, low ",  // 2
    "Analcime    ",  // 3
    "Anhydrite   ",  // 4
    "Calcite     ",  // 5
    "Chalcedony  ",  // 6
    "Mg-Chlorite ",  // 7
    "Fluorite    ",  // 8
    "Goethite    ",  // 9
    "Laumontite  ",  // 10
    "Microcline  ",  // 11
    "Magnetite   ",  // 12
    "Ca-Montmor. ",  // 13
    "K-Montmor.  ",  // 14
    "Mg-Montmor. ",  // 15
    "Na-Montmor. ",  // 16
    "Muscovite   ",  // 17
    "Prehnite    ",  // 18
    "Pyrrhotite  ",  // 19
    "Pyrite      ",  // 20
    "Quartz      ",  // 21
    "Wairakite   ",  // 22
    "Wollastonite",  // 23
    "Zoisite     ",  // 24
    "Epidote     ",  // 25
    "Marcasite   ",  // 26
    "Talc        ",  // 27
    "Chrysotile  ",  // 28
    "Sil. amorph.",  // 29
};
// clang-format on

}  // namespace

// clang-format off
// Per-species charge z, ion-size parameter a (angstrom) and formula weight (mg/mol).
const species_vector species_charge{{
    1.0, -1.0, 0.0, -1.0, -2.0, 0.0, 0.0, -1.0, 0.0, -1.0,
    -2.0, 0.0, -1.0, -2.0, 0.0, -1.0, -2.0, 0.0, -1.0, -1.0,
    1.0, 1.0, 2.0, 2.0, 0.0, 0.0, -1.0, -1.0, 0.0, 0.0,
    0.0, 0.0, 1.0, 1.0, 1.0, 1.0, 0.0, 1.0, 2.0, 3.0,
    1.0, 0.0, -1.0, -2.0, 2.0, 1.0, 0.0, -1.0, 1.0, 0.0,
    2.0, 1.0, 0.0, -1.0, 0.0, 1.0, 3.0, 2.0, 1.0, 0.0,
    -1.0, 1.0, -1.0, 2.0, 1.0, 0.0, -1.0, -2.0, -3.0,
}};

const species_vector species_ion_size{{
    9.0, 3.5, 0.0, 4.0, 5.4, 0.0, 0.0, 2.5, 0.0, 4.0,
    4.5, 0.0, 3.5, 5.0, 0.0, 4.5, 4.0, 0.0, 3.5, 3.0,
    4.0, 3.0, 6.0, 8.0, 0.0, 0.0, 5.4, 5.4, 0.0, 0.0,
    0.0, 0.0, 6.0, 4.0, 6.0, 6.5, 0.0, 2.5, 6.0, 9.0,
    5.0, 0.0, 5.0, 5.0, 5.0, 5.4, 0.0, 5.4, 4.0, 0.0,
    5.0, 5.0, 0.0, 4.0, 0.0, 5.0, 9.0, 5.4, 5.4, 0.0,
    4.5, 4.5, 4.5, 5.4, 5.4, 0.0, 4.5, 4.5, 4.5,
}};

const species_vector species_weight{{
    1010.0, 17010.0, 96120.0, 95110.0, 94100.0, 118100.0, 61830.0, 60830.0,
    62030.0, 61020.0, 60010.0, 34080.0, 33070.0, 32060.0, 98080.0, 97070.0,
    96060.0, 20010.0, 19000.0, 35450.0, 22990.0, 39100.0, 40080.0, 24310.0,
    58440.0, 74560.0, 119050.0, 135160.0, 136140.0, 120370.0, 100090.0, 84320.0,
    101100.0, 85330.0, 57090.0, 41320.0, 35050.0, 18040.0, 55850.0, 55850.0,
    72850.0, 89860.0, 106870.0, 123880.0, 72850.0, 89860.0, 106870.0, 123880.0,
    91300.0, 126750.0, 91300.0, 126750.0, 162210.0, 197660.0, 151910.0, 151910.0,
    26980.0, 43990.0, 61000.0, 78000.0, 95010.0, 123040.0, 219110.0, 45980.0,
    64980.0, 83980.0, 102980.0, 121970.0, 140970.0,
}};
// clang-format on

std::string_view nam(int k) { return component_names[k - 1]; }
std::string_view spenam(int i) { return padded_species_names[i - 1]; }
std::string_view minnam(int j) { return padded_mineral_names[j - 1]; }
double w(int k) { return component_weights[k - 1]; }

namespace {

/// A blank-padded table name without its trailing blanks (the names are ASCII, so UTF-8).
std::string_view trimmed(std::string_view padded) {
  return padded.substr(0, padded.find_last_not_of(' ') + 1);
}

/// Position 1..n of the entry of names whose trimmed name is name; empty if none.
template <std::size_t N>
std::optional<int> position(const char* const (&names)[N], std::string_view name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (trimmed(names[i]) == name) return static_cast<int>(i + 1);
  }
  return std::nullopt;
}

}  // namespace

std::string_view component_name(int k) { return trimmed(nam(k)); }
std::string_view species_name(int i) { return trimmed(spenam(i)); }
std::string_view mineral_name(int j) { return trimmed(minnam(j)); }

std::optional<int> component_index(std::string_view name) {
  return position(component_names, name);
}
std::optional<int> species_index(std::string_view name) {
  return position(padded_species_names, name);
}
std::optional<int> mineral_index(std::string_view name) {
  return position(padded_mineral_names, name);
}

}  // namespace morva
