#include "result_tables/curve_tables.h"

#include <cctype>

#include "morva/tables.h"
#include "result_tables/geotherm_table.h"
#include "text/sample_text.h"

namespace morva {

namespace {

cell optional_cell(const std::optional<double>& x) { return x ? cell(*x) : cell(); }

/// Words separated by ';', an empty cell for none.
cell joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& w : words) text += (text.empty() ? "" : ";") + w;
  return text.empty() ? cell() : cell(std::move(text));
}

/// The minerals' names as the table's columns write them.
std::vector<std::string> mineral_names_of(const std::vector<int>& minerals) {
  std::vector<std::string> names;
  for (int j : minerals) names.push_back(mineral_column_name(j));
  return names;
}

/// A temperature of a geothermometer, °C, when it has one.
std::optional<double> celsius_of(const geotemperature& g) { return g.t_c(); }

}  // namespace

std::string_view si_form_name(si_form f) { return f == si_form::ions ? "ions" : "none"; }

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
  std::vector<std::string> columns = {"sample",  "t_C",       "status",      "count",  "normalise",
                                      "mean_si", "median_si", "mean_abs_si", "rms_si", "sd_si"};
  for (int j : minerals) columns.push_back("si_" + mineral_column_name(j));
  return columns;
}

std::vector<row> saturation_rows(const sample_record& s, const saturation_result& r) {
  const std::string id = utf8_id(s);
  std::vector<row> rows;
  rows.reserve(r.points.size());
  for (const saturation_point& p : r.points) {
    row x = {id,
             p.t_c,
             std::string(p.solved ? "ok" : "not_finite"),
             long{p.stats.count},
             std::string(si_form_name(r.normalise)),
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
                                      "t_equilibrium_iqr_C",
                                      "normalise",
                                      "t_estimate_C",
                                      "t_estimate_low_C",
                                      "t_estimate_high_C",
                                      "n_minerals",
                                      "rms_at_estimate",
                                      "flags",
                                      "minerals_used",
                                      "minerals_dropped",
                                      "fitted_water_factor",
                                      "fitted_co2_mol_kg",
                                      "al_fixed_mg_kg"};
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
  row line = {utf8_id(s),
              utf8_location(s),
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
              optional_cell(r.t_equilibrium_iqr_c),
              std::string(si_form_name(r.normalise)),
              optional_cell(r.t_estimate_c),
              optional_cell(r.t_estimate_low_c),
              optional_cell(r.t_estimate_high_c),
              ok ? cell(long{r.n_minerals}) : cell(),
              optional_cell(r.rms_at_estimate),
              joined(r.flags),
              ok ? joined(mineral_names_of(r.minerals_used)) : cell(),
              joined(mineral_names_of(r.minerals_dropped)),
              optional_cell(r.fitted_water_factor),
              optional_cell(r.fitted_co2_mol_kg),
              optional_cell(r.al_fixed_mg_kg)};
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
