// morva run: every sample of a sample file or a CSV table of analyses calculated with the
// options of the command line (or of an options table), written as the interactive program
// writes them, with result tables beside the report.

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <thread>
#include <vector>

#include "cli/batch.h"
#include "cli/sources.h"
#include "driver/run.h"
#include "driver/sequence.h"
#include "morva/calculate.h"
#include "morva/sample_file.h"
#include "report/fields.h"
#include "report/messages.h"
#include "report/pages.h"
#include "samplefile/writer.h"
#include "tables/csv.h"
#include "tables/format.h"
#include "tables/json.h"
#include "tables/tables.h"

namespace morva {

namespace {

/// One entry of the file with, for a calculated sample, its result and the texts of it: its
/// report pages (the first byte the page separator of any but the first reported sample), its
/// process-step blocks and its table rows, made where it was calculated.
struct batch_item : sample_entry {
  sample_result r;
  std::string report, cool, boil, table, species, minerals, json;
};

/// Which outputs a run writes.
struct outputs {
  bool report = false, table = false, species = false, minerals = false, json = false;
  const std::string* user = nullptr;     // 20 characters
  const std::string* heading = nullptr;  // 80 characters
};

/// The words for a skipped step on standard error.
std::string skipped_text(const step_result& step) {
  const std::string t = record{}.F(6, 1, step.t_c).text();
  const char* what = step.kind == step_kind::cooling ? "cooling to " : "boiling to ";
  const char* why = step.skipped == skip_reason::no_liquid
                        ? " \xC2\xB0"
                          "C leaves no liquid water; step skipped"
                        : " \xC2\xB0"
                          "C gives no finite result; step skipped";
  return what + t.substr(t.find_first_not_of(' ')) + why;
}

/// Calculates sample item and makes the texts of everything written about it.
void calculate_and_render(batch_item& item, const outputs& out, number_memo& numbers) {
  const sample_record& s = item.s;
  item.r = calculate(s, item.opt);
  const sample_result& r = item.r;
  if (!r.refused) {
    if (out.report) {
      std::ostringstream pages;
      char separator = separator_form_feed;
      reference_pages(s, item.opt, r, *out.user, *out.heading, separator, pages);
      for (const step_result& step : r.steps) {
        if (step.state) step_pages(s, step, separator, pages);
      }
      item.report = pages.str();
    }
    // The liquid of the last calculated step of each kind.
    const step_result* last[2] = {nullptr, nullptr};
    for (const step_result& step : r.steps) {
      if (step.state) last[step.kind == step_kind::cooling ? 0 : 1] = &step;
    }
    for (int k = 0; k < 2; ++k) {
      if (last[k] == nullptr) continue;
      std::ostringstream block;
      pickup(*last[k]->state, last[k]->t_c, s, block);
      (k == 0 ? item.cool : item.boil) = block.str();
    }
  }
  if (out.table)
    append_csv_rows(item.table, state_rows(s, item.opt, r), state_columns().size(), numbers);
  if (out.species) {
    append_csv_rows(item.species, species_rows(s, item.opt, r), species_columns().size(), numbers);
  }
  if (out.minerals) {
    append_csv_rows(item.minerals, mineral_rows(s, item.opt, r), mineral_columns().size(), numbers);
  }
  if (out.json) append_json_sample(item.json, s, item.opt, r, numbers);
}

}  // namespace

int run_batch(const batch_request& req, std::ostream& err) {
  const auto say = [&err](const std::string& text) { err << "morva: " << text << '\n'; };

  std::ifstream in;
  const std::unique_ptr<sample_source> source = open_samples(req.samples, in, err);
  if (!source) return exit_usage;

  run_state rs;
  rs.user = padded(req.user, 20);
  rs.heading = padded(req.heading, 80);
  rs.report_file = req.report;

  // Result tables, created now with their header lines so that a run that stops early leaves
  // them whole; their rows are made where each sample is calculated.
  outputs out;
  out.report = !req.report.empty();
  out.user = &rs.user;
  out.heading = &rs.heading;
  std::ofstream table, species, minerals, json;
  const auto open_table = [&](const std::string& name, std::ofstream& file,
                              const std::vector<std::string>& columns) {
    if (name.empty()) return true;
    if (!replace_file(name, file, err)) return false;
    csv_table_writer header(file, columns);
    return true;
  };
  if (!open_table(req.table, table, state_columns()) ||
      !open_table(req.species, species, species_columns()) ||
      !open_table(req.minerals, minerals, mineral_columns())) {
    return exit_usage;
  }
  if (!req.json.empty()) {
    if (!replace_file(req.json, json, err)) return exit_usage;
    json << '[';
  }
  out.table = table.is_open();
  out.species = species.is_open();
  out.minerals = minerals.is_open();
  out.json = json.is_open();
  bool first_json = true;

  // A window of entries is read, calculated in parallel, then written in file order: the
  // outputs do not depend on the number of jobs, and memory on the window alone.
  const int jobs = std::max(1, req.jobs);
  std::vector<number_memo> memos(static_cast<std::size_t>(jobs));
  constexpr long progress_from = 300;  // samples before a running count is worth showing
  int status = exit_done;
  long done = 0;
  const selection sel{req.options, &req.per_sample, &req.only};
  const auto work = [&](batch_item& item, int thread) {
    calculate_and_render(item, out, memos[static_cast<std::size_t>(thread)]);
  };
  const auto emit = [&](batch_item& item) {
    for (const std::string& note : item.notes) say(note);
    if (item.bad) status = exit_bad_input;
    if (!item.selected) return true;
    const sample_record& s = item.s;
    const sample_result& r = item.r;
    const std::string id = file_name(s.number);
    // Both process-step files exist from here on, even if the sample is then refused.
    if (!open_step_files(rs, item.opt, err)) return false;
    int unconverged = r.unconverged_mass_balances;
    for (const step_result& step : r.steps) unconverged += step.unconverged_mass_balances;
    if (unconverged > 0) {
      say(id + ": the mass balance did not converge in " + std::to_string(unconverged) +
          " solution" + (unconverged > 1 ? "s" : "") + " (see the report)");
    }
    if (r.refused) {
      say(id + ": refused: " + refusal_message(*r.refused));
    } else {
      if (out.report) {
        if (!rs.make_report_ready(err)) return false;
        // The first page of the run opens with the separator of a report not yet begun.
        if (rs.page_separator == separator_nul) item.report[0] = separator_nul;
        rs.page_separator = separator_form_feed;
        rs.report << item.report;
      }
      for (const step_result& step : r.steps) {
        if (step.skipped) say(id + ": " + skipped_text(step));
      }
      rs.cool << item.cool;
      rs.boil << item.boil;
    }
    table << item.table;
    species << item.species;
    minerals << item.minerals;
    if (out.json) {
      json << (first_json ? "\n" : ",\n") << item.json;
      first_json = false;
    }
    // A write that failed (a full disk) stops the run at once.
    if (!rs.writes_ok(err) || !written(table, req.table, err) ||
        !written(species, req.species, err) || !written(minerals, req.minerals, err) ||
        !written(json, req.json, err)) {
      return false;
    }
    ++done;
    if (req.progress && done >= progress_from && done % 100 == 0) {
      err << "\rmorva: " << done << " samples" << std::flush;
    }
    return true;
  };
  const bool whole = in_windows<batch_item>(*source, sel, jobs, work, emit);
  if (req.progress && done >= progress_from) err << "\rmorva: " << done << " samples\n";
  // Every file is closed whole, the JSON array too, also after an interruption.
  if (out.json) json << "\n]\n";
  bool ok = rs.close_all(err);
  ok = closed(table, req.table, err) && ok;
  ok = closed(species, req.species, err) && ok;
  ok = closed(minerals, req.minerals, err) && ok;
  ok = closed(json, req.json, err) && ok;
  if (!whole || !ok) return exit_usage;
  if (interrupt_status() != 0) return interrupt_status();
  return status;
}

}  // namespace morva
