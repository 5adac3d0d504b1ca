// morva run: every sample of a sample file or a CSV table of analyses calculated with the
// options of the command line (or of an options table), written as the interactive program
// writes them, with result tables beside the report.

#include <algorithm>
#include <array>
#include <atomic>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "batch/output_files.h"
#include "batch/progress.h"
#include "batch/sources.h"
#include "cli/batch.h"
#include "morva/calculate.h"
#include "morva/checks.h"
#include "morva/sample_file.h"
#include "report/messages.h"
#include "report/pages.h"
#include "report/run_files.h"
#include "result_tables/csv.h"
#include "result_tables/geotherm_table.h"
#include "result_tables/json.h"
#include "result_tables/result_tables.h"
#include "samplefile/writer.h"
#include "text/encoding.h"
#include "text/fields.h"
#include "text/format.h"
#include "text/sample_text.h"

namespace morva {

namespace {

/// One entry of the file with, for a calculated sample, its result and the texts of it: its
/// report pages (the first byte the page separator of any but the first reported sample), its
/// process-step blocks and its table rows, made where it was calculated.
struct batch_item : sample_entry {
  sample_result r;
  std::string report, cool, boil, table, species, minerals, json, gt;
  int thread = -1;  // the thread that made the texts; -1 while not worked on
  /// Bytes the entry holds once worked on: its result and its texts.
  std::size_t held_bytes() const {
    std::size_t n = sizeof(*this) + r.steps.capacity() * sizeof(step_result);
    for (const std::string* t : {&report, &cool, &boil, &table, &species, &minerals, &json, &gt}) {
      n += t->capacity();
    }
    return n;
  }
};

/// The texts of a batch_item, each a member of its own.
constexpr std::string batch_item::*item_texts[] = {
    &batch_item::report,  &batch_item::cool,     &batch_item::boil, &batch_item::table,
    &batch_item::species, &batch_item::minerals, &batch_item::json, &batch_item::gt};

/// Texts of samples already written, kept by the thread that made them: the next sample it
/// renders writes into storage already grown instead of growing new strings from nothing.
class text_pool {
 public:
  /// Gives item's texts the storage of texts given back earlier, each empty.
  void lend(batch_item& item) {
    for (std::size_t k = 0; k < std::size(item_texts); ++k) {
      if (spare_[k].empty()) continue;
      item.*item_texts[k] = std::move(spare_[k].back());
      spare_[k].pop_back();
    }
  }
  /// Takes back the texts of an item that has been written.
  void give_back(batch_item& item) {
    for (std::size_t k = 0; k < std::size(item_texts); ++k) {
      std::string& t = item.*item_texts[k];
      if (t.capacity() == 0) continue;
      t.clear();
      spare_[k].push_back(std::move(t));
    }
  }

 private:
  std::array<std::vector<std::string>, std::size(item_texts)> spare_;
};

/// Which outputs a run writes.
struct outputs {
  bool report = false, table = false, species = false, minerals = false, json = false;
  bool gt = false;  // the geothermometer table
  csv_texts texts = csv_texts::guarded;
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
  if (item.refuse) {
    item.r = sample_result{};
    item.r.refused = item.refuse;
  } else {
    item.r = calculate_checked(s, item.opt);
  }
  const sample_result& r = item.r;
  if (!r.refused) {
    // A water whose carbonate was given as an alkalinity is reported with the total CO2 found
    // from it, the analysis it was calculated with.
    sample_record with_co2;
    if (r.sampled.co2_from_alkalinity_mgkg) {
      with_co2 = s;
      with_co2.water_mgkg[comp::co2] = *r.sampled.co2_from_alkalinity_mgkg;
    }
    const sample_record& shown = r.sampled.co2_from_alkalinity_mgkg ? with_co2 : s;
    if (out.report) {
      string_append_buf to(item.report);
      std::ostream pages(&to);
      char separator = separator_form_feed;
      sample_pages(shown, item.opt, r, *out.user, *out.heading, separator, pages);
    }
    const last_steps last = last_calculated_steps(r);
    for (const step_result* step : {last.cooled, last.boiled}) {
      if (step == nullptr) continue;
      string_append_buf to(step == last.cooled ? item.cool : item.boil);
      std::ostream block(&to);
      pickup(*step->state, step->t_c, shown, block);
    }
  }
  if (out.table) {
    append_csv_rows(item.table, state_rows(s, item.opt, r), state_columns().size(), numbers,
                    out.texts);
  }
  if (out.species) append_species_csv(item.species, s, r, numbers, out.texts);
  if (out.minerals) append_mineral_csv(item.minerals, s, r, numbers, out.texts);
  if (out.json) append_json_sample(item.json, s, item.opt, r, numbers);
  if (out.gt) {
    append_csv_rows(item.gt, {gt_table_row(s, r)}, gt_table_columns().size(), numbers, out.texts);
  }
}

/// The outputs of one `morva run`: the report and process-step files, the result tables and
/// the JSON document, opened before the first sample and written in file order.
class batch_outputs {
 public:
  batch_outputs(const batch_request& req, std::ostream& err) : req_(req), err_(err) {
    rs_.user = padded(req.user, 20);
    rs_.heading = padded(req.heading, 80);
    rs_.report_file = req.report;
    wanted_.report = !req.report.empty();
    wanted_.texts = req.texts;
    wanted_.user = &rs_.user;
    wanted_.heading = &rs_.heading;
  }

