// The saturation picture of one sample: log(Q/K) of each chosen mineral against temperature,
// and below it the RMS and median of the indices on the same temperature axis.

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "chemdata/names.h"
#include "chemdata/units.h"
#include "plots/labels.h"
#include "plots/plots.h"
#include "plots/svg.h"
#include "text/encoding.h"
#include "text/sample_text.h"

namespace morva {
namespace {

// Thirteen colours that stay apart on white paper and, mostly, to colour-blind eyes: the
// Okabe-Ito set without its yellow, then the darker of Paul Tol's muted colours, a brown and
// a grey. The default assemblage has thirteen minerals: no two of its curves share a colour.
constexpr const char* colours[] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7", "#E69F00",
                                   "#56B4E9", "#000000", "#332288", "#999933", "#882255",
                                   "#44AA99", "#8C510A", "#888888"};
// Dash patterns, px. Their count (5) is prime to that of the colours (13): no two of the
// first 65 curves share both, and neighbours in the list differ in dashes, which alone tell
// them apart in grey print.
constexpr const char* dashes[] = {"none", "9 4", "2 3", "10 3 2 3", "5 2 1.5 2 1.5 2"};
constexpr int n_colours = 13;
constexpr int n_dashes = 5;

// Picture layout, px: 800 wide, the labels of the curves in the right margin, the classical
// geothermometers' labels above the main frame, and the lines saying what was drawn below the
// temperature axis.
constexpr double width = 800.0;
constexpr double left = 72.0;
constexpr double right = 664.0;
constexpr double main_top = 84.0;
constexpr double main_bottom = 440.0;
constexpr double stats_top = 464.0;
constexpr double stats_bottom = 564.0;
constexpr double axis_title_y = 602.0;
constexpr double caption_top = 626.0;
constexpr double caption_step = 15.0;
constexpr double caption_left = 20.0;
// Saturation indices beyond this are outside the plot: the curves run off its edge, so that
// the minerals near equilibrium keep the room.
constexpr double si_limit = 10.0;

/// A plot area: data ranges x0..x1, y0..y1 mapped onto px left..right, bottom..top.
struct frame {
  double l, r, t, b;
  double x0, x1, y0, y1;
  double x(double v) const { return l + (v - x0) / (x1 - x0) * (r - l); }
  /// Values far beyond the range are held a few plot heights out: a line towards them leaves
  /// the plot at the right place, and the numbers stay short.
  double y(double v) const {
    const double span = y1 - y0;
    v = std::clamp(v, y0 - 20.0 * span, y1 + 20.0 * span);
    return b - (v - y0) / span * (b - t);
  }
};

/// Tick values at a round step (1, 2, 2.5 or 5 times a power of ten) giving about n ticks
/// over lo..hi, and the decimals their labels need.
struct ticks {
  double step = 1.0;
  int decimals = 0;
  std::vector<double> at;
};

ticks nice_ticks(double lo, double hi, int n) {
  const double raw = (hi - lo) / n;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  ticks tk;
  tk.step = 10.0 * p;
  for (const double f : {1.0, 2.0, 2.5, 5.0}) {
    if (f * p >= raw) {
      tk.step = f * p;
      break;
    }
  }
  const double exponent = std::floor(std::log10(tk.step) + 1e-9);
  tk.decimals = std::max(0, static_cast<int>(-exponent) + (tk.step / p == 2.5 ? 1 : 0));
  for (double v = std::ceil(lo / tk.step - 1e-9) * tk.step; v <= hi + 1e-9 * tk.step;
       v += tk.step) {
    tk.at.push_back(std::abs(v) < 1e-9 * tk.step ? 0.0 : v);
  }
  return tk;
}

/// The range lo..hi widened to whole steps of its ticks.
void widen_to_ticks(double& lo, double& hi, int n) {
  const ticks tk = nice_ticks(lo, hi, n);
  lo = std::floor(lo / tk.step + 1e-9) * tk.step;
  hi = std::ceil(hi / tk.step - 1e-9) * tk.step;
}

/// Positions (px) for labels that want the heights `want`, moved apart to at least gap
/// (less when they do not fit) within top..bottom, in the order of their wishes.
std::vector<double> spread(const std::vector<double>& want, double gap, double top, double bottom) {
  const std::size_t n = want.size();
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return want[a] < want[b]; });
  if (n > 1) gap = std::min(gap, (bottom - top) / static_cast<double>(n - 1));
  std::vector<double> y(n);
  double prev = top - gap;
  for (const std::size_t i : order)
    prev = y[i] = std::max(std::clamp(want[i], top, bottom), prev + gap);
  double next = bottom + gap;
  for (auto it = order.rbegin(); it != order.rend(); ++it)
    next = y[*it] = std::min(y[*it], next - gap);
  return y;
}

