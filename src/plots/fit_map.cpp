// The misfit of a sample's saturation curves over temperature and water factor, as a heat
// map: a fit whose least RMS lies in one small dark patch is well defined; a long dark valley
// says that temperature and water factor trade against each other and the analysis cannot
// tell them apart.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "plots/plots.h"
#include "plots/svg.h"

namespace morva {

namespace {

// Picture layout, px.
constexpr double width = 720.0;
constexpr double height = 460.0;
constexpr double left = 70.0;
constexpr double top = 60.0;
constexpr double plot_w = 520.0;
constexpr double plot_h = 320.0;
constexpr double scale_x = left + plot_w + 30.0;  // the colour scale beside the map
constexpr double scale_w = 16.0;

/// A colour of the sequential scale from dark (u = 0, the least misfit) to light (u = 1):
/// dark blue through teal and green to pale yellow, readable in grey and by colour-blind eyes.
std::string colour_at(double u) {
  static constexpr double stops[][3] = {
      {37, 52, 148}, {44, 127, 184}, {65, 182, 196}, {161, 218, 180}, {255, 255, 204}};
  u = std::clamp(u, 0.0, 1.0) * 4.0;
  const int i = std::min(static_cast<int>(u), 3);
  const double w = u - i;
  char buf[8];
  const auto c = [&](int k) {
    return static_cast<int>(std::lround(stops[i][k] + w * (stops[i + 1][k] - stops[i][k])));
  };
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c(0), c(1), c(2));
  return buf;
}

}  // namespace

