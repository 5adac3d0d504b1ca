// The two triangles that classify geothermal waters: Na-K-Mg, for the approach of the water
// to equilibrium with the rock, and Cl-SO4-HCO3, for its origin.

#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "morva/units.h"
#include "plots/diagram_parts.h"
#include "plots/labels.h"
#include "plots/plots.h"
#include "plots/svg.h"

namespace morva {
namespace {

// Picture layout, px: an equilateral triangle with its base at the bottom.
constexpr double width = 640.0;
constexpr double height = 540.0;
constexpr double side = 480.0;
constexpr double base_left = 80.0;
constexpr double base_y = 494.0;

struct point {
  double x, y;
};

/// Shares of the three corners, each 0..1, summing to 1: bottom left, bottom right, top.
struct shares {
  double left, right, top;
};

/// The shares of amounts a (bottom left), b (bottom right) and c (top); empty when they sum to
/// zero or one of them is negative or not finite.
std::optional<shares> normalised(double a, double b, double c) {
  for (const double v : {a, b, c}) {
    if (!std::isfinite(v) || v < 0) return std::nullopt;
  }
  const double sum = a + b + c;
  if (!(sum > 0) || !std::isfinite(sum)) return std::nullopt;
  return shares{a / sum, b / sum, c / sum};
}

/// Shares of Na/1000, K/100 and √Mg of water s (mg/kg); empty as normalised is.
std::optional<shares> nakmg_of(const ternary_sample& s) {
  return normalised(s.na_mgkg / 1000.0, s.k_mgkg / 100.0,
                    s.mg_mgkg >= 0 ? std::sqrt(s.mg_mgkg) : -1.0);
}

/// Shares of SO4, HCO3 and Cl of water s (mg/kg); empty as normalised is.
std::optional<shares> anions_of(const ternary_sample& s) {
  return normalised(s.so4_mgkg, s.hco3_mgkg, s.cl_mgkg);
}

/// The shares of sh in %.
std::optional<corner_shares> percent(const std::optional<shares>& sh) {
  if (!sh) return std::nullopt;
  return corner_shares{100 * sh->left, 100 * sh->right, 100 * sh->top};
}

/// Position, px, of the point of shares s.
point at(const shares& s) {
  const double h = side * std::sqrt(3.0) / 2;
  return {base_left + s.right * side + s.top * side / 2, base_y - s.top * h};
}

const point corner_left = at({1, 0, 0});
const point corner_right = at({0, 1, 0});
const point corner_top = at({0, 0, 1});

/// Path through the points of shares, in order.
path_data polyline(const std::vector<shares>& s) {
  path_data d;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const point p = at(s[i]);
    i == 0 ? d.move(p.x, p.y) : d.line(p.x, p.y);
  }
  return d;
}

/// Height, px, of the line under a triangle that names the samples left out.
constexpr double note_height = 18.0;
/// Characters of that line before it says how many more samples were left out.
constexpr std::size_t note_chars = 96;

}  // namespace

/// The line that names the samples left out for what their analysis lacks, "A-2 (Mg)" each
/// in missing; empty when none is.
std::string left_out_note(const std::vector<std::string>& missing) {
  if (missing.empty()) return {};
  std::string note = "Not drawn, not analysed: ";
  std::size_t named = 0;
  for (; named < missing.size(); ++named) {
    const std::string more = " and " + std::to_string(missing.size() - named) + " more";
    const std::string next = (named > 0 ? ", " : "") + missing[named];
    if (named > 0 && note.size() + next.size() + more.size() > note_chars) break;
    note += next;
  }
  if (named < missing.size()) note += " and " + std::to_string(missing.size() - named) + " more";
  return note;
}

