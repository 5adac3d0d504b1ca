// Result tables handed to Python by columns: a pandas DataFrame with one array per column, or
// plain lists.

#include <pybind11/numpy.h>

#include <cassert>
#include <cmath>
#include <limits>

#include "bindings.h"
#include "chemdata/names.h"
#include "text/sample_text.h"

namespace morva::python {

namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN();

/// Releases the storage of a column vector that has been handed over.
template <class T>
void release(std::vector<T>& v) {
  std::vector<T>().swap(v);
}

}  // namespace

column_table::column_table(std::vector<std::string> names)
    : names_(std::move(names)), columns_(names_.size()) {}

std::int32_t column_table::text_id(std::string_view t) {
  auto it = text_ids_.find(t);
  if (it == text_ids_.end()) {
    it = text_ids_.emplace(std::string(t), static_cast<std::int32_t>(texts_.size())).first;
    texts_.emplace_back(t);
  }
  return it->second;
}

void column_table::reserve(std::size_t rows) {
  for (column& col : columns_) {
    if (!col.x.empty()) col.x.reserve(rows);
    if (!col.text.empty()) col.text.reserve(rows);
  }
}

void column_table::number(std::size_t c, double x) {
  column& col = columns_[c];
  col.x.resize(rows_, none);  // rows before without a number
  col.x.push_back(x);
  col.all_integral = false;
}

void column_table::count(std::size_t c, long n) {
  column& col = columns_[c];
  col.x.resize(rows_, none);
  col.x.push_back(static_cast<double>(n));
}

void column_table::text(std::size_t c, std::int32_t id) {
  column& col = columns_[c];
  col.text.resize(rows_, -1);  // rows before without a text
  col.text.push_back(id);
  col.any_text = true;
}

void column_table::add(const std::vector<row>& rows) {
  for (const row& cells : rows) {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      if (c >= cells.size()) {  // a short row ends in empty cells
        empty(c);
      } else if (const auto* d = std::get_if<double>(&cells[c])) {
        number(c, *d);
      } else if (const auto* n = std::get_if<long>(&cells[c])) {
        count(c, *n);
      } else if (const auto* s = std::get_if<std::string>(&cells[c])) {
        text(c, text_id(*s));
      } else {
        empty(c);
      }
    }
    ++rows_;
  }
}

void column_table::state_cells(std::int32_t id, std::int32_t kind, const state_key& key) {
  text(0, id);
  text(1, kind);
  count(2, key.step);
  number(3, key.t_c);
}

void column_table::add_species(const sample_record& s, const sample_result& r) {
  assert(names_ == species_columns());
  if (r.refused) return;
  const std::int32_t id = text_id(utf8_id(s));
  const std::vector<std::string>& names = species_names();
  if (species_ids_.empty()) species_ids_.assign(names.size(), -1);
  for_each_solved_state(r, [&](const state_key& key, const fluid_state& st) {
    const std::int32_t kind = text_id(key.kind);
    for (int i = 1; i <= species_vector::size; ++i) {
      const auto k = static_cast<std::size_t>(i - 1);
      if (species_ids_[k] < 0) species_ids_[k] = text_id(names[k]);
      const species_values v = species_row_values(st, i);
      state_cells(id, kind, key);
      text(4, species_ids_[k]);
      number(5, v.m);
      if (v.log_m) {
        number(6, *v.log_m);
      } else {
        empty(6);
      }
      number(7, v.gamma);
      number(8, v.activity);
      number(9, v.mg_kg);
      ++rows_;
    }
  });
}

