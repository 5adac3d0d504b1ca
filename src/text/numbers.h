#pragma once
// Decimal numbers as people and programs write them in files: one reader for the fixed-column
// fields, the cells of a CSV table and the values of the command line, each of which then
// decides what an empty text or a number beyond a double's range means for it.

#include <string_view>

namespace morva {

/// What a text may hold beside sign, digits, one decimal mark and an E exponent.
struct number_syntax {
  bool decimal_comma = false;     ///< ',' is a decimal mark as well as '.'
  bool fortran_exponent = false;  ///< D or d as exponent letter, and "1.5-3" (a bare sign)
};

/// What reading a number found.
enum class number_read {
  value,      ///< a number; x holds it (+0 for every zero)
  empty,      ///< no character at all; x is 0
  no_digits,  ///< a well-formed text without a digit in its mantissa ("+", ".", "+E5"); x is 0
  invalid,    ///< anything else; x is 0
  overflow,   ///< beyond the largest double; x is 0
  underflow,  ///< a non-zero number below the smallest double; x is 0
};

/// The number a text spells out, read exactly as std::from_chars reads its digits (correctly
/// rounded). The text holds no blanks: callers trim or drop them as their format says.
struct number_reading {
  number_read what = number_read::empty;
  double x = 0.0;
};
number_reading read_number(std::string_view text, number_syntax syntax = {});

/// How a spreadsheet cell writes its decimal mark: a table separated by ';' writes decimal
/// commas (and may group thousands with points), a table separated by ',' decimal points (and
/// may group thousands with commas inside a quoted cell).
enum class decimal_mark { point, comma };

/// What reading a spreadsheet cell found, beyond what read_number tells.
enum class cell_read {
  value,      ///< a number; x holds it
  empty,      ///< nothing in the cell
  ambiguous,  ///< the other mark where it does not group thousands exactly ("10.45" with
              ///< decimal commas): another number may be meant, so none is taken
  invalid,    ///< not a number
  overflow,   ///< beyond the largest double
  underflow,  ///< a non-zero number below the smallest double; x is 0
};

/// The number in a spreadsheet cell (blanks around it dropped): digits with the decimal mark
/// of the table, the other mark allowed only between exact groups of three digits
/// ("1.250,5" is 1250.5 with decimal commas, "1,234.5" is 1234.5 with decimal points), an E
/// exponent only without such groups. x is 0 unless what is value.
struct cell_number {
  cell_read what = cell_read::empty;
  double x = 0.0;
};
cell_number read_cell_number(std::string_view cell, decimal_mark mark);

/// The text without the blanks, tabs and line ends around it.
std::string_view trim_blanks(std::string_view text);

}  // namespace morva
