// The two triangles that classify geothermal waters: Na-K-Mg, for the approach of the water
// to equilibrium with the rock, and Cl-SO4-HCO3, for its origin.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "morva/units.h"
#include "plots/diagram_parts.h"
#include "plots/labels.h"
#include "plots/plots.h"
#include "plots/svg.h"

namespace morva {
namespace {

using triangle::height, triangle::width;

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
  const px_point p = triangle::at(s.right, s.top);
  return {p.x, p.y};
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

/// Files the boxes of a text of the picture (see text_boxes) as taken, so that no sample's
/// label covers it.
void file_text(label_field& f, double x, double y, std::string_view s, double size,
               text_anchor a = text_anchor::start, double angle = 0.0, double per_char = 0.6) {
  // A margin of 2 px about each box: glyphs such as √ reach beyond the average width.
  for (const px_box& b : text_boxes(x, y, text_chars(s), size, a, angle, per_char)) {
    f.take({b.x0 - 2, b.y0 - 2, b.x1 + 2, b.y1 + 2});
  }
}

/// A triangle's picture being drawn: its elements, and the texts and lines that the labels of
/// its samples keep clear of, within the picture above the lines under the triangle.
struct canvas {
  xml_writer x;
  label_field field{{2, 2, width - 2, height - 2}};
};

/// Writes a triangle's heading and the line under it.
void headings(canvas& c, const std::string& heading, const std::string& subheading) {
  c.x.text("text",
           {{"x", 20}, {"y", 24}, {"font-size", "16"}, {"font-weight", "bold"}, {"class", "title"}},
           heading);
  file_text(c.field, 20, 24, heading, 16, text_anchor::start, 0.0, 0.7);
  c.x.text("text", {{"x", 20}, {"y", 42}, {"fill", "#444"}, {"class", "subtitle"}}, subheading);
  file_text(c.field, 20, 42, subheading, 12);
}

/// The triangle's sides; the labels of the samples do not cross them.
void outline(canvas& c) {
  c.x.leaf("path", {{"d", path_data{}
                              .move(corner_left.x, corner_left.y)
                              .line(corner_right.x, corner_right.y)
                              .line(corner_top.x, corner_top.y)
                              .close()
                              .str()},
                    {"fill", "none"},
                    {"stroke", "#222"},
                    {"stroke-width", "1.3"},
                    {"class", "triangle"}});
  c.field.add_line({{corner_left.x, corner_left.y},
                    {corner_right.x, corner_right.y},
                    {corner_top.x, corner_top.y},
                    {corner_left.x, corner_left.y}});
}

/// The corner names: below the base corners and above the top.
void corner_names(canvas& c, const std::string& l, const std::string& r, const std::string& t) {
  c.x.open("g", {{"font-size", "15"}, {"font-weight", "bold"}});
  c.x.text("text",
           {{"x", corner_left.x - 8},
            {"y", corner_left.y + 20},
            {"text-anchor", "end"},
            {"class", "corner"}},
           l);
  file_text(c.field, corner_left.x - 8, corner_left.y + 20, l, 15, text_anchor::end, 0, 0.7);
  c.x.text("text", {{"x", corner_right.x + 8}, {"y", corner_right.y + 20}, {"class", "corner"}}, r);
  file_text(c.field, corner_right.x + 8, corner_right.y + 20, r, 15, text_anchor::start, 0, 0.7);
  c.x.text("text",
           {{"x", corner_top.x},
            {"y", corner_top.y - 12},
            {"text-anchor", "middle"},
            {"class", "corner"}},
           t);
  file_text(c.field, corner_top.x, corner_top.y - 12, t, 15, text_anchor::middle, 0, 0.7);
  c.x.close();
}

/// A sample drawn with a number instead of its label, for the key under the picture.
struct keyed {
  std::string number;
  std::string id;
};

/// One dot per sample at its shares, labelled with its id beside the dot where the label
/// covers no dot, no other label, no text of the picture and no line filed in c; a dot with
/// no such room gets a small number instead (beside it, or on it when even that has no room),
/// and the key under the picture names it. Past ternary_label_limit dots the labels could not
/// be read: the dots stand alone and a note says how many there are. Returns the samples
/// numbered.
std::vector<keyed> sample_points(canvas& c,
                                 const std::vector<std::pair<std::string, shares>>& samples) {
  xml_writer& x = c.x;
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
    return {};
  }
  // Width of a label in bold 12 px with its halo: about 8.5 px a character.
  std::vector<double> widths;
  std::vector<std::size_t> number_chars;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const std::string& id = samples[i].first;
    widths.push_back(8.5 *
                     static_cast<double>(text_chars(id.substr(0, id.find_last_not_of(' ') + 1))));
    // A dot's number, if it gets one, is at most its position: room is kept for that many.
    number_chars.push_back(std::to_string(i + 1).size());
  }
  const std::vector<dot_label> places = place_dot_labels(c.field, dots, widths, number_chars);
  std::vector<keyed> key;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const px_point& p = dots[i];
    if (const auto& pl = places[i].label) {
      x.text("text",
             {{"x", p.x + pl->dx},
              {"y", p.y + pl->dy},
              {"text-anchor", anchor_name(pl->anchor)},
              {"font-weight", "bold"},
              {"paint-order", "stroke"},
              {"stroke", "white"},
              {"stroke-width", "3"},
              {"class", "sample-label"}},
             samples[i].first);
      continue;
    }
    // Numbered in the order of the samples, so that the key reads in that order.
    const std::string number = std::to_string(key.size() + 1);
    key.push_back({number, samples[i].first});
    if (!places[i].marker) {
      // No room even for the number: it goes on the dot, white on a larger disc.
      x.leaf("circle", {{"cx", p.x},
                        {"cy", p.y},
                        {"r", number.size() > 1 ? 7.5 : 6.0},
                        {"fill", "#000"},
                        {"class", "marker-disc"}});
      x.text("text",
             {{"x", p.x},
              {"y", p.y + 3.2},
              {"text-anchor", "middle"},
              {"font-size", number.size() > 1 ? "8" : "9"},
              {"font-weight", "bold"},
              {"fill", "white"},
              {"class", "sample-marker"}},
             number);
      continue;
    }
    const label_place& m = *places[i].marker;
    x.text("text",
           {{"x", p.x + m.dx},
            {"y", p.y + m.dy},
            {"text-anchor", anchor_name(m.anchor)},
            {"font-size", "10"},
            {"font-weight", "bold"},
            {"fill", "#333"},
            {"paint-order", "stroke"},
            {"stroke", "white"},
            {"stroke-width", "2.5"},
            {"class", "sample-marker"}},
           number);
  }
  x.close();
  return key;
}

