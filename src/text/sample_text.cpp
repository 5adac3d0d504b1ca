#include "text/sample_text.h"

#include "text/encoding.h"

namespace morva {

namespace {

constexpr std::size_t number_length = 16;    // characters of the id in a sample file
constexpr std::size_t location_length = 80;  // characters of the location

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view without_trailing_blanks(std::string_view s) {
  const std::size_t n = s.find_last_not_of(' ');
  return n == std::string_view::npos ? std::string_view{} : s.substr(0, n + 1);
}

/// v in upper-case hexadecimal, at least min_digits digits.
std::string hex(unsigned long v, int min_digits) {
  static constexpr char x[] = "0123456789ABCDEF";
  std::string s;
  for (; v > 0 || static_cast<int>(s.size()) < min_digits; v >>= 4) s.insert(s.begin(), x[v & 0xF]);
  return s;
}

/// The text between double quotes, as messages show a cell.
std::string quoted(std::string_view s) {
  std::string q(1, '"');
  q += s;
  q += '"';
  return q;
}

/// What became of n characters or bytes that could not be kept, the first of them named:
/// "U+2013 is not a Latin-1 character, written as "?"".
std::string lost(int n, const std::string& first, const char* one, const char* many) {
  if (n == 1) return first + " " + one + ", written as \"?\"";
  return first + " and " + std::to_string(n - 1) + " more " + many + ", each written as \"?\"";
}

/// The text with each byte that is not UTF-8 as "?": a message stays UTF-8 whatever it shows.
std::string valid_utf8(std::string_view text) {
  std::string v;
  v.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t from = i;
    char32_t cp = 0;
    if (decode_utf8(text, i, cp)) {
      v.append(text, from, i - from);
    } else {
      v += '?';
      ++i;
    }
  }
  return v;
}

/// A UTF-8 text as a Latin-1 field of n characters, without trailing blanks; each loss told in
/// losses, after where.
std::string latin1_field(std::string_view utf8, std::size_t n, const std::string& where,
                         std::vector<std::string>& losses) {
  const latin1_text t = to_latin1(utf8);
  const std::string shown = quoted(valid_utf8(without_trailing_blanks(utf8)));
  if (t.beyond_latin1 > 0) {
    losses.push_back(where + shown + ": " +
                     lost(t.beyond_latin1, "U+" + hex(t.first_beyond, 4),
                          "is not a Latin-1 character", "are not Latin-1 characters"));
  }
  if (t.invalid > 0) {
    losses.push_back(
        where + shown + ": " +
        lost(t.invalid, "byte 0x" + hex(t.first_invalid, 2), "is not UTF-8", "are not UTF-8"));
  }
  std::string_view kept = without_trailing_blanks(t.text);
  if (kept.size() > n) {
    kept = without_trailing_blanks(kept.substr(0, n));
    losses.push_back(where + shown + " is longer than " + std::to_string(n) +
                     " characters, cut to " + quoted(latin1_to_utf8(t.text.substr(0, n))));
  }
  return std::string(kept);
}

}  // namespace

std::string utf8_text(std::string_view text, text_encoding e) {
  text = without_trailing_blanks(text);
  return e == text_encoding::utf8 ? std::string(text) : latin1_to_utf8(text);
}

std::string utf8_id(const sample_record& s) { return utf8_text(s.number, s.texts); }

std::string utf8_location(const sample_record& s) { return utf8_text(s.location, s.texts); }

std::string id_key(const sample_record& s) {
  std::string id = utf8_id(s);
  std::size_t end = id.size();
  while (end > 0 && is_blank(id[end - 1])) --end;
  std::size_t begin = 0;
  while (begin < end && is_blank(id[begin])) ++begin;
  return id.substr(begin, end - begin);
}

latin1_sample latin1_copy(const sample_record& s, const std::string& where) {
  latin1_sample out{s, {}};
  if (s.texts == text_encoding::latin1) return out;
  out.s.number = latin1_field(s.number, number_length, where + ", sample id ", out.losses);
  out.s.location =
      latin1_field(s.location, location_length,
                   where + ", sample " + valid_utf8(utf8_id(s)) + ", location ", out.losses);
  out.s.texts = text_encoding::latin1;
  return out;
}

std::string utf8_cell(std::string_view cell, const std::string& where,
                      std::vector<std::string>& warnings) {
  std::string text;
  text.reserve(cell.size());
  int invalid = 0, control = 0;
  unsigned char first_invalid = 0;
  char32_t first_control = 0;
  bool any = false;  // a character other than blanks and control characters
  for (std::size_t i = 0; i < cell.size();) {
    const std::size_t from = i;
    char32_t cp = 0;
    if (!decode_utf8(cell, i, cp)) {
      if (invalid++ == 0) first_invalid = static_cast<unsigned char>(cell[i]);
      text += '?';
      ++i;
      any = true;
    } else if (cp == '\t' || cp == '\n' || cp == '\r') {
      text += ' ';  // the line breaks of a spreadsheet cell of several lines
    } else if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) {
      if (control++ == 0) first_control = cp;
      text += '?';
    } else {
      text.append(cell, from, i - from);
      any = any || cp != ' ';
    }
  }
  // Nothing but blanks and control characters (the end-of-file mark 0x1A that old editors
  // leave on a row of its own): no text.
  if (!any) return {};
  const std::string shown = quoted(text);
  if (control > 0) {
    warnings.push_back(where + shown + ": " +
                       lost(control, "U+" + hex(first_control, 4), "is a control character",
                            "are control characters"));
  }
  if (invalid > 0) {
    warnings.push_back(
        where + shown + ": " +
        lost(invalid, "byte 0x" + hex(first_invalid, 2), "is not UTF-8", "are not UTF-8"));
  }
  return text;
}

}  // namespace morva
