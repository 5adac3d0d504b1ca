// morva saturation: the saturation curves of the samples' aquifer fluids with their
// temperature estimates, as tables, pictures and one page; and morva diagram: the two ternary
// diagrams that classify geothermal waters, and the Na-K-Ca, Cl-Li-B, Schoeller, Piper and
// silica-enthalpy diagrams.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <set>
#include <sstream>

#include "batch/output_files.h"
#include "batch/progress.h"
#include "batch/sources.h"
#include "cli/batch.h"
#include "morva/calculate.h"
#include "morva/mineral_curves.h"
#include "morva/tables.h"
#include "morva/units.h"
#include "plots/plots.h"
#include "plots/svg.h"
#include "report/messages.h"
#include "result_tables/csv.h"
#include "result_tables/curve_tables.h"
#include "result_tables/result_tables.h"
#include "steam/saturation.h"
#include "text/encoding.h"
#include "text/format.h"
#include "text/sample_text.h"

namespace morva {

namespace {

/// The warning for an id that holds characters XML forbids.
constexpr const char* xml_replaced =
    "the id holds characters the pictures cannot hold (control characters, U+FFFE, U+FFFF); "
    "they are replaced there";

/// The analysis of a sample for the classification diagrams: Na, K, Mg, Cl and SO4 as
/// analysed, and HCO3 from the speciation of the sampled water at its pH temperature
/// (HCO3- and CO3-- counted as HCO3), mg/kg.
ternary_sample ternary_of(const sample_record& s, const sampled_water& w) {
  ternary_sample t;
  t.id = utf8_id(s);
  t.na_mgkg = s.water_mgkg[comp::na];
  t.k_mgkg = s.water_mgkg[comp::k];
  t.mg_mgkg = s.water_mgkg[comp::mg];
  t.cl_mgkg = s.water_mgkg[comp::cl];
  t.so4_mgkg = s.water_mgkg[comp::so4];
  t.hco3_mgkg = (w.m[sp::hco3] + w.m[sp::co3]) * species_weight[sp::hco3];
  // A corner whose component the analysis left out; HCO3 is the carbonate speciated at the
  // measured pH, so it needs both (or a carbonate alkalinity in place of the total).
  const auto missing = [&s](std::initializer_list<const char*> names) {
    std::string list;
    for (const char* n : names) {
      if (std::find(s.not_analysed.begin(), s.not_analysed.end(), n) == s.not_analysed.end())
        continue;
      if (std::string_view(n) == "CO2" && s.alkalinity_eq_kg) continue;
      list += (list.empty() ? "" : ", ") + std::string(n);
    }
    return list;
  };
  t.nakmg_missing = missing({"Na", "K", "Mg"});
  t.anions_missing = missing({"Cl", "SO4", "CO2", "pH"});
  return t;
}

/// The analysis of a sample for the diagrams of its major ions, boron, lithium and silica:
/// the sampled water w (its carbonate species at the measured pH) and, when r is given and
/// was calculated, its reservoir liquid at the reference state.
water_point water_of(const sample_record& s, const sampled_water& w, const sample_result* r) {
  water_point p;
  p.id = utf8_id(s);
  p.na_mgkg = s.water_mgkg[comp::na];
  p.k_mgkg = s.water_mgkg[comp::k];
  p.ca_mgkg = s.water_mgkg[comp::ca];
  p.mg_mgkg = s.water_mgkg[comp::mg];
  p.cl_mgkg = s.water_mgkg[comp::cl];
  p.so4_mgkg = s.water_mgkg[comp::so4];
  p.b_mgkg = s.water_mgkg[comp::b];
  p.sio2_mgkg = s.water_mgkg[comp::sio2];
  p.li_mgkg = s.li_mgkg;
  p.hco3_meq = 1000.0 * w.m[sp::hco3];
  p.co3_meq = 2000.0 * w.m[sp::co3];
  p.not_analysed = s.not_analysed;
  // A carbonate alkalinity stands for the total CO2 that the analysis leaves out.
  if (s.alkalinity_eq_kg) std::erase(p.not_analysed, std::string("CO2"));
  if (!s.li_mgkg) p.not_analysed.emplace_back("Li");
  const bool t_given = std::find(s.not_analysed.begin(), s.not_analysed.end(), "temperature") ==
                       s.not_analysed.end();
  if (s.enthalpy > 0.0) {
    p.h_sampled_kjkg = s.enthalpy;
  } else if (t_given && s.collection.t_c > 0.0) {
    p.h_sampled_kjkg = entwat(s.collection.t_c + zero_celsius_k);
  }
  if (r && !r->refused) {
    p.h_reservoir_kjkg = r->reference.href;
    p.sio2_reservoir_mgkg = r->reference.state.liquid_mgkg[comp::sio2];
  }
  return p;
}

/// The diagrams of more kinds, as the page shows them under the two triangles.
std::vector<std::string> more_diagrams(const std::vector<water_point>& waters) {
  return {nakca_svg(waters), cl_li_b_svg(waters), schoeller_svg(waters), piper_svg(waters),
          silica_enthalpy_svg(waters)};
}

/// One line on standard output per sample: the classical geothermometers beside the
/// multicomponent estimates.
std::string summary_line(const sample_record& s, const saturation_result& r) {
  const std::string id = utf8_id(s);
  if (r.calculation.refused) return id + ": refused: " + refusal_message(*r.calculation.refused);
  const reference_result& ref = r.calculation.reference;
  const derived_results& d = ref.state.derived;
  const std::string deg =
      "\xC2\xB0"
      "C";
  const auto t = [&](const std::optional<double>& x) { return x ? fixed_text(*x, 1) : "-"; };
  std::string line = id + ": Tref " + fixed_text(ref.state.t_c(), 1) + " " + deg + " (" +
                     std::string(table_name(ref.t_origin)) + "); quartz " + t(d.quartz.t_c()) +
                     ", chalcedony " + t(d.chalcedony.t_c()) + ", Na/K " + t(d.na_k.t_c()) + " " +
                     deg + "; least RMS ";
  line += r.min_rms ? fixed_text(*r.min_rms, 2) + " at " + t(r.t_min_rms_c) + " " + deg : "-";
  line += "; median SI zero at " + t(r.t_median_zero_c) + " " + deg;
  line += "; equilibrium " + t(r.t_equilibrium_median_c) + " " + deg;
  if (r.t_equilibrium_iqr_c) line += " (IQR " + fixed_text(*r.t_equilibrium_iqr_c, 1) + ")";
  line += "; estimate " + t(r.t_estimate_c) + " " + deg;
  if (r.t_estimate_low_c && r.t_estimate_high_c) {
    line += " (" + t(r.t_estimate_low_c) + " to " + t(r.t_estimate_high_c) + ")";
  }
  if (r.fitted_water_factor) line += "; water factor " + fixed_text(*r.fitted_water_factor, 3);
  if (r.fitted_co2_mol_kg) line += "; CO2 added " + fixed_text(*r.fitted_co2_mol_kg, 4) + " mol/kg";
  if (r.fix_al) {
    line += "; Al by " + mineral_column_name(*r.fix_al) + " " +
            (r.al_fixed_mg_kg ? fixed_text(*r.al_fixed_mg_kg, 3) + " mg/kg" : "-");
  }
  for (std::size_t i = 0; i < r.flags.size(); ++i)
    line += (i == 0 ? "; flags " : ", ") + r.flags[i];
  for (std::size_t i = 0; i < r.minerals_dropped.size(); ++i) {
    line += (i == 0 ? "; left out " : ", ") + mineral_column_name(r.minerals_dropped[i]);
  }
  return line;
}

/// A file name for a sample's picture: its id with anything but letters, digits, '-', '_'
/// and '.' replaced.
std::string picture_name(const sample_record& s, long n) {
  std::string name;
  for (char c : utf8_id(s)) {
    const auto u = static_cast<unsigned char>(c);
    name += std::isalnum(u) || c == '-' || c == '_' || c == '.' ? c : '_';
  }
  if (name.empty() || name.front() == '.') name = "sample-" + std::to_string(n) + name;
  return name + ".svg";
}

/// One sample's saturation curves and what is made of them.
struct saturation_item : sample_entry {
  saturation_result r;
  std::string svg;
  std::string map_svg;  ///< its misfit map, with --fit-map
  /// Bytes the entry holds once worked on: its curves and its pictures.
  std::size_t held_bytes() const {
    return sizeof(*this) + r.points.capacity() * sizeof(saturation_point) +
           r.equilibrium.capacity() * sizeof(mineral_equilibrium) + svg.capacity() +
           map_svg.capacity();
  }
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
        summary_columns_(summary_columns(req)) {}

