#pragma once
// The regression corpus: recorded runs of the whole program. Each case is a folder holding a
// sample file "morva.in", the keyboard answers "keys", and under "expected/" every output the
// program gave for them when the case was recorded: standard output and error, the report
// "morva.out", "cool.out", "boil.out" (only those the run created) and the exit status.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morva::regress {

/// The outputs of a run compared byte for byte, as named under expected/.
inline constexpr std::array<std::string_view, 5> output_files = {"stdout", "stderr", "morva.out",
                                                                 "cool.out", "boil.out"};

/// What one run of the program left: its exit status and, per output file, the bytes (no
/// value when the run did not create that file).
struct run_outputs {
  int status = -1;
  std::array<std::optional<std::string>, output_files.size()> files;
};

/// The case folders below root, in name order.
std::vector<std::filesystem::path> list_cases(const std::filesystem::path& root);

/// Runs the program exe on the case in a fresh scratch directory (removed afterwards).
run_outputs run_case(const std::filesystem::path& exe, const std::filesystem::path& case_dir);

/// The outputs stored under case_dir/expected.
run_outputs expected_outputs(const std::filesystem::path& case_dir);

/// Replaces case_dir/expected with the outputs out.
void store_outputs(const std::filesystem::path& case_dir, const run_outputs& out);

/// The whole file, or no value when it does not exist.
std::optional<std::string> read_file(const std::filesystem::path& p);

/// Writes bytes to p, replacing any file of that name.
void write_file(const std::filesystem::path& p, std::string_view bytes);

/// Where two texts first differ: empty when they are equal, otherwise the line number and both
/// lines with their control bytes made visible.
std::string first_difference(std::string_view expected, std::string_view actual);

}  // namespace morva::regress
