#include "morva/mineral_curves.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>

#include "calculate/work_state.h"
#include "chemdata/activity.h"
#include "chemdata/units.h"
#include "derived/minerals.h"
#include "derived/results.h"
#include "morva/checks.h"
#include "morva/tables.h"

namespace morva {

namespace {

/// Median of values (not empty), sorted in place.
double median_of(std::vector<double>& values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

/// Quantile q (0..1) of sorted values (not empty), linear between order statistics.
double quantile(const std::vector<double>& sorted, double q) {
  const double h = q * static_cast<double>(sorted.size() - 1);
  const auto lo = static_cast<std::size_t>(std::floor(h));
  const std::size_t hi = std::min(lo + 1, sorted.size() - 1);
  return sorted[lo] + (h - static_cast<double>(lo)) * (sorted[hi] - sorted[lo]);
}

/// The saturation index x of mineral j in the form chosen.
double in_form(double x, int mineral, si_form form) {
  return form == si_form::ions ? x / reaction_species(mineral) : x;
}

/// Statistics of the saturation indices si of the chosen minerals, in the form chosen, with
/// the mineral `left_out` (0: none) left out.
si_statistics statistics(const mineral_logs& si, const std::vector<int>& minerals, si_form form,
                         int left_out = 0) {
  std::vector<double> x;
  for (int j : minerals) {
    if (si[j] && j != left_out) x.push_back(in_form(*si[j], j, form));
  }
  si_statistics st;
  st.count = static_cast<int>(x.size());
  if (x.empty()) return st;
  const auto n = static_cast<double>(x.size());
  double sum = 0.0, sum_abs = 0.0, sum_sq = 0.0;
  for (double v : x) {
    sum += v;
    sum_abs += std::abs(v);
    sum_sq += v * v;
  }
  const double mean = sum / n;
  double dev = 0.0;
  for (double v : x) dev += (v - mean) * (v - mean);
  st.mean = mean;
  st.mean_abs = sum_abs / n;
  st.rms = std::sqrt(sum_sq / n);
  st.sd = std::sqrt(dev / n);
  st.median = median_of(x);
  return st;
}

/// The temperatures, °C, at which a curve given at the temperatures t crosses zero, linear
/// between neighbouring values; a gap (an empty value) breaks the curve.
std::vector<double> zero_crossings(const std::vector<double>& t,
                                   const std::vector<std::optional<double>>& y) {
  std::vector<double> at;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!y[i]) continue;
    if (*y[i] == 0.0) {
      at.push_back(t[i]);
      continue;
    }
    if (i + 1 < t.size() && y[i + 1] && *y[i + 1] != 0.0 && (*y[i] < 0.0) != (*y[i + 1] < 0.0)) {
      at.push_back(t[i] + (0.0 - *y[i]) * (t[i + 1] - t[i]) / (*y[i + 1] - *y[i]));
    }
  }
  return at;
}

/// The least value of a curve and where it lies, refined by the parabola through the least
/// grid value and its two neighbours when both are there and the parabola opens upwards.
/// Returns the grid index of the least value, empty when the curve has none.
std::optional<std::size_t> least(const std::vector<double>& t,
                                 const std::vector<std::optional<double>>& y,
                                 std::optional<double>& t_min, std::optional<double>& y_min) {
  std::optional<std::size_t> k;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (y[i] && (!k || *y[i] < *y[*k])) k = i;
  }
  if (!k) return k;
  const std::size_t i = *k;
  t_min = t[i];
  y_min = *y[i];
  if (i == 0 || i + 1 >= t.size() || !y[i - 1] || !y[i + 1]) return k;
  const double t0 = t[i - 1], t1 = t[i], t2 = t[i + 1];
  const double y0 = *y[i - 1], y1 = *y[i], y2 = *y[i + 1];
  // Vertex of the parabola through the three points (divided differences).
  const double d01 = (y1 - y0) / (t1 - t0);
  const double d12 = (y2 - y1) / (t2 - t1);
  const double a = (d12 - d01) / (t2 - t0);  // curvature: half the second derivative
  if (!(a > 0.0)) return k;
  const double b = d01 - a * (t0 + t1);  // y = a t^2 + b t + c
  const double tv = -b / (2.0 * a);
  if (!(tv > t0 && tv < t2)) return k;
  t_min = tv;
  y_min = y1 + (tv - t1) * (d01 + a * (tv - t0));
  return k;
}

/// A name compared without case, blanks or punctuation.
std::string bare(std::string_view name) {
  std::string b;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u)) b += static_cast<char>(std::tolower(u));
  }
  return b;
}

