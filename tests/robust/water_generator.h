#pragma once
// Seeded generator of realistic water analyses and calculation options: each sample comes as
// its 34-line block of a sample file together with the keyboard answers that have the program
// calculate it. Used by the invariant tests, the benchmarks and the tools.

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "morva/indexed.h"
#include "morva/sample.h"

namespace morva {

/// One analysis as the sample file holds it: mg/kg, °C, bar gauge, kJ/kg, volume %; 0 means
/// not analysed and is written as a blank field.
struct water_analysis {
  std::string number;
  std::string location;
  double t_c = 0, p_gauge = 0, h = 0, discharge = 0;
  double ph = 7, ph_t_c = 20;
  component_vector c;  ///< water analyses, mg/kg, component order
  double tds = 0;
  std::array<double, 7> gas{};  ///< dry gas, volume %, components 1 to 7
  double l_gas = 0, t_gas = 0;
  std::array<double, 3> steam{};  ///< steam CO2, H2S, NH3, mg per kg of condensate
  double cond_ph = 0, cond_ph_t = 0;
  std::array<double, 4> cond{};  ///< condensate CO2, H2S, NH3, Na, mg/kg
};

/// The 34 lines of the sample file for analysis a, numbers in 16-column fields.
std::string sample_block(const water_analysis& a);

/// The keyboard answers that select opt in the options dialog of a sample of the given type
/// (1 water only, 2 with steam data), preceded by the RETURN that calculates the sample at its
/// screen. Numbers are typed in their shortest exact form; each must fit its field.
std::string dialog_answers(int type, const run_options& opt);

/// One generated sample.
struct generated_sample {
  std::string number;    ///< sample number, at most 16 characters, unique within a generator
  std::string kind;      ///< short description of the kind of fluid, e.g. "hot spring"
  bool awkward = false;  ///< built to be refused or to sit at a limit of the calculation
  /// When not empty: the refusal line (leading blank included) the calculation must give.
  std::string expected_refusal;
  int type = 1;              ///< 1 water only, 2 with steam-phase data
  std::string block;         ///< the 34 lines of the sample file, each ending in a line feed
  std::string keys;          ///< screen answer and options-dialog answers, one line each
  run_options options;       ///< what those answers select
  double t_aquifer_c = 0.0;  ///< aquifer temperature the analysis was built for, °C
};

/// A whole run: a sample file of n samples and the keyboard answers that calculate them all.
struct generated_run {
  std::string samples;  ///< the sample file
  std::string keys;     ///< run-setup answers, then every sample's answers
  std::vector<generated_sample> list;
};

/// Produces samples from a seed; the same seed gives the same samples on every platform.
class water_generator {
 public:
  /// awkward_share: the fraction (0 to 1) of samples built to be refused or to sit at a limit.
  explicit water_generator(std::uint64_t seed, double awkward_share = 0.1);
  /// The next sample.
  generated_sample next();

  /// Uniform number in [0, 1), from the 53 high bits of the engine.
  double uniform();
  double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
  /// Logarithmically uniform number between lo > 0 and hi.
  double log_uniform(double lo, double hi);
  /// True with probability p.
  bool chance(double p) { return uniform() < p; }
  /// Whole number from 0 to n - 1.
  int pick(int n);

 private:
  std::mt19937_64 engine_;
  double awkward_share_;
  long count_ = 0;
};

/// Answers of the run-setup dialog: sample file, user, heading, report file.
std::string setup_keys(std::string_view sample_file, std::string_view report_file);

/// A run of n samples from the seed, read from sample_file and reported to report_file.
generated_run generate_run(std::uint64_t seed, int n, double awkward_share = 0.1,
                           std::string_view sample_file = "morva.in",
                           std::string_view report_file = "morva.out");

/// A refusal of a sample by the calculation: its reason line and the line that closes it
/// ("" when none does), each with its leading blank, as the terminal shows them.
struct refusal {
  std::string text;
  std::string closing;
};

/// Every refusal the calculation of a sample may end with.
const std::vector<refusal>& refusals();

}  // namespace morva
