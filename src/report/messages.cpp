#include "report/messages.h"

#include <ostream>
#include <string_view>

#include "text/fields.h"

namespace morva {

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
