#include <gtest/gtest.h>

#include "chemdata/names.h"

namespace morva {

TEST(Tables, NamesHaveTheirFixedLengths) {
  for (int k = 1; k <= component_vector::size; ++k) EXPECT_EQ(nam(k).size(), 9u) << k;
  for (int i = 1; i <= species_vector::size; ++i) EXPECT_EQ(spenam(i).size(), 12u) << i;
  for (int j = 1; j <= mineral_vector::size; ++j) EXPECT_EQ(minnam(j).size(), 12u) << j;
  EXPECT_EQ(nam(comp::co2), "CO2      ");
  EXPECT_EQ(minnam(min::albite), "Albite, low ");
  EXPECT_EQ(minnam(min::wollastonite), "Wollastonite");
}

TEST(Tables, NamedPositionsMatchTheNameTables) {
  // Every named position addresses the entry whose name it carries.
  struct entry {
    int pos;
    std::string_view name;
  };
  for (auto e : {entry{comp::sio2, "SiO2"}, entry{comp::h2, "H2"}, entry{comp::fe, "Fe"},
                 entry{comp::so4, "SO4"}, entry{comp::n2, "N2"}})
    EXPECT_EQ(nam(e.pos).substr(0, e.name.size()), e.name);
  for (auto e :
       {entry{sp::h, "H+ "}, entry{sp::oh, "OH-"}, entry{sp::h4sio4, "H4SiO4"},
        entry{sp::co3, "CO3--"}, entry{sp::h2s, "H2S "}, entry{sp::so4, "SO4--"},
        entry{sp::nh4, "NH4+"}, entry{sp::fe2, "Fe++ "}, entry{sp::fe3, "Fe+++"},
        entry{sp::feoh_2p, "Fe(OH)++"}, entry{sp::fecl_2p, "FeCl++"}, entry{sp::al, "Al+++"},
        entry{sp::alf6, "AlF6---"}, entry{sp::also42, "Al(SO4)2-"}})
    EXPECT_EQ(spenam(e.pos).substr(0, e.name.size()), e.name);
  for (auto e : {entry{min::quartz, "Quartz"}, entry{min::chalcedony, "Chalcedony"},
                 entry{min::sil_amorph, "Sil. amorph."}, entry{min::talc, "Talc"}})
    EXPECT_EQ(minnam(e.pos).substr(0, e.name.size()), e.name);
}

TEST(Tables, WeightsConvertMilligramsToMoles) {
  EXPECT_EQ(w(comp::sio2), 60090.0);
  EXPECT_EQ(w(comp::h2), 2020.0);
  // Weights are per formula unit, not per charge.
  EXPECT_EQ(species_weight[sp::fe2], species_weight[sp::fe3]);
  EXPECT_EQ(species_weight[sp::feoh], species_weight[sp::feoh_2p]);
}

TEST(Tables, ChargesBalanceNamesAndNeutralsHaveNoSize) {
  for (int i = 1; i <= species_vector::size; ++i) {
    std::string_view n = spenam(i);
    n = n.substr(0, n.find(' '));
    int plus = 0, minus = 0;
    for (char ch : n) plus += ch == '+', minus += ch == '-';
    EXPECT_EQ(species_charge[i], plus - minus) << n;
    EXPECT_EQ(species_charge[i] == 0.0, species_ion_size[i] == 0.0) << n;
  }
}

TEST(Tables, NamesLookUpBothWaysWithoutTheirPadding) {
  // Each name is its padded report name less the trailing blanks, and finds its position.
  for (int k = 1; k <= component_vector::size; ++k) {
    EXPECT_EQ(component_name(k), nam(k).substr(0, component_name(k).size())) << k;
    EXPECT_FALSE(component_name(k).empty() || component_name(k).ends_with(' ')) << k;
    EXPECT_EQ(component_index(component_name(k)), k);
  }
  for (int i = 1; i <= species_vector::size; ++i) {
    EXPECT_EQ(species_name(i), spenam(i).substr(0, species_name(i).size())) << i;
    EXPECT_FALSE(species_name(i).empty() || species_name(i).ends_with(' ')) << i;
    EXPECT_EQ(species_index(species_name(i)), i);
  }
  for (int j = 1; j <= mineral_vector::size; ++j) {
    EXPECT_EQ(mineral_name(j), minnam(j).substr(0, mineral_name(j).size())) << j;
    EXPECT_FALSE(mineral_name(j).empty() || mineral_name(j).ends_with(' ')) << j;
    EXPECT_EQ(mineral_index(mineral_name(j)), j);
  }
  EXPECT_EQ(species_index("HCO3-"), sp::hco3);
  EXPECT_EQ(component_index("SiO2"), comp::sio2);
  EXPECT_EQ(mineral_index("Albite, low"), min::albite);
  // Only the exact name: no padding, no other case, nothing unknown.
  for (std::string_view bad : {"HCO3- ", "hco3-", "", "H2O", "Quartz "}) {
    EXPECT_FALSE(species_index(bad)) << bad;
    EXPECT_FALSE(mineral_index(bad)) << bad;
    EXPECT_FALSE(component_index(bad)) << bad;
  }
}

}  // namespace morva