  /// Opens the result tables with their header lines and the JSON array, each into a temporary
  /// file beside its target. False, with a message, when one cannot be created.
  bool open() {
    if (!open_table(req_.table, table_, state_columns()) ||
        !open_table(req_.species, species_, species_columns()) ||
        !open_table(req_.minerals, minerals_, mineral_columns()) ||
        !open_table(req_.geothermometers, gt_, gt_table_columns())) {
      return false;
    }
    if (!req_.json.empty()) {
      if (!json_.open(req_.json, err_)) return false;
      json_.put("[");
    }
    wanted_.table = table_.is_open();
    wanted_.species = species_.is_open();
    wanted_.minerals = minerals_.is_open();
    wanted_.json = json_.is_open();
    wanted_.gt = gt_.is_open();
    return true;
  }

  /// What the calculating threads are to render for each sample.
  const outputs& wanted() const { return wanted_; }

  /// Everything about one entry of the file, in file order: its notes, its messages and its
  /// pages, blocks and rows. False when the run must stop (a file that cannot be created or
  /// written).
  bool write(batch_item& item) {
    const std::string trimmed = tally_.take(item);
    if (item.unreadable) return write_unreadable(item, trimmed);
    if (!item.selected) return true;
    const sample_record& s = item.s;
    const sample_result& r = item.r;
    const std::string id = file_name(s.number);
    // Both process-step files exist from here on, even if the sample is then refused.
    if (!open_step_files(rs_, item.opt, err_)) return false;
    int unconverged = r.unconverged_mass_balances;
    for (const step_result& step : r.steps) unconverged += step.unconverged_mass_balances;
    if (unconverged > 0) {
      say(id + ": the mass balance did not converge in " + std::to_string(unconverged) +
          " solution" + (unconverged > 1 ? "s" : "") + " (see the report)");
    }
    if (r.refused) {
      say(id + ": refused: " + refusal_message(*r.refused));
    } else {
      if (wanted_.report) {
        if (!rs_.make_report_ready(err_)) return false;
        // The first page of the run opens with the separator of a report not yet begun.
        if (rs_.page_separator == separator_nul) item.report[0] = separator_nul;
        rs_.page_separator = separator_form_feed;
        rs_.report << encoded_text(item.report, req_.report_encoding);
        say_losses(s, req_.report);
      }
      for (const std::string& w : flag_warnings(id, item.s, r)) say(w);
      for (const step_result& step : r.steps) {
        if (step.skipped) say(id + ": " + skipped_text(step));
      }
      rs_.cool << encoded_text(item.cool, req_.report_encoding);
      if (!item.cool.empty()) say_losses(s, cool_file_name);
      rs_.boil << encoded_text(item.boil, req_.report_encoding);
      if (!item.boil.empty()) say_losses(s, boil_file_name);
    }
    table_.put(item.table);
    species_.put(item.species);
    minerals_.put(item.minerals);
    gt_.put(item.gt);
    if (wanted_.json) {
      json_.put(first_json_ ? "\n" : ",\n");
      json_.put(item.json);
      first_json_ = false;
    }
    // A write that failed (a full disk) stops the run at once.
    return rs_.writes_ok(err_) && table_.written(err_) && species_.written(err_) &&
           minerals_.written(err_) && json_.written(err_) && gt_.written(err_);
  }

  /// Closes every file. After a whole run, also an interrupted one, each table and the JSON
  /// document (its array closed) replace their targets whole; after a failed write they are
  /// dropped and the targets stay as they were. The report and process-step files keep what
  /// they hold: whole blocks. False, with a message, when one could not be written in full.
  bool close(bool whole) {
    bool ok = rs_.close_all(err_);
    if (!whole || !ok) {
      for (output_file* f : {&table_, &species_, &minerals_, &json_, &gt_}) f->discard();
      return false;
    }
    if (wanted_.json) json_.put("\n]\n");
    for (output_file* f : {&table_, &species_, &minerals_, &json_, &gt_})
      ok = f->commit(err_) && ok;
    return ok;
  }

  /// exit_bad_input when an entry could not be read, else exit_done.
  int status() const { return tally_.status(); }

