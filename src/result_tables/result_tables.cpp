#include "result_tables/result_tables.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <utility>

#include "chemdata/names.h"
#include "chemdata/units.h"
#include "morva/checks.h"
#include "morva/tables.h"
#include "text/encoding.h"
#include "text/sample_text.h"

namespace morva {

namespace {

/// What one state-table row describes: the sample, and the step and solved state of the row.
struct row_view {
  const sample_record& s;
  const run_options& opt;
  const sample_result& r;
  const step_result* step;  ///< null on the reference row and on the row of a refusal
  long number;              ///< 0 for the reference state, 1.. within the step's kind
  const fluid_state* st;    ///< the solved state; null when refused or skipped
};

/// A cell from a value that may be missing.
cell optional_cell(const std::optional<double>& x) { return x ? cell(*x) : cell(); }

/// A geothermometer temperature, °C; empty unless the geothermometer gives a value (the
/// report's out-of-range markers have no place in a table).
cell geotemperature_c(const geotemperature& g) {
  const std::optional<double> t = g.t_c();
  return t ? cell(*t) : cell();
}

/// Temperature of the state of a row, °C: the step temperature as given, or the reference
/// temperature.
double state_t_c(const sample_result& r, const step_result* step) {
  return step ? step->t_c : r.reference.state.t_c();
}

/// One state-table column: its name, scope and how a row gives its value (k is the
/// component, gas or slot the column stands for).
struct column {
  std::string name;
  column_scope scope;
  cell (*get)(const row_view& v, int k);
  int k = 0;
};

std::vector<column> make_state_table() {
  std::vector<column> t;
  const auto add = [&](std::string name, column_scope scope, cell (*get)(const row_view&, int),
                       int k = 0) {
    t.push_back({std::move(name), scope, get, k});
  };
  const auto lower = [](std::string_view name) {
    std::string s = table_text(name);
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };

  add("sample", column_scope::sample, [](const row_view& v, int) { return cell(utf8_id(v.s)); });
  add("location", column_scope::sample,
      [](const row_view& v, int) { return cell(utf8_location(v.s)); });
  add("state", column_scope::status, [](const row_view& v, int) {
    return cell(std::string(v.step ? table_name(v.step->kind) : "reference"));
  });
  add("step", column_scope::status, [](const row_view& v, int) { return cell(v.number); });
  add("status", column_scope::status, [](const row_view& v, int) {
    return cell(std::string(v.r.refused ? "refused" : v.st ? "ok" : "skipped"));
  });
  add("reason", column_scope::status, [](const row_view& v, int) {
    if (v.r.refused) return cell(refusal_message(*v.r.refused));
    if (v.step && v.step->skipped) return cell(std::string(skip_message(*v.step->skipped)));
    return cell();
  });
  add("t_ref_type", column_scope::options,
      [](const row_view& v, int) { return cell(std::string(table_name(v.opt.tref_type))); });
  add("t_ref_C", column_scope::reference,
      [](const row_view& v, int) { return cell(v.r.reference.state.t_c()); });
  add("quartz_capped", column_scope::reference,
      [](const row_view& v, int) { return cell(long{v.r.reference.quartz_capped}); });
  add("t_C", column_scope::step,
      [](const row_view& v, int) { return cell(state_t_c(v.r, v.step)); });
  add("h_ref_kJ_kg", column_scope::reference,
      [](const row_view& v, int) { return cell(v.r.reference.href); });
  add("h_ref_origin", column_scope::reference, [](const row_view& v, int) {
    return cell(std::string(v.r.reference.h_origin == enthalpy_origin::measured ? "measured"
                                                                                : "calculated"));
  });
  add("t_separator_C", column_scope::reference,
      [](const row_view& v, int) { return cell(v.r.reference.tc_c()); });
  // The spring temperature as typed; the result holds it in kelvin when the sample is taken to
  // have boiled.
  add("t_spring_C", column_scope::reference,
      [](const row_view& v, int) { return v.r.reference.tb ? cell(*v.opt.t_spring_c) : cell(); });
  add("spring_degassing", column_scope::reference,
      [](const row_view& v, int) { return v.r.reference.tb ? cell(v.opt.spring_degas) : cell(); });
  add("y_collection", column_scope::reference,
      [](const row_view& v, int) { return cell(v.r.reference.yc); });
  add("y_spring", column_scope::reference,
      [](const row_view& v, int) { return cell(v.r.reference.yb); });
  add("steam_fraction", column_scope::state,
      [](const row_view& v, int) { return cell(v.st->steam_fraction); });
  add("degassing", column_scope::step, [](const row_view& v, int) {
    return cell(v.step ? v.step->degassing : v.r.reference.state.degassing);
  });
  add("ph", column_scope::state, [](const row_view& v, int) { return cell(v.st->ph); });
  add("ionic_strength_molal", column_scope::state,
      [](const row_view& v, int) { return cell(v.st->ionic); });
  // The temperature of the pH measurement the sampled water is solved at, as given or (flag
  // ph_temperature_assumed) as assumed for a laboratory pH.
  add("sampled_ph_t_C", column_scope::sample,
      [](const row_view& v, int) { return cell(v.s.ph_t_c); });
  add("sampled_ionic_strength_molal", column_scope::sampled,
      [](const row_view& v, int) { return cell(v.r.sampled.ionic); });
  add("sampled_cations_eq_kg", column_scope::sampled,
      [](const row_view& v, int) { return cell(v.r.sampled.balance.cations); });
  add("sampled_anions_eq_kg", column_scope::sampled,
      [](const row_view& v, int) { return cell(v.r.sampled.balance.anions); });
  add("sampled_ion_balance_pct", column_scope::sampled,
      [](const row_view& v, int) { return cell(v.r.sampled.balance.difference_pct); });
  // The water's total CO2, mg/kg, as the calculation took it: found from the alkalinity the
  // analysis gives in its place, or as analysed.
  add("sampled_co2_mg_kg", column_scope::sampled, [](const row_view& v, int) {
    return cell(v.r.sampled.co2_from_alkalinity_mgkg.value_or(v.s.water_mgkg[comp::co2]));
  });
  add("cations_eq_kg", column_scope::state,
      [](const row_view& v, int) { return cell(v.st->derived.balance.cations); });
  add("anions_eq_kg", column_scope::state,
      [](const row_view& v, int) { return cell(v.st->derived.balance.anions); });
  add("ion_balance_pct", column_scope::state,
      [](const row_view& v, int) { return cell(v.st->derived.balance.difference_pct); });
  // Oxidation potentials in the order of redox_couple.
  int couple = 0;
  for (const char* name : {"eh_h2s_V", "eh_ch4_V", "eh_h2_V", "eh_nh3_V"}) {
    add(
        name, column_scope::state,
        [](const row_view& v, int k) {
          return optional_cell(v.st->derived.eh(static_cast<redox_couple>(k)));
        },
        couple++);
  }
  add("quartz_C", column_scope::state,
      [](const row_view& v, int) { return geotemperature_c(v.st->derived.quartz); });
  add("chalcedony_C", column_scope::state,
      [](const row_view& v, int) { return geotemperature_c(v.st->derived.chalcedony); });
  add("nak_C", column_scope::state,
      [](const row_view& v, int) { return geotemperature_c(v.st->derived.na_k); });
  // Partial pressures: water vapour, then the seven gases.
  add("p_h2o_bar", column_scope::state, [](const row_view& v, int) { return cell(v.st->p_h2o); });
  for (int g = 1; g <= gas_vector::size; ++g) {
    add(
        "p_" + lower(component_name(g)) + "_bar", column_scope::state,
        [](const row_view& v, int k) { return cell(v.st->p_gas[k]); }, g);
  }
  add("p_total_bar", column_scope::state,
      [](const row_view& v, int) { return cell(v.st->ptotal); });
  for (int k = 1; k <= component_vector::size; ++k) {
    add(
        "liquid_" + lower(component_name(k)) + "_mg_kg", column_scope::state,
        [](const row_view& v, int i) { return cell(v.st->liquid_mgkg[i]); }, k);
  }
  add("liquid_tds_mg_kg", column_scope::state,
      [](const row_view& v, int) { return cell(v.st->tds_liquid); });
  for (int g = 1; g <= gas_vector::size; ++g) {
    add(
        "steam_" + lower(component_name(g)) + "_mg_kg", column_scope::state,
        [](const row_view& v, int i) { return cell(v.st->steam_mgkg[i]); }, g);
  }
  add("mass_balance_converged", column_scope::state,
      [](const row_view& v, int) { return cell(long{v.st->mass_balance.converged}); });
  add("mass_balance_sweeps", column_scope::state,
      [](const row_view& v, int) { return cell(long{v.st->mass_balance.sweeps}); });
  // Counted for refused samples and skipped steps too: the terminal reports each.
  add("unconverged_mass_balances", column_scope::status, [](const row_view& v, int) {
    return cell(long{v.step ? v.step->unconverged_mass_balances : v.r.unconverged_mass_balances});
  });
  add("ph_first", column_scope::state,
      [](const row_view& v, int) { return cell(std::string(table_name(v.st->ph_first))); });
  add("ph_later", column_scope::state,
      [](const row_view& v, int) { return cell(std::string(table_name(v.st->ph_later))); });
  // Plausibility flags of the sample's analysis, words separated by ';', on each row of the
  // sample: a warning, not a refusal.
  add("flags", column_scope::status, [](const row_view& v, int) {
    std::string words;
    for (const std::string& f : plausibility_flags(v.s, v.r))
      words += (words.empty() ? "" : ";") + f;
    return words.empty() ? cell() : cell(std::move(words));
  });
  return t;
}

const std::vector<column>& state_table() {
  static const std::vector<column> table = make_state_table();
  return table;
}

/// Whether a column has a value on a row: the scopes beyond the sample, its options and the
/// row itself need a calculated sample, and those of the state a solved state.
bool applies(column_scope scope, const row_view& v) {
  switch (scope) {
    case column_scope::sample:
    case column_scope::options:
    case column_scope::status:
      return true;
    case column_scope::reference:
    case column_scope::sampled:
    case column_scope::step:
      return !v.r.refused;
    case column_scope::state:
      return v.st != nullptr;
  }
  return false;
}

row state_row(const row_view& v) {
  const std::vector<column>& table = state_table();
  row cells(table.size());
  for (std::size_t c = 0; c < table.size(); ++c) {
    if (applies(table[c].scope, v)) cells[c] = table[c].get(v, table[c].k);
  }
  return cells;
}

}  // namespace

const std::vector<std::string>& state_columns() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const column& c : state_table()) n.push_back(c.name);
    return n;
  }();
  return names;
}

