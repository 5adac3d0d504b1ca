// The command line: `morva run`, `morva saturation`, `morva diagram` and `morva convert`, their
// options checked before anything is written.

#include <CLI/CLI.hpp>
#include <fstream>
#include <ostream>

#include "batch/interrupt.h"
#include "batch/options.h"
#include "batch/output_files.h"
#include "batch/sources.h"
#include "cli/batch.h"
#include "morva/tables.h"
#include "report/run_files.h"

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

/// The options `run` and `saturation` share: which samples, and how each reaches its
/// reference state.
struct sample_args {
  std::string samples;
  run_option_texts texts;  // the steps only for `run`
  std::string options_file, only;
  int jobs = 1;

  void add_to(CLI::App* cmd) {
    cmd->add_option("SAMPLES", samples, "Sample file, or a .csv table of analyses")->required();
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
  int check(run_options& opt, std::map<std::string, run_options>& table,
            std::vector<std::string>& ids, std::ostream& err) const {
    std::string why;
    if (!read_run_options(texts, opt, why)) return usage_error(why, err);
    if (!options_file.empty()) {
      std::ifstream in(options_file, std::ios::binary);
      if (!in) return usage_error("cannot open options file " + options_file, err);
      if (!read_options_table(in, options_file, opt, table, why)) return usage_error(why, err);
    }
    ids = item_list(only);
    if (is_folder(samples))
      return usage_error(samples + " is a folder, not a sample file or table", err);
    std::ifstream probe(samples, std::ios::binary);
    if (!probe) return usage_error("cannot open sample file " + samples, err);
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

}  // namespace

int command_line(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                 bool tty) {
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
  run->add_option("--table", req.table, "CSV table: one row per state of each sample");
  run->add_option("--species", req.species, "CSV table: one row per sample, state and species");
  run->add_option("--minerals", req.minerals, "CSV table: one row per sample, state and mineral");
  run->add_option("--json", req.json, "JSON file with all results, nested per sample");

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
                  "Minerals as the report names them, comma-separated (default: quartz, low "
                  "albite, microcline, muscovite, laumontite, wairakite, prehnite, zoisite, "
                  "epidote, calcite, anhydrite, fluorite, Mg-chlorite)");
  sat->add_option("--table", sreq.table, "CSV table: one row per sample and grid temperature");
  sat->add_option("--summary", sreq.summary, "CSV table: one row per sample with the estimates");
  sat->add_option("--plots", sreq.plots, "Folder for one SVG picture per sample");
  sat->add_option("--html", sreq.html, "One self-contained HTML page of all samples");

  // morva diagram
  CLI::App* dia = app.add_subcommand("diagram", "Ternary classification diagram of the samples");
  diagram_request dreq;
  dia->add_option("SAMPLES", dreq.samples, "Sample file, or a .csv table of analyses")->required();
  dia->add_option("--out", dreq.out, "The SVG file")->required();
  dia->add_option("--kind", dreq.kind, "giggenbach (Na-K-Mg) or cl-so4-hco3")
      ->capture_default_str()
      ->check(CLI::IsMember({"giggenbach", "cl-so4-hco3"}));

  // morva convert
  CLI::App* conv =
      app.add_subcommand("convert", "Convert a sample file to a CSV table of analyses or back");
  std::string input, output;
  conv->add_option("INPUT", input, "Sample file or .csv table")->required();
  conv->add_option("OUTPUT", output, "Output; a .csv name makes a table, any other a sample file")
      ->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    return usage_error(e.what(), err);
  }

  if (*conv) return convert(input, output, err);

  if (*dia) {
    if (is_folder(dreq.samples)) {
      return usage_error(dreq.samples + " is a folder, not a sample file or table", err);
    }
    if (std::ifstream probe(dreq.samples, std::ios::binary); !probe) {
      return usage_error("cannot open sample file " + dreq.samples, err);
    }
    if (same_file(dreq.out, dreq.samples)) {
      return usage_error("output file " + dreq.out + " would overwrite the sample file", err);
    }
    return run_diagram(dreq, err);
  }

  if (*sat) {
    // Every option is checked before any file is written.
    if (const int bad = sat_args.check(sreq.options, sreq.per_sample, sreq.only, err)) return bad;
    std::string why;
    if (!parse_grid(from, to, step, sreq.grid, why) ||
        !parse_minerals(minerals, sreq.minerals, why)) {
      return usage_error(why, err);
    }
    if (const int bad = sat_args.check_outputs({&sreq.table, &sreq.summary, &sreq.html}, err)) {
      return bad;
    }
    sreq.samples = sat_args.samples;
    sreq.jobs = sat_args.jobs;
    sreq.progress = tty;
    catch_interrupts();
    return run_saturation(sreq, out, err);
  }

  // morva run: every option is checked before any file is written.
  if (const int bad = run_args.check(req.options, req.per_sample, req.only, err)) return bad;
  if (no_report) req.report.clear();
  if (const int bad = run_args.check_outputs(
          {&req.report, &req.table, &req.species, &req.minerals, &req.json}, err)) {
    return bad;
  }
  req.samples = run_args.samples;
  req.jobs = run_args.jobs;
  req.progress = tty;
  catch_interrupts();
  return run_batch(req, err);
}

}  // namespace morva
