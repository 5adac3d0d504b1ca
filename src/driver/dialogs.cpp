#include "driver/dialogs.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <istream>
#include <ostream>
#include <string_view>
#include <system_error>
#include <vector>

#include "batch/output_files.h"
#include "report/run_files.h"
#include "text/fields.h"

namespace morva {

namespace {

constexpr std::string_view bel = "\a";  // the terminal bell that frames every refusal

/// Writes n empty lines.
void empty_lines(int n, std::ostream& term) {
  for (int i = 0; i < n; ++i) put(term, record{});
}

/// A refusal: an empty line, the text between two bells, an empty line.
void refuse(std::string_view text, std::ostream& term) {
  put(term, record{});
  put(term, record{}.A(bel).A(text).A(bel));
  put(term, record{});
}

void input_error(std::ostream& term) {
  refuse(" ERROR IN INPUT FROM TERMINAL. TRY THIS AGAIN.", term);
}

enum class answer { ok, error, ended };

/// One keyboard line; false when the input has ended.
bool next_line(std::istream& keys, std::string& line) {
  return read_line(keys, line) == read_status::ok;
}

/// An answer read as one Iw field.
answer read_integer(int w, int& n, std::istream& keys) {
  std::string line;
  if (!next_line(keys, line)) return answer::ended;
  return field_reader(line).I(w, n) ? answer::ok : answer::error;
}

/// An answer read as one Fw.0 field.
answer read_real(int w, double& x, std::istream& keys) {
  std::string line;
  if (!next_line(keys, line)) return answer::ended;
  return field_reader(line).F(w, x) ? answer::ok : answer::error;
}

/// An answer read as I3 followed by ten F8.0: a number of steps and the step temperatures
/// in °C, comma-separated; the temperatures the line does not reach read 0.
answer read_steps(int& n, std::array<double, 10>& t_c, std::istream& keys) {
  std::string line;
  if (!next_line(keys, line)) return answer::ended;
  field_reader fields(line);
  int n_read = 0;
  std::array<double, 10> t_read{};
  if (!fields.I(3, n_read)) return answer::error;
  for (double& t : t_read) {
    if (!fields.F(8, t)) return answer::error;
  }
  n = n_read;
  t_c = t_read;
  return answer::ok;
}

/// The text that explains the degassing coefficient, before its question.
void degassing_text(std::ostream& term) {
  put(term, record{});
  put(term, record{}.A(" The DEGASSING COEFFICIENT is a measure of the completeness of degassing"));
  put(term,
      record{}.A(" when the fluid boils. Permitted values range from 0.01 (little degassing)"));
  put(term,
      record{}.A(" to 1 (equilibrium degassing). Default ( = <RETURN>) is equilibrium degassing."));
}

/// Asks for a degassing coefficient (0.01 to 1); anything outside the range, a blank
/// answer included, silently means equilibrium degassing, 1.
answer ask_degassing(double& degas, std::istream& keys, std::ostream& term) {
  for (;;) {
    degas = 1.0;
    degassing_text(term);
    prompt(term, record{}.A(" Coefficient value ......... :  "));
    const answer a = read_real(8, degas, keys);
    if (a == answer::error) {
      input_error(term);
      continue;
    }
    if (a == answer::ok && (degas < 0.01 || degas > 1.0)) degas = 1.0;
    return a;
  }
}

/// Asks for a number of steps and their temperatures after the question text `kind`
/// (" ADIABATIC BOILING" or " CONDUCTIVE COOLING" line) and the open line `none`. More than
/// ten steps, or a step temperature off the liquid-water range 0 to 373.85 °C (the critical
/// point), is refused and the question asked again.
answer ask_steps(std::string_view kind, std::string_view none, std::vector<double>& steps_c,
                 std::istream& keys, std::ostream& term) {
  constexpr int max_steps = 10;
  constexpr double t_min_c = 0.0;
  constexpr double t_critical_c = 373.85;
  // The answer as typed: a count (0 or less for none) and up to ten temperatures, °C.
  int n = 0;
  std::array<double, 10> t_c{};
  steps_c.clear();
  for (;;) {
    empty_lines(4, term);
    put(term, record{}.A(kind));
    put(term, record{}.A(" from the reference temperature to another temperature, input the"));
    put(term,
        record{}.A(" NUMBER OF TEMPERATURE STEPS (maximum 10) followed by the TEMPERATURES (\xB0"
                   "C),"));
    put(term, record{}.A(" separated by commas (i.e. no. of steps, temp., temp., ......)."));
    prompt(term, record{}.A(none));
    const answer a = read_steps(n, t_c, keys);
    if (a == answer::ended) return a;
    if (a == answer::error || n > max_steps) {
      input_error(term);
      continue;
    }
    bool in_range = true;
    for (int i = 0; i < n; ++i) {
      const double t = t_c[static_cast<std::size_t>(i)];
      if (t < t_min_c || t > t_critical_c) in_range = false;
    }
    if (!in_range) {
      refuse(
          " STEP TEMPERATURES MUST LIE BETWEEN 0 AND 373.85 \xB0"
          "C. TRY AGAIN.",
          term);
      continue;
    }
    steps_c.assign(t_c.begin(), t_c.begin() + std::max(n, 0));
    return answer::ok;
  }
}

}  // namespace

bool askme1(std::string& user, std::string& heading, std::string& sample_file,
            std::string& report_file, std::istream& keys, std::ostream& term) {
  constexpr std::size_t name_len = 30;
  const std::string blank8(8, ' ');
  std::string line;

  sample_file = std::string(name_len, ' ');
  put(term, record{});
  put(term, record{}.A(" Input file,"));
  prompt(term, record{}.A(" default is morva.in ....... :  "));
  if (!next_line(keys, line)) return false;
  sample_file = field_reader(line).A(name_len);
  if (sample_file.compare(0, 8, blank8) == 0) sample_file.replace(0, 8, "morva.in");

  put(term, record{});
  prompt(term, record{}.A(" User name or date ......... :  "));
  if (!next_line(keys, line)) return false;
  user = field_reader(line).A(20);

  put(term, record{});
  prompt(term, record{}.A(" Printout heading .......... :  "));
  if (!next_line(keys, line)) return false;
  heading = field_reader(line).A(80);

  for (;;) {
    report_file = std::string(name_len, ' ');
    put(term, record{});
    put(term, record{}.A(" Output file,"));
    prompt(term, record{}.A(" default is morva.out ...... :  "));
    if (!next_line(keys, line)) return false;
    report_file = field_reader(line).A(name_len);
    if (report_file.compare(0, 8, blank8) == 0) report_file.replace(0, 9, "morva.out");
    // The run never destroys its own input, nor the process-step files it writes itself.
    const std::string name = file_name(report_file);
    if (!same_file(name, file_name(sample_file)) && !same_file(name, cool_file_name) &&
        !same_file(name, boil_file_name)) {
      return true;
    }
    refuse(" OUTPUT FILE MUST NOT BE THE INPUT FILE, cool.out OR boil.out. TRY AGAIN.", term);
  }
}

bool askme2(sample_type type, double t_collect_c, run_options& opt, std::istream& keys,
            std::ostream& term) {
  // Reference temperature.
  for (;;) {
    int type_number = 0;  // the types in the order of reference_temperature
    opt.tref_type = reference_temperature::measured;
    opt.t_typed_c.reset();
    double t_typed_c = 0.0;  // as typed; a blank answer reads as 0
    empty_lines(3, term);
    put(term, record{}.A(" Valid reference temperature types are"));
    put(term, record{});
    put(term, record{}.A("                  Measured   =  0 or <RETURN>"));
    put(term, record{}.A("                 Arbitrary   =  1"));
    put(term, record{}.A(" Chalcedony geothermometer   =  2"));
    put(term, record{}.A("     Quartz geothermometer   =  3"));
    put(term, record{}.A("       Na/K geothermometer   =  4"));
    put(term, record{});
    prompt(term, record{}.A(" Select temperature type ... :  "));
    answer a = read_integer(5, type_number, keys);
    if (a == answer::ended) return false;
    if (a == answer::error) {
      input_error(term);
      continue;
    }
    if (type_number < 0 || type_number > 4) {
      refuse(" TEMPERATURE TYPE IMPROPERLY SPECIFIED. TRY AGAIN.", term);
      continue;
    }
    opt.tref_type = static_cast<reference_temperature>(type_number);
    if (opt.tref_type == reference_temperature::measured) {
      put(term, record{});
      put(term, record{}.A(" Read measured temperature (\xB0"
                           "C) from the data file ( = <RETURN>),"));
      prompt(term, record{}.A(" or input temperature ...... :  "));
      a = read_real(10, t_typed_c, keys);
      // A measured temperature typed as 0 or below means none was typed.
      if (t_typed_c > 0.0) opt.t_typed_c = t_typed_c;
    } else if (opt.tref_type == reference_temperature::arbitrary) {
      put(term, record{});
      prompt(term, record{}.A(" Input temperature (\xB0"
                              "C) .... :  "));
      a = read_real(10, t_typed_c, keys);
      opt.t_typed_c = t_typed_c;
    }
    if (a == answer::ended) return false;
    if (a == answer::error) {
      input_error(term);
      continue;
    }
    if (opt.tref_type == reference_temperature::measured && !opt.t_typed_c && t_collect_c <= 0.0) {
      refuse(" NO MEASURED TEMPERATURE IN DATA FILE.", term);
      continue;
    }
    break;
  }

  // Boiling spring: only a water-only sample may have lost steam before it was taken.
  if (type == sample_type::water) {
    double t_spring_c = 0.0;  // as typed; a blank answer reads as 0, no boiling
    for (;;) {
      t_spring_c = 0.0;
      empty_lines(4, term);
      put(term, record{}.A(" BOILING SPRINGS MODEL: If the fluid is assumed to have boiled and"));
      put(term, record{}.A(" lost steam before sampling, input assumed BOILING TEMPERATURE (\xB0"
                           "C)."));
      prompt(term, record{}.A(" No boiling = <RETURN> ..... :  "));
      const answer a = read_real(8, t_spring_c, keys);
      if (a == answer::ended) return false;
      if (a == answer::ok) break;
      input_error(term);
    }
    opt.spring_degas = 1.0;
    opt.t_spring_c.reset();
    if (t_spring_c > 0.0) {
      opt.t_spring_c = t_spring_c;
      if (ask_degassing(opt.spring_degas, keys, term) == answer::ended) return false;
    }
  }

  // Boiling and cooling steps.
  opt.cool_c.clear();
  if (ask_steps(" To compute the fluid composition after single-stage ADIABATIC BOILING",
                " No boiling = <RETURN> ..... :  ", opt.boil_c, keys, term) == answer::ended) {
    return false;
  }
  opt.boil_degas = 1.0;
  if (!opt.boil_c.empty() && ask_degassing(opt.boil_degas, keys, term) == answer::ended) {
    return false;
  }
  return ask_steps(" To compute the fluid composition after CONDUCTIVE COOLING",
                   " No cooling = <RETURN> ..... :  ", opt.cool_c, keys, term) != answer::ended;
}

}  // namespace morva
