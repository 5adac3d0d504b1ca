#include "report/pages.h"

#include <array>
#include <cstddef>
#include <ostream>

#include "chemdata/units.h"
#include "report/messages.h"
#include "report/sections.h"
#include "text/fields.h"

namespace morva {

namespace {

/// The heading of a step page: the sample number and what was done to the aquifer liquid.
record step_heading(const sample_record& s, const step_result& step) {
  record r;
  const char* what =
      step.kind == step_kind::cooling ? "Aquifer liquid cooled to" : "Aquifer liquid boiled to";
  r.X(5)
      .A(padded(s.number, 16))
      .X(12)
      .A(what)
      .F(6, 1, step.t_c)
      .A(" \xB0"
         "C");
  if (step.kind == step_kind::boiling) {
    r.X(18).A("Degassing coefficient is").F(7, 4, step.state->degassing);
  }
  return r;
}

/// Partial pressures of state st, bar absolute, in the order of the report's pressure column:
/// water vapour, then the seven gases.
std::array<double, 8> pressures(const fluid_state& st) {
  std::array<double, 8> p{st.p_h2o};
  for (int g = 1; g <= gas_vector::size; ++g) p[static_cast<std::size_t>(g)] = st.p_gas[g];
  return p;
}

}  // namespace

void reference_pages(const sample_record& s, const run_options& opt, const sample_result& r,
                     const std::string& user, const std::string& heading, char& page_separator,
                     std::ostream& rep) {
  const reference_result& ref = r.reference;
  const fluid_state& st = ref.state;
  put(rep, record{}.A(std::string(1, page_separator)));
  out1(s, opt, r, user, heading, rep);
  out2(st.steam_mgkg, st.liquid_mgkg, st.tds_liquid, pressures(st), st.ptotal, ref.ya, rep);
  out3(st, ph_texts(st.ph_later), mass_balance_text(st.mass_balance), rep);
  if (ref.quartz_capped) {
    put(rep, record{});
    put(rep, record{}.A("     *** Quartz geothermometer temperature exceeds 333 degrees C."));
    put(rep, record{}.A("     *** Reference temperature set to 333 degrees C."));
  }

  page_separator = separator_form_feed;
  put(rep, record{}.A(std::string(1, page_separator)));
  put(rep, record{});
  put(rep, record{}.X(5).A("Activity coefficients in water").X(40).A(padded(s.number, 16)));
  out4(st.gamma, rep);
  out5(st.m, st.ah, rep);
  out6(st.derived, rep);
}

void step_pages(const sample_record& s, const step_result& step, char page_separator,
                std::ostream& rep) {
  // Phase composition, ion balance and redox, activity coefficients on the first page;
  // species and minerals under the repeated heading on the second.
  const fluid_state& st = *step.state;
  const record separator = record{}.A(std::string(1, page_separator));
  const record heading = step_heading(s, step);
  put(rep, separator);
  put(rep, heading);
  put(rep, record{}.X(5).A(std::string(110, '=')));
  out2(st.steam_mgkg, st.liquid_mgkg, st.tds_liquid, pressures(st), st.ptotal, st.steam_fraction,
       rep);
  out3(st, ph_texts(st.ph_later), mass_balance_text(st.mass_balance), rep);
  put(rep, record{});
  put(rep, record{}.X(5).A("Activity coefficients in water"));
  put(rep, record{});
  out4(st.gamma, rep);
  put(rep, separator);
  put(rep, heading);
  out5(st.m, st.ah, rep);
  out6(st.derived, rep);
}

}  // namespace morva