namespace {

/// Opens a triangle's picture with its heading and a line under it, a line higher when a
/// note of samples left out goes under the triangle.
void open_picture(xml_writer& x, const std::string& heading, const std::string& subheading,
                  bool with_note) {
  open_svg(x, width, height + (with_note ? note_height : 0.0));
  x.leaf("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "white"}});
  x.text("text",
         {{"x", 20}, {"y", 24}, {"font-size", "16"}, {"font-weight", "bold"}, {"class", "title"}},
         heading);
  x.text("text", {{"x", 20}, {"y", 42}, {"fill", "#444"}}, subheading);
}

/// The triangle's sides.
void outline(xml_writer& x) {
  x.leaf("path", {{"d", path_data{}
                            .move(corner_left.x, corner_left.y)
                            .line(corner_right.x, corner_right.y)
                            .line(corner_top.x, corner_top.y)
                            .close()
                            .str()},
                  {"fill", "none"},
                  {"stroke", "#222"},
                  {"stroke-width", "1.3"},
                  {"class", "triangle"}});
}

/// The corner names: below the base corners and above the top.
void corner_names(xml_writer& x, const std::string& l, const std::string& r, const std::string& t) {
  x.open("g", {{"font-size", "15"}, {"font-weight", "bold"}});
  x.text("text",
         {{"x", corner_left.x - 8},
          {"y", corner_left.y + 20},
          {"text-anchor", "end"},
          {"class", "corner"}},
         l);
  x.text("text", {{"x", corner_right.x + 8}, {"y", corner_right.y + 20}, {"class", "corner"}}, r);
  x.text("text",
         {{"x", corner_top.x},
          {"y", corner_top.y - 12},
          {"text-anchor", "middle"},
          {"class", "corner"}},
         t);
  x.close();
}

/// One dot per sample at its shares, labelled with its id; a label goes to the first side of
/// its dot where it covers no dot and no label placed before. Past ternary_label_limit dots
/// the labels could not be read: the dots stand alone and a note says how many there are.
void sample_points(xml_writer& x, const std::vector<std::pair<std::string, shares>>& samples) {
  std::vector<px_point> dots;
  dots.reserve(samples.size());
  for (const auto& [id, s] : samples) {
    const point p = at(s);
    dots.push_back({p.x, p.y});
  }
  x.open("g", {{"class", "samples"}});
  for (const px_point& p : dots) {
    x.leaf("circle", {{"cx", p.x},
                      {"cy", p.y},
                      {"r", 4.5},
                      {"fill", "#000"},
                      {"stroke", "white"},
                      {"stroke-width", "1.2"},
                      {"class", "sample"}});
  }
  if (samples.size() > ternary_label_limit) {
    x.close();
    x.text("text", {{"x", 20}, {"y", 60}, {"fill", "#444"}, {"class", "note"}},
           std::to_string(samples.size()) + " waters, too many to label");
    return;
  }
  std::vector<std::size_t> chars;
  chars.reserve(samples.size());
  for (const auto& [id, s] : samples) chars.push_back(id.find_last_not_of(' ') + 1);
  const std::vector<label_place> places = place_labels(dots, chars);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const px_point& p = dots[i];
    const label_place& pl = places[i];
    x.text("text",
           {{"x", p.x + pl.dx},
            {"y", p.y + pl.dy},
            {"text-anchor", anchor_name(pl.anchor)},
            {"font-weight", "bold"},
            {"paint-order", "stroke"},
            {"stroke", "white"},
            {"stroke-width", "3"},
            {"class", "sample-label"}},
           samples[i].first);
  }
  x.close();
}

/// The note under the triangle that names the samples left out.
void left_out_line(xml_writer& x, const std::string& note) {
  if (note.empty()) return;
  x.text("text",
         {{"x", 20}, {"y", height + note_height - 6}, {"fill", "#444"}, {"class", "left-out"}},
         note);
}

// Na-K-Mg: the Na-K and K-Mg geothermometers as Giggenbach (1988) paired them, T in °C.
/// log10(Na/K) of water in equilibrium with albite and K-feldspar at t_c.
double log_na_k(double t_c) { return 1390.0 / (t_c + zero_celsius_k) - 1.75; }
/// log10(K²/Mg) of water in equilibrium with K-feldspar, K-mica and chlorite at t_c.
double log_k2_mg(double t_c) { return 14.0 - 4410.0 / (t_c + zero_celsius_k); }

/// Na-K-Mg shares of a water with the given log10(Na/K) and log10(K²/Mg). The corners,
/// Na/1000, K/100 and √Mg, are all proportional to K at a fixed pair of ratios, so the pair
/// alone fixes the point.
shares nakmg_shares(double lg_na_k, double lg_k2_mg) {
  return *normalised(std::pow(10.0, lg_na_k) / 1000.0, 1.0 / 100.0,
                     std::pow(10.0, -lg_k2_mg / 2.0));
}

/// The point of full equilibrium at t_c, where both geothermometers give t_c.
shares equilibrium(double t_c) { return nakmg_shares(log_na_k(t_c), log_k2_mg(t_c)); }

/// The curve of maturity index 0.315·log10(K²/Mg) − log10(K/Na) = mi, from near the K corner
/// to near the Mg corner.
std::vector<shares> maturity_curve(double mi) {
  std::vector<shares> c;
  for (double lg_na_k = -3.0; lg_na_k <= 6.0 + 1e-9; lg_na_k += 0.05) {
    c.push_back(nakmg_shares(lg_na_k, (mi - lg_na_k) / 0.315));
  }
  return c;
}

/// Unit vector normal to the equilibrium curve at t_c, on the side away from the base.
point normal_up(double t_c) {
  const point a = at(equilibrium(t_c - 1.0));
  const point b = at(equilibrium(t_c + 1.0));
  const double len = std::hypot(b.x - a.x, b.y - a.y);
  point n{(b.y - a.y) / len, -(b.x - a.x) / len};
  if (n.y > 0) n = {-n.x, -n.y};
  return n;
}

/// A region's name written along curve c (shares in order) where its share of the top
/// corner falls to top, offset px towards the base.
void region_label(xml_writer& x, const std::vector<shares>& c, double top, double offset,
                  const std::string& name) {
  std::size_t i = 1;
  while (i + 1 < c.size() && (c[i - 1].top - top) * (c[i].top - top) > 0) ++i;
  const point a = at(c[i - 1]);
  const point b = at(c[i]);
  point d{b.x - a.x, b.y - a.y};
  if (d.x < 0) d = {-d.x, -d.y};  // left to right, so that the text reads upright
  const double len = std::hypot(d.x, d.y);
  const point n{-d.y / len, d.x / len};  // towards the base
  const point p{(a.x + b.x) / 2 + offset * n.x, (a.y + b.y) / 2 + offset * n.y};
  const double angle = std::atan2(d.y, d.x) * 180.0 / std::numbers::pi;
  x.text("text",
         {{"x", p.x},
          {"y", p.y},
          {"class", "region"},
          {"transform",
           "rotate(" + svg_number(angle) + ' ' + svg_number(p.x) + ' ' + svg_number(p.y) + ")"}},
         name);
}

}  // namespace

