// Result tables handed to Python by columns: a pandas DataFrame with one array per column, or
// plain lists.

#include <pybind11/numpy.h>

#include <cmath>
#include <limits>

#include "bindings.h"

namespace morva::python {

column_table::column_table(std::vector<std::string> names)
    : names_(std::move(names)), columns_(names_.size()) {}

void column_table::add(const std::vector<row>& rows) {
  constexpr double none = std::numeric_limits<double>::quiet_NaN();
  for (const row& cells : rows) {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      column& col = columns_[c];
      double x = none;
      std::int32_t text = -1;
      static const cell empty;
      const cell& v = c < cells.size() ? cells[c] : empty;  // a short row ends in empty cells
      if (const auto* d = std::get_if<double>(&v)) {
        x = *d;
        col.all_integral = false;
      } else if (const auto* n = std::get_if<long>(&v)) {
        x = static_cast<double>(*n);
      } else if (const auto* s = std::get_if<std::string>(&v)) {
        auto it = text_ids_.find(*s);
        if (it == text_ids_.end()) {
          it = text_ids_.emplace(*s, static_cast<std::int32_t>(texts_.size())).first;
          texts_.push_back(*s);
        }
        text = it->second;
        col.any_text = true;
      } else {
        col.any_empty = true;
      }
      col.x.push_back(x);
      col.text.push_back(text);
    }
  }
  rows_ += rows.size();
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

py::object column_table::to_python(bool frame) const {
  frame = frame && have_pandas();
  std::vector<py::object> texts;
  texts.reserve(texts_.size());
  for (const std::string& t : texts_) texts.push_back(py::str(t));
  const py::object missing = frame ? py::object(py::float_(std::nan(""))) : py::object(py::none());
  const auto n = static_cast<py::ssize_t>(rows_);

  py::dict data;
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    const column& col = columns_[c];
    const bool count = col.all_integral && !col.any_text;
    py::object values;
    if (col.any_text) {
      // Texts (a number in a text column shows as one, which the tables never give).
      py::list list(n);
      for (py::ssize_t i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        py::object v = col.text[k] >= 0       ? texts[static_cast<std::size_t>(col.text[k])]
                       : std::isnan(col.x[k]) ? missing
                                              : py::object(py::float_(col.x[k]));
        PyList_SET_ITEM(list.ptr(), i, v.release().ptr());
      }
      values = std::move(list);
    } else if (frame && count && !col.any_empty && n > 0) {
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
                       : count       ? py::object(py::int_(static_cast<long>(x)))
                                     : py::object(py::float_(x));
        PyList_SET_ITEM(list.ptr(), i, v.release().ptr());
      }
      values = std::move(list);
    }
    data[py::str(names_[c])] = values;
  }
  if (!frame) return data;
  return py::module_::import("pandas").attr("DataFrame")(data);
}

}  // namespace morva::python
