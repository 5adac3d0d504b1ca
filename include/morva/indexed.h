#pragma once
// 1-based vectors over the three fixed vocabularies of the chemistry: the 18 analysed
// components, the 69 aqueous species and the 29 minerals. Positions follow the physics
// notation (c_1 is total CO2, m_1 is H+), so loops and formulas read like the equations.

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>

namespace morva {

template <class Tag, std::size_t N, class T = double>
class one_based {
 public:
  static constexpr int size = static_cast<int>(N);
  constexpr one_based() = default;
  template <std::size_t M>  // a table literal gives exactly one value per position
  constexpr explicit one_based(const T (&v)[M]) {
    static_assert(M == N);
    std::copy_n(v, N, v_.begin());
  }
  constexpr T& operator[](int i) { return v_[pos(i)]; }
  constexpr const T& operator[](int i) const { return v_[pos(i)]; }
  constexpr void fill(const T& x) { v_.fill(x); }
  friend constexpr bool operator==(const one_based&, const one_based&) = default;

 private:
  static constexpr std::size_t pos(int i) {
    assert(1 <= i && i <= size);
    return static_cast<std::size_t>(i - 1);
  }
  std::array<T, N> v_{};
};

using component_vector = one_based<struct component_tag, 18>;
using species_vector = one_based<struct species_tag, 69>;
using mineral_vector = one_based<struct mineral_tag, 29>;
/// The seven gases (components 1..7): CO2, H2S, NH3, H2, O2, CH4, N2.
using gas_vector = one_based<struct gas_tag, 7>;

namespace comp {  // positions in the component order
inline constexpr int co2 = 1, h2s = 2, nh3 = 3, h2 = 4, o2 = 5, ch4 = 6, n2 = 7, b = 8, sio2 = 9,
                     na = 10, k = 11, mg = 12, ca = 13, f = 14, cl = 15, so4 = 16, al = 17, fe = 18;
}  // namespace comp

namespace sp {  // positions in the species order
inline constexpr int h = 1, oh = 2, h4sio4 = 3, h3sio4 = 4, h2sio4 = 5, nah3sio4 = 6, h3bo3 = 7,
                     h2bo3 = 8, h2co3 = 9, hco3 = 10, co3 = 11, h2s = 12, hs = 13, s = 14,
                     h2so4 = 15, hso4 = 16, so4 = 17, hf = 18, f = 19, cl = 20, na = 21, k = 22,
                     ca = 23, mg = 24, nacl = 25, kcl = 26, naso4 = 27, kso4 = 28, caso4 = 29,
                     mgso4 = 30, caco3 = 31, mgco3 = 32, cahco3 = 33, mghco3 = 34, caoh = 35,
                     mgoh = 36, nh4oh = 37, nh4 = 38, fe2 = 39, fe3 = 40, feoh = 41, feoh2 = 42,
                     feoh3m = 43, feoh4mm = 44, feoh_2p = 45, feoh2p = 46, feoh3 = 47, feoh4m = 48,
                     fecl = 49, fecl2 = 50, fecl_2p = 51, fecl2p = 52, fecl3 = 53, fecl4 = 54,
                     feso4 = 55, feso4p = 56, al = 57, aloh = 58, aloh2 = 59, aloh3 = 60,
                     aloh4 = 61, also4 = 62, also42 = 63, alf = 64, alf2 = 65, alf3 = 66, alf4 = 67,
                     alf5 = 68, alf6 = 69;
}  // namespace sp

namespace min {  // positions in the mineral order
inline constexpr int adularia = 1, albite = 2, analcime = 3, anhydrite = 4, calcite = 5,
                     chalcedony = 6, mg_chlorite = 7, fluorite = 8, goethite = 9, laumontite = 10,
                     microcline = 11, magnetite = 12, ca_montmor = 13, k_montmor = 14,
                     mg_montmor = 15, na_montmor = 16, muscovite = 17, prehnite = 18,
                     pyrrhotite = 19, pyrite = 20, quartz = 21, wairakite = 22, wollastonite = 23,
                     zoisite = 24, epidote = 25, marcasite = 26, talc = 27, chrysotile = 28,
                     sil_amorph = 29;
}  // namespace min

}  // namespace morva

namespace morva {

/// Gas factors of CO2, H2S and NH3 (1..3): total amount of the neutral volatile species,
/// dissolved plus carried by the steam, per kg of liquid, over its dissolved molality.
using gas_factors = one_based<struct gas_factor_tag, 3>;

}  // namespace morva
