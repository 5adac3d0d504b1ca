#pragma once
// The two tables of the saturation curves: one row per sample and grid temperature with the
// statistics of the saturation indices and each chosen mineral's index, and one summary row
// per sample with the classical geothermometers beside the temperatures estimated from the
// curves.

#include <string>
#include <string_view>
#include <vector>

#include "morva/mineral_curves.h"
#include "result_tables/result_tables.h"
#include "text/format.h"

namespace morva {

/// A mineral's name as a column name: lower case, words joined by underscores
/// ("albite_low", "mg_chlorite").
std::string mineral_column_name(int mineral);

/// The name of an SI form in the tables and on the command line: "ions" or "none".
std::string_view si_form_name(si_form f);

/// Columns of the curve table for the chosen minerals (positions 1..29): sample, t_C, status,
/// the statistics, then si_<mineral> for each.
std::vector<std::string> saturation_columns(const std::vector<int>& minerals);
/// Rows of the curve table of sample s: one per grid point; none for a refused sample.
std::vector<row> saturation_rows(const sample_record& s, const saturation_result& r);

/// Columns of the summary table for the chosen minerals: the sample, its reference state and
/// geothermometers, the estimates, <mineral>_equilibrium_C for each, then the classical
/// geothermometers of its analyses (gt_columns()); fitted_water_factor, fitted_co2_mol_kg and
/// al_fixed_mg_kg (empty unless fitted or fixed) after minerals_dropped.
std::vector<std::string> saturation_summary_columns(const std::vector<int>& minerals);
/// The summary row of sample s calculated with opt; a mineral's equilibrium temperatures are
/// one text, separated by semicolons; memo keeps the texts of the numbers.
row saturation_summary_row(const sample_record& s, const run_options& opt,
                           const saturation_result& r, number_memo& memo);

}  // namespace morva
