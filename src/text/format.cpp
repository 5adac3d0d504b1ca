#include "text/format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace morva {

void number_memo::fill(entry& e, double x) {
  e.bits = std::bit_cast<std::uint64_t>(x);
  e.size = 0;
  if (!std::isfinite(x)) return;
  const std::to_chars_result res = std::to_chars(e.chars, e.chars + sizeof e.chars, x);
  assert(res.ec == std::errc{});
  e.size = static_cast<std::uint8_t>(res.ptr - e.chars);
}

std::string fixed_text(double x, int d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*f", d, x);
  return buf;
}

void append_integer(std::string& out, long n) {
  char buf[24];
  const std::to_chars_result res = std::to_chars(buf, buf + sizeof buf, n);
  out.append(buf, res.ptr);
}

void append_csv_text(std::string& out, std::string_view text) {
  const auto needs_quotes = [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; };
  if (std::none_of(text.begin(), text.end(), needs_quotes)) {
    out += text;
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void append_csv_text(std::string& out, std::string_view text, csv_texts mode) {
  const auto control = [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b < 0x20 && c != '\t' && c != '\n' && c != '\r') || b == 0x7F;
  };
  const auto formula_start = [](char c) {
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
  };
  if (mode == csv_texts::raw || text.empty()) {
    append_csv_text(out, text);
    return;
  }
  // Most texts (species and mineral names, ids) need neither guard nor quotes: one look-up
  // per character, and they are written as they are.
  static constexpr auto plain_byte = [] {
    std::array<bool, 256> p{};
    for (int b = 0x20; b < 0x100; ++b) p[static_cast<std::size_t>(b)] = b != 0x7F;
    p[','] = p['"'] = false;
    return p;
  }();
  const auto plain = [](char c) { return plain_byte[static_cast<unsigned char>(c)]; };
  if (!formula_start(text.front()) && std::all_of(text.begin(), text.end(), plain)) {
    out += text;
    return;
  }
  std::string safe;
  if (formula_start(text.front())) safe += '\'';
  for (const char c : text) safe += control(c) ? '?' : c;
  append_csv_text(out, safe);
}

void append_json_string(std::string& out, std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  const auto plain = [](char c) {
    return c != '"' && c != '\\' && static_cast<unsigned char>(c) >= 0x20;
  };
  out += '"';
  // Runs of characters that stand for themselves go in whole.
  for (auto it = text.begin(); it != text.end();) {
    const auto run = std::find_if_not(it, text.end(), plain);
    out.append(it, run);
    if (run == text.end()) break;
    const auto b = static_cast<unsigned char>(*run);
    if (b >= 0x20) {
      out += '\\';
      out += *run;
    } else {
      // Control characters as \u00XX; the texts of the tables seldom hold any.
      out += "\\u00";
      out += hex[b >> 4];
      out += hex[b & 0xF];
    }
    it = run + 1;
  }
  out += '"';
}

}  // namespace morva
