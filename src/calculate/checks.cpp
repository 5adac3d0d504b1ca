#include "morva/checks.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace morva {

namespace {

/// Critical-point temperature of water, °C: no liquid above it.
constexpr double t_critical_c = 373.85;
/// How far, °C, the collection temperature of a boiling spring may lie above its boiling
/// temperature: a vent thermometer and a boiling point estimated for the spring's altitude
/// differ by a few degrees; beyond this the spring cannot have boiled at that temperature.
constexpr double spring_below_collection_tolerance_c = 10.0;

}  // namespace

bool valid_step_temperature(double t_c) {
  return t_c >= 0.0 && t_c <= t_critical_c;  // false for NaN
}

bool valid_degassing(double f) { return f >= 0.01 && f <= 1.0; }

bool valid_spring_temperature(double t_c) { return t_c > 1.0 && t_c < 350.0; }

std::optional<option_fault> check_options(const run_options& opt) {
  const auto steps_ok = [](const std::vector<double>& t_c) {
    return t_c.size() <= max_steps && std::all_of(t_c.begin(), t_c.end(), valid_step_temperature);
  };
  if (!steps_ok(opt.boil_c)) return option_fault::boil_steps;
  if (!valid_degassing(opt.boil_degas)) return option_fault::boil_degassing;
  if (!steps_ok(opt.cool_c)) return option_fault::cool_steps;
  if (opt.t_typed_c && !std::isfinite(*opt.t_typed_c)) return option_fault::typed_temperature;
  if (opt.t_spring_c && !valid_spring_temperature(*opt.t_spring_c)) {
    return option_fault::spring_temperature;
  }
  if (!valid_degassing(opt.spring_degas)) return option_fault::spring_degassing;
  return std::nullopt;
}

std::optional<refusal_reason> check_values(const sample_record& s, const run_options& opt) {
  // What the calculation cannot go without: a pH, and for the measured reference type a
  // temperature (the collection temperature, or one typed in its place).
  const auto open = [&s](std::string_view name) {
    return std::find(s.not_analysed.begin(), s.not_analysed.end(), name) != s.not_analysed.end();
  };
  if (open("pH")) return refusal_reason::ph_not_analysed;
  if (opt.tref_type == reference_temperature::measured && open("temperature") &&
      !(opt.t_typed_c && *opt.t_typed_c > 0.0)) {
    return refusal_reason::temperature_not_analysed;
  }
  if (s.collection.t_c > t_critical_c) return refusal_reason::measured_above_critical;
  if (opt.t_typed_c && *opt.t_typed_c > t_critical_c) return refusal_reason::typed_above_critical;
  // Water collected from a boiling spring has cooled from the spring temperature, never
  // warmed; a spring hotter than the reference temperature the calculation refuses itself.
  // Only a water-only sample is taken to have boiled in a spring.
  if (opt.t_spring_c && s.collection.t_c > 0.0 &&
      *opt.t_spring_c < s.collection.t_c - spring_below_collection_tolerance_c &&
      derive(s).type == sample_type::water) {
    return refusal_reason::spring_below_collection;
  }
  return std::nullopt;
}

std::vector<std::string> plausibility_flags(const sample_record& s, const sample_result& r) {
  std::vector<std::string> flags;
  if (!r.refused && std::abs(r.sampled.balance.difference_pct) > ion_balance_flag_pct) {
    flags.emplace_back("ion_balance");
  }
  // What the reading assumed rather than the analysis gave.
  if (s.ph_t_assumed) flags.emplace_back("ph_temperature_assumed");
  if (!s.below_detection.empty()) flags.emplace_back("below_detection");
  return flags;
}

}  // namespace morva
