#include "batch/options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <iterator>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

#include "morva/checks.h"
#include "morva/tables.h"
#include "text/csv.h"
#include "text/numbers.h"

namespace morva {

std::optional<double> parse_number(std::string_view text, number_form form) {
  if (form.table_cell) {
    const cell_number c = read_cell_number(text, form.mark);
    if (c.what != cell_read::value) return std::nullopt;
    return c.x;
  }
  const number_reading r = read_number(trim_blanks(text));
  if (r.what != number_read::value) return std::nullopt;
  return r.x;
}

namespace {

/// The text between double quotes, as messages cite what was given.
std::string quoted(std::string_view text) {
  std::string q(1, '"');
  q.append(text);
  q += '"';
  return q;
}

/// Lower-case name with blanks and hyphens read as underscores, for header matching.
std::string key(std::string_view s) {
  std::string k;
  for (char c : trim_blanks(s)) {
    k +=
        c == ' ' || c == '-' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return k;
}

/// The records of a small CSV table as spreadsheets write it, one at a time: RFC 4180
/// quoting, a byte-order mark dropped, ';' as separator when the header has more of them than
/// commas, the blanks around a cell that is not quoted dropped. Only the record in hand is
/// held, so a table of many rows costs no more than its parsed values.
class csv_records {
 public:
  explicit csv_records(std::istream& in) : in_(in) {
    if (in_.peek() == 0xEF) {
      char bom[3] = {};
      in_.read(bom, 3);
      if (std::string_view(bom, static_cast<std::size_t>(in_.gcount())) != "\xEF\xBB\xBF") {
        raw_.assign(bom, static_cast<std::size_t>(in_.gcount()));
      }
      in_.clear(in_.rdstate() & ~std::ios::failbit);
    }
  }
  /// The next record into rec; false at the end of the table.
  bool next(std::vector<std::string>& rec) {
    if (done_) return false;
    const row_status st =
        take_row(in_, header_ ? ",;" : std::string_view(&sep_, 1), raw_, std::string::npos);
    if (st == row_status::end || st == row_status::read_error) {
      done_ = true;
      return false;
    }
    if (header_) sep_ = header_separator(raw_);
    header_ = false;
    rec = split_row(raw_, sep_, true);
    raw_.clear();
    if (st != row_status::ok) done_ = true;
    return true;
  }
  /// The separator the header chose (',' before it is read).
  char separator() const { return sep_; }

 private:
  std::istream& in_;
  std::string raw_;
  char sep_ = ',';
  bool header_ = true;  // the next record is the header
  bool done_ = false;
};

/// Why a cell of numbers in an options table gives no number by its table's rules: a number
/// written with the other mark where it groups no thousands ("12.5" where the comma is the
/// decimal mark). Empty when the cell is not ambiguous.
std::string ambiguity(std::string_view cell, bool numbers, number_form form) {
  if (!numbers) return {};
  const bool comma_decimal = form.mark == decimal_mark::comma;
  std::string_view rest = cell;
  while (!rest.empty()) {
    const std::size_t cut = rest.find_first_of(comma_decimal ? "; \t" : ",; \t");
    const std::string_view item = trim_blanks(rest.substr(0, cut));
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    if (read_cell_number(item, form.mark).what == cell_read::ambiguous) {
      return quoted(item) + (comma_decimal ? " is ambiguous: in a table separated by semicolons "
                                             "the comma is the decimal mark and a point may "
                                             "only group thousands (1.250,5)"
                                           : " is ambiguous: a comma may only group thousands");
    }
  }
  return {};
}

}  // namespace

std::optional<run_options> parse_temperature(std::string_view text, run_options opt,
                                             std::string& error, number_form form) {
  const std::string k = key(text);
  opt.t_typed_c.reset();
  if (k == "measured") {
    opt.tref_type = reference_temperature::measured;
  } else if (k == "quartz") {
    opt.tref_type = reference_temperature::quartz;
  } else if (k == "chalcedony") {
    opt.tref_type = reference_temperature::chalcedony;
  } else if (k == "nak" || k == "na_k" || k == "na/k") {
    opt.tref_type = reference_temperature::na_k;
  } else if (const auto t = parse_number(text, form)) {
    opt.tref_type = reference_temperature::arbitrary;
    opt.t_typed_c = *t;
  } else {
    error = "temperature " + quoted(text) +
            " is none of measured, quartz, chalcedony, nak or a temperature in \xC2\xB0"
            "C";
    return std::nullopt;
  }
  return opt;
}

bool take_step(double t_c, std::string_view shown, std::vector<double>& steps, std::string& error) {
  if (!std::isfinite(t_c)) {
    error = "step temperature " + quoted(shown) + " is not a number";
    return false;
  }
  if (!valid_step_temperature(t_c)) {
    error = "step temperature " + std::string(shown) +
            " lies outside 0 to 373.85 \xC2\xB0"
            "C";
    return false;
  }
  steps.push_back(t_c);
  return true;
}

namespace {

/// Appends the step temperatures of a list text (commas, semicolons or blanks between them).
bool take_steps(std::string_view text, std::vector<double>& steps, std::string& error,
                number_form form = {}) {
  std::string_view rest = text;
  // Where the comma is the decimal mark, only blanks and semicolons separate the steps.
  const bool comma_decimal = form.table_cell && form.mark == decimal_mark::comma;
  while (!trim_blanks(rest).empty()) {
    const std::size_t cut = rest.find_first_of(comma_decimal ? "; \t" : ",; \t");
    const std::string_view item = trim_blanks(rest.substr(0, cut));
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    if (item.empty()) continue;
    const auto t = parse_number(item, form);
    if (!t) {
      error = "step temperature " + quoted(item) + " is not a number";
      return false;
    }
    if (!take_step(*t, item, steps, error)) return false;
  }
  return true;
}

/// False, with why in error, when there are more steps than the calculation follows.
bool within_max_steps(const std::vector<double>& steps, std::string& error) {
  if (steps.size() <= max_steps) return true;
  error = "at most 10 steps of each kind, not " + std::to_string(steps.size());
  return false;
}

}  // namespace

bool parse_steps(std::string_view text, std::vector<double>& t_c, std::string& error,
                 number_form form) {
  std::vector<double> steps;
  if (!take_steps(text, steps, error, form) || !within_max_steps(steps, error)) return false;
  t_c = std::move(steps);
  return true;
}

bool take_degassing(double f, std::string_view shown, double& out, std::string& error) {
  if (!valid_degassing(f)) {
    error = "degassing coefficient " + quoted(shown) + " is not a number from 0.01 to 1";
    return false;
  }
  out = f;
  return true;
}

bool parse_degassing(std::string_view text, double& f, std::string& error, number_form form) {
  const std::string_view shown = trim_blanks(text);
  const auto x = parse_number(text, form);
  return take_degassing(x ? *x : std::nan(""), shown, f, error);
}

bool take_spring(double t_c, std::string_view shown, std::optional<double>& out,
                 std::string& error) {
  if (!valid_spring_temperature(t_c)) {
    error = "boiling-spring temperature " + quoted(shown) +
            " is not a temperature above 1 and below 350 \xC2\xB0"
            "C";
    return false;
  }
  out = t_c;
  return true;
}

bool parse_spring(std::string_view text, std::optional<double>& t_c, std::string& error,
                  number_form form) {
  const std::string_view shown = trim_blanks(text);
  const auto x = parse_number(text, form);
  return take_spring(x ? *x : std::nan(""), shown, t_c, error);
}

namespace {

/// The reference temperature of one item: a name or a number in a text, or a number.
std::optional<run_options> take_temperature(const option_item& item, const run_options& opt,
                                            std::string& error) {
  if (!item.x) return parse_temperature(item.text, opt, error);
  if (!std::isfinite(*item.x)) {
    // As the command line says it of a text that is no number.
    return parse_temperature(item.text, opt, error);
  }
  run_options o = opt;
  o.tref_type = reference_temperature::arbitrary;
  o.t_typed_c = *item.x;
  return o;
}

/// The steps of a list of items, each a number or a list text.
bool take_step_items(const std::vector<option_item>& items, std::vector<double>& t_c,
                     std::string& error) {
  std::vector<double> steps;
  for (const option_item& item : items) {
    const bool ok =
        item.x ? take_step(*item.x, item.text, steps, error) : take_steps(item.text, steps, error);
    if (!ok) return false;
  }
  if (!within_max_steps(steps, error)) return false;
  t_c = std::move(steps);
  return true;
}

/// A single value given as a number or a text: its number (NaN when the text is none) and how
/// a message shows it.
std::pair<double, std::string_view> single(const option_item& item) {
  if (item.x) return {*item.x, item.text};
  const auto x = parse_number(item.text);
  return {x ? *x : std::nan(""), trim_blanks(item.text)};
}

}  // namespace

bool read_run_options(const run_option_values& values, run_options& opt, std::string& error) {
  std::string why;
  const auto fail = [&](const char* option) {
    error = std::string(option) + ": " + why;
    return false;
  };
  if (!take_step_items(values.boil, opt.boil_c, why)) return fail("--boil");
  if (values.degassing) {
    const auto [f, shown] = single(*values.degassing);
    if (!take_degassing(f, shown, opt.boil_degas, why)) return fail("--degassing");
  }
  if (!take_step_items(values.cool, opt.cool_c, why)) return fail("--cool");
  if (values.temperature) {
    const auto t = take_temperature(*values.temperature, opt, why);
    if (!t) return fail("--temperature");
    opt = *t;
  }
  if (values.boiling_spring) {
    const auto [t, shown] = single(*values.boiling_spring);
    if (!take_spring(t, shown, opt.t_spring_c, why)) return fail("--boiling-spring");
  }
  if (values.spring_degassing) {
    const auto [f, shown] = single(*values.spring_degassing);
    if (!take_degassing(f, shown, opt.spring_degas, why)) return fail("--spring-degassing");
  }
  // The library's own check of the whole: every value above has passed it already.
  return !check_options(opt) || fail("--options");
}

bool read_run_options(const run_option_texts& texts, run_options& opt, std::string& error) {
  const auto text = [](const std::string& s) { return option_item{std::nullopt, s}; };
  run_option_values values;
  values.temperature = text(texts.temperature);
  if (!texts.boiling_spring.empty()) values.boiling_spring = text(texts.boiling_spring);
  values.spring_degassing = text(texts.spring_degassing);
  values.boil = {text(texts.boil)};
  values.degassing = text(texts.degassing);
  values.cool = {text(texts.cool)};
  return read_run_options(values, opt, error);
}

bool read_analysis_reading(std::string_view below_detection, std::string_view ph_temperature,
                           analysis_reading& how, std::string& error) {
  static constexpr std::pair<std::string_view, below_detection_rule> rules[] = {
      {"half", below_detection_rule::half},
      {"zero", below_detection_rule::zero},
      {"limit", below_detection_rule::limit}};
  const auto rule = std::find_if(std::begin(rules), std::end(rules),
                                 [&](const auto& r) { return r.first == below_detection; });
  if (rule == std::end(rules)) {
    error = "--below-detection: " + quoted(below_detection) + " is none of half, zero, limit";
    return false;
  }
  how.below_detection = rule->second;
  if (ph_temperature.empty()) return true;
  // A pH is measured in liquid water at the laboratory or in the field, 0 to 100 °C.
  const std::optional<double> t = parse_number(ph_temperature);
  if (!t || *t < 0.0 || *t > 100.0) {
    error = "--ph-temperature: " + quoted(ph_temperature) +
            " is not a temperature from 0 to 100 \xC2\xB0"
            "C";
    return false;
  }
  how.ph_t_assumed_c = *t;
  return true;
}

namespace {

/// One temperature of the saturation grid, °C.
bool grid_value(std::string_view text, const char* option, double& x, std::string& error) {
  std::vector<double> t;
  if (!parse_steps(text, t, error) || t.size() != 1) {
    error = std::string(option) + ": " + quoted(text) +
            " is not one temperature from 0 to 373.85 \xC2\xB0"
            "C";
    return false;
  }
  x = t[0];
  return true;
}

}  // namespace

bool parse_grid(std::string_view from, std::string_view to, std::string_view step,
                saturation_grid& grid, std::string& error) {
  if (!grid_value(from, "--from", grid.from_c, error) ||
      !grid_value(to, "--to", grid.to_c, error)) {
    return false;
  }
  if (grid.to_c < grid.from_c) {
    error = "--to: " + quoted(to) + " lies below --from " + quoted(from);
    return false;
  }
  const auto step_c = parse_number(step);
  if (!step_c || !(*step_c > 0.0) || grid.to_c < grid.from_c ||
      (grid.to_c - grid.from_c) / *step_c > 1000.0) {
    error = "--step: " + quoted(step) +
            " must be a positive spacing of at most 1000 grid points from --from to --to";
    return false;
  }
  grid.step_c = *step_c;
  return true;
}

bool check_fit(const saturation_choices& how, std::string& error) {
  const double lo = how.water_factor_min, hi = how.water_factor_max;
  if (!(std::isfinite(lo) && std::isfinite(hi) && lo > 0.0 && lo <= hi)) {
    error = "--water-factor: the bounds must be MIN,MAX with 0 < MIN <= MAX";
    return false;
  }
  if (!(std::isfinite(how.co2_max_mol_kg) && how.co2_max_mol_kg >= 0.0)) {
    error = "--co2-max: must be a number of mol/kg from 0 up";
    return false;
  }
  return true;
}

bool parse_fit(std::string_view fix_al, std::string_view fit, std::string_view water_factor,
               std::string_view co2_max, saturation_choices& how, std::string& error) {
  if (!fix_al.empty()) {
    const std::optional<int> j = mineral_by_name(fix_al);
    if (!j || !holds_al(*j)) {
      error = "--fix-al: " + quoted(fix_al) + " is no mineral whose dissolution gives Al(OH)4-";
      return false;
    }
    how.fix_al = j;
  }
  for (const std::string& w : item_list(fit)) {
    if (w == "water") {
      how.fit_water = true;
    } else if (w == "co2") {
      how.fit_co2 = true;
    } else if (!w.empty()) {
      error = "--fit: " + quoted(fit) + " is none of water, co2, water,co2";
      return false;
    }
  }
  const std::vector<std::string> bounds = item_list(water_factor);
  const std::optional<double> lo = bounds.size() == 2 ? parse_number(bounds[0]) : std::nullopt;
  const std::optional<double> hi = bounds.size() == 2 ? parse_number(bounds[1]) : std::nullopt;
  const std::optional<double> c = parse_number(co2_max);
  if (!lo || !hi) {
    error = "--water-factor: " + quoted(water_factor) + " is not MIN,MAX";
    return false;
  }
  if (!c) {
    error = "--co2-max: " + quoted(co2_max) + " is not a number";
    return false;
  }
  how.water_factor_min = *lo;
  how.water_factor_max = *hi;
  how.co2_max_mol_kg = *c;
  return check_fit(how, error);
}

std::vector<std::string> item_list(std::string_view text) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t cut = std::min(text.find(',', start), text.size());
    std::string item(text.substr(start, cut - start));
    item.erase(0, std::min(item.find_first_not_of(' '), item.size()));
    item.erase(item.find_last_not_of(' ') + 1);
    if (!item.empty()) items.push_back(item);
    start = cut + 1;
  }
  return items;
}

