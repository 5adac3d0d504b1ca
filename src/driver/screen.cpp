#include "driver/screen.h"

#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "chemdata/names.h"
#include "chemdata/units.h"
#include "morva/tables.h"
#include "text/fields.h"

namespace morva {

bool screen(const sample_record& s, char& choice, std::istream& keys, std::ostream& term) {
  // Water analyses back in mg/kg: molal total times molecular weight (mg/mol), as the
  // calculation sees them.
  const sample_totals tot = derive(s);
  component_vector c;
  for (int i = 1; i <= component_vector::size; ++i) c[i] = tot.water[i] * w(i);
  const std::string rule = " " + std::string(79, '-');

  for (int i = 0; i < 3; ++i) put(term, record{});
  put(term, record{}.A(" Sample id. :  ").A(padded(s.number, 16)));
  put(term, record{}.A(" Location   :  ").A(63, padded(s.location, 80)));
  put(term, record{});
  put(term, record{}
                .A(" Collection temperature (\xB0"
                   "C) : ")
                .F(6, 1, s.collection.t_c)
                .X(6)
                .A("Fluid enthalpy (kJ/kg) : ")
                .F(6, 0, s.enthalpy));
  put(term, record{}
                .A(" Collection pressure (bar-g) : ")
                .F(6, 1, s.pressure_bar_g)
                .X(6)
                .A("Discharge (kg/s)       : ")
                .F(6, 1, s.collection.discharge_kg_s));
  put(term, record{});
  put(term, record{}.A(rule));
  put(term,
      record{}.A("        Water phase composition        ||    Gas phase      ||  Condensate"));
  put(term,
      record{}.A("        Concentrations in mg/kg        ||    Volume %       ||  phase, mg/kg"));
  put(term, record{}.X(39).A("||").X(19).A("||"));

  // Left half of the water column: a component name and its mg/kg, the name cut to 6.
  const auto left = [&](int i) { return record{}.A(" ").A(6, nam(i)).F(10, 2, c[i]); };
  // Right half of the water column, names cut to 5.
  const auto right = [&](record r, int i) {
    return r.A("  |  ").A(5, nam(i)).F(10, 2, c[i]).A("  ||  ");
  };
  // Gas column: name cut to 7, volume %.
  const auto gas = [&](record r, int i) { return r.A(7, nam(i)).F(8, 2, s.gas[i]).A("  ||  "); };
  const auto cond = [&](record r, int i, double x) { return r.A(6, nam(i)).F(10, 2, x); };

  put(term, gas(right(record{}.A(" pH    ").F(10, 2, s.ph), 10), 1)
                .A("pH    ")
                .F(10, 2, s.collection.condensate_ph));
  put(term, gas(right(record{}.A(" pH-temp").F(9, 2, celsius(tot.ph_t)), 11), 2)
                .A("pH-temp")
                .F(9, 2, s.collection.condensate_ph_t_c));
  put(term, cond(gas(right(left(9), 12), 3), 1, s.condensate.co2_mgkg));
  put(term, cond(gas(right(left(8), 13), 4), 2, s.condensate.h2s_mgkg));
  put(term, cond(gas(right(left(1), 17), 5), 3, s.condensate.nh3_mgkg));
  put(term, cond(gas(right(left(2), 18), 6), 10, s.condensate.na_mgkg));
  put(term, gas(right(left(3), 14), 7));
  put(term, right(left(4), 15).X(17).A("||  ").A("Steam phase"));
  put(term, left(5)
                .A("  |  ")
                .A(5, nam(16))
                .F(10, 2, c[16])
                .A("  || ")
                .A("Liters gas per kg ||  ")
                .A("   mg/kg"));
  put(term, cond(left(6)
                     .A("  |  TDS  ")
                     .F(10, 2, s.tds)
                     .A("  || ")
                     .A("condensate ")
                     .F(6, 2, s.collection.gas_l_per_kg)
                     .A(" ||  "),
                 1, s.steam.co2_mgkg));
  put(term, cond(left(7).A("  |  ").X(15).A("  || ").A("Gas collection  ").A("  ||  "), 2,
                 s.steam.h2s_mgkg));
  put(term,
      cond(record{}.X(19).A("|").X(18).A(" || temp. ").F(11, 2, s.collection.gas_t_c).A(" ||  "), 3,
           s.steam.nh3_mgkg));
  put(term, record{}.A(rule));
  prompt(term,
         record{}.A("    Do calculation = <RETURN>   //   Next sample = n   //   Quit = q  :  "));

  std::string line;
  if (read_line(keys, line) != read_status::ok) return false;
  choice = field_reader(line).A(1)[0];
  return true;
}

}  // namespace morva
