// Python arguments read as the command line reads its options, so that a script and a batch
// run given the same choices calculate the same, and are told of a bad choice in the same
// words.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "batch/options.h"
#include "batch/sources.h"
#include "bindings.h"
#include "morva/analysis_csv.h"
#include "text/sample_text.h"

namespace morva::python {

std::string option_text(py::handle x) {
  if (x.is_none()) return {};
  if (py::isinstance<py::str>(x)) return x.cast<std::string>();
  // Python's repr of a float is its shortest exact form, which the command line's number
  // reader takes back to the same double.
  if (py::isinstance<py::float_>(x) || py::isinstance<py::int_>(x)) {
    return py::repr(x).cast<std::string>();
  }
  if (py::isinstance<py::iterable>(x) && !py::isinstance<py::bytes>(x)) {
    std::string text;
    for (py::handle item : x) {
      if (!text.empty()) text += ',';
      text += option_text(item);
    }
    return text;
  }
  return py::str(x).cast<std::string>();
}

namespace {

/// One Python value of an option: a number as itself (shown in a message by its repr, which
/// is what the command line would have been given), anything else as the text it spells.
option_item option_value(py::handle x) {
  // True and False are ints to Python, but no temperature or coefficient.
  if (!py::isinstance<py::bool_>(x) &&
      (py::isinstance<py::float_>(x) || py::isinstance<py::int_>(x))) {
    double v = 0.0;
    try {
      v = x.cast<double>();
    } catch (const py::cast_error&) {
      v = std::nan("");  // an int beyond a double: no number the calculation takes
    }
    return {v, py::repr(x).cast<std::string>()};
  }
  return {std::nullopt, option_text(x)};
}

/// A single option value, or none when the argument is None.
std::optional<option_item> single_value(py::handle x) {
  if (x.is_none()) return std::nullopt;
  return option_value(x);
}

/// The items of a step list: a number, a text, or an iterable of either.
std::vector<option_item> step_values(py::handle x) {
  if (x.is_none()) return {};
  if (py::isinstance<py::str>(x) || py::isinstance<py::float_>(x) || py::isinstance<py::int_>(x) ||
      !py::isinstance<py::iterable>(x) || py::isinstance<py::bytes>(x)) {
    return {option_value(x)};
  }
  std::vector<option_item> items;
  for (py::handle item : x) items.push_back(option_value(item));
  return items;
}

}  // namespace

run_options calculation_options(py::handle temperature, py::handle boil, py::handle degassing,
                                py::handle cool, py::handle boiling_spring,
                                py::handle spring_degassing) {
  run_option_values values;
  values.temperature = single_value(temperature);
  values.boil = step_values(boil);
  values.degassing = single_value(degassing);
  values.cool = step_values(cool);
  values.boiling_spring = single_value(boiling_spring);
  values.spring_degassing = single_value(spring_degassing);
  run_options opt;
  std::string why;
  if (!read_run_options(values, opt, why)) throw py::value_error(why);
  return opt;
}

std::string path_text(py::handle path) {
  return py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
}

options_by_id options_table(const std::string& name, const run_options& base) {
  std::error_code e;
  if (std::filesystem::is_directory(name, e)) {
    throw py::value_error("cannot open options file " + name + ": it is a folder");
  }
  std::ifstream in(name, std::ios::binary);
  if (!in) {
    PyErr_SetString(PyExc_FileNotFoundError, ("cannot open options file " + name).c_str());
    throw py::error_already_set();
  }
  options_by_id table;
  std::string why;
  if (!read_options_table(in, name, base, table, why)) throw py::value_error(why);
  return table;
}

analysis_reading reading_choices(const std::string& below_detection, py::handle ph_temperature) {
  analysis_reading how;
  std::string why;
  const std::string t =
      ph_temperature.is_none() ? std::string() : option_value(ph_temperature).text;
  if (!read_analysis_reading(below_detection, t, how, why)) {
    // The option's name as the keyword of the Python call.
    for (const auto& [flag, word] :
         {std::pair<std::string_view, std::string_view>{"--below-detection", "below_detection"},
          {"--ph-temperature", "ph_temperature"}}) {
      if (why.starts_with(flag)) why.replace(0, flag.size(), word);
    }
    throw py::value_error(why);
  }
  return how;
}

std::vector<std::string> id_list(py::handle only) {
  if (only.is_none()) return {};
  return item_list(option_text(only));
}

std::string sample_id(const sample_record& s) { return utf8_id(s); }

void require_readable(const py_sample& v) {
  if (v.unreadable) throw py::value_error("sample could not be read: " + table_text(*v.unreadable));
}

std::vector<py_sample> read_samples(const std::string& name, py::handle warning,
                                    bool keep_unreadable, const analysis_reading& how) {
  if (is_folder(name)) {
    PyErr_SetString(PyExc_IsADirectoryError,
                    (name + " is a folder, not a sample file or table").c_str());
    throw py::error_already_set();
  }
  std::ifstream in(name, std::ios::binary);
  if (!in) {
    PyErr_SetString(PyExc_FileNotFoundError, ("cannot open sample file " + name).c_str());
    throw py::error_already_set();
  }
  const std::unique_ptr<sample_source> source = open_source(in, name, how);
  const py::object warn = py::module_::import("warnings").attr("warn");
  std::vector<py_sample> samples;
  for (;;) {
    sample_entry e;
    bool is_sample = false;
    const got g = source->next(e, is_sample);
    if (g == got::end) break;
    for (const std::string& note : e.notes) warn(table_text(note), warning, 2);
    if (is_sample) samples.push_back({std::move(e.s)});
    if (keep_unreadable && e.unreadable) samples.push_back({std::move(e.s), e.unreadable});
    if (g == got::fatal) break;
  }
  return samples;
}

std::string without_unit(const std::string& column) {
  const std::size_t open = column.rfind(" (");
  return open == std::string::npos ? column : column.substr(0, open);
}

const std::vector<std::string>& field_columns() {
  static const std::vector<std::string> columns(analysis_csv_columns().begin() + 2,
                                                analysis_csv_columns().end());
  return columns;
}

const std::vector<std::string>& field_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (const std::string& column : field_columns()) {
      std::string name;
      for (char c : without_unit(column)) {
        name += c == ' ' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
      n.push_back(name);
    }
    return n;
  }();
  return names;
}

