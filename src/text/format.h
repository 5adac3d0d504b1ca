#pragma once
// Numbers and texts as the CSV and JSON writers put them into their lines.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morva {

/// Shortest texts of the doubles written lately, by their bits. Formatting a double costs
/// far more than looking it up, and a run writes the same numbers again and again: the
/// temperature of a state down its species rows, the reference quantities on every row, the
/// liquid of each cooling step, and every number of the JSON document once more. Writers of
/// one run may share one memo.
class number_memo {
 public:
  /// The shortest form of x that reads back to the same double (std::to_chars without a
  /// precision: "0.1", "-0", "1e+300"); empty when x is not finite.
  std::string_view text(double x) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    // Fibonacci hashing: the top bits of the product mix every bit of the double.
    entry& e = slots_[static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ULL) >> (64 - slot_bits))];
    if (e.size == 0 || e.bits != bits) fill(e, x);
    return {e.chars, e.size};
  }

 private:
  struct entry {
    std::uint64_t bits = 0;
    std::uint8_t size = 0;  // 0: the slot is empty (no finite double has an empty text)
    char chars[24];         // the longest shortest form has 24 characters
  };
  /// Puts the text of x into slot e; an empty text when x is not finite.
  static void fill(entry& e, double x);

  // Few enough slots to stay in the second-level cache.
  static constexpr int slot_bits = 11;
  std::vector<entry> slots_ = std::vector<entry>(std::size_t{1} << slot_bits);
};

/// x with d decimals, as printf's "%.*f" writes it, for the lines a person reads.
std::string fixed_text(double x, int d);

/// Appends n in decimal.
void append_integer(std::string& out, long n);
/// Appends a text as one CSV field: between quotes, its quotes doubled, when it holds a
/// comma, a quote or a line break.
void append_csv_text(std::string& out, std::string_view text);

/// How texts go into the cells of a CSV file bound for spreadsheets.
enum class csv_texts {
  guarded,  ///< a text a spreadsheet would take for a formula gets a leading "'"; no controls
  raw,      ///< every text as it stands
};

/// Appends text as one CSV cell (see append_csv_text). Guarded, a text that begins with '=',
/// '+', '-', '@', a tab or a carriage return is prefixed with "'", so that a spreadsheet shows
/// it instead of evaluating it, and control characters other than tab and line ends become '?'.
void append_csv_text(std::string& out, std::string_view text, csv_texts mode);
/// Appends a UTF-8 text as a JSON string.
void append_json_string(std::string& out, std::string_view text);

}  // namespace morva
