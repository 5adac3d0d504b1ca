// The Python module `morva`: samples read from sample files and analysis tables, calculated
// as the program calculates them, with the results as Python values and the batch tables as
// DataFrames.

#include <pybind11/stl.h>

#include <fstream>
#include <set>
#include <sstream>
#include <utility>

#include "batch/options.h"
#include "batch/output_files.h"
#include "batch/parallel.h"
#include "batch/sources.h"
#include "bindings.h"
#include "morva/analysis_csv.h"
#include "morva/calculate.h"
#include "text/sample_text.h"

namespace morva::python {

namespace {

/// Analysis k of a sample (of the analysis_values x) as a Python value: None where not
/// analysed, an analysed zero as 0.0 (a sample file cannot tell them apart: its 0 is None).
py::object analysis_object(const sample_record& s, const std::vector<double>& x, std::size_t k) {
  if (x[k] != 0.0) return py::float_(x[k]);
  if (!s.blanks_listed) return py::none();
  const std::string name = without_unit(field_columns()[k]);
  const bool open =
      std::find(s.not_analysed.begin(), s.not_analysed.end(), name) != s.not_analysed.end();
  return open ? py::object(py::none()) : py::object(py::float_(0.0));
}

/// The analyses of a sample as Python values: None where not analysed.
py::object field_value(const py_sample& v, std::size_t k) {
  return analysis_object(v.s, analysis_values(v.s), k);
}

/// The analyses of a sample under names (field_names() or field_columns()) into d: None
/// where not analysed.
void put_analyses(const py_sample& v, const std::vector<std::string>& names, py::dict& d) {
  const std::vector<double> x = analysis_values(v.s);
  for (std::size_t k = 0; k < x.size(); ++k) d[py::str(names[k])] = analysis_object(v.s, x, k);
}

/// The samples of run_table's argument: a list of Samples, or a file of them.
std::vector<py_sample> samples_of(py::handle samples, py::handle warning) {
  if (py::isinstance<py::str>(samples) || py::hasattr(samples, "__fspath__")) {
    return read_samples(path_text(samples), warning, true);
  }
  if (!py::isinstance<py::iterable>(samples)) {
    throw py::type_error("samples: a list of morva.Sample or a file name, not " +
                         std::string(py::str(py::type::handle_of(samples).attr("__name__"))));
  }
  std::vector<py_sample> all;
  long k = 0;
  for (py::handle item : samples) {
    if (!py::isinstance<py_sample>(item)) {
      throw py::type_error("samples: item " + std::to_string(k) + " (" +
                           std::string(py::str(py::type::handle_of(item).attr("__name__"))) +
                           ") is not a morva.Sample");
    }
    all.push_back(item.cast<py_sample>());
    ++k;
  }
  return all;
}

/// Writes the samples to a sample file, or to an analysis table when the name ends in .csv.
/// A fixed-column sample file is Latin-1: what it cannot keep of a sample's texts is said in a
/// warning of the class `warning`, once per sample.
void write_samples(const std::vector<py_sample>& samples, py::handle path, py::handle warning) {
  // Written whole into a temporary file beside the target, which it then replaces: a failure
  // leaves an older file as it was.
  const std::string name = path_text(path);
  std::ostringstream why;
  output_file out;
  bool ok = out.open(name, why);
  if (ok) {
    std::ostringstream text;
    if (is_csv_name(name)) write_analysis_csv_header(text);
    const py::object warn = py::module_::import("warnings").attr("warn");
    bool carbonate_said = false;  // the total CO2 written for an alkalinity has been said
    for (const py_sample& v : samples) {
      if (v.unreadable) continue;  // nothing was read to write
      // The file has no column for an alkalinity: the total CO2 that carries it is written.
      std::optional<sample_record> s = with_total_co2_written(v.s);
      if (v.s.alkalinity_eq_kg && v.s.water_mgkg[comp::co2] == 0.0 && !carbonate_said) {
        warn(name +
                 ": carbonate given as bicarbonate, carbonate or alkalinity is written as the "
                 "total CO2 (mg/kg) that carries it at the sample's pH and pH temperature",
             warning, 2);
        carbonate_said = true;
      }
      if (!s) {
        warn(sample_id(v.s) +
                 ": no total CO2 carries the given alkalinity at the sample's pH; written "
                 "without carbonate",
             warning, 2);
        s = v.s;
        s->alkalinity_eq_kg.reset();
      }
      if (is_csv_name(name)) {
        write_analysis_csv_row(*s, text);
      } else {
        const latin1_sample l = latin1_copy(*s, name);
        for (const std::string& w : l.losses) warn(w, warning, 2);
        write_sample_block(l.s, text);
      }
    }
    out.put(text.str());
    ok = out.commit(why);
  }
  if (!ok) {
    PyErr_SetString(PyExc_OSError, ("cannot write " + name).c_str());
    throw py::error_already_set();
  }
}

/// run_table: every selected sample calculated, `jobs` at a time, the GIL released while they
/// are; between windows of samples an interrupt (Ctrl-C) is taken.
py::object run_table(py::handle samples_arg, const std::string& table, py::handle temperature,
                     py::handle boil, py::handle degassing, py::handle cool,
                     py::handle boiling_spring, py::handle spring_degassing, py::handle options,
                     py::handle only, int jobs, bool frame, py::handle warning) {
  std::vector<std::string> columns;
  if (table == "state") {
    columns = state_columns();
  } else if (table == "species") {
    columns = species_columns();
  } else if (table == "minerals") {
    columns = mineral_columns();
  } else {
    throw py::value_error("table \"" + table + "\" is none of state, species, minerals");
  }
  const run_options base =
      calculation_options(temperature, boil, degassing, cool, boiling_spring, spring_degassing);
  options_by_id per_sample;
  if (!options.is_none()) per_sample = options_table(path_text(options), base);
  const std::vector<std::string> ids = id_list(only);
  if (jobs < 1 || jobs > 256) {
    throw py::value_error("--jobs: Value " + std::to_string(jobs) + " not in range 1 to 256");
  }
  const std::vector<py_sample> samples = samples_of(samples_arg, warning);
  // Ids the file holds twice: an options row for one of them cannot say which sample it means.
  std::set<std::string> seen, repeated;
  for (const py_sample& v : samples) {
    const std::string id = id_key(v.s);
    if (!id.empty() && !seen.insert(id).second) {
      if (repeated.insert(id).second) {
        py::module_::import("warnings")
            .attr("warn")("sample id " + sample_id(v.s) + " appears more than once", warning, 2);
      }
    }
  }
  const selection sel{base, &per_sample, &ids, &repeated};
  {
    std::ostringstream unmatched;
    say_unmatched(sel, seen, "the samples", unmatched);
    std::istringstream lines(unmatched.str());
    for (std::string line; std::getline(lines, line);) {
      py::module_::import("warnings").attr("warn")(line.substr(line.find(' ') + 1), warning, 2);
    }
  }

  column_table out(columns);
  const std::size_t window = static_cast<std::size_t>(jobs) * 64;
  // The state table's rows are made where each sample is calculated; the species and minerals
  // tables, far longer, are added from the results straight into their columns.
  const bool by_rows = table == "state";
  std::vector<std::vector<row>> rows;
  std::vector<std::optional<sample_result>> results;
  // The species and minerals rows of every state the samples may have, for the room of the
  // columns (the calculation takes at most ten steps of each kind).
  std::size_t expected_rows = 0;
  if (!by_rows) {
    const std::size_t per_state =
        static_cast<std::size_t>(table == "species" ? species_vector::size : mineral_vector::size);
    for (const py_sample& v : samples) {
      const std::string id = id_key(v.s);
      if (v.unreadable || !selected(sel, id)) continue;
      const run_options& opt = options_for(sel, id);
      expected_rows += per_state * (1 + std::min<std::size_t>(opt.cool_c.size(), 10) +
                                    std::min<std::size_t>(opt.boil_c.size(), 10));
    }
  }
  for (std::size_t first = 0; first < samples.size(); first += window) {
    const std::size_t n = std::min(window, samples.size() - first);
    rows.assign(by_rows ? n : 0, {});
    results.assign(n, std::nullopt);
    {
      py::gil_scoped_release free;
      parallel_for(n, jobs, [&](std::size_t i, int) {
        const sample_record& s = samples[first + i].s;
        const std::string id = id_key(s);
        if (const std::optional<std::string>& why = samples[first + i].unreadable) {
          // An entry that could not be read keeps its place in the state table.
          if (by_rows && (ids.empty() || selected(sel, id))) rows[i] = {unreadable_row(s, *why)};
          return;
        }
        if (!selected(sel, id)) return;
        const run_options& opt = options_for(sel, id);
        sample_result r;
        if (repeated.contains(id) && per_sample.contains(id)) {
          r.refused = refusal_reason::options_ambiguous;
        } else {
          r = calculate_checked(s, opt);
        }
        if (by_rows) {
          rows[i] = state_rows(s, opt, r);
        } else {
          results[i] = std::move(r);
        }
      });
      for (std::size_t i = 0; i < n; ++i) {
        if (by_rows) {
          out.add(rows[i]);
        } else if (results[i] && table == "species") {
          out.add_species(samples[first + i].s, *results[i]);
        } else if (results[i]) {
          out.add_minerals(samples[first + i].s, *results[i]);
        }
      }
      if (first == 0) out.reserve(expected_rows);
    }
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
  }
  return out.to_python(frame);
}

}  // namespace

}  // namespace morva::python

