#include "driver/run.h"

#include <filesystem>
#include <istream>
#include <ostream>
#include <system_error>

#include "batch/output_files.h"
#include "driver/dialogs.h"
#include "driver/screen.h"
#include "driver/sequence.h"
#include "morva/sample.h"
#include "morva/sample_file.h"
#include "report/run_files.h"
#include "text/fields.h"

namespace morva {

namespace {

void banner(std::ostream& term) {
  put(term, record{});
  put(term, record{});
  put(term, record{}.A(" TARVELLE  FLUIDS  RESEARCH  UNIT"));
  put(term, record{});
  put(term, record{}.A(" Program MORVA, version 2.4,  April 2010."));
  put(term, record{});
  put(term, record{}.A(" Reads chemical analyses of water, gas, and steam samples,"));
  put(term, record{}.A(" and computes aqueous speciation, gas pressures, and activity products,"));
  put(term, record{}.A(" at the temperature desired."));
  put(term, record{});
}

/// The keyboard has nothing more to say: end the open prompt line and say why the run stops.
int input_ended(std::ostream& err, std::ostream& term) {
  put(term, record{});
  put(err, record{}.A("morva: standard input ended while an answer was awaited"));
  return exit_input_ended;
}

/// Opens the sample file for reading; a directory or a file that cannot be read is refused.
bool open_sample_file(const std::string& name, std::ifstream& file, std::ostream& err) {
  std::error_code e;
  if (!std::filesystem::is_directory(name, e)) file.open(name, std::ios::in | std::ios::binary);
  if (file.is_open()) return true;
  put(err, record{}.A("morva: cannot open sample file ").A(name));
  return false;
}

/// End of the run: every file written is closed, so its contents are on disk; a file that
/// could not be written all turns an orderly end into a failure.
int end_run(run_state& rs, int status, std::ostream& err) {
  const bool ok = rs.close_all(err);
  return status == exit_orderly && !ok ? exit_file_not_created : status;
}

}  // namespace

int run(std::istream& in, std::ostream& out, std::ostream& err) {
  banner(out);
  run_state rs;
  if (!askme1(rs.user, rs.heading, rs.sample_file, rs.report_file, in, out)) {
    return input_ended(err, out);
  }
  std::ifstream samples;
  if (!open_sample_file(file_name(rs.sample_file), samples, err)) return exit_sample_file;
  sample_reader source(samples, file_name(rs.sample_file));

  run_options opt;  // a water-only sample sets its boiling-spring fields; others leave them
  for (;;) {
    const read_result got = source.next();
    if (got.what == read_result::kind::error) {
      put(err, record{}
                   .A("morva: sample file ")
                   .A(source.name())
                   .A(", line ")
                   .A(std::to_string(got.line))
                   .A(": ")
                   .A(got.fault));
      return end_run(rs, exit_sample_file, err);
    }
    if (got.what == read_result::kind::end) {
      // A last sample cut short after its water data is named rather than dropped silently.
      if (got.dropped) {
        put(out, record{}
                     .A(" Sample file ends inside sample ")
                     .A(padded(*got.dropped, 16))
                     .A("; it is not used."));
      }
      break;
    }
    const sample_record& s = got.sample;

    char choice = ' ';
    if (!screen(s, choice, in, out)) return end_run(rs, input_ended(err, out), err);
    if (choice == 'q' || choice == 'Q') break;
    if (choice == 'n' || choice == 'N') continue;

    if (!askme2(derive(s).type, s.collection.t_c, opt, in, out)) {
      return end_run(rs, input_ended(err, out), err);
    }
    // Both process-step files exist from here on, even if the calculation then refuses
    // the sample.
    if (!open_step_files(rs, opt, err) || !calculate_sample(rs, s, opt, err, out) ||
        !rs.writes_ok(err)) {
      return end_run(rs, exit_file_not_created, err);
    }
  }
  return end_run(rs, exit_orderly, err);
}

}  // namespace morva
