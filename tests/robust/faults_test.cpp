// Faults found by running generated and extreme waters through the program, one regression
// test each.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "morva/indexed.h"
#include "morva/sample_file.h"
#include "morva/tables.h"
#include "samplefile/writer.h"
#include "solver/mass_balance.h"

namespace morva {
namespace {

TEST(MassBalanceFaults, ABasisSpeciesFarBelowOneInTenToThe30IsStillSolved) {
  // A hot alkaline water holds its aluminium as Al(OH)4-; the free Al+++ that carries the
  // aluminium balance is near 1e-36 mol/kg at 370 °C and pH 9.4. A cooling or boiling step
  // starts from the species of the step before, where Al+++ may be smaller still. Its
  // convergence test must stay relative at that size, or the first sweep already counts as
  // converged while the aluminium species add up to half the total.
  component_vector c;
  c[comp::na] = 2e-3;
  c[comp::cl] = 1.5e-3;
  c[comp::so4] = 2.5e-4;
  c[comp::sio2] = 1e-3;
  c[comp::f] = 2e-5;
  c[comp::al] = 1e-7;
  const double t = 373.85 + 273.15;
  const double ah = 4.5e-10;
  const double ionic = 8.8e-3;
  species_vector est = setini(c);
  est[sp::al] = 5e-37;  // the estimate a previous state left
  const mass_balance_solution mb = masbal(c, ah, t, ionic, est);
  EXPECT_TRUE(mb.outcome.converged);
  const species_vector m = spemol(mb.x, ah, t, ionic);
  ASSERT_LT(m[sp::al], 1e-30);  // the case in point: a free ion below the old guard
  double al = 0.0;
  for (int i = 57; i <= 69; ++i) al += m[i];
  // Each basis value is settled to 1e-6 relative; the sum over 13 species a few times that.
  EXPECT_NEAR(al / c[comp::al], 1.0, 1e-5);
}

TEST(ProcessStepFileFaults, ALiquidOfTenMillionMgPerKgReadsBackAsWritten) {
  // Eight decimals of ten million and more no longer fit 16 columns: the field used to fill
  // with asterisks, and the boiled liquid of a brine could not be read in again.
  component_vector liquid;
  liquid[comp::na] = 12345678.25;
  liquid[comp::cl] = 1.5e15;
  liquid[comp::so4] = 9999999.999999;  // the largest that keeps its eight decimals, rounded
  liquid[comp::k] = 9999999.5;
  std::ostringstream out;
  pickup(liquid, 1e-7, 3.25e7, 100.0, "BRINE", "boiled brine", out);
  EXPECT_EQ(out.str().find('*'), std::string::npos) << out.str();
  std::istringstream in(out.str());
  sample_reader f(in, "boil.out");
  const read_result got = f.next();
  ASSERT_EQ(got.what, read_result::kind::sample);
  const sample_record& s = got.sample;
  EXPECT_NEAR(derive(s).water[comp::na] * w(comp::na) / 12345678.25, 1.0, 1e-15);  // via mol/kg
  EXPECT_NEAR(derive(s).water[comp::cl] * w(comp::cl) / 1.5e15, 1.0, 1e-9);  // nine digits written
  EXPECT_NEAR(derive(s).water[comp::so4] * w(comp::so4), 9999999.999999, 1e-8);
  EXPECT_NEAR(derive(s).water[comp::k] * w(comp::k), 9999999.5, 1e-8);
  EXPECT_EQ(s.tds, 3.25e7);
  EXPECT_NE(out.str().find("9999999.99999900"), std::string::npos);  // F16.8 below 1e7
}

}  // namespace
}  // namespace morva