/// Height, px, of a line of the key under a triangle.
constexpr double key_line = 16.0;

/// The key's entries laid out in lines under the triangle from y0, px: "1 id" each, as many to
/// a line as the picture's width holds. Returns the lines used.
int key_lines(xml_writer& x, const std::vector<keyed>& key, double y0) {
  if (key.empty()) return 0;
  const std::string title = "Numbered points:";
  double px = 20.0;
  int lines = 1;
  x.open("g", {{"class", "key"}});
  x.text("text", {{"x", px}, {"y", y0}, {"fill", "#444"}, {"class", "key-title"}}, title);
  px += 7.2 * static_cast<double>(text_chars(title)) + 10.0;
  for (const keyed& k : key) {
    // About 7.5 px a character of the bold number and 7.2 of the id, in 12 px.
    const double w_number = 7.5 * static_cast<double>(k.number.size());
    const double w = w_number + 4.0 + 7.2 * static_cast<double>(text_chars(k.id)) + 14.0;
    if (px + w > width - 10.0 && px > 20.0) {
      px = 20.0;
      ++lines;
    }
    const double y = y0 + key_line * (lines - 1);
    x.text("text", {{"x", px}, {"y", y}, {"font-weight", "bold"}, {"class", "key-number"}},
           k.number);
    x.text("text", {{"x", px + w_number + 4.0}, {"y", y}, {"class", "sample-label"}}, k.id);
    px += w;
  }
  x.close();
  return lines;
}

