#include "result_tables/curve_tables.h"

#include <cctype>

#include "morva/tables.h"
#include "result_tables/geotherm_table.h"

namespace morva {

namespace {

cell optional_cell(const std::optional<double>& x) { return x ? cell(*x) : cell(); }

/// A temperature of a geothermometer, °C, when it has one.
std::optional<double> celsius_of(const geotemperature& g) { return g.t_c(); }

}  // namespace

std::string mineral_column_name(int mineral) {
  std::string name;
  for (char c : mineral_name(mineral)) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u)) {
      name += static_cast<char>(std::tolower(u));
    } else if (!name.empty() && name.back() != '_') {
      name += '_';
    }
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name;
}

std::vector<std::string> saturation_columns(const std::vector<int>& minerals) {
  std::vector<std::string> columns = {"sample",    "t_C",         "status", "count", "mean_si",
                                      "median_si", "mean_abs_si", "rms_si", "sd_si"};
  for (int j : minerals) columns.push_back("si_" + mineral_column_name(j));
  return columns;
}

std::vector<row> saturation_rows(const sample_record& s, const saturation_result& r) {
  const std::string id = table_text(s.number);
  std::vector<row> rows;
  rows.reserve(r.points.size());
  for (const saturation_point& p : r.points) {
    row x = {id,
             p.t_c,
             std::string(p.solved ? "ok" : "not_finite"),
             long{p.stats.count},
             optional_cell(p.stats.mean),
             optional_cell(p.stats.median),
             optional_cell(p.stats.mean_abs),
             optional_cell(p.stats.rms),
             optional_cell(p.stats.sd)};
    for (int j : r.minerals) x.push_back(optional_cell(p.si[j]));
    rows.push_back(std::move(x));
  }
  return rows;
}

std::vector<std::string> saturation_summary_columns(const std::vector<int>& minerals) {
  std::vector<std::string> columns = {"sample",
                                      "location",
                                      "status",
                                      "reason",
                                      "t_ref_type",
                                      "t_ref_C",
                                      "quartz_C",
                                      "chalcedony_C",
                                      "nak_C",
                                      "t_min_rms_C",
                                      "min_rms_si",
                                      "t_median_si_zero_C",
                                      "t_equilibrium_median_C",
                                      "t_equilibrium_iqr_C"};
  for (int j : minerals) columns.push_back(mineral_column_name(j) + "_equilibrium_C");
  columns.insert(columns.end(), gt_columns().begin(), gt_columns().end());
  return columns;
}

row saturation_summary_row(const sample_record& s, const run_options& opt,
                           const saturation_result& r, number_memo& memo) {
  const reference_result& ref = r.calculation.reference;
  const derived_results& d = ref.state.derived;
  const bool ok = !r.calculation.refused;
  const auto when_ok = [ok](const std::optional<double>& x) {
    return ok ? optional_cell(x) : cell();
  };
  row line = {table_text(s.number),
              table_text(s.location),
              std::string(ok ? "ok" : "refused"),
              ok ? cell() : cell(refusal_message(*r.calculation.refused)),
              std::string(table_name(opt.tref_type)),
              when_ok(ref.state.t_c()),
              when_ok(celsius_of(d.quartz)),
              when_ok(celsius_of(d.chalcedony)),
              when_ok(celsius_of(d.na_k)),
              optional_cell(r.t_min_rms_c),
              optional_cell(r.min_rms),
              optional_cell(r.t_median_zero_c),
              optional_cell(r.t_equilibrium_median_c),
              optional_cell(r.t_equilibrium_iqr_c)};
  for (const mineral_equilibrium& e : r.equilibrium) {
    std::string list;
    for (double t : e.t_c) {
      if (!list.empty()) list += ';';
      list += memo.text(t);
    }
    line.push_back(list.empty() ? cell() : cell(list));
  }
  // A refused sample has no equilibrium temperatures; the classical geothermometers need only
  // its analyses.
  line.resize(saturation_summary_columns(r.minerals).size() - gt_columns().size());
  const std::vector<cell> gt = gt_cells(s);
  line.insert(line.end(), gt.begin(), gt.end());
  return line;
}

}  // namespace morva
