// Label placement on a grid of the picture: a box is filed under every cell it covers, and a
// candidate box is compared only with the boxes filed under its own cells. Two boxes that
// overlap share at least one cell, so the grid finds exactly the overlaps a comparison with
// every box would find, and the labels stand where that comparison would put them.

#include "plots/labels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>
#include <unordered_set>
#include <utility>

namespace morva {
namespace {

/// An axis-aligned box of the picture, px.
struct box {
  double x0, y0, x1, y1;
  bool operator==(const box&) const = default;
};

/// True when a and b share some area (touching edges do not count).
bool overlap(const box& a, const box& b) {
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

/// The same box filed twice answers every question alike: a hash lets the grid keep one.
struct box_hash {
  std::size_t operator()(const box& b) const {
    std::size_t h = 0;
    for (const double v : {b.x0, b.y0, b.x1, b.y1}) {
      h = h * 1000003u ^ std::hash<double>{}(v);
    }
    return h;
  }
};

/// The boxes taken so far, filed by the cells of a grid over the bounds of the dots; a box
/// beyond the bounds is filed under the edge cells, which keeps the search exact.
class box_grid {
 public:
  box_grid(const box& bounds, double cell) : x0_(bounds.x0), y0_(bounds.y0), cell_(cell) {
    nx_ = cells_along(bounds.x1 - bounds.x0);
    ny_ = cells_along(bounds.y1 - bounds.y0);
    cells_.resize(static_cast<std::size_t>(nx_) * static_cast<std::size_t>(ny_));
  }

  /// True when b overlaps no box taken.
  bool free(const box& b) const {
    const auto [i0, i1] = span(b.x0, b.x1, x0_, nx_);
    const auto [j0, j1] = span(b.y0, b.y1, y0_, ny_);
    for (int j = j0; j <= j1; ++j) {
      for (int i = i0; i <= i1; ++i) {
        for (const std::uint32_t k : cells_[index(i, j)]) {
          if (overlap(b, boxes_[k])) return false;
        }
      }
    }
    return true;
  }

  /// Takes box b.
  void take(const box& b) {
    if (!seen_.insert(b).second) return;
    const auto k = static_cast<std::uint32_t>(boxes_.size());
    boxes_.push_back(b);
    const auto [i0, i1] = span(b.x0, b.x1, x0_, nx_);
    const auto [j0, j1] = span(b.y0, b.y1, y0_, ny_);
    for (int j = j0; j <= j1; ++j) {
      for (int i = i0; i <= i1; ++i) cells_[index(i, j)].push_back(k);
    }
  }

 private:
  /// Cells over a length of len px; at most 1024, so that a wide spread costs no memory.
  int cells_along(double len) const {
    const double n = std::ceil(len / cell_);
    return std::isfinite(n) ? static_cast<int>(std::clamp(n, 1.0, 1024.0)) : 1;
  }

  /// Cell of coordinate v, px, on an axis from origin with n cells; edge cells beyond it.
  int cell_of(double v, double origin, int n) const {
    const double c = std::floor((v - origin) / cell_);
    if (!(c >= 0)) return 0;  // also a coordinate that is not a number
    return c >= n - 1 ? n - 1 : static_cast<int>(c);
  }

  std::pair<int, int> span(double lo, double hi, double origin, int n) const {
    return {cell_of(lo, origin, n), cell_of(hi, origin, n)};
  }

  std::size_t index(int i, int j) const {
    return static_cast<std::size_t>(j) * static_cast<std::size_t>(nx_) +
           static_cast<std::size_t>(i);
  }

  double x0_, y0_, cell_;
  int nx_ = 1, ny_ = 1;
  std::vector<std::vector<std::uint32_t>> cells_;
  std::vector<box> boxes_;
  std::unordered_set<box, box_hash> seen_;
};

/// The box a dot covers, px: its circle of radius 4.5 with its white rim and a margin.
box dot_box(const px_point& p) { return {p.x - 6, p.y - 6, p.x + 6, p.y + 6}; }

}  // namespace

const char* anchor_name(text_anchor a) {
  switch (a) {
    case text_anchor::start:
      return "start";
    case text_anchor::middle:
      return "middle";
    case text_anchor::end:
      return "end";
  }
  return "start";
}

std::vector<label_place> place_labels(const std::vector<px_point>& dots,
                                      const std::vector<std::size_t>& chars) {
  // The sides in the order they are tried: right, left, above, below, then the diagonals.
  static constexpr label_place sides[] = {
      {8, 4, text_anchor::start},   {-8, 4, text_anchor::end},   {0, -9, text_anchor::middle},
      {0, 17, text_anchor::middle}, {8, -8, text_anchor::start}, {8, 16, text_anchor::start},
      {-8, -8, text_anchor::end},   {-8, 16, text_anchor::end}};
  // Labels reach at most this far beyond the dots' bounds in the usual case; the grid covers
  // the bounds with that margin, and anything beyond falls in its edge cells.
  constexpr double margin = 40.0;
  // Cell side, px: about a dot's box, so that a cell holds few boxes where dots are sparse.
  constexpr double cell = 16.0;

  box bounds{0, 0, 0, 0};
  for (std::size_t i = 0; i < dots.size(); ++i) {
    const px_point& p = dots[i];
    bounds = i == 0 ? box{p.x, p.y, p.x, p.y}
                    : box{std::min(bounds.x0, p.x), std::min(bounds.y0, p.y),
                          std::max(bounds.x1, p.x), std::max(bounds.y1, p.y)};
  }
  box_grid taken({bounds.x0 - margin, bounds.y0 - margin, bounds.x1 + margin, bounds.y1 + margin},
                 cell);
  for (const px_point& p : dots) taken.take(dot_box(p));

  std::vector<label_place> places;
  places.reserve(dots.size());
  for (std::size_t i = 0; i < dots.size(); ++i) {
    const px_point& p = dots[i];
    // Width of the label in bold 12 px with its halo: about 8.5 px a character.
    const double w = 8.5 * static_cast<double>(chars[i]);
    const auto box_of = [&](const label_place& sd) {
      const double x0 = p.x + sd.dx -
                        (sd.anchor == text_anchor::end      ? w
                         : sd.anchor == text_anchor::middle ? w / 2
                                                            : 0);
      return box{x0, p.y + sd.dy - 11, x0 + w, p.y + sd.dy + 2};
    };
    const label_place* chosen =
        std::find_if(std::begin(sides), std::end(sides),
                     [&](const label_place& sd) { return taken.free(box_of(sd)); });
    if (chosen == std::end(sides)) chosen = &sides[0];
    taken.take(box_of(*chosen));
    places.push_back(*chosen);
  }
  return places;
}

bool boxes_overlap(const px_box& a, const px_box& b) {
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

bool segment_crosses(const px_point& a, const px_point& b, const px_box& c) {
  // Clip the piece's parameter range 0..1 to the box's slab in x, then in y (Liang-Barsky).
  double lo = 0.0;
  double hi = 1.0;
  const auto slab = [&](double p0, double d, double s0, double s1) {
    if (d == 0.0) return s0 < p0 && p0 < s1;
    double u0 = (s0 - p0) / d;
    double u1 = (s1 - p0) / d;
    if (u0 > u1) std::swap(u0, u1);
    lo = std::max(lo, u0);
    hi = std::min(hi, u1);
    return lo < hi;
  };
  return slab(a.x, b.x - a.x, c.x0, c.x1) && slab(a.y, b.y - a.y, c.y0, c.y1);
}

std::vector<double> spread_spans(const std::vector<double>& want, const std::vector<double>& w,
                                 double gap, double lo, double hi) {
  const std::size_t n = want.size();
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return want[a] < want[b]; });
  // A run of labels side by side: its members (in order) and where its left edge stands.
  struct run {
    std::vector<std::size_t> members;
    double start = 0.0;
    double length = 0.0;  // widths and the gaps between them, px
  };
  std::vector<run> runs;
  // The left edge that moves the members of r least, held within lo..hi.
  const auto settle = [&](run& r) {
    double offset = 0.0;
    double sum = 0.0;
    for (const std::size_t i : r.members) {
      sum += want[i] - (offset + w[i] / 2);
      offset += w[i] + gap;
    }
    r.start = sum / static_cast<double>(r.members.size());
    r.start = std::max(std::min(r.start, hi - r.length), lo);
  };
  for (const std::size_t i : order) {
    run r{{i}, 0.0, w[i]};
    settle(r);
    while (!runs.empty() && runs.back().start + runs.back().length + gap > r.start) {
      run merged = std::move(runs.back());
      runs.pop_back();
      merged.members.insert(merged.members.end(), r.members.begin(), r.members.end());
      merged.length += gap + r.length;
      settle(merged);
      r = std::move(merged);
    }
    runs.push_back(std::move(r));
  }
  std::vector<double> centre(n);
  for (const run& r : runs) {
    double x = r.start;
    for (const std::size_t i : r.members) {
      centre[i] = x + w[i] / 2;
      x += w[i] + gap;
    }
  }
  return centre;
}

void label_field::add_line(const std::vector<px_point>& pts) {
  for (std::size_t i = 1; i < pts.size(); ++i) pieces_.emplace_back(pts[i - 1], pts[i]);
}

int label_field::hits(const px_box& b) const {
  int n = 0;
  for (const px_box& t : boxes_) n += boxes_overlap(b, t) ? 1 : 0;
  for (const auto& [p, q] : pieces_) n += segment_crosses(p, q, b) ? 1 : 0;
  return n;
}

bool label_field::inside(const px_box& c) const {
  return !(c.x0 < within_.x0 || c.x1 > within_.x1 || c.y0 < within_.y0 || c.y1 > within_.y1);
}

std::optional<std::size_t> label_field::choose_clear(const std::vector<px_box>& candidates) {
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (inside(candidates[i]) && hits(candidates[i]) == 0) {
      take(candidates[i]);
      return i;
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> label_field::choose(const std::vector<px_box>& candidates) {
  std::optional<std::size_t> best;
  int best_hits = 0;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const px_box& c = candidates[i];
    if (!inside(c)) continue;
    const int n = hits(c);
    if (!best || n < best_hits) {
      best = i;
      best_hits = n;
    }
    if (n == 0) break;
  }
  // A label that fits nowhere inside the plot still goes to its first candidate.
  if (!best && !candidates.empty()) best = 0;
  if (best) take(candidates[*best]);
  return best;
}

std::vector<px_box> text_boxes(double x, double y, std::size_t n, double size, text_anchor a,
                               double angle, double per_char) {
  // The text's extent along its baseline (u) and across it (v, downwards), px, before turning.
  const double w = static_cast<double>(n) * size * per_char;
  const double u0 = a == text_anchor::end ? -w : a == text_anchor::middle ? -w / 2 : 0.0;
  const double v0 = -0.8 * size, v1 = 0.25 * size;
  if (angle == 0.0) return {{x + u0, y + v0, x + u0 + w, y + v1}};
  const double rad = angle * std::numbers::pi / 180.0;
  const double c = std::cos(rad), s = std::sin(rad);
  const auto turned = [&](double u, double v) {
    return px_point{x + u * c - v * s, y + u * s + v * c};
  };
  std::vector<px_box> boxes;
  const int pieces = std::max(1, static_cast<int>(std::ceil(w / size)));
  for (int k = 0; k < pieces; ++k) {
    const double ua = u0 + w * k / pieces, ub = u0 + w * (k + 1) / pieces;
    px_box b{turned(ua, v0).x, turned(ua, v0).y, turned(ua, v0).x, turned(ua, v0).y};
    for (const px_point& q : {turned(ub, v0), turned(ua, v1), turned(ub, v1)}) {
      b = {std::min(b.x0, q.x), std::min(b.y0, q.y), std::max(b.x1, q.x), std::max(b.y1, q.y)};
    }
    boxes.push_back(b);
  }
  return boxes;
}

std::size_t text_chars(std::string_view s) {
  return static_cast<std::size_t>(std::count_if(
      s.begin(), s.end(), [](char ch) { return (static_cast<unsigned char>(ch) & 0xC0) != 0x80; }));
}

px_box label_box(const px_point& p, const label_place& at, double w) {
  const double x0 = p.x + at.dx -
                    (at.anchor == text_anchor::end      ? w
                     : at.anchor == text_anchor::middle ? w / 2
                                                        : 0);
  return {x0, p.y + at.dy - 11, x0 + w, p.y + at.dy + 3};
}

px_box marker_box(const px_point& p, const label_place& at, double w) {
  const double x0 = p.x + at.dx -
                    (at.anchor == text_anchor::end      ? w
                     : at.anchor == text_anchor::middle ? w / 2
                                                        : 0);
  // 2 px either side, so that two numbers side by side do not read as one.
  return {x0 - 2, p.y + at.dy - 9, x0 + w + 2, p.y + at.dy + 3};
}

std::vector<dot_label> place_dot_labels(label_field& field, const std::vector<px_point>& dots,
                                        const std::vector<double>& widths,
                                        const std::vector<std::size_t>& number_chars) {
  // Eight directions, right and left first (a label reads best level with its dot), then
  // above, below and the diagonals; each near the dot, then a step farther out.
  static constexpr label_place near[] = {{8, 4, text_anchor::start},   {-8, 4, text_anchor::end},
                                         {0, -9, text_anchor::middle}, {0, 18, text_anchor::middle},
                                         {7, -7, text_anchor::start},  {7, 16, text_anchor::start},
                                         {-7, -7, text_anchor::end},   {-7, 16, text_anchor::end}};
  static constexpr label_place far[] = {{20, 4, text_anchor::start},   {-20, 4, text_anchor::end},
                                        {0, -21, text_anchor::middle}, {0, 30, text_anchor::middle},
                                        {15, -17, text_anchor::start}, {15, 26, text_anchor::start},
                                        {-15, -17, text_anchor::end},  {-15, 26, text_anchor::end}};
  // A number is small: it may also stand a step farther still.
  static constexpr label_place farther[] = {
      {32, 4, text_anchor::start},  {-32, 4, text_anchor::end},    {0, -31, text_anchor::middle},
      {0, 40, text_anchor::middle}, {24, -24, text_anchor::start}, {24, 34, text_anchor::start},
      {-24, -24, text_anchor::end}, {-24, 34, text_anchor::end}};
  std::vector<label_place> places(std::begin(near), std::end(near));
  places.insert(places.end(), std::begin(far), std::end(far));
  std::vector<label_place> number_places = places;
  number_places.insert(number_places.end(), std::begin(farther), std::end(farther));
  // Every dot claims its circle first, so that no label covers a dot placed after it.
  for (const px_point& p : dots) field.take({p.x - 6, p.y - 6, p.x + 6, p.y + 6});
  std::vector<dot_label> out(dots.size());
  std::vector<px_box> candidates;
  for (const auto& ring : {std::span<const label_place>(near), std::span<const label_place>(far)}) {
    candidates.resize(ring.size());
    for (std::size_t i = 0; i < dots.size(); ++i) {
      if (out[i].label) continue;
      for (std::size_t k = 0; k < ring.size(); ++k) {
        candidates[k] = label_box(dots[i], ring[k], widths[i]);
      }
      if (const auto k = field.choose_clear(candidates)) out[i].label = ring[*k];
    }
  }
  // Numbers for the dots left without a label, once every label has its place. A number is
  // about 7 px a character in 10 px bold.
  for (std::size_t i = 0; i < dots.size(); ++i) {
    if (out[i].label) continue;
    const double w = 7.0 * static_cast<double>(number_chars[i]);
    candidates.resize(number_places.size());
    for (std::size_t k = 0; k < number_places.size(); ++k) {
      candidates[k] = marker_box(dots[i], number_places[k], w);
    }
    if (const auto k = field.choose_clear(candidates)) out[i].marker = number_places[*k];
  }
  return out;
}

}  // namespace morva
