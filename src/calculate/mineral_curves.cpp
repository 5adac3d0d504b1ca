#include "morva/mineral_curves.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

#include "calculate/work_state.h"
#include "chemdata/activity.h"
#include "chemdata/units.h"
#include "derived/minerals.h"
#include "derived/results.h"
#include "morva/checks.h"
#include "morva/tables.h"
#include "solver/ph.h"

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
  x.reserve(minerals.size());
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

/// The root mean square of the saturation indices si of the chosen minerals in the form chosen,
/// the mineral left_out left out: the rms of statistics(), the same sums in the same order,
/// without the vector and the sort the median needs. Empty when no mineral has an index.
/// The species counts of in_form are given in divisor, one per mineral of minerals.
std::optional<double> rms_of(const mineral_logs& si, const std::vector<int>& minerals,
                             const std::vector<int>& divisor, si_form form, int left_out) {
  int count = 0;
  double sum_sq = 0.0;
  for (std::size_t i = 0; i < minerals.size(); ++i) {
    const int j = minerals[i];
    if (!si[j] || j == left_out) continue;
    const double v = form == si_form::ions ? *si[j] / divisor[i] : *si[j];
    sum_sq += v * v;
    ++count;
  }
  if (count == 0) return std::nullopt;
  return std::sqrt(sum_sq / static_cast<double>(count));
}

