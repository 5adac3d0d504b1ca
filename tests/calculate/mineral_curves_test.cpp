#include "morva/mineral_curves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "chemdata/names.h"
#include "morva/calculate.h"
#include "morva/sample_file.h"
#include "result_tables/csv.h"
#include "result_tables/curve_tables.h"
#include "robust/water_generator.h"

namespace morva {
namespace {

std::vector<sample_record> samples_of(const std::string& text) {
  std::istringstream in(text);
  sample_reader r(in, "samples");
  std::vector<sample_record> all;
  for (read_result got = r.next(); got.what == read_result::kind::sample; got = r.next()) {
    all.push_back(got.sample);
  }
  return all;
}

std::string example_text() {
  std::ifstream f(std::string(MORVA_EXAMPLES) + "/morva.in", std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

TEST(SaturationCurve, EachGridPointIsTheCoolingStepToItsTemperature) {
  // Bit for bit, so the printed digits agree too: below and above the reference temperature,
  // for the examples under two options and for generated waters.
  std::vector<std::pair<sample_record, run_options>> cases;
  run_options quartz;
  quartz.tref_type = reference_temperature::quartz;
  for (const sample_record& s : samples_of(example_text())) {
    cases.emplace_back(s, run_options{});
    cases.emplace_back(s, quartz);
  }
  water_generator g(8, 0.0);
  for (int i = 0; i < 20; ++i) {
    const generated_sample gs = g.next();
    cases.emplace_back(samples_of(gs.block).at(0), gs.options);
  }
  const saturation_grid grid{20.0, 340.0, 40.0};
  for (const auto& [s, opt] : cases) {
    SCOPED_TRACE(s.number);
    const saturation_result sat = saturation(s, opt, grid, default_saturation_minerals());
    const sample_result plain = calculate(s, opt);
    ASSERT_EQ(sat.calculation.refused, plain.refused);
    if (plain.refused) continue;
    ASSERT_EQ(sat.points.size(), 9u);
    for (const saturation_point& p : sat.points) {
      run_options one = opt;
      one.boil_c.clear();
      one.cool_c = {p.t_c};
      const step_result step = calculate(s, one).steps.at(0);
      ASSERT_EQ(p.solved, step.state.has_value()) << p.t_c;
      if (!p.solved) continue;
      EXPECT_EQ(p.log_k, step.state->derived.log_k) << p.t_c;
      EXPECT_EQ(p.log_q, step.state->derived.log_q) << p.t_c;
    }
  }
}

TEST(SaturationCurve, SharedTemperatureTermsChangeNoByte) {
  // The terms of a run's grid against terms of a grid that holds none of its temperatures,
  // so that every point computes its own: the tables must agree to the byte, plain, with the
  // Al fixed (points solved again) and fitted (the same temperature visited many times).
  std::vector<std::pair<sample_record, run_options>> cases;
  for (const sample_record& s : samples_of(example_text())) cases.emplace_back(s, run_options{});
  water_generator g(11, 0.2);
  for (int i = 0; i < 12; ++i) {
    const generated_sample gs = g.next();
    cases.emplace_back(samples_of(gs.block).at(0), gs.options);
  }
  saturation_choices fix;
  fix.fix_al = min::microcline;
  saturation_choices fit;
  fit.fit_water = true;
  fit.fit_co2 = true;
  const saturation_grid grid{20.0, 350.0, 10.0};
  const saturation_terms shared(grid);
  const saturation_terms elsewhere(saturation_grid{1000.0, 1000.0, 1.0});
  const auto text = [&](const sample_record& s, const run_options& opt,
                        const saturation_choices& how, const saturation_terms& terms) {
    const saturation_result r =
        saturation_checked(s, opt, grid, default_saturation_minerals(), how, terms);
    number_memo memo;
    std::string out;
    append_csv_rows(out, saturation_rows(s, r), saturation_columns(r.minerals).size(), memo);
    append_csv_rows(out, {saturation_summary_row(s, opt, r, memo)},
                    saturation_summary_columns(r.minerals).size(), memo);
    return out;
  };
  int fitted = 0;
  for (const auto& [s, opt] : cases) {
    SCOPED_TRACE(s.number);
    for (const saturation_choices& how : {saturation_choices{}, fix, fit}) {
      // The fit visits every temperature some hundred times: a few samples show it.
      if (how.fit_water && ++fitted > 4) continue;
      const std::string with = text(s, opt, how, shared);
      EXPECT_FALSE(with.empty());
      EXPECT_EQ(with, text(s, opt, how, elsewhere));
      EXPECT_EQ(with, text(s, opt, how, saturation_terms{}));
    }
  }
}

/// A chloride water at its reference temperature t_c whose silica, aluminium and potassium
/// are adjusted, with the program's own speciation, until quartz, low albite and microcline
/// are all saturated at t_c.
sample_record equilibrium_water(double t_c, run_options& opt) {
  sample_record s;
  s.number = "EQ              ";
  s.ph = 7.0;
  s.ph_t_c = 20.0;
  s.collection.t_c = t_c;
  s.water_mgkg[comp::na] = 400.0;
  s.water_mgkg[comp::cl] = 620.0;
  s.water_mgkg[comp::co2] = 40.0;
  s.water_mgkg[comp::ca] = 2.0;
  s.water_mgkg[comp::sio2] = 300.0;
  s.water_mgkg[comp::k] = 40.0;
  s.water_mgkg[comp::al] = 0.3;
  opt = run_options{};
  opt.tref_type = reference_temperature::arbitrary;
  opt.t_typed_c = t_c;
  const std::vector<int> trio = {min::quartz, min::albite, min::microcline};
  for (int it = 0; it < 60; ++it) {
    const saturation_result r = saturation(s, opt, {t_c, t_c, 1.0}, trio);
    const mineral_logs& si = r.points.at(0).si;
    const double q = *si[min::quartz], ab = *si[min::albite], mc = *si[min::microcline];
    if (std::abs(q) + std::abs(ab) + std::abs(mc) < 1e-9) break;
    // Quartz rests on silica alone; albite adds Na and aluminate to three silicas, and
    // microcline differs from it by K against Na.
    s.water_mgkg[comp::sio2] *= std::pow(10.0, -q);
    s.water_mgkg[comp::al] *= std::pow(10.0, -(ab - 3.0 * q));
    s.water_mgkg[comp::k] *= std::pow(10.0, -(mc - ab));
  }
  return s;
}

TEST(MulticomponentGeothermometer, FindsTheTemperatureOfAWaterInEquilibrium) {
  const std::vector<int> trio = {min::quartz, min::albite, min::microcline};
  for (const double t_c : {180.0, 240.0, 300.0}) {
    SCOPED_TRACE(t_c);
    run_options opt;
    const sample_record s = equilibrium_water(t_c, opt);
    const saturation_result r = saturation(s, opt, saturation_grid{}, trio);
    ASSERT_TRUE(r.t_min_rms_c.has_value());
    EXPECT_NEAR(*r.t_min_rms_c, t_c, 3.0);
    // Each mineral's curve crosses zero at that temperature, to the grid's interpolation (the
    // albite curve of the hottest water turns and crosses twice).
    ASSERT_EQ(r.equilibrium.size(), 3u);
    for (const mineral_equilibrium& e : r.equilibrium) {
      double nearest = 1e9;
      for (double x : e.t_c) nearest = std::min(nearest, std::abs(x - t_c));
      EXPECT_LT(nearest, 3.0) << minnam(e.mineral);
    }
    ASSERT_TRUE(r.t_equilibrium_median_c.has_value());
    EXPECT_NEAR(*r.t_equilibrium_median_c, t_c, 3.0);
  }
}

TEST(MulticomponentGeothermometer, StatisticsAndNames) {
  // Statistics of one grid point by hand, of the SI as they stand and divided by the species
  // of each reaction, and the names as the report writes them.
  const std::vector<sample_record> ex = samples_of(example_text());
  for (const auto& [form, species] :
       {std::pair{si_form::none, std::map<int, int>{}},
        std::pair{si_form::ions, std::map<int, int>{{min::quartz, 1},
                                                    {min::albite, 5},
                                                    {min::microcline, 5},
                                                    {min::muscovite, 9},
                                                    {min::laumontite, 7},
                                                    {min::wairakite, 7},
                                                    {min::prehnite, 9},
                                                    {min::zoisite, 9},
                                                    {min::epidote, 9},
                                                    {min::calcite, 2},
                                                    {min::anhydrite, 2},
                                                    {min::fluorite, 3},
                                                    {min::mg_chlorite, 18}}}}) {
    SCOPED_TRACE(form == si_form::ions ? "ions" : "none");
    const saturation_result r = saturation(ex.at(1), run_options{}, {100.0, 100.0, 5.0},
                                           default_saturation_minerals(), {form});
    ASSERT_EQ(r.points.size(), 1u);
    const saturation_point& p = r.points[0];
    std::vector<double> si;
    for (int j : default_saturation_minerals()) {
      if (p.si[j]) si.push_back(*p.si[j] / (species.empty() ? 1 : species.at(j)));
    }
    ASSERT_EQ(p.stats.count, static_cast<int>(si.size()));
    double sum = 0.0, sq = 0.0;
    for (double x : si) {
      sum += x;
      sq += x * x;
    }
    EXPECT_NEAR(*p.stats.mean, sum / static_cast<double>(si.size()), 1e-12);
    EXPECT_NEAR(*p.stats.rms, std::sqrt(sq / static_cast<double>(si.size())), 1e-12);
    EXPECT_NEAR(*p.stats.rms * *p.stats.rms,
                *p.stats.mean * *p.stats.mean + *p.stats.sd * *p.stats.sd, 1e-9);
    // One grid point is an edge of its grid: no estimate, the flag says why.
    EXPECT_FALSE(r.t_estimate_c.has_value());
    EXPECT_EQ(r.flags.front(), "edge");
  }

  EXPECT_EQ(mineral_by_name("albite low"), min::albite);
  EXPECT_EQ(mineral_by_name("Albite, low"), min::albite);
  EXPECT_EQ(mineral_by_name("MG-CHLORITE"), min::mg_chlorite);
  EXPECT_EQ(mineral_by_name("sil amorph"), min::sil_amorph);
  EXPECT_FALSE(mineral_by_name("albite").has_value());
  EXPECT_FALSE(mineral_by_name("k-feldspar").has_value());
  EXPECT_EQ(default_saturation_minerals().size(), 13u);
}

}  // namespace
}  // namespace morva

namespace morva {
namespace {

TEST(MulticomponentGeothermometer, AutoLeavesOutTheMineralsFarFromTheOthers) {
  // Each example water: the minerals used and left out make the assemblage; a mineral left out
  // has no crossing or one beyond the rule's reach of the median of the crossings, and the
  // estimate is that of the minerals used alone.
  for (const sample_record& s : samples_of(example_text())) {
    SCOPED_TRACE(s.number);
    saturation_choices how;
    how.auto_minerals = true;
    const saturation_result r =
        saturation(s, run_options{}, {25.0, 350.0, 5.0}, default_saturation_minerals(), how);
    std::vector<int> all = r.minerals_used;
    all.insert(all.end(), r.minerals_dropped.begin(), r.minerals_dropped.end());
    std::sort(all.begin(), all.end());
    std::vector<int> assemblage = default_saturation_minerals();
    std::sort(assemblage.begin(), assemblage.end());
    EXPECT_EQ(all, assemblage);
    const saturation_result plain =
        saturation(s, run_options{}, {25.0, 350.0, 5.0}, r.minerals_used);
    EXPECT_EQ(r.t_min_rms_c, plain.t_min_rms_c);
    EXPECT_EQ(r.flags, plain.flags);
    const saturation_result full =
        saturation(s, run_options{}, {25.0, 350.0, 5.0}, default_saturation_minerals());
    for (const mineral_equilibrium& e : full.equilibrium) {
      const bool dropped = std::find(r.minerals_dropped.begin(), r.minerals_dropped.end(),
                                     e.mineral) != r.minerals_dropped.end();
      EXPECT_TRUE(!e.t_c.empty() || dropped) << minnam(e.mineral);
    }
  }
}

}  // namespace
}  // namespace morva
