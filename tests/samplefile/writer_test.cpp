#include "samplefile/writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "morva/sample_file.h"
#include "morva/tables.h"
#include "text/fields.h"

namespace morva {
namespace {

/// Liquid left by a boiling step of a hot-spring water, mg/kg (binary-exact values).
component_vector boiled_liquid() {
  component_vector c;
  c[comp::co2] = 12.5;
  c[comp::h2s] = 0.25;
  c[comp::nh3] = 0.125;
  c[comp::b] = 1.5;
  c[comp::sio2] = 320.75;
  c[comp::na] = 215.5;
  c[comp::k] = 18.75;
  c[comp::mg] = 0.0125;
  c[comp::ca] = 2.25;
  c[comp::f] = 2.0;
  c[comp::cl] = 97.5;
  c[comp::so4] = 147.0;
  c[comp::al] = 0.3125;
  return c;
}

const std::string location = "Hot spring, north pool of the upper terrace, overflow channel";

TEST(SampleWriter, WritesTheWholeBlock) {
  std::ostringstream out;
  pickup(boiled_liquid(), 1.0e-7, 931.25, 100.0, "HV-07", location, out);
  const std::string b16(16, ' ');
  const std::string expected =
      "Program MORVA input. Concentrations in mg/kg, unless otherwise specified.\n"
      "\n"
      "< Sample number><       Sample location or other description               >\n"
      "HV-07           " +
      location + std::string(80 - location.size(), ' ') +
      "\n"
      "\n"
      "<Temperature \xB0"
      "C><Pressure bar-g><Enthalpy kJ/kg><Discharge kg/s>\n"
      "    100.00000000" +
      b16 + b16 + b16 +
      "\n"
      "\n"
      "<Water phase pH><  pH temp. \xB0"
      "C >< CO2 in water >< H2S in water >\n"
      "      7.00000000    100.00000000     12.50000000      0.25000000\n"
      "\n"
      "< NH3 in water >< H2  in water >< O2  in water >< CH4 in water >< N2  in water >\n"
      "      0.12500000      0.00000000      0.00000000      0.00000000      0.00000000\n"
      "\n"
      "<SiO2 in water ><  B  in water ><  Al in water ><  Fe in water >\n"
      "    320.75000000      1.50000000      0.31250000      0.00000000\n"
      "\n"
      "<  Na in water ><  K  in water ><  Mg in water ><  Ca in water >\n"
      "    215.50000000     18.75000000      0.01250000      2.25000000\n"
      "\n"
      "<  F  in water ><  Cl in water >< SO4 in water >< TDS in water >\n"
      "      2.00000000     97.50000000    147.00000000    931.25000000\n"
      "\n"
      "<Gas CO2, vol %><Gas H2S, vol %><Gas NH3, vol %><Gas H2,  vol %><Gas O2,  vol %>\n" +
      std::string(80, ' ') +
      "\n"
      "\n"
      "<Gas CH4, vol %><Gas N2,  vol %><L gas/kg cond.><Gas  coll.  \xB0"
      "C>\n" +
      std::string(64, ' ') +
      "\n"
      "\n"
      "<  Steam  CO2  ><  Steam  H2S  ><  Steam  NH3  ><Condensate  pH><Cd. pH temp.\xB0"
      "C>\n" +
      std::string(80, ' ') +
      "\n"
      "\n"
      "<Condensate CO2><Condensate H2S><Condensate NH3><Condensate Na >\n" +
      std::string(64, ' ') + "\n";
  EXPECT_EQ(out.str(), expected);
}

TEST(SampleWriter, NeutralPhInItsField) {
  std::ostringstream out;
  pickup(component_vector{}, std::pow(10.0, -7.0), 0.0, 25.0, "X", "", out);
  std::istringstream lines(out.str());
  std::string line;
  for (int n = 1; n <= 10; ++n) std::getline(lines, line);
  EXPECT_EQ(line.substr(0, 16), "      7.00000000");
}

TEST(SampleWriter, BlockReadsBackAsWaterOnlySample) {
  std::ostringstream out;
  const component_vector c = boiled_liquid();
  // Written from a solved state, as the process steps do.
  fluid_state st;
  st.liquid_mgkg = c;
  st.ah = 3.0e-9;
  st.tds_liquid = 931.25;
  sample_record from;
  from.number = padded("HV-07", 16);
  from.location = padded(location, 80);
  pickup(st, 97.3, from, out);
  std::istringstream in(out.str());
  sample_reader f(in, "boil.out");
  read_result got = f.next();
  ASSERT_EQ(got.what, read_result::kind::sample);
  const sample_record& s = got.sample;
  EXPECT_EQ(padded(s.number, 16), "HV-07           ");
  EXPECT_EQ(padded(s.location, 80), location + std::string(80 - location.size(), ' '));
  EXPECT_EQ(s.collection.t_c, 97.3);
  EXPECT_EQ(derive(s).ph_t, 97.3 + 273.15);
  // pH is written with 8 decimals: half a unit of the last one.
  EXPECT_NEAR(s.ph, -std::log10(3.0e-9), 5e-9);
  EXPECT_EQ(s.pressure_bar_g, 0.0);
  EXPECT_EQ(s.enthalpy, 0.0);
  EXPECT_EQ(s.collection.discharge_kg_s, 0.0);
  EXPECT_EQ(s.tds, 931.25);
  EXPECT_EQ(derive(s).type, sample_type::water);
  for (int i = 1; i <= component_vector::size; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(derive(s).water[i], c[i] / w(i));  // binary-exact values survive 8 decimals
    EXPECT_EQ(derive(s).steam[i], 0.0);
  }
  got = f.next();
  EXPECT_EQ(got.what, read_result::kind::end);
  EXPECT_EQ(got.dropped.value_or(""), "");
}

}  // namespace
}  // namespace morva
