#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "morva/calculate.h"
#include "morva/mineral_curves.h"
#include "morva/sample_file.h"

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

/// The minerals the composer saturates, each with the total it sets.
const std::vector<int>& composed_minerals() {
  static const std::vector<int> m = {min::quartz,  min::albite,   min::microcline,
                                     min::calcite, min::fluorite, min::mg_chlorite};
  return m;
}

/// A sodium chloride water of Na na_mgkg and CO2 co2_mgkg with pH ph at 20 °C, whose totals
/// are adjusted, with the program's own speciation of the liquid at t_c (its reference
/// temperature, returned in opt), until the composed minerals are all saturated there: SiO2
/// by quartz, Al by low albite, K by microcline, Ca by calcite, F by fluorite, Mg by
/// Mg-chlorite; Cl closes the ion balance. Anhydrite is left out: with the little Ca that
/// calcite leaves, its saturation below about 250 °C would take grams of SO4 per kg.
sample_record composed_water(double t_c, double na_mgkg, double co2_mgkg, double ph,
                             run_options& opt) {
  sample_record s;
  s.number = "EQ";
  s.ph = ph;
  s.ph_t_c = 20.0;
  s.collection.t_c = t_c;
  s.water_mgkg[comp::na] = na_mgkg;
  s.water_mgkg[comp::cl] = 1.5 * na_mgkg;
  s.water_mgkg[comp::co2] = co2_mgkg;
  s.water_mgkg[comp::sio2] = 300.0;
  s.water_mgkg[comp::al] = 0.3;
  s.water_mgkg[comp::k] = 0.1 * na_mgkg;
  s.water_mgkg[comp::ca] = 2.0;
  s.water_mgkg[comp::f] = 1.0;
  s.water_mgkg[comp::so4] = 50.0;
  s.water_mgkg[comp::mg] = 0.01;
  opt = run_options{};
  opt.tref_type = reference_temperature::arbitrary;
  opt.t_typed_c = t_c;
  constexpr double cl_mg_per_eq = 35453.0;
  // Newton on the log10 totals, the Jacobian by differences; Cl follows each step.
  constexpr int n = 6;
  const int total[n] = {comp::sio2, comp::al, comp::k, comp::ca, comp::f, comp::mg};
  // The SI of the composed minerals of water w and its cation excess, eq/kg.
  const auto residual = [&](const sample_record& w, std::array<double, n>& si, double& excess) {
    const saturation_result r = saturation(w, opt, {t_c, t_c, 1.0}, composed_minerals());
    if (r.points.empty() || !r.points[0].solved) return false;
    for (int i = 0; i < n; ++i) {
      const std::optional<double>& x = r.points[0].si[composed_minerals()[i]];
      if (!x) return false;
      si[i] = *x;
    }
    excess = r.calculation.sampled.balance.cations - r.calculation.sampled.balance.anions;
    return true;
  };
  for (int it = 0; it < 40; ++it) {
    std::array<double, n> f{};
    double excess = 0.0;
    if (!residual(s, f, excess)) {
      ADD_FAILURE() << "composition at " << t_c << " failed at step " << it;
      break;
    }
    double size = 0.0;
    for (double x : f) size += std::abs(x);
    if (size < 1e-9 && std::abs(excess) < 1e-9) break;
    // The Jacobian d SI_i / d log10 total_j.
    constexpr double h = 1e-4;
    double a[n][n + 1];
    for (int j = 0; j < n; ++j) {
      sample_record w = s;
      w.water_mgkg[total[j]] *= std::pow(10.0, h);
      std::array<double, n> fj{};
      double unused = 0.0;
      if (!residual(w, fj, unused)) return s;
      for (int i = 0; i < n; ++i) a[i][j] = (fj[i] - f[i]) / h;
    }
    for (int i = 0; i < n; ++i) a[i][n] = -f[i];
    // Gaussian elimination with partial pivoting.
    for (int c = 0; c < n; ++c) {
      int piv = c;
      for (int r = c + 1; r < n; ++r) {
        if (std::abs(a[r][c]) > std::abs(a[piv][c])) piv = r;
      }
      for (int k = 0; k <= n; ++k) std::swap(a[c][k], a[piv][k]);
      for (int r = c + 1; r < n; ++r) {
        const double m = a[r][c] / a[c][c];
        for (int k = c; k <= n; ++k) a[r][k] -= m * a[c][k];
      }
    }
    double dx[n];
    for (int c = n - 1; c >= 0; --c) {
      double v = a[c][n];
      for (int k = c + 1; k < n; ++k) v -= a[c][k] * dx[k];
      dx[c] = v / a[c][c];
    }
    // Steps of at most one log unit keep the first iterations from overshooting.
    double most = 0.0;
    for (double d : dx) most = std::max(most, std::abs(d));
    const double scale = most > 1.0 ? 1.0 / most : 1.0;
    for (int j = 0; j < n; ++j) s.water_mgkg[total[j]] *= std::pow(10.0, scale * dx[j]);
    s.water_mgkg[comp::cl] = std::max(1.0, s.water_mgkg[comp::cl] + excess * cl_mg_per_eq);
  }
  return s;
}

