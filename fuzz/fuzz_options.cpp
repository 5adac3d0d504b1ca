// The options of a batch run on arbitrary text: the parsers of temperatures, step lists and
// coefficients and of the options table, and the whole command line of `morva run` (its
// arguments are the lines of the input, after a sample file that does not exist, so that
// nothing is ever calculated or written). Each must end with a verdict, never a crash; an
// accepted option must hold what the dialog could hold.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "batch/options.h"
#include "cli/batch.h"

namespace morva {
namespace {

void require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "morva fuzz: %s\n", what);
    std::abort();
  }
}

void check_steps(const std::vector<double>& t_c) {
  require(t_c.size() <= 10, "at most ten steps");
  for (const double t : t_c)
    require(t >= 0.0 && t <= 373.85, "step temperatures from 0 to 373.85 C");
}

void check_options(const run_options& o) {
  require(std::isfinite(o.t_typed_c.value_or(0.0)), "a finite typed temperature");
  check_steps(o.boil_c);
  check_steps(o.cool_c);
  require(o.boil_degas >= 0.01 && o.boil_degas <= 1.0, "a boiling degassing coefficient");
  require(o.spring_degas >= 0.01 && o.spring_degas <= 1.0, "a spring degassing coefficient");
}

}  // namespace
}  // namespace morva

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace morva;  // NOLINT: a fuzz entry point outside the namespace
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string why;
  if (const auto o = parse_temperature(text, run_options{}, why)) check_options(*o);
  run_options opt;
  if (parse_steps(text, opt.boil_c, why)) check_steps(opt.boil_c);
  double f = 0.0;
  if (parse_degassing(text, f, why)) require(f >= 0.01 && f <= 1.0, "a degassing coefficient");

  std::istringstream table(text);
  options_by_id by_id;
  if (read_options_table(table, "fuzz.csv", run_options{}, by_id, why)) {
    by_id.for_each([](const std::string&, const run_options& o) { check_options(o); });
  }

  std::vector<std::string> args = {"morva", "run", "no-such-samples-file.in"};
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line) && args.size() < 40;) args.push_back(line);
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = command_line(static_cast<int>(argv.size()), argv.data(), out, err, false);
  require(status == exit_done || status == exit_usage, "help, version or a usage error");
  return 0;
}
