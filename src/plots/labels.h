#pragma once
// Where the labels of a diagram's dots go: each label beside its dot, on the first of eight
// sides where it covers no dot and no label placed before it. The boxes already taken are
// looked up in a grid over the picture, so that the search costs about the same per label
// whether the diagram holds ten dots or a hundred thousand. The labels of a plot of curves
// keep clear of the curves' lines as well, and tick labels along an axis move
// apart sideways.

#include <cstddef>
#include <optional>
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
  /// Lines and boxes that box b meets.
  int hits(const px_box& b) const;

 private:
  px_box within_;
  std::vector<px_box> boxes_;
  std::vector<std::pair<px_point, px_point>> pieces_;
};

}  // namespace morva
