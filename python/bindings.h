#pragma once
// What the parts of the Python module share: the samples and calculations as Python holds
// them, and the conversions between Python arguments and the program's options.

#include <pybind11/pybind11.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/options.h"
#include "morva/mineral_curves.h"
#include "morva/morva.h"
#include "result_tables/result_tables.h"

namespace morva::python {

namespace py = pybind11;

/// One sample: the analyses as read and completed.
struct py_sample {
  sample_record s;
  /// Why the entry of a file this stands for could not be read; empty for a sample.
  std::optional<std::string> unreadable{};
};

/// One calculated sample, shared by every Python object that shows a part of it; never
/// changed after the calculation.
struct calculation {
  sample_record s;
  run_options opt;
  sample_result r;
};
using calculation_ptr = std::shared_ptr<const calculation>;

// ---- arguments.cpp --------------------------------------------------------------------

/// A Python argument as the command line would have been given it: a number in its shortest
/// exact form, a list as its items separated by commas, None as nothing.
std::string option_text(py::handle x);

/// The calculation options of `morva run` from Python arguments, as the command line reads
/// them; ValueError with the command line's message when one is bad.
run_options calculation_options(py::handle temperature, py::handle boil, py::handle degassing,
                                py::handle cool, py::handle boiling_spring,
                                py::handle spring_degassing);

/// A file name from a str or path-like argument.
std::string path_text(py::handle path);

/// Per-sample options of an options table (`--options`), read over base; OSError when the
/// file cannot be opened, ValueError with the command line's message when it cannot be read.
options_by_id options_table(const std::string& name, const run_options& base);

/// Sample ids from a list or a comma-separated text (`--only`); empty for None.
std::vector<std::string> id_list(py::handle only);

/// The samples of a sample file or analysis table; every entry that cannot be read is said in
/// a warning of category `warning`, and with keep_unreadable is kept in file order as a
/// placeholder holding its id and location where read and the reason. A table is read by the
/// choices how. OSError when the file cannot be opened.
std::vector<py_sample> read_samples(const std::string& name, py::handle warning,
                                    bool keep_unreadable = false, const analysis_reading& how = {});

/// How a table of analyses is read, from the keywords below_detection ("half", "zero",
/// "limit") and ph_temperature (°C, or None for 25 °C); ValueError naming the keyword.
analysis_reading reading_choices(const std::string& below_detection, py::handle ph_temperature);

/// ValueError with the reason when v stands for an entry that could not be read.
void require_readable(const py_sample& v);

/// The sample's id in UTF-8, as a table writes it.
std::string sample_id(const sample_record& s);

/// Attribute names of the analyses (`temperature`, `ph`, `sio2`, `gas_co2` ...), in the order
/// of analysis_values(), and the column name of the analysis table each stands for.
const std::vector<std::string>& field_names();
const std::vector<std::string>& field_columns();

/// An analysis-table column name without its unit: "temperature", "gas CO2".
std::string without_unit(const std::string& column);

/// Keyword names of carbonate as laboratories report it (`hco3`, `co3`, `alkalinity_meq_kg`),
/// in the order of carbonate_columns(), and the column each stands for, in its own unit.
const std::vector<std::string>& carbonate_field_names();
const std::vector<std::string>& carbonate_field_columns();

/// A sample from an id, a location and analyses by attribute name, read as one row of an
/// analysis table; ValueError with the table reader's message when a value is not understood.
sample_record make_sample(const std::string& id, const std::string& location,
                          const py::kwargs& fields, py::handle warning);

// ---- columns.cpp ----------------------------------------------------------------------

/// A result table kept by columns: numbers as doubles, texts as numbers of texts kept once
/// each; a column that holds only numbers keeps no text numbers, and one of texts no doubles.
/// Holding a species table of ten thousand samples takes tens of megabytes rather than the
/// gigabyte its cells would.
class column_table {
 public:
  explicit column_table(std::vector<std::string> names);
  /// Appends rows, each with a cell per column.
  void add(const std::vector<row>& rows);
  /// Appends the species-table rows of sample s calculated into r (species_rows), straight
  /// from the values.
  void add_species(const sample_record& s, const sample_result& r);
  /// Appends the minerals-table rows of sample s calculated into r (mineral_rows).
  void add_minerals(const sample_record& s, const sample_result& r);
  /// Makes room for `rows` rows in all in the columns that have held numbers or texts so far:
  /// a table whose length is known after its first rows grows its columns once.
  void reserve(std::size_t rows);
  std::size_t size() const { return rows_; }
  /// A pandas DataFrame as pandas.read_csv gives of the CSV table (empty cells NaN, counts as
  /// integers where none is empty) when pandas is installed; otherwise, or with frame false,
  /// a dict of columns, lists with None for empty cells. Each column's storage is handed over
  /// as it is converted, so that the table is empty afterwards.
  py::object to_python(bool frame);

 private:
  struct column {
    std::vector<double> x;           // the number of each row; NaN where none; empty: no numbers
    std::vector<std::int32_t> text;  // the text of each row by its number; -1 where none
    bool any_text = false;
    bool any_empty = false;
    bool all_integral = true;  // every number a count
  };
  /// The number of text t, kept on first sight.
  std::int32_t text_id(std::string_view t);
  /// Cells of column c on the row being added (row number rows_).
  void number(std::size_t c, double x);
  void count(std::size_t c, long n);
  void text(std::size_t c, std::int32_t id);
  void empty(std::size_t c) { columns_[c].any_empty = true; }
  /// Adds the sample, state, step and t_C cells of a species or minerals row.
  void state_cells(std::int32_t id, std::int32_t kind, const state_key& key);

  std::vector<std::string> names_;
  std::vector<column> columns_;
  std::vector<std::string> texts_;
  std::map<std::string, std::int32_t, std::less<>> text_ids_;
  std::vector<std::int32_t> species_ids_, mineral_ids_;  // text numbers of the names, -1: none yet
  std::size_t rows_ = 0;
};

/// True when pandas can be imported.
bool have_pandas();

// ---- results.cpp ----------------------------------------------------------------------

/// Adds the classes of the results (State, Result, SaturationResult) to module m.
void bind_results(py::module_& m);

/// Calculates sample s with opt, the GIL released meanwhile.
calculation_ptr calculate_sample(const sample_record& s, const run_options& opt);

/// The saturation curves of s, the GIL released meanwhile, as the Python object.
py::object saturation_curves(const sample_record& s, const run_options& opt,
                             const saturation_grid& grid, const std::vector<int>& minerals,
                             const saturation_choices& how = {});

/// A Result object over calculation c.
py::object result_object(calculation_ptr c);

}  // namespace morva::python
