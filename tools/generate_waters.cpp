// Writes a generated run: a sample file of realistic waters and the keyboard answers that
// calculate every sample of it. Usage:
//   generate_waters SEED COUNT [AWKWARD_SHARE] [SAMPLE_FILE] [KEYS_FILE]
// Defaults: awkward share 0.1, files "morva.in" and "keys.txt" in the working directory. Then
//   morva < keys.txt
// runs the program on them; the report goes to "morva.out".

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "robust/water_generator.h"

namespace morva {
namespace {

bool write_file(const std::string& name, const std::string& text) {
  std::ofstream f(name, std::ios::binary | std::ios::trunc);
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
  f.close();
  if (f) return true;
  std::cerr << "generate_waters: cannot write " << name << "\n";
  return false;
}

int generate(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: generate_waters SEED COUNT [AWKWARD_SHARE] [SAMPLE_FILE] [KEYS_FILE]\n";
    return 2;
  }
  const auto seed = std::strtoull(argv[1], nullptr, 10);
  const int count = std::atoi(argv[2]);
  const double awkward = argc > 3 ? std::atof(argv[3]) : 0.1;
  const std::string samples = argc > 4 ? argv[4] : "morva.in";
  const std::string keys = argc > 5 ? argv[5] : "keys.txt";
  const generated_run run = generate_run(seed, count, awkward, samples, "morva.out");
  return write_file(samples, run.samples) && write_file(keys, run.keys) ? 0 : 1;
}

}  // namespace
}  // namespace morva

int main(int argc, char** argv) { return morva::generate(argc, argv); }
