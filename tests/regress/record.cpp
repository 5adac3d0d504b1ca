// Records the expected outputs of regression cases with a given build of the program:
//   morva_regress_record <program> <cases folder> [case name ...]
// Every case of the folder, or only those named, is run and its expected/ folder replaced.
// Record only with a program whose outputs are known to be right: the test then holds every
// later build to them byte for byte.

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "regress/corpus.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  using namespace morva::regress;
  if (argc < 3) {
    std::cerr << "usage: morva_regress_record <program> <cases folder> [case name ...]\n";
    return 2;
  }
  const fs::path exe = fs::absolute(argv[1]);
  const std::vector<std::string> only(argv + 3, argv + argc);
  int recorded = 0;
  for (const fs::path& dir : list_cases(fs::absolute(argv[2]))) {
    const std::string name = dir.filename().string();
    if (!only.empty() && std::find(only.begin(), only.end(), name) == only.end()) continue;
    const run_outputs out = run_case(exe, dir);
    store_outputs(dir, out);
    std::cout << name << ": exit status " << out.status << "\n";
    ++recorded;
  }
  std::cout << recorded << " cases recorded\n";
  return recorded > 0 ? 0 : 1;
}
