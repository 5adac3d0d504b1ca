#include "report/run_files.h"

#include <gtest/gtest.h>

#include <string>

#include "text/encoding.h"

namespace morva {
namespace {

TEST(RunFileEncoding, Utf8KeepsEveryLatin1CharacterAsItsCodePoint) {
  // Every byte value, the page separators NUL and form feed among them: as UTF-8 each is one
  // character of that code point, so a fixed-column line keeps its columns.
  std::string latin1;
  for (int b = 0; b < 256; ++b) latin1 += static_cast<char>(b);
  EXPECT_EQ(encoded_text(latin1, text_encoding::latin1), latin1);
  const std::string utf8 = encoded_text(latin1, text_encoding::utf8);
  EXPECT_EQ(utf8.size(), 128u + 2u * 128u);
  std::size_t i = 0;
  for (int b = 0; b < 256; ++b) {
    char32_t cp = 0;
    ASSERT_TRUE(decode_utf8(utf8, i, cp)) << b;
    EXPECT_EQ(cp, static_cast<char32_t>(b));
  }
  EXPECT_EQ(i, utf8.size());
}

}  // namespace
}  // namespace morva