const std::vector<std::string>& carbonate_field_names() {
  static const std::vector<std::string> names = {"hco3", "co3", "alkalinity_meq_kg"};
  return names;
}

const std::vector<std::string>& carbonate_field_columns() { return carbonate_columns(); }

sample_record make_sample(const std::string& id, const std::string& location,
                          const py::kwargs& fields, py::handle warning) {
  // The values go to the library as values; the table reader's rules and words for a row of
  // analyses hold for a sample made in Python too.
  std::vector<analysis_value> values;
  const std::vector<std::string>& names = field_names();
  const std::vector<std::string>& carbonate = carbonate_field_names();
  for (const auto& [key, value] : fields) {
    const std::string name = py::str(key).cast<std::string>();
    const auto it = std::find(names.begin(), names.end(), name);
    const auto ic = std::find(carbonate.begin(), carbonate.end(), name);
    if (it == names.end() && ic == carbonate.end()) {
      throw py::type_error("Sample() got an unexpected keyword argument '" + name + "'");
    }
    const std::string column =
        it != names.end()
            ? without_unit(field_columns()[static_cast<std::size_t>(it - names.begin())])
            : without_unit(
                  carbonate_field_columns()[static_cast<std::size_t>(ic - carbonate.begin())]);
    if (value.is_none()) continue;  // not analysed
    const option_item item = option_value(value);
    values.push_back({column, item.x, item.text});
  }
  const csv_read_result r = analysis_from_values("Sample()", id, location, values);
  const py::object warn = py::module_::import("warnings").attr("warn");
  for (const std::string& w : r.warnings) warn(table_text(w), warning, 2);
  switch (r.what) {
    case csv_read_result::kind::sample:
      return r.sample;
    case csv_read_result::kind::end:
      throw py::value_error("Sample(): no id and no analyses");
    default:
      throw py::value_error(table_text(r.error));
  }
}

}  // namespace morva::python
