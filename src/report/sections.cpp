#include "report/sections.h"

#include <cmath>
#include <ostream>

#include "chemdata/names.h"
#include "chemdata/units.h"
#include "geotherm/geothermometers.h"
#include "morva/tables.h"
#include "report/messages.h"
#include "text/fields.h"

namespace morva {

namespace {

/// Printed in place of an oxidation potential whose couple is incomplete, V, and of a log Q
/// that cannot be formed.
constexpr double eh_missing = 99.999;
constexpr double log_q_marker = 99.999;

/// A geothermometer temperature as printed, °C: the markers 999.9 above the range of the fit
/// (or without a temperature from it) and -999.9 below it.
double printed_c(const geotemperature& g) {
  switch (g.state) {
    case geotemperature::status::value:
      return g.t - zero_celsius_k;
    case geotemperature::status::below_range:
      return t_marker_low_k - zero_celsius_k;
    default:
      return t_marker_high_k - zero_celsius_k;
  }
}

/// The ion-balance line shared by the sampled water and the solved fluid (sums in mol-eq/kg,
/// difference in %).
void put_ion_balance(double cations, double anions, double diff, std::ostream& rep) {
  put(rep, record{}
               .X(5)
               .A("Ionic balance :   Cations (mol.eq.) =")
               .F(11, 8, cations)
               .A("    Anions (mol.eq.) =")
               .F(11, 8, anions)
               .A("    Difference (%) =")
               .F(6, 2, diff));
}

}  // namespace

void out1(const sample_record& s, const run_options& opt, const sample_result& r,
          const std::string& user, const std::string& heading, std::ostream& rep) {
  const reference_result& ref = r.reference;
  const sample_totals tot = derive(s);
  const fluid_state& st = ref.state;
  put_sample_section({.c = tot.water,
                      .gas = s.gas,
                      .cond = s.condensate,
                      .steam = s.steam,
                      .s = s.collection,
                      .t_label = t_origin_label(ref.t_origin),
                      .h_label = h_origin_label(ref.h_origin),
                      .user = user,
                      .heading = heading,
                      .number = s.number,
                      .location = s.location,
                      .tref = st.t,
                      .ph = s.ph,
                      .ph_t = tot.ph_t,
                      .p_gauge_bar = s.pressure_bar_g,
                      .href = ref.href,
                      .tds = s.tds,
                      .ionic = r.sampled.ionic,
                      .balance = r.sampled.balance,
                      .yc = ref.yc,
                      .yb = ref.yb,
                      .t_spring_c = opt.t_spring_c.value_or(0.0),
                      .spring_degas = opt.spring_degas,
                      .msg = ph_texts(st.ph_first)},
                     rep);
}

void put_sample_section(const sample_section_values& v, std::ostream& rep) {
  const component_vector& c = v.c;
  const gas_vector& gas = v.gas;
  const condensate_analysis& cond = v.cond;
  const steam_analysis& steam = v.steam;
  const collection_data& s = v.s;
  // The report turns gauge into absolute pressure with the atmosphere rounded to 1.013 bar.
  constexpr double atmosphere_report_bar = 1.013;
  // A steam-loss fraction above this counts as a boiling spring.
  constexpr double tiny = 1e-30;

  put(rep, record{});
  put(rep, record{}
               .X(5)
               .A("TARVELLE FLUIDS RESEARCH UNIT")
               .X(52)
               .A("Program MORVA, version 2.4 / 2010"));
  put(rep, record{});
  put(rep, record{}.X(5).A(padded(v.user, 20)).X(10).A(padded(v.heading, 80)));
  put(rep, record{});
  put(rep, record{}.X(5).A(std::string(114, '=')));
  put(rep, record{});
  put(rep, record{}.X(5).A(padded(v.number, 16)).X(2).A(padded(v.location, 80)));

  if (v.yb > tiny) {
    put(rep, record{}
                 .X(65)
                 .A("Steam loss at ")
                 .F(5, 1, v.t_spring_c)
                 .A(" deg.C assumed, ")
                 .A("before sampling."));
    put(rep, record{}.X(65).A("Steam loss fraction            :").F(7, 4, v.yb));
    put(rep, record{}
                 .X(5)
                 .A("Water sample (mg/kg)")
                 .X(10)
                 .A("Steam sample")
                 .X(18)
                 .A("Degassing coeff. at sampling   :")
                 .F(7, 4, v.spring_degas));
  } else {
    put(rep, record{});
    put(rep, record{});
    put(rep, record{}.X(5).A("Water sample (mg/kg)").X(10).A("Steam sample"));
  }
  put(rep, record{});

  put(rep, record{}
               .X(5)
               .A("pH/deg.C")
               .X(5)
               .F(9, 2, v.ph)
               .A("/")
               .F(5, 1, v.ph_t - zero_celsius_k)
               .X(2)
               .A("Gas (volume %)")
               .X(16)
               .A("Reference temperature    deg.C :")
               .F(7, 1, v.tref - zero_celsius_k)
               .A(padded(v.t_label, 14)));

  // Water column: the analysed components in mg/kg (the dissolved H2, O2, CH4 and N2 of the
  // water sample are not listed), each with the decimals its usual concentration deserves.
  struct water_entry {
    int k, d;
  };
  // clang-format off
  static constexpr water_entry water_col[14] = {
      {comp::co2, 2}, {comp::h2s, 2}, {comp::nh3, 2}, {comp::b, 4}, {comp::sio2, 2},
      {comp::na, 2}, {comp::k, 2}, {comp::mg, 3}, {comp::ca, 2}, {comp::f, 3},
      {comp::cl, 2}, {comp::so4, 2}, {comp::al, 4}, {comp::fe, 4}};
  // clang-format on
  const auto water = [&](int line) {
    const water_entry& e = water_col[line - 1];
    return record{}.X(5).A(nam(e.k)).F(13, e.d, c[e.k] * w(e.k));
  };
  // The second column starts in column 36, the third in column 66.
  put(rep, water(1).X(8).A(nam(comp::co2)).F(13, 2, gas[comp::co2]));
  put(rep, water(2)
               .X(8)
               .A(nam(comp::h2s))
               .F(13, 2, gas[comp::h2s])
               .X(8)
               .A("Sampling pressure     bar abs. :")
               .F(7, 1, v.p_gauge_bar + atmosphere_report_bar));
  put(rep, water(3)
               .X(8)
               .A(nam(comp::nh3))
               .F(13, 2, gas[comp::nh3])
               .X(8)
               .A("Discharge enthalpy       kJ/kg :")
               .F(7, 0, v.href)
               .A(padded(v.h_label, 14)));
  put(rep, water(4)
               .X(8)
               .A(nam(comp::h2))
               .F(13, 2, gas[comp::h2])
               .X(8)
               .A("Discharge                 kg/s :")
               .F(7, 1, s.discharge_kg_s));
  put(rep, water(5)
               .X(8)
               .A(nam(comp::o2))
               .F(13, 2, gas[comp::o2])
               .X(8)
               .A("Steam fraction at collection   :")
               .F(7, 4, v.yc));
  put(rep, water(6).X(8).A(nam(comp::ch4)).F(13, 2, gas[comp::ch4]));
  put(rep, water(7)
               .X(8)
               .A(nam(comp::n2))
               .F(13, 2, gas[comp::n2])
               .X(8)
               .A("Measured temperature     deg.C :")
               .F(7, 1, s.t_c));
  put(rep, water(8));
  put(rep, water(9).X(8).A("Liters gas per kg").X(13));
  put(rep, water(10)
               .X(8)
               .A("condensate/deg.C ")
               .F(5, 2, s.gas_l_per_kg)
               .A("/")
               .F(4, 1, s.gas_t_c)
               .X(3)
               .A("Condensate (mg/kg)"));
  put(rep,
      water(11).X(38).A("pH/deg.C ").F(13, 2, s.condensate_ph).A("/").F(4, 1, s.condensate_ph_t_c));
  put(rep, water(12).X(8).A("Total steam (mg/kg)").X(11).A(nam(comp::co2)).F(13, 2, cond.co2_mgkg));
  put(rep, water(13)
               .X(8)
               .A(nam(comp::co2))
               .F(13, 2, steam.co2_mgkg)
               .X(8)
               .A(nam(comp::h2s))
               .F(13, 2, cond.h2s_mgkg));
  put(rep, water(14)
               .X(8)
               .A(nam(comp::h2s))
               .F(13, 2, steam.h2s_mgkg)
               .X(8)
               .A(nam(comp::nh3))
               .F(13, 2, cond.nh3_mgkg));
  put(rep, record{}
               .X(5)
               .A("TDS      ")
               .F(13, 2, v.tds)
               .X(8)
               .A(nam(comp::nh3))
               .F(13, 2, steam.nh3_mgkg)
               .X(8)
               .A(nam(comp::na))
               .F(13, 2, cond.na_mgkg));

  put(rep, record{});
  put(rep, record{}.X(5).A("Ionic strength = ").F(8, 5, v.ionic).X(15).A(padded(v.msg[0], 60)));
  put_ion_balance(v.balance.cations, v.balance.anions, v.balance.difference_pct, rep);
  put(rep, record{}.X(5).A(padded(v.msg[1], 60)));
  put(rep, record{});
  put(rep, record{});
}

void out2(const gas_vector& vap, const component_vector& liq, double tds,
          const std::array<double, 8>& p, double ptotal, double ya, std::ostream& rep) {
  put(rep, record{}
               .X(5)
               .A("Liquid phase components (mg/kg)")
               .X(23)
               .A("Vapor phase (mg/kg)")
               .X(8)
               .A("Gas pressures (bar-abs.)"));
  put(rep, record{});
  // Each gas g shares its line with the solute g + 7 (B to F); boron, magnesium and fluoride
  // get one decimal more than the others.
  static constexpr int solute_decimals[8] = {0, 4, 2, 2, 2, 3, 2, 3};
  for (int g = 1; g <= gas_vector::size; ++g) {
    const int s = g + 7;
    record r;
    r.X(5).A(nam(s)).F(9, solute_decimals[g], liq[s]).X(9).A(nam(g)).F(9, 2, liq[g]).X(9);
    // The steam carries far more CO2 than anything else: a wider field under a short name
    // keeps the entry 18 columns wide.
    if (g == comp::co2)
      r.A(3, nam(g)).F(15, 2, vap[g]);
    else
      r.A(nam(g)).F(9, 2, vap[g]);
    r.X(9).A(nam(g)).E(9, 3, p[static_cast<std::size_t>(g)]);
    put(rep, r);
  }
  put(rep,
      record{}.X(5).A(nam(comp::cl)).F(9, 2, liq[comp::cl]).X(63).A("H2O      ").E(9, 3, p[0]));
  put(rep,
      record{}.X(5).A(nam(comp::so4)).F(9, 2, liq[comp::so4]).X(63).A("Total    ").E(9, 3, ptotal));
  put(rep, record{}.X(5).A(nam(comp::al)).F(9, 4, liq[comp::al]));
  put(rep, record{}.X(5).A(nam(comp::fe)).F(9, 4, liq[comp::fe]));
  put(rep,
      record{}.X(5).A("TDS      ").F(9, 2, tds).X(9).A("Aquifer steam fraction = ").F(7, 4, ya));
}

void out3(const fluid_state& st, const ph_messages& ph_msg, const std::string& mb_msg,
          std::ostream& rep) {
  const derived_results& d = st.derived;
  put(rep, record{}.X(5).A(padded(mb_msg, 60)));
  put(rep, record{}
               .X(5)
               .A("Ionic strength = ")
               .F(8, 5, st.ionic)
               .X(48)
               .A("1000/T (Kelvin) = ")
               .F(6, 2, 1000.0 / st.t));
  put_ion_balance(d.balance.cations, d.balance.anions, d.balance.difference_pct, rep);

  const auto eh = [&](redox_couple c) { return d.eh(c).value_or(eh_missing); };
  put(rep, record{});
  put(rep, record{}
               .X(5)
               .A("Oxidation potential (volts) :     ")
               .A("Eh H2S=")
               .F(7, 3, eh(redox_couple::sulfate_sulfide))
               .A("   ")
               .A("Eh CH4=")
               .F(7, 3, eh(redox_couple::carbon_dioxide_methane))
               .A("   ")
               .A("Eh H2=")
               .F(7, 3, eh(redox_couple::hydrogen))
               .A("   ")
               .A("Eh NH3=")
               .F(7, 3, eh(redox_couple::nitrogen_ammonia)));
  // Only the first 54 characters of each pH-solver message fit beside the other.
  put(rep, record{}.X(5).A(54, padded(ph_msg[0], 60)).X(5).A(54, padded(ph_msg[1], 60)));

  put(rep, record{}.X(5).A("Chemical geothermometers ").A("(degrees C)"));
  if (d.quartz.state != geotemperature::status::no_species) {
    put(rep, record{}
                 .X(5)
                 .A("Quartz    ")
                 .F(7, 1, printed_c(d.quartz))
                 .A("   (GRC Bulletin, pp. 3-12, Nov. 1982)"));
    put(rep, record{}
                 .X(5)
                 .A("Chalcedony")
                 .F(7, 1, printed_c(d.chalcedony))
                 .A("   (Geothermics, vol. 5, pp. 41-50, 1977)"));
  } else {
    put(rep, record{}.X(5).A("SiO2 is zero."));
    put(rep, record{}.X(5).A("Cannot compute chalcedony and quartz geothermometer temperatures."));
  }
  if (d.na_k.state != geotemperature::status::no_species) {
    put(rep, record{}
                 .X(5)
                 .A("Na/K      ")
                 .F(7, 1, printed_c(d.na_k))
                 .A("   (Geochim. Cosmochim. Acta, vol. 47, pp. 567-577, 1983)"));
  } else if (!(st.m[sp::k] > 0.0)) {
    put(rep, record{}.X(5).A("K is zero. Cannot compute Na-K geothermometer temperature."));
  } else {
    put(rep, record{}.X(5).A("Na is zero. Cannot compute Na-K geothermometer temperature."));
  }
}

void out4(const species_vector& gamma, std::ostream& rep) {
  // The charged species in three columns of 16: silica, boron, carbonate, sulphur, halide and
  // alkali ions; alkaline-earth, ammonium and ferrous/ferric ions; iron and aluminium complexes.
  // clang-format off
  static constexpr int lis[3][16] = {
      {sp::h, sp::oh, sp::h3sio4, sp::h2sio4, sp::h2bo3, sp::hco3, sp::co3, sp::hs, sp::s,
       sp::hso4, sp::so4, sp::naso4, sp::kso4, sp::f, sp::cl, sp::na},
      {sp::k, sp::ca, sp::mg, sp::cahco3, sp::mghco3, sp::caoh, sp::mgoh, sp::nh4, sp::fe2,
       sp::fe3, sp::feoh, sp::feoh3m, sp::feoh4mm, sp::feoh_2p, sp::feoh2p, sp::feoh4m},
      {sp::feso4p, sp::fecl_2p, sp::fecl2p, sp::fecl4, sp::fecl, sp::al, sp::aloh, sp::aloh2,
       sp::aloh4, sp::also4, sp::also42, sp::alf, sp::alf2, sp::alf4, sp::alf5, sp::alf6}};
  // clang-format on
  for (int row = 0; row < 16; ++row) {
    record r;
    for (const auto& column : lis) {
      const int k = column[row];
      r.X(5).A(spenam(k)).X(9).F(9, 3, gamma[k]);
    }
    put(rep, r);
  }
}

void out5(const species_vector& m, double ah, std::ostream& rep) {
  // Smallest molality whose logarithm is printed, mol/kg; below it the log reads 0.
  constexpr double tiny = 2e-38;
  species_vector ppm, logm;
  for (int k = 1; k <= species_vector::size; ++k) {
    ppm[k] = m[k] * species_weight[k];
    logm[k] = m[k] >= tiny ? std::log10(m[k]) : 0.0;
  }
  const double ph = -std::log10(ah);
  put(rep, record{});
  put(rep, record{}
               .X(5)
               .A("Chemical species in ")
               .A("water - ppm and log mole")
               .X(38)
               .A("Water pH is ")
               .F(6, 3, ph));
  // Three columns: species 1-23, 24-46 and 47-69.
  constexpr int rows = 23;
  for (int i = 1; i <= rows; ++i) {
    record r;
    for (int k = i; k <= species_vector::size; k += rows)
      r.X(5).A(spenam(k)).F(9, 2, ppm[k]).F(9, 3, logm[k]);
    put(rep, r);
  }
}

void out6(const derived_results& d, std::ostream& rep) {
  put(rep, record{});
  put(rep, record{}
               .X(5)
               .A("Logarithms of mineral solubility product ")
               .A("constants (K) and ion activity products (Q) ")
               .A("in water"));
  record head;
  for (int n = 0; n < 3; ++n) head.X(20).A("log K     log Q");
  put(rep, head);
  // Three minerals per line; the last line holds two, and the five blanks that open a third
  // entry close it.
  constexpr int per_line = 3;
  for (int first = 1; first <= mineral_vector::size; first += per_line) {
    record r;
    for (int j = first; j < first + per_line && j <= mineral_vector::size; ++j)
      r.X(5).A(minnam(j)).F(9, 3, d.log_k[j]).F(9, 3, d.log_q[j].value_or(log_q_marker));
    if (first + per_line - 1 > mineral_vector::size) r.X(5);
    put(rep, r);
  }
}

}  // namespace morva