std::optional<corner_shares> giggenbach_shares(const ternary_sample& s) {
  return percent(nakmg_of(s));
}

std::optional<corner_shares> cl_so4_hco3_shares(const ternary_sample& s) {
  return percent(anions_of(s));
}

std::string giggenbach_svg(const std::vector<ternary_sample>& samples) {
  std::vector<std::string> missing;
  for (const ternary_sample& s : samples) {
    if (!s.nakmg_missing.empty()) missing.push_back(s.id + " (" + s.nakmg_missing + ")");
  }
  const std::string note = left_out_note(missing);
  xml_writer x;
  open_picture(x, "Na-K-Mg", "Giggenbach (1988); concentrations in mg/kg, shares of the corners",
               !note.empty());
  constexpr double t_first = 100.0, t_last = 340.0, t_step = 20.0;

  // Isotherms: Na-K from the Mg corner to the base, K-Mg from the Na corner to the right side,
  // each through the point of full equilibrium at its temperature.
  x.open("g", {{"stroke", "#B8B8B8"}, {"stroke-width", "0.7"}, {"class", "isotherms"}});
  for (double t = t_first; t <= t_last + 1e-9; t += t_step) {
    const shares nk = *normalised(std::pow(10.0, log_na_k(t)) / 1000.0, 1.0 / 100.0, 0.0);
    const point b = at(nk);
    x.leaf("line", {{"x1", corner_top.x}, {"y1", corner_top.y}, {"x2", b.x}, {"y2", b.y}});
    const shares km = *normalised(0.0, 1.0 / 100.0, std::pow(10.0, -log_k2_mg(t) / 2.0));
    const point r = at(km);
    x.leaf("line", {{"x1", corner_left.x}, {"y1", corner_left.y}, {"x2", r.x}, {"y2", r.y}});
  }
  x.close();
  x.open("g", {{"fill", "#555"}, {"font-size", "10"}, {"class", "isotherm-labels"}});
  for (double t = t_first; t <= t_last + 1e-9; t += 2 * t_step) {
    const point b = at(*normalised(std::pow(10.0, log_na_k(t)) / 1000.0, 1.0 / 100.0, 0.0));
    x.text("text", {{"x", b.x}, {"y", b.y + 13}, {"text-anchor", "middle"}}, label_number(t, 0));
  }
  for (double t = t_first + t_step; t <= t_last + 1e-9; t += 2 * t_step) {
    const point r = at(*normalised(0.0, 1.0 / 100.0, std::pow(10.0, -log_k2_mg(t) / 2.0)));
    x.text("text", {{"x", r.x + 6}, {"y", r.y + 2}}, label_number(t, 0));
  }
  x.close();
  x.text("text",
         {{"x", (corner_left.x + corner_right.x) / 2},
          {"y", corner_left.y + 30},
          {"text-anchor", "middle"},
          {"fill", "#444"},
          {"class", "axis-title"}},
         "Na-K temperature (\u00B0C)");
  {
    const point m{(corner_right.x + corner_top.x) / 2 + 44, (corner_right.y + corner_top.y) / 2};
    x.text("text",
           {{"x", m.x},
            {"y", m.y},
            {"text-anchor", "middle"},
            {"fill", "#444"},
            {"class", "axis-title"},
            {"transform", "rotate(60 " + svg_number(m.x) + ' ' + svg_number(m.y) + ")"}},
           "K-Mg temperature (\u00B0C)");
  }
  outline(x);

  // The boundary of immature waters and the curve of full equilibrium with its temperatures.
  x.leaf("path", {{"d", polyline(maturity_curve(2.0)).str()},
                  {"fill", "none"},
                  {"stroke", "#000"},
                  {"stroke-width", "1.4"},
                  {"stroke-dasharray", "7 4"},
                  {"class", "immature"}});
  std::vector<shares> eq;
  for (double t = 60.0; t <= 350.0 + 1e-9; t += 2.0) eq.push_back(equilibrium(t));
  x.leaf("path", {{"d", polyline(eq).str()},
                  {"fill", "none"},
                  {"stroke", "#000"},
                  {"stroke-width", "2"},
                  {"class", "equilibrium"}});
  x.open("g", {{"class", "equilibrium-ticks"}, {"font-size", "9.5"}});
  // Towards the K corner the temperatures crowd: a label close to the one before it stands
  // farther out when that one stood near.
  std::optional<point> before;
  bool far = false;
  for (double t = t_first; t <= t_last + 1e-9; t += t_step) {
    const point p = at(equilibrium(t));
    const point n = normal_up(t);
    far = before && std::hypot(p.x - before->x, p.y - before->y) < 26.0 && !far;
    before = p;
    const double out = far ? 24.0 : 13.0;
    x.leaf("line", {{"x1", p.x},
                    {"y1", p.y},
                    {"x2", p.x + (out - 8) * n.x},
                    {"y2", p.y + (out - 8) * n.y},
                    {"stroke", "#000"},
                    {"stroke-width", "0.8"}});
    x.text("text",
           {{"x", p.x + out * n.x},
            {"y", p.y + out * n.y + 3.5},
            {"text-anchor", "middle"},
            {"paint-order", "stroke"},
            {"stroke", "white"},
            {"stroke-width", "2.5"},
            {"class", "equilibrium-tick"}},
           label_number(t, 0));
  }
  x.close();

  // Region names along the curves that bound them: full equilibrium under its curve,
  // partial equilibration between the two curves, immature waters between the boundary and
  // the K-Mg side.
  x.open("g", {{"font-style", "italic"},
               {"fill", "#333"},
               {"font-size", "13"},
               {"text-anchor", "middle"},
               {"paint-order", "stroke"},
               {"stroke", "white"},
               {"stroke-width", "3"}});
  region_label(x, eq, 0.16, 13.0, "full equilibrium");
  region_label(x, maturity_curve(2.33), 0.45, 4.0, "partial equilibration");
  region_label(x, maturity_curve(1.2), 0.42, 4.0, "immature waters");
  x.close();

  std::vector<std::pair<std::string, shares>> drawn;
  for (const ternary_sample& s : samples) {
    if (!s.nakmg_missing.empty()) continue;
    if (const auto sh = nakmg_of(s)) drawn.emplace_back(s.id, *sh);
  }
  sample_points(x, drawn);
  corner_names(x, "Na/1000", "K/100", "\u221AMg");
  left_out_line(x, note);
  return x.str();
}

