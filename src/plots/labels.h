#pragma once
// Where the labels of a diagram's dots go: each label beside its dot, on the first of eight
// sides where it covers no dot and no label placed before it. The boxes already taken are
// looked up in a grid over the picture, so that the search costs about the same per label
// whether the diagram holds ten dots or a hundred thousand.

#include <cstddef>
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

}  // namespace morva
