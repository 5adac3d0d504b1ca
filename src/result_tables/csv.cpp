#include "result_tables/csv.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <ostream>
#include <string_view>

#include "chemdata/names.h"
#include "text/sample_text.h"

namespace morva {

csv_table_writer::csv_table_writer(std::ostream& out, const std::vector<std::string>& columns,
                                   number_memo* memo)
    : out_(out),
      columns_(columns.size()),
      own_memo_(memo ? nullptr : std::make_unique<number_memo>()),
      memo_(memo ? memo : own_memo_.get()) {
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (c > 0) lines_ += ',';
    append_csv_text(lines_, columns[c]);
  }
  lines_ += '\n';
  out_.write(lines_.data(), static_cast<std::streamsize>(lines_.size()));
}

csv_rows& csv_rows::value(const morva::cell& x) {
  if (const auto* d = std::get_if<double>(&x)) return cell(*d);
  if (const auto* n = std::get_if<long>(&x)) return cell(*n);
  if (const auto* t = std::get_if<std::string>(&x)) return cell(std::string_view(*t));
  return empty();
}

csv_rows& csv_rows::fresh(double x) {
  separate();
  if (!std::isfinite(x)) return *this;
  // The longest shortest form of a double has 24 characters.
  const std::size_t at = out_.size();
  out_.resize(at + 24);
  const std::to_chars_result res = std::to_chars(out_.data() + at, out_.data() + at + 24, x);
  assert(res.ec == std::errc{});
  out_.resize(static_cast<std::size_t>(res.ptr - out_.data()));
  return *this;
}

namespace {

/// The cells a species or minerals row of a state begins with: sample, state, step and t_C,
/// written once per state and copied onto each of its rows.
std::string state_cells(std::string_view id, const state_key& key, number_memo& memo,
                        csv_texts mode) {
  std::string text;
  csv_rows(text, memo, mode).cell(id).cell(key.kind).cell(key.step).cell(key.t_c);
  return text;
}

}  // namespace

void append_species_csv(std::string& out, const sample_record& s, const sample_result& r,
                        number_memo& memo, csv_texts mode) {
  if (r.refused) return;
  const std::string id = utf8_id(s);
  const std::vector<std::string>& names = species_names();
  csv_rows w(out, memo, mode);
  for_each_solved_state(r, [&](const state_key& key, const fluid_state& st) {
    const std::string first = state_cells(id, key, memo, mode);
    for (int i = 1; i <= species_vector::size; ++i) {
      const species_values v = species_row_values(st, i);
      // The JSON document writes the molality and the activity coefficient too: their texts
      // go through the memo.
      w.cells(first).cell(names[static_cast<std::size_t>(i - 1)]).cell(v.m).fresh(v.log_m);
      w.cell(v.gamma).fresh(v.activity).fresh(v.mg_kg).end_row();
    }
  });
}

void append_mineral_csv(std::string& out, const sample_record& s, const sample_result& r,
                        number_memo& memo, csv_texts mode) {
  if (r.refused) return;
  const std::string id = utf8_id(s);
  const std::vector<std::string>& names = mineral_names();
  csv_rows w(out, memo, mode);
  for_each_solved_state(r, [&](const state_key& key, const fluid_state& st) {
    const std::string first = state_cells(id, key, memo, mode);
    for (int j = 1; j <= mineral_vector::size; ++j) {
      const mineral_values v = mineral_row_values(st, j);
      // All three are in the JSON document too.
      w.cells(first).cell(names[static_cast<std::size_t>(j - 1)]).cell(v.log_k).cell(v.log_q);
      w.cell(v.si).end_row();
    }
  });
}

void append_csv_rows(std::string& out, const std::vector<row>& rows, std::size_t columns,
                     number_memo& memo, csv_texts mode) {
  csv_rows w(out, memo, mode);
  for (const row& r : rows) {
    assert(r.size() == columns);
    for (std::size_t c = 0; c < columns; ++c) {
      if (c < r.size()) {
        w.value(r[c]);
      } else {
        w.empty();
      }
    }
    w.end_row();
  }
}

void csv_table_writer::add(const std::vector<row>& rows) {
  lines_.clear();
  append_csv_rows(lines_, rows, columns_, *memo_);
  out_.write(lines_.data(), static_cast<std::streamsize>(lines_.size()));
}

}  // namespace morva
