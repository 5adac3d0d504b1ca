// morva convert: the fixed-column sample file and the CSV table of analyses, one into the other.

#include <fstream>
#include <ostream>
#include <sstream>

#include "batch/interrupt.h"
#include "batch/output_files.h"
#include "batch/sources.h"
#include "cli/batch.h"
#include "morva/analysis_csv.h"
#include "samplefile/writer.h"

namespace morva {

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
  // The output is made in a temporary file and replaces the target only when complete.
  output_file out;
  if (!out.open(output, err)) return exit_usage;

  // Entries that cannot be read are named and left out; the others are converted.
  const bool to_csv = is_csv_name(output);
  std::ostringstream text;
  if (to_csv) write_analysis_csv_header(text);
  out.put(text.str());
  const std::unique_ptr<sample_source> source = open_source(in, input);
  bool ok = true;
  const int status = for_each_sample(*source, err, [&](const sample_record& s) {
    if (!ok || interrupt_status() != 0) return;
    text.str("");
    if (to_csv) {
      write_analysis_csv_row(s, text);
    } else {
      write_sample_block(s, text);
    }
    out.put(text.str());
    ok = out.written(err);
  });
  if (!ok) return exit_usage;
  if (!out.commit(err)) return exit_usage;
  return interrupt_status() != 0 ? interrupt_status() : status;
}

}  // namespace morva
