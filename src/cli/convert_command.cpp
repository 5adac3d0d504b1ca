// morva convert: the fixed-column sample file and the CSV table of analyses, one into the other.

#include <fstream>
#include <ostream>

#include "cli/batch.h"
#include "cli/sources.h"
#include "driver/run.h"
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
  std::ofstream out;
  if (!replace_file(output, out, err)) return exit_usage;

  // Entries that cannot be read are named and left out; the others are converted.
  const bool to_csv = is_csv_name(output);
  if (to_csv) write_analysis_csv_header(out);
  const std::unique_ptr<sample_source> source = open_source(in, input);
  int status = exit_done;
  for (;;) {
    sample_entry e;
    bool is_sample = false;
    const got g = source->next(e, is_sample);
    if (g == got::end) break;
    for (const std::string& note : e.notes) say(note);
    if (e.bad) status = exit_bad_input;
    if (is_sample) {
      if (to_csv) {
        write_analysis_csv_row(e.s, out);
      } else {
        write_sample_block(e.s, out);
      }
    }
    if (g == got::fatal) break;
  }
  return closed(out, output, err) ? status : exit_usage;
}

}  // namespace morva
