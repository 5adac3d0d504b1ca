#pragma once
// The classical geothermometers as table cells: one column gt_<name>_C per geothermometer and
// the gt_flags column saying why a cell is empty. The geothermometer table of `morva run`, the
// saturation summary and the Python module read the same cells.

#include <string>
#include <vector>

#include "morva/result.h"
#include "morva/sample.h"
#include "result_tables/result_tables.h"

namespace morva {

/// The geothermometer columns: gt_<name>_C for each, in the order of classical_gt, then
/// gt_flags.
const std::vector<std::string>& gt_columns();
/// The cells of the gt_columns() of sample s: each temperature, °C, or empty; the flags as
/// `<name>:range` or `<name>:inputs` separated by semicolons (empty when there is none).
std::vector<cell> gt_cells(const sample_record& s);

/// Columns of the geothermometer table: sample, location, status, then gt_columns().
const std::vector<std::string>& gt_table_columns();
/// The geothermometer-table row of sample s calculated into r: status ok or refused (the
/// geothermometers need only the analyses, so a refused sample has them too).
row gt_table_row(const sample_record& s, const sample_result& r);
/// The row of a sample that could not be read: its id and location where read, status
/// unreadable, no geothermometers.
row gt_unreadable_row(const sample_record& s);

}  // namespace morva