/// The finished picture: the body of c on a white ground, then under the triangle the key of
/// the numbered samples and the note of the samples left out.
std::string finish(canvas& c, const std::vector<keyed>& key, const std::string& note) {
  xml_writer k;
  const int lines = key_lines(k, key, height + 12.0);
  const double below = key_line * lines + (lines > 0 ? 6.0 : 0.0);
  xml_writer x;
  open_svg(x, width, height + below + (note.empty() ? 0.0 : note_height));
  x.leaf("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "white"}});
  x.markup(c.x.str());
  x.markup(k.str());
  if (!note.empty()) {
    x.text("text",
           {{"x", 20},
            {"y", height + below + note_height - 6},
            {"fill", "#444"},
            {"class", "left-out"}},
           note);
  }
  return x.str();
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
/// corner falls to top, its middle offset px towards the base (0: on the curve, which the
/// white halo of the text then interrupts).
void region_label(canvas& cv, const std::vector<shares>& c, double top, double offset,
                  const std::string& name) {
  std::size_t i = 1;
  while (i + 1 < c.size() && (c[i - 1].top - top) * (c[i].top - top) > 0) ++i;
  const point a = at(c[i - 1]);
  const point b = at(c[i]);
  point d{b.x - a.x, b.y - a.y};
  if (d.x < 0) d = {-d.x, -d.y};  // left to right, so that the text reads upright
  const double len = std::hypot(d.x, d.y);
  const point n{-d.y / len, d.x / len};  // towards the base
  // The baseline lies 4.5 px below the middle of the letters of 13 px.
  const double o = offset + 4.5;
  const point p{(a.x + b.x) / 2 + o * n.x, (a.y + b.y) / 2 + o * n.y};
  const double angle = std::atan2(d.y, d.x) * 180.0 / std::numbers::pi;
  cv.x.text("text",
            {{"x", p.x},
             {"y", p.y},
             {"class", "region"},
             {"transform",
              "rotate(" + svg_number(angle) + ' ' + svg_number(p.x) + ' ' + svg_number(p.y) + ")"}},
            name);
  file_text(cv.field, p.x, p.y, name, 13, text_anchor::middle, angle);
}

/// A name of 13 px written on curve c (shares in order), along it: its middle at point
/// `middle` of c, the middle of its letters on the curve, whose line the white halo of the text
/// interrupts there. The name stands straight along the chord of the stretch of curve it
/// covers, which bends too little there to part from the letters (the curve runs left to
/// right there).
void curve_label(canvas& cv, const std::vector<shares>& c, std::size_t middle,
                 const std::string& name) {
  constexpr double size = 13.0;
  std::vector<px_point> pts;
  std::vector<double> along{0.0};  // px from the start of the curve to each point
  for (const shares& s : c) {
    const point p = at(s);
    if (!pts.empty()) {
      along.push_back(along.back() + std::hypot(p.x - pts.back().x, p.y - pts.back().y));
    }
    pts.push_back({p.x, p.y});
  }
  // The point at length u along the curve.
  const auto on_curve = [&](double u) {
    std::size_t i = 1;
    while (i + 1 < pts.size() && along[i] < u) ++i;
    const double len = along[i] - along[i - 1];
    const double f = len > 0 ? std::clamp((u - along[i - 1]) / len, 0.0, 1.0) : 0.0;
    return px_point{pts[i - 1].x + f * (pts[i].x - pts[i - 1].x),
                    pts[i - 1].y + f * (pts[i].y - pts[i - 1].y)};
  };
  const double w = 0.6 * size * static_cast<double>(text_chars(name));
  const double um = along[std::min(middle, pts.size() - 1)];
  const px_point a = on_curve(um - w / 2), b = on_curve(um + w / 2), m = on_curve(um);
  const double len = std::hypot(b.x - a.x, b.y - a.y);
  const px_point d{(b.x - a.x) / len, (b.y - a.y) / len};
  // Halfway between the chord's middle and the curve's, then the baseline 4.5 px across.
  const px_point q{(a.x + b.x + 2 * m.x) / 4 - 4.5 * d.y, (a.y + b.y + 2 * m.y) / 4 + 4.5 * d.x};
  const double angle = std::atan2(d.y, d.x) * 180.0 / std::numbers::pi;
  cv.x.text("text",
            {{"x", q.x},
             {"y", q.y},
             {"class", "region"},
             {"transform",
              "rotate(" + svg_number(angle) + ' ' + svg_number(q.x) + ' ' + svg_number(q.y) + ")"}},
            name);
  for (std::size_t i = 0; i < pts.size(); ++i) {
    if (std::abs(along[i] - um) <= w / 2 + 4) {
      cv.field.take({pts[i].x - 7, pts[i].y - 7, pts[i].x + 7, pts[i].y + 7});
    }
  }
}

/// A field of the Cl-SO4-HCO3 triangle: its corners as shares (SO4, HCO3, Cl), in order
/// round it, and where its name stands.
struct anion_field_shape {
  anion_field field;
  const char* name;
  const char* fill;
  std::vector<shares> corners;
  /// Places for the name, in order of preference: the middle of its baseline and its turn,
  /// degrees clockwise; the first clear of the samples' dots is taken.
  std::vector<std::pair<shares, double>> labels;
};

/// The fields. The three lines from the middles of the sides to the centre part the triangle
/// by the anion that dominates (Powell and Cumming 2010, after Giggenbach 1991); the chloride
/// part is cut by the line from 75 % Cl on the Cl-SO4 side to the middle of the Cl-HCO3 side
/// (Cl = 3 SO4 + HCO3): above it the mature, neutral chloride waters and their dilutions by
/// bicarbonate groundwater, below it the acid chloride-sulphate waters of volcanic systems.
const std::vector<anion_field_shape>& anion_fields() {
  static const shares centre{1.0 / 3, 1.0 / 3, 1.0 / 3};
  static const std::vector<anion_field_shape> fields = {
      {anion_field::mature,
       "mature chloride waters",
       "#D6E6F4",
       {{0, 0, 1}, {0.25, 0, 0.75}, {0, 0.5, 0.5}},
       {{{0.08, 0.28, 0.64}, 30}, {{0.045, 0.22, 0.735}, 60}}},
      {anion_field::volcanic,
       "volcanic waters",
       "#F6DCCC",
       {{0.25, 0, 0.75}, {0.5, 0, 0.5}, centre, {0, 0.5, 0.5}},
       {{{0.36, 0.04, 0.60}, -60}, {{0.165, 0.235, 0.60}, 30}, {{0.38, 0.2, 0.42}, 0}}},
      {anion_field::steam_heated,
       "steam-heated waters",
       "#F2E4B8",
       {{1, 0, 0}, {0.5, 0.5, 0}, centre, {0.5, 0, 0.5}},
       {{{0.70, 0.24, 0.06}, 0}, {{0.60, 0.14, 0.26}, 0}, {{0.47, 0.47, 0.06}, 0}}},
      {anion_field::peripheral,
       "peripheral waters",
       "#D4EBDD",
       {{0, 1, 0}, {0, 0.5, 0.5}, centre, {0.5, 0.5, 0}},
       {{{0.24, 0.70, 0.06}, 0}, {{0.14, 0.60, 0.26}, 0}, {{0.47, 0.47, 0.06}, 0}}},
  };
  return fields;
}

/// True when the point of shares s lies in the convex field of corners c, its edges included
/// (to a part in 10^12 of a share).
bool inside(const shares& s, const std::vector<shares>& c) {
  // Cross products in the plane of (HCO3, Cl) shares, which maps the triangle affinely.
  double sign = 0.0;
  for (std::size_t i = 0; i < c.size(); ++i) {
    const shares& a = c[i];
    const shares& b = c[(i + 1) % c.size()];
    const double cross =
        (b.right - a.right) * (s.top - a.top) - (b.top - a.top) * (s.right - a.right);
    if (std::abs(cross) <= 1e-12) continue;
    if (sign == 0.0) sign = cross;
    if (cross * sign < 0) return false;
  }
  return true;
}

}  // namespace

std::optional<corner_shares> giggenbach_shares(const ternary_sample& s) {
  // A corner not analysed is not a zero: the water has no place in the triangle.
  if (!s.nakmg_missing.empty()) return std::nullopt;
  return percent(nakmg_of(s));
}

std::optional<corner_shares> cl_so4_hco3_shares(const ternary_sample& s) {
  if (!s.anions_missing.empty()) return std::nullopt;
  return percent(anions_of(s));
}

anion_field cl_so4_hco3_field(const corner_shares& s) {
  const std::optional<shares> sh = normalised(s.left, s.right, s.top);
  if (!sh) return anion_field::mature;
  for (const anion_field_shape& f : anion_fields()) {
    if (inside(*sh, f.corners)) return f.field;
  }
  return anion_field::mature;  // not reached: the fields cover the triangle
}

const char* field_name(anion_field f) {
  for (const anion_field_shape& s : anion_fields()) {
    if (s.field == f) return s.name;
  }
  return "";
}

std::string giggenbach_svg(const std::vector<ternary_sample>& samples) {
  std::vector<std::string> missing;
  for (const ternary_sample& s : samples) {
    if (!s.nakmg_missing.empty()) missing.push_back(s.id + " (" + s.nakmg_missing + ")");
  }
  const std::string note = left_out_note(missing);
  canvas c;
  xml_writer& x = c.x;
  headings(c, "Na-K-Mg",
           "Giggenbach (1988): relative proportions of Na/1000, K/100 and \u221AMg (mg/kg), %");
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
  // The isotherms' temperatures where they meet the sides, °C: Na-K along the base, K-Mg
  // along the right side.
  x.open("g", {{"fill", "#555"}, {"font-size", "10"}, {"class", "isotherm-labels"}});
  for (double t = t_first; t <= t_last + 1e-9; t += 2 * t_step) {
    const point b = at(*normalised(std::pow(10.0, log_na_k(t)) / 1000.0, 1.0 / 100.0, 0.0));
    const std::string label = label_number(t, 0);
    x.text("text", {{"x", b.x}, {"y", b.y + 13}, {"text-anchor", "middle"}, {"class", "tick"}},
           label);
    file_text(c.field, b.x, b.y + 13, label, 10, text_anchor::middle);
  }
  for (double t = t_first + t_step; t <= t_last + 1e-9; t += 2 * t_step) {
    const point r = at(*normalised(0.0, 1.0 / 100.0, std::pow(10.0, -log_k2_mg(t) / 2.0)));
    const std::string label = label_number(t, 0);
    x.text("text", {{"x", r.x + 6}, {"y", r.y + 2}, {"class", "tick"}}, label);
    file_text(c.field, r.x + 6, r.y + 2, label, 10);
  }
  x.close();
  {
    const std::string title = "Na-K temperature (\u00B0C)";
    const double tx = (corner_left.x + corner_right.x) / 2, ty = corner_left.y + 30;
    x.text("text",
           {{"x", tx},
            {"y", ty},
            {"text-anchor", "middle"},
            {"fill", "#444"},
            {"class", "axis-title"}},
           title);
    file_text(c.field, tx, ty, title, 12, text_anchor::middle);
  }
  {
    const std::string title = "K-Mg temperature (\u00B0C)";
    const point m{(corner_right.x + corner_top.x) / 2 + 44, (corner_right.y + corner_top.y) / 2};
    x.text("text",
           {{"x", m.x},
            {"y", m.y},
            {"text-anchor", "middle"},
            {"fill", "#444"},
            {"class", "axis-title"},
            {"transform", "rotate(60 " + svg_number(m.x) + ' ' + svg_number(m.y) + ")"}},
           title);
    file_text(c.field, m.x, m.y, title, 12, text_anchor::middle, 60);
  }
  outline(c);

  // The boundary of immature waters and the curve of full equilibrium with its temperatures,
  // drawn over the range it is ticked.
  const std::vector<shares> immature = maturity_curve(2.0);
  x.leaf("path", {{"d", polyline(immature).str()},
                  {"fill", "none"},
                  {"stroke", "#000"},
                  {"stroke-width", "1.4"},
                  {"stroke-dasharray", "7 4"},
                  {"class", "immature"}});
  std::vector<shares> eq;
  for (double t = t_first; t <= t_last + 1e-9; t += 2.0) eq.push_back(equilibrium(t));
  x.leaf("path", {{"d", polyline(eq).str()},
                  {"fill", "none"},
                  {"stroke", "#000"},
                  {"stroke-width", "2"},
                  {"class", "equilibrium"}});
  for (const std::vector<shares>* curve :
       {&immature, static_cast<const std::vector<shares>*>(&eq)}) {
    std::vector<px_point> pts;
    for (const shares& sh : *curve) pts.push_back({at(sh).x, at(sh).y});
    c.field.add_line(pts);
  }
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
    const double tick = far ? 16.0 : 5.0;
    // The label's middle beyond the tick by half its extent along the normal (three figures
    // of 9.5 px: about 17 px wide, 7 px high) and a gap of 2 px.
    const double out = tick + 2.0 + 0.5 * (17.0 * std::abs(n.x) + 7.0 * std::abs(n.y));
    x.leaf("line", {{"x1", p.x},
                    {"y1", p.y},
                    {"x2", p.x + tick * n.x},
                    {"y2", p.y + tick * n.y},
                    {"stroke", "#000"},
                    {"stroke-width", "0.8"}});
    c.field.add_line({{p.x, p.y}, {p.x + tick * n.x, p.y + tick * n.y}});
    const std::string label = label_number(t, 0);
    x.text("text",
           {{"x", p.x + out * n.x},
            {"y", p.y + out * n.y + 3.5},
            {"text-anchor", "middle"},
            {"paint-order", "stroke"},
            {"stroke", "white"},
            {"stroke-width", "2.5"},
            {"class", "equilibrium-tick"}},
           label);
    file_text(c.field, p.x + out * n.x, p.y + out * n.y + 3.5, label, 9.5, text_anchor::middle);
  }
  x.close();

  // Region names: full equilibrium on its curve, along it; partial equilibration between the
  // two curves, immature waters between the boundary and the K-Mg side.
  x.open("g", {{"font-style", "italic"},
               {"fill", "#333"},
               {"font-size", "13"},
               {"text-anchor", "middle"},
               {"paint-order", "stroke"},
               {"stroke", "white"},
               {"stroke-width", "6"},
               {"stroke-linejoin", "round"}});
  curve_label(c, eq, static_cast<std::size_t>((270.0 - t_first) / 2.0), "full equilibrium");
  region_label(c, maturity_curve(2.33), 0.45, 0.0, "partial equilibration");
  region_label(c, maturity_curve(1.2), 0.42, 0.0, "immature waters");
  x.close();
  corner_names(c, "Na/1000", "K/100", "\u221AMg");

  std::vector<std::pair<std::string, shares>> drawn;
  for (const ternary_sample& s : samples) {
    if (!s.nakmg_missing.empty()) continue;
    if (const auto sh = nakmg_of(s)) drawn.emplace_back(s.id, *sh);
  }
  const std::vector<keyed> key = sample_points(c, drawn);
  return finish(c, key, note);
}

