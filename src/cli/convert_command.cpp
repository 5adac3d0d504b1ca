// morva convert: the fixed-column sample file and the CSV table of analyses, one into the other.

#include <algorithm>
#include <fstream>
#include <ostream>

#include "cli/batch.h"
#include "driver/run.h"
#include "morva/analysis_csv.h"
#include "morva/sample_file.h"
#include "samplefile/writer.h"

namespace morva {

namespace {

bool is_csv(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".csv";
}

}  // namespace

int convert(const std::string& input, const std::string& output, std::ostream& err) {
  const auto say = [&err](const std::string& text) { err << "morva: " << text << '\n'; };
  std::ifstream in(input, std::ios::binary);
  if (!in) {
    say("cannot open " + input);
    return exit_usage;
  }
  if (same_file(output, input)) {
    say("the output " + output + " would overwrite the input");
    return exit_usage;
  }
  std::ofstream out;
  if (!replace_file(output, out, err)) return exit_usage;

  const bool to_csv = is_csv(output);
  if (to_csv) write_analysis_csv_header(out);
  const auto write = [&](const sample_record& s) {
    if (to_csv) {
      write_analysis_csv_row(s, out);
    } else {
      write_sample_block(s, out);
    }
  };

  int status = exit_done;
  if (is_csv(input)) {
    analysis_csv_reader reader(in, input);
    for (;;) {
      const csv_read_result r = reader.next();
      for (const std::string& w : r.warnings) say(w);
      if (r.what == csv_read_result::kind::end) break;
      if (r.what == csv_read_result::kind::sample) {
        write(r.sample);
        continue;
      }
      say(r.error);
      status = exit_bad_input;
      if (r.what == csv_read_result::kind::bad_file) break;
    }
  } else {
    sample_reader reader(in, input);
    for (;;) {
      const read_result r = reader.next();
      if (r.what == read_result::kind::sample) {
        write(r.sample);
        continue;
      }
      if (r.what == read_result::kind::end) {
        if (!r.dropped.empty()) {
          say(input + ": the file ends inside sample " + file_name(r.dropped) +
              "; it is not converted");
          status = exit_bad_input;
        }
        break;
      }
      say("sample file " + input + ", line " + std::to_string(r.line) + ": " + r.fault);
      status = exit_bad_input;
      if (r.fault == "read error") break;
      reader.skip_rest_of_block();
    }
  }
  return status;
}

}  // namespace morva
