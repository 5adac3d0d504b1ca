#pragma once
// CSV text of a result table: a header line of column names, then one line per row,
// comma-separated, quoted where a text needs it, each line ended by a line feed.

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "result_tables/result_tables.h"
#include "text/format.h"

namespace morva {

/// CSV lines appended to a text cell by cell, straight from the values: a number in its
/// shortest form that reads back to the same double (its text kept in the memo for the next
/// time it is written), empty where it is not finite; a text quoted when it holds a comma, a
/// quote or a line break, and guarded against spreadsheet formulas unless mode is raw (see
/// append_csv_text).
class csv_rows {
 public:
  /// Appends to out, which must outlive the writer, as must memo.
  csv_rows(std::string& out, number_memo& memo, csv_texts mode = csv_texts::guarded)
      : out_(out), memo_(memo), mode_(mode) {}
  /// A number; empty when it is not finite.
  csv_rows& cell(double x) {
    separate();
    out_ += memo_.text(x);
    return *this;
  }
  /// A number seldom written twice, formatted straight into the line without the memo; empty
  /// when it is not finite.
  csv_rows& fresh(double x);
  /// A number seldom written twice, or empty when there is none.
  csv_rows& fresh(const std::optional<double>& x) { return x ? fresh(*x) : empty(); }
  /// A number, or empty when there is none.
  csv_rows& cell(const std::optional<double>& x) { return x ? cell(*x) : empty(); }
  /// A count.
  csv_rows& cell(long n) {
    separate();
    append_integer(out_, n);
    return *this;
  }
  /// A text.
  csv_rows& cell(std::string_view text) {
    separate();
    append_csv_text(out_, text, mode_);
    return *this;
  }
  /// One cell of a row of cells, whatever it holds.
  csv_rows& value(const morva::cell& x);
  /// An empty cell.
  csv_rows& empty() {
    separate();
    return *this;
  }
  /// Cells already written by a csv_rows of the same mode (comma-separated, no line end), as
  /// the first cells of rows that share them.
  csv_rows& cells(std::string_view written) {
    separate();
    out_ += written;
    return *this;
  }
  /// Ends the row with its line feed.
  void end_row() {
    out_ += '\n';
    first_ = true;
  }

 private:
  void separate() {
    if (!first_) out_ += ',';
    first_ = false;
  }
  std::string& out_;
  number_memo& memo_;
  csv_texts mode_;
  bool first_ = true;
};

/// Appends the species-table lines of sample s calculated into r to out (species_rows as CSV).
void append_species_csv(std::string& out, const sample_record& s, const sample_result& r,
                        number_memo& memo, csv_texts mode = csv_texts::guarded);
/// Appends the minerals-table lines of sample s calculated into r to out (mineral_rows as CSV).
void append_mineral_csv(std::string& out, const sample_record& s, const sample_result& r,
                        number_memo& memo, csv_texts mode = csv_texts::guarded);

/// Appends rows of a table of `columns` columns to out as CSV lines (see csv_table_writer::add);
/// memo keeps the texts of the numbers; texts guarded against spreadsheet formulas unless
/// mode is raw (see append_csv_text).
void append_csv_rows(std::string& out, const std::vector<row>& rows, std::size_t columns,
                     number_memo& memo, csv_texts mode = csv_texts::guarded);

/// Writes one table to a stream as its rows come, holding only the rows in hand.
class csv_table_writer {
 public:
  /// Writes the header line of columns to out, which must outlive the writer, as must memo,
  /// the number texts shared with the other writers of the run (the writer keeps its own
  /// when none is given).
  csv_table_writer(std::ostream& out, const std::vector<std::string>& columns,
                   number_memo* memo = nullptr);
  /// Appends rows, each with a cell per column: numbers in their shortest form that reads
  /// back to the same double, empty where a cell is empty or a number is not finite, texts
  /// quoted when they hold a comma, a quote or a line break.
  void add(const std::vector<row>& rows);

 private:
  std::ostream& out_;
  std::size_t columns_;
  std::unique_ptr<number_memo> own_memo_;
  number_memo* memo_;
  std::string lines_;  // text of the rows of one add, kept to reuse its storage
};

}  // namespace morva
