// The two forms of a sample's texts: UTF-8 for tables, pictures and ids compared; Latin-1 for
// sample files and the report, each loss told.

#include "text/sample_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morva {
namespace {

sample_record with_texts(std::string number, std::string location, text_encoding e) {
  sample_record s;
  s.number = std::move(number);
  s.location = std::move(location);
  s.texts = e;
  return s;
}

TEST(SampleTexts, Utf8FormsAndIdsDependOnTheEncodingAlone) {
  // The same bytes C9 B0 2D 33: Latin-1 "É°-3" (valid UTF-8 by chance), or in a UTF-8 sample
  // the character U+0270.
  struct form_case {
    sample_record s;
    std::string id, location, key;
  };
  const std::vector<form_case> cases = {
      {with_texts("\xC9\xB0-3  ", "Gro\xDF\xA0Quelle ", text_encoding::latin1),
       "\xC3\x89\xC2\xB0-3", "Gro\xC3\x9F\xC2\xA0Quelle", "\xC3\x89\xC2\xB0-3"},
      {with_texts("\xC9\xB0-3", "", text_encoding::utf8), "\xC9\xB0-3", "", "\xC9\xB0-3"},
      {with_texts(" \tA 1 ", "  x  ", text_encoding::latin1), " \tA 1", "  x", "A 1"},
  };
  for (const form_case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(utf8_id(c.s), c.id);
    EXPECT_EQ(utf8_location(c.s), c.location);
    EXPECT_EQ(id_key(c.s), c.key);
  }
}

TEST(SampleTexts, Latin1CopyKeepsWhatLatin1HoldsAndTellsTheRest) {
  struct copy_case {
    sample_record s;
    std::string number, location;  // Latin-1
    std::vector<std::string> losses;
  };
  const std::string e16 =
      "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
      "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
  const std::string long_location = std::string(80, 'x') + "yz";
  const std::vector<copy_case> cases = {
      // A Latin-1 sample is left as it is, whatever its bytes.
      {with_texts("\xE9\x1B", "\x80", text_encoding::latin1), "\xE9\x1B", "\x80", {}},
      // Sixteen two-byte characters fit the sixteen columns.
      {with_texts(e16, "Gro\xC3\x9F\xC2\xA0Quelle", text_encoding::utf8),
       std::string(16, '\xE9'),
       "Gro\xDF\xA0Quelle",
       {}},
      {with_texts(e16 + "\xE2\x80\x93", long_location, text_encoding::utf8),
       std::string(16, '\xE9'),
       std::string(80, 'x'),
       {"f.in, sample id \"" + e16 +
            "\xE2\x80\x93\": U+2013 is not a Latin-1 character, written as \"?\"",
        "f.in, sample id \"" + e16 + "\xE2\x80\x93\" is longer than 16 characters, cut to \"" +
            e16 + "\"",
        "f.in, sample " + e16 + "\xE2\x80\x93, location \"" + long_location +
            "\" is longer than 80 characters, cut to \"" + std::string(80, 'x') + "\""}},
      {with_texts("A\xFF", "", text_encoding::utf8),
       "A?",
       "",
       {"f.in, sample id \"A?\": byte 0xFF is not UTF-8, written as \"?\""}},
  };
  for (const copy_case& c : cases) {
    SCOPED_TRACE(c.number);
    const latin1_sample l = latin1_copy(c.s, "f.in");
    EXPECT_EQ(l.s.texts, text_encoding::latin1);
    EXPECT_EQ(l.s.number, c.number);
    EXPECT_EQ(l.s.location, c.location);
    EXPECT_EQ(l.losses, c.losses);
  }
}

}  // namespace
}  // namespace morva
