#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morva/geothermometers.h"

namespace morva {

namespace {

/// Water analysis, mg/kg; 0: not analysed.
struct water {
  double sio2 = 0.0, na = 0.0, k = 0.0, ca = 0.0, mg = 0.0, cl = 0.0;
};

sample_record with_water(const water& x) {
  sample_record s;
  s.water_mgkg[comp::sio2] = x.sio2;
  s.water_mgkg[comp::na] = x.na;
  s.water_mgkg[comp::k] = x.k;
  s.water_mgkg[comp::ca] = x.ca;
  s.water_mgkg[comp::mg] = x.mg;
  s.water_mgkg[comp::cl] = x.cl;
  return s;
}

/// Dry gas, volume % of CO2, H2S, H2 and CH4.
sample_record with_gas(double co2, double h2s, double h2, double ch4) {
  sample_record s;
  s.gas[comp::co2] = co2;
  s.gas[comp::h2s] = h2s;
  s.gas[comp::h2] = h2;
  s.gas[comp::ch4] = ch4;
  return s;
}

/// Steam with CO2 and H2S, mg per kg of steam, H2 from 1 mol of gas per kg (24.465 L at 25 °C)
/// holding h2_pct volume %, and the water's chloride, mg/kg.
sample_record with_steam(double co2_mgkg, double h2s_mgkg, double h2_pct, double cl) {
  sample_record s = with_water({.cl = cl});
  s.steam.co2_mgkg = co2_mgkg;
  s.steam.h2s_mgkg = h2s_mgkg;
  if (h2_pct > 0.0) {
    s.collection.gas_l_per_kg = 24.465;
    s.gas[comp::h2] = h2_pct;
  }
  return s;
}

constexpr gt_estimate range{std::nullopt, gt_problem::range};
constexpr gt_estimate inputs{std::nullopt, gt_problem::inputs};
gt_estimate at(double t_c) { return {t_c, std::nullopt}; }

}  // namespace

TEST(ClassicalGeothermometers, MatchHandValuesOfThePublishedEquations) {
  // Expected values worked out by hand from each published equation (the Na-K-Ca rows with
  // the β and Mg-correction rules applied by hand), quoted to 1e-4 °C: tolerance half that.
  struct example {
    std::string what;
    sample_record s;
    classical_gt g;
    gt_estimate expect;
  };
  using enum classical_gt;
  const sample_record si300 = with_water({.sio2 = 300.0});
  const sample_record si30 = with_water({.sio2 = 30.0});
  const sample_record si700 = with_water({.sio2 = 700.0});
  const sample_record nak300 = with_water({.na = 300.0, .k = 40.0});
  const sample_record nak1000 = with_water({.na = 1000.0, .k = 30.0});
  const std::vector<example> examples = {
      {"300 mg/kg silica", si300, quartz_conductive, at(210.6497)},
      {"300 mg/kg silica", si300, quartz_steam_loss, at(191.8840)},
      {"300 mg/kg silica", si300, chalcedony_fournier, at(193.2108)},
      {"300 mg/kg silica: 183.9 °C, above 180", si300, chalcedony_arnorsson, range},
      {"30 mg/kg silica", si30, quartz_conductive, at(79.9182)},
      {"30 mg/kg silica", si30, quartz_steam_loss, at(83.0501)},
      {"30 mg/kg silica", si30, chalcedony_fournier, at(48.0573)},
      {"30 mg/kg silica", si30, chalcedony_arnorsson, at(50.7764)},
      {"700 mg/kg silica", si700, quartz_conductive, at(307.6378)},
      {"700 mg/kg silica: above 250 °C", si700, quartz_steam_loss, range},
      {"700 mg/kg silica: above 250 °C", si700, chalcedony_fournier, range},
      {"Na/K 300/40", nak300, nak_fournier, at(242.9519)},
      {"Na/K 300/40", nak300, nak_truesdell, at(220.7424)},
      {"Na/K 300/40", nak300, nak_arnorsson, at(226.2983)},
      {"Na/K 300/40", nak300, nak_giggenbach, at(256.3615)},
      {"Na/K 1000/30: below 150 °C", nak1000, nak_fournier, range},
      {"Na/K 1000/30: below 100 °C", nak1000, nak_truesdell, range},
      {"Na/K 1000/30", nak1000, nak_arnorsson, at(97.6946)},
      {"Na/K 1000/30", nak1000, nak_giggenbach, at(151.5526)},
      {"no K", with_water({.na = 300.0}), nak_giggenbach, inputs},
      // Na-K-Ca: molal log(√Ca/Na) negative, β = 1/3; R 0.37 < 1.5, no Mg correction.
      {"β 1/3", with_water({.na = 300, .k = 40, .ca = 2, .mg = 0.05}), nakca, at(232.6555)},
      {"R < 1.5", with_water({.na = 300, .k = 40, .ca = 2, .mg = 0.05}), nakca_mg, at(232.6555)},
      {"K-Mg", with_water({.na = 300, .k = 40, .ca = 2, .mg = 0.05}), kmg, at(191.3123)},
      // β = 4/3 gives 60.7 °C, kept; below 70 °C no Mg correction.
      {"β 4/3", with_water({.na = 100, .k = 4, .ca = 30, .mg = 0.5}), nakca, at(60.7451)},
      {"below 70 °C", with_water({.na = 100, .k = 4, .ca = 30, .mg = 0.5}), nakca_mg, at(60.7451)},
      {"K-Mg", with_water({.na = 100, .k = 4, .ca = 30, .mg = 0.5}), kmg, at(79.7954)},
      // β = 4/3 gives above 100 °C, so β = 1/3; R = 6.73 takes the 5-50 correction.
      {"β 4/3 then 1/3", with_water({.na = 200, .k = 25, .ca = 10, .mg = 1}), nakca, at(202.9423)},
      {"R 5-50", with_water({.na = 200, .k = 25, .ca = 10, .mg = 1}), nakca_mg, at(168.6903)},
      {"R 1.5-5", with_water({.na = 500, .k = 50, .ca = 5, .mg = 0.5}), nakca_mg, at(208.0574)},
      {"negative Δt", with_water({.na = 50, .k = 8, .ca = 20, .mg = 2}), nakca_mg, at(83.7602)},
      {"R > 50", with_water({.na = 20, .k = 2, .ca = 40, .mg = 50}), nakca_mg, range},
      {"no Mg", with_water({.na = 200, .k = 25, .ca = 10}), nakca_mg, inputs},
      {"no Ca", with_water({.na = 200, .k = 25, .mg = 1}), nakca_mg, inputs},
      {"no Mg", with_water({.na = 200, .k = 25, .ca = 10}), kmg, inputs},
      // D'Amore and Panichi with P_CO2 1, 10 and 0.1 atm.
      {"P_CO2 1 atm", with_gas(90, 5, 2, 1), gas_dp, at(267.6248)},
      {"P_CO2 10 atm", with_gas(90, 5, 0.5, 2), gas_dp, at(302.6136)},
      {"P_CO2 0.1 atm", with_gas(60, 20, 2, 1), gas_dp, at(224.6120)},
      {"no CH4", with_gas(90, 5, 2, 0), gas_dp, inputs},
      // Steam: 2000 mg/kg CO2 (45.44 mmol/kg), 3 mmol/kg H2S and H2; the dilute forms, and
      // the saline ones from 500 mg/kg chloride.
      {"CO2", with_steam(2000, 0, 0, 0), co2, at(234.3178)},
      {"100 mg/kg CO2: below 200 °C", with_steam(100, 0, 0, 0), co2, range},
      {"H2S, dilute", with_steam(0, 3 * 34.08, 0, 0), h2s, at(204.2320)},
      {"H2S, saline", with_steam(0, 3 * 34.08, 0, 600), h2s, at(268.0798)},
      {"H2, dilute", with_steam(0, 0, 0.3, 0), h2, at(230.6121)},
      {"H2, saline", with_steam(0, 0, 0.3, 600), h2, at(287.2148)},
      {"no steam", with_water({.cl = 600}), h2, inputs},
  };
  for (const example& x : examples) {
    SCOPED_TRACE(x.what + ": " + std::string(gt_name(x.g)));
    const gt_estimate e = classical_geothermometers(x.s)[static_cast<std::size_t>(x.g)];
    EXPECT_EQ(e.problem, x.expect.problem);
    ASSERT_EQ(e.t_c.has_value(), x.expect.t_c.has_value());
    if (e.t_c) {
      EXPECT_NEAR(*e.t_c, *x.expect.t_c, 5e-5);
    }
  }
}

TEST(ClassicalGeothermometers, NothingAnalysedFlagsEveryInput) {
  for (const gt_estimate& e : classical_geothermometers(sample_record{})) EXPECT_EQ(e, inputs);
}

}  // namespace morva
