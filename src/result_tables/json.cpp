#include "result_tables/json.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string_view>

#include "result_tables/result_tables.h"
#include "text/format.h"

namespace morva {

namespace {

/// JSON text appended left to right; a separator goes before every member or element that
/// is not the first of its object or array.
class json_text {
 public:
  json_text(std::string& out, number_memo& memo) : out_(out), memo_(memo) {}
  /// A member name: a column name or a name of the fixed vocabularies, none of which holds
  /// a character JSON escapes.
  json_text& key(std::string_view k) {
    assert(k.find_first_of("\"\\") == std::string_view::npos);
    separate();
    out_ += '"';
    out_ += k;
    out_ += "\":";
    return *this;
  }
  void open(char bracket) {
    separate();
    out_ += bracket;
  }
  void close(char bracket) { out_ += bracket; }
  void null() {
    separate();
    out_ += "null";
  }
  void number(double x) {
    separate();
    const std::string_view text = memo_.text(x);
    out_ += text.empty() ? "null" : text;  // null where the CSV leaves the cell empty
  }
  void number(const std::optional<double>& x) { x ? number(*x) : null(); }
  void text(std::string_view s) {
    separate();
    append_json_string(out_, s);
  }
  void value(const cell& c) {
    if (const auto* x = std::get_if<double>(&c)) {
      number(*x);
    } else if (const auto* n = std::get_if<long>(&c)) {
      separate();
      append_integer(out_, *n);
    } else if (const auto* s = std::get_if<std::string>(&c)) {
      text(*s);
    } else {
      null();
    }
  }

