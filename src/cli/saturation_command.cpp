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

#include "cli/batch.h"
#include "cli/sources.h"
#include "driver/run.h"
#include "morva/calculate.h"
#include "morva/saturation.h"
#include "morva/tables.h"
#include "plots/plots.h"
#include "report/messages.h"
#include "tables/csv.h"
#include "tables/format.h"
#include "tables/saturation_tables.h"
#include "tables/tables.h"

namespace morva {

namespace {

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

/// A number with d decimals for the summary line.
std::string fixed(double x, int d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*f", d, x);
  return buf;
}

/// One line on standard output per sample: the classical geothermometers beside the
/// multicomponent estimates.
std::string summary_line(const sample_record& s, const saturation_result& r) {
  const std::string id = table_text(s.number);
  if (r.calculation.refused) return id + ": refused: " + refusal_message(*r.calculation.refused);
  const reference_result& ref = r.calculation.reference;
  const derived_results& d = ref.state.derived;
  const std::string deg =
      "\xC2\xB0"
      "C";
  const auto t = [&](const std::optional<double>& x) { return x ? fixed(*x, 1) : "-"; };
  std::string line = id + ": Tref " + fixed(ref.state.t_c(), 1) + " " + deg + " (" +
                     std::string(table_name(ref.t_origin)) + "); quartz " + t(d.quartz.t_c()) +
                     ", chalcedony " + t(d.chalcedony.t_c()) + ", Na/K " + t(d.na_k.t_c()) + " " +
                     deg + "; least RMS ";
  line += r.min_rms ? fixed(*r.min_rms, 2) + " at " + t(r.t_min_rms_c) + " " + deg : "-";
  line += "; median SI zero at " + t(r.t_median_zero_c) + " " + deg;
  line += "; equilibrium " + t(r.t_equilibrium_median_c) + " " + deg;
  if (r.t_equilibrium_iqr_c) line += " (IQR " + fixed(*r.t_equilibrium_iqr_c, 1) + ")";
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

}  // namespace

int run_saturation(const saturation_request& req, std::ostream& out, std::ostream& err) {
  const auto say = [&err](const std::string& text) { err << "morva: " << text << '\n'; };
  std::ifstream in;
  const std::unique_ptr<sample_source> source = open_samples(req.samples, in, err);
  if (!source) return exit_usage;

  // The tables, created now with their header lines.
  const std::vector<std::string> table_columns = saturation_columns(req.minerals);
  const std::vector<std::string> summary_columns = saturation_summary_columns(req.minerals);
  std::ofstream table, summary;
  if (!req.table.empty()) {
    if (!replace_file(req.table, table, err)) return exit_usage;
    csv_table_writer header(table, table_columns);
  }
  if (!req.summary.empty()) {
    if (!replace_file(req.summary, summary, err)) return exit_usage;
    csv_table_writer header(summary, summary_columns);
  }
  if (!req.plots.empty()) {
    std::error_code e;
    std::filesystem::create_directories(req.plots, e);
    if (e) {
      say("cannot create folder " + req.plots);
      return exit_usage;
    }
  }
  number_memo numbers;
  std::vector<page_row> page_rows;
  std::vector<ternary_sample> ternary;
  std::vector<std::string> page_svgs;

  const int jobs = std::max(1, req.jobs);
  const bool pictures = !req.plots.empty() || !req.html.empty();
  const auto work = [&](saturation_item& item, int) {
    item.r = saturation(item.s, item.opt, req.grid, req.minerals);
    if (pictures) item.svg = saturation_svg(item.s, item.r);
  };
  int status = exit_done;
  long done = 0;
  const selection sel{req.options, &req.per_sample, &req.only};
  const auto emit = [&](saturation_item& item) {
    for (const std::string& note : item.notes) say(note);
    if (item.bad) status = exit_bad_input;
    if (!item.selected) return true;
    ++done;
    const sample_record& s = item.s;
    const saturation_result& r = item.r;
    const std::string id = table_text(s.number);
    out << summary_line(s, r) << '\n';
    if (r.calculation.refused) say(id + ": refused: " + refusal_message(*r.calculation.refused));

    const std::vector<row> rows = saturation_rows(s, r);
    if (table.is_open()) {
      std::string text;
      append_csv_rows(text, rows, table_columns.size(), numbers);
      table << text;
    }

    const reference_result& ref = r.calculation.reference;
    const derived_results& d = ref.state.derived;
    const bool ok = !r.calculation.refused;
    const row line = saturation_summary_row(s, item.opt, r, numbers);
    if (summary.is_open()) {
      std::string text;
      append_csv_rows(text, {line}, summary_columns.size(), numbers);
      summary << text;
    }

    if (!req.plots.empty() &&
        !write_file((std::filesystem::path(req.plots) / picture_name(s, done)).string(), item.svg,
                    err)) {
      return false;
    }
    if (!req.html.empty()) {
      page_row p;
      p.id = id;
      p.location = table_text(s.location);
      p.status = ok ? "calculated" : "refused: " + refusal_message(*r.calculation.refused);
      if (ok) {
        p.t_ref_origin = std::string(table_name(ref.t_origin));
        p.t_ref_c = ref.state.t_c();
        p.ph = ref.state.ph;
        p.quartz_c = d.quartz.t_c();
        p.chalcedony_c = d.chalcedony.t_c();
        p.nak_c = d.na_k.t_c();
        p.multicomponent_c = r.t_min_rms_c;
      }
      page_rows.push_back(std::move(p));
      ternary.push_back(ternary_of(s, r.calculation));
      page_svgs.push_back(std::move(item.svg));
    }
    if (!written(table, req.table, err) || !written(summary, req.summary, err)) return false;
    if (req.progress && done >= 300 && done % 100 == 0) {
      err << "\rmorva: " << done << " samples" << std::flush;
    }
    return true;
  };
  const bool whole = in_windows<saturation_item>(*source, sel, jobs, work, emit);
  if (req.progress && done >= 300) err << "\rmorva: " << done << " samples\n";
  // The page of the samples done, also after an interruption; every file closed whole.
  bool ok =
      whole && (req.html.empty() ||
                write_file(req.html,
                           html_page("Saturation curves of " + req.samples, page_rows,
                                     giggenbach_svg(ternary), cl_so4_hco3_svg(ternary), page_svgs),
                           err));
  ok = closed(table, req.table, err) && ok;
  ok = closed(summary, req.summary, err) && ok;
  if (!ok) return exit_usage;
  if (interrupt_status() != 0) return interrupt_status();
  return status;
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