/// The species count of the reaction of each of the minerals, in their order.
std::vector<int> species_counts(const std::vector<int>& minerals) {
  std::vector<int> n;
  n.reserve(minerals.size());
  for (int j : minerals) n.push_back(reaction_species(j));
  return n;
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
              std::optional<std::size_t> at_least, bool no_crossing, si_form form,
              const std::vector<int>& counted) {
  if (!at_least) {
    res.flags.emplace_back("few_minerals");
    return;
  }
  res.rms_at_estimate = res.min_rms;
  res.n_minerals = res.points[*at_least].stats.count;
  // Leaving out one mineral at a time shows how much the estimate rests on any single one.
  const std::vector<int> divisor = species_counts(counted);
  std::vector<std::optional<double>> rms;
  rms.reserve(res.points.size());
  for (int j : counted) {
    rms.clear();
    bool has = false;
    for (const saturation_point& p : res.points) {
      has = has || p.si[j].has_value();
      rms.push_back(p.solved ? rms_of(p.si, counted, divisor, form, j) : std::nullopt);
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

/// The grid temperatures, °C: from, from + step, ... up to and including to.
std::vector<double> grid_temperatures(const saturation_grid& grid) {
  std::vector<double> t;
  const long n =
      grid.step_c > 0.0 && grid.to_c >= grid.from_c
          ? static_cast<long>(std::floor((grid.to_c - grid.from_c) / grid.step_c + 1e-9)) + 1
          : 0;
  t.reserve(static_cast<std::size_t>(n));
  for (long k = 0; k < n; ++k) t.push_back(grid.from_c + static_cast<double>(k) * grid.step_c);
  return t;
}

}  // namespace

/// The temperature terms of a grid, in grid order.
struct saturation_terms::table {
  std::vector<double> t_c;            ///< the grid temperatures, °C, ascending
  std::vector<temperature_terms> at;  ///< the terms at each of them
};

saturation_terms::saturation_terms(const saturation_grid& grid) {
  auto terms = std::make_shared<table>();
  terms->t_c = grid_temperatures(grid);
  terms->at.reserve(terms->t_c.size());
  // The kelvin temperature exactly as a curve point forms it.
  for (double t_c : terms->t_c) terms->at.push_back(make_temperature_terms(t_c + zero_celsius_k));
  table_ = std::move(terms);
}

namespace {

/// The terms of terms (may be null) at t_c (°C); null when it does not hold that temperature.
const temperature_terms* terms_at(const saturation_terms::table* terms, double t_c) {
  if (terms == nullptr) return nullptr;
  const auto it = std::lower_bound(terms->t_c.begin(), terms->t_c.end(), t_c);
  if (it == terms->t_c.end() || *it != t_c) return nullptr;
  return &terms->at[static_cast<std::size_t>(it - terms->t_c.begin())];
}

/// What every grid point of one curve shares besides the liquid it starts from.
struct point_setup {
  std::vector<int> counted;      ///< the minerals of the statistics (the fixing mineral left out)
  si_form form = si_form::ions;  ///< the form of the SI in the statistics
  std::optional<int> fix_al;     ///< the mineral that fixes Al, if any
  double al_start_mgkg = 0.0;    ///< Al of the analysed water the liquid was solved with, mg/kg
  /// Protons given up per Al (relative to Al+++) by the Al species of the analysed water at
  /// its pH: what its proton balance gains with each mole of Al it is given.
  double al_protons = 4.0;
  bool resolve = false;  ///< solve again where the fixed Al moves pH (the final curve)
  const saturation_terms::table* terms = nullptr;  ///< temperature terms of the grid, if any
};

/// Puts mineral fix at saturation at one grid point p by the liquid's Al. Al is a trace: one
/// factor on every Al species leaves pH, the ionic strength and the other species as they are,
/// so log Q of each Al mineral moves by its moles of Al(OH)4- times the log of that factor and
/// nothing needs solving again. The Al of the analysed water scales by the same factor. Where
/// the fixing mineral has no log Q the Al is unknown, and so are the SI of the Al minerals.
void fix_al_at(saturation_point& p, int fix, double al_start_mgkg) {
  const double nu_fix = reaction_coefficient(fix, sp::aloh4);
  const std::optional<double> dlog =
      p.si[fix] ? std::optional<double>(-*p.si[fix] / nu_fix) : std::nullopt;
  for (int j = 1; j <= mineral_vector::size; ++j) {
    const double nu = reaction_coefficient(j, sp::aloh4);
    if (nu == 0.0 || !p.log_q[j]) continue;
    if (!dlog) {
      p.log_q[j].reset();
      p.si[j].reset();
      continue;
    }
    p.log_q[j] = *p.log_q[j] + nu * *dlog;
    p.si[j] = *p.log_q[j] - p.log_k[j];
  }
  if (!dlog) return;
  p.si[fix] = 0.0;  // exactly, not to rounding
  p.al_mg_kg = al_start_mgkg * std::pow(10.0, *dlog);
}

/// The saturation of the minerals of the solved state ws at the temperature of tt into p,
/// exactly as the report of that state has them.
void saturation_of(const work_state& ws, const temperature_terms& tt, saturation_point& p) {
  const species_vector gamma = gamma_all(tt.solver.dh, ws.ionic);
  p.log_k = tt.log_k;
  p.log_q = mineral_activity_products(ws.m, gamma);
  for (int j = 1; j <= mineral_vector::size; ++j) {
    p.si[j] = p.log_q[j] ? std::optional<double>(*p.log_q[j] - p.log_k[j]) : std::nullopt;
  }
}

/// Protons given up per Al relative to Al+++ by the Al species of m (mol/kg); 4 (Al(OH)4-)
/// when m holds no Al.
double protons_per_al(const species_vector& m) {
  species_vector al;
  double total = 0.0;
  for (int i = sp::al; i <= sp::alf6; ++i) {
    al[i] = m[i];
    total += m[i];
  }
  return total > 0.0 ? proton_balance(al) / total : 4.0;
}

/// Buffer capacity of the liquid of species m (mol/kg), mol/kg per pH unit: ln 10 times the
/// water's H+ and OH- and, for each acid and its conjugate base, their product over their sum
/// (the ideal weak-acid buffer, good enough to tell a trace of protons from a shift of pH).
double buffer_capacity(const species_vector& m) {
  // clang-format off
  static constexpr std::pair<int, int> pairs[] = {
      {sp::h2co3, sp::hco3}, {sp::hco3, sp::co3},  {sp::h4sio4, sp::h3sio4},
      {sp::h3bo3, sp::h2bo3}, {sp::h2s, sp::hs},   {sp::nh4, sp::nh4oh},
      {sp::hf, sp::f},        {sp::hso4, sp::so4}};
  // clang-format on
  double b = m[sp::h] + m[sp::oh];
  for (const auto& [acid, base] : pairs) {
    const double sum = m[acid] + m[base];
    if (sum > 0.0) b += m[acid] * m[base] / sum;
  }
  return std::log(10.0) * b;
}

/// The point p, whose Al was fixed by scaling the Al species of the liquid ws (cooled from
/// reference to T, K), solved once more where the Al moves pH. The scaling kept the proton
/// balance that the Al species carry at T; the analysed water given that Al carries the
/// protons of its own Al species at its pH (how.al_protons per Al). When the two differ by
/// enough to move pH by more than a thousandth, or the new Al takes more than a percent of the
/// free F or SO4 into its complexes, the liquid is solved again with the new Al and the
/// balance the analysed water would give it, and the rest of the fixing mineral's SI is taken up by
/// one more scaling (kept only when small).
void resolve_al(const work_state& reference, const work_state& ws, const temperature_terms& tt,
                const point_setup& how, saturation_point& p) {
  // A proton balance moved by the fixed Al less than the buffer capacity times this leaves pH
  // as it is, pH units.
  constexpr double tiny = 1e-3;
  constexpr double share = 0.01;        // of the free F or SO4 the Al may take and stay a trace
  constexpr double most_rescale = 0.1;  // log10 of the largest second factor accepted
  const double k = *p.al_mg_kg / how.al_start_mgkg;
  const double dal = (k - 1.0) * reference.cd[comp::al];  // Al added to the liquid, mol/kg
  const double da = dal * how.al_protons;
  // The added Al also takes F and SO4 into its complexes, which the scaling did not count.
  const species_vector& m = ws.m;
  const double f_taken = (k - 1.0) * (m[sp::alf] + 2.0 * m[sp::alf2] + 3.0 * m[sp::alf3] +
                                      4.0 * m[sp::alf4] + 5.0 * m[sp::alf5] + 6.0 * m[sp::alf6]);
  const double so4_taken = (k - 1.0) * (m[sp::also4] + 2.0 * m[sp::also42]);
  const bool trace = std::abs(da - dal * protons_per_al(m)) < tiny * buffer_capacity(m) &&
                     std::abs(f_taken) <= share * (m[sp::f] + m[sp::hf]) &&
                     std::abs(so4_taken) <= share * m[sp::so4];
  if (trace) return;
  work_state w = reference;
  w.cd[comp::al] += dal;
  w.a_d += da;
  w.m = ws.m;
  for (int i = sp::al; i <= sp::alf6; ++i) w.m[i] *= k;
  w.ionic = ws.ionic;
  // Only the liquid's species are wanted: no gas pressures or phase compositions.
  store(w, phase1(w.m, w.cd, w.a_d, tt.solver, ws.ah, w.ionic, w.log));
  if (!finite_state(w)) return;
  saturation_point q;
  q.t_c = p.t_c;
  q.solved = true;
  saturation_of(w, tt, q);
  fix_al_at(q, *how.fix_al, *p.al_mg_kg);
  // A large second scaling means the Al was no trace: it moved pH by itself (an acid water
  // asked for grams of Al per kg), and the first result stands as the one that keeps pH.
  if (q.al_mg_kg && std::abs(std::log10(*q.al_mg_kg / *p.al_mg_kg)) < most_rescale) p = q;
}

/// The liquid of the solved state reference cooled (or heated) conductively to t_c (°C), its
/// minerals' saturation; their statistics are left to the curve's summary.
saturation_point curve_point(const work_state& reference, double t_c, const point_setup& how) {
  // The grid's terms, or this temperature's own when the grid does not hold it.
  std::optional<temperature_terms> own;
  const temperature_terms* found = terms_at(how.terms, t_c);
  const temperature_terms& at =
      found ? *found : own.emplace(make_temperature_terms(t_c + zero_celsius_k));
  work_state ws = reference;
  cool(ws, at);
  saturation_point p;
  p.t_c = t_c;
  p.solved = finite_state(ws);
  if (!p.solved) return p;
  saturation_of(ws, at, p);
  if (how.fix_al) {
    fix_al_at(p, *how.fix_al, how.al_start_mgkg);
    if (how.resolve && p.al_mg_kg) resolve_al(reference, ws, at, how, p);
  }
  return p;
}

/// The RMS of the SI of the point p (a curve point of how) over the minerals how counts, in
/// its form (divisor: their species counts); empty where p was not solved or no mineral has
/// an index. The rest of the statistics waits for the curve's summary.
std::optional<double> curve_rms(const saturation_point& p, const point_setup& how,
                                const std::vector<int>& divisor) {
  return p.solved ? rms_of(p.si, how.counted, divisor, how.form, 0) : std::nullopt;
}

/// The aquifer liquid of ws given back the water it lost or rid of the water that diluted it,
/// and the CO2 it lost: its non-volatile totals (B to Fe) multiplied by f and co2 (mol/kg)
/// added to its total CO2; ws is changed.
void adjust_liquid(work_state& ws, double f, double co2) {
  // The proton balance counts the protons each species has given up relative to H2CO3, H2S,
  // NH4OH, H4SiO4, H2SO4, Al+++, ... With the charges balanced it equals the charge the
  // non-volatile reference species carry (Na+, K+, 2 Ca++, 2 Mg++, 3 Al+++, less Cl-), so it
  // scales with the non-volatile totals: boiling takes water and the volatiles away in their
  // neutral reference forms (CO2 as H2CO3, H2S, NH3), which carry no protons. So the balance
  // is multiplied by f too, and CO2 goes back as H2CO3 without changing it; pH follows.
  for (int i = comp::b; i <= comp::fe; ++i) ws.cd[i] *= f;
  ws.cd[comp::co2] += co2;
  ws.a_d *= f;
  ws.tds_d *= f;
  // Starting values for the speciation: the species and ionic strength roughly as scaled.
  for (int i = 1; i <= species_vector::size; ++i) ws.m[i] *= f;
  ws.ionic *= f;
}

/// Water factor and CO2 added back (mol/kg) of a liquid on trial, and its misfit: the least
/// RMS of its curves and the temperature of that least, °C.
struct liquid_fit {
  double f = 1.0;                                           ///< factor on the non-volatile totals
  double co2 = 0.0;                                         ///< CO2 added back, mol/kg
  double misfit = std::numeric_limits<double>::infinity();  ///< +infinity: no RMS anywhere
  double t_c = 0.0;                                         ///< temperature of the least RMS, °C
};

/// The liquid of reference adjusted by x.f and x.co2 (mol/kg), its misfit taken over the
/// temperatures t (°C).
liquid_fit tried(const work_state& reference, liquid_fit x, const std::vector<double>& t,
                 const point_setup& how) {
  work_state ws = reference;
  adjust_liquid(ws, x.f, x.co2);
  std::vector<std::optional<double>> rms;
  rms.reserve(t.size());
  const std::vector<int> divisor = species_counts(how.counted);
  for (double t_c : t) rms.push_back(curve_rms(curve_point(ws, t_c, how), how, divisor));
  std::optional<double> t_min, y_min;
  least(t, rms, t_min, y_min);
  x.misfit = y_min.value_or(std::numeric_limits<double>::infinity());
  x.t_c = t_min.value_or(0.0);
  return x;
}

/// The grid temperatures t (°C) within `half` of t_c, at least three about it.
std::vector<double> window(const std::vector<double>& t, double t_c, double half) {
  std::vector<double> w;
  w.reserve(t.size());
  for (double x : t) {
    if (std::abs(x - t_c) <= half) w.push_back(x);
  }
  return w.size() >= 3 ? w : t;
}

/// The water factor and CO2 of the least misfit of the liquid of reference within the bounds
/// of how (an unknown not fitted stays at 1 or 0) over the grid temperatures t (°C). The
/// misfit is a least over a grid and has no derivatives worth trusting, so the search is free
/// of them: a coarse net over the box (9 water factors by 5 CO2s) with the misfit on about
/// every 20 degrees of the grid, then from each of its two best nodes a compass search along
/// both axes and the diagonals whose steps halve each round, kept inside the box, with the
/// misfit on the full grid within 25 degrees of the least found so far. Each grid point costs a
/// full speciation, so the fine grid is only taken where the least lies.
liquid_fit fit_liquid(const work_state& reference, const std::vector<double>& t,
                      const point_setup& how, const saturation_choices& choices) {
  constexpr int net_f = 9;              // water factors of the coarse net
  constexpr int net_c = 5;              // CO2s of the coarse net
  constexpr int starts = 2;             // best nodes the compass search starts from
  constexpr int rounds = 7;             // halvings of the compass steps
  constexpr double coarse_c = 20.0;     // spacing of the coarse net's grid, about, °C
  constexpr double half_window = 25.0;  // half width of the fine window, °C
  // Steps along the water factor, along the CO2 and along both.
  constexpr std::pair<double, double> compass[] = {{-1.0, 0.0}, {1.0, 0.0}, {0.0, -1.0},
                                                   {0.0, 1.0},  {1.0, 1.0}, {-1.0, -1.0},
                                                   {1.0, -1.0}, {-1.0, 1.0}};
  std::vector<double> tc;
  if (!t.empty()) {
    const double step = t.size() > 1 ? t[1] - t[0] : coarse_c;
    const auto stride = static_cast<std::size_t>(std::max(1.0, std::round(coarse_c / step)));
    for (std::size_t i = 0; i < t.size(); i += stride) tc.push_back(t[i]);
    if (tc.back() != t.back()) tc.push_back(t.back());
  }

  // The CO2 is searched as u = sqrt(co2 / most): pH answers most to the first millimoles.
  // Bounds given the wrong way round are taken in order (the front ends refuse them).
  const double wmin = choices.water_factor_min, wmax = choices.water_factor_max;
  const double f_lo = choices.fit_water ? std::min(wmin, wmax) : 1.0;
  const double f_hi = choices.fit_water ? std::max(wmin, wmax) : 1.0;
  const double c_hi = choices.fit_co2 ? std::max(0.0, choices.co2_max_mol_kg) : 0.0;
  const int nf = choices.fit_water ? net_f : 1;
  const int nc = choices.fit_co2 ? net_c : 1;
  const auto node = [](double lo, double hi, int i, int n) {
    return n == 1 ? lo : lo + (hi - lo) * static_cast<double>(i) / static_cast<double>(n - 1);
  };
  const auto at = [&](double f, double u, const std::vector<double>& tt) {
    return tried(reference, {f, c_hi * u * u}, tt, how);
  };
  struct trial {
    double u = 0.0;  ///< sqrt(co2 / c_hi)
    liquid_fit x;    ///< the liquid tried and its misfit
  };
  std::vector<trial> net;
  net.reserve(static_cast<std::size_t>(nf * nc));
  for (int i = 0; i < nf; ++i) {
    for (int j = 0; j < nc; ++j) {
      const double u = node(0.0, 1.0, j, nc);
      net.push_back({u, at(node(f_lo, f_hi, i, nf), u, tc)});
    }
  }
  std::stable_sort(net.begin(), net.end(),
                   [](const trial& a, const trial& b) { return a.x.misfit < b.x.misfit; });
  liquid_fit best = net.front().x;
  for (int s = 0; s < starts && s < static_cast<int>(net.size()); ++s) {
    const trial& start = net[static_cast<std::size_t>(s)];
    trial here{start.u, at(start.x.f, start.u, window(t, start.x.t_c, half_window))};
    double df = nf > 1 ? 0.5 * (f_hi - f_lo) / (nf - 1) : 0.0;
    double du = nc > 1 ? 0.5 / (nc - 1) : 0.0;
    for (int r = 0; r < rounds; ++r) {
      const trial centre = here;
      const std::vector<double> tw = window(t, centre.x.t_c, half_window);
      for (const auto& [a, b] : compass) {
        if ((a != 0.0 && df == 0.0) || (b != 0.0 && du == 0.0)) continue;
        const double f = std::clamp(centre.x.f + a * df, f_lo, f_hi);
        const double u = std::clamp(centre.u + b * du, 0.0, 1.0);
        if (f == centre.x.f && u == centre.u) continue;
        const liquid_fit y = at(f, u, tw);
        if (y.misfit < here.x.misfit) here = {u, y};
      }
      df *= 0.5;
      du *= 0.5;
    }
    if (s == 0 || here.x.misfit < best.misfit) best = here.x;
  }
  return best;
}

/// The Al of the curve's points at t_c (°C), log-linear between the grid points about it;
/// empty where a point about it has none.
std::optional<double> al_at(const std::vector<saturation_point>& points, double t_c) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (points[i].t_c == t_c) return points[i].al_mg_kg;
    if (i + 1 < points.size() && points[i].t_c < t_c && t_c < points[i + 1].t_c) {
      const std::optional<double>& a = points[i].al_mg_kg;
      const std::optional<double>& b = points[i + 1].al_mg_kg;
      if (!a || !b || !(*a > 0.0) || !(*b > 0.0)) return std::nullopt;
      const double w = (t_c - points[i].t_c) / (points[i + 1].t_c - points[i].t_c);
      return std::pow(10.0, (1.0 - w) * std::log10(*a) + w * std::log10(*b));
    }
  }
  return std::nullopt;
}

/// The statistics of every grid point of res over the minerals `used`, and the estimates from
/// them: least RMS, the median's crossing nearest it, each chosen mineral's crossings (none
/// for the mineral `fix` that fixes Al: it is at saturation everywhere), the multicomponent
/// estimate with its range and flags.
void summarise(saturation_result& res, const std::vector<double>& t, const std::vector<int>& used,
               si_form form, std::optional<int> fix) {
  res.minerals_used = used;
  for (saturation_point& p : res.points) {
    if (p.solved) p.stats = statistics(p.si, used, form);
  }
  std::vector<std::optional<double>> rms, median;
  rms.reserve(res.points.size());
  median.reserve(res.points.size());
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
  res.equilibrium.reserve(res.minerals.size());
  for (int j : res.minerals) {
    std::vector<std::optional<double>> si;
    si.reserve(res.points.size());
    for (const saturation_point& p : res.points) si.push_back(p.si[j]);
    mineral_equilibrium e{j, j == fix ? std::vector<double>{} : zero_crossings(t, si)};
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
  estimate(res, t, at_least, median_zero.empty(), form, used);
}

/// res summarised anew over the minerals `used`: its estimates start again from nothing.
saturation_result summarised(saturation_result res, const std::vector<double>& t,
                             const std::vector<int>& used, si_form form, std::optional<int> fix) {
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
  summarise(res, t, used, form, fix);
  return res;
}

/// The minerals of the statistics of res whose zero crossing (the one nearest the median of
/// all crossings) lies within auto_mineral_mad_factor robust deviations of the median of the
/// minerals' crossings; a mineral that does not cross zero is left out too.
std::vector<int> near_minerals(const saturation_result& res) {
  if (!res.t_equilibrium_median_c) return res.minerals_used;
  const double centre = *res.t_equilibrium_median_c;
  std::vector<std::pair<int, double>> crossing;  // mineral, its crossing nearest the centre
  for (const mineral_equilibrium& e : res.equilibrium) {
    const bool used = std::find(res.minerals_used.begin(), res.minerals_used.end(), e.mineral) !=
                      res.minerals_used.end();
    if (!used || e.t_c.empty()) continue;
    const double near = *std::min_element(e.t_c.begin(), e.t_c.end(), [centre](double a, double b) {
      return std::abs(a - centre) < std::abs(b - centre);
    });
    crossing.emplace_back(e.mineral, near);
  }
  if (crossing.empty()) return res.minerals_used;
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

namespace {

/// The reference state the curves of s start from (into reference, with its calculation as
/// the result) and what their points share (setup): the minerals counted (the fixing mineral
/// left out), the SI form and, for a fixed Al, the liquid with a trace of Al in its place.
sample_result prepare_curves(const sample_record& s, const run_options& opt,
                             const std::vector<int>& minerals, const saturation_choices& how,
                             work_state& reference, point_setup& setup) {
  setup.form = how.normalise;
  setup.fix_al = how.fix_al;
  for (int j : minerals) {
    if (j != how.fix_al) setup.counted.push_back(j);
  }
  sample_result r = calculate_reference(s, opt, reference);
  if (r.refused) return r;
  // The curves of a fixed Al start from the sample with a trace of Al in place of its own
  // (none, or an analysed Al that the mineral replaces anyway): the Al species then have
  // their distribution, and scaling them reaches the mineral's Al without solving again
  // wherever it stays a trace. The reference state reported stays the sample's own.
  setup.al_start_mgkg = s.water_mgkg[comp::al];
  if (how.fix_al && s.water_mgkg[comp::al] != al_trace_mg_kg) {
    sample_record traced = s;
    traced.water_mgkg[comp::al] = al_trace_mg_kg;
    work_state w;
    if (!calculate_reference(traced, opt, w).refused) {
      reference = w;
      setup.al_start_mgkg = al_trace_mg_kg;
    }
  }
  setup.al_protons = protons_per_al(reference.m_sampling);
  return r;
}

}  // namespace

saturation_result saturation(const sample_record& s, const run_options& opt,
                             const saturation_grid& grid, const std::vector<int>& minerals,
                             const saturation_choices& how, const saturation_terms& terms) {
  saturation_result res;
  res.minerals = minerals;
  res.normalise = how.normalise;
  res.fix_al = how.fix_al;
  res.fitted = how.fit_water || how.fit_co2;
  point_setup setup;
  work_state reference;
  res.calculation = prepare_curves(s, opt, minerals, how, reference, setup);
  if (res.calculation.refused) return res;
  const saturation_terms own = terms.get() ? saturation_terms{} : saturation_terms(grid);
  setup.terms = terms.get() ? terms.get() : own.get();

  // Each grid point is one cooling step from the reference state, as the interactive program
  // would calculate a single cooling step to that temperature.
  const std::vector<double> t = grid_temperatures(grid);
  if (how.fit_water || how.fit_co2) {
    const liquid_fit x = fit_liquid(reference, t, setup, how);
    adjust_liquid(reference, x.f, x.co2);
    if (how.fit_water) res.fitted_water_factor = x.f;
    if (how.fit_co2) res.fitted_co2_mol_kg = x.co2;
  }
  setup.resolve = true;
  // One allocation of the whole curve: a vector grown by doubling past 64 points asks for a
  // block above the allocator's mapping threshold, fresh pages faulted in for every sample.
  res.points.reserve(t.size());
  for (double t_c : t) res.points.push_back(curve_point(reference, t_c, setup));

  summarise(res, t, setup.counted, how.normalise, how.fix_al);
  if (how.auto_minerals) {
    const std::vector<int> kept = near_minerals(res);
    if (kept.size() < setup.counted.size()) {
      res = summarised(std::move(res), t, kept, how.normalise, how.fix_al);
      for (int j : setup.counted) {
        if (std::find(kept.begin(), kept.end(), j) == kept.end()) res.minerals_dropped.push_back(j);
      }
    }
  }
  if (how.fix_al && res.t_estimate_c) res.al_fixed_mg_kg = al_at(res.points, *res.t_estimate_c);
  // A fitted value at a bound of its range may want to lie beyond it.
  const std::optional<double>& f = res.fitted_water_factor;
  const std::optional<double>& c = res.fitted_co2_mol_kg;
  if ((f && (*f <= how.water_factor_min || *f >= how.water_factor_max)) ||
      (c && how.co2_max_mol_kg > 0.0 && *c >= how.co2_max_mol_kg)) {
    res.flags.emplace_back("fit_at_bound");
  }
  return res;
}

bool holds_al(int mineral) { return reaction_coefficient(mineral, sp::aloh4) > 0.0; }

saturation_fit_map fit_map(const sample_record& s, const run_options& opt,
                           const saturation_grid& grid, const saturation_choices& how,
                           const saturation_result& r, int n_factors,
                           const saturation_terms& terms) {
  saturation_fit_map map;
  if (r.calculation.refused || n_factors < 2) return map;
  point_setup setup;
  work_state reference;
  if (prepare_curves(s, opt, r.minerals, how, reference, setup).refused) return map;
  const saturation_terms own = terms.get() ? saturation_terms{} : saturation_terms(grid);
  setup.terms = terms.get() ? terms.get() : own.get();
  // The minerals of the result's statistics (auto may have left some out); the map is a look
  // at the misfit, so no point is solved twice for its Al.
  setup.counted = r.minerals_used;
  map.t_c = grid_temperatures(grid);
  map.water_factor.reserve(static_cast<std::size_t>(n_factors));
  map.rms.reserve(static_cast<std::size_t>(n_factors) * map.t_c.size());
  const double co2 = r.fitted_co2_mol_kg.value_or(0.0);
  const std::vector<int> divisor = species_counts(setup.counted);
  for (int i = 0; i < n_factors; ++i) {
    const double f = how.water_factor_min + (how.water_factor_max - how.water_factor_min) *
                                                static_cast<double>(i) /
                                                static_cast<double>(n_factors - 1);
    map.water_factor.push_back(f);
    work_state liquid = reference;
    adjust_liquid(liquid, f, co2);
    for (double t_c : map.t_c) {
      map.rms.push_back(curve_rms(curve_point(liquid, t_c, setup), setup, divisor));
    }
  }
  return map;
}

saturation_result saturation_checked(const sample_record& s, const run_options& opt,
                                     const saturation_grid& grid, const std::vector<int>& minerals,
                                     const saturation_choices& how, const saturation_terms& terms) {
  if (const std::optional<refusal_reason> why = check_values(s, opt)) {
    saturation_result res;
    res.minerals = minerals;
    res.normalise = how.normalise;
    res.fix_al = how.fix_al;
    res.fitted = how.fit_water || how.fit_co2;
    res.calculation.refused = why;
    return res;
  }
  return saturation(s, opt, grid, minerals, how, terms);
}

}  // namespace morva