/// A temperature as the picture writes it, whole degrees.
std::string degrees(double t_c) { return label_number(t_c, 0) + " \u00B0C"; }

/// The sample's number and location at the top of a picture.
void title(xml_writer& x, const sample_record& s) {
  x.text("text",
         {{"x", left}, {"y", 24}, {"font-size", "16"}, {"font-weight", "bold"}, {"class", "title"}},
         utf8_id(s));
  x.text("text", {{"x", left}, {"y", 42}, {"fill", "#444"}, {"class", "location"}},
         utf8_location(s));
}

/// A small picture holding only the title and one line of text.
std::string note_svg(const sample_record& s, const std::string& note) {
  xml_writer x;
  open_svg(x, width, 80);
  title(x, s);
  x.text("text", {{"x", left}, {"y", 66}, {"fill", "#A01010"}, {"class", "note"}}, note);
  return x.str();
}

/// Axes of frame f: the box, grid lines and ticks at xt and yt, tick labels on the y axis
/// and, when x_labels, on the x axis, and the y axis title.
void axes(xml_writer& x, const frame& f, const ticks& xt, const ticks& yt, bool x_labels,
          const std::string& y_title) {
  x.open("g", {{"class", "axes"}, {"stroke", "#D0D0D0"}, {"stroke-width", "1"}});
  for (const double v : xt.at)
    x.leaf("line", {{"x1", f.x(v)}, {"x2", f.x(v)}, {"y1", f.t}, {"y2", f.b}});
  for (const double v : yt.at)
    x.leaf("line", {{"x1", f.l}, {"x2", f.r}, {"y1", f.y(v)}, {"y2", f.y(v)}});
  x.close();
  x.leaf("rect", {{"x", f.l},
                  {"y", f.t},
                  {"width", f.r - f.l},
                  {"height", f.b - f.t},
                  {"fill", "none"},
                  {"stroke", "#333"}});
  x.open("g", {{"class", "ticks"}, {"stroke", "#333"}});
  for (const double v : xt.at)
    x.leaf("line", {{"x1", f.x(v)}, {"x2", f.x(v)}, {"y1", f.b}, {"y2", f.b + 5}});
  for (const double v : yt.at)
    x.leaf("line", {{"x1", f.l - 5}, {"x2", f.l}, {"y1", f.y(v)}, {"y2", f.y(v)}});
  x.close();
  x.open("g", {{"class", "tick-labels"}, {"fill", "#222"}});
  if (x_labels) {
    for (const double v : xt.at) {
      x.text("text", {{"x", f.x(v)}, {"y", f.b + 19}, {"text-anchor", "middle"}},
             label_number(v, xt.decimals));
    }
  }
  for (const double v : yt.at) {
    x.text("text", {{"x", f.l - 8}, {"y", f.y(v) + 4}, {"text-anchor", "end"}},
           label_number(v, yt.decimals));
  }
  x.close();
  const double ym = (f.t + f.b) / 2;
  x.text("text",
         {{"x", 20},
          {"y", ym},
          {"text-anchor", "middle"},
          {"class", "axis-title"},
          {"transform", "rotate(-90 20 " + svg_number(ym) + ")"}},
         y_title);
}

/// Opens a nested viewport over frame f in the picture's own coordinates: what is drawn
/// inside is cut off at the frame's edges (no clip path, whose id could clash on the page).
void open_clip(xml_writer& x, const frame& f) {
  const double w = f.r - f.l;
  const double h = f.b - f.t;
  x.open("svg", {{"x", f.l},
                 {"y", f.t},
                 {"width", w},
                 {"height", h},
                 {"viewBox", svg_number(f.l) + ' ' + svg_number(f.t) + ' ' + svg_number(w) + ' ' +
                                 svg_number(h)},
                 {"overflow", "hidden"}});
}

