// morva saturation: the saturation curves of the samples' aquifer fluids with their
// temperature estimates, as tables, pictures and one page; and morva diagram: the two ternary
// diagrams that classify geothermal waters.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "batch/output_files.h"
#include "batch/progress.h"
#include "batch/sources.h"
#include "cli/batch.h"
#include "morva/calculate.h"
#include "morva/mineral_curves.h"
#include "morva/tables.h"
#include "plots/plots.h"
#include "report/messages.h"
#include "result_tables/csv.h"
#include "result_tables/curve_tables.h"
#include "result_tables/result_tables.h"
#include "text/format.h"

namespace morva {

namespace {

constexpr double celsius = 273.15;  // K at 0 °C

/// A temperature of a geothermometer, °C, when it has one.
std::optional<double> celsius_of(const geotemperature& g) {
  const auto t = g.kelvin();
  return t ? std::optional<double>(*t - celsius) : std::nullopt;
}

/// The analysis of a sample for the classification diagrams: Na, K, Mg, Cl and SO4 as
/// analysed, and HCO3 from the speciation of the sampled water at its pH temperature
/// (HCO3- and CO3-- counted as HCO3), mg/kg.
ternary_sample ternary_of(const sample_record& s, const sample_result& r) {
  ternary_sample t;
  t.id = table_text(s.number);
  t.na_mgkg = s.water_mgkg[comp::na];
  t.k_mgkg = s.water_mgkg[comp::k];
  t.mg_mgkg = s.water_mgkg[comp::mg];
  t.cl_mgkg = s.water_mgkg[comp::cl];
  t.so4_mgkg = s.water_mgkg[comp::so4];
  t.hco3_mgkg = (r.sampled.m[sp::hco3] + r.sampled.m[sp::co3]) * species_weight[sp::hco3];
  return t;
}

/// One line on standard output per sample: the classical geothermometers beside the
/// multicomponent estimates.
std::string summary_line(const sample_record& s, const saturation_result& r) {
  const std::string id = table_text(s.number);
  if (r.calculation.refused)
    return id + ": refused: " + table_text(refusal_message(*r.calculation.refused));
  const reference_result& ref = r.calculation.reference;
  const derived_results& d = ref.state.derived;
  const std::string deg =
      "\xC2\xB0"
      "C";
  const auto t = [&](const std::optional<double>& x) { return x ? fixed_text(*x, 1) : "-"; };
  std::string line = id + ": Tref " + fixed_text(ref.state.t - celsius, 1) + " " + deg + " (" +
                     std::string(table_name(ref.t_origin)) + "); quartz " +
                     t(celsius_of(d.quartz)) + ", chalcedony " + t(celsius_of(d.chalcedony)) +
                     ", Na/K " + t(celsius_of(d.na_k)) + " " + deg + "; least RMS ";
  line += r.min_rms ? fixed_text(*r.min_rms, 2) + " at " + t(r.t_min_rms_c) + " " + deg : "-";
  line += "; median SI zero at " + t(r.t_median_zero_c) + " " + deg;
  line += "; equilibrium " + t(r.t_equilibrium_median_c) + " " + deg;
  if (r.t_equilibrium_iqr_c) line += " (IQR " + fixed_text(*r.t_equilibrium_iqr_c, 1) + ")";
  return line;
}

/// A file name for a sample's picture: its id with anything but letters, digits, '-', '_'
/// and '.' replaced.
std::string picture_name(const sample_record& s, long n) {
  std::string name;
  for (char c : table_text(s.number)) {
    const auto u = static_cast<unsigned char>(c);
    name += std::isalnum(u) || c == '-' || c == '_' || c == '.' ? c : '_';
  }
  if (name.empty() || name.front() == '.') name = "sample-" + std::to_string(n) + name;
  return name + ".svg";
}

/// Writes text to the file name, replacing an old one. False, with a message, when it cannot.
bool write_file(const std::string& name, const std::string& text, std::ostream& err) {
  std::ofstream f;
  if (!replace_file(name, f, err)) return false;
  f << text;
  return closed(f, name, err);
}

/// One sample's saturation curves and what is made of them.
struct saturation_item : sample_entry {
  saturation_result r;
  std::string svg;
};

/// The outputs of one `morva saturation`: the curve and summary tables, the pictures and the
/// HTML page, opened before the first sample and written in file order.
class curve_outputs {
 public:
  curve_outputs(const saturation_request& req, std::ostream& out, std::ostream& err)
      : req_(req),
        out_(out),
        err_(err),
        table_columns_(saturation_columns(req.minerals)),
        summary_columns_(saturation_summary_columns(req.minerals)) {}

  /// Creates the tables with their header lines and the folder of the pictures. False, with a
  /// message, when one cannot be created.
  bool open() {
    if (!req_.table.empty()) {
      if (!replace_file(req_.table, table_, err_)) return false;
      csv_table_writer header(table_, table_columns_);
    }
    if (!req_.summary.empty()) {
      if (!replace_file(req_.summary, summary_, err_)) return false;
      csv_table_writer header(summary_, summary_columns_);
    }
    if (!req_.plots.empty()) {
      std::error_code e;
      std::filesystem::create_directories(req_.plots, e);
      if (e) {
        say("cannot create folder " + req_.plots);
        return false;
      }
    }
    return true;
  }

  /// True when each sample's picture is to be drawn.
  bool pictures() const { return !req_.plots.empty() || !req_.html.empty(); }

