#pragma once
// Where the labels of a diagram's dots go: each label beside its dot, on the first of eight
// sides where it covers no dot and no label placed before it. The boxes already taken are
// looked up in a grid over the picture, so that the search costs about the same per label
// whether the diagram holds ten dots or a hundred thousand. The labels of a plot of curves
// keep clear of the curves' lines as well, and tick labels along an axis move
// apart sideways.

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace morva {

/// A position in a picture, px, y downwards.
struct px_point {
  double x, y;
};

/// How a label's text stands at its position: starting, centred or ending there.
enum class text_anchor { start, middle, end };

/// The text-anchor value of SVG for a.
const char* anchor_name(text_anchor a);

/// A label's place: its text position relative to its dot, px, and how it is anchored.
struct label_place {
  double dx, dy;
  text_anchor anchor;
};

/// The place of each dot's label, dot i labelled with chars[i] characters of bold 12 px
/// text: every dot claims its box first, then each label in turn takes the first side of its
/// dot where it covers no box claimed before (the right-hand side when every side is taken).
std::vector<label_place> place_labels(const std::vector<px_point>& dots,
                                      const std::vector<std::size_t>& chars);

/// An axis-aligned box of a picture, px, y downwards: x0 <= x1, y0 <= y1.
struct px_box {
  double x0, y0, x1, y1;
};

/// True when boxes a and b share some area (touching edges do not count).
bool boxes_overlap(const px_box& a, const px_box& b);

/// True when the straight piece of line from a to b (px) passes through box c.
bool segment_crosses(const px_point& a, const px_point& b, const px_box& c);

/// Centres (px) for labels along an axis that want the centres `want` and are w[i] px wide,
/// moved apart so that neighbours keep at least gap between them, as little as they can
/// (least squares of the moves, in runs that touch), and held within lo..hi where they fit.
std::vector<double> spread_spans(const std::vector<double>& want, const std::vector<double>& w,
                                 double gap, double lo, double hi);

/// Labels inside a plot kept clear of each other and of the drawn lines: the lines and the
/// boxes already taken are filed first, then each label takes the first of its candidate
/// boxes that lies within the plot and touches neither.
class label_field {
 public:
  /// A field over the plot area `within`, px.
  explicit label_field(const px_box& within) : within_(within) {}
  /// Files a drawn line through the points pts (px), a piece from each point to the next.
  void add_line(const std::vector<px_point>& pts);
  /// Files box b as taken (a label or a mark placed otherwise).
  void take(const px_box& b) { boxes_.push_back(b); }
  /// The first of the candidate boxes, in their order, that lies within the plot and meets
  /// no line and no box taken; when none is clear, the one that meets the fewest (the first
  /// of those). The box chosen is taken. Empty when there are no candidates.
  std::optional<std::size_t> choose(const std::vector<px_box>& candidates);
  /// The first of the candidate boxes, in their order, that lies within the plot and meets no
  /// line and no box taken, which is then taken; empty when none is clear.
  std::optional<std::size_t> choose_clear(const std::vector<px_box>& candidates);
  /// Lines and boxes that box b meets.
  int hits(const px_box& b) const;

 private:
  bool inside(const px_box& b) const;
  px_box within_;
  std::vector<px_box> boxes_;
  std::vector<std::pair<px_point, px_point>> pieces_;
};

/// The boxes, px, that a line of text of n characters covers: font size px, its baseline
/// position (x, y) where it is anchored by a, turned by angle degrees (clockwise, as SVG's
/// rotate) about that position; an average character `per_char` of the size wide. A turned
/// text is covered piece by piece, a box about each stretch of one size, so that the boxes hug
/// it.
std::vector<px_box> text_boxes(double x, double y, std::size_t n, double size, text_anchor a,
                               double angle = 0.0, double per_char = 0.6);

/// Characters of the UTF-8 text s (its code points), as a width estimate counts them.
std::size_t text_chars(std::string_view s);

/// Where a dot's label went: beside the dot, or, when it had no room, a number for a key.
struct dot_label {
  std::optional<label_place> label;   ///< the label beside its dot
  std::optional<label_place> marker;  ///< or the number beside it (neither: on the dot)
};

/// Where the labels of dots go among the texts and lines of a diagram: for each dot its label,
/// widths[i] px wide and 12 px bold, on the first of eight places about the dot that stays
/// within the field's plot and meets no dot, no label placed before and none of the texts and
/// lines filed in `field` beforehand (the places taken are filed there too); the dots left
/// without, then the first such of eight places a step farther out, so that no label taken
/// far from its dot crowds out another's near place. Where no place is clear, a number of
/// number_chars[i] characters in 10 px bold (the dot's marker for a key under the picture) takes
/// the first clear one of its own twenty-four (a third distance added); with none clear the
/// number goes on the dot itself.
std::vector<dot_label> place_dot_labels(label_field& field, const std::vector<px_point>& dots,
                                        const std::vector<double>& widths,
                                        const std::vector<std::size_t>& number_chars);

/// The box, px, of a dot's label of width w (12 px bold with a halo) at place `at` of dot p.
px_box label_box(const px_point& p, const label_place& at, double w);
/// The box, px, of a dot's number marker of width w (10 px bold) at place `at` of dot p, with
/// a margin of 2 px either side.
px_box marker_box(const px_point& p, const label_place& at, double w);

}  // namespace morva