PYBIND11_MODULE(morva, m) {
  using namespace morva;
  using namespace morva::python;
  m.doc() =
      "MORVA: chemistry of geothermal and other natural waters.\n\n"
      "read_samples() reads a sample file or a .csv table of analyses; calculate() gives the\n"
      "aquifer fluid of a sample at its reference temperature with its cooling and boiling\n"
      "steps; saturation() the saturation curves of its minerals; run_table() the batch\n"
      "tables of many samples as pandas DataFrames. Options, names and units are those of\n"
      "`morva run` and its tables.";
  m.attr("__version__") = "2.4.0";
  // A file that cannot be read as it should (a folder, a device) is a bad argument, said in
  // the module's words rather than the library's.
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const std::ios_base::failure&) {
      PyErr_SetString(PyExc_ValueError, "a file could not be read (a folder, or a device?)");
    }
  });

  const py::object warning = py::reinterpret_steal<py::object>(
      PyErr_NewExceptionWithDoc("morva.SampleWarning",
                                "An entry of a sample file or table that could not be read, or "
                                "a value read with a remark.",
                                PyExc_UserWarning, nullptr));
  m.attr("SampleWarning") = warning;
  m.attr("SPECIES") = py::tuple(py::cast(species_names()));
  m.attr("MINERALS") = py::tuple(py::cast(mineral_names()));

  std::string fields_doc;
  for (std::size_t k = 0; k < field_names().size(); ++k) {
    fields_doc += "\n  " + field_names()[k] + ": " + field_columns()[k];
  }
  for (std::size_t k = 0; k < carbonate_field_names().size(); ++k) {
    fields_doc += "\n  " + carbonate_field_names()[k] + ": " + carbonate_field_columns()[k];
  }
  fields_doc +=
      "\n(hco3, co3 and alkalinity_meq_kg give the carbonate alkalinity in place of the total "
      "CO2, which the calculation finds from it at the measured pH and pH temperature; "
      "alkalinity_meq_kg is read when neither hco3 nor co3 is given, all three when co2 is "
      "not given.)";
  py::class_<py_sample> sample(
      m, "Sample",
      ("One analysed sample: id, location and the analyses, each None when not given. "
       "Sample(id, location='', **fields) makes one; the fields, with the column of the "
       "analysis table each is:" +
       fields_doc)
          .c_str());
  sample
      .def(py::init([warning](const std::string& id, const std::string& location,
                              const py::kwargs& fields) {
             return py_sample{make_sample(id, location, fields, warning)};
           }),
           py::arg("id"), py::arg("location") = "")
      .def_property_readonly(
          "id", [](const py_sample& v) { return sample_id(v.s); }, "sample id")
      .def_property_readonly(
          "location", [](const py_sample& v) { return utf8_location(v.s); },
          "location or description")
      .def_property_readonly(
          "analyses",
          [](const py_sample& v) {
            py::dict d;
            put_analyses(v, field_columns(), d);
            return d;
          },
          "{column of the analysis table: value or None}")
      .def(
          "to_dict",
          [](const py_sample& v) {
            py::dict d;
            d["id"] = sample_id(v.s);
            d["location"] = utf8_location(v.s);
            put_analyses(v, field_names(), d);
            if (v.s.alkalinity_eq_kg) d["alkalinity_meq_kg"] = *v.s.alkalinity_eq_kg * 1000.0;
            return d;
          },
          "id, location and every field by name: Sample(**s.to_dict()) is the same sample")
      .def_property_readonly(
          "alkalinity_meq_kg",
          [](const py_sample& v) {
            return v.s.alkalinity_eq_kg ? py::object(py::float_(*v.s.alkalinity_eq_kg * 1000.0))
                                        : py::object(py::none());
          },
          "carbonate alkalinity given in place of the total CO2, meq/kg (from hco3, co3 or "
          "alkalinity_meq_kg, or a table's HCO3, CO3 or alkalinity columns); None when not "
          "given")
      .def_property_readonly(
          "unreadable",
          [](const py_sample& v) {
            return v.unreadable ? py::object(py::str(table_text(*v.unreadable)))
                                : py::object(py::none());
          },
          "why the entry of the file could not be read; None for a sample read")
      .def("__repr__", [](const py_sample& v) {
        return "<morva.Sample " + sample_id(v.s) + (v.unreadable ? " unreadable>" : ">");
      });
  for (std::size_t k = 0; k < field_names().size(); ++k) {
    sample.def_property_readonly(
        field_names()[k].c_str(), [k](const py_sample& v) { return field_value(v, k); },
        field_columns()[k].c_str());
  }

  bind_results(m);

  m.def(
      "read_samples",
      [warning](const py::object& path, bool keep_unreadable, const std::string& below_detection,
                py::handle ph_temperature) {
        const analysis_reading how = reading_choices(below_detection, ph_temperature);
        return read_samples(path_text(path), warning, keep_unreadable, how);
      },
      py::arg("path"), py::arg("keep_unreadable") = false, py::kw_only(),
      py::arg("below_detection") = "half", py::arg("ph_temperature") = py::none(),
      "The samples of a sample file, or of a table of analyses when the name ends in .csv. "
      "An entry that cannot be read is said in a SampleWarning and passed over, or with "
      "keep_unreadable=True kept in its place as a Sample whose `unreadable` gives the reason "
      "(calculate() refuses it with a ValueError; write_samples() leaves it out). In a table, "
      "a value below its detection limit (<0.01) is taken as half the limit, zero or the limit "
      "(below_detection='half', 'zero', 'limit'), and a pH without its temperature as "
      "measured at ph_temperature °C (None: 25 °C).");
  m.def(
      "write_samples",
      [warning](const std::vector<py_sample>& samples, const py::object& path) {
        write_samples(samples, path, warning);
      },
      py::arg("samples"), py::arg("path"),
      "Writes samples to a sample file, or to a table of analyses when the name ends in .csv. "
      "A sample file holds Latin-1 texts of at most 16 (id) and 80 (location) characters: "
      "what it cannot keep is said in a SampleWarning.");

  m.def(
      "calculate",
      [](const py_sample& s, const py::object& temperature, const py::object& boil,
         const py::object& degassing, const py::object& cool, const py::object& boiling_spring,
         const py::object& spring_degassing) {
        const run_options opt = calculation_options(temperature, boil, degassing, cool,
                                                    boiling_spring, spring_degassing);
        require_readable(s);
        return result_object(calculate_sample(s.s, opt));
      },
      py::arg("sample"), py::kw_only(), py::arg("temperature") = "measured",
      py::arg("boil") = py::none(), py::arg("degassing") = 1.0, py::arg("cool") = py::none(),
      py::arg("boiling_spring") = py::none(), py::arg("spring_degassing") = 1.0,
      "Calculates a sample as `morva run` does with the same options: temperature "
      "('measured', 'quartz', 'chalcedony', 'nak' or °C), boil and cool (up to ten "
      "temperatures, °C), degassing of the boiling steps, boiling_spring (°C) and "
      "spring_degassing. Returns a Result.");

  m.def(
      "saturation",
      [](const py_sample& s, const py::object& temperature, const py::object& t_from,
         const py::object& t_to, const py::object& step, const py::object& minerals,
         const py::object& boiling_spring, const py::object& spring_degassing,
         const std::string& normalise, const py::object& fix_al, const py::object& fit,
         const py::object& water_factor, double co2_max) {
        const run_options opt = calculation_options(temperature, py::none(), py::none(), py::none(),
                                                    boiling_spring, spring_degassing);
        saturation_grid grid;
        std::vector<int> chosen;
        std::string why;
        std::string repeated;
        bool automatic = false;
        if (!parse_grid(option_text(t_from), option_text(t_to), option_text(step), grid, why) ||
            !parse_minerals(option_text(minerals), chosen, why, &repeated, &automatic)) {
          throw py::value_error(why);
        }
        if (!repeated.empty()) py::module_::import("warnings").attr("warn")(repeated);
        if (normalise != "ions" && normalise != "none") {
          throw py::value_error("normalise: \"" + normalise + "\" is none of ions, none");
        }
        saturation_choices how;
        how.normalise = normalise == "none" ? si_form::none : si_form::ions;
        how.auto_minerals = automatic;
        const std::string fix_text = fix_al.is_none() ? "" : py::cast<std::string>(fix_al);
        const std::string fit_text = fit.is_none() ? "" : py::cast<std::string>(fit);
        if (!parse_fit(fix_text, fit_text, "0.5,1.5", "0.1", how, why)) throw py::value_error(why);
        const auto bounds = py::cast<std::pair<double, double>>(water_factor);
        how.water_factor_min = bounds.first;
        how.water_factor_max = bounds.second;
        how.co2_max_mol_kg = co2_max;
        if (!check_fit(how, why)) throw py::value_error(why);
        require_readable(s);
        return saturation_curves(s.s, opt, grid, chosen, how);
      },
      py::arg("sample"), py::kw_only(), py::arg("temperature") = "measured", py::arg("t_from") = 25,
      py::arg("t_to") = 350, py::arg("step") = 5, py::arg("minerals") = py::none(),
      py::arg("boiling_spring") = py::none(), py::arg("spring_degassing") = 1.0,
      py::arg("normalise") = "ions", py::arg("fix_al") = py::none(), py::arg("fit") = py::none(),
      py::arg("water_factor") = std::make_pair(0.5, 1.5), py::arg("co2_max") = 0.1,
      "Saturation curves of the sample's aquifer fluid from t_from to t_to °C every step °C, "
      "as `morva saturation` draws them; minerals by name (None: the default assemblage); "
      "normalise='ions' divides each index by the species of its mineral's reaction in the "
      "statistics and the estimate, 'none' takes log(Q/K) as it stands; fix_al names the "
      "mineral whose saturation fixes the liquid's Al at each temperature; fit ('water', "
      "'co2', 'water,co2') fits the factor on the non-volatile totals within water_factor "
      "(min, max) and the CO2 added back, 0 to co2_max mol/kg. Returns a SaturationResult.");

  m.def(
      "run_table",
      [warning](const py::object& samples, const std::string& table, const py::object& temperature,
                const py::object& boil, const py::object& degassing, const py::object& cool,
                const py::object& boiling_spring, const py::object& spring_degassing,
                const py::object& options, const py::object& only, int jobs, bool frame) {
        return run_table(samples, table, temperature, boil, degassing, cool, boiling_spring,
                         spring_degassing, options, only, jobs, frame, warning);
      },
      py::arg("samples"), py::arg("table") = "state", py::kw_only(),
      py::arg("temperature") = "measured", py::arg("boil") = py::none(), py::arg("degassing") = 1.0,
      py::arg("cool") = py::none(), py::arg("boiling_spring") = py::none(),
      py::arg("spring_degassing") = 1.0, py::arg("options") = py::none(),
      py::arg("only") = py::none(), py::arg("jobs") = 1, py::arg("frame") = true,
      "The table 'state', 'species' or 'minerals' of `morva run` for samples (a list of "
      "Samples, or a sample file or .csv table), with the options of `morva run` (options: "
      "a CSV table of per-sample options; only: the ids to calculate; jobs: samples "
      "calculated at once). A pandas DataFrame as pandas.read_csv reads the CSV table; "
      "without pandas, or with frame=False, a dict of columns with None for empty cells.");
}
