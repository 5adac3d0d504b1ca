#include "result_tables/csv.h"

#include <cassert>
#include <ostream>

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

void append_csv_rows(std::string& out, const std::vector<row>& rows, std::size_t columns,
                     number_memo& memo, csv_texts mode) {
  for (const row& r : rows) {
    assert(r.size() == columns);
    for (std::size_t c = 0; c < columns; ++c) {
      if (c > 0) out += ',';
      if (c >= r.size()) continue;
      const cell& x = r[c];
      if (const auto* d = std::get_if<double>(&x)) {
        out += memo.text(*d);
      } else if (const auto* n = std::get_if<long>(&x)) {
        append_integer(out, *n);
      } else if (const auto* s = std::get_if<std::string>(&x)) {
        append_csv_text(out, *s, mode);
      }
    }
    out += '\n';
  }
}

void csv_table_writer::add(const std::vector<row>& rows) {
  lines_.clear();
  append_csv_rows(lines_, rows, columns_, *memo_);
  out_.write(lines_.data(), static_cast<std::streamsize>(lines_.size()));
}

}  // namespace morva