  /// Everything about one entry of the file, in file order; its picture is the count'th
  /// written. False when the run must stop (a file that cannot be written).
  bool write(saturation_item& item, long count) {
    for (const std::string& note : item.notes) say(note);
    if (item.bad) status_ = std::max(status_, item.refuses_file ? exit_usage : exit_bad_input);
    if (!item.selected) return true;
    const sample_record& s = item.s;
    const saturation_result& r = item.r;
    const std::string id = table_text(s.number);
    out_ << summary_line(s, r) << '\n';
    if (r.calculation.refused)
      say(id + ": refused: " + table_text(refusal_message(*r.calculation.refused)));
    if (table_.is_open()) {
      std::string text;
      append_csv_rows(text, saturation_rows(s, r), table_columns_.size(), numbers_);
      table_ << text;
    }
    if (summary_.is_open()) {
      std::string text;
      append_csv_rows(text, {saturation_summary_row(s, item.opt, r, numbers_)},
                      summary_columns_.size(), numbers_);
      summary_ << text;
    }
    if (!req_.plots.empty() &&
        !write_file((std::filesystem::path(req_.plots) / picture_name(s, count)).string(), item.svg,
                    err_)) {
      return false;
    }
    if (!req_.html.empty()) keep_for_page(item);
    return written(table_, req_.table, err_) && written(summary_, req_.summary, err_);
  }

  /// The page of the samples done (also after an interruption, unless the run stopped on a
  /// failed write) and every file closed whole. False, with a message, when one could not be
  /// written in full.
  bool close(bool whole) {
    bool ok =
        whole && (req_.html.empty() || write_file(req_.html,
                                                  html_page("Saturation curves of " + req_.samples,
                                                            page_rows_, giggenbach_svg(ternary_),
                                                            cl_so4_hco3_svg(ternary_), page_svgs_),
                                                  err_));
    ok = closed(table_, req_.table, err_) && ok;
    return closed(summary_, req_.summary, err_) && ok;
  }

  /// exit_bad_input when an entry could not be read, else exit_done.
  int status() const { return status_; }

 private:
  void say(const std::string& text) { err_ << "morva: " << text << '\n'; }

  /// The sample's line of the page's table, its point in the diagrams and its picture.
  void keep_for_page(saturation_item& item) {
    const sample_record& s = item.s;
    const saturation_result& r = item.r;
    const reference_result& ref = r.calculation.reference;
    const derived_results& d = ref.state.derived;
    const bool ok = !r.calculation.refused;
    page_row p;
    p.id = table_text(s.number);
    p.location = table_text(s.location);
    p.status =
        ok ? "calculated" : "refused: " + table_text(refusal_message(*r.calculation.refused));
    if (ok) {
      p.t_ref_origin = std::string(table_name(ref.t_origin));
      p.t_ref_c = ref.state.t - celsius;
      p.ph = ref.state.ph;
      p.quartz_c = celsius_of(d.quartz);
      p.chalcedony_c = celsius_of(d.chalcedony);
      p.nak_c = celsius_of(d.na_k);
      p.multicomponent_c = r.t_min_rms_c;
    }
    page_rows_.push_back(std::move(p));
    ternary_.push_back(ternary_of(s, r.calculation));
    page_svgs_.push_back(std::move(item.svg));
  }

  const saturation_request& req_;
  std::ostream& out_;
  std::ostream& err_;
  const std::vector<std::string> table_columns_;
  const std::vector<std::string> summary_columns_;
  std::ofstream table_, summary_;
  number_memo numbers_;
  std::vector<page_row> page_rows_;
  std::vector<ternary_sample> ternary_;
  std::vector<std::string> page_svgs_;
  int status_ = exit_done;
};

}  // namespace

int run_saturation(const saturation_request& req, std::ostream& out, std::ostream& err) {
  std::ifstream in;
  const std::unique_ptr<sample_source> source = open_samples(req.samples, in, err);
  if (!source) return exit_usage;
  curve_outputs files(req, out, err);
  if (!files.open()) return exit_usage;

  const int jobs = std::max(1, req.jobs);
  const auto work = [&](saturation_item& item, int) {
    item.r = saturation(item.s, item.opt, req.grid, req.minerals);
    if (files.pictures()) item.svg = saturation_svg(item.s, item.r);
  };
  progress_count progress(req.progress, err);
  const auto emit = [&](saturation_item& item) {
    if (!files.write(item, progress.done() + (item.selected ? 1 : 0))) return false;
    if (item.selected) progress.one_more();
    return true;
  };
  const selection sel{req.options, &req.per_sample, &req.only};
  const bool whole = in_windows<saturation_item>(*source, sel, jobs, work, emit);
  progress.end();
  if (!files.close(whole)) return exit_usage;
  if (interrupt_status() != 0) return interrupt_status();
  return files.status();
}

int run_diagram(const diagram_request& req, std::ostream& err) {
  std::ifstream in;
  const std::unique_ptr<sample_source> source = open_samples(req.samples, in, err);
  if (!source) return exit_usage;
  std::vector<ternary_sample> points;
  // Only the sampled water's speciation is needed; the reference state does not matter.
  const int status = for_each_sample(*source, err, [&points](const sample_record& s) {
    points.push_back(ternary_of(s, calculate(s, run_options{})));
  });
  const std::string svg =
      req.kind == "cl-so4-hco3" ? cl_so4_hco3_svg(points) : giggenbach_svg(points);
  return write_file(req.out, svg, err) ? status : exit_usage;
}

}  // namespace morva
