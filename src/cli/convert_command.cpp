// morva convert: the fixed-column sample file and the CSV table of analyses, one into the other.

#include <fstream>
#include <ostream>

#include "batch/output_files.h"
#include "batch/sources.h"
#include "cli/batch.h"
#include "morva/analysis_csv.h"
#include "samplefile/writer.h"

namespace morva {

int convert(const std::string& input, const std::string& output, std::ostream& err) {
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
  std::ofstream out;
  if (!replace_file(output, out, err)) return exit_usage;

  // Entries that cannot be read are named and left out; the others are converted.
  const bool to_csv = is_csv_name(output);
  if (to_csv) write_analysis_csv_header(out);
  const std::unique_ptr<sample_source> source = open_source(in, input);
  const int status = for_each_sample(*source, err, [&](const sample_record& s) {
    if (to_csv) {
      write_analysis_csv_row(s, out);
    } else {
      write_sample_block(s, out);
    }
  });
  return closed(out, output, err) ? status : exit_usage;
}

}  // namespace morva