 private:
  void separate() {
    if (out_.empty()) return;
    const char last = out_.back();
    if (last != '{' && last != '[' && last != ':' && last != '\n') out_ += ',';
  }
  std::string& out_;
  number_memo& memo_;
};

/// The first ten temperatures of a step list, °C: those the calculation takes.
void temperatures(json_text& j, const std::vector<double>& t_c) {
  constexpr std::size_t max_steps = 10;
  j.open('[');
  for (std::size_t i = 0; i < std::min(t_c.size(), max_steps); ++i) j.number(t_c[i]);
  j.close(']');
}

/// The options as given; the typed temperature only where the temperature type reads it (the
/// measured type reads a typed temperature above 0 °C only).
void options_object(json_text& j, const run_options& opt) {
  const double t_typed_c = opt.t_typed_c.value_or(0.0);
  const bool typed = opt.tref_type == reference_temperature::arbitrary ||
                     (opt.tref_type == reference_temperature::measured && t_typed_c > 0.0);
  const double t_spring_c = opt.t_spring_c.value_or(0.0);
  const bool spring = t_spring_c > 0.0;
  const auto given = [](bool has, double x) { return has ? std::optional(x) : std::nullopt; };
  j.open('{');
  j.key("t_ref_type").text(table_name(opt.tref_type));
  j.key("t_typed_C").number(given(typed, t_typed_c));
  j.key("t_spring_C").number(given(spring, t_spring_c));
  j.key("spring_degassing").number(given(spring, opt.spring_degas));
  j.key("cool_C");
  temperatures(j, opt.cool_c);
  j.key("boil_C");
  temperatures(j, opt.boil_c);
  j.key("boil_degassing").number(given(!opt.boil_c.empty(), opt.boil_degas));
  j.close('}');
}

/// The members of a row whose columns have the given scope, under the column names less
/// the first `skip` characters.
void members(json_text& j, const row& cells, column_scope scope, std::size_t skip = 0) {
  const std::vector<std::string>& names = state_columns();
  const std::vector<column_scope>& scopes = state_column_scopes();
  for (std::size_t c = 0; c < names.size(); ++c) {
    if (scopes[c] == scope) j.key(std::string_view(names[c]).substr(skip)).value(cells[c]);
  }
}

/// A solved state: the step and state columns of its row, its species and its minerals.
void state_object(json_text& j, const row& cells, const fluid_state& st) {
  j.open('{');
  const std::vector<std::string>& names = state_columns();
  const std::vector<column_scope>& scopes = state_column_scopes();
  for (std::size_t c = 0; c < names.size(); ++c) {
    if (scopes[c] == column_scope::step || scopes[c] == column_scope::state)
      j.key(names[c]).value(cells[c]);
  }
  j.key("species").open('{');
  const std::vector<std::string>& species = species_names();
  for (int i = 1; i <= species_vector::size; ++i) {
    j.key(species[static_cast<std::size_t>(i - 1)]).open('{');
    j.key("molality_molal").number(st.m[i]);
    j.key("activity_coefficient").number(st.gamma[i]);
    j.close('}');
  }
  j.close('}');
  j.key("minerals").open('{');
  const std::vector<std::string>& minerals = mineral_names();
  for (int k = 1; k <= mineral_vector::size; ++k) {
    j.key(minerals[static_cast<std::size_t>(k - 1)]).open('{');
    j.key("log_k").number(st.derived.log_k[k]);
    j.key("log_q").number(st.derived.log_q[k]);
    j.key("si").number(st.saturation_index(k));
    j.close('}');
  }
  j.close('}');
  j.close('}');
}

/// The column of a state-table row with the given name.
const cell& column(const row& cells, std::string_view name) {
  const std::vector<std::string>& names = state_columns();
  return cells[static_cast<std::size_t>(std::find(names.begin(), names.end(), name) -
                                        names.begin())];
}

}  // namespace

json_writer::json_writer(std::ostream& out, number_memo* memo)
    : out_(out),
      own_memo_(memo ? nullptr : std::make_unique<number_memo>()),
      memo_(memo ? memo : own_memo_.get()) {
  out_ << '[';
}

void append_json_sample(std::string& out, const sample_record& s, const run_options& opt,
                        const sample_result& r, number_memo& memo) {
  const std::vector<row> rows = state_rows(s, opt, r);
  const row& first = rows.front();
  json_text j(out, memo);
  j.open('{');
  members(j, first, column_scope::sample);
  for (const char* name : {"status", "reason", "unconverged_mass_balances", "flags"})
    j.key(name).value(column(first, name));
  j.key("options");
  options_object(j, opt);
  if (r.refused) {
    j.key("sampled").null();
    j.key("reference").null();
  } else {
    j.key("sampled").open('{');
    members(j, first, column_scope::sampled, std::string_view("sampled_").size());
    j.close('}');
    j.key("reference").open('{');
    members(j, first, column_scope::options);
    members(j, first, column_scope::reference);
    j.key("state");
    state_object(j, first, r.reference.state);
    j.close('}');
  }
  j.key("steps").open('[');
  for (std::size_t n = 1; n < rows.size(); ++n) {
    const step_result& step = r.steps[n - 1];
    j.open('{');
    j.key("kind").value(column(rows[n], "state"));
    for (const char* name :
         {"step", "t_C", "degassing", "status", "reason", "unconverged_mass_balances"})
      j.key(name).value(column(rows[n], name));
    j.key("state");
    if (step.state) {
      state_object(j, rows[n], *step.state);
    } else {
      j.null();
    }
    j.close('}');
  }
  j.close(']');
  j.close('}');
}

void append_json_unreadable(std::string& out, const sample_record& s, const std::string& reason,
                            number_memo& memo) {
  const row cells = unreadable_row(s, reason);
  json_text j(out, memo);
  j.open('{');
  members(j, cells, column_scope::sample);
  for (const char* name : {"status", "reason", "unconverged_mass_balances", "flags"})
    j.key(name).value(column(cells, name));
  for (const char* name : {"options", "sampled", "reference"}) j.key(name).null();
  j.key("steps").open('[');
  j.close(']');
  j.close('}');
}

void json_writer::add(const sample_record& s, const run_options& opt, const sample_result& r) {
  text_.assign(first_ ? "\n" : ",\n");
  first_ = false;
  append_json_sample(text_, s, opt, r, *memo_);
  out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
}

void json_writer::finish() {
  if (finished_) return;
  out_ << "\n]\n";
  finished_ = true;
}

}  // namespace morva