/// The multicomponent estimate of res from its curves at the grid temperatures t: the least
/// RMS (grid index at_least), its range with one mineral left out at a time, and the flags
/// that say how far to trust it.
void estimate(saturation_result& res, const std::vector<double>& t,
              std::optional<std::size_t> at_least, bool no_crossing, si_form form) {
  if (!at_least) {
    res.flags.emplace_back("few_minerals");
    return;
  }
  res.rms_at_estimate = res.min_rms;
  res.n_minerals = res.points[*at_least].stats.count;
  // Leaving out one mineral at a time shows how much the estimate rests on any single one.
  for (int j : res.minerals_used) {
    std::vector<std::optional<double>> rms;
    bool has = false;
    for (const saturation_point& p : res.points) {
      has = has || p.si[j].has_value();
      rms.push_back(p.solved ? statistics(p.si, res.minerals_used, form, j).rms : std::nullopt);
    }
    if (!has) continue;
    std::optional<double> t_j, rms_j;
    least(t, rms, t_j, rms_j);
    if (!t_j) continue;
    if (!res.t_estimate_low_c || *t_j < *res.t_estimate_low_c) res.t_estimate_low_c = t_j;
    if (!res.t_estimate_high_c || *t_j > *res.t_estimate_high_c) res.t_estimate_high_c = t_j;
  }
  const bool edge = *at_least == 0 || *at_least + 1 == t.size();
  const bool few = res.n_minerals < estimate_min_minerals;
  if (edge) res.flags.emplace_back("edge");
  if (no_crossing) res.flags.emplace_back("no_crossing");
  if (few) res.flags.emplace_back("few_minerals");
  if (std::abs(res.calculation.sampled.balance.difference_pct) > ion_balance_flag_pct) {
    res.flags.emplace_back("ion_balance");
  }
  if (res.calculation.reference.state.ph < estimate_acid_ph) res.flags.emplace_back("acid");
  if (!edge && !few) res.t_estimate_c = res.t_min_rms_c;
}

/// The statistics of every grid point of res over the minerals `used`, and the estimates from
/// them: least RMS, the median's crossing nearest it, each chosen mineral's crossings, the
/// multicomponent estimate with its range and flags.
void summarise(saturation_result& res, const std::vector<double>& t, const std::vector<int>& used,
               si_form form) {
  res.minerals_used = used;
  for (saturation_point& p : res.points) {
    if (p.solved) p.stats = statistics(p.si, used, form);
  }
  std::vector<std::optional<double>> rms, median;
  for (const saturation_point& p : res.points) {
    rms.push_back(p.stats.rms);
    median.push_back(p.stats.median);
  }
  const std::optional<std::size_t> at_least = least(t, rms, res.t_min_rms_c, res.min_rms);
  const std::vector<double> median_zero = zero_crossings(t, median);
  if (!median_zero.empty()) {
    const double near = res.t_min_rms_c.value_or(median_zero.front());
    res.t_median_zero_c = *std::min_element(
        median_zero.begin(), median_zero.end(),
        [near](double a, double b) { return std::abs(a - near) < std::abs(b - near); });
  }
  std::vector<double> all;  // the crossings of the minerals used
  for (int j : res.minerals) {
    std::vector<std::optional<double>> si;
    for (const saturation_point& p : res.points) si.push_back(p.si[j]);
    mineral_equilibrium e{j, zero_crossings(t, si)};
    if (std::find(used.begin(), used.end(), j) != used.end()) {
      all.insert(all.end(), e.t_c.begin(), e.t_c.end());
    }
    res.equilibrium.push_back(std::move(e));
  }
  if (!all.empty()) {
    std::sort(all.begin(), all.end());
    res.t_equilibrium_median_c = quantile(all, 0.5);
    res.t_equilibrium_iqr_c = quantile(all, 0.75) - quantile(all, 0.25);
  }
  estimate(res, t, at_least, median_zero.empty(), form);
}

/// res summarised anew over the minerals `used`: its estimates start again from nothing.
saturation_result summarised(saturation_result res, const std::vector<double>& t,
                             const std::vector<int>& used, si_form form) {
  res.t_min_rms_c.reset();
  res.min_rms.reset();
  res.t_median_zero_c.reset();
  res.equilibrium.clear();
  res.t_equilibrium_median_c.reset();
  res.t_equilibrium_iqr_c.reset();
  res.t_estimate_c.reset();
  res.t_estimate_low_c.reset();
  res.t_estimate_high_c.reset();
  res.n_minerals = 0;
  res.rms_at_estimate.reset();
  res.flags.clear();
  summarise(res, t, used, form);
  return res;
}

