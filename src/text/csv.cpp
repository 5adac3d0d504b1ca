#include "text/csv.h"

#include <istream>

#include "text/numbers.h"

namespace morva {

namespace {

/// Where a scan of a row stands: at the start of a cell, inside an unquoted cell, inside a
/// quoted cell, or just after a quote inside a quoted cell (its end, or half of a doubled one).
enum class scan { start, plain, quoted, quote_seen };

/// The state after character c, when c neither ends the row nor separates cells.
scan step(scan st, char c) {
  switch (st) {
    case scan::start:
      return c == '"' ? scan::quoted : scan::plain;
    case scan::quoted:
      return c == '"' ? scan::quote_seen : scan::quoted;
    case scan::quote_seen:
      return c == '"' ? scan::quoted : scan::plain;  // text after the closing quote is kept
    default:
      return scan::plain;
  }
}

}  // namespace

row_status take_row(std::istream& in, std::string_view seps, std::string& raw,
                    std::size_t max_bytes) {
  scan st = raw.empty() ? scan::start : scan::plain;
  bool any = !raw.empty();
  bool over = false;  // the row is longer than max_bytes: scanned to its end, not kept
  char c = 0;
  while (in.get(c)) {
    any = true;
    const bool inside = st == scan::quoted;
    if (!inside && (c == '\n' || c == '\r')) {
      if (c == '\r' && in.peek() == '\n') in.get();
      return over ? row_status::too_long : row_status::ok;
    }
    if (raw.size() < max_bytes) {
      raw += c;
    } else {
      over = true;
    }
    st = !inside && seps.find(c) != std::string_view::npos ? scan::start : step(st, c);
  }
  if (in.bad()) return row_status::read_error;
  if (!any) return row_status::end;
  if (st == scan::quoted) return row_status::quote_open_at_end;
  return over ? row_status::too_long : row_status::ok;
}

std::vector<std::string> split_row(std::string_view raw, char sep, bool trim_plain) {
  std::vector<std::string> cells(1);
  scan st = scan::start;
  bool quoted_cell = false;
  const auto end_cell = [&] {
    if (trim_plain && !quoted_cell) cells.back() = std::string(trim_blanks(cells.back()));
  };
  for (char c : raw) {
    if (st != scan::quoted && c == sep) {
      end_cell();
      cells.emplace_back();
      st = scan::start;
      quoted_cell = false;
      continue;
    }
    if (st == scan::start && c == '"') quoted_cell = true;
    const scan next = step(st, c);
    // Quotes that open, close or double are markup; every other character is the cell's.
    const bool markup = (st == scan::start && next == scan::quoted) ||
                        (st == scan::quoted && next == scan::quote_seen);
    if (!markup) cells.back() += c;
    st = next;
  }
  end_cell();
  return cells;
}

char header_separator(std::string_view raw) {
  long commas = 0, semicolons = 0;
  scan st = scan::start;
  for (char c : raw) {
    if (st != scan::quoted && (c == ',' || c == ';')) {
      (c == ',' ? commas : semicolons)++;
      st = scan::start;
    } else {
      st = step(st, c);
    }
  }
  return semicolons > commas ? ';' : ',';
}

}  // namespace morva
