// The total carbonate of a water whose analysis gives its carbonate alkalinity (bicarbonate,
// carbonate or a titrated alkalinity) instead: the total CO2 whose sampled species, at the
// measured pH and pH temperature, carry that alkalinity.

#include <cmath>
#include <optional>
#include <string>
#include <variant>

#include "calculate/work_state.h"
#include "morva/calculate.h"
#include "morva/tables.h"

namespace morva {

double carbonate_alkalinity(const species_vector& m) {
  // Protons each carbonate species takes up to become CO2(aq): one for HCO3- and its ion
  // pairs, two for CO3-- and its ion pairs; H2CO3 is CO2(aq) itself and counts none.
  return m[sp::hco3] + m[sp::cahco3] + m[sp::mghco3] +
         2.0 * (m[sp::co3] + m[sp::caco3] + m[sp::mgco3]);
}

namespace {

/// The sampled water of s with co2_mgkg as its total CO2: its species, or the reason it
/// cannot be speciated.
std::variant<species_vector, refusal_reason> sampled_species(sample_record s, double co2_mgkg) {
  s.water_mgkg[comp::co2] = co2_mgkg;
  work_state ws;
  if (const auto refused = solve_sampled_water(s, derive(s), ws)) return *refused;
  return ws.m_sampling;
}

}  // namespace

std::variant<double, refusal_reason> total_co2_of_alkalinity(const sample_record& s) {
  // Relative mismatch of the alkalinity accepted, and the passes allowed: at a fixed pH the
  // alkalinity is nearly proportional to the total carbonate (the ionic strength and the
  // Ca and Mg pairs bend it a little), so a secant settles in a few passes.
  constexpr double tol = 1e-10;
  constexpr int maxit = 40;
  const double alk = s.alkalinity_eq_kg.value_or(0.0);
  if (alk == 0.0) return 0.0;
  if (!(alk > 0.0) || !std::isfinite(alk) || !(s.ph > 0.0) || !std::isfinite(s.ph)) {
    return refusal_reason::carbonate_not_found;
  }
  const double mg_per_mol = w(comp::co2);
  // Alkalinity (eq/kg) of the sampled water with total CO2 c (mg/kg), less the given one.
  std::optional<refusal_reason> refused;
  const auto mismatch = [&](double c) -> std::optional<double> {
    const auto m = sampled_species(s, c);
    if (const auto* why = std::get_if<refusal_reason>(&m)) {
      refused = *why;
      return std::nullopt;
    }
    const double a = carbonate_alkalinity(std::get<species_vector>(m));
    if (!std::isfinite(a)) return std::nullopt;
    return a - alk;
  };
  // First guess: all the carbonate as HCO3-; then the proportional step, then secant steps.
  double c0 = alk * mg_per_mol;
  std::optional<double> f0 = mismatch(c0);
  if (!f0) return refused.value_or(refusal_reason::carbonate_not_found);
  if (std::abs(*f0) <= tol * alk) return c0;
  double c1 = c0 * alk / (*f0 + alk);
  for (int it = 0; it < maxit; ++it) {
    if (!std::isfinite(c1) || !(c1 > 0.0)) break;
    const std::optional<double> f1 = mismatch(c1);
    if (!f1) break;
    if (std::abs(*f1) <= tol * alk) return c1;
    const double slope = (*f1 - *f0) / (c1 - c0);
    // Where the secant has no downhill slope, the proportional step stands in for it.
    double c2 = slope > 0.0 && std::isfinite(slope) ? c1 - *f1 / slope : 0.0;
    if (!(c2 > 0.0)) c2 = c1 * alk / (*f1 + alk);
    c0 = c1;
    f0 = f1;
    c1 = c2;
  }
  return refused.value_or(refusal_reason::carbonate_not_found);
}

std::optional<double> co2_from_alkalinity(const sample_record& s) {
  const std::variant<double, refusal_reason> c = total_co2_of_alkalinity(s);
  if (const double* co2 = std::get_if<double>(&c)) return *co2;
  return std::nullopt;
}

std::optional<sample_record> with_total_co2_written(const sample_record& s) {
  sample_record t = s;
  t.alkalinity_eq_kg.reset();
  if (!s.alkalinity_eq_kg || s.water_mgkg[comp::co2] != 0.0) return t;
  const std::optional<double> c = co2_from_alkalinity(s);
  if (!c) return std::nullopt;
  t.water_mgkg[comp::co2] = *c;
  // The total found is known, a zero included (an alkalinity of 0 is no carbonate).
  std::erase(t.not_analysed, std::string("CO2"));
  return t;
}

}  // namespace morva
