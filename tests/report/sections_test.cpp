#include "report/sections.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "chemdata/tables.h"
#include "report/fields.h"

namespace morva {

namespace {

std::string blanks(std::size_t n) { return std::string(n, ' '); }

// The lines of a report fragment; every line must be ended by its own line feed.
std::vector<std::string> lines_of(const std::ostringstream& rep) {
  const std::string text = rep.str();
  EXPECT_TRUE(text.empty() || text.back() == '\n');
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A sampled water with gas, condensate and steam analyses, all chosen so that every printed
// value is exact or far from a rounding boundary.
struct sampled {
  component_vector c;
  gas_vector gas;
  std::array<double, 4> cond{10.0, 2.5, 0.75, 12.25};
  std::array<double, 3> steam{500.0, 40.0, 0.0};
  collection_data s;
  ph_messages msg{std::string(60, ' '), std::string(60, ' ')};
  sampled() {
    c[comp::h2s] = 1e-4;  // 3.408 mg/kg
    c[comp::b] = 1e-5;    // 0.1081 mg/kg
    c[comp::ca] = 1e-3;   // 40.08 mg/kg
    c[comp::f] = 5e-5;    // 0.95 mg/kg
    gas[2] = 1.5;
    gas[4] = 0.25;
    s[1] = 12.5;
    s[2] = 98.0;
    s[3] = 6.5;
    s[4] = 20.0;
    s[5] = 0.5;
    s[6] = 15.0;
  }
  std::vector<std::string> write(double yb) const {
    std::ostringstream rep;
    out1(c, gas, cond, steam, s, "  (Measured)  ", "  (Calculated)", "J. Doe 2024-05-01",
         "Test field, well survey", "WELL-7          ", "Separator at wellhead", 523.15, 7.25,
         293.15, 2.0, 1085.0, 1234.5, 0.0125, 0.0121, 0.0123, 1.64, 0.125, yb, 98.5, 0.5, msg, rep);
    return lines_of(rep);
  }
};

}  // namespace

TEST(SampleSection, HeadingAndCompositionFollowTheLayout) {
  const std::vector<std::string> l = sampled{}.write(0.0);
  ASSERT_EQ(l.size(), 34u);
  EXPECT_EQ(l[1], blanks(5) + "TARVELLE FLUIDS RESEARCH UNIT" + blanks(52) +
                      "Program MORVA, version 2.4 / 2010");
  // Fixed-length texts keep their trailing blanks.
  EXPECT_EQ(l[3], blanks(5) + "J. Doe 2024-05-01   " + blanks(10) + "Test field, well survey" +
                      blanks(57));
  EXPECT_EQ(l[5], blanks(5) + std::string(114, '='));
  EXPECT_EQ(l[7],
            blanks(5) + "WELL-7          " + blanks(2) + "Separator at wellhead" + blanks(59));
  // Without steam loss: two empty lines and the short column header.
  EXPECT_EQ(l[8], "");
  EXPECT_EQ(l[9], "");
  EXPECT_EQ(l[10], blanks(5) + "Water sample (mg/kg)" + blanks(10) + "Steam sample");
  EXPECT_EQ(l[11], "");
  EXPECT_EQ(l[12], blanks(5) + "pH/deg.C" + blanks(5) + "     7.25" + "/" + " 20.0" + blanks(2) +
                       "Gas (volume %)" + blanks(16) +
                       "Reference temperature    deg.C :" + "  250.0" + "  (Measured)  ");
  // Composition block, lines 13 to 27. Gauge 2.0 bar is 3.013 bar absolute.
  EXPECT_EQ(l[14], blanks(5) + "H2S      " + "         3.41" + blanks(8) + "H2S      " +
                       "         1.50" + blanks(8) +
                       "Sampling pressure     bar abs. :" + "    3.0");
  EXPECT_EQ(l[15], blanks(5) + "NH3      " + "         0.00" + blanks(8) + "NH3      " +
                       "         0.00" + blanks(8) +
                       "Discharge enthalpy       kJ/kg :" + "  1085." + "  (Calculated)");
  EXPECT_EQ(l[16], blanks(5) + "B        " + "       0.1081" + blanks(8) + "H2       " +
                       "         0.25" + blanks(8) +
                       "Discharge                 kg/s :" + "   12.5");
  EXPECT_EQ(l[20], blanks(5) + "Mg       " + "        0.000");
  EXPECT_EQ(l[21], blanks(5) + "Ca       " + "        40.08" + blanks(8) + "Liters gas per kg" +
                       blanks(13));
  EXPECT_EQ(l[22], blanks(5) + "F        " + "        0.950" + blanks(8) + "condensate/deg.C " +
                       " 0.50" + "/" + "15.0" + blanks(3) + "Condensate (mg/kg)");
  EXPECT_EQ(l[23], blanks(5) + "Cl       " + "         0.00" + blanks(38) + "pH/deg.C " +
                       "         6.50" + "/" + "20.0");
  EXPECT_EQ(l[27], blanks(5) + "TDS      " + "      1234.50" + blanks(8) + "NH3      " +
                       "         0.00" + blanks(8) + "Na       " + "        12.25");
  // Second column from column 36, third from column 66, on every line that has them.
  const char* second[] = {"CO2", "H2S", "NH3",   "H2 ", "O2 ", "CH4", "N2 ", nullptr,
                          "Lit", "con", nullptr, "Tot", "CO2", "H2S", "NH3"};
  const char* third[] = {nullptr, "Sam", "Dis", "Dis", "Ste", nullptr, "Mea", nullptr,
                         nullptr, "Con", "pH/", "CO2", "H2S", "NH3",   "Na "};
  for (int i = 0; i < 15; ++i) {
    const std::string& line = l[static_cast<std::size_t>(13 + i)];
    SCOPED_TRACE(line);
    EXPECT_EQ(line.substr(0, 5), blanks(5));
    if (second[i]) {
      EXPECT_EQ(line.substr(35, 3), second[i]);
    }
    if (third[i]) {
      EXPECT_EQ(line.substr(65, 3), third[i]);
    }
    if (!second[i] && !third[i]) {
      EXPECT_EQ(line.size(), 27u);
    }
  }
  EXPECT_EQ(l[28], "");
  EXPECT_EQ(l[29], blanks(5) + "Ionic strength = " + " 0.01250" + blanks(15) + blanks(60));
  EXPECT_EQ(l[30], blanks(5) + "Ionic balance :   Cations (mol.eq.) =" + " 0.01230000" +
                       "    Anions (mol.eq.) =" + " 0.01210000" +
                       "    Difference (%) =" + "  1.64");
  EXPECT_EQ(l[31], blanks(65));
  EXPECT_EQ(l[32], "");
  EXPECT_EQ(l[33], "");
}

TEST(SampleSection, SteamLossReplacesTheEmptyLines) {
  const sampled smp;
  const std::vector<std::string> plain = smp.write(0.0), spring = smp.write(0.05);
  ASSERT_EQ(spring.size(), plain.size());
  EXPECT_EQ(spring[8],
            blanks(65) + "Steam loss at " + " 98.5" + " deg.C assumed, " + "before sampling.");
  EXPECT_EQ(spring[9], blanks(65) + "Steam loss fraction            :" + " 0.0500");
  EXPECT_EQ(spring[10], blanks(5) + "Water sample (mg/kg)" + blanks(10) + "Steam sample" +
                            blanks(18) + "Degassing coeff. at sampling   :" + " 0.5000");
  // Everything else is unchanged.
  for (std::size_t i = 0; i < plain.size(); ++i)
    if (i < 8 || i > 10) {
      EXPECT_EQ(spring[i], plain[i]) << i;
    }
}

TEST(SampleSection, StatusTextsAreWrittenInFull) {
  sampled smp;
  smp.msg[0] = padded("pH out of range", 60);
  smp.msg[1] = padded("pH iteration does not converge", 60);
  const std::vector<std::string> l = smp.write(0.0);
  EXPECT_EQ(l[29].substr(45), smp.msg[0]);
  EXPECT_EQ(l[31], blanks(5) + smp.msg[1]);
}

TEST(PhaseSection, ColumnsAndPressuresFollowTheLayout) {
  component_vector liq;
  for (int k = 1; k <= component_vector::size; ++k) liq[k] = 1.0 * k;
  liq[comp::b] = 1.5;
  liq[comp::co2] = 250.0;
  gas_vector vap;
  vap[1] = 123456789.5;  // CO2 has a wide field
  vap[2] = 1e6;          // too wide for F9.2
  vap[3] = 2.5;
  const std::array<double, 8> p{39.762, 0.5, 0.0125, 0.0, 0.0, 0.0, 2.0, 1e-101};
  std::ostringstream rep;
  out2(vap, liq, 1850.25, p, 42.5, 0.0, rep);
  const std::vector<std::string> l = lines_of(rep);
  ASSERT_EQ(l.size(), 14u);
  EXPECT_EQ(l[0], blanks(5) + "Liquid phase components (mg/kg)" + blanks(23) +
                      "Vapor phase (mg/kg)" + blanks(8) + "Gas pressures (bar-abs.)");
  EXPECT_EQ(l[1], "");
  EXPECT_EQ(l[2], blanks(5) + "B        " + "   1.5000" + blanks(9) + "CO2      " + "   250.00" +
                      blanks(9) + "CO2" + "   123456789.50" + blanks(9) + "CO2      " +
                      "0.500E+00");
  EXPECT_EQ(l[3], blanks(5) + "SiO2     " + "     9.00" + blanks(9) + "H2S      " + "     2.00" +
                      blanks(9) + "H2S      " + "*********" + blanks(9) + "H2S      " +
                      "0.125E-01");
  EXPECT_EQ(l[6].substr(77), blanks(9) + "O2       " + "0.000E+00");
  EXPECT_EQ(l[8].substr(77), blanks(9) + "N2       " + "0.100-100");
  // Both forms of the vapour entry are 18 columns wide: the pressure column starts in
  // column 87 on every gas line.
  for (int g = 1; g <= 7; ++g) {
    const std::string& line = l[static_cast<std::size_t>(1 + g)];
    EXPECT_EQ(line.size(), 104u) << g;
    EXPECT_EQ(line.substr(86, 9).substr(0, 3), nam(g).substr(0, 3)) << g;
  }
  EXPECT_EQ(l[9], blanks(5) + "Cl       " + "    15.00" + blanks(63) + "H2O      " + "0.398E+02");
  EXPECT_EQ(l[10], blanks(5) + "SO4      " + "    16.00" + blanks(63) + "Total    " + "0.425E+02");
  EXPECT_EQ(l[11], blanks(5) + "Al       " + "  17.0000");
  EXPECT_EQ(l[12], blanks(5) + "Fe       " + "  18.0000");
  EXPECT_EQ(l[13], blanks(5) + "TDS      " + "  1850.25" + blanks(9) +
                       "Aquifer steam fraction = " + " 0.0000");
}

namespace {

// A solved fluid at 500 K and zero ionic strength (every activity coefficient 1): NaCl with
// some KCl, 800 mg/kg of molecular silica, no member of any redox couple.
struct solved {
  species_vector m;
  component_vector liq;
  ph_messages ph_msg{padded("", 60), padded("", 60)};
  std::string mb_msg = padded("", 60);
  solved() {
    m[sp::h4sio4] = 800.0 / 60090.0;
    m[sp::na] = 0.01;
    m[sp::k] = 0.001;
    m[sp::cl] = 0.011;
  }
  std::vector<std::string> write() const {
    std::ostringstream rep;
    out3(m, liq, 1e-6, 0.0, 500.0, ph_msg, mb_msg, rep);
    return lines_of(rep);
  }
};

}  // namespace

TEST(RedoxSection, ReportsBalancePotentialsAndGeothermometers) {
  solved fl;
  fl.mb_msg = padded("Mass balance calculation does not converge", 60);
  fl.ph_msg[0] = std::string(54, 'a') + "xxxxxx";
  fl.ph_msg[1] = std::string(54, 'b') + "yyyyyy";
  const std::vector<std::string> l = fl.write();
  ASSERT_EQ(l.size(), 10u);
  EXPECT_EQ(l[0], blanks(5) + fl.mb_msg);
  EXPECT_EQ(l[1], blanks(5) + "Ionic strength = " + " 0.00000" + blanks(48) +
                      "1000/T (Kelvin) = " + "  2.00");
  EXPECT_EQ(l[2], blanks(5) + "Ionic balance :   Cations (mol.eq.) =" + " 0.01100000" +
                      "    Anions (mol.eq.) =" + " 0.01100000" + "    Difference (%) =" + "  0.00");
  EXPECT_EQ(l[3], "");
  EXPECT_EQ(l[4], blanks(5) + "Oxidation potential (volts) :     " + "Eh H2S=" + " 99.999" + "   " +
                      "Eh CH4=" + " 99.999" + "   " + "Eh H2=" + " 99.999" + "   " +
                      "Eh NH3=" + " 99.999");
  // The last six characters of each pH message are cut.
  EXPECT_EQ(l[5], blanks(5) + std::string(54, 'a') + blanks(5) + std::string(54, 'b'));
  EXPECT_EQ(l[6], blanks(5) + "Chemical geothermometers (degrees C)");
  // 800 mg/kg silica: quartz 339.42 °C, chalcedony 304.38 °C; Na/K molality ratio 10 at unit
  // activity coefficients: 260.7 °C.
  EXPECT_EQ(l[7], blanks(5) + "Quartz    " + "  339.4" + "   (GRC Bulletin, pp. 3-12, Nov. 1982)");
  EXPECT_EQ(l[8],
            blanks(5) + "Chalcedony" + "  304.4" + "   (Geothermics, vol. 5, pp. 41-50, 1977)");
  EXPECT_EQ(l[9], blanks(5) + "Na/K      " + "  260.7" +
                      "   (Geochim. Cosmochim. Acta, vol. 47, pp. 567-577, 1983)");
}

TEST(RedoxSection, MissingSilicaOrAlkalisReplaceTheTemperatures) {
  const std::string no_k = blanks(5) + "K is zero. Cannot compute Na-K geothermometer temperature.";
  const std::string no_na =
      blanks(5) + "Na is zero. Cannot compute Na-K geothermometer temperature.";
  solved fl;
  fl.m[sp::h4sio4] = 0.0;
  std::vector<std::string> l = fl.write();
  ASSERT_EQ(l.size(), 10u);
  EXPECT_EQ(l[7], blanks(5) + "SiO2 is zero.");
  EXPECT_EQ(l[8], blanks(5) + "Cannot compute chalcedony and quartz geothermometer temperatures.");
  EXPECT_EQ(l[9].substr(0, 15), blanks(5) + "Na/K      ");
  // Neither alkali: only the potassium message.
  fl.m[sp::na] = 0.0;
  fl.m[sp::k] = 0.0;
  l = fl.write();
  ASSERT_EQ(l.size(), 10u);
  EXPECT_EQ(l[9], no_k);
  fl.m[sp::k] = 0.001;
  EXPECT_EQ(fl.write().back(), no_na);
  fl.m[sp::na] = 0.01;
  fl.m[sp::k] = 0.0;
  EXPECT_EQ(fl.write().back(), no_k);
}

TEST(ActivityCoefficientSection, ListsEveryChargedSpeciesOnce) {
  std::ostringstream rep;
  out4(298.15, 0.0, rep);
  const std::vector<std::string> l = lines_of(rep);
  ASSERT_EQ(l.size(), 16u);
  // At zero ionic strength every coefficient is 1.
  const std::string one = blanks(9) + "    1.000";
  EXPECT_EQ(l[0], blanks(5) + "H+          " + one + blanks(5) + "K+          " + one + blanks(5) +
                      "FeSO4+      " + one);
  EXPECT_EQ(l[15], blanks(5) + "Na+         " + one + blanks(5) + "Fe(OH)4-    " + one + blanks(5) +
                       "AlF6---     " + one);
  std::multiset<std::string> listed;
  for (const std::string& line : l) {
    ASSERT_EQ(line.size(), 105u);
    for (std::size_t col = 0; col < 3; ++col) listed.insert(line.substr(col * 35 + 5, 12));
  }
  std::multiset<std::string> charged;
  for (int k = 1; k <= species_vector::size; ++k)
    if (species_charge[k] != 0.0) charged.insert(std::string(spenam(k)));
  EXPECT_EQ(listed, charged);
  // Coefficients fall with ionic strength, more for higher charges.
  std::ostringstream salty;
  out4(298.15, 0.1, salty);
  const std::vector<std::string> s = lines_of(salty);
  // At 25 °C and I = 0.1 mol/kg, H+ about 0.82 and Ca++ about 0.40 (half a unit of the last
  // quoted digit).
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
  EXPECT_EQ(l[1], blanks(5) + "Chemical species in water - ppm and log mole" + blanks(38) +
                      "Water pH is " + " 7.000");
  const std::string zero = "     0.00    0.000";
  // Row 20 holds species 20, 43 and 66; row 21 species 21, 44 and 67.
  EXPECT_EQ(l[21], blanks(5) + "Cl-         " + "    35.45" + "   -3.000" + blanks(5) +
                       "Fe(OH)3-    " + zero + blanks(5) + "AlF3        " + zero);
  EXPECT_EQ(l[22].substr(0, 35), blanks(5) + "Na+         " + zero);
  for (std::size_t i = 2; i < l.size(); ++i) EXPECT_EQ(l[i].size(), 105u) << i;
  EXPECT_EQ(l[24].substr(35 + 5, 12), spenam(46));
  EXPECT_EQ(l[24].substr(70 + 5, 12), spenam(69));
}

TEST(MineralSection, LogKBesideLogQWithAnOpenLastEntry) {
  // 25 °C, zero ionic strength; no aluminium, so the aluminosilicates have no activity product.
  species_vector m;
  m[sp::h] = 1e-7;
  m[sp::h4sio4] = 0.001;
  m[sp::mg] = 0.001;
  std::ostringstream rep;
  out6(m, 298.15, 0.0, rep);
  const std::vector<std::string> l = lines_of(rep);
  ASSERT_EQ(l.size(), 13u);
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(l[1], blanks(5) +
                      "Logarithms of mineral solubility product constants (K) and ion activity "
                      "products (Q) in water");
  const std::string head = blanks(20) + "log K     log Q";
  EXPECT_EQ(l[2], head + head + head);
  // log K of adularia, low albite and analcime at 25 °C: -21.303, -20.211, -16.023.
  EXPECT_EQ(l[3], blanks(5) + "Adularia    " + "  -21.303" + "   99.999" + blanks(5) +
                      "Albite, low " + "  -20.211" + "   99.999" + blanks(5) + "Analcime    " +
                      "  -16.023" + "   99.999");
  for (std::size_t i = 3; i < 12; ++i) EXPECT_EQ(l[i].size(), 105u) << i;
  // Chrysotile: log K 31.572; log Q = 3(-3) + 2(-3) - 6(-7) = 27. Amorphous silica: -2.711
  // against -3. The blanks that open a third entry end the line.
  EXPECT_EQ(l[12], blanks(5) + "Chrysotile  " + "   31.572" + "   27.000" + blanks(5) +
                       "Sil. amorph." + "   -2.711" + "   -3.000" + blanks(5));
}

}  // namespace morva
