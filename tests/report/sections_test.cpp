#include "report/sections.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "chemdata/activity.h"
#include "chemdata/names.h"
#include "derived/results.h"
#include "morva/sample_file.h"
#include "morva/tables.h"
#include "report/messages.h"
#include "text/fields.h"

namespace morva {

// The sampling data pass straight from the sample record.
static_assert(std::is_same_v<decltype(sample_record::collection), collection_data>);

namespace {

std::string b(std::size_t n) { return std::string(n, ' '); }

// The lines of a report fragment; every line must be ended by its own line feed.
std::vector<std::string> lines_of(const std::ostringstream& rep) {
  const std::string text = rep.str();
  EXPECT_TRUE(text.empty() || text.back() == '\n');
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A sampled water whose printed values are exact or far from a rounding boundary.
std::vector<std::string> sample_section(double yb) {
  component_vector c;
  c[comp::h2s] = 1e-4;  // 3.408 mg/kg
  c[comp::b] = 1e-5;    // 0.1081 mg/kg
  c[comp::ca] = 1e-3;   // 40.08 mg/kg
  c[comp::f] = 5e-5;    // 0.95 mg/kg
  gas_vector gas;
  gas[2] = 1.5;
  // Discharge, collection temperature, condensate pH and its temperature, gas volume and its
  // temperature: 0.5, 1.0, ... 3.0 in the order of the sample file.
  const collection_data s{0.5, 1.0, 1.5, 2.0, 2.5, 3.0};
  const ph_messages msg{padded("first pH text", 60), padded("second pH text", 60)};
  std::ostringstream rep;
  put_sample_section({.c = c,
                      .gas = gas,
                      .cond = {10.0, 2.5, 0.75, 12.25},
                      .steam = {500.0, 40.0, 0.0},
                      .s = s,
                      .t_label = "  (Measured)  ",
                      .h_label = "  (Calculated)",
                      .user = "J. Doe",
                      .heading = "Well survey",
                      .number = "WELL-7",
                      .location = "Wellhead",
                      .tref = 523.15,
                      .ph = 7.25,
                      .ph_t = 293.15,
                      .p_gauge_bar = 2.0,
                      .href = 1085.0,
                      .tds = 1234.5,
                      .ionic = 0.0125,
                      .balance = {.cations = 0.0123, .anions = 0.0121, .difference_pct = 1.64},
                      .yc = 0.125,
                      .yb = yb,
                      .t_spring_c = 98.5,
                      .spring_degas = 0.5,
                      .msg = msg},
                     rep);
  return lines_of(rep);
}

}  // namespace

TEST(SampleSection, FollowsTheLayout) {
  const std::vector<std::string> l = sample_section(0.0);
  ASSERT_EQ(l.size(), 34u);
  EXPECT_EQ(l[1],
            b(5) + "TARVELLE FLUIDS RESEARCH UNIT" + b(52) + "Program MORVA, version 2.4 / 2010");
  // Fixed-length texts are padded to their lengths, trailing blanks written.
  EXPECT_EQ(l[3], b(5) + "J. Doe" + b(14) + b(10) + "Well survey" + b(69));
  EXPECT_EQ(l[5], b(5) + std::string(114, '='));
  EXPECT_EQ(l[7], b(5) + "WELL-7" + b(10) + b(2) + "Wellhead" + b(72));
  EXPECT_EQ(l[8] + l[9] + l[11], "");
  EXPECT_EQ(l[10], b(5) + "Water sample (mg/kg)" + b(10) + "Steam sample");
  EXPECT_EQ(l[12], b(5) + "pH/deg.C" + b(5) + "     7.25/ 20.0" + b(2) + "Gas (volume %)" + b(16) +
                       "Reference temperature    deg.C :  250.0  (Measured)  ");
  // Composition block: 9-character names, F13 values; 2.0 bar gauge is 3.013 bar absolute.
  // clang-format off
  EXPECT_EQ(l[14], b(5) + "H2S      " "         3.41" + b(8) + "H2S      " "         1.50" + b(8) +
                   "Sampling pressure     bar abs. :" "    3.0");
  EXPECT_EQ(l[16], b(5) + "B        " "       0.1081" + b(8) + "H2       " "         0.00" + b(8) +
                   "Discharge                 kg/s :" "    0.5");
  EXPECT_EQ(l[21], b(5) + "Ca       " "        40.08" + b(8) + "Liters gas per kg" + b(13));
  EXPECT_EQ(l[22], b(5) + "F        " "        0.950" + b(8) + "condensate/deg.C " " 2.50" "/"
                   " 3.0" + b(3) + "Condensate (mg/kg)");
  EXPECT_EQ(l[27], b(5) + "TDS      " "      1234.50" + b(8) + "NH3      " "         0.00" + b(8) +
                   "Na       " "        12.25");
  // clang-format on
  // Second column from column 36, third from column 66, wherever the line has them.
  const std::string second[] = {"CO2", "H2S", "NH3", "H2 ", "O2 ", "CH4", "N2 ", "",
                                "Lit", "con", "",    "Tot", "CO2", "H2S", "NH3"};
  const std::string third[] = {"", "Sam", "Dis", "Dis", "Ste", "",    "Mea", "",
                               "", "Con", "pH/", "CO2", "H2S", "NH3", "Na "};
  for (std::size_t i = 0; i < 15; ++i) {
    const std::string line = l[13 + i] + b(70);  // padded so that short lines can be probed
    EXPECT_EQ(line.substr(35, 3), second[i].empty() ? b(3) : second[i]) << line;
    EXPECT_EQ(line.substr(65, 3), third[i].empty() ? b(3) : third[i]) << line;
  }
  EXPECT_EQ(l[20].size(), 27u);  // Mg stands alone
  EXPECT_EQ(l[29], b(5) + "Ionic strength =  0.01250" + b(15) + padded("first pH text", 60));
  EXPECT_EQ(l[30], b(5) + "Ionic balance :   Cations (mol.eq.) = 0.01230000    Anions " +
                       "(mol.eq.) = 0.01210000    Difference (%) =  1.64");
  EXPECT_EQ(l[31], b(5) + padded("second pH text", 60));
  EXPECT_EQ(l[32] + l[33], "");
}

TEST(SampleSection, SteamLossReplacesTheEmptyLines) {
  const std::vector<std::string> plain = sample_section(0.0), spring = sample_section(0.05);
  ASSERT_EQ(spring.size(), plain.size());
  EXPECT_EQ(spring[8], b(65) + "Steam loss at  98.5 deg.C assumed, before sampling.");
  EXPECT_EQ(spring[9], b(65) + "Steam loss fraction            : 0.0500");
  EXPECT_EQ(spring[10], b(5) + "Water sample (mg/kg)" + b(10) + "Steam sample" + b(18) +
                            "Degassing coeff. at sampling   : 0.5000");
  for (std::size_t i = 0; i < plain.size(); ++i)
    EXPECT_EQ(spring[i], i < 8 || i > 10 ? plain[i] : spring[i]) << i;
}

TEST(SampleSection, TakesEachValueFromItsPlaceInTheResult) {
  // Every value distinct, so that a value taken from a neighbouring field shows.
  sample_record rec;
  rec.ph = 7.25;
  rec.ph_t_c = 20.0;
  run_options opt;
  opt.t_spring_c = 98.5;
  opt.spring_degas = 0.5;
  sample_result r;
  r.sampled.ionic = 0.0125;
  r.sampled.balance = {.cations = 0.0123, .anions = 0.0121, .difference_pct = 1.64};
  r.reference.state.t = 523.15;
  r.reference.state.ph_first = ph_outcome::not_converged;  // the later pass solved
  r.reference.t_origin = reference_temperature::arbitrary;
  r.reference.h_origin = enthalpy_origin::measured;
  r.reference.href = 1085.0;
  r.reference.yc = 0.125;
  r.reference.yb = 0.05;
  r.reference.ya = 0.375;  // not part of this section
  std::ostringstream rep;
  out1(rec, opt, r, "J. Doe", "Well survey", rep);
  const std::vector<std::string> l = lines_of(rep);
  ASSERT_EQ(l.size(), 34u);
  EXPECT_EQ(l[3], b(5) + "J. Doe" + b(14) + b(10) + "Well survey" + b(69));
  EXPECT_EQ(l[8], b(65) + "Steam loss at  98.5 deg.C assumed, before sampling.");
  EXPECT_EQ(l[9], b(65) + "Steam loss fraction            : 0.0500");
  EXPECT_EQ(l[10].substr(65), "Degassing coeff. at sampling   : 0.5000");
  EXPECT_EQ(l[12].substr(65), "Reference temperature    deg.C :  250.0  (Arbitrary) ");
  EXPECT_EQ(l[15].substr(65), "Discharge enthalpy       kJ/kg :  1085.  (Measured)  ");
  EXPECT_EQ(l[17].substr(65), "Steam fraction at collection   : 0.1250");
  EXPECT_EQ(l[29], b(5) + "Ionic strength =  0.01250" + b(15) +
                       padded(ph_texts(ph_outcome::not_converged)[0], 60));
  EXPECT_EQ(l[30], b(5) + "Ionic balance :   Cations (mol.eq.) = 0.01230000    Anions " +
                       "(mol.eq.) = 0.01210000    Difference (%) =  1.64");
  EXPECT_EQ(l[31], b(5) + padded(ph_texts(ph_outcome::not_converged)[1], 60));
}

TEST(PhaseSection, FollowsTheLayout) {
  component_vector liq;
  for (int k = 1; k <= component_vector::size; ++k) liq[k] = 1.0 * k;
  gas_vector vap;
  vap[1] = 123456789.5;  // CO2 has the wide field
  vap[2] = 1e6;          // too wide for F9.2
  const std::array<double, 8> p{39.762, 0.5, 0.0125, 0.0, 0.0, 0.0, 2.0, 1e-101};
  std::ostringstream rep;
  out2(vap, liq, 1850.25, p, 42.5, 0.0, rep);
  const std::vector<std::string> l = lines_of(rep);
  ASSERT_EQ(l.size(), 14u);
  EXPECT_EQ(l[0], b(5) + "Liquid phase components (mg/kg)" + b(23) + "Vapor phase (mg/kg)" + b(8) +
                      "Gas pressures (bar-abs.)");
  EXPECT_EQ(l[1], "");
  EXPECT_EQ(l[2], b(5) + "B           8.0000" + b(9) + "CO2           1.00" + b(9) +
                      "CO2   123456789.50" + b(9) + "CO2      0.500E+00");
  EXPECT_EQ(l[3], b(5) + "SiO2          9.00" + b(9) + "H2S           2.00" + b(9) +
                      "H2S      *********" + b(9) + "H2S      0.125E-01");
  EXPECT_EQ(l[8].substr(77), b(9) + "N2       0.100-100");
  // Both forms of the vapour entry are 18 columns: the pressure column starts in column 87.
  for (int g = 1; g <= 7; ++g) {
    const std::string& line = l[static_cast<std::size_t>(1 + g)];
    EXPECT_EQ(line.size(), 104u);
    EXPECT_EQ(line.substr(86, 9), nam(g));
  }
  EXPECT_EQ(l[9], b(5) + "Cl           15.00" + b(63) + "H2O      0.398E+02");
  EXPECT_EQ(l[10], b(5) + "SO4          16.00" + b(63) + "Total    0.425E+02");
  EXPECT_EQ(l[12], b(5) + "Fe         18.0000");
  EXPECT_EQ(l[13], b(5) + "TDS        1850.25" + b(9) + "Aquifer steam fraction =  0.0000");
}

namespace {

// A solved state of species m at aH ah, T (K) and ionic strength, with its derived results.
fluid_state fluid(const species_vector& m, double ah, double t, double ionic) {
  fluid_state st;
  st.m = m;
  st.ah = ah;
  st.t = t;
  st.ionic = ionic;
  st.gamma = gamma_all(t, ionic);
  st.derived = derive(st);
  return st;
}

// A fluid at 500 K and zero ionic strength (activity coefficients 1): NaCl with some KCl,
// 800 mg/kg of molecular silica, no member of any redox couple.
std::vector<std::string> redox_section(double sio2, double na, double k) {
  species_vector m;
  m[sp::h4sio4] = sio2;
  m[sp::na] = na;
  m[sp::k] = k;
  m[sp::cl] = na + k;
  const ph_messages ph_msg{std::string(54, 'a') + "xxxxxx", std::string(54, 'b') + "yyyyyy"};
  std::ostringstream rep;
  out3(fluid(m, 1e-6, 500.0, 0.0), ph_msg, padded("Mass balance calculation does not converge", 60),
       rep);
  return lines_of(rep);
}

}  // namespace

TEST(RedoxSection, ReportsBalancePotentialsAndGeothermometers) {
  const std::vector<std::string> l = redox_section(800.0 / 60090.0, 0.01, 0.001);
  ASSERT_EQ(l.size(), 10u);
  EXPECT_EQ(l[0], b(5) + padded("Mass balance calculation does not converge", 60));
  EXPECT_EQ(l[1], b(5) + "Ionic strength =  0.00000" + b(48) + "1000/T (Kelvin) =   2.00");
  EXPECT_EQ(l[2], b(5) + "Ionic balance :   Cations (mol.eq.) = 0.01100000    Anions " +
                      "(mol.eq.) = 0.01100000    Difference (%) =  0.00");
  EXPECT_EQ(l[3], "");
  EXPECT_EQ(l[4], b(5) + "Oxidation potential (volts) :     Eh H2S= 99.999   Eh CH4= 99.999" +
                      "   Eh H2= 99.999   Eh NH3= 99.999");
  // The last six characters of each pH message are cut.
  EXPECT_EQ(l[5], b(5) + std::string(54, 'a') + b(5) + std::string(54, 'b'));
  EXPECT_EQ(l[6], b(5) + "Chemical geothermometers (degrees C)");
  // 800 mg/kg silica: quartz 339.42 °C, chalcedony 304.38 °C; Na/K molality ratio 10 at unit
  // activity coefficients: 260.7 °C.
  EXPECT_EQ(l[7], b(5) + "Quartz      339.4   (GRC Bulletin, pp. 3-12, Nov. 1982)");
  EXPECT_EQ(l[8], b(5) + "Chalcedony  304.4   (Geothermics, vol. 5, pp. 41-50, 1977)");
  EXPECT_EQ(l[9],
            b(5) + "Na/K        260.7   (Geochim. Cosmochim. Acta, vol. 47, pp. 567-577, 1983)");
}

TEST(RedoxSection, MissingSilicaOrAlkalisReplaceTheTemperatures) {
  const std::vector<std::string> l = redox_section(0.0, 0.01, 0.001);
  ASSERT_EQ(l.size(), 10u);
  EXPECT_EQ(l[7], b(5) + "SiO2 is zero.");
  EXPECT_EQ(l[8], b(5) + "Cannot compute chalcedony and quartz geothermometer temperatures.");
  EXPECT_EQ(l[9].substr(0, 15), b(5) + "Na/K      ");
  const std::string no_k = b(5) + "K is zero. Cannot compute Na-K geothermometer temperature.";
  EXPECT_EQ(redox_section(0.0, 0.0, 0.0).back(), no_k);  // neither: the K message alone
  EXPECT_EQ(redox_section(0.0, 0.01, 0.0).back(), no_k);
  EXPECT_EQ(redox_section(0.0, 0.0, 0.001).back(),
            b(5) + "Na is zero. Cannot compute Na-K geothermometer temperature.");
}

TEST(ActivityCoefficientSection, ListsEveryChargedSpeciesOnce) {
  std::ostringstream rep, salty;
  out4(fluid(species_vector{}, 1e-7, 298.15, 0.0).gamma, rep);
  const std::vector<std::string> l = lines_of(rep);
  ASSERT_EQ(l.size(), 16u);
  const std::string one = b(9) + "    1.000";  // every coefficient is 1 at zero ionic strength
  EXPECT_EQ(l[15], b(5) + "Na+         " + one + b(5) + "Fe(OH)4-    " + one + b(5) +
                       "AlF6---     " + one);
  std::multiset<std::string> listed, charged;
  for (const std::string& line : l) {
    ASSERT_EQ(line.size(), 105u);
    for (std::size_t col = 0; col < 3; ++col) listed.insert(line.substr(col * 35 + 5, 12));
  }
  for (int k = 1; k <= species_vector::size; ++k)
    if (species_charge[k] != 0.0) charged.insert(std::string(spenam(k)));
  EXPECT_EQ(listed, charged);
  // At 25 °C and I = 0.1 mol/kg: H+ about 0.82, Ca++ about 0.40 (half a unit of the last digit).
  out4(fluid(species_vector{}, 1e-7, 298.15, 0.1).gamma, salty);
  const std::vector<std::string> s = lines_of(salty);
  EXPECT_NEAR(std::stod(s[0].substr(26, 9)), 0.82, 0.005);
  EXPECT_NEAR(std::stod(s[1].substr(61, 9)), 0.40, 0.005);
}

TEST(SpeciesSection, ConcentrationsLogarithmsAndPh) {
  species_vector m;
  m[sp::cl] = 0.001;
  m[sp::na] = 1e-40;  // below the printable limit: 0.00 and 0.000
  std::ostringstream rep;
  out5(m, 1e-7, rep);
  const std::vector<std::string> l = lines_of(rep);
  ASSERT_EQ(l.size(), 25u);
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(l[1],
            b(5) + "Chemical species in water - ppm and log mole" + b(38) + "Water pH is  7.000");
  // Row 20 holds species 20, 43 and 66; row 21 starts with Na+.
  const std::string zero = "     0.00    0.000";
  EXPECT_EQ(l[21], b(5) + "Cl-             35.45   -3.000" + b(5) + "Fe(OH)3-    " + zero + b(5) +
                       "AlF3        " + zero);
  EXPECT_EQ(l[22].substr(0, 35), b(5) + "Na+         " + zero);
  for (std::size_t i = 2; i < l.size(); ++i) EXPECT_EQ(l[i].size(), 105u) << i;
  EXPECT_EQ(l[24].substr(75, 12), spenam(69));
}

TEST(MineralSection, LogKBesideLogQWithAnOpenLastEntry) {
  // 25 °C, zero ionic strength; without aluminium the aluminosilicates have no log Q.
  species_vector m;
  m[sp::h] = 1e-7;
  m[sp::h4sio4] = 0.001;
  m[sp::mg] = 0.001;
  std::ostringstream rep;
  out6(fluid(m, 1e-7, 298.15, 0.0).derived, rep);
  const std::vector<std::string> l = lines_of(rep);
  ASSERT_EQ(l.size(), 13u);
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(l[1], b(5) + "Logarithms of mineral solubility product constants (K) and ion " +
                      "activity products (Q) in water");
  const std::string head = b(20) + "log K     log Q";
  EXPECT_EQ(l[2], head + head + head);
  // log K at 25 °C: adularia -21.303, low albite -20.211, analcime -16.023.
  EXPECT_EQ(l[3], b(5) + "Adularia      -21.303   99.999" + b(5) + "Albite, low   -20.211" +
                      "   99.999" + b(5) + "Analcime      -16.023   99.999");
  for (std::size_t i = 3; i < 12; ++i) EXPECT_EQ(l[i].size(), 105u) << i;
  // Chrysotile: log K 31.572, log Q = 3(-3) + 2(-3) - 6(-7) = 27; amorphous silica -2.711
  // against -3. The blanks that open a third entry end the line.
  EXPECT_EQ(l[12], b(5) + "Chrysotile     31.572   27.000" + b(5) + "Sil. amorph.   -2.711" +
                       "   -3.000" + b(5));
}

TEST(SolverMessages, OutcomesInTheWordsOfTheReportAndTheTerminal) {
  const std::string blank(60, ' ');
  struct row {
    ph_outcome o;
    std::string range, convergence;
  };
  for (const row& r : {row{ph_outcome::solved, blank, blank},
                       row{ph_outcome::above_range, padded("pH higher than 11", 60), blank},
                       row{ph_outcome::below_range, padded("pH lower than  2", 60), blank},
                       row{ph_outcome::not_converged, blank,
                           padded("No convergence in pH calculation after 50 iterations.", 60)}}) {
    EXPECT_EQ(ph_texts(r.o), (ph_messages{r.range, r.convergence}));
  }
  EXPECT_EQ(mass_balance_text({true, 12}), blank);
  EXPECT_EQ(mass_balance_text({false, 100}),
            "Mass balance calculation does not converge" + std::string(18, ' '));
  EXPECT_EQ(refusal_text(refusal_reason::geothermometer_not_converged),
            "\n\n No convergence in geothermometer  calculation\n");
  std::ostringstream term;
  say_mass_balance(term);
  EXPECT_EQ(term.str(), "     Mass balance calculation does not converge\n");
}

TEST(RefusalWords, TerminalTextIsLatin1AndTheMessageUtf8) {
  // The terminal keeps its 8-bit degree sign; the one-line message is UTF-8 for tables,
  // JSON and library callers. Every reason gives the same words either way.
  for (int k = 0; k <= static_cast<int>(refusal_reason::not_finite); ++k) {
    const auto why = static_cast<refusal_reason>(k);
    SCOPED_TRACE(k);
    const std::string text = refusal_text(why);
    const std::string message = refusal_message(why);
    EXPECT_FALSE(message.empty());
    EXPECT_NE(message.front(), ' ');
    std::string latin1;  // the message read back from UTF-8
    for (std::size_t i = 0; i < message.size(); ++i) {
      const auto b = static_cast<unsigned char>(message[i]);
      if (b < 0x80) {
        latin1 += message[i];
      } else {
        ASSERT_TRUE((b == 0xC2 || b == 0xC3) && i + 1 < message.size()) << "not Latin-1 in UTF-8";
        latin1 += static_cast<char>(((b & 0x03) << 6) | (message[++i] & 0x3F));
      }
    }
    EXPECT_NE(text.find(latin1), std::string::npos) << text;
  }
  EXPECT_EQ(refusal_message(refusal_reason::reference_below_0),
            "Reference temperature below 0 \xC2\xB0"
            "C.");
}

}  // namespace morva