const std::vector<column_scope>& state_column_scopes() {
  static const std::vector<column_scope> scopes = [] {
    std::vector<column_scope> s;
    for (const column& c : state_table()) s.push_back(c.scope);
    return s;
  }();
  return scopes;
}

std::vector<row> state_rows(const sample_record& s, const run_options& opt,
                            const sample_result& r) {
  std::vector<row> rows;
  rows.reserve(1 + r.steps.size());
  if (r.refused) {
    rows.push_back(state_row({s, opt, r, nullptr, 0, nullptr}));
    return rows;
  }
  rows.push_back(state_row({s, opt, r, nullptr, 0, &r.reference.state}));
  long cooling = 0, boiling = 0;
  for (const step_result& st : r.steps) {
    const long number = st.kind == step_kind::cooling ? ++cooling : ++boiling;
    rows.push_back(state_row({s, opt, r, &st, number, st.state ? &*st.state : nullptr}));
  }
  return rows;
}

row unreadable_row(const sample_record& s, const std::string& reason) {
  const std::vector<std::string>& names = state_columns();
  row cells(names.size());
  const auto put = [&](std::string_view name, std::string text) {
    cells[static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin())] =
        cell(std::move(text));
  };
  put("sample", utf8_id(s));
  put("location", utf8_location(s));
  put("status", "unreadable");
  put("reason", table_text(reason));
  return cells;
}

