#include "driver/terminal.h"

#include <cstdlib>
#include <string>

#include "text/encoding.h"

namespace morva {

bool utf8_locale() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    std::string v(value);
    for (char& c : v) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return v.find("utf-8") != std::string::npos || v.find("utf8") != std::string::npos;
  }
  return false;
}

utf8_terminal_buf::int_type utf8_terminal_buf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char ch = traits_type::to_char_type(c);
  return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
}

std::streamsize utf8_terminal_buf::xsputn(const char* s, std::streamsize n) {
  std::string out;
  out.reserve(static_cast<std::size_t>(n) + 8);
  for (std::streamsize i = 0; i < n; ++i) {
    append_latin1_as_utf8(out, s[i]);
  }
  const auto size = static_cast<std::streamsize>(out.size());
  return dest_->sputn(out.data(), size) == size ? n : 0;
}

}  // namespace morva
