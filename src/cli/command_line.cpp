// The command line: `morva run` and `morva convert`, their options checked before anything is
// written.

#include <CLI/CLI.hpp>
#include <fstream>
#include <ostream>

#include "cli/batch.h"
#include "cli/batch_options.h"
#include "driver/run.h"

namespace morva {

namespace {

constexpr const char* help_hint = "Run with --help for more information.";

/// The one line of a usage error, the hint, and the status.
int usage_error(const std::string& text, std::ostream& err) {
  err << "morva: " << text << '\n' << help_hint << '\n';
  return exit_usage;
}

/// Comma-separated ids of --only.
std::vector<std::string> id_list(const std::string& text) {
  std::vector<std::string> ids;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t cut = std::min(text.find(',', start), text.size());
    std::string id = text.substr(start, cut - start);
    id.erase(0, std::min(id.find_first_not_of(' '), id.size()));
    id.erase(id.find_last_not_of(' ') + 1);
    if (!id.empty()) ids.push_back(id);
    start = cut + 1;
  }
  return ids;
}

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
  std::string temperature = "measured", spring, spring_degassing = "1", boil, degassing = "1", cool,
              options_file, only;
  bool no_report = false;
  run->add_option("SAMPLES", req.samples, "Sample file, or a .csv table of analyses")->required();
  run->add_option("--temperature", temperature,
                  "Reference temperature: measured, quartz, chalcedony, nak, or a temperature "
                  "in \xC2\xB0"
                  "C")
      ->capture_default_str();
  run->add_option("--boiling-spring", spring,
                  "Boiling temperature (\xC2\xB0"
                  "C) of a spring that lost steam before sampling (water-only samples)");
  run->add_option("--spring-degassing", spring_degassing,
                  "Degassing coefficient of the boiling spring, 0.01 to 1")
      ->capture_default_str();
  run->add_option("--boil", boil,
                  "Boiling steps: up to 10 temperatures (\xC2\xB0"
                  "C), comma-separated");
  run->add_option("--degassing", degassing, "Degassing coefficient of the boiling steps")
      ->capture_default_str();
  run->add_option("--cool", cool,
                  "Cooling steps: up to 10 temperatures (\xC2\xB0"
                  "C), comma-separated");
  run->add_option("--report", req.report, "Report file")->capture_default_str();
  run->add_flag("--no-report", no_report, "Write no report");
  run->add_option("--user", req.user, "User name or date for the report heading");
  run->add_option("--heading", req.heading, "Printout heading of the report");
  run->add_option("--table", req.table, "CSV table: one row per state of each sample");
  run->add_option("--species", req.species, "CSV table: one row per sample, state and species");
  run->add_option("--minerals", req.minerals, "CSV table: one row per sample, state and mineral");
  run->add_option("--json", req.json, "JSON file with all results, nested per sample");
  run->add_option("--options", options_file,
                  "CSV table of per-sample options (columns sample, temperature, "
                  "boiling_spring, spring_degassing, boil, degassing, cool)");
  run->add_option("--only", only, "Calculate only these sample ids (comma-separated)");
  run->add_option("--jobs", req.jobs, "Samples calculated in parallel")
      ->capture_default_str()
      ->check(CLI::Range(1, 256));

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

  // Every option is checked before any file is written.
  std::string why;
  const auto options = parse_temperature(temperature, run_options{}, why);
  if (!options) return usage_error("--temperature: " + why, err);
  req.options = *options;
  if (!spring.empty() && !parse_spring(spring, req.options.t_spring_c, why)) {
    return usage_error("--boiling-spring: " + why, err);
  }
  if (!parse_degassing(spring_degassing, req.options.spring_degas, why)) {
    return usage_error("--spring-degassing: " + why, err);
  }
  if (!parse_steps(boil, req.options.n_boil, req.options.t_boil_c, why)) {
    return usage_error("--boil: " + why, err);
  }
  if (!parse_degassing(degassing, req.options.boil_degas, why)) {
    return usage_error("--degassing: " + why, err);
  }
  if (!parse_steps(cool, req.options.n_cool, req.options.t_cool_c, why)) {
    return usage_error("--cool: " + why, err);
  }
  if (!options_file.empty()) {
    std::ifstream table(options_file, std::ios::binary);
    if (!table) return usage_error("cannot open options file " + options_file, err);
    if (!read_options_table(table, options_file, req.options, req.per_sample, why)) {
      return usage_error(why, err);
    }
  }
  req.only = id_list(only);
  if (no_report) req.report.clear();
  {
    std::ifstream probe(req.samples, std::ios::binary);
    if (!probe) return usage_error("cannot open sample file " + req.samples, err);
  }
  // No output may destroy the input or a process-step file.
  for (const std::string* name :
       {&req.report, &req.table, &req.species, &req.minerals, &req.json}) {
    if (name->empty()) continue;
    if (same_file(*name, req.samples) || same_file(*name, cool_file_name) ||
        same_file(*name, boil_file_name) ||
        (!options_file.empty() && same_file(*name, options_file))) {
      return usage_error("output file " + *name +
                             " would overwrite the sample file, the options file, cool.out or "
                             "boil.out",
                         err);
    }
  }
  req.progress = tty;
  return run_batch(req, err);
}

}  // namespace morva
