#pragma once
// Parts shared by the diagrams of the waters beyond the two classification triangles: a plot
// frame with linear or logarithmic axes, labelled dots, the heading and the note that names
// the waters left out.

#include <cmath>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plots/labels.h"
#include "plots/plots.h"
#include "plots/svg.h"

namespace morva {

/// The layout, px, of the triangles of shares (Na-K-Mg, Cl-SO4-HCO3, Cl-Li-B): an equilateral
/// triangle with its base at the bottom, in a picture of width by height.
namespace triangle {
constexpr double width = 640.0;
constexpr double height = 540.0;
constexpr double side = 480.0;
constexpr double base_left = 80.0;
constexpr double base_y = 494.0;

/// Position, px, of the point whose shares (each 0..1, the three summing to 1) of the bottom
/// right and the top corner are right and top; the bottom left corner has the rest.
inline px_point at(double right, double top) {
  const double h = side * std::sqrt(3.0) / 2;
  return {base_left + right * side + top * side / 2, base_y - top * h};
}
}  // namespace triangle

/// The line that names the waters left out for what their analysis lacks, "A-2 (Mg)" each
/// in missing; empty when none is.
std::string left_out_note(const std::vector<std::string>& missing);

/// The names among needs that the analysis of w left out, ", " between them ("Na, Ca");
/// empty when it gave them all.
std::string lacking(const water_point& w, std::initializer_list<const char*> needs);

/// The note under a diagram that names each water of waters lacking one of needs.
std::string lacking_note(const std::vector<water_point>& waters,
                         std::initializer_list<const char*> needs);

/// A rectangular plot: its area in px and the ranges of its axes, each linear or log10.
struct plot_frame {
  double left, top, right, bottom;  ///< px
  double x_lo, x_hi, y_lo, y_hi;    ///< axis values at the edges
  bool y_log = false;               ///< y in decades: y_lo and y_hi > 0

  /// px of the value x and of the value y.
  double px(double x) const { return left + (x - x_lo) / (x_hi - x_lo) * (right - left); }
  double py(double y) const;
  px_point at(double x, double y) const { return {px(x), py(y)}; }
  /// True when (x, y) lies within the ranges of the axes.
  bool holds(double x, double y) const;
};

/// Opens a diagram's picture, w x h px (h plus a line when a note goes under it), with its
/// heading and a line under it.
void open_diagram(xml_writer& x, double w, double h, const std::string& heading,
                  const std::string& subheading, const std::string& note);
/// The note under a picture h px high (before the line of the note); nothing when empty.
void note_line(xml_writer& x, double h, const std::string& note);

/// The frame of plot f with grid lines and numbered ticks at xs and ys (values), the axis
/// titles under the x axis and up the y axis.
void frame_axes(xml_writer& x, const plot_frame& f, const std::vector<double>& xs,
                const std::vector<double>& ys, int x_decimals, int y_decimals,
                const std::string& x_title, const std::string& y_title);

/// One dot per water at its point (px), each labelled with its id on the first side where
/// the label covers no dot and no label placed before it; past ternary_label_limit dots the
/// dots stand alone. marker "circle" or "square".
void labelled_dots(xml_writer& x, const std::vector<std::pair<std::string, px_point>>& dots,
                   const std::string& fill, bool squares = false);

/// The colours of a picture's series, a colour-blind-safe palette (Okabe and Ito), and the
/// dashes that tell them apart in grey.
const char* series_colour(std::size_t i);
const char* series_dash(std::size_t i);

}  // namespace morva