  /// Opens the tables with their header lines, each into a temporary file beside its target,
  /// and makes the folder of the pictures (its parent was checked to exist). False, with a
  /// message, when one cannot be created.
  bool open() {
    if (!req_.table.empty()) {
      if (!table_.open(req_.table, err_)) return false;
      table_.put(csv_header(table_columns_));
    }
    if (!req_.summary.empty()) {
      if (!summary_.open(req_.summary, err_)) return false;
      summary_.put(csv_header(summary_columns_));
    }
    for (const std::string* folder : {&req_.plots, &req_.fit_maps}) {
      if (folder->empty()) continue;
      std::error_code e;
      std::filesystem::create_directory(*folder, e);
      if (e) {
        say("cannot create folder " + *folder);
        return false;
      }
    }
    // The pictures of the page wait on disk beside it until the table and the diagrams, which
    // come before them on the page, are known. A page that cannot be made is said at the end,
    // where the page would have been written.
    // A page sent to a device or a pipe has no folder to write beside it: its parts go to
    // the folder of temporary files.
    if (!req_.html.empty()) {
      namespace fs = std::filesystem;
      std::error_code e;
      const fs::file_status st = fs::status(req_.html, e);
      part_base_ = req_.html;
      if (fs::is_character_file(st) || fs::is_block_file(st) || fs::is_fifo(st) ||
          fs::is_socket(st)) {
        part_base_ =
            (fs::temp_directory_path(e) / ("morva-page-" + std::to_string(std::random_device{}())))
                .string();
      }
      figures_.open(figures_name(), std::ios::binary | std::ios::trunc);
    }
    return true;
  }