/// The chosen minerals of res whose zero crossing (the one nearest the median of all
/// crossings) lies within auto_mineral_mad_factor robust deviations of the median of the
/// minerals' crossings; a mineral that does not cross zero is left out too.
std::vector<int> near_minerals(const saturation_result& res) {
  if (!res.t_equilibrium_median_c) return res.minerals;
  const double centre = *res.t_equilibrium_median_c;
  std::vector<std::pair<int, double>> crossing;  // mineral, its crossing nearest the centre
  for (const mineral_equilibrium& e : res.equilibrium) {
    if (e.t_c.empty()) continue;
    const double near = *std::min_element(e.t_c.begin(), e.t_c.end(), [centre](double a, double b) {
      return std::abs(a - centre) < std::abs(b - centre);
    });
    crossing.emplace_back(e.mineral, near);
  }
  if (crossing.empty()) return res.minerals;
  std::vector<double> at;
  for (const auto& c : crossing) at.push_back(c.second);
  const double mid = median_of(at);
  std::vector<double> dev;
  for (const auto& c : crossing) dev.push_back(std::abs(c.second - mid));
  const double spread = std::max(1.4826 * median_of(dev), auto_mineral_min_spread_c);
  std::vector<int> kept;
  for (const auto& [j, t_c] : crossing) {
    if (std::abs(t_c - mid) <= auto_mineral_mad_factor * spread) kept.push_back(j);
  }
  return kept;
}

}  // namespace

const std::vector<int>& granitic_saturation_minerals() {
  static const std::vector<int> minerals = {min::quartz,    min::albite,      min::microcline,
                                            min::muscovite, min::calcite,     min::fluorite,
                                            min::anhydrite, min::mg_chlorite, min::laumontite};
  return minerals;
}

const std::vector<int>& default_saturation_minerals() {
  static const std::vector<int> minerals = {
      min::quartz,    min::albite,   min::microcline, min::muscovite, min::laumontite,
      min::wairakite, min::prehnite, min::zoisite,    min::epidote,   min::calcite,
      min::anhydrite, min::fluorite, min::mg_chlorite};
  return minerals;
}

std::optional<int> mineral_by_name(std::string_view name) {
  const std::string b = bare(name);
  if (b.empty()) return std::nullopt;
  for (int j = 1; j <= mineral_vector::size; ++j) {
    if (bare(mineral_name(j)) == b) return j;
  }
  return std::nullopt;
}

saturation_result saturation(const sample_record& s, const run_options& opt,
                             const saturation_grid& grid, const std::vector<int>& minerals,
                             const saturation_choices& how) {
  saturation_result res;
  res.minerals = minerals;
  res.normalise = how.normalise;
  work_state reference;
  res.calculation = calculate_reference(s, opt, reference);
  if (res.calculation.refused) return res;

  // Each grid point is one cooling step from the reference state, as the interactive program
  // would calculate a single cooling step to that temperature.
  std::vector<double> t;
  const long n =
      grid.step_c > 0.0 && grid.to_c >= grid.from_c
          ? static_cast<long>(std::floor((grid.to_c - grid.from_c) / grid.step_c + 1e-9)) + 1
          : 0;
  for (long k = 0; k < n; ++k) {
    const double t_c = grid.from_c + static_cast<double>(k) * grid.step_c;
    const double t_k = t_c + zero_celsius_k;
    work_state ws = reference;
    cool(ws, t_k);
    saturation_point p;
    p.t_c = t_c;
    p.solved = finite_state(ws);
    if (p.solved) {
      // Only the minerals of the cooled state are wanted, exactly as its report has them.
      const species_vector gamma = gamma_all(t_k, ws.ionic);
      const mineral_saturation_logs logs = mineral_saturation(ws.m, gamma, t_k);
      p.log_k = logs.log_k;
      p.log_q = logs.log_q;
      for (int j = 1; j <= mineral_vector::size; ++j) {
        if (p.log_q[j]) p.si[j] = *p.log_q[j] - p.log_k[j];
      }
    }
    res.points.push_back(p);
    t.push_back(t_c);
  }

  summarise(res, t, minerals, how.normalise);
  if (how.auto_minerals) {
    const std::vector<int> kept = near_minerals(res);
    if (kept.size() < minerals.size()) {
      res = summarised(std::move(res), t, kept, how.normalise);
      for (int j : minerals) {
        if (std::find(kept.begin(), kept.end(), j) == kept.end()) res.minerals_dropped.push_back(j);
      }
    }
  }
  return res;
}

saturation_result saturation_checked(const sample_record& s, const run_options& opt,
                                     const saturation_grid& grid, const std::vector<int>& minerals,
                                     const saturation_choices& how) {
  if (const std::optional<refusal_reason> why = check_values(s, opt)) {
    saturation_result res;
    res.minerals = minerals;
    res.normalise = how.normalise;
    res.calculation.refused = why;
    return res;
  }
  return saturation(s, opt, grid, minerals, how);
}

}  // namespace morva
