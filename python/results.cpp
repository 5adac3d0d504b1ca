// The results of a calculation as Python objects. A Result keeps the calculation it shows and
// turns a part of it into Python values only when that part is asked for, so that calculating
// from Python costs little more than calculating.

#include <pybind11/stl.h>

#include <cmath>

#include "bindings.h"
#include "plots/plots.h"
#include "result_tables/curve_tables.h"
#include "result_tables/geotherm_table.h"
#include "result_tables/json.h"
#include "text/format.h"

namespace morva::python {

namespace {

/// A value that may be missing: None when it is.
py::object maybe(const std::optional<double>& x) {
  return x ? py::object(py::float_(*x)) : py::object(py::none());
}

/// A geothermometer temperature, °C, or None.
py::object celsius(const geotemperature& g) {
  const std::optional<double> t = g.t_c();
  return t ? py::object(py::float_(*t)) : py::object(py::none());
}

/// Names of the components 1..n without padding ("CO2", "SiO2").
std::vector<std::string> component_names(int n) {
  std::vector<std::string> names;
  for (int k = 1; k <= n; ++k) names.emplace_back(component_name(k));
  return names;
}

/// The sample's row of one cell of a table as a Python value.
py::object cell_value(const cell& c) {
  if (const auto* d = std::get_if<double>(&c)) {
    return std::isfinite(*d) ? py::object(py::float_(*d)) : py::object(py::none());
  }
  if (const auto* n = std::get_if<long>(&c)) return py::int_(*n);
  if (const auto* s = std::get_if<std::string>(&c)) return py::str(*s);
  return py::none();
}

/// One solved fluid state of a calculation: the reference state or a calculated step.
struct py_state {
  calculation_ptr c;
  const fluid_state* st;
  const step_result* step;  // null for the reference state
  std::size_t row;          // its row of the state table

