// Reads a sample file and calculates every sample at its quartz geothermometer temperature:
// sample id, reference temperature, pH of the aquifer liquid and the quartz saturation index
// log Q - log K, or the reason a sample is refused.
//
// Usage: quartz_survey [SAMPLE_FILE]   (default: morva.in)

#include <morva/morva.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
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
  const int quartz = *morva::mineral_index("Quartz");
  char line[96];

  for (;;) {
    const morva::read_result got = samples.next();
    if (got.what == morva::read_result::kind::error) {
      std::cerr << "quartz_survey: " << name << ", line " << got.line << ": " << got.fault << "\n";
      return 1;
    }
    if (got.what == morva::read_result::kind::end) break;

    const morva::sample_result r = morva::calculate(got.sample, opt);
    std::snprintf(line, sizeof line, "%-16s", got.sample.number.c_str());
    std::cout << line;
    if (r.refused) {
      std::cout << "  refused: " << morva::refusal_message(*r.refused) << "\n";
      continue;
    }
    const morva::fluid_state& ref = r.reference.state;
    if (const std::optional<double> si = ref.saturation_index(quartz)) {
      std::snprintf(line, sizeof line, "  Tref %6.1f C  pH %6.3f  quartz log Q - log K %7.3f",
                    ref.t_c(), ref.ph, *si);
    } else {
      std::snprintf(line, sizeof line, "  Tref %6.1f C  pH %6.3f  quartz: no silica", ref.t_c(),
                    ref.ph);
    }
    std::cout << line << "\n";
  }
  return 0;
}
