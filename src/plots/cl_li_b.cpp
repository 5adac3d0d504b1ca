// The Cl-Li-B triangle of Giggenbach (in: Application of geochemistry in geothermal reservoir
// development, UNITAR/UNDP, Rome, 119-144, 1991): the relative contents of Cl/100, Li and B/4
// (mg/kg). Lithium, little affected by secondary processes, is a tracer of the deep water;
// chloride and boron tell waters that took up magmatic vapour (high Cl) from those that took
// up steam rich in boron, or that leached old sediments.

#include <cmath>

#include "plots/diagram_parts.h"
#include "plots/plots.h"
#include "plots/svg.h"

namespace morva {
namespace {

using triangle::height, triangle::width;

/// Position, px, of the point of shares (0..1) left, right and top.
px_point at(double /*left*/, double right, double top) { return triangle::at(right, top); }

}  // namespace

std::optional<corner_shares> cl_li_b_shares(const water_point& w) {
  if (!lacking(w, {"Cl", "Li", "B"}).empty() || !w.li_mgkg) return std::nullopt;
  const double cl = w.cl_mgkg / 100.0;
  const double b = w.b_mgkg / 4.0;
  const double li = *w.li_mgkg;
  for (const double v : {cl, b, li}) {
    if (!std::isfinite(v) || v < 0) return std::nullopt;
  }
  const double sum = cl + b + li;
  if (!(sum > 0) || !std::isfinite(sum)) return std::nullopt;
  return corner_shares{100 * cl / sum, 100 * b / sum, 100 * li / sum};
}

std::string cl_li_b_svg(const std::vector<water_point>& waters) {
  const std::string note = lacking_note(waters, {"Cl", "Li", "B"});
  xml_writer x;
  open_diagram(x, width, height, "Cl-Li-B",
               "Giggenbach (1991); concentrations in mg/kg, shares of the corners in %", note);

  // Grid every 20 % of each corner, its share written where it meets a side.
  x.open("g", {{"stroke", "#C8C8C8"}, {"stroke-width", "0.7"}, {"class", "grid"}});
  for (int i = 1; i <= 4; ++i) {
    const double v = 0.2 * i;
    for (const auto& [p, q] :
         {std::pair{at(v, 1 - v, 0), at(v, 0, 1 - v)}, std::pair{at(1 - v, v, 0), at(0, v, 1 - v)},
          std::pair{at(1 - v, 0, v), at(0, 1 - v, v)}}) {
      x.leaf("line", {{"x1", p.x}, {"y1", p.y}, {"x2", q.x}, {"y2", q.y}});
    }
  }
  x.close();
  x.open("g", {{"fill", "#555"}, {"font-size", "10"}, {"class", "grid-labels"}});
  for (int i = 1; i <= 4; ++i) {
    const double v = 0.2 * i;
    const std::string pct = label_number(100 * v, 0);
    const px_point cl = at(v, 1 - v, 0);  // Cl share, read along the base
    x.text("text", {{"x", cl.x}, {"y", cl.y + 14}, {"text-anchor", "middle"}}, pct);
    const px_point b = at(0, v, 1 - v);  // B share, along the right side
    x.text("text", {{"x", b.x + 6}, {"y", b.y + 4}}, pct);
    const px_point li = at(1 - v, 0, v);  // Li share, along the left side
    x.text("text", {{"x", li.x - 6}, {"y", li.y + 4}, {"text-anchor", "end"}}, pct);
  }
  x.close();
  const px_point l = at(1, 0, 0), r = at(0, 1, 0), t = at(0, 0, 1);
  x.leaf("path", {{"d", path_data{}.move(l.x, l.y).line(r.x, r.y).line(t.x, t.y).close().str()},
                  {"fill", "none"},
                  {"stroke", "#222"},
                  {"stroke-width", "1.3"},
                  {"class", "triangle"}});

  std::vector<std::pair<std::string, px_point>> dots;
  for (const water_point& w : waters) {
    if (const auto s = cl_li_b_shares(w)) {
      dots.emplace_back(w.id, at(s->left / 100, s->right / 100, s->top / 100));
    }
  }
  labelled_dots(x, dots, "#000");

  x.open("g", {{"font-size", "15"}, {"font-weight", "bold"}});
  x.text("text", {{"x", l.x - 8}, {"y", l.y + 20}, {"text-anchor", "end"}, {"class", "corner"}},
         "Cl/100");
  x.text("text", {{"x", r.x + 8}, {"y", r.y + 20}, {"class", "corner"}}, "B/4");
  x.text("text", {{"x", t.x}, {"y", t.y - 12}, {"text-anchor", "middle"}, {"class", "corner"}},
         "Li");
  x.close();
  note_line(x, height, note);
  return x.str();
}

}  // namespace morva
