// A whole run on arbitrary keystrokes and an arbitrary sample file. An input is two bytes
// giving the length n of the keystrokes (little-endian), n bytes of keystrokes, and the
// sample file. The run takes place in a scratch directory of its own; it must end with one of
// the program's exit statuses, no number that it writes anywhere may be non-finite, and the
// process-step files it writes must read back as sample files.

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

#include "batch/output_files.h"
#include "driver/run.h"
#include "morva/sample_file.h"
#include "report/run_files.h"

namespace morva {
namespace {

/// The scratch directory of this process, made once and kept to the very end of the process
/// (it is never destroyed, so that the exit handler can still remove it).
const std::string& scratch_dir() {
  static const std::string* const dir = [] {
    auto* d =
        new std::string((std::filesystem::temp_directory_path() / "morva-fuzz-XXXXXX").string());
    if (mkdtemp(d->data()) == nullptr) {
      std::perror("morva fuzz: scratch directory");
      std::abort();
    }
    return d;
  }();
  static const bool cleanup = [] {
    // Gone at an orderly exit; after a crash it stays, with the files of the failed run.
    return std::atexit([] {
             std::error_code e;
             std::filesystem::remove_all(*dir, e);
           }) == 0;
  }();
  (void)cleanup;
  return *dir;
}

/// Works in the scratch directory while it lives; libFuzzer reads its corpus and writes its
/// findings by relative paths, so the old working directory comes back afterwards. (A
/// sanitizer report stops the run inside it: give libFuzzer an absolute -artifact_prefix.)
class in_scratch_dir {
 public:
  in_scratch_dir() : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(scratch_dir());
  }
  ~in_scratch_dir() { std::filesystem::current_path(old_); }
  in_scratch_dir(const in_scratch_dir&) = delete;
  in_scratch_dir& operator=(const in_scratch_dir&) = delete;

 private:
  std::filesystem::path old_;
};

std::string contents(const char* name) {
  std::ifstream f(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

/// Free text of the input (sample numbers and locations, user name, heading) reaches the
/// output as it stands; with every lower-case n made upper-case it cannot spell the text of
/// a non-finite number ("nan", "inf"), so any such text found in the output is a number.
void raise_n(std::string& text) {
  for (char& c : text) {
    if (c == 'n') c = 'N';
  }
}

/// The sample file: at most four blocks, every text line without a lower-case n.
std::string sample_file_of(std::string_view bytes) {
  constexpr std::size_t block_lines = 34;
  constexpr std::size_t max_lines = 4 * block_lines;
  constexpr std::size_t text_line = 4;
  std::string file;
  std::size_t start = 0;
  for (std::size_t n = 1; n <= max_lines && start < bytes.size(); ++n) {
    const std::size_t lf = bytes.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? bytes.size() : lf + 1;
    std::string line(bytes.substr(start, end - start));
    if ((n - 1) % block_lines + 1 == text_line) raise_n(line);
    file += line;
    start = end;
  }
  return file;
}

/// The keystrokes: both file questions answered with their defaults (the run must not touch
/// files outside its directory), the user name and heading taken from the input.
std::string keystrokes_of(std::string_view bytes) {
  std::string keys = "\n";
  for (int answer = 0; answer < 2; ++answer) {
    const std::size_t lf = bytes.find('\n');
    std::string line(bytes.substr(0, lf));
    raise_n(line);
    keys += line + "\n";
    bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
  }
  keys += "\n";
  keys += bytes;
  return keys;
}

bool holds_non_finite(const std::string& text) {
  return text.find("nan") != std::string::npos || text.find("inf") != std::string::npos;
}

/// Names the output and quotes its lines that hold a non-finite number.
std::string non_finite_in(const char* where, const std::string& text) {
  std::string fault = std::string("non-finite number written to ") + where + ":\n";
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (holds_non_finite(line)) fault += "  |" + line + "|\n";
  }
  return fault;
}

/// A process-step file must read back as a sample file: every block a sample, no invalid
/// field. The fault found, or nothing.
std::string read_back(const char* name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return {};
  sample_reader f(in, name);
  for (;;) {
    const read_result got = f.next();
    if (got.what == read_result::kind::error) {
      return std::string(name) + " does not read back: line " + std::to_string(got.line) + ": " +
             got.fault;
    }
    if (got.what == read_result::kind::end) return {};
  }
}

/// Runs the program on the input in the scratch directory; the fault found, or nothing.
std::string whole_run(std::string_view data) {
  if (data.size() < 2) return {};
  const std::size_t n_keys = static_cast<std::uint8_t>(data[0]) |
                             static_cast<std::size_t>(static_cast<std::uint8_t>(data[1])) << 8;
  data.remove_prefix(2);
  const std::string_view key_bytes = data.substr(0, n_keys);
  data.remove_prefix(key_bytes.size());

  const in_scratch_dir here;
  for (const char* name : {"morva.out", "cool.out", "boil.out"}) std::remove(name);
  {
    std::ofstream f("morva.in", std::ios::binary | std::ios::trunc);
    const std::string file = sample_file_of(data);
    f.write(file.data(), static_cast<std::streamsize>(file.size()));
  }
  std::istringstream keys(keystrokes_of(key_bytes));
  std::ostringstream term;
  std::ostringstream err;
  const int status = run(keys, term, err);
  if (status != exit_orderly && status != exit_sample_file && status != exit_file_not_created &&
      status != exit_input_ended) {
    return "exit status " + std::to_string(status);
  }
  for (const char* name : {"morva.out", "cool.out", "boil.out"}) {
    const std::string text = contents(name);
    if (holds_non_finite(text)) return non_finite_in(name, text);
  }
  if (holds_non_finite(term.str())) return non_finite_in("the terminal", term.str());
  for (const char* name : {"cool.out", "boil.out"}) {
    std::string fault = read_back(name);
    if (!fault.empty()) return fault;
  }
  return {};
}

}  // namespace
}  // namespace morva

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Stop only back in libFuzzer's working directory, where it writes the input that failed.
  const std::string fault =
      morva::whole_run(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!fault.empty()) {
    std::fprintf(stderr, "morva fuzz: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
