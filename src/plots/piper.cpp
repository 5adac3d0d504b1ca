// The Piper diagram (Piper, Trans. Am. Geophys. Union 25, 914-928, 1944): the cations and the
// anions of each water as meq shares in two triangles, and both together in the diamond
// between them, where the point of the cations moved parallel to the Ca-Mg side meets the
// point of the anions moved parallel to the Cl-SO4 side.

#include <cmath>

#include "plots/diagram_parts.h"
#include "plots/plots.h"
#include "plots/svg.h"

namespace morva {
namespace {

constexpr double width = 640.0;
constexpr double height = 590.0;
constexpr double side = 240.0;           ///< px, of each triangle and of the diamond
constexpr double gap = 36.0;             ///< px between the triangles
constexpr double left_x = 62.0;          ///< px, the Ca corner
constexpr double base_y = 540.0;         ///< px, the triangles' base
const double rise = std::sqrt(3.0) / 2;  ///< height of a side of 1

/// The point of shares a, b, c (0..1, summing to 1) of the triangle with base corners p (a)
/// and q (b) and its apex (c) above them.
px_point in_triangle(px_point p, px_point q, double /*a*/, double b, double c) {
  const double d = q.x - p.x;
  return {p.x + b * d + c * d / 2, p.y - c * d * rise};
}

}  // namespace

piper_frame piper_corners() {
  const px_point ca{left_x, base_y}, na_k{left_x + side, base_y};
  const px_point hco3{left_x + side + gap, base_y}, cl{left_x + 2 * side + gap, base_y};
  const px_point bottom{left_x + side + gap / 2, base_y - gap * rise};
  return {ca,
          na_k,
          {left_x + side / 2, base_y - side * rise},
          hco3,
          cl,
          {hco3.x + side / 2, base_y - side * rise},
          bottom,
          {bottom.x - side / 2, bottom.y - side * rise},
          {bottom.x + side / 2, bottom.y - side * rise},
          {bottom.x, bottom.y - 2 * side * rise}};
}

std::optional<piper_points> piper_place(const major_ions& ions) {
  const double cations = ions.ca + ions.mg + ions.na_k;
  const double anions = ions.hco3_co3 + ions.cl + ions.so4;
  if (!(cations > 0) || !(anions > 0) || !std::isfinite(cations) || !std::isfinite(anions))
    return std::nullopt;
  const piper_frame c = piper_corners();
  const double ca = ions.ca / cations, mg = ions.mg / cations, na_k = ions.na_k / cations;
  const double hco3 = ions.hco3_co3 / anions, so4 = ions.so4 / anions, cl = ions.cl / anions;
  // In the diamond: up-left by the share of Ca+Mg, up-right by that of Cl+SO4.
  const double cm = ca + mg, cs = cl + so4;
  return piper_points{in_triangle(c.ca, c.na_k, ca, na_k, mg),
                      in_triangle(c.hco3, c.cl, hco3, cl, so4),
                      {c.bottom.x + (cs - cm) * side / 2, c.bottom.y - (cm + cs) * side * rise}};
}

std::string piper_svg(const std::vector<water_point>& waters) {
  const std::string note = lacking_note(waters, {"Ca", "Mg", "Na", "K", "Cl", "SO4", "CO2", "pH"});
  const piper_frame c = piper_corners();
  xml_writer x;
  open_diagram(x, width, height, "Piper",
               "Piper (1944); shares of the meq of cations and anions, %", note);

  // Grid every 20 % in each triangle and in the diamond.
  x.open("g", {{"stroke", "#D0D0D0"}, {"stroke-width", "0.7"}, {"class", "grid"}});
  const auto line = [&x](px_point p, px_point q) {
    x.leaf("line", {{"x1", p.x}, {"y1", p.y}, {"x2", q.x}, {"y2", q.y}});
  };
  for (int i = 1; i <= 4; ++i) {
    const double v = 0.2 * i;
    for (const auto& [p, q] : {std::pair{c.ca, c.na_k}, std::pair{c.hco3, c.cl}}) {
      line(in_triangle(p, q, v, 1 - v, 0), in_triangle(p, q, v, 0, 1 - v));
      line(in_triangle(p, q, 1 - v, v, 0), in_triangle(p, q, 0, v, 1 - v));
      line(in_triangle(p, q, 1 - v, 0, v), in_triangle(p, q, 0, 1 - v, v));
    }
    // Diamond: lines of equal Ca+Mg run parallel to its lower right side, of equal Cl+SO4
    // parallel to its lower left side.
    const px_point a{c.bottom.x - v * side / 2, c.bottom.y - v * side * rise};
    line(a, {a.x + side / 2, a.y - side * rise});
    const px_point b{c.bottom.x + v * side / 2, c.bottom.y - v * side * rise};
    line(b, {b.x - side / 2, b.y - side * rise});
  }
  x.close();
  // The shares every 20 %: Ca and Cl along the bases, Mg and SO4 up the outer sides.
  x.open("g", {{"fill", "#555"}, {"font-size", "9.5"}, {"class", "grid-labels"}});
  for (int i = 1; i <= 4; ++i) {
    const double v = 0.2 * i;
    const std::string pct = label_number(100 * v, 0);
    const px_point ca = in_triangle(c.ca, c.na_k, v, 1 - v, 0);
    x.text("text", {{"x", ca.x}, {"y", ca.y + 12}, {"text-anchor", "middle"}}, pct);
    const px_point mg = in_triangle(c.ca, c.na_k, 1 - v, 0, v);
    x.text("text", {{"x", mg.x - 5}, {"y", mg.y + 3}, {"text-anchor", "end"}}, pct);
    const px_point cl = in_triangle(c.hco3, c.cl, 1 - v, v, 0);
    x.text("text", {{"x", cl.x}, {"y", cl.y + 12}, {"text-anchor", "middle"}}, pct);
    const px_point so4 = in_triangle(c.hco3, c.cl, 0, 1 - v, v);
    x.text("text", {{"x", so4.x + 5}, {"y", so4.y + 3}}, pct);
  }
  x.close();
  x.open("g",
         {{"fill", "none"}, {"stroke", "#222"}, {"stroke-width", "1.3"}, {"class", "outline"}});
  for (const auto& pts : {std::vector{c.ca, c.na_k, c.mg}, std::vector{c.hco3, c.cl, c.so4},
                          std::vector{c.bottom, c.right, c.top, c.left}}) {
    path_data d;
    d.move(pts[0].x, pts[0].y);
    for (std::size_t i = 1; i < pts.size(); ++i) d.line(pts[i].x, pts[i].y);
    x.leaf("path", {{"d", d.close().str()}});
  }
  x.close();

  // The corners' names; the diamond's sides name the sums they count.
  x.open("g", {{"font-size", "13"}, {"font-weight", "bold"}, {"class", "corner"}});
  x.text("text", {{"x", c.ca.x}, {"y", c.ca.y + 26}, {"text-anchor", "middle"}}, "Ca");
  // The two inner corners stand close: their names lean away from each other.
  x.text("text", {{"x", c.na_k.x + 4}, {"y", c.na_k.y + 26}, {"text-anchor", "end"}}, "Na+K");
  x.text("text", {{"x", c.mg.x - 8}, {"y", c.mg.y - 6}, {"text-anchor", "end"}}, "Mg");
  x.text("text", {{"x", c.hco3.x - 4}, {"y", c.hco3.y + 26}}, "HCO\u2083+CO\u2083");
  x.text("text", {{"x", c.cl.x}, {"y", c.cl.y + 26}, {"text-anchor", "middle"}}, "Cl");
  x.text("text", {{"x", c.so4.x + 8}, {"y", c.so4.y - 6}}, "SO\u2084");
  x.close();
  x.open("g", {{"font-size", "11"}, {"fill", "#444"}, {"class", "diamond-sides"}});
  x.text("text",
         {{"x", (c.left.x + c.top.x) / 2 - 8},
          {"y", (c.left.y + c.top.y) / 2},
          {"text-anchor", "end"}},
         "Ca+Mg \u2192");
  x.text("text", {{"x", (c.right.x + c.top.x) / 2 + 8}, {"y", (c.right.y + c.top.y) / 2}},
         "\u2190 Cl+SO\u2084");
  x.close();

  // Each water thrice; its id by its point in the diamond.
  std::vector<std::pair<std::string, px_point>> diamond;
  x.open("g", {{"class", "triangle-points"}});
  for (const water_point& w : waters) {
    const auto ions = major_ions_of(w);
    if (!ions) continue;
    const auto p = piper_place(*ions);
    if (!p) continue;
    for (const px_point& q : {p->cations, p->anions}) {
      x.leaf("circle", {{"cx", q.x},
                        {"cy", q.y},
                        {"r", 3.5},
                        {"fill", "#0072B2"},
                        {"stroke", "white"},
                        {"stroke-width", "1"},
                        {"class", "sample"}});
    }
    diamond.emplace_back(w.id, p->diamond);
  }
  x.close();
  labelled_dots(x, diamond, "#000");
  note_line(x, height, note);
  return x.str();
}

}  // namespace morva