/// One curve through the solved points: a value that cannot be formed (empty or not
/// finite) breaks it into pieces, each a run of points, px. The end is the last point drawn.
struct curve {
  path_data d;
  std::vector<std::vector<px_point>> pieces;
  std::optional<double> end_x, end_y;
};

template <class Value>
curve trace(const frame& f, const std::vector<saturation_point>& points, Value value) {
  curve c;
  bool pen = false;
  for (const saturation_point& p : points) {
    if (!p.solved) continue;
    const std::optional<double> v = value(p);
    if (!v || !std::isfinite(*v)) {
      pen = false;
      continue;
    }
    const double px = f.x(p.t_c);
    const double py = f.y(*v);
    pen ? c.d.line(px, py) : c.d.move(px, py);
    if (!pen) c.pieces.emplace_back();
    c.pieces.back().push_back({px, py});
    pen = true;
    c.end_x = px;
    c.end_y = py;
  }
  return c;
}

/// A place where a curve passes the top or bottom edge of a frame: x, px, and whether the
/// curve lies beyond the top (above) or the bottom there.
struct edge_pass {
  double x;
  bool above;
};

/// Where curve c passes the top or bottom edge of frame f, in the order of its points; a
/// curve drawn wholly beyond an edge passes it at its last point.
std::vector<edge_pass> edge_passes(const frame& f, const curve& c) {
  std::vector<edge_pass> out;
  bool inside = false;
  for (const std::vector<px_point>& piece : c.pieces) {
    for (std::size_t i = 0; i < piece.size(); ++i) {
      const px_point& q = piece[i];
      inside = inside || (q.y >= f.t && q.y <= f.b);
      if (i == 0) continue;
      const px_point& p = piece[i - 1];
      for (const bool above : {true, false}) {
        const double edge = above ? f.t : f.b;
        const bool p_in = above ? p.y >= edge : p.y <= edge;
        const bool q_in = above ? q.y >= edge : q.y <= edge;
        if (p_in == q_in) continue;
        out.push_back({p.x + (edge - p.y) / (q.y - p.y) * (q.x - p.x), above});
      }
    }
  }
  if (!inside && out.empty() && c.end_x && c.end_y) out.push_back({*c.end_x, *c.end_y < f.t});
  return out;
}

/// How a curve is drawn: its colour and dash pattern.
struct look {
  const char* colour;
  const char* dash;
};

/// A small arrowhead of the curve's colour at e.x on the top (above) or bottom edge of frame f,
/// inside the frame, its tip on the edge: the curve goes on beyond the frame there.
void off_frame_arrow(xml_writer& x, const frame& f, const edge_pass& e, const char* colour) {
  const double tip = e.above ? f.t : f.b;
  const double base = e.above ? f.t + 7 : f.b - 7;
  x.leaf("path",
         {{"d", path_data{}.move(e.x - 4, base).line(e.x, tip).line(e.x + 4, base).close().str()},
          {"fill", colour},
          {"stroke", "white"},
          {"stroke-width", "0.6"},
          {"class", "off-frame"}});
}

/// A curve's name at the right of its frame, after a short piece of line drawn as the curve
/// (the cue that survives grey print), joined to (from_x, from_y), the curve's end or the
/// place it leaves the frame, by a thin leader.
void end_label(xml_writer& x, const frame& f, double from_x, double from_y, double label_y,
               const look& lk, const std::string& name) {
  const double yl = std::clamp(from_y, f.t, f.b);
  x.leaf("path", {{"d", path_data{}.move(from_x, yl).line(f.r + 4, label_y).str()},
                  {"fill", "none"},
                  {"stroke", lk.colour},
                  {"stroke-width", "0.8"}});
  x.leaf("line", {{"x1", f.r + 4},
                  {"x2", f.r + 28},
                  {"y1", label_y},
                  {"y2", label_y},
                  {"stroke", lk.colour},
                  {"stroke-width", "2"},
                  {"stroke-dasharray", lk.dash}});
  x.text("text", {{"x", f.r + 32}, {"y", label_y + 4}, {"fill", "#111"}, {"class", "label"}}, name);
}

/// Width, px, that a UTF-8 text takes in the house font at size px: about 0.6 em a character
/// (0.66 em bold), a little more than the average so that boxes err on the wide side.
double text_width(const std::string& utf8, double size, bool bold = false) {
  const auto chars = std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  });
  return static_cast<double>(chars) * size * (bold ? 0.66 : 0.6);
}

