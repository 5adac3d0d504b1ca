#pragma once
// Rows and cells of a CSV table as spreadsheets write it (RFC 4180, with a lone CR or LF also
// ending a row), and the text of a cell as the table writers put it.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace morva {

/// What taking a row found.
enum class row_status { ok, end, quote_open_at_end, too_long, read_error };

/// Takes the characters of the next row from in into raw, without its line end; line breaks
/// inside quoted cells belong to the row. seps are the characters that may separate cells,
/// which decides where a quoted cell may begin. raw may hold characters already taken. A row
/// longer than max_bytes is taken to its end, its first max_bytes kept, with too_long; the
/// next row follows it. A quote still open at the end of the stream gives quote_open_at_end.
row_status take_row(std::istream& in, std::string_view seps, std::string& raw,
                    std::size_t max_bytes);

/// The cells of a row, quotes removed and doubled quotes made single; with trim_plain the
/// blanks around a cell that is not quoted are dropped.
std::vector<std::string> split_row(std::string_view raw, char sep, bool trim_plain = false);

/// The separator of a table from its header row: ';' when it holds more semicolons than
/// commas outside quoted cells, as spreadsheets that write decimal commas export; ',' else.
char header_separator(std::string_view raw);

}  // namespace morva