/// The liquid of s boiled by the program to t_c with degassing coefficient degas, as a sample
/// of that liquid: its composition (mg/kg) and its pH at t_c, where it was taken. The values
/// are taken as calculated: a sample file's fixed fields would round away the traces of Mg and
/// Al that saturate Mg-chlorite and albite.
sample_record boiled(const sample_record& s, run_options opt, double t_c, double degas) {
  opt.boil_c = {t_c};
  opt.boil_degas = degas;
  const sample_result r = calculate(s, opt);
  if (r.refused || r.steps.empty() || !r.steps[0].state) {
    ADD_FAILURE() << "no boiled liquid";
    return s;
  }
  const fluid_state& st = *r.steps[0].state;
  sample_record b;
  b.number = s.number;
  b.collection.t_c = t_c;
  b.ph = st.ph;
  b.ph_t_c = t_c;
  b.water_mgkg = st.liquid_mgkg;
  b.tds = st.tds_liquid;
  return b;
}

TEST(FixedAl, AGridPointCalculatedWithTheReportedAlIsAtSaturation) {
  // Waters with and without analysed Al, below and above their reference temperature: the
  // sample given the Al reported at a grid point, cooled there by a plain step, has the
  // fixing mineral at SI 0 to 0.01 for Al up to 1 mg/kg: the Al scaled as a trace leaves pH
  // as it was, and the Al of a plain calculation moves it a little.
  constexpr double al_most_mgkg = 1.0;
  std::vector<sample_record> waters;
  std::vector<run_options> options;
  for (double t_c : {180.0, 260.0}) {
    run_options opt;
    sample_record s = composed_water(t_c, 500.0, 300.0, 8.0, opt);
    s.water_mgkg[comp::al] = 0.0;
    waters.push_back(s);
    options.push_back(opt);
  }
  std::ifstream f(std::string(MORVA_EXAMPLES) + "/morva.in", std::ios::binary);
  for (const sample_record& s :
       samples_of({std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()})) {
    // As analysed (the Al scaled from there), and without Al (from a trace).
    waters.push_back(s);
    options.emplace_back();
    waters.push_back(s);
    waters.back().water_mgkg[comp::al] = 0.0;
    options.emplace_back();
  }
  for (const int fix : {min::microcline, min::albite}) {
    for (std::size_t i = 0; i < waters.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "water " << i << ", mineral " << fix);
      saturation_choices how;
      how.fix_al = fix;
      const saturation_result r = saturation(waters[i], options[i], {60.0, 300.0, 60.0},
                                             default_saturation_minerals(), how);
      if (r.calculation.refused) continue;
      for (const saturation_point& p : r.points) {
        // Within the Al of natural waters the Al stays a trace beside F and the buffers.
        if (!p.al_mg_kg || *p.al_mg_kg > al_most_mgkg) continue;
        EXPECT_EQ(p.si[fix], 0.0);
        sample_record with = waters[i];
        with.water_mgkg[comp::al] = *p.al_mg_kg;
        run_options one = options[i];
        one.cool_c = {p.t_c};
        const sample_result plain = calculate(with, one);
        ASSERT_TRUE(plain.steps.at(0).state.has_value()) << p.t_c;
        EXPECT_NEAR(*plain.steps[0].state->saturation_index(fix), 0.0, 0.01) << p.t_c;
        // The other Al minerals follow to 0.1: Mg-chlorite's 8 OH- and muscovite's 2 magnify
        // the few thousandths of pH by which the scaled trace and the plain liquid differ.
        for (int j :
             {min::albite, min::microcline, min::muscovite, min::laumontite, min::mg_chlorite}) {
          if (!p.si[j]) continue;
          EXPECT_NEAR(*plain.steps[0].state->saturation_index(j), *p.si[j], 0.1)
              << p.t_c << " " << j;
        }
      }
    }
  }
}

