// The Na-K-Ca plot of Fournier and Truesdell (Geochim. Cosmochim. Acta 37, 1255-1275, 1973):
// log10(Na/K) against log10(√Ca/Na) of the molalities, on which each temperature of their
// geothermometer is a straight line. The lines come from the geothermometer itself
// (geotherm/classical.cpp), so that a water on an isotherm has that Na-K-Ca temperature.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "morva/geothermometers.h"
#include "morva/tables.h"
#include "plots/diagram_parts.h"
#include "plots/plots.h"
#include "plots/svg.h"

namespace morva {
namespace {

constexpr double width = 640.0;
constexpr double height = 540.0;

/// log10(Na/K) of molalities less that of mg/kg: the ratio of the molar masses of K and Na.
double molal_shift() { return std::log10(w(comp::k) / w(comp::na)); }

/// β of the geothermometer on a cool water with √Ca/Na above 1, and the one of all others.
constexpr double beta_cool = 4.0 / 3.0;
constexpr double beta_hot = 1.0 / 3.0;
/// °C up to which the cool β holds where √Ca/Na is above 1.
constexpr double t_beta_c = 100.0;

/// A straight piece of an isotherm: log10(Na/K) = c - β log10(√Ca/Na) from x = a to b.
struct isotherm_piece {
  double c, beta, a, b;
};

/// The pieces of the isotherm t_c over log10(√Ca/Na) from lo to hi, as the β rule draws it:
/// β = 1/3 where √Ca/Na is below 1; above it β = 4/3 up to 100 °C, and above 100 °C β = 1/3
/// only where the β = 4/3 temperature would exceed 100 °C (below the 100 °C line of slope
/// −4/3; above that line no water has this temperature).
std::vector<isotherm_piece> isotherm(double t_c, double lo, double hi) {
  const double shift = molal_shift();
  const double c_hot = nakca_log_na_k(t_c, 0.0, beta_hot) + shift;
  std::vector<isotherm_piece> pieces;
  if (lo < 0.0) pieces.push_back({c_hot, beta_hot, lo, std::min(0.0, hi)});
  if (hi > 0.0) {
    if (t_c <= t_beta_c) {
      pieces.push_back({nakca_log_na_k(t_c, 0.0, beta_cool) + shift, beta_cool, 0.0, hi});
    } else {
      const double c_100 = nakca_log_na_k(t_beta_c, 0.0, beta_cool) + shift;
      // Where the line of slope −1/3 meets the 100 °C line of slope −4/3.
      const double end = (c_100 - c_hot) / (beta_cool - beta_hot);
      if (end > 0.0) pieces.push_back({c_hot, beta_hot, 0.0, std::min(end, hi)});
    }
  }
  return pieces;
}

/// A piece clipped to the plot frame; empty when none of it lies within.
std::optional<std::pair<px_point, px_point>> clipped(const isotherm_piece& p, const plot_frame& f) {
  // log10(Na/K) falls along x: within y_lo..y_hi for x from (c - y_hi)/β to (c - y_lo)/β.
  const double a = std::max({p.a, f.x_lo, (p.c - f.y_hi) / p.beta});
  const double b = std::min({p.b, f.x_hi, (p.c - f.y_lo) / p.beta});
  if (!(a < b)) return std::nullopt;
  return std::pair{f.at(a, p.c - p.beta * a), f.at(b, p.c - p.beta * b)};
}

}  // namespace

std::optional<nakca_coordinates> nakca_point(const water_point& w) {
  if (!lacking(w, {"Na", "K", "Ca"}).empty()) return std::nullopt;
  if (!(w.na_mgkg > 0) || !(w.k_mgkg > 0) || !(w.ca_mgkg > 0)) return std::nullopt;
  const double x = nakca_log_ca_na(w.na_mgkg, w.ca_mgkg);
  const double y = std::log10(w.na_mgkg / w.k_mgkg) + molal_shift();
  if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
  return nakca_coordinates{x, y};
}

std::string nakca_svg(const std::vector<water_point>& waters) {
  // Waters without a positive Na, K or Ca have no place on the log axes either.
  std::vector<std::string> missing;
  std::vector<std::pair<std::string, nakca_coordinates>> drawn;
  for (const water_point& w : waters) {
    std::string l = lacking(w, {"Na", "K", "Ca"});
    if (l.empty()) {
      if (const auto p = nakca_point(w)) {
        drawn.emplace_back(w.id, *p);
        continue;
      }
      l = "Na, K or Ca zero";
    }
    missing.push_back(w.id + " (" + l + ")");
  }
  const std::string note = left_out_note(missing);

  // Axes wide enough for the waters, in half units, at least over the usual span.
  plot_frame f{78, 62, width - 24, height - 56, -2.0, 2.5, -0.5, 3.5};
  for (const auto& [id, p] : drawn) {
    f.x_lo = std::min(f.x_lo, std::floor(p.log_ca_na * 2 - 0.2) / 2);
    f.x_hi = std::max(f.x_hi, std::ceil(p.log_ca_na * 2 + 0.2) / 2);
    f.y_lo = std::min(f.y_lo, std::floor(p.log_na_k * 2 - 0.2) / 2);
    f.y_hi = std::max(f.y_hi, std::ceil(p.log_na_k * 2 + 0.2) / 2);
  }
  const auto ticks = [](double lo, double hi) {
    std::vector<double> v;
    const double step = hi - lo > 8 ? 2.0 : hi - lo > 4 ? 1.0 : 0.5;
    for (double t = std::ceil(lo / step) * step; t <= hi + 1e-9; t += step) v.push_back(t);
    return v;
  };

  xml_writer x;
  open_diagram(x, width, height, "Na-K-Ca",
               "Fournier and Truesdell (1973); molal ratios, isotherms of the geothermometer",
               note);
  frame_axes(x, f, ticks(f.x_lo, f.x_hi), ticks(f.y_lo, f.y_hi), 1, 1, "log (\u221ACa/Na), molal",
             "log (Na/K), molal");

  // √Ca/Na = 1, where β changes for waters below 100 °C.
  if (f.x_lo < 0 && f.x_hi > 0) {
    x.leaf("line", {{"x1", f.px(0)},
                    {"y1", f.top},
                    {"x2", f.px(0)},
                    {"y2", f.bottom},
                    {"stroke", "#888"},
                    {"stroke-dasharray", "3 3"},
                    {"class", "beta-boundary"}});
    x.text("text",
           {{"x", f.px(0) - 5}, {"y", f.bottom - 8}, {"text-anchor", "end"}, {"fill", "#555"}},
           "\u03B2 = 1/3");
    x.text("text", {{"x", f.px(0) + 5}, {"y", f.bottom - 8}, {"fill", "#555"}},
           "\u03B2 = 4/3 to 100 \u00B0C");
  }

  // Isotherms, °C; each labelled near the upper end of its first piece within the plot.
  x.open(
      "g",
      {{"fill", "none"}, {"stroke", "#0072B2"}, {"stroke-width", "1.2"}, {"class", "isotherms"}});
  std::vector<std::pair<double, std::pair<px_point, px_point>>> labels;
  for (const double t : {25.0, 50.0, 75.0, 100.0, 150.0, 200.0, 250.0, 300.0}) {
    path_data d;
    bool first = true;
    for (const isotherm_piece& p : isotherm(t, f.x_lo, f.x_hi)) {
      const auto seg = clipped(p, f);
      if (!seg) continue;
      d.move(seg->first.x, seg->first.y).line(seg->second.x, seg->second.y);
      if (first) labels.push_back({t, *seg});
      first = false;
    }
    if (!d.empty()) x.leaf("path", {{"d", d.str()}, {"class", "isotherm"}});
  }
  x.close();
  x.open("g", {{"fill", "#0072B2"},
               {"font-size", "11"},
               {"paint-order", "stroke"},
               {"stroke", "white"},
               {"stroke-width", "3"},
               {"class", "isotherm-labels"}});
  for (const auto& [t, seg] : labels) {
    const auto& [a, b] = seg;
    const double angle = std::atan2(b.y - a.y, b.x - a.x) * 180.0 / std::numbers::pi;
    // Near the upper end, but low enough that the text stays inside the frame.
    double along = 0.12;
    while (along < 0.8 && a.y + along * (b.y - a.y) < f.top + 16) along += 0.04;
    const px_point p{a.x + along * (b.x - a.x), a.y + along * (b.y - a.y) - 4};
    x.text("text",
           {{"x", p.x},
            {"y", p.y},
            {"transform",
             "rotate(" + svg_number(angle) + ' ' + svg_number(p.x) + ' ' + svg_number(p.y) + ")"}},
           label_number(t, 0) + " \u00B0C");
  }
  x.close();

  std::vector<std::pair<std::string, px_point>> dots;
  for (const auto& [id, p] : drawn) dots.emplace_back(id, f.at(p.log_ca_na, p.log_na_k));
  labelled_dots(x, dots, "#000");
  note_line(x, height, note);
  return x.str();
}

}  // namespace morva
