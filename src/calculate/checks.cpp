#include "morva/checks.h"

#include <algorithm>
#include <cmath>

namespace morva {

bool valid_step_temperature(double t_c) {
  constexpr double t_critical_c = 373.85;
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

}  // namespace morva
