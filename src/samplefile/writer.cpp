#include "samplefile/writer.h"

#include <array>
#include <cmath>
#include <initializer_list>
#include <ostream>
#include <string>

#include "text/fields.h"
#include "text/sample_text.h"

namespace morva {

namespace {

/// A number in its 16 columns as F16.8; from ten million on, where eight decimals no longer
/// fit, with as many as do, and beyond 1e14 with mantissa and exponent, so that the field
/// always reads back as the number and never as asterisks.
void number_field(record& r, double x) {
  constexpr int w = 16;
  for (int d = 8; d >= 1; --d) {
    const record f = record{}.F(w, d, x);
    if (f.text().find('*') == std::string::npos) {
      r.A(f.text());
      return;
    }
  }
  r.E(w, 9, x);
}

/// A data line of F16.8 fields, then blank fields of 16 columns each.
record data_line(std::initializer_list<double> xs, int blank_fields = 0) {
  record r;
  for (double x : xs) number_field(r, x);
  r.X(16 * blank_fields);
  return r;
}

}  // namespace

void write_block(std::string_view number, std::string_view location,
                 const std::array<record, 10>& data, std::ostream& out) {
  // Each heading puts a 16-column label over each field of the data line below it.
  // clang-format off
  static constexpr std::string_view headings[10] = {
      "<Temperature \xB0" "C><Pressure bar-g><Enthalpy kJ/kg><Discharge kg/s>",
      "<Water phase pH><  pH temp. \xB0" "C >< CO2 in water >< H2S in water >",
      "< NH3 in water >< H2  in water >< O2  in water >< CH4 in water >< N2  in water >",
      "<SiO2 in water ><  B  in water ><  Al in water ><  Fe in water >",
      "<  Na in water ><  K  in water ><  Mg in water ><  Ca in water >",
      "<  F  in water ><  Cl in water >< SO4 in water >< TDS in water >",
      "<Gas CO2, vol %><Gas H2S, vol %><Gas NH3, vol %><Gas H2,  vol %><Gas O2,  vol %>",
      "<Gas CH4, vol %><Gas N2,  vol %><L gas/kg cond.><Gas  coll.  \xB0" "C>",
      "<  Steam  CO2  ><  Steam  H2S  ><  Steam  NH3  ><Condensate  pH><Cd. pH temp.\xB0" "C>",
      "<Condensate CO2><Condensate H2S><Condensate NH3><Condensate Na >"};
  // clang-format on
  put(out, record{}.A("Program MORVA input. Concentrations in mg/kg, unless otherwise specified."));
  put(out, record{});
  put(out,
      record{}.A("< Sample number><       Sample location or other description               >"));
  put(out, record{}.A(padded(number, 16)).A(padded(location, 80)));
  for (std::size_t i = 0; i < data.size(); ++i) {
    put(out, record{});
    put(out, record{}.A(headings[i]));
    put(out, data[i]);
  }
}

void pickup(const component_vector& liquid_mgkg, double ah, double tds, double t_step_c,
            std::string_view number, std::string_view location, std::ostream& out) {
  using comp::b, comp::ca, comp::ch4, comp::cl, comp::co2, comp::fe, comp::h2, comp::h2s, comp::k,
      comp::mg, comp::n2, comp::na, comp::nh3, comp::o2, comp::sio2, comp::so4;
  const component_vector& c = liquid_mgkg;
  const double ph = -std::log10(ah);
  // The liquid alone: pressure, enthalpy and discharge unknown, and blank gas, steam and
  // condensate fields read back as "not analysed".
  write_block(number, location,
              {data_line({t_step_c}, 3), data_line({ph, t_step_c, c[co2], c[h2s]}),
               data_line({c[nh3], c[h2], c[o2], c[ch4], c[n2]}),
               data_line({c[sio2], c[b], c[comp::al], c[fe]}),
               data_line({c[na], c[k], c[mg], c[ca]}), data_line({c[comp::f], c[cl], c[so4], tds}),
               data_line({}, 5), data_line({}, 4), data_line({}, 5), data_line({}, 4)},
              out);
}

void pickup(const fluid_state& st, double t_step_c, const sample_record& s, std::ostream& out) {
  if (s.texts == text_encoding::utf8) {
    // The file is Latin-1: a table's UTF-8 texts as latin1_copy makes them (its caller tells
    // the losses).
    const latin1_sample l = latin1_copy(s, {});
    pickup(st.liquid_mgkg, st.ah, st.tds_liquid, t_step_c, l.s.number, l.s.location, out);
    return;
  }
  pickup(st.liquid_mgkg, st.ah, st.tds_liquid, t_step_c, s.number, s.location, out);
}

}  // namespace morva
