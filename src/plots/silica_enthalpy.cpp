// The silica-enthalpy diagram of Fournier (Geothermics 5, 41-50, 1977; Truesdell and Fournier,
// U.S. Geol. Surv. J. Res. 5, 49-52, 1977): the silica that saturates quartz and chalcedony
// against the enthalpy of liquid water at saturation. A warm spring that is a mixture of a hot
// water and a cold one lies on the straight line between them; extended from the cold water
// through the spring, the line meets the quartz curve at the enthalpy, and so the temperature,
// of the hot water before it mixed (no steam lost). The curves come from the program's own
// silica equations (geotherm) and steam tables (steam).

#include <algorithm>
#include <cmath>

#include "geotherm/geothermometers.h"
#include "morva/tables.h"
#include "morva/units.h"
#include "plots/diagram_parts.h"
#include "plots/plots.h"
#include "plots/svg.h"
#include "steam/saturation.h"

namespace morva {
namespace {

constexpr double width = 640.0;
constexpr double height = 520.0;
/// °C: the span of the quartz fit, and of the chalcedony fit (Fournier 1977, 0-250 °C).
constexpr double quartz_top_c = 330.0;
constexpr double chalcedony_top_c = 250.0;

/// Enthalpy of saturated liquid water, kJ/kg, at t_c (°C).
double h_liquid(double t_c) { return entwat(t_c + zero_celsius_k); }

}  // namespace

double quartz_sio2_mgkg(double t_c) { return quasol(t_c + zero_celsius_k) * w(comp::sio2); }

double chalcedony_sio2_mgkg(double t_c) {
  // hcha gives the temperature of a silica molality and rises with it: bisection on log10 of
  // the silica, mg/kg, from 0.01 to 40 000 mg/kg (where the fit still has a temperature).
  constexpr int maxit = 80;
  constexpr double tol = 1e-12;  // in log10 mg/kg
  const double t = t_c + zero_celsius_k;
  double lo = -2.0, hi = 4.6;
  for (int it = 0; it < maxit && hi - lo > tol; ++it) {
    const double mid = (lo + hi) / 2;
    (hcha(std::pow(10.0, mid) / w(comp::sio2)) < t ? lo : hi) = mid;
  }
  return std::pow(10.0, (lo + hi) / 2);
}

std::optional<double> quartz_mixing_enthalpy(const cold_water& c, double h_kjkg, double sio2_mgkg) {
  const double h_cold = h_liquid(c.t_c);
  if (!(std::abs(h_kjkg - h_cold) > 1e-9) || !std::isfinite(h_kjkg) || !std::isfinite(sio2_mgkg))
    return std::nullopt;
  const double slope = (sio2_mgkg - c.sio2_mgkg) / (h_kjkg - h_cold);
  // Silica of the line less that of quartz saturation, at t (°C).
  const auto g = [&](double t) {
    return c.sio2_mgkg + slope * (h_liquid(t) - h_cold) - quartz_sio2_mgkg(t);
  };
  // The first crossing at a higher enthalpy than the point's, 1 °C steps, then bisection.
  double t0 = 1.0;
  while (t0 < quartz_top_c && h_liquid(t0) <= h_kjkg) t0 += 1.0;
  for (double t1 = t0 + 1.0; t1 <= quartz_top_c; t0 = t1, t1 += 1.0) {
    if ((g(t0) > 0) == (g(t1) > 0)) continue;
    constexpr int maxit = 60;
    constexpr double tol = 1e-9;  // °C
    double a = t0, b = t1;
    for (int it = 0; it < maxit && b - a > tol; ++it) {
      const double m = (a + b) / 2;
      ((g(m) > 0) == (g(a) > 0) ? a : b) = m;
    }
    return h_liquid((a + b) / 2);
  }
  return std::nullopt;
}

std::string silica_enthalpy_svg(const std::vector<water_point>& waters,
                                const std::optional<cold_water>& cold) {
  const std::string note = lacking_note(waters, {"SiO2"});
  double s_hi = 700.0, h_hi = 1600.0;
  for (const water_point& p : waters) {
    if (!lacking(p, {"SiO2"}).empty()) continue;
    for (const auto& s : {std::optional<double>(p.sio2_mgkg), p.sio2_reservoir_mgkg}) {
      if (s && std::isfinite(*s)) s_hi = std::max(s_hi, std::ceil(*s / 100 + 0.2) * 100);
    }
    for (const auto& h : {p.h_sampled_kjkg, p.h_reservoir_kjkg}) {
      if (h && std::isfinite(*h)) h_hi = std::max(h_hi, std::ceil(*h / 200 + 0.1) * 200);
    }
  }
  plot_frame f{84, 62, width - 24, height - 56, 0.0, h_hi, 0.0, s_hi};
  std::vector<double> xs, ys;
  for (double h = 0; h <= h_hi + 1e-9; h += h_hi > 2000 ? 400 : 200) xs.push_back(h);
  for (double s = 0; s <= s_hi + 1e-9; s += s_hi > 1000 ? 200 : 100) ys.push_back(s);

  xml_writer x;
  open_diagram(x, width, height, "Silica-enthalpy",
               "Fournier (1977); silica in mg/kg, enthalpy of the liquid in kJ/kg", note);
  frame_axes(x, f, xs, ys, 0, 0, "enthalpy (kJ/kg)", "dissolved silica (mg/kg)");

  // The solubility curves, with the temperature of saturation marked along quartz.
  const auto curve = [&](double (*sio2)(double), double top_c) {
    path_data d;
    std::vector<px_point> pts;
    for (double t = 5.0; t <= top_c + 1e-9; t += 5.0) {
      if (!f.holds(h_liquid(t), sio2(t))) break;
      const px_point p = f.at(h_liquid(t), sio2(t));
      pts.empty() ? d.move(p.x, p.y) : d.line(p.x, p.y);
      pts.push_back(p);
    }
    return std::pair{d, pts};
  };
  const auto [quartz_d, quartz_pts] = curve(quartz_sio2_mgkg, quartz_top_c);
  const auto [chalc_d, chalc_pts] = curve(chalcedony_sio2_mgkg, chalcedony_top_c);
  x.leaf("path", {{"d", quartz_d.str()},
                  {"fill", "none"},
                  {"stroke", "#0072B2"},
                  {"stroke-width", "2"},
                  {"class", "quartz"}});
  x.leaf("path", {{"d", chalc_d.str()},
                  {"fill", "none"},
                  {"stroke", "#D55E00"},
                  {"stroke-width", "2"},
                  {"stroke-dasharray", "7 4"},
                  {"class", "chalcedony"}});
  x.open("g", {{"font-size", "10"}, {"fill", "#0072B2"}, {"class", "quartz-temperatures"}});
  for (double t = 100.0; t <= quartz_top_c; t += 50.0) {
    if (!f.holds(h_liquid(t), quartz_sio2_mgkg(t))) continue;
    const px_point p = f.at(h_liquid(t), quartz_sio2_mgkg(t));
    x.leaf("circle", {{"cx", p.x}, {"cy", p.y}, {"r", 2}});
    x.text("text", {{"x", p.x + 5}, {"y", p.y + 11}}, label_number(t, 0) + " \u00B0C");
  }
  x.close();
  x.open("g", {{"font-size", "13"}, {"font-style", "italic"}, {"class", "curve-labels"}});
  if (!quartz_pts.empty()) {
    const px_point& q = quartz_pts.back();
    x.text("text", {{"x", q.x - 6}, {"y", q.y - 8}, {"text-anchor", "end"}, {"fill", "#0072B2"}},
           "quartz");
  }
  if (f.holds(h_liquid(150.0), chalcedony_sio2_mgkg(150.0))) {
    // Left of the curve, above quartz, where the waters rarely lie.
    const px_point q = f.at(h_liquid(150.0), chalcedony_sio2_mgkg(150.0));
    x.text("text", {{"x", q.x - 8}, {"y", q.y}, {"text-anchor", "end"}, {"fill", "#D55E00"}},
           "chalcedony");
  }
  x.close();

  // Mixing lines from the cold water through each water as sampled, to the quartz curve.
  std::vector<std::pair<std::string, px_point>> reservoir, sampled_alone;
  x.open("g", {{"class", "waters"}});
  const auto sampled_point = [&](const water_point& p) -> std::optional<px_point> {
    if (!p.h_sampled_kjkg || !f.holds(*p.h_sampled_kjkg, p.sio2_mgkg)) return std::nullopt;
    return f.at(*p.h_sampled_kjkg, p.sio2_mgkg);
  };
  if (cold) {
    const double hc = h_liquid(cold->t_c);
    for (const water_point& p : waters) {
      if (!lacking(p, {"SiO2"}).empty() || !sampled_point(p)) continue;
      const auto h_hot = quartz_mixing_enthalpy(*cold, *p.h_sampled_kjkg, p.sio2_mgkg);
      // Without a crossing the line runs on to the edge of the plot.
      const double slope = (p.sio2_mgkg - cold->sio2_mgkg) / (*p.h_sampled_kjkg - hc);
      double h_end = h_hot ? *h_hot : f.x_hi;
      if (!h_hot && slope > 0) h_end = std::min(h_end, hc + (f.y_hi - cold->sio2_mgkg) / slope);
      if (!h_hot && slope < 0) h_end = std::min(h_end, hc + (f.y_lo - cold->sio2_mgkg) / slope);
      const px_point a = f.at(hc, cold->sio2_mgkg);
      const px_point b = f.at(h_end, cold->sio2_mgkg + slope * (h_end - hc));
      x.leaf("line", {{"x1", a.x},
                      {"y1", a.y},
                      {"x2", b.x},
                      {"y2", b.y},
                      {"stroke", "#009E73"},
                      {"stroke-width", "1.2"},
                      {"stroke-dasharray", "5 3"},
                      {"class", "mixing-line"}});
      if (h_hot) {
        x.leaf("circle", {{"cx", b.x},
                          {"cy", b.y},
                          {"r", 5},
                          {"fill", "none"},
                          {"stroke", "#009E73"},
                          {"stroke-width", "1.6"},
                          {"class", "hot-water"}});
      }
    }
    const px_point a = f.at(hc, cold->sio2_mgkg);
    x.leaf("path", {{"d", path_data{}
                              .move(a.x, a.y - 6)
                              .line(a.x + 6, a.y + 5)
                              .line(a.x - 6, a.y + 5)
                              .close()
                              .str()},
                    {"fill", "#009E73"},
                    {"class", "cold-water"}});
    x.text("text", {{"x", a.x + 9}, {"y", a.y - 6}, {"fill", "#009E73"}}, "cold water");
  }
  // Each water as sampled (square) joined to its reservoir liquid (circle).
  for (const water_point& p : waters) {
    if (!lacking(p, {"SiO2"}).empty()) continue;
    const auto s = sampled_point(p);
    std::optional<px_point> r;
    if (p.h_reservoir_kjkg && p.sio2_reservoir_mgkg &&
        f.holds(*p.h_reservoir_kjkg, *p.sio2_reservoir_mgkg)) {
      r = f.at(*p.h_reservoir_kjkg, *p.sio2_reservoir_mgkg);
    }
    if (s && r) {
      x.leaf("line", {{"x1", s->x},
                      {"y1", s->y},
                      {"x2", r->x},
                      {"y2", r->y},
                      {"stroke", "#777"},
                      {"stroke-width", "0.8"}});
    }
    if (s) {
      x.leaf("rect", {{"x", s->x - 3.5},
                      {"y", s->y - 3.5},
                      {"width", 7},
                      {"height", 7},
                      {"fill", "#CC79A7"},
                      {"class", "sampled"}});
    }
    if (r) {
      reservoir.emplace_back(p.id, *r);
    } else if (s) {
      sampled_alone.emplace_back(p.id, *s);
    }
  }
  x.close();
  labelled_dots(x, reservoir, "#000");
  labelled_dots(x, sampled_alone, "#CC79A7", true);

  // What the markers mean, in the plot's empty upper left.
  x.open("g", {{"font-size", "11"}, {"fill", "#333"}, {"class", "key"}});
  x.leaf("rect",
         {{"x", f.left + 12}, {"y", f.top + 10}, {"width", 7}, {"height", 7}, {"fill", "#CC79A7"}});
  x.text("text", {{"x", f.left + 26}, {"y", f.top + 18}}, "as sampled: measured silica");
  x.leaf("circle", {{"cx", f.left + 15.5}, {"cy", f.top + 30}, {"r", 4}, {"fill", "#000"}});
  x.text("text", {{"x", f.left + 26}, {"y", f.top + 34}},
         "reservoir liquid of the reference state");
  x.close();
  note_line(x, height, note);
  return x.str();
}

}  // namespace morva