bool parse_minerals(std::string_view text, std::vector<int>& minerals, std::string& error,
                    std::string* note, bool* automatic) {
  minerals.clear();
  if (automatic != nullptr) *automatic = false;
  // The named assemblages.
  std::string word;
  for (char c : trim_blanks(text))
    word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (word.empty() || word == "volcanic" || word == "auto") {
    minerals = default_saturation_minerals();
    if (automatic != nullptr) *automatic = word == "auto";
    return true;
  }
  if (word == "granitic") {
    minerals = granitic_saturation_minerals();
    return true;
  }
  const std::vector<std::string> items = item_list(text);
  std::string repeated;
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::string name = items[i];
    auto j = mineral_by_name(name);
    // A name that holds a comma itself, as the report writes "Albite, low".
    if (i + 1 < items.size()) {
      const std::string joined = name + ", " + items[i + 1];
      if (const auto both = mineral_by_name(joined);
          both && (!j || !mineral_by_name(items[i + 1]))) {
        j = both;
        name = joined;
        ++i;
      }
    }
    if (!j) {
      std::string valid;
      for (int k = 1; k <= mineral_vector::size; ++k) {
        valid += (k > 1 ? "; " : "") + std::string(mineral_name(k));
      }
      error = "--minerals: unknown mineral " + quoted(name) + "; the minerals are " + valid +
              " (case, blanks and punctuation free)";
      return false;
    }
    // A mineral named twice is one column and counts once in the statistics.
    if (std::find(minerals.begin(), minerals.end(), *j) != minerals.end()) {
      repeated += (repeated.empty() ? "" : ", ") + quoted(name);
      continue;
    }
    minerals.push_back(*j);
  }
  if (!repeated.empty() && note != nullptr) {
    *note = "--minerals: " + repeated + " given more than once; taken once";
  }
  return true;
}

