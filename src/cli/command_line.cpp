// The command line: `morva run`, `morva saturation`, `morva diagram` and `morva convert`, their
// options checked before anything is written.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string_view>

#include "batch/interrupt.h"
#include "batch/options.h"
#include "batch/output_files.h"
#include "batch/sources.h"
#include "cli/batch.h"
#include "morva/tables.h"
#include "report/run_files.h"
#include "text/encoding.h"

namespace morva {

namespace {

constexpr const char* help_hint = "Run with --help for more information.";
const char* const deg_c =
    "\xC2\xB0"
    "C";

/// The one line of a usage error, the hint, and the status.
int usage_error(const std::string& text, std::ostream& err) {
  err << "morva: " << text << '\n' << help_hint << '\n';
  return exit_usage;
}

/// The number of single-character insertions, deletions and substitutions that turn a into b.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> d(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) d[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = d[0];
    d[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = d[j];
      d[j] = std::min({d[j] + 1, d[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return d[b.size()];
}

/// The name among names nearest to word, when it is near enough to be a slip of the keyboard
/// (at most 2 edits, and fewer than a third of the word); empty else.
std::string nearest(const std::string& word, const std::vector<std::string>& names) {
  std::string best;
  std::size_t best_d = 3;
  for (const std::string& n : names) {
    const std::size_t dist = edit_distance(word, n);
    if (dist < best_d && 3 * dist < word.size()) {
      best = n;
      best_d = dist;
    }
  }
  return best;
}

/// "unknown option --X; did you mean --Y?" for the first option of args the command does not
/// know and that is near one it knows; empty when there is none.
std::string unknown_option_message(const CLI::App& cmd, int argc, const char* const* argv) {
  std::vector<std::string> known = {"--help"};
  for (const CLI::Option* opt : cmd.get_options()) {
    for (const std::string& n : opt->get_lnames()) known.push_back("--" + n);
  }
  for (int i = 2; i < argc; ++i) {
    std::string word(argv[i]);
    if (!word.starts_with("--")) continue;
    word = word.substr(0, word.find('='));
    if (std::find(known.begin(), known.end(), word) != known.end()) continue;
    const std::string near = nearest(word, known);
    if (!near.empty()) return "unknown option " + word + "; did you mean " + near + "?";
  }
  return {};
}

/// A usage problem of the outputs, before anything is written: two outputs that are one file,
/// or an output whose folder is missing or cannot be written (no folder is made for a file).
/// `pictures` is a folder of pictures, made when missing inside a folder that exists.
std::string outputs_problem(const std::vector<std::string>& files, const std::string& pictures) {
  if (std::string why = same_output_problem(files); !why.empty()) return why;
  for (const std::string& name : files) {
    if (name.empty()) continue;
    if (std::string why = output_place_problem(name); !why.empty()) return why;
  }
  if (pictures.empty()) return {};
  std::error_code e;
  if (std::filesystem::is_directory(pictures, e)) {
    if (::access(pictures.c_str(), W_OK | X_OK) == 0) return {};
    return "cannot create file in folder " + pictures + ": it cannot be written";
  }
  if (std::filesystem::exists(pictures, e)) {
    return "cannot create folder " + pictures + ": a file of that name is in the way";
  }
  std::string why = output_place_problem(pictures);
  if (!why.empty())
    why.replace(0, std::string("cannot create file").size(), "cannot create folder");
  return why;
}

/// An encoding's name as compared: lower case, without hyphens ("UTF-8", "utf8" and "utf-8"
/// are one).
std::string encoding_key(std::string name) {
  std::string key;
  for (char c : name) {
    if (c != '-') key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return key;
}

/// True when the input name can be opened for reading as a file (not a folder).
bool readable_input(const std::string& name) {
  std::error_code e;
  if (std::filesystem::is_directory(name, e)) return false;
  const blocking_section wait;  // a FIFO opens when its writer comes
  const std::ifstream probe(name, std::ios::binary);
  return probe.is_open() && probe.good();
}

/// How a table of analyses is read, an option of every command that reads one.
struct reading_args {
  std::string below_detection = "half";
  std::string ph_temperature;

  void add_to(CLI::App* cmd) {
    cmd->add_option("--below-detection", below_detection,
                    "A value below its detection limit (<0.01) in a .csv table is taken as half "
                    "the limit, zero, or the limit: half, zero, limit")
        ->capture_default_str();
    cmd->add_option("--ph-temperature", ph_temperature,
                    std::string("Temperature (") + deg_c +
                        ") at which a pH was measured when a .csv table gives none (default 25)");
  }

  /// The choices into how; 0, or the status of a usage error.
  int check(analysis_reading& how, std::ostream& err) const {
    std::string why;
    if (!read_analysis_reading(below_detection, ph_temperature, how, why)) {
      return usage_error(why, err);
    }
    return 0;
  }
};

/// The options `run` and `saturation` share: which samples, and how each reaches its
/// reference state.
struct sample_args {
  std::string samples;
  run_option_texts texts;  // the steps only for `run`
  std::string options_file, only;
  int jobs = 1;
  reading_args reading;

  void add_to(CLI::App* cmd) {
    cmd->add_option("SAMPLES", samples, "Sample file, or a .csv table of analyses")->required();
    reading.add_to(cmd);
    cmd->add_option("--temperature", texts.temperature,
                    std::string("Reference temperature: measured, quartz, chalcedony, nak, or a "
                                "temperature in ") +
                        deg_c)
        ->capture_default_str();
    cmd->add_option("--boiling-spring", texts.boiling_spring,
                    std::string("Boiling temperature (") + deg_c +
                        ") of a spring that lost steam before sampling (water-only samples)");
    cmd->add_option("--spring-degassing", texts.spring_degassing,
                    "Degassing coefficient of the boiling spring, 0.01 to 1")
        ->capture_default_str();
    cmd->add_option("--options", options_file,
                    "CSV table of per-sample options (columns sample, temperature, "
                    "boiling_spring, spring_degassing, boil, degassing, cool)");
    cmd->add_option("--only", only, "Work only on these sample ids (comma-separated)");
    cmd->add_option("--jobs", jobs, "Samples calculated in parallel")
        ->capture_default_str()
        ->check(CLI::Range(1, 256));
  }

  /// Checks the options into opt, the table and the ids; 0, or the status of a usage error.
  int check(run_options& opt, options_by_id& table, std::vector<std::string>& ids,
            analysis_reading& how, std::ostream& err) const {
    std::string why;
    if (!read_run_options(texts, opt, why)) return usage_error(why, err);
    if (const int bad = reading.check(how, err)) return bad;
    if (!options_file.empty()) {
      // Opened once: a pipe's writer may not outlive a first look.
      std::error_code e;
      const blocking_section wait;  // a FIFO or pipe may hold the table back
      std::ifstream in;
      if (!std::filesystem::is_directory(options_file, e)) in.open(options_file, std::ios::binary);
      if (!in.is_open() || !in) {
        return usage_error("cannot open options file " + options_file, err);
      }
      if (!read_options_table(in, options_file, opt, table, why)) return usage_error(why, err);
    }
    ids = item_list(only);
    if (is_folder(samples))
      return usage_error(samples + " is a folder, not a sample file or table", err);
    if (!readable_input(samples)) return usage_error("cannot open sample file " + samples, err);
    return 0;
  }

  /// 0 when no output would destroy the input, the options table or a process-step file; else
  /// the status of a usage error.
  int check_outputs(const std::vector<const std::string*>& outputs, std::ostream& err) const {
    for (const std::string* name : outputs) {
      if (name->empty()) continue;
      if (same_file(*name, samples) || same_file(*name, cool_file_name) ||
          same_file(*name, boil_file_name) ||
          (!options_file.empty() && same_file(*name, options_file))) {
        return usage_error("output file " + *name +
                               " would overwrite the sample file, the options file, cool.out or "
                               "boil.out",
                           err);
      }
    }
    return 0;
  }
};

/// The command line, its exceptions left to the caller.
int commands(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool tty) {
  CLI::App app{
      "MORVA: chemistry of geothermal and other natural waters. Without arguments the "
      "interactive program; with a command it works without questions.",
      "morva"};
  app.set_version_flag("--version", "morva 2.4 (program MORVA, version 2.4)");
  app.require_subcommand(1, 1);

  // morva run
  CLI::App* run = app.add_subcommand("run", "Calculate every sample of a file, no questions");
  batch_request req;
  sample_args run_args;
  run_args.add_to(run);
  bool no_report = false;
  run->add_option(
      "--boil", run_args.texts.boil,
      std::string("Boiling steps: up to 10 temperatures (") + deg_c + "), comma-separated");
  run->add_option("--degassing", run_args.texts.degassing,
                  "Degassing coefficient of the boiling steps")
      ->capture_default_str();
  run->add_option(
      "--cool", run_args.texts.cool,
      std::string("Cooling steps: up to 10 temperatures (") + deg_c + "), comma-separated");
  run->add_option("--report", req.report, "Report file")->capture_default_str();
  run->add_flag("--no-report", no_report, "Write no report");
  run->add_option("--user", req.user, "User name or date for the report heading");
  run->add_option("--heading", req.heading, "Printout heading of the report");
  std::string report_encoding = "latin1";
  run->add_option("--report-encoding", report_encoding,
                  "Encoding of the report and of boil.out and cool.out: latin1 (the degree sign "
                  "one byte, as the interactive program writes them) or utf-8 (for cat and less "
                  "on a UTF-8 terminal)")
      ->capture_default_str()
      ->check(CLI::IsMember({"latin1", "utf-8"}, encoding_key));
  run->add_option("--table", req.table, "CSV table: one row per state of each sample");
  run->add_option("--species", req.species, "CSV table: one row per sample, state and species");
  run->add_option("--minerals", req.minerals, "CSV table: one row per sample, state and mineral");
  run->add_option("--json", req.json, "JSON file with all results, nested per sample");
  run->add_option("--geothermometers", req.geothermometers,
                  "CSV table: the classical geothermometers of each sample's analyses");
  bool raw_text = false;
  const char* raw_help =
      "Write texts into the CSV tables as they stand (by default a text that begins with =, +, "
      "-, @, a tab or a carriage return gets a leading ' so that spreadsheets do not evaluate "
      "it, and control characters become ?)";
  run->add_flag("--raw-text", raw_text, raw_help);

  // morva saturation
  CLI::App* sat = app.add_subcommand(
      "saturation", "Saturation curves of each sample's aquifer fluid over a temperature range");
  saturation_request sreq;
  sample_args sat_args;
  sat_args.add_to(sat);
  std::string from = "25", to = "350", step = "5", minerals;
  sat->add_option("--from", from, std::string("Lowest grid temperature, ") + deg_c)
      ->capture_default_str();
  sat->add_option("--to", to, std::string("Highest grid temperature, ") + deg_c)
      ->capture_default_str();
  sat->add_option("--step", step, std::string("Grid spacing, ") + deg_c)->capture_default_str();
  sat->add_option("--minerals", minerals,
                  "Minerals as the report names them, comma-separated, or an assemblage: "
                  "volcanic (the default: quartz, low albite, microcline, muscovite, "
                  "laumontite, wairakite, prehnite, zoisite, epidote, calcite, anhydrite, "
                  "fluorite, Mg-chlorite), granitic (quartz, low albite, microcline, muscovite, "
                  "calcite, fluorite, anhydrite, Mg-chlorite, laumontite), or auto (volcanic, "
                  "leaving out each mineral whose zero crossing lies far from the others)");
  std::string normalise = "ions";
  sat->add_option("--normalise", normalise,
                  "Saturation indices of the statistics and the estimate: each divided by the "
                  "number of aqueous species of its mineral's dissolution reaction (ions), or as "
                  "they stand (none)")
      ->capture_default_str()
      ->check(CLI::IsMember({"ions", "none"}));
  std::string fix_al, fit, water_factor = "0.5,1.5", co2_max = "0.1";
  sat->add_option("--fix-al", fix_al,
                  "Mineral that fixes the liquid's Al at saturation at each grid temperature "
                  "(microcline); it leaves the statistics");
  sat->add_option("--fit", fit,
                  "Fit the water factor (steam lost or water added), the CO2 lost, or both: "
                  "water, co2, water,co2");
  sat->add_option("--water-factor", water_factor,
                  "Bounds of the fitted factor on the liquid's non-volatile totals: MIN,MAX")
      ->capture_default_str();
  sat->add_option("--co2-max", co2_max, "Most CO2 added back to the liquid, mol/kg")
      ->capture_default_str();
  sat->add_option("--table", sreq.table, "CSV table: one row per sample and grid temperature");
  sat->add_option("--summary", sreq.summary, "CSV table: one row per sample with the estimates");
  sat->add_option("--plots", sreq.plots, "Folder for one SVG picture per sample");
  sat->add_option("--fit-map", sreq.fit_maps,
                  "Folder for one SVG map per sample of the RMS over temperature and water "
                  "factor (within --water-factor), to see whether a fit is well defined");
  CLI::Option* html =
      sat->add_option("--html", sreq.html, "One self-contained HTML page of all samples");
  sat->add_flag("--more-diagrams", sreq.more_diagrams,
                "The page also shows the Na-K-Ca, Cl-Li-B, Schoeller, Piper and silica-enthalpy "
                "diagrams (and a Li column of a table is read)")
      ->needs(html);
  sat->add_flag("--raw-text", raw_text, raw_help);

  // morva diagram
  CLI::App* dia = app.add_subcommand("diagram",
                                     "A classification diagram of the samples (ternary, Na-K-Ca, "
                                     "Schoeller, Piper, silica-enthalpy)");
  diagram_request dreq;
  dia->add_option("SAMPLES", dreq.samples, "Sample file, or a .csv table of analyses")->required();
  dia->add_option("--out", dreq.out, "The SVG file")->required();
  dia->add_option("--kind", dreq.kind,
                  "giggenbach (Na-K-Mg), cl-so4-hco3, na-k-ca, cl-li-b, schoeller, piper or "
                  "silica-enthalpy")
      ->capture_default_str()
      ->check(CLI::IsMember({"giggenbach", "cl-so4-hco3", "na-k-ca", "cl-li-b", "schoeller",
                             "piper", "silica-enthalpy"}));
  std::string dia_tref = "quartz";
  dia->add_option("--temperature", dia_tref,
                  "silica-enthalpy: reference temperature of the reservoir liquid: measured, "
                  "quartz, chalcedony or nak")
      ->capture_default_str()
      ->check(CLI::IsMember({"measured", "quartz", "chalcedony", "nak"}));
  std::vector<double> dia_cold;
  dia->add_option("--cold-water", dia_cold,
                  std::string("silica-enthalpy: the cold water of the mixing lines, its "
                              "temperature (") +
                      deg_c + ") and silica (mg/kg), comma-separated")
      ->delimiter(',')
      ->expected(2);
  reading_args dia_reading;
  dia_reading.add_to(dia);

  // morva convert
  CLI::App* conv =
      app.add_subcommand("convert", "Convert a sample file to a CSV table of analyses or back");
  std::string input, output;
  conv->add_option("INPUT", input, "Sample file or .csv table")->required();
  conv->add_option("OUTPUT", output, "Output; a .csv name makes a table, any other a sample file")
      ->required();
  reading_args conv_reading;
  conv_reading.add_to(conv);

  // A first word that is no command and no option is a command mistyped.
  if (argc > 1 && argv[1][0] != '-') {
    const std::string word(argv[1]);
    std::vector<std::string> names;
    for (const CLI::App* sub : app.get_subcommands({})) names.push_back(sub->get_name());
    if (std::find(names.begin(), names.end(), word) == names.end()) {
      const std::string near = nearest(word, names);
      return usage_error("unknown command " + table_text(word) +
                             (near.empty() ? "" : "; did you mean " + near + "?"),
                         err);
    }
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    for (const CLI::App* sub : app.get_subcommands({})) {
      if (argc > 1 && sub->get_name() == argv[1]) {
        if (std::string why = unknown_option_message(*sub, argc, argv); !why.empty()) {
          return usage_error(why, err);
        }
      }
    }
    return usage_error(e.what(), err);
  }

  if (*conv) {
    if (is_folder(input)) {
      return usage_error(input + " is a folder, not a sample file or table", err);
    }
    if (!readable_input(input)) return usage_error("cannot open " + input, err);
    if (!same_file(output, input)) {
      if (std::string why = outputs_problem({output}, ""); !why.empty()) {
        return usage_error(why, err);
      }
    }
    analysis_reading how;
    if (const int bad = conv_reading.check(how, err)) return bad;
    return convert(input, output, how, err);
  }

  if (*dia) {
    if (is_folder(dreq.samples)) {
      return usage_error(dreq.samples + " is a folder, not a sample file or table", err);
    }
    if (!readable_input(dreq.samples)) {
      return usage_error("cannot open sample file " + dreq.samples, err);
    }
    if (same_file(dreq.out, dreq.samples)) {
      return usage_error("output file " + dreq.out + " would overwrite the sample file", err);
    }
    if (std::string why = outputs_problem({dreq.out}, ""); !why.empty()) {
      return usage_error(why, err);
    }
    if (const int bad = dia_reading.check(dreq.reading, err)) return bad;
    // Lithium is read only where a diagram draws it: other kinds keep their warnings.
    dreq.reading.lithium = dreq.kind == "cl-li-b";
    dreq.tref = dia_tref == "measured"     ? reference_temperature::measured
                : dia_tref == "chalcedony" ? reference_temperature::chalcedony
                : dia_tref == "nak"        ? reference_temperature::na_k
                                           : reference_temperature::quartz;
    if (!dia_cold.empty()) {
      if (dia_cold.size() != 2 || !(dia_cold[1] >= 0.0) || !(dia_cold[0] >= 0.0) ||
          !(dia_cold[0] < 100.0)) {
        return usage_error(std::string("--cold-water takes a temperature (") + deg_c +
                               ", 0 to 100) and a silica (mg/kg, 0 or more)",
                           err);
      }
      dreq.cold_water = std::pair{dia_cold[0], dia_cold[1]};
    }
    return run_diagram(dreq, err);
  }

  if (*sat) {
    // Every option is checked before any file is written.
    if (const int bad = sat_args.check(sreq.options, sreq.per_sample, sreq.only, sreq.reading, err))
      return bad;
    // Only a page with the Cl-Li-B triangle reads a Li column.
    sreq.reading.lithium = sreq.more_diagrams;
    std::string why;
    std::string repeated;
    if (!parse_grid(from, to, step, sreq.grid, why) ||
        !parse_minerals(minerals, sreq.minerals, why, &repeated, &sreq.choices.auto_minerals)) {
      return usage_error(why, err);
    }
    if (const int bad = sat_args.check_outputs({&sreq.table, &sreq.summary, &sreq.html}, err)) {
      return bad;
    }
    if (std::string problem = outputs_problem({}, sreq.fit_maps); !problem.empty()) {
      return usage_error(problem, err);
    }
    if (std::string problem = outputs_problem({sreq.table, sreq.summary, sreq.html}, sreq.plots);
        !problem.empty()) {
      return usage_error(problem, err);
    }
    if (!parse_fit(fix_al, fit, water_factor, co2_max, sreq.choices, why)) {
      return usage_error(why, err);
    }
    if (!repeated.empty()) err << "morva: " << repeated << '\n';
    sreq.choices.normalise = normalise == "none" ? si_form::none : si_form::ions;
    sreq.samples = sat_args.samples;
    sreq.jobs = sat_args.jobs;
    sreq.progress = tty;
    if (raw_text) sreq.texts = csv_texts::raw;
    return run_saturation(sreq, out, err);
  }

  // morva run: every option is checked before any file is written.
  if (const int bad = run_args.check(req.options, req.per_sample, req.only, req.reading, err))
    return bad;
  if (no_report) req.report.clear();
  if (const int bad = run_args.check_outputs(
          {&req.report, &req.table, &req.species, &req.minerals, &req.json, &req.geothermometers},
          err)) {
    return bad;
  }
  if (std::string problem = outputs_problem(
          {req.report, req.table, req.species, req.minerals, req.json, req.geothermometers}, "");
      !problem.empty()) {
    return usage_error(problem, err);
  }
  req.samples = run_args.samples;
  req.jobs = run_args.jobs;
  req.progress = tty;
  if (raw_text) req.texts = csv_texts::raw;
  if (encoding_key(report_encoding) == "utf8") req.report_encoding = text_encoding::utf8;
  return run_batch(req, err);
}

}  // namespace

int command_line(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                 bool tty) {
  // Signals are caught from the start, so that an interruption while the inputs are opened
  // (a FIFO without a writer) ends the command promptly with its status.
  catch_interrupts();
  // No control character of a sample file's text reaches the terminal.
  control_free_buf out_buf(out.rdbuf());
  control_free_buf err_buf(err.rdbuf());
  std::ostream safe_out(&out_buf);
  std::ostream safe_err(&err_buf);
  int status = exit_usage;
  // Whatever a library throws ends the command with a message, never an abort.
  try {
    status = commands(argc, argv, safe_out, safe_err, tty);
  } catch (const std::exception& e) {
    safe_err << "morva: " << table_text(e.what()) << '\n';
  } catch (...) {
    safe_err << "morva: an unexpected failure\n";
  }
  safe_err.flush();
  safe_out.flush();
  if (!safe_out.good() && (status == exit_done || status == exit_bad_input)) {
    safe_err << "morva: cannot write standard output\n";
    status = exit_usage;
  }
  return status;
}

}  // namespace morva
