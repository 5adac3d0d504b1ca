// Reads a sample file and calculates every sample at its quartz geothermometer temperature:
// sample id, reference temperature, pH of the aquifer liquid and the quartz saturation index
// log Q - log K, or the reason a sample is refused.
//
// Usage: quartz_survey [SAMPLE_FILE]   (default: morva.in)

#include <morva/morva.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  const std::string name = argc > 1 ? argv[1] : "morva.in";
  std::ifstream file(name, std::ios::binary);
  if (!file) {
    std::cerr << "quartz_survey: cannot open " << name << "\n";
    return 1;
  }
  morva::sample_reader samples(file, name);
  morva::run_options opt;
  opt.tref_type = morva::reference_temperature::quartz;

  for (;;) {
    const morva::read_result got = samples.next();
    if (got.what == morva::read_result::kind::error) {
      std::cerr << "quartz_survey: " << name << ", line " << got.line << ": " << got.fault << "\n";
      return 1;
    }
    if (got.what == morva::read_result::kind::end) break;

    const morva::sample_result r = morva::calculate(got.sample, opt);
    std::cout << got.sample.number;
    if (r.refused) {
      std::cout << "  refused: " << morva::refusal_message(*r.refused) << "\n";
      continue;
    }
    const morva::fluid_state& ref = r.reference.state;
    const auto log_q = ref.derived.log_q[morva::min::quartz];
    const double log_k = ref.derived.log_k[morva::min::quartz];
    char line[96];
    if (log_q) {
      std::snprintf(line, sizeof line, "  Tref %6.1f C  pH %6.3f  quartz log Q - log K %7.3f",
                    ref.t - 273.15, ref.ph, *log_q - log_k);
    } else {
      std::snprintf(line, sizeof line, "  Tref %6.1f C  pH %6.3f  quartz: no silica",
                    ref.t - 273.15, ref.ph);
    }
    std::cout << line << "\n";
  }
  return 0;
}
