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
#include "plots/plots.h"
#include "plots/svg.h"
#include "text/encoding.h"
#include "text/sample_text.h"

namespace morva {
namespace {

// Okabe-Ito colours without the yellow, which does not show on white paper.
constexpr const char* colours[] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                   "#E69F00", "#56B4E9", "#000000"};
// Dash patterns, px. Their count (5) is prime to that of the colours (7): no two of the first
// 35 curves share both, and curves of one colour differ in dashes, which alone tell them
// apart in grey print.
constexpr const char* dashes[] = {"none", "9 4", "2 3", "10 3 2 3", "5 2 1.5 2 1.5 2"};
constexpr int n_colours = 7;
constexpr int n_dashes = 5;

// Picture layout, px: 800 wide, the labels of the curves in the right margin.
constexpr double width = 800.0;
constexpr double left = 72.0;
constexpr double right = 664.0;
constexpr double main_top = 64.0;
constexpr double main_bottom = 404.0;
constexpr double stats_top = 428.0;
constexpr double stats_bottom = 528.0;
constexpr double height = 580.0;
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
/// finite) breaks it. The end is the last point drawn.
struct curve {
  path_data d;
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
    pen = true;
    c.end_x = px;
    c.end_y = py;
  }
  return c;
}

/// How a curve is drawn: its colour and dash pattern.
struct look {
  const char* colour;
  const char* dash;
};

/// A curve's name at the right of its frame, after a short piece of line drawn as the curve
/// (the cue that survives grey print), joined to the curve's end by a thin leader.
void end_label(xml_writer& x, const frame& f, double end_x, double end_y, double label_y,
               const look& lk, const std::string& name) {
  const double yl = std::clamp(end_y, f.t, f.b);
  x.leaf("path", {{"d", path_data{}.move(end_x, yl).line(f.r + 4, label_y).str()},
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
  axes(x, fm, xt, nice_ticks(fm.y0, fm.y1, 8), false, "saturation index log(Q/K)");
  axes(x, fs, xt, nice_ticks(fs.y0, fs.y1, 3), true, "RMS, median");
  x.text("text",
         {{"x", (left + right) / 2},
          {"y", height - 14},
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

  // Reference temperature of the calculation, where the curves start from.
  const double t_ref_c = r.calculation.reference.state.t_c();
  if (t_ref_c >= fm.x0 && t_ref_c <= fm.x1) {
    const double xr = fm.x(t_ref_c);
    x.leaf("line", {{"x1", xr},
                    {"x2", xr},
                    {"y1", fm.t},
                    {"y2", fm.b},
                    {"stroke", "#666"},
                    {"stroke-dasharray", "1 3"},
                    {"class", "t-ref"}});
    x.text("text",
           {{"x", xr + 4},
            {"y", fm.b - 7},
            {"fill", "#444"},
            {"paint-order", "stroke"},
            {"stroke", "white"},
            {"stroke-width", "3"},
            {"class", "t-ref"}},
           "T(ref) = " + degrees(t_ref_c));
  }

  // The mineral curves, and their names in the margin, moved apart where they crowd.
  const std::vector<std::string>& names = mineral_names();
  std::vector<curve> curves;
  std::vector<std::string> without;
  open_clip(x, fm);
  x.open("g", {{"fill", "none"}, {"stroke-width", "1.8"}, {"stroke-linejoin", "round"}});
  for (std::size_t i = 0; i < r.minerals.size(); ++i) {
    const int j = r.minerals[i];
    curves.push_back(trace(fm, r.points, [j](const saturation_point& p) { return p.si[j]; }));
    if (curves.back().d.empty()) {
      without.push_back(names[static_cast<std::size_t>(j - 1)]);
      continue;
    }
    x.leaf("path", {{"d", curves.back().d.str()},
                    {"stroke", colours[i % n_colours]},
                    {"stroke-dasharray", dashes[i % n_dashes]},
                    {"class", "si-curve"}});
  }
  x.close().close();
  std::vector<double> want;
  std::vector<std::size_t> labelled;
  for (std::size_t i = 0; i < curves.size(); ++i) {
    if (!curves[i].end_y) continue;
    want.push_back(std::clamp(*curves[i].end_y, fm.t, fm.b));
    labelled.push_back(i);
  }
  const std::vector<double> at = spread(want, 14.0, fm.t + 4, fm.b - 4);
  for (std::size_t k = 0; k < labelled.size(); ++k) {
    const std::size_t i = labelled[k];
    end_label(x, fm, *curves[i].end_x, *curves[i].end_y, at[k],
              {colours[i % n_colours], dashes[i % n_dashes]},
              names[static_cast<std::size_t>(r.minerals[i] - 1)]);
  }
  if (!without.empty()) {
    std::string list;
    for (const std::string& n : without) list += (list.empty() ? "" : ", ") + n;
    x.text("text", {{"x", fm.l + 6}, {"y", fm.t - 8}, {"fill", "#444"}, {"class", "note"}},
           "no saturation index: " + list);
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

  // The temperature at which the indices gather closest about zero.
  if (r.t_min_rms_c && std::isfinite(*r.t_min_rms_c) && *r.t_min_rms_c >= fm.x0 &&
      *r.t_min_rms_c <= fm.x1) {
    const double xm = fm.x(*r.t_min_rms_c);
    x.leaf("line", {{"x1", xm},
                    {"x2", xm},
                    {"y1", fm.t},
                    {"y2", fs.b},
                    {"stroke", "#000"},
                    {"stroke-width", "1.2"},
                    {"stroke-dasharray", "6 3"},
                    {"class", "min-rms"}});
    std::string text = "T(min RMS) = " + degrees(*r.t_min_rms_c);
    if (r.min_rms && std::isfinite(*r.min_rms)) {
      text += ", RMS = " + label_number(*r.min_rms, 2);
      x.leaf("circle", {{"cx", xm}, {"cy", fs.y(*r.min_rms)}, {"r", 3.5}, {"fill", "#000"}});
    }
    const bool room_right = xm + 230 < fm.r;
    x.text("text",
           {{"x", room_right ? xm + 5 : xm - 5},
            {"y", fm.t + 15},
            {"text-anchor", room_right ? "start" : "end"},
            {"font-weight", "bold"},
            {"paint-order", "stroke"},
            {"stroke", "white"},
            {"stroke-width", "4"},
            {"class", "min-rms"}},
           text);
  }
  return x.str();
}

}  // namespace morva
