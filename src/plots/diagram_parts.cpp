// Parts shared by the diagrams of the waters: frame and axes, labelled dots and the note of
// the waters left out.

#include "plots/diagram_parts.h"

#include <algorithm>
#include <cmath>

namespace morva {

std::string lacking(const water_point& w, std::initializer_list<const char*> needs) {
  std::string list;
  for (const char* n : needs) {
    if (std::find(w.not_analysed.begin(), w.not_analysed.end(), n) == w.not_analysed.end())
      continue;
    list += (list.empty() ? "" : ", ") + std::string(n);
  }
  return list;
}

std::string lacking_note(const std::vector<water_point>& waters,
                         std::initializer_list<const char*> needs) {
  std::vector<std::string> missing;
  for (const water_point& w : waters) {
    if (const std::string l = lacking(w, needs); !l.empty())
      missing.push_back(w.id + " (" + l + ")");
  }
  return left_out_note(missing);
}

double plot_frame::py(double y) const {
  const double lo = y_log ? std::log10(y_lo) : y_lo;
  const double hi = y_log ? std::log10(y_hi) : y_hi;
  const double v = y_log ? std::log10(y) : y;
  return bottom - (v - lo) / (hi - lo) * (bottom - top);
}

bool plot_frame::holds(double x, double y) const {
  const auto between = [](double v, double a, double b) {
    return std::min(a, b) <= v && v <= std::max(a, b);
  };
  return std::isfinite(x) && std::isfinite(y) && between(x, x_lo, x_hi) && between(y, y_lo, y_hi);
}

namespace {
/// Height, px, of the line under a picture that names the waters left out.
constexpr double note_height = 18.0;
}  // namespace

void open_diagram(xml_writer& x, double w, double h, const std::string& heading,
                  const std::string& subheading, const std::string& note) {
  open_svg(x, w, h + (note.empty() ? 0.0 : note_height));
  x.leaf("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "white"}});
  x.text("text",
         {{"x", 20}, {"y", 24}, {"font-size", "16"}, {"font-weight", "bold"}, {"class", "title"}},
         heading);
  x.text("text", {{"x", 20}, {"y", 42}, {"fill", "#444"}}, subheading);
}

void note_line(xml_writer& x, double h, const std::string& note) {
  if (note.empty()) return;
  x.text("text", {{"x", 20}, {"y", h + note_height - 6}, {"fill", "#444"}, {"class", "left-out"}},
         note);
}

void frame_axes(xml_writer& x, const plot_frame& f, const std::vector<double>& xs,
                const std::vector<double>& ys, int x_decimals, int y_decimals,
                const std::string& x_title, const std::string& y_title) {
  x.open("g", {{"stroke", "#DDD"}, {"stroke-width", "0.7"}, {"class", "grid"}});
  for (double v : xs) {
    x.leaf("line", {{"x1", f.px(v)}, {"y1", f.top}, {"x2", f.px(v)}, {"y2", f.bottom}});
  }
  for (double v : ys) {
    x.leaf("line", {{"x1", f.left}, {"y1", f.py(v)}, {"x2", f.right}, {"y2", f.py(v)}});
  }
  x.close();
  x.leaf("rect", {{"x", f.left},
                  {"y", f.top},
                  {"width", f.right - f.left},
                  {"height", f.bottom - f.top},
                  {"fill", "none"},
                  {"stroke", "#222"},
                  {"class", "frame"}});
  x.open("g", {{"fill", "#333"}, {"font-size", "11"}, {"class", "ticks"}});
  for (double v : xs) {
    x.text("text", {{"x", f.px(v)}, {"y", f.bottom + 15}, {"text-anchor", "middle"}},
           label_number(v, x_decimals));
  }
  for (double v : ys) {
    x.text("text", {{"x", f.left - 6}, {"y", f.py(v) + 4}, {"text-anchor", "end"}},
           label_number(v, y_decimals));
  }
  x.close();
  x.text("text",
         {{"x", (f.left + f.right) / 2},
          {"y", f.bottom + 34},
          {"text-anchor", "middle"},
          {"class", "axis-title"}},
         x_title);
  const double ym = (f.top + f.bottom) / 2;
  x.text("text",
         {{"x", f.left - 46},
          {"y", ym},
          {"text-anchor", "middle"},
          {"class", "axis-title"},
          {"transform", "rotate(-90 " + svg_number(f.left - 46) + ' ' + svg_number(ym) + ")"}},
         y_title);
}

void labelled_dots(xml_writer& x, const std::vector<std::pair<std::string, px_point>>& dots,
                   const std::string& fill, bool squares) {
  x.open("g", {{"class", "samples"}});
  for (const auto& [id, p] : dots) {
    if (squares) {
      x.leaf("rect", {{"x", p.x - 4},
                      {"y", p.y - 4},
                      {"width", 8},
                      {"height", 8},
                      {"fill", fill},
                      {"stroke", "white"},
                      {"stroke-width", "1.2"},
                      {"class", "sample"}});
    } else {
      x.leaf("circle", {{"cx", p.x},
                        {"cy", p.y},
                        {"r", 4.5},
                        {"fill", fill},
                        {"stroke", "white"},
                        {"stroke-width", "1.2"},
                        {"class", "sample"}});
    }
  }
  if (dots.size() > ternary_label_limit) {
    x.close();
    return;
  }
  std::vector<px_point> at;
  std::vector<std::size_t> chars;
  for (const auto& [id, p] : dots) {
    at.push_back(p);
    chars.push_back(id.size());
  }
  const std::vector<label_place> places = place_labels(at, chars);
  for (std::size_t i = 0; i < dots.size(); ++i) {
    x.text("text",
           {{"x", at[i].x + places[i].dx},
            {"y", at[i].y + places[i].dy},
            {"text-anchor", anchor_name(places[i].anchor)},
            {"font-weight", "bold"},
            {"paint-order", "stroke"},
            {"stroke", "white"},
            {"stroke-width", "3"},
            {"class", "sample-label"}},
           dots[i].first);
  }
  x.close();
}

const char* series_colour(std::size_t i) {
  static constexpr const char* okabe_ito[] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                              "#E69F00", "#56B4E9", "#000000"};
  return okabe_ito[i % std::size(okabe_ito)];
}

const char* series_dash(std::size_t i) {
  static constexpr const char* dashes[] = {"none", "7 4", "2 3", "9 3 2 3"};
  return dashes[(i / 8 + i) % std::size(dashes)];
}

}  // namespace morva
