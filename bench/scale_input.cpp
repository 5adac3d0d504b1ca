// Writes the input of a whole-program scale run: a sample file of N samples, the example
// waters one after the other, and the keyboard answers that calculate each at its measured
// temperature (type 0) without boiling spring and without steps. Usage:
//   morva_scale_input N DIRECTORY
// writes DIRECTORY/morva.in and DIRECTORY/keys; then, in DIRECTORY,
//   /usr/bin/time -v morva < keys > /dev/null
// runs them with the report written to morva.out.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "morva/sample_file.h"

namespace morva {
namespace {

constexpr int block_lines = 34;

/// The blocks of the example file as text, and for each whether it holds steam-phase data.
struct example_blocks {
  std::vector<std::string> text;
  std::vector<sample_type> type;
};

example_blocks read_examples() {
  const std::string name = std::string(MORVA_EXAMPLES) + "/morva.in";
  example_blocks ex;
  std::ifstream lines(name, std::ios::binary);
  std::string line, block;
  for (int n = 1; std::getline(lines, line); ++n) {
    block += line + "\n";
    if (n % block_lines == 0) {
      ex.text.push_back(block);
      block.clear();
    }
  }
  // The reader tells which samples are water only: they get the boiling-spring question.
  std::ifstream f(name, std::ios::binary);
  sample_reader source(f, name);
  for (read_result got = source.next(); got.what == read_result::kind::sample;
       got = source.next()) {
    ex.type.push_back(derive(got.sample).type);
  }
  return ex;
}

int write_scale_input(int argc, char** argv) {
  if (argc != 3 || std::atoi(argv[1]) < 1) {
    std::cerr << "usage: morva_scale_input N DIRECTORY\n";
    return 2;
  }
  const int n = std::atoi(argv[1]);
  const std::filesystem::path dir = argv[2];
  std::filesystem::create_directories(dir);
  const example_blocks ex = read_examples();
  if (ex.text.empty() || ex.text.size() != ex.type.size()) {
    std::cerr << "morva_scale_input: cannot read the example samples\n";
    return 1;
  }
  std::ofstream samples(dir / "morva.in", std::ios::binary | std::ios::trunc);
  std::ofstream keys(dir / "keys", std::ios::binary | std::ios::trunc);
  // Run setup: default sample file, user, heading, default report file.
  keys << "\nscale run\n" << n << " samples at their measured temperatures\n\n";
  for (int i = 0; i < n; ++i) {
    const std::size_t j = static_cast<std::size_t>(i) % ex.text.size();
    samples << ex.text[j];
    // Calculate; measured type, measured temperature; no boiling spring; no steps.
    keys << "\n\n\n" << (ex.type[j] == sample_type::water ? "\n" : "") << "\n\n";
  }
  return samples && keys ? 0 : 1;
}

}  // namespace
}  // namespace morva

int main(int argc, char** argv) { return morva::write_scale_input(argc, argv); }