/// The box of a text of width w (px) at baseline y, anchored at x as anchor says, size px.
px_box text_box(double x, double y, double w, double size, text_anchor anchor) {
  const double x0 = anchor == text_anchor::start ? x
                    : anchor == text_anchor::end ? x - w
                                                 : x - w / 2;
  return {x0, y - 0.8 * size, x0 + w, y + 0.25 * size};
}

/// A place for a text: its baseline position, px, and how it is anchored there.
struct beside_line {
  double x, y;
  text_anchor anchor;
};

/// Candidate places for a text beside a vertical line at x_line (px) in frame f: to its
/// right, then its left, at baselines stepping 14 px from y_first (always tried) downwards
/// or upwards while they stay inside the frame.
std::vector<beside_line> beside(const frame& f, double x_line, double y_first, bool downwards) {
  std::vector<beside_line> out;
  for (double y = y_first; out.empty() || (y > f.t + 8 && y < f.b - 2);
       y += downwards ? 14.0 : -14.0) {
    out.push_back({x_line + 5, y, text_anchor::start});
    out.push_back({x_line - 5, y, text_anchor::end});
  }
  return out;
}

/// The first of the places `at` (not empty) where field finds a text of width w (px, size
/// 12) clear of its lines and boxes, or the one that meets the fewest; field takes its box.
beside_line place_text(label_field& field, const std::vector<beside_line>& at, double w) {
  std::vector<px_box> boxes;
  for (const beside_line& b : at) boxes.push_back(text_box(b.x, b.y, w, 12, b.anchor));
  return at[field.choose(boxes).value_or(0)];
}

/// How the reference temperature was chosen, as the picture's caption says it.
const char* origin_name(reference_temperature t) {
  switch (t) {
    case reference_temperature::measured:
      return "measured";
    case reference_temperature::arbitrary:
      return "typed";
    case reference_temperature::chalcedony:
      return "chalcedony";
    case reference_temperature::quartz:
      return "quartz";
    case reference_temperature::na_k:
      return "Na/K";
  }
  return "";
}

/// A temperature with one decimal, as the summary line writes it.
std::string degrees_1(double t_c) { return table_number(t_c, 1) + " \u00B0C"; }

/// The line saying which fluid the curves follow: the aquifer liquid at the reference
/// temperature, after the correction of a boiling spring, cooled (or heated) conductively.
std::string reference_line(const reference_result& ref) {
  std::string line = "Reference state: aquifer liquid at Tref " + degrees_1(ref.state.t_c()) +
                     " (" + origin_name(ref.t_origin) +
                     (ref.quartz_capped ? ", held at the quartz geothermometer's cap" : "") + ")";
  if (ref.tb) {
    line += ", with the steam the spring lost boiling at " + degrees_1(celsius(*ref.tb)) +
            " before sampling added back";
  }
  return line + "; cooled conductively to each temperature (heated above Tref).";
}

/// The line saying which form of the saturation indices the lower panel and the estimate use.
std::string form_line(si_form f) {
  return f == si_form::ions
             ? "Lower panel and estimate: log(Q/K) of each mineral divided by the number of "
               "aqueous species of its reaction (normalised by ions)."
             : "Lower panel and estimate: log(Q/K) as it stands (not normalised).";
}

/// What a flag of the estimate means, in a few words.
std::string flag_meaning(const std::string& flag) {
  if (flag == "edge") return "edge (least RMS at an end of the grid)";
  if (flag == "no_crossing") return "no_crossing (the median index never crosses zero)";
  if (flag == "few_minerals") {
    return "few_minerals (fewer than " + std::to_string(estimate_min_minerals) +
           " minerals with an index)";
  }
  if (flag == "ion_balance") return "ion_balance (sampled water beyond \u00B110 %)";
  if (flag == "acid") return "acid (reference pH below " + label_number(estimate_acid_ph, 1) + ")";
  if (flag == "fit_at_bound") return "fit_at_bound (a fitted value at a bound of its search)";
  return flag;
}

