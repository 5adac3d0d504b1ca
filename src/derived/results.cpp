#include "derived/results.h"

#include <cmath>

#include "derived/ion_balance.h"
#include "derived/minerals.h"
#include "derived/oxidation.h"
#include "geotherm/geothermometers.h"

namespace morva {

namespace {

/// A geothermometer's answer, K, with its markers turned into reasons.
geotemperature classify(double t) {
  using enum geotemperature::status;
  if (t == t_marker_high_k) return {above_range, t};
  if (t == t_marker_low_k) return {below_range, t};
  return {value, t};
}

}  // namespace

derived_results derive(const fluid_state& st) {
  derived_results d;
  const species_vector& m = st.m;

  d.balance = balion(m);
  for (redox_couple couple : {redox_couple::sulfate_sulfide, redox_couple::carbon_dioxide_methane,
                              redox_couple::hydrogen, redox_couple::nitrogen_ammonia}) {
    std::optional<double>& eh = couple == redox_couple::sulfate_sulfide ? d.eh_sulfate_sulfide
                                : couple == redox_couple::carbon_dioxide_methane
                                    ? d.eh_carbon_dioxide_methane
                                : couple == redox_couple::hydrogen ? d.eh_hydrogen
                                                                   : d.eh_nitrogen_ammonia;
    eh = oxpot(couple, m, st.liquid_mgkg, st.ah, st.t, st.ionic);
  }

  // Silica temperatures from the neutral H4SiO4 alone, Na/K from the free ions' activities.
  const double sio2 = m[sp::h4sio4];
  if (sio2 > 0.0) {
    d.quartz = classify(hqtz(sio2));
    d.chalcedony = classify(hcha(sio2));
  }
  if (m[sp::na] > 0.0 && m[sp::k] > 0.0) {
    d.na_k = classify(hnak(m[sp::na], m[sp::k], st.gamma[sp::na], st.gamma[sp::k]));
  }

  const mineral_saturation_logs logs = mineral_saturation(m, st.gamma, st.t);
  d.log_k = logs.log_k;
  d.log_q = logs.log_q;
  return d;
}

mineral_saturation_logs mineral_saturation(const species_vector& m, const species_vector& gamma,
                                           double t) {
  mineral_saturation_logs r;
  r.log_k = solpro_all(t);
  r.log_q = mineral_activity_products(m, gamma);
  return r;
}

mineral_logs mineral_activity_products(const species_vector& m, const species_vector& gamma) {
  // Below this molality a species counts as absent from the activity products, mol/kg.
  constexpr double tiny = 1e-20;
  // Only the species of the reactions are read: the other logarithms are never taken.
  species_vector logm, loggam;
  for (int k : mineral_reaction_species()) {
    logm[k] = m[k] > tiny ? std::log10(m[k]) : 0.0;
    loggam[k] = std::log10(gamma[k]);
  }
  mineral_logs log_q;
  for (int j = 1; j <= mineral_vector::size; ++j) log_q[j] = actpro(j, m, logm, loggam);
  return log_q;
}

}  // namespace morva
