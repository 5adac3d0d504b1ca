// The Schoeller diagram (Schoeller, Les eaux souterraines, Masson, Paris, 1962): the major
// ions of each water in milliequivalents on a logarithmic axis, one line per water, so that
// waters of one origin run parallel and a mixture lies between its end members.

#include <algorithm>
#include <array>
#include <cmath>

#include "morva/tables.h"
#include "plots/diagram_parts.h"
#include "plots/plots.h"
#include "plots/svg.h"

namespace morva {
namespace {

constexpr double width = 640.0;
constexpr double height = 480.0;

/// meq/kg of component k at c mg/kg, an ion of charge z.
double meq(double c_mgkg, int k, double z) { return 1000.0 * z * c_mgkg / w(k); }

}  // namespace

std::optional<major_ions> major_ions_of(const water_point& p) {
  if (!lacking(p, {"Ca", "Mg", "Na", "K", "Cl", "SO4", "CO2", "pH"}).empty()) return std::nullopt;
  const major_ions ions{meq(p.ca_mgkg, comp::ca, 2.0),
                        meq(p.mg_mgkg, comp::mg, 2.0),
                        meq(p.na_mgkg, comp::na, 1.0) + meq(p.k_mgkg, comp::k, 1.0),
                        meq(p.cl_mgkg, comp::cl, 1.0),
                        meq(p.so4_mgkg, comp::so4, 2.0),
                        p.hco3_meq + p.co3_meq};
  for (const double v : {ions.ca, ions.mg, ions.na_k, ions.cl, ions.so4, ions.hco3_co3}) {
    if (!std::isfinite(v) || v < 0) return std::nullopt;
  }
  return ions;
}

std::string schoeller_svg(const std::vector<water_point>& waters) {
  const std::string note = lacking_note(waters, {"Ca", "Mg", "Na", "K", "Cl", "SO4", "CO2", "pH"});
  std::vector<std::pair<std::string, std::array<double, 6>>> lines;
  double lo = 1e300, hi = 0.0;
  for (const water_point& p : waters) {
    const auto ions = major_ions_of(p);
    if (!ions) continue;
    const std::array<double, 6> v = {ions->ca, ions->mg,  ions->na_k,
                                     ions->cl, ions->so4, ions->hco3_co3};
    for (const double c : v) {
      if (c > 0) lo = std::min(lo, c), hi = std::max(hi, c);
    }
    lines.emplace_back(p.id, v);
  }
  // Whole decades about the values, at least 0.01 to 100 meq/kg.
  const double d_lo = std::min(-2.0, hi > 0 ? std::floor(std::log10(lo)) : -2.0);
  const double d_hi = std::max(2.0, hi > 0 ? std::ceil(std::log10(hi)) : 2.0);
  plot_frame f{
      90, 62, width - 130, height - 56, 0.5, 6.5, std::pow(10.0, d_lo), std::pow(10.0, d_hi), true};

  xml_writer x;
  open_diagram(x, width, height, "Schoeller",
               "major ions in meq/kg (meq/L of a dilute water), one line per water", note);
  std::vector<double> decades;
  for (double d = d_lo; d <= d_hi + 1e-9; d += 1) decades.push_back(std::pow(10.0, d));
  frame_axes(x, f, {}, decades, 0, std::max(0, static_cast<int>(-d_lo)), "",
             "concentration (meq/kg)");
  static constexpr const char* names[] = {"Ca", "Mg",       "Na+K",
                                          "Cl", "SO\u2084", "HCO\u2083+CO\u2083"};
  x.open("g", {{"stroke", "#DDD"}, {"class", "ion-lines"}});
  for (int i = 1; i <= 6; ++i) {
    x.leaf("line", {{"x1", f.px(i)}, {"y1", f.top}, {"x2", f.px(i)}, {"y2", f.bottom}});
  }
  x.close();
  x.open("g", {{"font-weight", "bold"}, {"text-anchor", "middle"}, {"class", "ions"}});
  for (int i = 1; i <= 6; ++i) {
    x.text("text", {{"x", f.px(i)}, {"y", f.bottom + 18}}, names[i - 1]);
  }
  x.close();

  // Each water's line, broken where a value is zero (no place on a log axis).
  x.open("g", {{"fill", "none"}, {"stroke-width", "1.6"}, {"class", "waters"}});
  std::vector<double> ends;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    path_data d;
    bool pen = false;
    for (int i = 1; i <= 6; ++i) {
      const double v = lines[n].second[static_cast<std::size_t>(i - 1)];
      if (!(v > 0)) {
        pen = false;
        continue;
      }
      pen ? d.line(f.px(i), f.py(v)) : d.move(f.px(i), f.py(v));
      pen = true;
    }
    const double last = lines[n].second[5];
    ends.push_back(last > 0 ? f.py(last) : f.bottom);
    if (d.empty()) continue;
    x.leaf("path", {{"d", d.str()},
                    {"stroke", series_colour(n)},
                    {"stroke-dasharray", series_dash(n)},
                    {"class", "water"}});
  }
  x.close();
  // Ids at the right-hand ends, moved apart where they would overlap.
  if (!lines.empty() && lines.size() <= ternary_label_limit) {
    const std::vector<double> at =
        spread_spans(ends, std::vector<double>(ends.size(), 12.0), 1.0, f.top + 6, f.bottom - 6);
    x.open("g", {{"font-weight", "bold"}, {"class", "sample-label"}});
    for (std::size_t n = 0; n < lines.size(); ++n) {
      x.text("text", {{"x", f.right + 8}, {"y", at[n] + 4}, {"fill", series_colour(n)}},
             lines[n].first);
    }
    x.close();
  }
  note_line(x, height, note);
  return x.str();
}

}  // namespace morva
