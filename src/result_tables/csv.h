#pragma once
// CSV text of a result table: a header line of column names, then one line per row,
// comma-separated, quoted where a text needs it, each line ended by a line feed.

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "result_tables/result_tables.h"
#include "text/format.h"

namespace morva {

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
