#pragma once
// The program's 8-bit text (the degree sign is the byte 0xB0) shown on a terminal that
// expects UTF-8.

#include <streambuf>

namespace morva {

/// True when the locale of the environment (LC_ALL, else LC_CTYPE, else LANG) names UTF-8.
bool utf8_locale();

/// A stream buffer that passes 8-bit (Latin-1) text on to dest as UTF-8: bytes below 0x80 as
/// they are, each byte from 0x80 up as its two-byte form.
class utf8_terminal_buf : public std::streambuf {
 public:
  explicit utf8_terminal_buf(std::streambuf* dest) : dest_(dest) {}

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override { return dest_->pubsync(); }

 private:
  std::streambuf* dest_;
};

}  // namespace morva