  /// True when each sample's picture is to be drawn.
  bool pictures() const { return !req_.plots.empty() || !req_.html.empty(); }

  /// Everything about one entry of the file, in file order; its picture is the count'th
  /// written. False when the run must stop (a file that cannot be written).
  bool write(saturation_item& item, long count) {
    const std::string trimmed = tally_.take(item);
    if (item.unreadable) return write_unreadable(item, trimmed);
    if (!item.selected) return true;
    const sample_record& s = item.s;
    const saturation_result& r = item.r;
    const std::string id = utf8_id(s);
    out_ << summary_line(s, r) << '\n';
    if (!standard_output_written(out_, err_)) return false;
    if (r.calculation.refused) say(id + ": refused: " + refusal_message(*r.calculation.refused));
    for (const std::string& w : flag_warnings(id, s, r.calculation)) say(w);
    if (pictures() && !xml_admits(utf8_id(s))) say(id + ": " + xml_replaced);
    std::string picture;
    if (!req_.plots.empty()) picture = unique_picture_name(s, count);
    if (table_.is_open()) {
      std::string text;
      append_csv_rows(text, saturation_rows(s, r), table_columns_.size(), numbers_, req_.texts);
      table_.put(text);
    }
    if (summary_.is_open()) {
      std::string text;
      row line = saturation_summary_row(s, item.opt, r, numbers_);
      if (!req_.plots.empty()) line.emplace_back(picture);
      append_csv_rows(text, {line}, summary_columns_.size(), numbers_, req_.texts);
      summary_.put(text);
    }
    if (!req_.plots.empty() &&
        !write_whole_file((std::filesystem::path(req_.plots) / picture).string(), item.svg, err_)) {
      return false;
    }
    if (!item.map_svg.empty()) {
      // The map is named as the sample's picture is, "-fit" before ".svg".
      std::string name = picture.empty() ? unique_picture_name(s, count) : picture;
      name.insert(name.size() - 4, "-fit");
      if (!write_whole_file((std::filesystem::path(req_.fit_maps) / name).string(), item.map_svg,
                            err_)) {
        return false;
      }
    }
    if (!req_.html.empty()) keep_for_page(item, picture);
    return table_.written(err_) && summary_.written(err_);
  }

