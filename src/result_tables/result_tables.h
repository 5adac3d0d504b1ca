#pragma once
// The result tables of a batch run as rows of cells, one sample at a time: the state table
// (one row per fluid state: the reference state and each cooling and boiling step), the
// species table (one row per state and aqueous species) and the minerals table (one row per
// state and mineral). The CSV and JSON writers and any other front end read the same cells.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "chemdata/names.h"
#include "morva/result.h"
#include "morva/sample.h"
#include "text/encoding.h"

namespace morva {

/// One table value: empty (cannot be computed, or not applicable), a number, a count or a
/// text. Texts are UTF-8 without trailing blanks.
using cell = std::variant<std::monostate, double, long, std::string>;
/// One table row, a cell per column in the order of the table's column names.
using row = std::vector<cell>;

/// Column names of the state table, unit last (`t_ref_C`, `p_co2_bar`).
const std::vector<std::string>& state_columns();
/// Rows of the state table for sample s calculated with opt into r: the reference state, then
/// each step in calculation order (skipped steps with their reason); a refused sample gives
/// one row with its reason.
std::vector<row> state_rows(const sample_record& s, const run_options& opt, const sample_result& r);
/// The one state-table row of a sample that could not be read: its id and location where
/// they were read, status "unreadable" and the reason.
row unreadable_row(const sample_record& s, const std::string& reason);

/// What part of a sample a state-table column describes; it says which rows leave the column
/// empty and where the JSON document puts it.
enum class column_scope {
  sample,     ///< the sample itself: every row
  options,    ///< how the sample was calculated: every row
  status,     ///< which state the row is, its status and solver counts: every row
  reference,  ///< how the reference state was reached: every row of a calculated sample
  sampled,    ///< the sampled water: every row of a calculated sample
  step,       ///< temperature and degassing of the state: every row of a calculated sample
  state,      ///< the solved state: rows of the reference state and of calculated steps
};
/// Scope of each state-table column, in column order.
const std::vector<column_scope>& state_column_scopes();

/// Which solved state a species or mineral row belongs to.
struct state_key {
  std::string_view kind;  ///< "reference", "cooling" or "boiling"
  long step;              ///< 0 for the reference state, 1.. within the kind (skipped ones count)
  double t_c;             ///< the state's temperature, °C: the step's as given, or the reference
};

/// The values of the species-table row of species i (1..69) in state st.
struct species_values {
  double m;                     ///< molality, mol/kg
  std::optional<double> log_m;  ///< log10 of the molality; empty unless it is positive
  double gamma;                 ///< activity coefficient
  double activity;              ///< molality times activity coefficient
  double mg_kg;                 ///< mass concentration, mg/kg
};
/// The species-table values of species i (1..69) in state st, as every front end reads them.
species_values species_row_values(const fluid_state& st, int i);

/// The values of the minerals-table row of mineral j (1..29) in state st.
struct mineral_values {
  double log_k;                 ///< log10 of the equilibrium constant
  std::optional<double> log_q;  ///< log10 of the activity product; empty when it has none
  std::optional<double> si;     ///< saturation index log Q - log K; empty without log Q
};
/// The minerals-table values of mineral j (1..29) in state st, as every front end reads them.
mineral_values mineral_row_values(const fluid_state& st, int j);

/// Column names of the species table.
const std::vector<std::string>& species_columns();
/// Rows of the species table: the 69 species of each calculated state, in state order; none
/// for a refused sample or a skipped step.
std::vector<row> species_rows(const sample_record& s, const run_options& opt,
                              const sample_result& r);

/// Column names of the minerals table.
const std::vector<std::string>& mineral_columns();
/// Rows of the minerals table: the 29 minerals of each calculated state, in state order.
std::vector<row> mineral_rows(const sample_record& s, const run_options& opt,
                              const sample_result& r);

/// Names of the choices as the tables write them: `measured`, `arbitrary`, `chalcedony`,
/// `quartz`, `na_k`; `cooling`, `boiling`; `solved`, `above_range`, `below_range`,
/// `not_converged`.
std::string_view table_name(reference_temperature t);
std::string_view table_name(step_kind k);
std::string_view table_name(ph_outcome o);

/// Why a step was skipped, in the words of the tables' reason column.
std::string_view skip_message(skip_reason why);

/// Calls f(key, state) for the reference state and each solved step of a calculated sample, in
/// calculation order; nothing for a refused sample.
template <class F>
void for_each_solved_state(const sample_result& r, F f) {
  if (r.refused) return;
  const fluid_state& ref = r.reference.state;
  f(state_key{"reference", 0, ref.t_c()}, ref);
  long cooling = 0, boiling = 0;
  for (const step_result& step : r.steps) {
    const long number = step.kind == step_kind::cooling ? ++cooling : ++boiling;
    if (step.state) f(state_key{table_name(step.kind), number, step.t_c}, *step.state);
  }
}

}  // namespace morva
