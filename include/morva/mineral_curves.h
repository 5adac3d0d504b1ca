#pragma once
// Saturation curves of the aquifer fluid: the saturation index log(Q/K) of reservoir minerals
// over a range of temperatures, and the temperature at which the curves of the rock's
// minerals gather around zero (multicomponent geothermometry).

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "morva/result.h"
#include "morva/sample.h"

namespace morva {

/// Grid temperatures of a saturation curve, °C: from, from + step, ... up to and including to.
struct saturation_grid {
  double from_c = 25.0;
  double to_c = 350.0;
  double step_c = 5.0;
};

/// What the curves take from the temperature alone (dissociation, solubility and Henry
/// constants, the saturation pressure of water, the Debye-Hueckel parameters) at every
/// temperature of a grid: computed once for a run and shared, read only, by its samples and
/// threads. A curve finds the terms of its temperatures here and computes those it does not
/// find; the numbers are the same either way.
class saturation_terms {
 public:
  /// No terms: every curve computes its own.
  saturation_terms() = default;
  /// The terms at every temperature of grid.
  explicit saturation_terms(const saturation_grid& grid);
  struct table;  ///< the terms by grid temperature, as the calculation holds them
  /// The table; null when there is none.
  const table* get() const { return table_.get(); }

 private:
  std::shared_ptr<const table> table_;
};

/// Statistics of the saturation indices of the chosen minerals at one temperature; the
/// minerals without a log Q do not count. Empty when no mineral has one.
struct si_statistics {
  int count = 0;                   ///< minerals with a saturation index
  std::optional<double> mean;      ///< mean SI
  std::optional<double> median;    ///< median SI
  std::optional<double> mean_abs;  ///< mean |SI|
  std::optional<double> rms;       ///< root mean square of SI
  std::optional<double> sd;        ///< standard deviation of SI about its mean
};

/// The form in which saturation indices enter the statistics and the estimates.
enum class si_form {
  /// Each SI divided by the number of aqueous species of the mineral's dissolution reaction
  /// (ions and neutral solutes, water left out): a mineral of a large formula (Mg-chlorite, 18)
  /// then weighs no more than quartz (1).
  ions,
  none,  ///< log(Q/K) as it stands
};

/// How the curves of a sample are read into a temperature.
struct saturation_choices {
  si_form normalise = si_form::ions;
  /// Leave out of the statistics and the estimate each chosen mineral whose own zero crossing
  /// lies far from the others' (auto_mineral_mad_factor), or that does not cross zero.
  bool auto_minerals = false;
  /// The Al mineral (position 1..29) held at saturation at every grid temperature by the
  /// liquid's total Al, which every other Al mineral then shares; empty: Al as analysed.
  std::optional<int> fix_al{};
  /// Fit the water factor: the non-volatile totals of the aquifer liquid multiplied by a
  /// factor between water_factor_min and water_factor_max (below 1 undoes steam loss, above 1
  /// dilution).
  bool fit_water = false;
  /// Fit the CO2 lost: 0 to co2_max_mol_kg of CO2 added back to the aquifer liquid.
  bool fit_co2 = false;
  double water_factor_min = 0.5;  ///< least water factor of the fit
  double water_factor_max = 1.5;  ///< greatest water factor of the fit
  double co2_max_mol_kg = 0.1;    ///< most CO2 added back, mol/kg
};

/// How far, in robust standard deviations (1.4826 times the median absolute deviation of the
/// minerals' zero crossings from their median), a mineral's crossing may lie from the median
/// before `auto` leaves it out: the usual threshold of the Hampel outlier rule. The deviation
/// is taken as at least auto_mineral_min_spread_c, so that a few close crossings do not cast out
/// a mineral a few degrees off.
inline constexpr double auto_mineral_mad_factor = 3.0;
inline constexpr double auto_mineral_min_spread_c = 5.0;

/// Al of the analysed water, mg/kg, from which the curves of a sample start (in place of its
/// own Al, if any) when its Al is fixed by a mineral: enough for every Al species to have a
/// molality, too little to move pH.
inline constexpr double al_trace_mg_kg = 0.01;

/// Fewest minerals with a saturation index at the estimate for the estimate to be given.
inline constexpr int estimate_min_minerals = 4;
/// Reference pH below which the estimate is flagged "acid": silicate equilibria rarely hold in
/// acid-sulphate waters.
inline constexpr double estimate_acid_ph = 4.0;

/// The aquifer liquid brought to one grid temperature, as a conductive cooling step does.
struct saturation_point {
  double t_c = 0.0;      ///< grid temperature, °C
  bool solved = false;   ///< false when the calculation at this temperature gives no finite result
  mineral_vector log_k;  ///< log10 K of every mineral
  mineral_logs log_q;    ///< log10 Q of every mineral; empty where a species is absent
  mineral_logs si;       ///< log Q - log K; empty with log Q
  si_statistics stats;   ///< over the chosen minerals, of the SI in the chosen form
  /// With Al fixed by a mineral: the Al of the analysed water, mg/kg, that holds it at
  /// saturation here; empty without a fixing mineral or where it has no log Q.
  std::optional<double> al_mg_kg;
};

/// The temperatures at which one mineral's curve crosses zero, °C, interpolated linearly
/// between grid points.
struct mineral_equilibrium {
  int mineral = 0;  ///< position 1..29
  std::vector<double> t_c;
};

/// The saturation curves of one sample and the temperatures estimated from them.
struct saturation_result {
  sample_result calculation;  ///< the sample at its reference state (no steps), or its refusal
  std::vector<int> minerals;  ///< the chosen minerals, positions 1..29
  std::vector<saturation_point> points;  ///< in grid order; empty for a refused sample
  /// Temperature of the least RMS of SI, °C, refined by a parabola through the grid minimum
  /// and its neighbours, and that least RMS.
  std::optional<double> t_min_rms_c;
  std::optional<double> min_rms;
  /// Temperature at which the median SI crosses zero, °C (the crossing nearest the least
  /// RMS); empty when it does not cross.
  std::optional<double> t_median_zero_c;
  std::vector<mineral_equilibrium> equilibrium;  ///< for each chosen mineral
  /// Median and interquartile range of all the minerals' equilibrium temperatures, °C.
  std::optional<double> t_equilibrium_median_c;
  std::optional<double> t_equilibrium_iqr_c;

