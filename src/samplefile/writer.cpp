#include "samplefile/writer.h"

#include <cmath>
#include <initializer_list>
#include <ostream>
#include <string>

#include "report/fields.h"

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

void pickup(const component_vector& liquid_mgkg, double ah, double tds, double t_step_c,
            std::string_view number, std::string_view location, std::ostream& out) {
  using comp::b, comp::ca, comp::ch4, comp::cl, comp::co2, comp::fe, comp::h2, comp::h2s, comp::k,
      comp::mg, comp::n2, comp::na, comp::nh3, comp::o2, comp::sio2, comp::so4;
  const component_vector& c = liquid_mgkg;
  const double ph = -std::log10(ah);
  // Each header puts a 16-column label over each field below it.
  const auto text = [&out](std::string_view s) { put(out, record{}.A(s)); };
  const auto empty = [&out] { put(out, record{}); };

  text("Program MORVA input. Concentrations in mg/kg, unless otherwise specified.");
  empty();
  text("< Sample number><       Sample location or other description               >");
  put(out, record{}.A(padded(number, 16)).A(padded(location, 80)));
  empty();
  text(
      "<Temperature \xB0"
      "C><Pressure bar-g><Enthalpy kJ/kg><Discharge kg/s>");
  put(out, data_line({t_step_c}, 3));  // pressure, enthalpy and discharge not known: blank
  empty();
  text(
      "<Water phase pH><  pH temp. \xB0"
      "C >< CO2 in water >< H2S in water >");
  put(out, data_line({ph, t_step_c, c[co2], c[h2s]}));
  empty();
  text("< NH3 in water >< H2  in water >< O2  in water >< CH4 in water >< N2  in water >");
  put(out, data_line({c[nh3], c[h2], c[o2], c[ch4], c[n2]}));
  empty();
  text("<SiO2 in water ><  B  in water ><  Al in water ><  Fe in water >");
  put(out, data_line({c[sio2], c[b], c[comp::al], c[fe]}));
  empty();
  text("<  Na in water ><  K  in water ><  Mg in water ><  Ca in water >");
  put(out, data_line({c[na], c[k], c[mg], c[ca]}));
  empty();
  text("<  F  in water ><  Cl in water >< SO4 in water >< TDS in water >");
  put(out, data_line({c[comp::f], c[cl], c[so4], tds}));
  // The liquid alone: blank gas, steam and condensate fields read back as "not analysed".
  empty();
  text("<Gas CO2, vol %><Gas H2S, vol %><Gas NH3, vol %><Gas H2,  vol %><Gas O2,  vol %>");
  put(out, data_line({}, 5));
  empty();
  text(
      "<Gas CH4, vol %><Gas N2,  vol %><L gas/kg cond.><Gas  coll.  \xB0"
      "C>");
  put(out, data_line({}, 4));
  empty();
  text(
      "<  Steam  CO2  ><  Steam  H2S  ><  Steam  NH3  ><Condensate  pH><Cd. pH temp.\xB0"
      "C>");
  put(out, data_line({}, 5));
  empty();
  text("<Condensate CO2><Condensate H2S><Condensate NH3><Condensate Na >");
  put(out, data_line({}, 4));
}

void pickup(const fluid_state& st, double t_step_c, const sample_record& s, std::ostream& out) {
  pickup(st.liquid_mgkg, st.ah, st.tds_liquid, t_step_c, s.number, s.location, out);
}

}  // namespace morva
