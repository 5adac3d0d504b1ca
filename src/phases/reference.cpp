#include "phases/reference.h"

#include "chemdata/units.h"
#include "geotherm/geothermometers.h"
#include "steam/saturation.h"

namespace morva {

std::variant<reference_conditions, refusal_reason> param(const reference_inputs& in) {
  using enum refusal_reason;
  constexpr double t_nak_high = 623.15;         // K, 350 °C
  constexpr double t_nak_low = zero_celsius_k;  // K, 0 °C
  constexpr double t_ref_cap = 647.0;           // K, just below the critical point
  constexpr double h_measured_min = 1e-25;      // kJ/kg; below it the enthalpy was not measured
  constexpr double t_boil_min_c = 1.0;          // °C, open limits of a boiling spring
  constexpr double t_boil_max_c = 350.0;
  const double h = in.h;
  const component_vector& c = in.c;
  reference_conditions rc;

  // Separator temperature: saturation at the collection pressure.
  rc.tc = tsat(in.pc_gauge + atmosphere_bar);
  if (rc.tc == 0.0) {
    // Off the saturation curve there is no separator temperature, and the steam fraction at
    // collection would be computed at 0 K.
    return collection_pressure_off_table;
  }

  switch (in.ref_type) {
    case reference_temperature::measured:
      rc.tref =
          in.t_typed_c > 0.0 ? zero_celsius_k + in.t_typed_c : zero_celsius_k + in.t_measured_c;
      break;
    case reference_temperature::arbitrary:
      rc.tref = zero_celsius_k + in.t_typed_c;
      break;
    case reference_temperature::chalcedony:
      if (c[comp::sio2] <= 0.0) {
        return silica_zero_chalcedony;
      }
      rc.tref = hcha(c[comp::sio2]);
      break;
    case reference_temperature::quartz:
      if (c[comp::sio2] <= 0.0) {
        return silica_zero_quartz;
      }
      rc.tref = hqtz(c[comp::sio2]);
      if (rc.tref > t_quartz_cap_k) rc.tref = t_quartz_cap_k;
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
      rc.tref = hnak(c[comp::na], c[comp::k], 1.0, 1.0);
      if (rc.tref > t_nak_high) {
        return nak_estimate_above_350;
      }
      if (rc.tref < t_nak_low) {
        return nak_estimate_below_0;
      }
      break;
  }

  if (rc.tref > t_ref_cap) rc.tref = t_ref_cap;
  if (rc.tref < zero_celsius_k) {
    // Below the triple point the liquid enthalpy and the vapour pressure have no value.
    return reference_below_0;
  }

  // Enthalpy balance: the steam formed when liquid of enthalpy href boils adiabatically to T
  // is (href - hw(T)) / L(T).
  const double hw = entwat(rc.tref);
  if (h < h_measured_min || h < hw) {
    rc.href = hw;
    rc.ya = 0.0;
    rc.h_origin = enthalpy_origin::calculated;
  } else {
    rc.href = h;
    rc.ya = (rc.href - hw) / entlat(rc.tref);
    rc.h_origin = enthalpy_origin::measured;
  }
  if (rc.ya >= 1.0) {
    // No liquid would be left in the aquifer.
    return enthalpy_above_steam_at_reference;
  }

  const double hc = entwat(rc.tc);
  if (rc.href > hc && in.type == sample_type::two_phase) {
    rc.yc = (rc.href - hc) / entlat(rc.tc);
  } else {
    rc.yc = 0.0;
  }
  if (rc.yc >= 1.0) {
    // No water would be left at the separator.
    return enthalpy_above_steam_at_separator;
  }

  if (in.type == sample_type::water && t_boil_min_c < in.t_boil_c && in.t_boil_c < t_boil_max_c) {
    rc.tb = zero_celsius_k + in.t_boil_c;
  } else {
    rc.tb = 0.0;
  }

  if (rc.tb > rc.tref) return spring_above_reference;
  if (rc.tb > 1.0 && rc.href > hw) return two_phase_at_reference;
  if (rc.tb > 1.0) {
    rc.yb = (hw - entwat(rc.tb)) / entlat(rc.tb);
    rc.ya = 0.0;
  } else {
    rc.yb = 0.0;
  }
  return rc;
}

}  // namespace morva
