#include "phases/reference.h"

#include "chemdata/units.h"
#include "geotherm/geothermometers.h"
#include "steam/saturation.h"

namespace morva {

std::optional<refusal_reason> param(double pc_gauge, double h, reference_temperature ref_type,
                                    double t_typed_c, double t_measured_c, int sample_type,
                                    double t_boil_c, const component_vector& c, double& yc,
                                    double& ya, double& yb, double& href, double& tref, double& tc,
                                    double& tb, enthalpy_origin& h_origin) {
  using enum refusal_reason;
  constexpr double t_nak_high = 623.15;     // K, 350 °C
  constexpr double t_nak_low = 273.15;      // K, 0 °C
  constexpr double t_ref_cap = 647.0;       // K, just below the critical point
  constexpr double h_measured_min = 1e-25;  // kJ/kg; below it the enthalpy was not measured
  constexpr double t_boil_min_c = 1.0;      // °C, open limits of a boiling spring
  constexpr double t_boil_max_c = 350.0;

  // Separator temperature: saturation at the collection pressure.
  tc = tsat(pc_gauge + atmosphere_bar);
  if (tc == 0.0) {
    // Off the saturation curve there is no separator temperature, and the steam fraction at
    // collection would be computed at 0 K.
    return collection_pressure_off_table;
  }

  switch (ref_type) {
    case reference_temperature::measured:
      tref = t_typed_c > 0.0 ? zero_celsius_k + t_typed_c : zero_celsius_k + t_measured_c;
      break;
    case reference_temperature::arbitrary:
      tref = zero_celsius_k + t_typed_c;
      break;
    case reference_temperature::chalcedony:
      if (c[comp::sio2] <= 0.0) {
        return silica_zero_chalcedony;
      }
      tref = hcha(c[comp::sio2]);
      break;
    case reference_temperature::quartz:
      if (c[comp::sio2] <= 0.0) {
        return silica_zero_quartz;
      }
      tref = hqtz(c[comp::sio2]);
      if (tref > t_quartz_cap_k) tref = t_quartz_cap_k;
      break;
    case reference_temperature::na_k:
      if (c[comp::k] <= 0.0) {
        return potassium_zero;
      }
      if (c[comp::na] <= 0.0) {
        return sodium_zero;
      }
      // First estimate with both activity coefficients 1: the aquifer speciation that would
      // give better ones needs this temperature.
      tref = hnak(c[comp::na], c[comp::k], 1.0, 1.0);
      if (tref > t_nak_high) {
        return nak_estimate_above_350;
      }
      if (tref < t_nak_low) {
        return nak_estimate_below_0;
      }
      break;
  }

  if (tref > t_ref_cap) tref = t_ref_cap;
  if (tref < zero_celsius_k) {
    // Below the triple point the liquid enthalpy and the vapour pressure have no value.
    return reference_below_0;
  }

  // Enthalpy balance: the steam formed when liquid of enthalpy href boils adiabatically to T
  // is (href - hw(T)) / L(T).
  const double hw = entwat(tref);
  if (h < h_measured_min || h < hw) {
    href = hw;
    ya = 0.0;
    h_origin = enthalpy_origin::calculated;
  } else {
    href = h;
    ya = (href - hw) / entlat(tref);
    h_origin = enthalpy_origin::measured;
  }
  if (ya >= 1.0) {
    // No liquid would be left in the aquifer.
    return enthalpy_above_steam_at_reference;
  }

  const double hc = entwat(tc);
  if (href > hc && sample_type == 2) {
    yc = (href - hc) / entlat(tc);
  } else {
    yc = 0.0;
  }
  if (yc >= 1.0) {
    // No water would be left at the separator.
    return enthalpy_above_steam_at_separator;
  }

  if (sample_type == 1 && t_boil_min_c < t_boil_c && t_boil_c < t_boil_max_c) {
    tb = zero_celsius_k + t_boil_c;
  } else {
    tb = 0.0;
  }

  if (tb > tref) return spring_above_reference;
  if (tb > 1.0 && href > hw) return two_phase_at_reference;
  if (tb > 1.0) {
    yb = (hw - entwat(tb)) / entlat(tb);
    ya = 0.0;
  } else {
    yb = 0.0;
  }
  return std::nullopt;
}

}  // namespace morva
