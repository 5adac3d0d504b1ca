// morva convert: the fixed-column sample file and the CSV table of analyses, one into the other.

#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>

#include "batch/interrupt.h"
#include "batch/output_files.h"
#include "batch/sources.h"
#include "cli/batch.h"
#include "morva/analysis_csv.h"
#include "morva/calculate.h"
#include "morva/sample_file.h"
#include "samplefile/writer.h"
#include "text/sample_text.h"

namespace morva {

namespace {

/// The shortest text of x that reads back to the same double.
std::string shortest(double x) {
  char chars[32];
  const auto [end, ec] = std::to_chars(chars, chars + sizeof chars, x);
  return ec == std::errc{} ? std::string(chars, end) : std::string("?");
}

/// What a sample-file block gives back of sample s: a warning for each value the 16
/// characters of its field cannot hold exactly (naming the sample, the field, the value and
/// what is read back), and false when a value cannot be written at all (it would read back as
/// no finite number, or the block would not read back).
bool block_round_trip(const sample_record& s, const std::string& block,
                      std::vector<std::string>& warnings) {
  std::istringstream in(block);
  sample_reader reader(in, "converted");
  const read_result back = reader.next();
  const std::string id = utf8_id(s);
  if (back.what != read_result::kind::sample) {
    warnings.push_back(id +
                       ": a value does not fit the fixed columns of a sample file; sample "
                       "left out");
    return false;
  }
  const std::vector<double> want = analysis_values(s);
  const std::vector<double> got = analysis_values(back.sample);
  const std::vector<std::string>& columns = analysis_csv_columns();
  bool whole = true;
  for (std::size_t k = 0; k < want.size() && k < got.size(); ++k) {
    if (want[k] == got[k]) continue;
    const std::string& column = columns[k + 2];
    if (!std::isfinite(got[k])) {
      warnings.push_back(id + ", " + column + ": " + shortest(want[k]) +
                         " lies beyond what a sample-file field holds; sample left out");
      whole = false;
    } else {
      warnings.push_back(id + ", " + column + ": " + shortest(want[k]) + " is written as " +
                         shortest(got[k]) + " (16 characters per field)");
    }
  }
  return whole;
}

}  // namespace

int convert(const std::string& input, const std::string& output, const analysis_reading& how,
            std::ostream& err) {
  const auto say = [&err](const std::string& text) { err << "morva: " << text << '\n'; };
  if (is_folder(input)) {
    say(input + " is a folder, not a sample file or table");
    return exit_usage;
  }
  std::ifstream in(input, std::ios::binary);
  if (!in) {
    say("cannot open " + input);
    return exit_usage;
  }
  if (same_file(output, input)) {
    say("the output " + output + " would overwrite the input");
    return exit_usage;
  }
  // The output is made in a temporary file and replaces the target only when complete.
  output_file out;
  if (!out.open(output, err)) return exit_usage;

  // Entries that cannot be read are named and left out; the others are converted.
  const bool to_csv = is_csv_name(output);
  std::ostringstream text;
  if (to_csv) write_analysis_csv_header(text);
  out.put(text.str());
  const std::unique_ptr<sample_source> source = open_source(in, input, how);
  bool ok = true;
  bool all_fit = true;
  bool carbonate_said = false;  // the total CO2 written for an alkalinity has been said
  const int status = for_each_sample(*source, err, [&](const sample_record& given) {
    if (!ok || interrupt_status() != 0) return;
    // Neither output has a column for carbonate given as bicarbonate, carbonate or
    // alkalinity: the total CO2 that carries it is written instead.
    std::optional<sample_record> found = with_total_co2_written(given);
    if (given.alkalinity_eq_kg && given.water_mgkg[comp::co2] == 0.0 && !carbonate_said) {
      say(input +
          ": carbonate given as bicarbonate, carbonate or alkalinity is written as the total "
          "CO2 (mg/kg) that carries it at the sample's pH and pH temperature");
      carbonate_said = true;
    }
    if (!found) {
      say(utf8_id(given) +
          ": no total CO2 carries the given alkalinity at the sample's pH; written without "
          "carbonate");
      found = given;
      found->alkalinity_eq_kg.reset();
    }
    const sample_record& s = *found;
    text.str("");
    if (to_csv) {
      write_analysis_csv_row(s, text);
    } else {
      // The file is Latin-1 with fields of 16 and 80 characters: what the texts lose is said,
      // and the fixed fields round what the table held: each value that changes is said.
      const latin1_sample l = latin1_copy(s, output);
      for (const std::string& w : l.losses) say(w);
      write_sample_block(l.s, text);
      std::vector<std::string> warnings;
      const bool fits = block_round_trip(s, text.str(), warnings);
      for (const std::string& w : warnings) say(w);
      if (!fits) {
        all_fit = false;
        return;
      }
    }
    out.put(text.str());
    ok = out.written(err);
  });
  if (!ok) return exit_usage;
  if (!out.commit(err)) return exit_usage;
  if (interrupt_status() != 0) return interrupt_status();
  return all_fit ? status : exit_bad_input;
}

}  // namespace morva
