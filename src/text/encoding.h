#pragma once
// Texts between the program's two encodings: the 8-bit (Latin-1) texts of the fixed-column
// files, the report and the terminal, whose degree sign is the byte 0xB0, and the UTF-8 texts
// of the tables, the JSON document, the pictures and the Python strings.

#include <string>
#include <string_view>

namespace morva {

/// Decodes the UTF-8 sequence at s[i], advancing i past it; false (i unchanged) when the byte
/// at s[i] does not start a well-formed sequence (overlong forms and surrogates included).
bool decode_utf8(std::string_view s, std::size_t& i, char32_t& cp);

/// A UTF-8 text in Latin-1, and what could not be kept.
struct latin1_text {
  std::string text;
  int beyond_latin1 = 0;      ///< characters above U+00FF, each now "?"
  char32_t first_beyond = 0;  ///< the first of them
  int invalid = 0;            ///< bytes that are not UTF-8, each now "?"
  unsigned char first_invalid = 0;
};

/// The UTF-8 text in Latin-1: characters up to U+00FF as that byte, others and bytes that are
/// not UTF-8 as "?". Control characters become blanks: a fixed-column file keeps a text on one
/// line.
latin1_text to_latin1(std::string_view utf8);

/// Appends the Latin-1 character c to out in UTF-8 (one or two bytes).
void append_latin1_as_utf8(std::string& out, char c);
/// A Latin-1 text in UTF-8.
std::string latin1_to_utf8(std::string_view latin1);

/// A text as the tables, the JSON document and the pictures hold it: trailing blanks dropped,
/// valid UTF-8 kept as it is, and every other byte read as Latin-1 (the degree sign of the
/// program's own messages is byte 0xB0).
std::string table_text(std::string_view raw);

}  // namespace morva
