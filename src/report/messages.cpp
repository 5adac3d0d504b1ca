#include "report/messages.h"

#include <ostream>
#include <string_view>

#include "report/fields.h"

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
  const std::string_view reason = words(why).reason;
  // The terminal's texts are Latin-1; each byte from 0x80 is the two-byte UTF-8 sequence of
  // the same code point (the degree sign 0xB0 becomes C2 B0).
  std::string text;
  for (const char c : reason.substr(reason.find_first_not_of(' '))) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (b >> 6));
      text += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return text;
}

ph_messages ph_texts(ph_outcome o) {
  ph_messages msg{std::string(60, ' '), std::string(60, ' ')};
  switch (o) {
    case ph_outcome::solved:
      break;
    case ph_outcome::above_range:
      msg[0] = padded("pH higher than 11", 60);
      break;
    case ph_outcome::below_range:
      msg[0] = padded("pH lower than  2", 60);
      break;
    case ph_outcome::not_converged:
      msg[1] = padded("No convergence in pH calculation after 50 iterations.", 60);
      break;
  }
  return msg;
}

std::string mass_balance_text(const mass_balance_outcome& o) {
  return padded(o.converged ? "" : "Mass balance calculation does not converge", 60);
}

std::string t_origin_label(reference_temperature t) {
  switch (t) {
    case reference_temperature::measured:
      return "  (Measured)  ";
    case reference_temperature::arbitrary:
      return "  (Arbitrary) ";
    case reference_temperature::chalcedony:
      return "  (Chalcedony)";
    case reference_temperature::quartz:
      return "  (Quartz)    ";
    case reference_temperature::na_k:
      return "  (Na/K)      ";
  }
  return std::string(14, ' ');
}

std::string h_origin_label(enthalpy_origin h) {
  return h == enthalpy_origin::measured ? "  (Measured)  " : "  (Calculated)";
}

void say_mass_balance(std::ostream& term) {
  put(term, record{}.X(5).A("Mass balance calculation does not converge"));
}

void say_skipped(const step_result& step, std::ostream& term) {
  const char* what = step.kind == step_kind::cooling ? " Cooling to" : " Boiling to";
  const char* why = step.skipped == skip_reason::no_liquid
                        ? " \xB0"
                          "C leaves no liquid water. Step skipped."
                        : " \xB0"
                          "C gives no finite result. Step skipped.";
  put(term, record{});
  put(term, record{}.A(what).F(6, 1, step.t_c).A(why));
}

}  // namespace morva