std::string cl_so4_hco3_svg(const std::vector<ternary_sample>& samples) {
  std::vector<std::string> missing;
  for (const ternary_sample& s : samples) {
    if (!s.anions_missing.empty()) missing.push_back(s.id + " (" + s.anions_missing + ")");
  }
  const std::string note = left_out_note(missing);
  xml_writer x;
  open_picture(x, "Cl-SO\u2084-HCO\u2083", "concentrations in mg/kg, shares of the corners in %",
               !note.empty());

  // Fields of the common classification, as shares (SO4, HCO3, Cl): mature chloride waters
  // above 70 % Cl, steam-heated waters above 70 % SO4, peripheral waters above 70 % HCO3,
  // and volcanic waters along the Cl-SO4 side below 20 % HCO3, between the first two. Each
  // name in two lines about a point of its field, turned along the field where it is long.
  struct field {
    const char* name;
    const char* line1;
    const char* line2;
    const char* fill;
    std::vector<shares> corners;
    shares label;
    double angle;
  };
  const field fields[] = {
      {"mature chloride waters",
       "mature",
       "chloride waters",
       "#D6E6F4",
       {{0, 0, 1}, {0.3, 0, 0.7}, {0, 0.3, 0.7}},
       {0.11, 0.11, 0.78},
       0},
      {"volcanic waters",
       "volcanic",
       "waters",
       "#F6DCCC",
       {{0.3, 0, 0.7}, {0.7, 0, 0.3}, {0.5, 0.2, 0.3}, {0.1, 0.2, 0.7}},
       {0.45, 0.1, 0.45},
       -60},
      {"steam-heated waters",
       "steam-heated",
       "waters",
       "#F2E4B8",
       {{1, 0, 0}, {0.7, 0, 0.3}, {0.7, 0.3, 0}},
       {0.81, 0.15, 0.04},
       0},
      {"peripheral waters",
       "peripheral",
       "waters",
       "#D4EBDD",
       {{0, 1, 0}, {0.3, 0.7, 0}, {0, 0.7, 0.3}},
       {0.15, 0.81, 0.04},
       0},
  };
  for (const field& f : fields) {
    x.leaf("path", {{"d", polyline(f.corners).close().str()},
                    {"fill", f.fill},
                    {"stroke", "#555"},
                    {"stroke-dasharray", "5 3"},
                    {"class", "field"}});
  }
  // Grid every 20 % of each corner, with its share written on the side it meets.
  x.open("g", {{"stroke", "#C8C8C8"}, {"stroke-width", "0.7"}, {"class", "grid"}});
  for (int i = 1; i <= 4; ++i) {
    const double v = 0.2 * i;
    for (const auto& [a, b] : {std::pair{shares{v, 1 - v, 0}, shares{v, 0, 1 - v}},
                               std::pair{shares{1 - v, v, 0}, shares{0, v, 1 - v}},
                               std::pair{shares{1 - v, 0, v}, shares{0, 1 - v, v}}}) {
      const point p = at(a);
      const point q = at(b);
      x.leaf("line", {{"x1", p.x}, {"y1", p.y}, {"x2", q.x}, {"y2", q.y}});
    }
  }
  x.close();
  x.open("g", {{"fill", "#555"}, {"font-size", "10"}, {"class", "grid-labels"}});
  for (int i = 1; i <= 4; ++i) {
    const double v = 0.2 * i;
    const std::string pct = label_number(100 * v, 0);
    const point so4 = at({v, 1 - v, 0});  // SO4 share, read along the base
    x.text("text", {{"x", so4.x}, {"y", so4.y + 14}, {"text-anchor", "middle"}}, pct);
    const point hco3 = at({0, v, 1 - v});  // HCO3 share, along the right side
    x.text("text", {{"x", hco3.x + 6}, {"y", hco3.y + 4}}, pct);
    const point cl = at({1 - v, 0, v});  // Cl share, along the left side
    x.text("text", {{"x", cl.x - 6}, {"y", cl.y + 4}, {"text-anchor", "end"}}, pct);
  }
  x.close();
  outline(x);
  x.open(
      "g",
      {{"font-style", "italic"}, {"fill", "#222"}, {"font-size", "12"}, {"text-anchor", "middle"}});
  for (const field& f : fields) {
    const point p = at(f.label);
    x.open("text", {{"class", "field-label"},
                    {"transform", "rotate(" + svg_number(f.angle) + ' ' + svg_number(p.x) + ' ' +
                                      svg_number(p.y) + ")"}});
    x.text("tspan", {{"x", p.x}, {"y", p.y - 11}}, f.line1);
    x.text("tspan", {{"x", p.x}, {"y", p.y + 4}}, f.line2);
    x.close();
  }
  x.close();

  std::vector<std::pair<std::string, shares>> drawn;
  for (const ternary_sample& s : samples) {
    if (!s.anions_missing.empty()) continue;
    if (const auto sh = anions_of(s)) drawn.emplace_back(s.id, *sh);
  }
  sample_points(x, drawn);
  corner_names(x, "SO\u2084", "HCO\u2083", "Cl");
  left_out_line(x, note);
  return x.str();
}

}  // namespace morva
