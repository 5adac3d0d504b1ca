// The words for a sample the calculation refuses: the lines the terminal shows, and the same
// reason in one line for the tables and the batch messages.

#include <string>
#include <string_view>

#include "morva/result.h"
#include "text/encoding.h"
#include "text/fields.h"

namespace morva {

namespace {

/// How a refusal appears on the terminal: blank lines, the reason, and the closing line that
/// says nothing will be calculated (none for the geothermometer iteration's refusal).
struct refusal_words {
  int blank_lines;
  std::string_view reason;
  std::string_view closing;
};

constexpr std::string_view suppressed = " Calculation suppressed";
constexpr std::string_view suppressed_stop = " Calculation suppressed.";

refusal_words words(refusal_reason why) {
  using enum refusal_reason;
  switch (why) {
    case negative_concentration:
      return {2, " Negative concentration in the sample data", suppressed};
    case collection_pressure_off_table:
      return {2, " Collection pressure outside the range of the steam table.", suppressed_stop};
    case silica_zero_chalcedony:
      return {2, " SiO2 is zero. Cannot compute chalcedony temperature.", suppressed_stop};
    case silica_zero_quartz:
      return {2, " SiO2 is zero. Cannot compute quartz temperature.", suppressed_stop};
    case potassium_zero:
      return {2, " K is zero. Cannot compute Na-K temperature.", suppressed_stop};
    case sodium_zero:
      return {2, " Na is zero. Cannot compute Na-K temperature.", suppressed_stop};
    case nak_estimate_above_350:
      return {2,
              " Na-K temperature exceeds 350 \xB0"
              "C.",
              suppressed_stop};
    case nak_estimate_below_0:
      return {2,
              " Na-K temperature below 0 \xB0"
              "C.",
              suppressed_stop};
    case reference_below_0:
      return {2,
              " Reference temperature below 0 \xB0"
              "C.",
              suppressed_stop};
    case enthalpy_above_steam_at_reference:
      return {2, " Enthalpy above that of saturated steam at reference temperature.",
              suppressed_stop};
    case enthalpy_above_steam_at_separator:
      return {2, " Enthalpy above that of saturated steam at separator temperature.",
              suppressed_stop};
    case spring_above_reference:
      return {3, " Steam separation temperature higher than reference temperature", suppressed};
    case two_phase_at_reference:
      return {3, " Fluid is two phase at reference temperature", suppressed};
    case separator_above_reference:
      return {2, " Reference temperature below separator temperature", suppressed};
    case nak_above_350:
      return {2,
              " Na-K temperature exceeds 350 \xB0"
              "C",
              suppressed};
    case nak_below_0:
      return {2,
              " Na-K temperature below 0 \xB0"
              "C",
              suppressed};
    case geothermometer_below_0:
      return {2,
              " Geothermometer temperature below 0 \xB0"
              "C",
              suppressed};
    case spring_above_geothermometer:
      return {2, " Steam separation temperature higher than reference temperature", suppressed};
    case enthalpy_above_saturated_steam:
      return {2, " Enthalpy above that of saturated steam", suppressed};
    case geothermometer_not_converged:
      return {2, " No convergence in geothermometer  calculation", {}};
    case not_finite:
      return {2, " Analysis out of range: the calculation gives no finite result", suppressed};
    case measured_above_critical:
      return {2,
              " Measured temperature above the critical point of water, 373.85 \xB0"
              "C.",
              suppressed_stop};
    case typed_above_critical:
      return {2,
              " Typed reference temperature above the critical point of water, 373.85 \xB0"
              "C.",
              suppressed_stop};
    case options_ambiguous:
      return {2, " The options table names a sample id the file holds more than once.",
              suppressed_stop};
    case carbonate_not_found:
      return {2, " No total carbonate carries the given alkalinity at the measured pH.",
              suppressed_stop};
    case spring_below_collection:
      return {2, " Boiling-spring temperature below the collection temperature.", suppressed_stop};
    case ph_not_analysed:
      return {2, " No pH: the pH of the water was not analysed.", suppressed_stop};
    case temperature_not_analysed:
      return {2,
              " No temperature: the collection temperature was not given; give a reference "
              "temperature.",
              suppressed_stop};
  }
  return {2, " Calculation refused", suppressed};
}

}  // namespace

std::string refusal_text(refusal_reason why) {
  const refusal_words w = words(why);
  std::string text(static_cast<std::size_t>(w.blank_lines), '\n');
  text.append(w.reason).append("\n");
  if (!w.closing.empty()) text.append(w.closing).append("\n");
  return text;
}

std::string refusal_message(refusal_reason why) {
  // The reason without its leading blank, in UTF-8: the terminal's Latin-1 degree sign 0xB0
  // becomes C2 B0.
  const std::string_view reason = words(why).reason;
  return latin1_to_utf8(reason.substr(reason.find_first_not_of(' ')));
}

}  // namespace morva
