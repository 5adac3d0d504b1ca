#include "result_tables/geotherm_table.h"

#include "morva/geothermometers.h"
#include "text/encoding.h"
#include "text/sample_text.h"

namespace morva {

const std::vector<std::string>& gt_columns() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (int g = 0; g < classical_gt_count; ++g)
      n.push_back("gt_" + std::string(gt_name(static_cast<classical_gt>(g))) + "_C");
    n.emplace_back("gt_flags");
    return n;
  }();
  return names;
}

std::vector<cell> gt_cells(const sample_record& s) {
  const gt_estimates e = classical_geothermometers(s);
  std::vector<cell> cells;
  cells.reserve(gt_columns().size());
  std::string flags;
  for (int g = 0; g < classical_gt_count; ++g) {
    const gt_estimate& x = e[static_cast<std::size_t>(g)];
    // Each cell made in its own branch: a conditional of two cells trips a false warning of
    // GCC 12 about the variant's string.
    if (x.t_c) {
      cells.emplace_back(*x.t_c);
    } else {
      cells.emplace_back();
    }
    if (!x.problem) continue;
    if (!flags.empty()) flags += ';';
    flags += gt_name(static_cast<classical_gt>(g));
    flags += *x.problem == gt_problem::range ? ":range" : ":inputs";
  }
  if (flags.empty()) {
    cells.emplace_back();
  } else {
    cells.emplace_back(std::move(flags));
  }
  return cells;
}

const std::vector<std::string>& gt_table_columns() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n = {"sample", "location", "status"};
    n.insert(n.end(), gt_columns().begin(), gt_columns().end());
    return n;
  }();
  return names;
}

row gt_table_row(const sample_record& s, const sample_result& r) {
  row x = {utf8_id(s), utf8_location(s), std::string(r.refused ? "refused" : "ok")};
  const std::vector<cell> gt = gt_cells(s);
  x.insert(x.end(), gt.begin(), gt.end());
  return x;
}

row gt_unreadable_row(const sample_record& s) {
  row x(gt_table_columns().size());
  x[0] = utf8_id(s);
  x[1] = utf8_location(s);
  x[2] = std::string("unreadable");
  return x;
}

}  // namespace morva