  /// After a whole run, also an interrupted one, the page of the samples done is written and
  /// each table replaces its target whole; after a failed write they are dropped and the
  /// targets stay as they were. False, with a message, when one could not be written in full.
  bool close(bool whole) {
    if (!whole || (!req_.html.empty() && !write_page())) {
      if (!whole) drop_page();
      table_.discard();
      summary_.discard();
      return false;
    }
    bool ok = table_.commit(err_);
    return summary_.commit(err_) && ok;
  }

  /// exit_bad_input when an entry could not be read, else exit_done.
  int status() const { return tally_.status(); }

  /// After the last entry: says which ids of --only and of the options table the file does not
  /// hold, and, when --only selected no sample at all, that nothing was calculated (status 1).
  void end(const selection& sel) { tally_.end(sel, !req_.only.empty()); }

 private:
  void say(const std::string& text) { err_ << "morva: " << text << '\n'; }

  /// The file that holds the page's pictures until the page is written.
  std::string figures_name() const { return part_base_ + ".figures.part"; }

  /// Drops the pictures kept for a page that is not written.
  void drop_page() {
    if (req_.html.empty()) return;
    figures_.close();
    std::error_code e;
    std::filesystem::remove(figures_name(), e);
  }

  /// Writes the page whole (its start from the compact rows, then the pictures kept on disk,
  /// then its end) through a temporary file that replaces the page only when complete, so that
  /// a reader never sees a part of it. False, with a message, when it cannot be written.
  bool write_page() {
    const bool kept = figures_.is_open() && figures_.good();
    figures_.close();
    output_file page;
    bool ok = kept && page.open(req_.html, err_);
    if (ok) {
      page.put(html_page_start(
          "Saturation curves of " + req_.samples, page_rows_, giggenbach_svg(ternary_),
          cl_so4_hco3_svg(ternary_), ternary_,
          req_.more_diagrams ? more_diagrams(waters_) : std::vector<std::string>{}));
      std::ifstream figures(figures_name(), std::ios::binary);
      char buf[1 << 16];
      while (figures.read(buf, sizeof buf) || figures.gcount() > 0) {
        page.put(std::string_view(buf, static_cast<std::size_t>(figures.gcount())));
      }
      page.put(html_page_end());
      ok = !figures.bad() && page.commit(err_);
    } else if (!kept) {
      say("cannot write file " + req_.html);
    }
    std::error_code e;
    std::filesystem::remove(figures_name(), e);
    return ok;
  }

  /// The summary table's columns: a `picture` column last, naming each sample's picture, when
  /// the pictures are written.
  static std::vector<std::string> summary_columns(const saturation_request& req) {
    std::vector<std::string> columns = saturation_summary_columns(req.minerals);
    if (!req.plots.empty()) columns.emplace_back("picture");
    return columns;
  }