std::string fit_map_svg(const std::string& id, const saturation_fit_map& map,
                        const saturation_result& r) {
  xml_writer x;
  open_svg(x, width, height);
  x.leaf("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "white"}});
  x.text("text",
         {{"x", 20}, {"y", 24}, {"font-size", "16"}, {"font-weight", "bold"}, {"class", "title"}},
         id);
  x.text("text", {{"x", 20}, {"y", 42}, {"fill", "#444"}},
         "RMS of the saturation indices over temperature and water factor");
  const std::size_t nt = map.t_c.size(), nf = map.water_factor.size();
  if (nt < 2 || nf < 2 || map.rms.size() != nt * nf) {
    x.text("text", {{"x", 20}, {"y", 70}, {"class", "note"}},
           "no map: the sample was not calculated");
    return x.str();
  }
  // The colours run over log10 RMS from the least to the greatest, so that the valley about
  // the least stands out however large the misfit far from it.
  double lo = std::numeric_limits<double>::infinity();
  double hi = -std::numeric_limits<double>::infinity();
  for (const auto& v : map.rms) {
    if (v && *v > 0.0) {
      lo = std::min(lo, std::log10(*v));
      hi = std::max(hi, std::log10(*v));
    }
  }
  if (!(hi > lo)) hi = lo + 1.0;
  const double t0 = map.t_c.front(), t1 = map.t_c.back();
  const double f0 = map.water_factor.front(), f1 = map.water_factor.back();
  const auto px = [&](double t) { return left + (t - t0) / (t1 - t0) * plot_w; };
  const auto py = [&](double f) { return top + plot_h - (f - f0) / (f1 - f0) * plot_h; };
  const double cw = plot_w / static_cast<double>(nt - 1), ch = plot_h / static_cast<double>(nf - 1);
  x.open("g", {{"class", "cells"}, {"shape-rendering", "crispEdges"}});
  for (std::size_t i = 0; i < nf; ++i) {
    for (std::size_t k = 0; k < nt; ++k) {
      const auto& v = map.rms[i * nt + k];
      const double cx = std::clamp(px(map.t_c[k]) - cw / 2, left, left + plot_w);
      const double cy = std::clamp(py(map.water_factor[i]) - ch / 2, top, top + plot_h);
      const double w = std::min(px(map.t_c[k]) + cw / 2, left + plot_w) - cx;
      const double h = std::min(py(map.water_factor[i]) + ch / 2, top + plot_h) - cy;
      const std::string fill =
          v && *v > 0.0 ? colour_at((std::log10(*v) - lo) / (hi - lo)) : std::string("#DDDDDD");
      x.leaf("rect", {{"x", cx}, {"y", cy}, {"width", w}, {"height", h}, {"fill", fill}});
    }
  }
  x.close();
  x.leaf("rect", {{"x", left},
                  {"y", top},
                  {"width", plot_w},
                  {"height", plot_h},
                  {"fill", "none"},
                  {"stroke", "#222"}});
  // Axes: temperature every 50 °C, water factor every 0.1.
  x.open("g", {{"font-size", "11"}, {"fill", "#222"}, {"class", "axes"}});
  for (double t = std::ceil(t0 / 50.0) * 50.0; t <= t1 + 1e-9; t += 50.0) {
    x.leaf("line", {{"x1", px(t)},
                    {"y1", top + plot_h},
                    {"x2", px(t)},
                    {"y2", top + plot_h + 5},
                    {"stroke", "#222"}});
    x.text("text", {{"x", px(t)}, {"y", top + plot_h + 18}, {"text-anchor", "middle"}},
           label_number(t, 0));
  }
  for (double f = std::ceil(f0 * 10.0 - 1e-9) / 10.0; f <= f1 + 1e-9; f += 0.1) {
    x.leaf("line",
           {{"x1", left - 5}, {"y1", py(f)}, {"x2", left}, {"y2", py(f)}, {"stroke", "#222"}});
    x.text("text", {{"x", left - 8}, {"y", py(f) + 4}, {"text-anchor", "end"}}, label_number(f, 1));
  }
  x.text("text", {{"x", left + plot_w / 2}, {"y", top + plot_h + 36}, {"text-anchor", "middle"}},
         "temperature (\u00B0C)");
  x.text("text",
         {{"x", 18},
          {"y", top + plot_h / 2},
          {"text-anchor", "middle"},
          {"transform", "rotate(-90 18 " + svg_number(top + plot_h / 2) + ")"}},
         "water factor");
  x.close();
  // The colour scale, least misfit at the bottom.
  x.open("g", {{"class", "scale"}, {"font-size", "11"}});
  constexpr int steps = 32;
  for (int k = 0; k < steps; ++k) {
    const double u = (k + 0.5) / steps;
    x.leaf("rect", {{"x", scale_x},
                    {"y", top + plot_h * (1.0 - (k + 1.0) / steps)},
                    {"width", scale_w},
                    {"height", plot_h / steps + 0.5},
                    {"fill", colour_at(u)}});
  }
  x.text("text", {{"x", scale_x + scale_w + 4}, {"y", top + plot_h}},
         label_number(std::pow(10.0, lo), 2));
  x.text("text", {{"x", scale_x + scale_w + 4}, {"y", top + 10}},
         label_number(std::pow(10.0, hi), 2));
  x.text("text", {{"x", scale_x - 4}, {"y", top - 8}}, "RMS");
  x.close();
  // The fitted point: the estimate (or the least RMS) at the fitted water factor.
  const std::optional<double> t_fit = r.t_estimate_c ? r.t_estimate_c : r.t_min_rms_c;
  const double f_fit = r.fitted_water_factor.value_or(1.0);
  if (t_fit && *t_fit >= t0 && *t_fit <= t1 && f_fit >= f0 && f_fit <= f1) {
    x.leaf("circle", {{"cx", px(*t_fit)},
                      {"cy", py(f_fit)},
                      {"r", 6},
                      {"fill", "none"},
                      {"stroke", "#D55E00"},
                      {"stroke-width", "2.5"},
                      {"class", "fitted"}});
  }
  std::string caption = "Circle: the fit";
  if (t_fit) caption += ", " + label_number(*t_fit, 1) + " \u00B0C";
  caption += " at water factor " + label_number(f_fit, 3);
  if (r.fitted_co2_mol_kg)
    caption +=
        ", CO2 added " + label_number(*r.fitted_co2_mol_kg, 4) + " mol/kg (held over the map)";
  caption += ".";
  x.text("text", {{"x", 20}, {"y", height - 30}, {"fill", "#444"}, {"class", "caption"}}, caption);
  x.text("text", {{"x", 20}, {"y", height - 12}, {"fill", "#444"}, {"class", "caption"}},
         "One dark patch: a well-defined fit; a long dark valley: temperature and water factor "
         "trade against each other.");
  return x.str();
}

}  // namespace morva
