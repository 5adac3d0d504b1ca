#pragma once
// The id and location of a sample in the program's two encodings: as UTF-8 for the tables, the
// JSON document, the pictures, the Python strings and the comparison of ids; as Latin-1 for a
// fixed-column sample file and the report. One place decides both, so that every writer shows
// a text alike and every loss is told where the Latin-1 file is written.

#include <string>
#include <string_view>
#include <vector>

#include "morva/sample.h"

namespace morva {

/// A text of a sample held in encoding e, in UTF-8 without trailing blanks: a Latin-1 text
/// converted byte by byte, a UTF-8 text as it is.
std::string utf8_text(std::string_view text, text_encoding e);
/// The sample's id (number) in UTF-8, without trailing blanks.
std::string utf8_id(const sample_record& s);
/// The sample's location in UTF-8, without trailing blanks.
std::string utf8_location(const sample_record& s);
/// The id by which --only, an options table and the check for repeated ids know a sample: its
/// UTF-8 id with blanks (spaces, tabs) trimmed at both ends.
std::string id_key(const sample_record& s);

/// A sample whose texts are Latin-1, and each loss of making them so, as a message.
struct latin1_sample {
  sample_record s;
  std::vector<std::string> losses;
};

/// Sample s as a fixed-column file or the report holds it: number and location in Latin-1, a
/// character beyond U+00FF (or a byte that is not UTF-8) written as "?", cut to 16 and 80
/// characters. Each loss is a message opened by `where` (the file written); a Latin-1 sample
/// comes back as it is, with none.
latin1_sample latin1_copy(const sample_record& s, const std::string& where);

/// The text of a UTF-8 cell for an id or a location, kept as read except that every byte that
/// is not UTF-8 and every control character (C0, DEL and C1: they would act on a terminal) is
/// written as "?", each kind told once in warnings after `where` ("FILE, row 4, column
/// sample: "); tabs and line breaks become blanks, and a cell of nothing but blanks and
/// control characters holds no text.
std::string utf8_cell(std::string_view cell, const std::string& where,
                      std::vector<std::string>& warnings);

}  // namespace morva
