#include "text/encoding.h"

namespace morva {

bool decode_utf8(std::string_view s, std::size_t& i, char32_t& cp) {
  const auto byte = [&s](std::size_t j) { return static_cast<unsigned char>(s[j]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    cp = b0;
    ++i;
    return true;
  }
  int n = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 1;
    cp = b0 & 0x1Fu;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 2;
    cp = b0 & 0x0Fu;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 3;
    cp = b0 & 0x07u;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return false;
  }
  if (s.size() - i <= static_cast<std::size_t>(n)) return false;  // cut short
  for (int k = 1; k <= n; ++k) {
    const unsigned char b = byte(i + static_cast<std::size_t>(k));
    if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xBF)) return false;
    cp = (cp << 6) | (b & 0x3Fu);
  }
  i += static_cast<std::size_t>(n) + 1;
  return true;
}

latin1_text to_latin1(std::string_view utf8) {
  latin1_text t;
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp = 0;
    if (!decode_utf8(utf8, i, cp)) {
      if (t.invalid++ == 0) t.first_invalid = static_cast<unsigned char>(utf8[i]);
      t.text += '?';
      ++i;
    } else if (cp < 0x20) {
      t.text += ' ';
    } else if (cp <= 0xFF) {
      t.text += static_cast<char>(static_cast<unsigned char>(cp));
    } else {
      if (t.beyond_latin1++ == 0) t.first_beyond = cp;
      t.text += '?';
    }
  }
  return t;
}

void append_latin1_as_utf8(std::string& out, char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b < 0x80) {
    out += c;
  } else {
    out += static_cast<char>(0xC0 | (b >> 6));
    out += static_cast<char>(0x80 | (b & 0x3F));
  }
}

std::string latin1_to_utf8(std::string_view latin1) {
  std::string u;
  u.reserve(latin1.size());
  for (char c : latin1) append_latin1_as_utf8(u, c);
  return u;
}

std::string table_text(std::string_view raw) {
  raw = raw.substr(0, raw.find_last_not_of(' ') + 1);
  std::string text;
  text.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size();) {
    const std::size_t from = i;
    char32_t cp = 0;
    if (decode_utf8(raw, i, cp)) {
      text.append(raw, from, i - from);
    } else {
      append_latin1_as_utf8(text, raw[i++]);  // a Latin-1 byte 0x80..0xFF
    }
  }
  return text;
}

}  // namespace morva