TEST(FittedLiquid, RecoversTheTemperatureOfBoiledWatersComposedInEquilibrium) {
  // Twenty waters composed in equilibrium between 150 and 300 °C, boiled to 100 °C with all
  // their CO2 degassing or less of it, read back as the boiled liquid's sample: the curves of
  // the liquid with water and CO2 fitted find the temperature again. Half of the waters lose
  // their Al and have it fixed by microcline.
  constexpr int n = 20;
  std::vector<double> errors;
  int fitted_water_ok = 0;
  for (int i = 0; i < n; ++i) {
    const double t_c = 150.0 + 150.0 * i / (n - 1);
    const double na = 300.0 + 40.0 * (i % 7);
    const double co2 = 100.0 + 150.0 * (i % 5);
    const double ph = 7.5 + 0.25 * (i % 4);
    const double degas = i % 2 == 0 ? 1.0 : 0.3;
    const bool fix = (i / 2) % 2 == 0;
    SCOPED_TRACE(testing::Message() << "T " << t_c << " degas " << degas << " fix " << fix);
    run_options opt;
    const sample_record s = composed_water(t_c, na, co2, ph, opt);
    sample_record b = boiled(s, opt, 100.0, degas);
    saturation_choices how;
    how.fit_water = true;
    how.fit_co2 = true;
    if (fix) {
      b.water_mgkg[comp::al] = 0.0;
      how.fix_al = min::microcline;
    }
    const saturation_result r =
        saturation(b, run_options{}, saturation_grid{}, composed_minerals(), how);
    ASSERT_FALSE(r.calculation.refused);
    ASSERT_TRUE(r.fitted_water_factor && r.fitted_co2_mol_kg);
    EXPECT_EQ(r.al_fixed_mg_kg.has_value(), fix && r.t_estimate_c.has_value());
    // The steam fraction of boiling from t_c to 100 °C is what the water factor undoes.
    const double y = 1.0 - s.water_mgkg[comp::na] / b.water_mgkg[comp::na];
    if (std::abs(*r.fitted_water_factor - (1.0 - y)) < 0.1) ++fitted_water_ok;
    const double err = r.t_min_rms_c ? std::abs(*r.t_min_rms_c - t_c) : 1e9;
    errors.push_back(err);
  }
  std::sort(errors.begin(), errors.end());
  const auto within =
      std::count_if(errors.begin(), errors.end(), [](double e) { return e <= 10.0; });
  const double median = 0.5 * (errors[n / 2 - 1] + errors[n / 2]);
  std::printf("within 10 C: %d of %d, median error %.2f C, water factor within 0.1: %d\n",
              static_cast<int>(within), n, median, fitted_water_ok);
  EXPECT_GE(within, 18);
  EXPECT_LE(median, 5.0);
}

}  // namespace
}  // namespace morva
