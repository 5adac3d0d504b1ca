#include "result_tables/geotherm_table.h"

#include "morva/geothermometers.h"
#include "text/encoding.h"

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
    cells.push_back(x.t_c ? cell(*x.t_c) : cell());
    if (!x.problem) continue;
    if (!flags.empty()) flags += ';';
    flags += gt_name(static_cast<classical_gt>(g));
    flags += *x.problem == gt_problem::range ? ":range" : ":inputs";
  }
  cells.push_back(flags.empty() ? cell() : cell(flags));
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
  row x = {table_text(s.number), table_text(s.location), std::string(r.refused ? "refused" : "ok")};
  const std::vector<cell> gt = gt_cells(s);
  x.insert(x.end(), gt.begin(), gt.end());
  return x;
}

row gt_unreadable_row(const sample_record& s) {
  row x(gt_table_columns().size());
  x[0] = table_text(s.number);
  x[1] = table_text(s.location);
  x[2] = std::string("unreadable");
  return x;
}

}  // namespace morva