const std::vector<std::string>& species_columns() {
  static const std::vector<std::string> names = {
      "sample",   "state",          "step",         "t_C",
      "species",  "molality_molal", "log_molality", "activity_coefficient",
      "activity", "mg_kg"};
  return names;
}

species_values species_row_values(const fluid_state& st, int i) {
  const double m = st.m[i];
  return {m, m > 0.0 ? std::optional(std::log10(m)) : std::nullopt, st.gamma[i], m * st.gamma[i],
          m * species_weight[i]};
}

std::vector<row> species_rows(const sample_record& s, const run_options&, const sample_result& r) {
  std::vector<row> rows;
  if (r.refused) return rows;
  rows.reserve(static_cast<std::size_t>(species_vector::size) * (1 + r.steps.size()));
  const std::string number = utf8_id(s);
  const std::vector<std::string>& names = species_names();
  for_each_solved_state(r, [&](const state_key& key, const fluid_state& st) {
    for (int i = 1; i <= species_vector::size; ++i) {
      const species_values v = species_row_values(st, i);
      rows.push_back({number, std::string(key.kind), key.step, key.t_c,
                      names[static_cast<std::size_t>(i - 1)], v.m, optional_cell(v.log_m), v.gamma,
                      v.activity, v.mg_kg});
    }
  });
  return rows;
}

