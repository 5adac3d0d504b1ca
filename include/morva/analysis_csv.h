#pragma once
// Analyses as a table, one sample a row, as spreadsheets write it (comma-separated, or
// semicolon-separated with decimal commas); and any sample written back as a block of the
// fixed-column sample file. A table and a sample file hold the same given analyses, so either
// converts to the other without loss of them; a table's UTF-8 texts become the sample file's
// Latin-1.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "morva/sample.h"

namespace morva {

/// The column names of the analysis table in the order the writer writes them, each with its
/// unit in parentheses (UTF-8): "sample", "location", "temperature (°C)", ... "condensate Na
/// (mg/kg)". The reader takes them in any order, with or without the unit.
const std::vector<std::string>& analysis_csv_columns();

/// The columns of carbonate as laboratories report it, each with its own unit: "HCO3 (mg/kg)",
/// "CO3 (mg/kg)", "alkalinity (meq/kg)". The reader takes them (with their aliases and other
/// units: mg/L, mmol/L, meq/L, "mg/L as CaCO3" ...) into the water's carbonate alkalinity,
/// HCO3 + 2 CO3 in equivalents (sample_record::alkalinity_eq_kg), from HCO3 and CO3 where a
/// row gives either, else from the alkalinity, and not where the row gives the total CO2.
/// The writer has no such columns.
const std::vector<std::string>& carbonate_columns();

/// The given analyses of sample s in the order of analysis_csv_columns() after sample and
/// location (temperature, pressure, ... condensate Na), in the units of those columns; 0
/// where the analysis is not given.
std::vector<double> analysis_values(const sample_record& s);

/// How a value below its detection limit ("<0.01") is taken.
enum class below_detection_rule {
  half,   ///< half the limit, the common practice of geochemical surveys
  zero,   ///< zero, analysed but not found
  limit,  ///< the limit itself, an upper bound
};

/// The choices by which an analysis table (or a sample made from values) is read.
struct analysis_reading {
  below_detection_rule below_detection = below_detection_rule::half;
  /// Temperature, °C, taken for a pH whose temperature is not given: a laboratory pH is
  /// measured at room temperature.
  double ph_t_assumed_c = 25.0;
  /// Reads a Li column (also "lithium", "Li+"; mg/kg or another unit of mass per kg or L)
  /// into sample_record::li_mgkg, for the Cl-Li-B diagram; otherwise it is a column not
  /// known, ignored with a warning.
  bool lithium = false;
};

/// What the next read of an analysis table met.
struct csv_read_result {
  enum class kind {
    sample,    ///< a row was read into a sample
    end,       ///< no more rows
    bad_row,   ///< the row could not be read; the next read goes on with the next row
    bad_file,  ///< the table cannot be read at all or further; the next read gives end
  };
  kind what = kind::end;
  /// kind::sample: the analyses given in the row; kind::bad_row: only the id and location,
  /// where the row gave them.
  sample_record sample;
  /// Spreadsheet row number of the row read (the header being row 1); for kind::end the
  /// number of rows in the table.
  long row = 0;
  /// Messages about this row (and, with the first row, about the header) that did not stop
  /// the reading: each names the file, the row, the column and the text.
  std::vector<std::string> warnings;
  /// kind::bad_row and kind::bad_file: what went wrong, with the file, row, column and text.
  std::string error;
  /// kind::bad_file: the file is no table of analyses that can be read at all (not UTF-8 or
  /// not text, no column of analyses, a unit not known): a usage error rather than bad data.
  bool refuses_file = false;
};

/// An analysis table read row by row; only one row is held at a time. Rows with nothing in
/// the columns read are empty rows, passed over. The stream must stay open while the reader
/// is used.
class analysis_csv_reader {
 public:
  /// in is the open table; name is the file name as the user knows it, for messages.
  analysis_csv_reader(std::istream& in, std::string name, analysis_reading how = {});
  const std::string& name() const { return name_; }
  /// The next sample, the end of the table, or the row or table that could not be read.
  csv_read_result next();

 private:
  /// Reads the header row: the separator and the column of every cell. An empty string, or
  /// the bad_file message.
  std::string read_header();

  std::istream& in_;
  std::string name_;
  analysis_reading how_;
  long row_ = 0;              // rows taken from the stream so far
  bool header_read_ = false;  // the header has been read
  bool done_ = false;         // nothing more is to be read
  char sep_ = ',';            // cell separator; ';' also makes the comma a decimal mark
  std::vector<int> columns_;  // for each header cell, its column (0-based), or -1 when ignored
  std::vector<std::string> labels_;   // each header cell without its unit, for messages
  std::vector<std::string> pending_;  // header warnings, handed out with the first row
  /// A cell of a column read in the header's unit: value = x * scale / divisor + shift in the
  /// column's.
  struct unit_conversion {
    double scale = 1.0;
    double divisor = 1.0;
    double shift = 0.0;
  };
  std::vector<unit_conversion> conversions_;  // for each header cell
  bool refused_ = false;                      // the header refuses the whole file
  long samples_ = 0;                          // samples handed out so far
  /// What is said once, at the end of the table: by column of the table, the rows (runs first
  /// to last) of the cells read as not analysed from a word and of those below a detection
  /// limit; and the samples whose pH temperature was assumed (the first few, and how many).
  std::vector<std::vector<std::pair<long, long>>> word_rows_, limit_rows_;
  std::vector<std::string> assumed_ph_t_;
  long assumed_ph_t_count_ = 0;
};

/// One analysis given as a value by a program: the column (a name of analysis_csv_columns()
/// or carbonate_columns() without its unit, such as "SiO2", "gas CO2" or "HCO3"), and a number (x)
/// with the text a message shows it by, or (x empty) a text that a table cell would hold.
struct analysis_value {
  std::string column;
  std::optional<double> x;
  std::string text;
};

/// A sample made from values by the rules of one row of an analysis table named `name`: the id
/// and location (UTF-8) as its sample and location cells, each value as its column's cell. The
/// result is kind::sample, kind::end when nothing at all is given, or kind::bad_row with the
/// message a table reader gives for such a row (row 2 of `name`).
csv_read_result analysis_from_values(const std::string& name, std::string_view id,
                                     std::string_view location,
                                     const std::vector<analysis_value>& values,
                                     const analysis_reading& how = {});

/// Writes the header row of the analysis table: the columns of analysis_csv_columns().
void write_analysis_csv_header(std::ostream& out);

/// Writes sample s as one row of the analysis table: texts as UTF-8 without trailing blanks,
/// numbers in their shortest exact form, a quantity not analysed as an empty cell (every 0 of
/// a sample from a sample file, which cannot tell them apart), an analysed zero as 0.
/// A sample with nothing given is an empty row, which the reader passes over.
void write_analysis_csv_row(const sample_record& s, std::ostream& out);

/// Writes sample s as one 34-line block of the sample file, every given analysis in its
/// field: a number in its shortest exact form when that fits the 16 columns (otherwise the
/// most precise form that does), 0 as a blank field; UTF-8 texts in Latin-1, a character beyond
/// it as "?", cut to 16 and 80 characters (a caller that says what is lost converts them first).
/// The sample reader reads the block back to s.
void write_sample_block(const sample_record& s, std::ostream& out);

}  // namespace morva