  /// After the last entry: says which ids of --only and of the options table the file does not
  /// hold, and, when --only selected no sample at all, that nothing was calculated (status 1).
  void end(const selection& sel) { tally_.end(sel, !req_.only.empty()); }

 private:
  void say(const std::string& text) { err_ << "morva: " << text << '\n'; }

  /// Says what of the UTF-8 texts of sample s the Latin-1 file `name` could not keep.
  void say_losses(const sample_record& s, const std::string& name) {
    if (s.texts != text_encoding::utf8) return;
    for (const std::string& w : latin1_copy(s, name).losses) say(w);
  }

  /// The row and object of a sample that could not be read, unless --only leaves it out.
  bool write_unreadable(const batch_item& item, const std::string& id) {
    if (!req_.only.empty() && std::find(req_.only.begin(), req_.only.end(), id) == req_.only.end())
      return true;
    if (wanted_.table) {
      std::string text;
      append_csv_rows(text, {unreadable_row(item.s, *item.unreadable)}, state_columns().size(),
                      numbers_, req_.texts);
      table_.put(text);
    }
    if (wanted_.gt) {
      std::string text;
      append_csv_rows(text, {gt_unreadable_row(item.s)}, gt_table_columns().size(), numbers_,
                      req_.texts);
      gt_.put(text);
    }
    if (wanted_.json) {
      std::string text;
      append_json_unreadable(text, item.s, *item.unreadable, numbers_);
      json_.put(first_json_ ? "\n" : ",\n");
      json_.put(text);
      first_json_ = false;
    }
    return table_.written(err_) && json_.written(err_) && gt_.written(err_);
  }

  bool open_table(const std::string& name, output_file& file,
                  const std::vector<std::string>& columns) {
    if (name.empty()) return true;
    if (!file.open(name, err_)) return false;
    file.put(csv_header(columns));
    return true;
  }

  const batch_request& req_;
  std::ostream& err_;
  run_state rs_;
  outputs wanted_;
  output_file table_, species_, minerals_, json_, gt_;
  bool first_json_ = true;
  number_memo numbers_;  // for the rows of unreadable samples
  entry_tally tally_{req_.samples, err_};
};

}  // namespace

std::vector<std::string> flag_warnings(const std::string& id, const sample_record& s,
                                       const sample_result& r) {
  // The flags of the reading (an assumed pH temperature, values below detection) the table
  // reader has said once for the whole file.
  std::vector<std::string> lines;
  for (const std::string& flag : plausibility_flags(s, r)) {
    if (flag == "ion_balance") {
      const std::string pct = record{}.F(12, 1, r.sampled.balance.difference_pct).text();
      lines.push_back(id + ": the ion balance of the sampled water is " +
                      pct.substr(pct.find_first_not_of(' ')) +
                      " % (beyond \xC2\xB1"
                      "10 %); flagged ion_balance");
    }
  }
  return lines;
}

std::string csv_header(const std::vector<std::string>& columns) {
  std::ostringstream text;
  const csv_table_writer header(text, columns);
  return text.str();
}

int run_batch(const batch_request& req, std::ostream& err) {
  std::ifstream in;
  const std::unique_ptr<sample_source> source = open_samples(req.samples, in, err, req.reading);
  if (!source) return exit_usage;
  batch_outputs files(req, err);
  if (!files.open()) return exit_usage;

  // A window of entries is read, calculated in parallel, then written in file order: the
  // outputs do not depend on the number of jobs, and memory on the window alone.
  const int jobs = std::max(1, req.jobs);
  std::vector<number_memo> memos(static_cast<std::size_t>(jobs));
  std::vector<text_pool> pools(static_cast<std::size_t>(jobs));
  progress_count progress(req.progress, err);
  // An options row for an id the file holds twice cannot say which sample it means.
  const std::set<std::string> repeated =
      req.per_sample.empty() ? std::set<std::string>{} : repeated_ids(req.samples);
  const selection sel{req.options, &req.per_sample, &req.only, &repeated};
  const auto work = [&](batch_item& item, int thread) {
    item.thread = thread;
    pools[static_cast<std::size_t>(thread)].lend(item);
    calculate_and_render(item, files.wanted(), memos[static_cast<std::size_t>(thread)]);
  };
  const auto emit = [&](batch_item& item) {
    const bool ok = files.write(item);
    // Every thread is done with the window before its entries are written.
    if (item.thread >= 0) pools[static_cast<std::size_t>(item.thread)].give_back(item);
    if (!ok) return false;
    if (item.selected) progress.one_more();
    return true;
  };
  const bool whole = in_windows<batch_item>(*source, sel, jobs, work, emit);
  progress.end();
  if (whole && interrupt_status() == 0) files.end(sel);
  if (!files.close(whole)) return exit_usage;
  if (interrupt_status() != 0) return interrupt_status();
  return files.status();
}

}  // namespace morva
