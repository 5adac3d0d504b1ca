#pragma once
// The batch commands: every sample of a file calculated without questions, and the conversion
// between the sample file and the CSV table of analyses.

#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch/exit_status.h"
#include "batch/options.h"
#include "morva/analysis_csv.h"
#include "morva/mineral_curves.h"
#include "morva/result.h"
#include "morva/sample.h"
#include "text/format.h"

namespace morva {

/// Everything `morva run` was asked to do.
struct batch_request {
  std::string samples;               ///< the sample file or .csv table of analyses
  run_options options;               ///< for every sample the options table does not list
  options_by_id per_sample;          ///< by sample id, without trailing blanks
  std::vector<std::string> only;     ///< ids to calculate; empty: all
  std::string report = "morva.out";  ///< empty: no report
  std::string user;                  ///< report heading fields
  std::string heading;
  std::string table, species, minerals, json;  ///< result tables; empty: not written
  std::string geothermometers;                 ///< geothermometer table; empty: not written
  int jobs = 1;                                ///< samples calculated at once
  bool progress = false;                 ///< a running count on err (standard error is a terminal)
  csv_texts texts = csv_texts::guarded;  ///< texts of the CSV tables
  analysis_reading reading;              ///< how a table of analyses is read
  /// Encoding of the report and process-step files: Latin-1 as the dialog writes them, or UTF-8.
  text_encoding report_encoding = text_encoding::latin1;
};

/// Everything `morva saturation` was asked to do.
struct saturation_request {
  std::string samples;
  run_options options;
  options_by_id per_sample;
  std::vector<std::string> only;
  saturation_grid grid;
  std::vector<int> minerals;                ///< positions 1..29
  saturation_choices choices;               ///< how the curves become an estimate
  std::string table, summary, plots, html;  ///< outputs; empty: not written
  std::string fit_maps;  ///< folder of the misfit maps over temperature and water factor
  /// The page also shows the diagrams of more kinds (Na-K-Ca, Cl-Li-B, Schoeller, Piper,
  /// silica-enthalpy).
  bool more_diagrams = false;
  int jobs = 1;
  bool progress = false;
  csv_texts texts = csv_texts::guarded;  ///< texts of the CSV tables
  analysis_reading reading;              ///< how a table of analyses is read
};

/// Everything `morva diagram` was asked to do.
struct diagram_request {
  std::string samples;
  std::string out;  ///< the SVG file
  /// "giggenbach", "cl-so4-hco3", "na-k-ca", "cl-li-b", "schoeller", "piper" or
  /// "silica-enthalpy"
  std::string kind = "giggenbach";
  analysis_reading reading;  ///< how a table of analyses is read
  /// The reference temperature of the reservoir liquid of the silica-enthalpy diagram.
  reference_temperature tref = reference_temperature::quartz;
  /// The cold water of the mixing lines of the silica-enthalpy diagram: °C and mg/kg SiO2.
  std::optional<std::pair<double, double>> cold_water{};
};

/// The warnings of a calculated sample named id, one line each without "morva: ": each
/// plausibility flag of its analysis with the value that raised it.
std::vector<std::string> flag_warnings(const std::string& id, const sample_record& s,
                                       const sample_result& r);

/// The header line of a CSV table of columns, with its line end.
std::string csv_header(const std::vector<std::string>& columns);

/// Runs `morva run`: messages on err. Returns the exit status.
int run_batch(const batch_request& req, std::ostream& err);

/// Runs `morva saturation`: a summary line per sample on out, messages on err.
int run_saturation(const saturation_request& req, std::ostream& out, std::ostream& err);

/// Runs `morva diagram`: messages on err.
int run_diagram(const diagram_request& req, std::ostream& err);

/// Runs `morva convert`: a sample file to a CSV table of analyses or back, by the extension of
/// the output. Returns the exit status.
int convert(const std::string& input, const std::string& output, const analysis_reading& how,
            std::ostream& err);

/// The command line: no arguments never reach here (that is the interactive program).
/// Help and version on out, messages on err; `tty` says standard error is a terminal.
int command_line(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool tty);

}  // namespace morva