  /// The summary row and the page's line of a sample that could not be read, unless --only
  /// leaves it out.
  bool write_unreadable(const saturation_item& item, const std::string& id) {
    if (!req_.only.empty() && std::find(req_.only.begin(), req_.only.end(), id) == req_.only.end())
      return true;
    const std::string reason = table_text(*item.unreadable);
    if (summary_.is_open()) {
      row line(summary_columns_.size());
      line[0] = utf8_id(item.s);
      line[1] = utf8_location(item.s);
      line[2] = std::string("unreadable");
      line[3] = reason;
      std::string text;
      append_csv_rows(text, {line}, summary_columns_.size(), numbers_, req_.texts);
      summary_.put(text);
    }
    if (!req_.html.empty()) {
      page_row p;
      p.id = utf8_id(item.s);
      p.location = utf8_location(item.s);
      p.status = "unreadable: " + reason;
      page_rows_.push_back(std::move(p));
    }
    return summary_.written(err_);
  }

  /// The file name of the sample's picture, made unique within the run: ids that differ only
  /// in characters a file name cannot hold, or repeated ids, get "-2", "-3" before ".svg".
  std::string unique_picture_name(const sample_record& s, long count) {
    const std::string name = picture_name(s, count);
    const std::string stem = name.substr(0, name.size() - 4);
    std::string unique = name;
    for (int k = 2; !pictures_.insert(unique).second; ++k) {
      unique = stem + "-" + std::to_string(k) + ".svg";
    }
    return unique;
  }

  /// The sample's line of the page's table (naming its picture file, when the pictures are
  /// written too), its point in the diagrams and its picture.
  void keep_for_page(saturation_item& item, const std::string& picture) {
    const sample_record& s = item.s;
    const saturation_result& r = item.r;
    const reference_result& ref = r.calculation.reference;
    const derived_results& d = ref.state.derived;
    const bool ok = !r.calculation.refused;
    page_row p;
    p.id = utf8_id(s);
    p.location = utf8_location(s);
    p.status = ok ? "calculated" : "refused: " + refusal_message(*r.calculation.refused);
    if (ok) {
      p.t_ref_origin = std::string(table_name(ref.t_origin));
      p.t_ref_c = ref.state.t_c();
      p.ph = ref.state.ph;
      p.quartz_c = d.quartz.t_c();
      p.chalcedony_c = d.chalcedony.t_c();
      p.nak_c = d.na_k.t_c();
      p.multicomponent_c = r.t_estimate_c;
      p.multicomponent_low_c = r.t_estimate_low_c;
      p.multicomponent_high_c = r.t_estimate_high_c;
      p.multicomponent_flags = r.flags;
    }
    if (!picture.empty()) p.status += " (picture " + picture + ")";
    page_rows_.push_back(std::move(p));
    // A sample refused before its calculation has no sampled water in its result: its
    // classification needs only that.
    const sampled_water w = r.calculation.refused ? calculate_sampled(s).value_or(sampled_water{})
                                                  : r.calculation.sampled;
    ternary_.push_back(ternary_of(s, w));
    if (req_.more_diagrams) waters_.push_back(water_of(s, w, &r.calculation));
    if (figures_.is_open()) figures_ << html_page_figure(item.svg);
    std::string().swap(item.svg);
  }