  si_form normalise = si_form::ions;  ///< the form of the SI of the statistics and estimates
  /// The chosen minerals the statistics and the estimate use, and those `auto` left out.
  std::vector<int> minerals_used;
  std::vector<int> minerals_dropped;
  /// The multicomponent estimate of the reservoir temperature, °C: the least RMS temperature,
  /// given only when no flag "edge" or "few_minerals" holds.
  std::optional<double> t_estimate_c;
  /// The lowest and highest least-RMS temperatures, °C, with one mineral left out at a time.
  std::optional<double> t_estimate_low_c;
  std::optional<double> t_estimate_high_c;
  int n_minerals = 0;                     ///< minerals with an SI at the least RMS
  std::optional<double> rms_at_estimate;  ///< the least RMS of the SI in the chosen form
  /// How far to trust the estimate, in this order: "edge" (the least RMS lies at an end of
  /// the grid), "no_crossing" (the median SI never crosses zero), "few_minerals" (fewer than
  /// estimate_min_minerals with an SI), "ion_balance" (the sampled water beyond ±10 %),
  /// "acid" (reference pH below estimate_acid_ph), and with a fit "fit_at_bound" (the water
  /// factor at a bound of its range, or the CO2 at its most).
  std::vector<std::string> flags;

  std::optional<int> fix_al;  ///< the mineral that fixed Al, left out of the statistics
  bool fitted = false;        ///< the water factor or the CO2 was to be fitted
  /// The Al of the analysed water, mg/kg, that the fixing mineral gives at the estimate
  /// (log-linear between grid points); empty without an estimate.
  std::optional<double> al_fixed_mg_kg;
  /// The fitted factor on the non-volatile totals of the aquifer liquid (below 1: steam lost,
  /// above 1: water added); empty when not fitted.
  std::optional<double> fitted_water_factor;
  /// The fitted CO2 added back to the aquifer liquid, mol/kg; empty when not fitted.
  std::optional<double> fitted_co2_mol_kg;
};

/// A typical alteration assemblage of volcanic geothermal systems: quartz, low albite,
/// microcline, muscovite, laumontite, wairakite, prehnite, zoisite, epidote, calcite,
/// anhydrite, fluorite and Mg-chlorite.
const std::vector<int>& default_saturation_minerals();

/// The minerals of a granitic reservoir: quartz, low albite, microcline, muscovite, calcite,
/// fluorite and anhydrite, with the Mg-chlorite and laumontite of its low-temperature
/// alteration.
const std::vector<int>& granitic_saturation_minerals();

/// The mineral of a name as the report writes it, compared without case, blanks or
/// punctuation ("albite low", "Mg-Chlorite", "sil amorph"); empty when there is none.
std::optional<int> mineral_by_name(std::string_view name);

/// True when the choices how fix Al or fit the liquid, so that the results have the fitted
/// water factor, CO2 and fixed Al to report.
inline bool fits_or_fixes(const saturation_choices& how) {
  return how.fix_al.has_value() || how.fit_water || how.fit_co2;
}

/// The misfit of the curves over temperature and water factor: whether the least RMS of a fit
/// is one well-defined minimum or a long valley.
struct saturation_fit_map {
  std::vector<double> t_c;           ///< grid temperatures, °C
  std::vector<double> water_factor;  ///< water factors, from the least to the greatest
  /// RMS of the SI (in the form of the curves) of the minerals of the result's statistics,
  /// factor by factor: rms[i * t_c.size() + k] is that of water_factor[i] at t_c[k]; empty
  /// where no mineral has an SI.
  std::vector<std::optional<double>> rms;
};

/// Water factors of a misfit map unless told otherwise.
inline constexpr int fit_map_factors = 21;

/// The misfit map of sample s whose curves r were calculated with opt, grid and how: the
/// aquifer liquid given n_factors water factors evenly from how.water_factor_min to
/// how.water_factor_max, with the CO2 r fitted (or none), over the grid. Empty for a refused
/// sample.
saturation_fit_map fit_map(const sample_record& s, const run_options& opt,
                           const saturation_grid& grid, const saturation_choices& how,
                           const saturation_result& r, int n_factors = fit_map_factors,
                           const saturation_terms& terms = {});

/// True when the dissolution of mineral j (1..29) gives Al(OH)4-, so that it can fix the Al.
bool holds_al(int mineral);

/// The saturation curves of sample s at its reference state reached with opt (its process
/// steps are ignored) over grid, for the chosen minerals (positions 1..29). A grid point is,
/// digit for digit, a single cooling step of the interactive program to that temperature;
/// points above the reference temperature are reached the same way. With how.fix_al, the
/// curves start from the sample with al_trace_mg_kg of Al (its reference state as reported
/// stays its own); with a fit, the curves are those of the liquid
/// with the fitted water factor and CO2. The temperature terms are taken from terms where it
/// holds them (a run builds them once for its grid), else computed once for this call.
saturation_result saturation(const sample_record& s, const run_options& opt,
                             const saturation_grid& grid, const std::vector<int>& minerals,
                             const saturation_choices& how = {},
                             const saturation_terms& terms = {});
/// saturation(s, opt, grid, minerals) for the batch commands and the Python module: first
/// refuses values no water can have (check_values), as calculate_checked does.
saturation_result saturation_checked(const sample_record& s, const run_options& opt,
                                     const saturation_grid& grid, const std::vector<int>& minerals,
                                     const saturation_choices& how = {},
                                     const saturation_terms& terms = {});

}  // namespace morva
