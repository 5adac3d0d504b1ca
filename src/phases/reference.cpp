#include "phases/reference.h"

#include <cassert>
#include <string_view>

#include "chemdata/units.h"
#include "geotherm/geothermometers.h"
#include "report/fields.h"
#include "steam/saturation.h"

namespace morva {

namespace {

// A refusal of the first estimate: two empty lines and the reason, then the closing line.
void refuse(std::ostream& term, std::string_view reason) {
  put(term, record{});
  put(term, record{});
  put(term, record{}.A(reason));
  put(term, record{}.A(" Calculation suppressed."));
}

// A refusal of the boiling-spring combination: three empty lines and the reason, then the
// closing line without full stop.
void refuse_spring(std::ostream& term, std::string_view reason) {
  put(term, record{});
  put(term, record{});
  put(term, record{});
  put(term, record{}.A(reason));
  put(term, record{}.A(" Calculation suppressed"));
}

}  // namespace

void param(double pc_gauge, double h, int ref_type, double t_typed_c, double t_measured_c,
           int sample_type, double t_boil_c, const component_vector& c, double& yc, double& ya,
           double& yb, double& href, double& tref, double& tc, double& tb, std::string& t_label,
           std::string& h_label, bool& suppress, std::ostream& term) {
  constexpr double t_quartz_cap = 596.0;    // K
  constexpr double t_nak_high = 623.15;     // K, 350 °C
  constexpr double t_nak_low = 273.15;      // K, 0 °C
  constexpr double t_ref_cap = 647.0;       // K, just below the critical point
  constexpr double h_measured_min = 1e-25;  // kJ/kg; below it the enthalpy was not measured
  constexpr double t_boil_min_c = 1.0;      // °C, open limits of a boiling spring
  constexpr double t_boil_max_c = 350.0;

  assert(0 <= ref_type && ref_type <= 4);
  suppress = false;

  // Separator temperature: saturation at the collection pressure.
  tc = tsat(pc_gauge + atmosphere_bar);
  if (tc == 0.0) {
    // Off the saturation curve there is no separator temperature, and the steam fraction at
    // collection would be computed at 0 K.
    suppress = true;
    refuse(term, " Collection pressure outside the range of the steam table.");
    return;
  }

  switch (ref_type) {
    case 0:
      tref = t_typed_c > 0.0 ? zero_celsius_k + t_typed_c : zero_celsius_k + t_measured_c;
      t_label = "  (Measured)  ";
      break;
    case 1:
      tref = zero_celsius_k + t_typed_c;
      t_label = "  (Arbitrary) ";
      break;
    case 2:
      if (c[comp::sio2] <= 0.0) {
        suppress = true;
        refuse(term, " SiO2 is zero. Cannot compute chalcedony temperature.");
        return;
      }
      tref = hcha(c[comp::sio2]);
      t_label = "  (Chalcedony)";
      break;
    case 3:
      if (c[comp::sio2] <= 0.0) {
        suppress = true;
        refuse(term, " SiO2 is zero. Cannot compute quartz temperature.");
        return;
      }
      tref = hqtz(c[comp::sio2]);
      t_label = "  (Quartz)    ";
      if (tref > t_quartz_cap) tref = t_quartz_cap;
      break;
    case 4:
      if (c[comp::k] <= 0.0) {
        suppress = true;
        refuse(term, " K is zero. Cannot compute Na-K temperature.");
        return;
      }
      if (c[comp::na] <= 0.0) {
        suppress = true;
        refuse(term, " Na is zero. Cannot compute Na-K temperature.");
        return;
      }
      // First estimate with both activity coefficients 1: the aquifer speciation that would
      // give better ones needs this temperature.
      tref = hnak(c[comp::na], c[comp::k], 1.0, 1.0);
      t_label = "  (Na/K)      ";
      if (tref > t_nak_high) {
        suppress = true;
        refuse(term,
               " Na-K temperature exceeds 350 \xB0"
               "C.");
        return;
      }
      if (tref < t_nak_low) {
        suppress = true;
        refuse(term,
               " Na-K temperature below 0 \xB0"
               "C.");
        return;
      }
      break;
    default:
      break;
  }

  if (tref > t_ref_cap) tref = t_ref_cap;
  if (tref < zero_celsius_k) {
    // Below the triple point the liquid enthalpy and the vapour pressure have no value.
    suppress = true;
    refuse(term,
           " Reference temperature below 0 \xB0"
           "C.");
    return;
  }

  // Enthalpy balance: the steam formed when liquid of enthalpy href boils adiabatically to T
  // is (href - hw(T)) / L(T).
  const double hw = entwat(tref);
  if (h < h_measured_min || h < hw) {
    href = hw;
    ya = 0.0;
    h_label = "  (Calculated)";
  } else {
    href = h;
    ya = (href - hw) / entlat(tref);
    h_label = "  (Measured)  ";
  }
  if (ya >= 1.0) {
    // No liquid would be left in the aquifer.
    suppress = true;
    refuse(term, " Enthalpy above that of saturated steam at reference temperature.");
    return;
  }

  const double hc = entwat(tc);
  if (href > hc && sample_type == 2) {
    yc = (href - hc) / entlat(tc);
  } else {
    yc = 0.0;
  }
  if (yc >= 1.0) {
    // No water would be left at the separator.
    suppress = true;
    refuse(term, " Enthalpy above that of saturated steam at separator temperature.");
    return;
  }

  if (sample_type == 1 && t_boil_min_c < t_boil_c && t_boil_c < t_boil_max_c) {
    tb = zero_celsius_k + t_boil_c;
  } else {
    tb = 0.0;
  }

  if (tb > tref) {
    suppress = true;
    refuse_spring(term, " Steam separation temperature higher than reference temperature");
  } else if (tb > 1.0 && href > hw) {
    suppress = true;
    refuse_spring(term, " Fluid is two phase at reference temperature");
  } else if (tb > 1.0) {
    yb = (hw - entwat(tb)) / entlat(tb);
    ya = 0.0;
  } else {
    yb = 0.0;
  }
}

}  // namespace morva