  const saturation_request& req_;
  std::ostream& out_;
  std::ostream& err_;
  const std::vector<std::string> table_columns_;
  const std::vector<std::string> summary_columns_;
  output_file table_, summary_;
  std::set<std::string> pictures_;  // the picture file names given so far
  number_memo numbers_;
  std::vector<page_row> page_rows_;
  std::vector<ternary_sample> ternary_;
  std::vector<water_point> waters_;  // the same waters for the diagrams of more kinds
  std::ofstream figures_;
  std::string part_base_;  // the page's name, or a temporary one beside no device
  entry_tally tally_{req_.samples, err_};
};

}  // namespace

int run_saturation(const saturation_request& req, std::ostream& out, std::ostream& err) {
  std::ifstream in;
  const std::unique_ptr<sample_source> source = open_samples(req.samples, in, err, req.reading);
  if (!source) return exit_usage;
  curve_outputs files(req, out, err);
  if (!files.open()) return exit_usage;

  const int jobs = std::max(1, req.jobs);
  // What depends on the grid temperature alone, once for every sample and thread of the run.
  const saturation_terms terms(req.grid);
  const auto work = [&](saturation_item& item, int) {
    if (item.refuse) {
      item.r = saturation_result{};
      item.r.minerals = req.minerals;
      item.r.calculation.refused = item.refuse;
    } else {
      item.r = saturation_checked(item.s, item.opt, req.grid, req.minerals, req.choices, terms);
    }
    if (files.pictures()) item.svg = saturation_svg(item.s, item.r);
    if (!req.fit_maps.empty() && !item.r.calculation.refused) {
      item.map_svg = fit_map_svg(
          utf8_id(item.s),
          fit_map(item.s, item.opt, req.grid, req.choices, item.r, fit_map_factors, terms), item.r);
    }
  };
  progress_count progress(req.progress, err);
  const auto emit = [&](saturation_item& item) {
    if (!files.write(item, progress.done() + (item.selected ? 1 : 0))) return false;
    if (item.selected) progress.one_more();
    return true;
  };
  // An options row for an id the file holds twice cannot say which sample it means.
  const std::set<std::string> repeated =
      req.per_sample.empty() ? std::set<std::string>{} : repeated_ids(req.samples);
  const selection sel{req.options, &req.per_sample, &req.only, &repeated};
  const bool whole = in_windows<saturation_item>(*source, sel, jobs, work, emit);
  progress.end();
  if (whole && interrupt_status() == 0) files.end(sel);
  if (!files.close(whole)) return exit_usage;
  if (interrupt_status() != 0) return interrupt_status();
  return files.status();
}

int run_diagram(const diagram_request& req, std::ostream& err) {
  std::ifstream in;
  const std::unique_ptr<sample_source> source = open_samples(req.samples, in, err, req.reading);
  if (!source) return exit_usage;
  std::vector<ternary_sample> points;
  std::vector<water_point> waters;
  // Only the sampled water's speciation is needed, but for the silica-enthalpy diagram, which
  // places the reservoir liquid of the reference state.
  const bool reservoir = req.kind == "silica-enthalpy";
  run_options opt;
  opt.tref_type = req.tref;
  const int status = for_each_sample(*source, err, [&](const sample_record& s) {
    if (!xml_admits(utf8_id(s))) err << "morva: " << utf8_id(s) << ": " << xml_replaced << '\n';
    if (reservoir) {
      const sample_result r = calculate_checked(s, opt);
      const sampled_water w =
          r.refused ? calculate_sampled(s).value_or(sampled_water{}) : r.sampled;
      waters.push_back(water_of(s, w, &r));
      return;
    }
    const sampled_water w = calculate_sampled(s).value_or(sampled_water{});
    points.push_back(ternary_of(s, w));
    waters.push_back(water_of(s, w, nullptr));
  });
  std::optional<cold_water> cold;
  if (req.cold_water) cold = cold_water{req.cold_water->first, req.cold_water->second};
  const std::string svg = req.kind == "cl-so4-hco3"       ? cl_so4_hco3_svg(points)
                          : req.kind == "na-k-ca"         ? nakca_svg(waters)
                          : req.kind == "cl-li-b"         ? cl_li_b_svg(waters)
                          : req.kind == "schoeller"       ? schoeller_svg(waters)
                          : req.kind == "piper"           ? piper_svg(waters)
                          : req.kind == "silica-enthalpy" ? silica_enthalpy_svg(waters, cold)
                                                          : giggenbach_svg(points);
  return write_whole_file(req.out, svg, err) ? status : exit_usage;
}

}  // namespace morva