std::string cl_so4_hco3_svg(const std::vector<ternary_sample>& samples) {
  std::vector<std::string> missing;
  for (const ternary_sample& s : samples) {
    if (!s.anions_missing.empty()) missing.push_back(s.id + " (" + s.anions_missing + ")");
  }
  const std::string note = left_out_note(missing);
  std::vector<std::pair<std::string, shares>> drawn;
  for (const ternary_sample& s : samples) {
    if (!s.anions_missing.empty()) continue;
    if (const auto sh = anions_of(s)) drawn.emplace_back(s.id, *sh);
  }
  canvas c;
  xml_writer& x = c.x;
  headings(c, "Cl-SO\u2084-HCO\u2083",
           "Relative proportions of Cl, SO\u2084 and HCO\u2083 (mg/kg), %; fields after "
           "Giggenbach (1991)");

  for (const anion_field_shape& f : anion_fields()) {
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
    x.text("text", {{"x", so4.x}, {"y", so4.y + 14}, {"text-anchor", "middle"}, {"class", "tick"}},
           pct);
    file_text(c.field, so4.x, so4.y + 14, pct, 10, text_anchor::middle);
    const point hco3 = at({0, v, 1 - v});  // HCO3 share, along the right side
    x.text("text", {{"x", hco3.x + 6}, {"y", hco3.y + 4}, {"class", "tick"}}, pct);
    file_text(c.field, hco3.x + 6, hco3.y + 4, pct, 10);
    const point cl = at({1 - v, 0, v});  // Cl share, along the left side
    x.text("text", {{"x", cl.x - 6}, {"y", cl.y + 4}, {"text-anchor", "end"}, {"class", "tick"}},
           pct);
    file_text(c.field, cl.x - 6, cl.y + 4, pct, 10, text_anchor::end);
  }
  x.close();
  // Each side's quantity beside its ticks, the arrow pointing where its share grows.
  x.open("g", {{"fill", "#444"}, {"class", "axis-title"}});
  {
    const std::string so4 = "\u2190 SO\u2084 %";
    const double tx = (corner_left.x + corner_right.x) / 2, ty = corner_left.y + 30;
    x.text("text", {{"x", tx}, {"y", ty}, {"text-anchor", "middle"}}, so4);
    file_text(c.field, tx, ty, so4, 12, text_anchor::middle);
    // The middles of the slanting sides, 30 px out from them.
    const double h = std::sqrt(3.0) / 2;
    const point l{(corner_left.x + corner_top.x) / 2 - 30 * h,
                  (corner_left.y + corner_top.y) / 2 - 15};
    const std::string cl = "Cl % \u2192";
    x.text("text",
           {{"x", l.x},
            {"y", l.y},
            {"text-anchor", "middle"},
            {"transform", "rotate(-60 " + svg_number(l.x) + ' ' + svg_number(l.y) + ")"}},
           cl);
    file_text(c.field, l.x, l.y, cl, 12, text_anchor::middle, -60);
    const point r{(corner_right.x + corner_top.x) / 2 + 30 * h,
                  (corner_right.y + corner_top.y) / 2 - 15};
    const std::string hco3 = "HCO\u2083 % \u2192";
    x.text("text",
           {{"x", r.x},
            {"y", r.y},
            {"text-anchor", "middle"},
            {"transform", "rotate(60 " + svg_number(r.x) + ' ' + svg_number(r.y) + ")"}},
           hco3);
    file_text(c.field, r.x, r.y, hco3, 12, text_anchor::middle, 60);
  }
  x.close();
  outline(c);
  x.open(
      "g",
      {{"font-style", "italic"}, {"fill", "#222"}, {"font-size", "12"}, {"text-anchor", "middle"}});
  for (const anion_field_shape& f : anion_fields()) {
    // The first place whose text covers no sample's dot, else the one covering the fewest.
    std::size_t best = 0;
    int best_dots = -1;
    for (std::size_t k = 0; k < f.labels.size() && best_dots != 0; ++k) {
      const point p = at(f.labels[k].first);
      int n = 0;
      for (const px_box& b :
           text_boxes(p.x, p.y, text_chars(f.name), 12, text_anchor::middle, f.labels[k].second)) {
        for (const auto& [id, sh] : drawn) {
          const point d = at(sh);
          n += boxes_overlap(b, {d.x - 6, d.y - 6, d.x + 6, d.y + 6}) ? 1 : 0;
        }
      }
      if (best_dots < 0 || n < best_dots) std::tie(best, best_dots) = std::pair{k, n};
    }
    const point p = at(f.labels[best].first);
    const double angle = f.labels[best].second;
    x.text("text",
           {{"x", p.x},
            {"y", p.y},
            {"class", "field-label"},
            {"transform",
             "rotate(" + svg_number(angle) + ' ' + svg_number(p.x) + ' ' + svg_number(p.y) + ")"}},
           f.name);
    file_text(c.field, p.x, p.y, f.name, 12, text_anchor::middle, angle);
  }
  x.close();
  corner_names(c, "SO\u2084", "HCO\u2083", "Cl");

  const std::vector<keyed> key = sample_points(c, drawn);
  return finish(c, key, note);
}

}  // namespace morva
