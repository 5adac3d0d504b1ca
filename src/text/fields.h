#pragma once
// Fixed-column lines: every line written to the terminal, the report and the sample files,
// and every line read from the keyboard and from a sample file, goes through this layer.

#include <iosfwd>
#include <string>
#include <string_view>

namespace morva {

/// One output line, built left to right with the edit descriptors. A line's trailing
/// literals (blanks included) are part of it: whoever writes a line appends them with A or X
/// after the last number, so the line carries every character of its layout.
class record {
 public:
  /// Room for the widest line of a layout (132 columns and a few), taken at once rather than
  /// grown field by field.
  record() { text_.reserve(line_room); }
  record& F(int w, int d, double x);     ///< Fw.d: fixed point, w columns, d decimals
  record& E(int w, int d, double x);     ///< Ew.d: 0.ddd mantissa with exponent, w columns
  record& I(int w, long n);              ///< Iw: integer, w columns
  record& A(std::string_view s);         ///< A: the text at its own length
  record& A(int w, std::string_view s);  ///< Aw: the text in w columns
  record& X(int n);                      ///< n blanks
  const std::string& text() const { return text_; }

 private:
  static constexpr std::size_t line_room = 144;
  std::string text_;
};

/// Writes the line and its line feed.
void put(std::ostream& out, const record& r);
/// Writes the line without a line feed and flushes, so the answer is typed behind it.
void prompt(std::ostream& out, const record& r);

/// Outcome of reading a line or a field.
enum class read_status { ok, input_error, end_of_file };

/// Reads one input line without its line feed; a carriage return just before the line feed
/// is dropped. A last line without a line feed is a complete line; end_of_file only when
/// no character is left.
read_status read_line(std::istream& in, std::string& line);

/// Takes the fields of one input line from the left, as the read layouts describe them.
/// Positions beyond the end of the line read as end-of-line marks.
class field_reader {
 public:
  explicit field_reader(std::string_view line) : line_(line) {}
  /// Fw.0 field; false (and x unchanged) on an input error.
  bool F(int w, double& x);
  /// Iw field; false (and n unchanged) on an input error.
  bool I(int w, int& n);
  /// A field of len characters, blank-padded beyond the end of the line, not trimmed.
  std::string A(int len);
  /// The characters of the last numeric field taken, blanks dropped.
  const std::string& last_field() const { return last_field_; }
  /// True when the last numeric field is a number beyond the largest double (1e999).
  bool last_field_too_large() const;

 private:
  std::string_view line_;
  std::string last_field_;
  std::size_t pos_ = 0;
};

}  // namespace morva

namespace morva {

/// The text cut or blank-padded to exactly n characters (fixed-length text items).
std::string padded(std::string_view s, std::size_t n);

}  // namespace morva
