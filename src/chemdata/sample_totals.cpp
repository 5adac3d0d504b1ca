#include "morva/sample.h"
#include "morva/tables.h"
#include "morva/units.h"

namespace morva {

sample_totals derive(const sample_record& s) {
  sample_totals t;
  t.ph_t = s.ph_t_c + zero_celsius_k;
  for (int i = 1; i <= component_vector::size; ++i) t.water[i] = s.water_mgkg[i] / w(i);

  // Steam-phase data: gas volume, steam or condensate volatiles. Gas percentages and
  // condensate Na alone do not describe a steam phase.
  const double gas_l_per_kg = s.collection.gas_l_per_kg;
  const bool steam_phase = gas_l_per_kg > 0.0 || s.steam.co2_mgkg > 0.0 || s.steam.h2s_mgkg > 0.0 ||
                           s.steam.nh3_mgkg > 0.0 || s.condensate.co2_mgkg > 0.0 ||
                           s.condensate.h2s_mgkg > 0.0 || s.condensate.nh3_mgkg > 0.0;
  t.type = steam_phase ? sample_type::two_phase : sample_type::water;

  // CO2, H2S and NH3 (components 1..3) of the steam and the condensate.
  const double steam_mgkg[3] = {s.steam.co2_mgkg, s.steam.h2s_mgkg, s.steam.nh3_mgkg};
  const double condensate_mgkg[3] = {s.condensate.co2_mgkg, s.condensate.h2s_mgkg,
                                     s.condensate.nh3_mgkg};

  // Molar volume of the dry gas, L/mol, at its collection temperature (25 °C when not given).
  constexpr double molar_volume_25c = 24.465;
  const double tg_c = s.collection.gas_t_c;
  const double v =
      tg_c <= 0.0 ? molar_volume_25c : molar_volume_25c + molar_volume_25c * (tg_c - 25.0) / 298.15;

  // Litres of gas per kg of condensate: measured, or from the first of CO2, H2S, NH3 whose
  // steam concentration and gas share are both known (steam minus condensate is in the gas).
  double g = gas_l_per_kg;
  if (!(g > 0.0)) {
    for (int i = 1; i <= 3; ++i) {
      const double steam_i = steam_mgkg[i - 1];
      if (steam_i > 0.0 && s.gas[i] > 0.0) {
        g = (steam_i - condensate_mgkg[i - 1]) * v / (w(i) * s.gas[i] / 100.0);
        break;
      }
    }
  }

  for (int i = 1; i <= 3; ++i) {
    t.steam[i] = steam_mgkg[i - 1] > 0.0
                     ? steam_mgkg[i - 1] / w(i)
                     : condensate_mgkg[i - 1] / w(i) + (g / v) * (s.gas[i] / 100.0);
  }
  for (int i = 4; i <= 7; ++i) t.steam[i] = (g / v) * (s.gas[i] / 100.0);
  return t;
}

}  // namespace morva