  double temperature_c() const { return step ? step->t_c : st->t_c(); }
};

py::dict pressures(const py_state& v) {
  py::dict d;
  d["H2O"] = v.st->p_h2o;
  static const std::vector<std::string> gases = component_names(gas_vector::size);
  for (int g = 1; g <= gas_vector::size; ++g) {
    d[py::str(gases[static_cast<std::size_t>(g - 1)])] = v.st->p_gas[g];
  }
  return d;
}

/// A dict of value(k) under names[k - 1], k = 1..names.size().
template <class F>
py::dict by_name(const std::vector<std::string>& names, F value) {
  py::dict d;
  for (std::size_t k = 0; k < names.size(); ++k) {
    d[py::str(names[k])] = value(static_cast<int>(k) + 1);
  }
  return d;
}

/// A dict over the 69 species of a quantity of each.
template <class F>
py::dict by_species(F f) {
  return by_name(species_names(), f);
}

/// A dict over the 29 minerals of a quantity of each.
template <class F>
py::dict by_mineral(F f) {
  return by_name(mineral_names(), f);
}

/// The state-table row of state v as a dict by column name.
py::dict state_row(const py_state& v) {
  const std::vector<row> rows = state_rows(v.c->s, v.c->opt, v.c->r);
  const row& cells = rows.at(v.row);
  py::dict d;
  const std::vector<std::string>& names = state_columns();
  for (std::size_t k = 0; k < names.size(); ++k) d[py::str(names[k])] = cell_value(cells[k]);
  return d;
}

/// Why a calculation was refused, in the words of the tables' reason column; None when it
/// was not.
py::object refusal(const calculation& c) {
  return c.r.refused ? py::object(py::str(refusal_message(*c.r.refused))) : py::object(py::none());
}

/// A Result object, the Python class bound below.
struct py_result {
  calculation_ptr c;
};

/// The steps of a calculation as (kind, t_c, State or the reason it was skipped).
py::list steps_of(const calculation_ptr& c) {
  py::list steps;
  if (c->r.refused) return steps;
  for (std::size_t k = 0; k < c->r.steps.size(); ++k) {
    const step_result& st = c->r.steps[k];
    py::object what = st.state ? py::cast(py_state{c, &*st.state, &st, k + 1})
                               : py::object(py::str(std::string(skip_message(*st.skipped))));
    steps.append(py::make_tuple(std::string(table_name(st.kind)), st.t_c, what));
  }
  return steps;
}

/// One table of one sample, as run_table gives it.
py::object sample_table(const calculation& c, const std::string& name, bool frame) {
  if (name == "state") {
    column_table t(state_columns());
    t.add(state_rows(c.s, c.opt, c.r));
    return t.to_python(frame);
  }
  if (name == "species") {
    column_table t(species_columns());
    t.add_species(c.s, c.r);
    return t.to_python(frame);
  }
  if (name == "minerals") {
    column_table t(mineral_columns());
    t.add_minerals(c.s, c.r);
    return t.to_python(frame);
  }
  throw py::value_error("table \"" + name + "\" is none of state, species, minerals");
}

/// The saturation curves of one sample.
struct py_saturation {
  std::shared_ptr<const saturation_result> r;
  calculation_ptr c;  // the sample at its reference state
};

}  // namespace

calculation_ptr calculate_sample(const sample_record& s, const run_options& opt) {
  auto c = std::make_shared<calculation>();
  c->s = s;
  c->opt = opt;
  {
    py::gil_scoped_release free;
    c->r = calculate_checked(s, opt);
  }
  return c;
}

py::object result_object(calculation_ptr c) { return py::cast(py_result{std::move(c)}); }

py::object saturation_curves(const sample_record& s, const run_options& opt,
                             const saturation_grid& grid, const std::vector<int>& minerals,
                             const saturation_choices& how) {
  auto r = std::make_shared<saturation_result>();
  {
    py::gil_scoped_release free;
    *r = saturation_checked(s, opt, grid, minerals, how);
  }
  auto c = std::make_shared<calculation>();
  c->s = s;
  c->opt = opt;
  c->r = r->calculation;
  return py::cast(py_saturation{std::move(r), std::move(c)});
}

void bind_results(py::module_& m) {
  py::class_<py_state>(m, "State",
                       "A solved fluid state: the aquifer liquid at the reference temperature, "
                       "or a cooling or boiling step of it.")
      .def_property_readonly(
          "kind",
          [](const py_state& v) {
            return std::string(v.step ? table_name(v.step->kind) : "reference");
          },
          "'reference', 'cooling' or 'boiling'")
      .def_property_readonly("temperature_c", &py_state::temperature_c, "temperature, °C")
      .def_property_readonly(
          "ph", [](const py_state& v) { return v.st->ph; }, "pH of the liquid")
      .def_property_readonly(
          "ionic_strength", [](const py_state& v) { return v.st->ionic; }, "ionic strength, mol/kg")
      .def_property_readonly("pressures", &pressures,
                             "partial pressures, bar absolute: H2O and the seven gases")
      .def_property_readonly(
          "pressure_total", [](const py_state& v) { return v.st->ptotal; },
          "total pressure, bar absolute")
      .def_property_readonly(
          "steam_fraction", [](const py_state& v) { return v.st->steam_fraction; },
          "mass fraction of steam in the fluid")
      .def_property_readonly(
          "degassing", [](const py_state& v) { return v.st->degassing; }, "degassing coefficient")
      .def_property_readonly(
          "species",
          [](const py_state& v) { return by_species([&](int i) { return v.st->m[i]; }); },
          "molality of each species, mol/kg")
      .def_property_readonly(
          "activity_coefficients",
          [](const py_state& v) { return by_species([&](int i) { return v.st->gamma[i]; }); },
          "activity coefficient of each species")
      .def_property_readonly(
          "minerals",
          [](const py_state& v) {
            const derived_results& d = v.st->derived;
            return by_mineral([&](int j) { return py::make_tuple(d.log_k[j], maybe(d.log_q[j])); });
          },
          "(log K, log Q) of each mineral; log Q None where a species is absent")
      .def_property_readonly(
          "saturation_indices",
          [](const py_state& v) {
            return by_mineral([&](int j) { return maybe(v.st->saturation_index(j)); });
          },
          "log Q - log K of each mineral, or None")
      .def_property_readonly(
          "geothermometers",
          [](const py_state& v) {
            const derived_results& d = v.st->derived;
            py::dict g;
            g["quartz"] = celsius(d.quartz);
            g["chalcedony"] = celsius(d.chalcedony);
            g["na_k"] = celsius(d.na_k);
            return g;
          },
          "quartz, chalcedony and Na/K temperatures, °C, or None")
      .def_property_readonly(
          "liquid",
          [](const py_state& v) {
            static const std::vector<std::string> names = component_names(component_vector::size);
            return by_name(names, [&](int k) { return v.st->liquid_mgkg[k]; });
          },
          "composition of the liquid, mg/kg")
      .def_property_readonly(
          "steam",
          [](const py_state& v) {
            static const std::vector<std::string> names = component_names(gas_vector::size);
            return by_name(names, [&](int g) { return v.st->steam_mgkg[g]; });
          },
          "gases of the steam, mg per kg of steam")
      .def("to_dict", &state_row,
           "The state's row of the state table: {column: value}, None where a value cannot "
           "be computed")
      .def("__repr__", [](const py_state& v) {
        return "<morva.State " + std::string(v.step ? table_name(v.step->kind) : "reference") +
               " " + fixed_text(v.temperature_c(), 1) + " \u00b0C, pH " + fixed_text(v.st->ph, 3) +
               ">";
      });

  py::class_<py_result>(m, "Result", "The calculation of one sample.")
      .def_property_readonly(
          "sample", [](const py_result& r) { return py_sample{r.c->s}; }, "the sample calculated")
      .def_property_readonly(
          "refused", [](const py_result& r) { return refusal(*r.c); },
          "None, or why the sample is not calculated")
      .def_property_readonly(
          "reference",
          [](const py_result& r) {
            return r.c->r.refused ? py::object(py::none())
                                  : py::cast(py_state{r.c, &r.c->r.reference.state, nullptr, 0});
          },
          "the aquifer liquid at the reference temperature (None when refused)")
      .def_property_readonly(
          "steps", [](const py_result& r) { return steps_of(r.c); },
          "[(kind, t_c, State or the reason it was skipped), ...] in calculation order")
      .def_property_readonly(
          "geothermometers",
          [](const py_result& r) {
            const std::vector<cell> cells = gt_cells(r.c->s);
            py::dict d;
            for (std::size_t k = 0; k < cells.size(); ++k)
              d[py::str(gt_columns()[k])] = cell_value(cells[k]);
            return d;
          },
          "The classical geothermometers of the sample's analyses as `morva run "
          "--geothermometers` writes them: {gt_<name>_C: °C or None, gt_flags: text or None}")
      .def_property_readonly(
          "unconverged_mass_balances",
          [](const py_result& r) { return r.c->r.unconverged_mass_balances; },
          "mass balances before the reference state that did not converge")
      .def(
          "to_dict",
          [](const py_result& r) {
            std::string text;
            number_memo memo;
            append_json_sample(text, r.c->s, r.c->opt, r.c->r, memo);
            return py::module_::import("json").attr("loads")(text);
          },
          "Everything as plain Python, as the sample's object of `morva run --json`")
      .def(
          "table",
          [](const py_result& r, const std::string& name, bool frame) {
            return sample_table(*r.c, name, frame);
          },
          py::arg("name") = "state", py::arg("frame") = true,
          "The sample's rows of the table 'state', 'species' or 'minerals', as run_table "
          "gives them")
      .def("__repr__", [](const py_result& r) {
        const calculation& c = *r.c;
        std::string text = "<morva.Result " + sample_id(c.s) + ": ";
        if (c.r.refused) return text + "refused>";
        return text + "reference " + fixed_text(c.r.reference.state.t_c(), 1) + " \u00b0C, pH " +
               fixed_text(c.r.reference.state.ph, 3) + ", " + std::to_string(c.r.steps.size()) +
               " steps>";
      });

  py::class_<py_saturation>(m, "SaturationResult",
                            "Saturation curves of one sample's aquifer fluid and the "
                            "temperatures estimated from them.")
      .def_property_readonly(
          "calculation", [](const py_saturation& v) { return result_object(v.c); },
          "the sample at its reference state, a Result")
      .def_property_readonly(
          "refused", [](const py_saturation& v) { return refusal(*v.c); },
          "None, or why the sample is not calculated")
      .def_property_readonly(
          "minerals",
          [](const py_saturation& v) {
            py::list names;
            for (int j : v.r->minerals)
              names.append(mineral_names()[static_cast<std::size_t>(j - 1)]);
            return names;
          },
          "the minerals of the curves")
      .def_property_readonly(
          "temperatures",
          [](const py_saturation& v) {
            py::list t;
            for (const saturation_point& p : v.r->points) t.append(p.t_c);
            return t;
          },
          "grid temperatures, °C")
      .def_property_readonly(
          "si",
          [](const py_saturation& v) {
            py::dict d;
            for (int j : v.r->minerals) {
              py::list curve;
              for (const saturation_point& p : v.r->points) curve.append(maybe(p.si[j]));
              d[py::str(mineral_names()[static_cast<std::size_t>(j - 1)])] = curve;
            }
            return d;
          },
          "{mineral: [log(Q/K) at each grid temperature, None where it cannot be formed]}")
      .def_property_readonly(
          "t_min_rms_c", [](const py_saturation& v) { return maybe(v.r->t_min_rms_c); },
          "temperature of the least RMS of the saturation indices, °C")
      .def_property_readonly(
          "min_rms", [](const py_saturation& v) { return maybe(v.r->min_rms); }, "that least RMS")
      .def_property_readonly(
          "t_median_zero_c", [](const py_saturation& v) { return maybe(v.r->t_median_zero_c); },
          "temperature where the median saturation index crosses zero, °C")
      .def_property_readonly(
          "equilibrium",
          [](const py_saturation& v) {
            py::dict d;
            for (const mineral_equilibrium& e : v.r->equilibrium) {
              d[py::str(mineral_names()[static_cast<std::size_t>(e.mineral - 1)])] =
                  py::cast(e.t_c);
            }
            return d;
          },
          "{mineral: [temperatures, °C, where its curve crosses zero]}")
      .def_property_readonly(
          "t_equilibrium_median_c",
          [](const py_saturation& v) { return maybe(v.r->t_equilibrium_median_c); },
          "median of the minerals' equilibrium temperatures, °C")
      .def_property_readonly(
          "t_equilibrium_iqr_c",
          [](const py_saturation& v) { return maybe(v.r->t_equilibrium_iqr_c); },
          "their interquartile range, °C")
      .def_property_readonly(
          "t_estimate_c", [](const py_saturation& v) { return maybe(v.r->t_estimate_c); },
          "the multicomponent estimate, °C; None when flagged edge or few_minerals")
      .def_property_readonly(
          "t_estimate_range_c",
          [](const py_saturation& v) {
            return py::make_tuple(maybe(v.r->t_estimate_low_c), maybe(v.r->t_estimate_high_c));
          },
          "(low, high): the least-RMS temperatures with one mineral left out at a time, °C")
      .def_property_readonly(
          "flags", [](const py_saturation& v) { return v.r->flags; },
          "how far to trust the estimate: edge, no_crossing, few_minerals, ion_balance, acid")
      .def_property_readonly(
          "minerals_used",
          [](const py_saturation& v) {
            std::vector<std::string> names;
            for (int j : v.r->minerals_used)
              names.push_back(mineral_names()[static_cast<std::size_t>(j - 1)]);
            return names;
          },
          "the minerals of the statistics and the estimate")
      .def_property_readonly(
          "minerals_dropped",
          [](const py_saturation& v) {
            std::vector<std::string> names;
            for (int j : v.r->minerals_dropped)
              names.push_back(mineral_names()[static_cast<std::size_t>(j - 1)]);
            return names;
          },
          "the minerals minerals='auto' left out")
      .def_property_readonly(
          "fitted_water_factor",
          [](const py_saturation& v) { return maybe(v.r->fitted_water_factor); },
          "fitted factor on the liquid's non-volatile totals (None: not fitted)")
      .def_property_readonly(
          "fitted_co2_mol_kg", [](const py_saturation& v) { return maybe(v.r->fitted_co2_mol_kg); },
          "fitted CO2 added back to the liquid, mol/kg (None: not fitted)")
      .def_property_readonly(
          "al_fixed_mg_kg", [](const py_saturation& v) { return maybe(v.r->al_fixed_mg_kg); },
          "Al of the analysed water, mg/kg, at the estimate with Al fixed by a mineral")
      .def(
          "table",
          [](const py_saturation& v, bool frame) {
            column_table t(saturation_columns(v.r->minerals));
            t.add(saturation_rows(v.c->s, *v.r));
            return t.to_python(frame);
          },
          py::arg("frame") = true, "The curves as `morva saturation --table` writes them")
      .def(
          "summary",
          [](const py_saturation& v) {
            number_memo memo;
            const row cells = saturation_summary_row(v.c->s, v.c->opt, *v.r, memo);
            const std::vector<std::string> names = saturation_summary_columns(v.r->minerals);
            py::dict d;
            for (std::size_t k = 0; k < names.size(); ++k)
              d[py::str(names[k])] = cell_value(cells[k]);
            return d;
          },
          "The sample's row of `morva saturation --summary`: {column: value}")
      .def(
          "svg", [](const py_saturation& v) { return saturation_svg(v.c->s, *v.r); },
          "The picture of the curves as SVG text")
      .def("_repr_svg_", [](const py_saturation& v) { return saturation_svg(v.c->s, *v.r); })
      .def("__repr__", [](const py_saturation& v) {
        std::string text = "<morva.SaturationResult " + sample_id(v.c->s) + ": ";
        if (v.c->r.refused) return text + "refused>";
        return text + std::to_string(v.r->points.size()) + " temperatures, least RMS at " +
               (v.r->t_min_rms_c ? fixed_text(*v.r->t_min_rms_c, 1) + " \u00b0C>" : "none>");
      });
}

}  // namespace morva::python