/// The line saying how the liquid of the curves differs from the aquifer liquid: the fitted
/// water factor on its non-volatile totals and the CO2 added back (mol/kg), and the mineral
/// whose saturation sets its Al at each temperature (with the Al, mg/kg, at the estimate).
/// Empty when the curves are of the aquifer liquid as it is.
std::string adjusted_line(const saturation_result& r) {
  std::string line;
  if (r.fitted_water_factor) {
    line += "non-volatile totals \u00D7 " + table_number(*r.fitted_water_factor, 3);
    if (*r.fitted_water_factor < 1.0) line += " (steam loss undone)";
    if (*r.fitted_water_factor > 1.0) line += " (dilution undone)";
  }
  if (r.fitted_co2_mol_kg) {
    if (!line.empty()) line += ", ";
    line += "CO2 added " + table_number(*r.fitted_co2_mol_kg, 4) + " mol/kg";
  }
  if (!line.empty()) line = "Curves of the fitted liquid: " + line + ".";
  if (r.fix_al) {
    if (!line.empty()) line += " ";
    line += "Al set at each temperature by " +
            mineral_names()[static_cast<std::size_t>(*r.fix_al - 1)] + " at saturation";
    if (r.al_fixed_mg_kg)
      line += " (" + table_number(*r.al_fixed_mg_kg, 3) + " mg/kg at the estimate)";
    line += "; its curve is 0 and out of the statistics.";
  }
  return line;
}

/// One line under the picture: its class and its text.
struct caption {
  std::string cls, text;
};

/// The captions broken at blanks into lines that fit the width of the picture, each piece
/// keeping its caption's class.
std::vector<caption> wrap(const std::vector<caption>& captions) {
  // Running text averages about 0.53 em a character (blanks and narrow letters), less than
  // the 0.6 em text_width allows a label.
  const double room = (width - caption_left - 8) * 0.6 / 0.53;
  std::vector<caption> out;
  for (const caption& c : captions) {
    std::string rest = c.text;
    while (text_width(rest, 11) > room) {
      std::size_t cut = rest.rfind(' ');
      while (cut != std::string::npos && cut > 0 && text_width(rest.substr(0, cut), 11) > room)
        cut = rest.rfind(' ', cut - 1);
      if (cut == std::string::npos || cut == 0) break;
      out.push_back({c.cls, rest.substr(0, cut)});
      rest = rest.substr(cut + 1);
    }
    out.push_back({c.cls, rest});
  }
  return out;
}

/// A classical geothermometer's temperature for the top axis: its short name and °C.
struct classical_mark {
  const char* name;
  std::optional<double> t_c;
};

}  // namespace