const std::vector<std::string>& mineral_columns() {
  static const std::vector<std::string> names = {"sample",  "state", "step",  "t_C",
                                                 "mineral", "log_k", "log_q", "si"};
  return names;
}

mineral_values mineral_row_values(const fluid_state& st, int j) {
  return {st.derived.log_k[j], st.derived.log_q[j], st.saturation_index(j)};
}

std::vector<row> mineral_rows(const sample_record& s, const run_options&, const sample_result& r) {
  std::vector<row> rows;
  if (r.refused) return rows;
  rows.reserve(static_cast<std::size_t>(mineral_vector::size) * (1 + r.steps.size()));
  const std::string number = utf8_id(s);
  const std::vector<std::string>& names = mineral_names();
  for_each_solved_state(r, [&](const state_key& key, const fluid_state& st) {
    for (int j = 1; j <= mineral_vector::size; ++j) {
      const mineral_values v = mineral_row_values(st, j);
      rows.push_back({number, std::string(key.kind), key.step, key.t_c,
                      names[static_cast<std::size_t>(j - 1)], v.log_k, optional_cell(v.log_q),
                      optional_cell(v.si)});
    }
  });
  return rows;
}

std::string_view table_name(reference_temperature t) {
  switch (t) {
    case reference_temperature::measured:
      return "measured";
    case reference_temperature::arbitrary:
      return "arbitrary";
    case reference_temperature::chalcedony:
      return "chalcedony";
    case reference_temperature::quartz:
      return "quartz";
    case reference_temperature::na_k:
      return "na_k";
  }
  return {};
}

std::string_view skip_message(skip_reason why) {
  return why == skip_reason::no_liquid ? "boiling to this temperature leaves no liquid water"
                                       : "the calculation gives no finite result";
}

std::string_view table_name(step_kind k) { return k == step_kind::cooling ? "cooling" : "boiling"; }

std::string_view table_name(ph_outcome o) {
  switch (o) {
    case ph_outcome::solved:
      return "solved";
    case ph_outcome::above_range:
      return "above_range";
    case ph_outcome::below_range:
      return "below_range";
    case ph_outcome::not_converged:
      return "not_converged";
  }
  return {};
}

}  // namespace morva