void column_table::add_minerals(const sample_record& s, const sample_result& r) {
  assert(names_ == mineral_columns());
  if (r.refused) return;
  const std::int32_t id = text_id(utf8_id(s));
  const std::vector<std::string>& names = mineral_names();
  if (mineral_ids_.empty()) mineral_ids_.assign(names.size(), -1);
  for_each_solved_state(r, [&](const state_key& key, const fluid_state& st) {
    const std::int32_t kind = text_id(key.kind);
    for (int j = 1; j <= mineral_vector::size; ++j) {
      const auto k = static_cast<std::size_t>(j - 1);
      if (mineral_ids_[k] < 0) mineral_ids_[k] = text_id(names[k]);
      const mineral_values v = mineral_row_values(st, j);
      state_cells(id, kind, key);
      text(4, mineral_ids_[k]);
      number(5, v.log_k);
      for (const auto& [c, x] : {std::pair{std::size_t{6}, v.log_q}, {std::size_t{7}, v.si}}) {
        if (x) {
          number(c, *x);
        } else {
          empty(c);
        }
      }
      ++rows_;
    }
  });
}

bool have_pandas() {
  static const bool have = [] {
    try {
      py::module_::import("pandas");
      return true;
    } catch (const py::error_already_set&) {
      return false;
    }
  }();
  return have;
}

py::object column_table::to_python(bool frame) {
  frame = frame && have_pandas();
  // Each text becomes one Python string, shared by every cell that holds it.
  std::vector<py::object> texts;
  texts.reserve(texts_.size());
  for (const std::string& t : texts_) texts.push_back(py::str(t));
  const py::object missing = frame ? py::object(py::float_(std::nan(""))) : py::object(py::none());
  const auto n = static_cast<py::ssize_t>(rows_);

  py::dict data;
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    column& col = columns_[c];
    const bool integral = col.all_integral && !col.any_text;
    // Rows after the last number or text of the column have none.
    if (!col.x.empty() || !col.any_text) col.x.resize(rows_, none);
    if (col.any_text) col.text.resize(rows_, -1);
    py::object values;
    if (col.any_text) {
      // Texts (a number in a text column shows as one, which the tables never give): for a
      // frame an array of objects, which pandas takes as it is, else a list.
      const auto cell_object = [&](std::size_t k) {
        const double x = col.x.empty() ? none : col.x[k];
        return col.text[k] >= 0 ? texts[static_cast<std::size_t>(col.text[k])]
               : std::isnan(x)  ? missing
                                : py::object(py::float_(x));
      };
      if (frame) {
        py::array a(py::dtype("O"), n);
        auto* p = static_cast<PyObject**>(a.mutable_data());
        for (py::ssize_t i = 0; i < n; ++i) {
          Py_XDECREF(p[i]);
          p[i] = cell_object(static_cast<std::size_t>(i)).release().ptr();
        }
        values = std::move(a);
      } else {
        py::list list(n);
        for (py::ssize_t i = 0; i < n; ++i) {
          PyList_SET_ITEM(list.ptr(), i, cell_object(static_cast<std::size_t>(i)).release().ptr());
        }
        values = std::move(list);
      }
    } else if (frame && integral && !col.any_empty && n > 0) {
      py::array_t<std::int64_t> a(n);
      auto* p = a.mutable_data();
      for (py::ssize_t i = 0; i < n; ++i)
        p[i] = static_cast<std::int64_t>(col.x[static_cast<std::size_t>(i)]);
      values = std::move(a);
    } else if (frame) {
      py::array_t<double> a(n);
      std::copy(col.x.begin(), col.x.end(), a.mutable_data());
      values = std::move(a);
    } else {
      py::list list(n);
      for (py::ssize_t i = 0; i < n; ++i) {
        const double x = col.x[static_cast<std::size_t>(i)];
        py::object v = std::isnan(x) ? py::object(py::none())
                       : integral    ? py::object(py::int_(static_cast<long>(x)))
                                     : py::object(py::float_(x));
        PyList_SET_ITEM(list.ptr(), i, v.release().ptr());
      }
      values = std::move(list);
    }
    release(col.x);
    release(col.text);
    data[py::str(names_[c])] = values;
  }
  rows_ = 0;
  if (!frame) return data;
  // The frame takes the arrays as they are: copying them into blocks of one type would need
  // the table's memory twice over.
  return py::module_::import("pandas").attr("DataFrame")(data, py::arg("copy") = false);
}

}  // namespace morva::python