std::string saturation_svg(const sample_record& s, const saturation_result& r) {
  if (r.calculation.refused) {
    return note_svg(s, "refused: " + refusal_message(*r.calculation.refused));
  }
  // Temperature range of the solved points, and the range of their indices.
  std::optional<double> t_lo, t_hi, si_lo, si_hi, st_lo, st_hi;
  auto grow = [](std::optional<double>& lo, std::optional<double>& hi, std::optional<double> v) {
    if (!v || !std::isfinite(*v)) return;
    lo = lo ? std::min(*lo, *v) : *v;
    hi = hi ? std::max(*hi, *v) : *v;
  };
  for (const saturation_point& p : r.points) {
    if (!p.solved) continue;
    grow(t_lo, t_hi, p.t_c);
    for (const int j : r.minerals) grow(si_lo, si_hi, p.si[j]);
    grow(st_lo, st_hi, p.stats.rms);
    grow(st_lo, st_hi, p.stats.median);
  }
  if (!t_lo) return note_svg(s, "no temperature of the grid could be calculated");

  frame fm{left, right, main_top, main_bottom, *t_lo, *t_hi, -1.0, 1.0};
  if (fm.x1 - fm.x0 < 1.0) {
    fm.x0 -= 5.0;
    fm.x1 += 5.0;
  }
  if (si_lo) {
    fm.y0 = std::clamp(std::min(*si_lo, -1.0), -si_limit, -1.0);
    fm.y1 = std::clamp(std::max(*si_hi, 1.0), 1.0, si_limit);
  }
  widen_to_ticks(fm.y0, fm.y1, 8);
  // The statistics panel shows the trough of the RMS: up to a few times its least value.
  frame fs{left, right, stats_top, stats_bottom, fm.x0, fm.x1, 0.0, 1.0};
  if (st_lo) {
    const double top = std::max(5.0, 3.0 * r.min_rms.value_or(0.0));
    fs.y1 = std::clamp(*st_hi, 0.5, std::min(top, si_limit));
    fs.y0 = std::clamp(*st_lo, -fs.y1, 0.0);
  }
  widen_to_ticks(fs.y0, fs.y1, 3);
  const ticks xt = nice_ticks(fm.x0, fm.x1, 8);
  const auto on_axis = [&](const std::optional<double>& t) {
    return t && std::isfinite(*t) && *t >= fm.x0 && *t <= fm.x1;
  };

  // The lines under the picture: the reference state, the form of the indices, the flags,
  // and what could not be drawn.
  const reference_result& ref = r.calculation.reference;
  const derived_results& d = ref.state.derived;
  const classical_mark classical[] = {
      {"quartz", d.quartz.t_c()}, {"chalcedony", d.chalcedony.t_c()}, {"Na/K", d.na_k.t_c()}};
  const std::vector<std::string>& names = mineral_names();
  std::vector<caption> captions{{"reference-state", reference_line(ref)},
                                {"si-form", form_line(r.normalise)}};
  if (const std::string adjusted = adjusted_line(r); !adjusted.empty())
    captions.push_back({"adjusted", adjusted});
  if (!r.flags.empty()) {
    std::string text = r.t_estimate_c ? "Flags of the estimate: " : "No estimate; flags: ";
    for (std::size_t i = 0; i < r.flags.size(); ++i)
      text += (i == 0 ? "" : ", ") + flag_meaning(r.flags[i]);
    captions.push_back({"flags", text + "."});
  }
  std::string off_axis;
  for (const classical_mark& c : classical) {
    if (c.t_c && std::isfinite(*c.t_c) && !on_axis(c.t_c)) {
      off_axis += (off_axis.empty() ? "" : ", ") + std::string(c.name) + " " + degrees_1(*c.t_c);
    }
  }
  if (!off_axis.empty()) captions.push_back({"gt-note", "Beyond the axis: " + off_axis + "."});
  std::vector<curve> curves;
  std::vector<std::string> without;
  for (const int j : r.minerals) {
    curves.push_back(trace(fm, r.points, [j](const saturation_point& p) { return p.si[j]; }));
    if (curves.back().d.empty()) without.push_back(names[static_cast<std::size_t>(j - 1)]);
  }
  if (!without.empty()) {
    std::string list;
    for (const std::string& n : without) list += (list.empty() ? "" : ", ") + n;
    captions.push_back({"note", "no saturation index: " + list});
  }
  captions = wrap(captions);
  const double height = caption_top + caption_step * static_cast<double>(captions.size()) - 4;

  xml_writer x;
  open_svg(x, width, height);
  x.leaf("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "white"}});
  title(x, s);

  // Equilibrium within the usual uncertainty of a saturation index: the band, then zero.
  x.leaf("rect", {{"x", fm.l},
                  {"y", fm.y(0.5)},
                  {"width", fm.r - fm.l},
                  {"height", fm.y(-0.5) - fm.y(0.5)},
                  {"fill", "#E4E4E4"},
                  {"class", "band"}});
  // The range of the estimate with one mineral left out at a time, over both panels.
  const bool estimate = on_axis(r.t_estimate_c);
  if (estimate && on_axis(r.t_estimate_low_c) && on_axis(r.t_estimate_high_c)) {
    for (const frame* f : {&fm, &fs}) {
      x.leaf("rect", {{"x", f->x(*r.t_estimate_low_c)},
                      {"y", f->t},
                      {"width", f->x(*r.t_estimate_high_c) - f->x(*r.t_estimate_low_c)},
                      {"height", f->b - f->t},
                      {"fill", "#0072B2"},
                      {"fill-opacity", "0.14"},
                      {"class", "estimate-range"}});
    }
  }
  axes(x, fm, xt, nice_ticks(fm.y0, fm.y1, 8), false, "saturation index log(Q/K)");
  axes(x, fs, xt, nice_ticks(fs.y0, fs.y1, 3), true, "RMS, median");
  x.text("text",
         {{"x", (left + right) / 2},
          {"y", axis_title_y},
          {"text-anchor", "middle"},
          {"class", "axis-title"}},
         "temperature (\u00B0C)");
  for (const frame* f : {&fm, &fs}) {
    x.leaf("line", {{"x1", f->l},
                    {"x2", f->r},
                    {"y1", f->y(0)},
                    {"y2", f->y(0)},
                    {"stroke", "#000"},
                    {"stroke-width", "1.2"},
                    {"class", "zero-line"}});
  }

  // The classical geothermometers of the aquifer liquid as ticks on the top axis, their
  // labels moved apart sideways where they would touch, each joined to its tick.
  {
    std::vector<double> tx, w;
    std::vector<std::string> text;
    for (const classical_mark& c : classical) {
      if (!on_axis(c.t_c)) continue;
      tx.push_back(fm.x(*c.t_c));
      text.push_back(std::string(c.name) + " " + label_number(*c.t_c, 0));
      w.push_back(text_width(text.back(), 11));
    }
    const std::vector<double> lx = spread_spans(tx, w, 6.0, fm.l - 40, width - 8);
    x.open("g", {{"class", "gt-ticks"}, {"fill", "#333"}, {"font-size", "11"}});
    for (std::size_t i = 0; i < tx.size(); ++i) {
      x.leaf(
          "path",
          {{"d", path_data{}.move(tx[i], fm.t).line(tx[i], fm.t - 6).line(lx[i], fm.t - 12).str()},
           {"fill", "none"},
           {"stroke", "#333"},
           {"stroke-width", "1.2"},
           {"class", "gt-tick"}});
      x.text("text",
             {{"x", lx[i]}, {"y", fm.t - 15}, {"text-anchor", "middle"}, {"class", "gt-label"}},
             text[i]);
    }
    x.close();
  }

  // Reference temperature of the calculation, where the curves start from.
  const double t_ref_c = ref.state.t_c();
  if (t_ref_c >= fm.x0 && t_ref_c <= fm.x1) {
    const double xr = fm.x(t_ref_c);
    x.leaf("line", {{"x1", xr},
                    {"x2", xr},
                    {"y1", fm.t},
                    {"y2", fm.b},
                    {"stroke", "#666"},
                    {"stroke-dasharray", "1 3"},
                    {"class", "t-ref"}});
  }

  // The mineral curves, cut off at the frame, an arrow where each leaves it.
  open_clip(x, fm);
  x.open("g", {{"fill", "none"}, {"stroke-width", "1.8"}, {"stroke-linejoin", "round"}});
  for (std::size_t i = 0; i < curves.size(); ++i) {
    if (curves[i].d.empty()) continue;
    x.leaf("path", {{"d", curves[i].d.str()},
                    {"stroke", colours[i % n_colours]},
                    {"stroke-dasharray", dashes[i % n_dashes]},
                    {"class", "si-curve"}});
  }
  x.close().close();
  label_field field({fm.l, fm.t, fm.r, fm.b});
  for (const curve& c : curves) {
    for (const std::vector<px_point>& piece : c.pieces) field.add_line(piece);
  }
  std::vector<double> want;
  std::vector<px_point> from;
  std::vector<std::size_t> labelled;
  for (std::size_t i = 0; i < curves.size(); ++i) {
    if (!curves[i].end_y) continue;
    const std::vector<edge_pass> passes = edge_passes(fm, curves[i]);
    for (const edge_pass& e : passes) {
      off_frame_arrow(x, fm, e, colours[i % n_colours]);
      field.take({e.x - 5, e.above ? fm.t : fm.b - 8, e.x + 5, e.above ? fm.t + 8 : fm.b});
    }
    // A curve that ends beyond the frame is named from the place it last leaves it.
    px_point p{*curves[i].end_x, *curves[i].end_y};
    if ((p.y < fm.t || p.y > fm.b) && !passes.empty()) {
      p = {passes.back().x, passes.back().above ? fm.t : fm.b};
    }
    want.push_back(std::clamp(p.y, fm.t, fm.b));
    from.push_back(p);
    labelled.push_back(i);
  }
  const std::vector<double> at = spread(want, 14.0, fm.t + 4, fm.b - 4);
  for (std::size_t k = 0; k < labelled.size(); ++k) {
    const std::size_t i = labelled[k];
    end_label(x, fm, from[k].x, from[k].y, at[k], {colours[i % n_colours], dashes[i % n_dashes]},
              names[static_cast<std::size_t>(r.minerals[i] - 1)]);
  }

  // RMS and median of the indices.
  constexpr look stat_rms{"#000", "none"};
  constexpr look stat_median{colours[0], dashes[1]};
  const curve rms = trace(fs, r.points, [](const saturation_point& p) { return p.stats.rms; });
  const curve median =
      trace(fs, r.points, [](const saturation_point& p) { return p.stats.median; });
  open_clip(x, fs);
  x.leaf("path", {{"d", rms.d.str()},
                  {"fill", "none"},
                  {"stroke", stat_rms.colour},
                  {"stroke-width", "1.8"},
                  {"stroke-dasharray", stat_rms.dash},
                  {"class", "rms"}});
  x.leaf("path", {{"d", median.d.str()},
                  {"fill", "none"},
                  {"stroke", stat_median.colour},
                  {"stroke-width", "1.8"},
                  {"stroke-dasharray", stat_median.dash},
                  {"class", "median"}});
  x.close();
  std::vector<double> stat_want;
  for (const curve* c : {&rms, &median}) stat_want.push_back(c->end_y.value_or(fs.b));
  const std::vector<double> stat_at = spread(stat_want, 14.0, fs.t + 4, fs.b - 4);
  if (rms.end_y) end_label(x, fs, *rms.end_x, *rms.end_y, stat_at[0], stat_rms, "RMS");
  if (median.end_y) {
    end_label(x, fs, *median.end_x, *median.end_y, stat_at[1], stat_median, "median");
  }

  // The estimate, or without one the temperature at which the indices gather closest about
  // zero, its label placed near the top of the frame clear of the curves.
  const std::optional<double> t_mark = estimate ? r.t_estimate_c : r.t_min_rms_c;
  if (on_axis(t_mark)) {
    const char* cls = estimate ? "estimate" : "min-rms";
    const double xm = fm.x(*t_mark);
    x.leaf("line", {{"x1", xm},
                    {"x2", xm},
                    {"y1", fm.t},
                    {"y2", fs.b},
                    {"stroke", "#000"},
                    {"stroke-width", "1.2"},
                    {"stroke-dasharray", "6 3"},
                    {"class", cls}});
    std::string text =
        estimate ? "estimate " + degrees(*t_mark) : "T(min RMS) = " + degrees(*t_mark);
    if (estimate && r.t_estimate_low_c && r.t_estimate_high_c) {
      text += " (" + label_number(*r.t_estimate_low_c, 0) + " to " +
              label_number(*r.t_estimate_high_c, 0) + ")";
    }
    const std::optional<double> rms_min = estimate ? r.rms_at_estimate : r.min_rms;
    if (rms_min && std::isfinite(*rms_min)) {
      text += ", RMS = " + label_number(*rms_min, 2);
      x.leaf("circle", {{"cx", xm}, {"cy", fs.y(*rms_min)}, {"r", 3.5}, {"fill", "#000"}});
    }
    field.add_line({{xm, fm.t}, {xm, fm.b}});
    const beside_line b =
        place_text(field, beside(fm, xm, fm.t + 15, true), text_width(text, 12, true));
    x.text("text",
           {{"x", b.x},
            {"y", b.y},
            {"text-anchor", anchor_name(b.anchor)},
            {"font-weight", "bold"},
            {"paint-order", "stroke"},
            {"stroke", "white"},
            {"stroke-width", "4"},
            {"class", cls}},
           text);
  }

  // The reference temperature's label, beside its line clear of the curves.
  if (t_ref_c >= fm.x0 && t_ref_c <= fm.x1) {
    const double xr = fm.x(t_ref_c);
    field.add_line({{xr, fm.t}, {xr, fm.b}});
    const std::string text = "T(ref) = " + degrees(t_ref_c);
    const beside_line b = place_text(field, beside(fm, xr, fm.b - 7, false), text_width(text, 12));
    x.text("text",
           {{"x", b.x},
            {"y", b.y},
            {"text-anchor", anchor_name(b.anchor)},
            {"fill", "#444"},
            {"paint-order", "stroke"},
            {"stroke", "white"},
            {"stroke-width", "3"},
            {"class", "t-ref"}},
           text);
  }

  x.open("g", {{"fill", "#333"}, {"font-size", "11"}});
  for (std::size_t i = 0; i < captions.size(); ++i) {
    x.text("text",
           {{"x", caption_left},
            {"y", caption_top + caption_step * static_cast<double>(i)},
            {"class", captions[i].cls}},
           captions[i].text);
  }
  x.close();
  return x.str();
}

}  // namespace morva