bool options_by_id::by_values::operator()(std::uint32_t a, std::uint32_t b) const {
  const auto values = [](const run_options& o) {
    return std::tie(o.tref_type, o.t_typed_c, o.boil_c, o.boil_degas, o.cool_c, o.t_spring_c,
                    o.spring_degas);
  };
  return values((*sets)[a]) < values((*sets)[b]);
}

void options_by_id::add(std::string id, const run_options& o) {
  // The new set is compared with those held through its position; a set held already is
  // taken back.
  sets_.push_back(o);
  const auto [at, added] = index_.insert(static_cast<std::uint32_t>(sets_.size() - 1));
  if (!added) sets_.pop_back();
  ids_.emplace_back(std::move(id), *at);
}

void options_by_id::finish() {
  index_.clear();
  sets_.shrink_to_fit();
  // Rows of one id stay in table order, and the last of them is kept.
  std::stable_sort(ids_.begin(), ids_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::pair<std::string, std::uint32_t>> kept;
  kept.reserve(ids_.size());
  for (std::size_t i = 0; i < ids_.size(); ++i) {
    if (i + 1 < ids_.size() && ids_[i + 1].first == ids_[i].first) continue;
    kept.push_back(std::move(ids_[i]));
  }
  ids_ = std::move(kept);
}

const run_options* options_by_id::find(std::string_view id) const {
  const auto it = std::lower_bound(ids_.begin(), ids_.end(), id,
                                   [](const auto& e, std::string_view k) { return e.first < k; });
  return it != ids_.end() && it->first == id ? &sets_[it->second] : nullptr;
}

const run_options& options_by_id::at(std::string_view id) const {
  const run_options* o = find(id);
  if (o == nullptr) throw std::out_of_range("no options for sample " + std::string(id));
  return *o;
}

bool read_options_table(std::istream& in, const std::string& name, const run_options& base,
                        options_by_id& table, std::string& error) {
  csv_records records(in);
  std::vector<std::string> names_given;  // the header's cells
  if (!records.next(names_given)) {
    error = name + ": no header line";
    return false;
  }
  const number_form form{
      .table_cell = true,
      .mark = records.separator() == ';' ? decimal_mark::comma : decimal_mark::point};
  enum column { sample, temperature, spring, spring_degas, boil, boil_degas, cool, unknown };
  const auto column_of = [](const std::string& header) {
    std::string k = key(header);
    if (const std::size_t open = k.find('('); open != std::string::npos) k = key(k.substr(0, open));
    static const std::map<std::string, column> names = {{"sample", sample},
                                                        {"temperature", temperature},
                                                        {"boiling_spring", spring},
                                                        {"spring_degassing", spring_degas},
                                                        {"boil", boil},
                                                        {"degassing", boil_degas},
                                                        {"cool", cool}};
    const auto it = names.find(k);
    return it == names.end() ? unknown : it->second;
  };
  std::vector<column> columns;
  for (const std::string& h : names_given) {
    columns.push_back(column_of(h));
    if (columns.back() == unknown) {
      error = name + ": unknown column " + quoted(h) +
              " (the columns are sample, temperature, boiling_spring, spring_degassing, boil, "
              "degassing, cool)";
      return false;
    }
  }
  if (std::find(columns.begin(), columns.end(), sample) == columns.end()) {
    error = name + ": no column sample";
    return false;
  }
  std::vector<std::string> rec;
  for (std::size_t r = 1; records.next(rec); ++r) {
    run_options opt = base;
    std::string id;
    for (std::size_t c = 0; c < rec.size() && c < columns.size(); ++c) {
      const std::string& cell = rec[c];
      if (trim_blanks(cell).empty()) continue;
      std::string why = ambiguity(cell, columns[c] != sample, form);
      bool ok = why.empty();
      switch (ok ? columns[c] : unknown) {
        case sample:
          id = std::string(trim_blanks(cell));
          break;
        case temperature:
          if (const auto o = parse_temperature(cell, opt, why, form)) {
            opt = *o;
          } else {
            ok = false;
          }
          break;
        case spring:
          ok = parse_spring(cell, opt.t_spring_c, why, form);
          break;
        case spring_degas:
          ok = parse_degassing(cell, opt.spring_degas, why, form);
          break;
        case boil:
          ok = parse_steps(cell, opt.boil_c, why, form);
          break;
        case boil_degas:
          ok = parse_degassing(cell, opt.boil_degas, why, form);
          break;
        case cool:
          ok = parse_steps(cell, opt.cool_c, why, form);
          break;
        case unknown:
          break;
      }
      if (!ok) {
        error = name + ", row " + std::to_string(r + 1) + ", column " + names_given[c] + ": " + why;
        return false;
      }
    }
    if (id.empty()) {
      if (std::all_of(rec.begin(), rec.end(),
                      [](const std::string& s) { return trim_blanks(s).empty(); }))
        continue;  // an empty line
      error = name + ", row " + std::to_string(r + 1) + ": no sample id";
      return false;
    }
    table.add(std::move(id), opt);
  }
  table.finish();
  return true;
}

}  // namespace morva
