#include "regress/corpus.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace morva::regress {

namespace fs = std::filesystem;

std::vector<fs::path> list_cases(const fs::path& root) {
  std::vector<fs::path> cases;
  for (const fs::directory_entry& e : fs::directory_iterator(root)) {
    if (e.is_directory() && fs::exists(e.path() / "keys")) cases.push_back(e.path());
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

std::optional<std::string> read_file(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  if (!f) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void write_file(const fs::path& p, std::string_view bytes) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + p.string());
}

namespace {

/// A fresh, uniquely named working directory, removed with its contents on destruction.
class scratch {
 public:
  scratch() {
    std::random_device rd;
    path_ = fs::temp_directory_path() /
            ("morva-regress-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~scratch() {
    std::error_code e;
    fs::remove_all(path_, e);
  }
  scratch(const scratch&) = delete;
  scratch& operator=(const scratch&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

/// The outputs a run left in dir: stdout and stderr as captured, the other files if created.
run_outputs collect(const fs::path& dir, int status) {
  run_outputs out;
  out.status = status;
  for (std::size_t i = 0; i < output_files.size(); ++i)
    out.files[i] = read_file(dir / output_files[i]);
  return out;
}

std::string visible(std::string_view line) {
  std::string s;
  for (const char c : line) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u >= 127) {
      static constexpr char hex[] = "0123456789abcdef";
      s += "\\x";
      s += hex[u >> 4];
      s += hex[u & 15];
    } else {
      s += c;
    }
  }
  return s;
}

}  // namespace

run_outputs run_case(const fs::path& exe, const fs::path& case_dir) {
  const scratch dir;
  fs::copy_file(case_dir / "morva.in", dir.path() / "morva.in");
  // The answers stay in the case folder; the program sees only its working directory.
  const std::string command = "cd '" + dir.path().string() + "' && '" + exe.string() + "' < '" +
                              (case_dir / "keys").string() + "' > stdout 2> stderr";
  const int raw = std::system(command.c_str());
  return collect(dir.path(), WIFEXITED(raw) ? WEXITSTATUS(raw) : -1);
}

run_outputs expected_outputs(const fs::path& case_dir) {
  const fs::path dir = case_dir / "expected";
  const std::optional<std::string> status = read_file(dir / "status");
  return collect(dir, status ? std::atoi(status->c_str()) : -1);
}

void store_outputs(const fs::path& case_dir, const run_outputs& out) {
  const fs::path dir = case_dir / "expected";
  fs::remove_all(dir);
  fs::create_directories(dir);
  write_file(dir / "status", std::to_string(out.status) + "\n");
  for (std::size_t i = 0; i < output_files.size(); ++i) {
    if (out.files[i]) write_file(dir / output_files[i], *out.files[i]);
  }
}

std::string first_difference(std::string_view expected, std::string_view actual) {
  if (expected == actual) return {};
  const auto e =
      std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first;
  const auto offset = static_cast<std::size_t>(e - expected.begin());
  const std::size_t line_no = 1 + static_cast<std::size_t>(std::count(expected.begin(), e, '\n'));
  const std::size_t start = expected.rfind('\n', offset == 0 ? 0 : offset - 1);
  const std::size_t from = start == std::string_view::npos || offset == 0 ? 0 : start + 1;
  const auto line_at = [from](std::string_view text) {
    if (from >= text.size()) return std::string("<end of file>");
    return visible(text.substr(from, text.find('\n', from) - from));
  };
  return "byte " + std::to_string(offset) + ", line " + std::to_string(line_no) +
         "\n  expected: " + line_at(expected) + "\n  actual:   " + line_at(actual);
}

}  // namespace morva::regress
