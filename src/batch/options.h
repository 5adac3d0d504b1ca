#pragma once
// The calculation options of a batch run as the command line and an options table give them:
// reference temperature, boiling spring, boiling and cooling steps.

#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "morva/analysis_csv.h"
#include "morva/mineral_curves.h"
#include "morva/sample.h"
#include "text/numbers.h"

namespace morva {

/// How a number is written where an option comes from: on the command line (a decimal point,
/// no grouping), or in a cell of an options table, by the spreadsheet rules of the table's
/// decimal mark (a decimal comma in a table separated by semicolons).
struct number_form {
  bool table_cell = false;
  decimal_mark mark = decimal_mark::point;
};

/// A text that is exactly one finite number (blanks around it allowed, a leading '+'), or
/// empty.
std::optional<double> parse_number(std::string_view text, number_form form = {});

/// The reference temperature named on the command line: measured, quartz, chalcedony, nak, or
/// a temperature in °C (arbitrary). Empty, with why in `error`, when the text is none of them.
std::optional<run_options> parse_temperature(std::string_view text, run_options opt,
                                             std::string& error, number_form form = {});

/// A list of step temperatures, °C, separated by commas, semicolons or blanks (blanks or
/// semicolons where the comma is the decimal mark): at most ten, each from 0 to 373.85 °C, as
/// the options dialog takes them. False, with why in `error`.
bool parse_steps(std::string_view text, std::vector<double>& t_c, std::string& error,
                 number_form form = {});

/// A step temperature given as a value, shown in a message as `shown`: appended to steps when
/// it is a finite temperature from 0 to 373.85 °C; false, with why in `error`, when not.
bool take_step(double t_c, std::string_view shown, std::vector<double>& steps, std::string& error);

/// A degassing coefficient given as a value (shown as `shown`), 0.01 to 1. False, with why in
/// `error`.
bool take_degassing(double f, std::string_view shown, double& out, std::string& error);

/// A boiling-spring temperature given as a value (shown as `shown`), °C, above 1 and below
/// 350. False, with why in `error`.
bool take_spring(double t_c, std::string_view shown, std::optional<double>& out,
                 std::string& error);

/// A degassing coefficient, 0.01 to 1. False, with why in `error`.
bool parse_degassing(std::string_view text, double& f, std::string& error, number_form form = {});

/// A boiling-spring temperature, °C, above 1 and below 350. False, with why in `error`.
bool parse_spring(std::string_view text, std::optional<double>& t_c, std::string& error,
                  number_form form = {});

/// The calculation options of `morva run` as texts, as the command line takes them.
struct run_option_texts {
  std::string temperature = "measured";
  std::string boiling_spring;  ///< empty: no boiling spring
  std::string spring_degassing = "1";
  std::string boil;  ///< empty: no boiling steps
  std::string degassing = "1";
  std::string cool;  ///< empty: no cooling steps
};

/// Reads the option texts into opt, the steps first (as an options table starts from them).
/// False, with the command line's message naming the option ("--boil: ...") in `error`.
bool read_run_options(const run_option_texts& texts, run_options& opt, std::string& error);

/// How a table of analyses is read, as the command line and the Python module name it: a
/// value below its detection limit taken as "half", "zero" or "limit"; a pH temperature, °C,
/// assumed where none is given, a number from 0 to 100 °C (empty: 25 °C). False, with the
/// command line's message naming the option in `error`.
bool read_analysis_reading(std::string_view below_detection, std::string_view ph_temperature,
                           analysis_reading& how, std::string& error);

/// One value of an option as a front end holds it: a number, with the text a message shows it
/// by, or (x empty) a text for the command line's reader of that option.
struct option_item {
  std::optional<double> x;
  std::string text;
};

/// The calculation options given as values (the Python module's arguments); an option not
/// given keeps the value opt has. Steps may be several items, each a number or a list text.
struct run_option_values {
  std::optional<option_item> temperature;
  std::optional<option_item> boiling_spring;
  std::optional<option_item> spring_degassing;
  std::vector<option_item> boil;
  std::optional<option_item> degassing;
  std::vector<option_item> cool;
};

/// Reads option values into opt in the order and with the messages of the command line, each
/// value checked by the library's ranges. False, with the message in `error`.
bool read_run_options(const run_option_values& values, run_options& opt, std::string& error);

/// The temperature grid of `morva saturation` from the texts of --from, --to and --step.
/// False, with the command line's message in `error`.
bool parse_grid(std::string_view from, std::string_view to, std::string_view step,
                saturation_grid& grid, std::string& error);

/// The minerals of --minerals: names as the report writes them, comma-separated, compared
/// without case, blanks or punctuation (a name that holds a comma, as "Albite, low", is
/// recognised whole); an empty text or "volcanic" gives the default assemblage, "granitic" the
/// granitic one, "auto" the default assemblage with *automatic set (the minerals far from the
/// others left out); a mineral named twice is taken once, with a warning in *note. False, with
/// the command line's message in `error`.
bool parse_minerals(std::string_view text, std::vector<int>& minerals, std::string& error,
                    std::string* note = nullptr, bool* automatic = nullptr);

/// The choices of --fix-al (a mineral whose reaction holds Al, or empty), --fit (water, co2,
/// water,co2 or empty), --water-factor (MIN,MAX) and --co2-max (mol/kg) into how. False,
/// with the message in `error`.
bool parse_fit(std::string_view fix_al, std::string_view fit, std::string_view water_factor,
               std::string_view co2_max, saturation_choices& how, std::string& error);
/// The bounds of a fit in how: 0 < min <= max and 0 <= CO2 most, all finite. False, with the
/// message in `error` naming the options of the command line.
bool check_fit(const saturation_choices& how, std::string& error);

/// Comma-separated items without surrounding blanks.
std::vector<std::string> item_list(std::string_view text);

/// The options an options table gives its samples, by id (without trailing blanks): each
/// distinct set of options held once, and the ids sorted beside the position of their set. A
/// table of 10,000 rows that repeats a few sets holds 10,000 short ids (about 40 bytes each)
/// and those few sets, not 10,000 copies of the options with their step lists.
class options_by_id {
 public:
  /// Gives id the options o; a later row of the same id takes the place of an earlier one.
  /// The ids are found only after finish().
  void add(std::string id, const run_options& o);
  /// Sorts the ids added; the last options given to an id are its options.
  void finish();
  /// The options of id, or null when the table does not name it.
  const run_options* find(std::string_view id) const;
  bool contains(std::string_view id) const { return find(id) != nullptr; }
  /// The options of id; std::out_of_range when the table does not name it.
  const run_options& at(std::string_view id) const;
  bool empty() const { return ids_.empty(); }
  std::size_t size() const { return ids_.size(); }
  /// The number of distinct sets of options the ids share.
  std::size_t distinct() const { return sets_.size(); }
  /// f(id, options) for each id, in the order of the ids.
  template <class F>
  void for_each(F f) const {
    for (const auto& [id, k] : ids_) f(id, sets_[k]);
  }

 private:
  /// Orders the sets of options by their values, through their positions in sets_.
  struct by_values {
    const std::vector<run_options>* sets;
    bool operator()(std::uint32_t a, std::uint32_t b) const;
  };
  std::vector<run_options> sets_;
  std::vector<std::pair<std::string, std::uint32_t>> ids_;       ///< sorted by id after finish()
  std::set<std::uint32_t, by_values> index_{by_values{&sets_}};  ///< while rows are added
};

/// Per-sample options read from a CSV table with the columns sample, temperature,
/// boiling_spring, spring_degassing, boil, degassing and cool (any order, names
/// case-insensitive; a blank cell keeps the value of `base`, the command line's options).
/// Keyed by the sample id without trailing blanks. False, with a message naming the file,
/// row and column in `error`, when a cell or the header is not understood.
bool read_options_table(std::istream& in, const std::string& name, const run_options& base,
                        options_by_id& table, std::string& error);

}  // namespace morva
