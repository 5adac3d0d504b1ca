// Ids and locations end to end: a UTF-8 table's texts come out as read in every table, JSON
// document, picture and page; the report, the step files and a converted sample file hold them
// in Latin-1 and say what they lose; a Latin-1 sample file's texts come out in UTF-8 unchanged;
// selections match ids as read.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "driver/session.h"

namespace morva {
namespace {

/// The composed table of tricky texts.
std::string tricky_table() {
  std::ifstream f(std::filesystem::path(MORVA_TEST_DATA) / "tricky_ids.csv", std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

/// One sample of tests/data/tricky_ids.csv: its texts as every UTF-8 output shows them, as a
/// CSV cell and as the Latin-1 bytes of the report and the sample file.
struct tricky {
  std::string id, location;   // UTF-8
  std::string location_cell;  // as a CSV table writes the location
  std::string id_latin1, location_latin1;
};

// clang-format off
const std::vector<tricky> samples = {
    // Latin-1 bytes that happen to be valid UTF-8 (C9 B0) and a no-break space.
    {"\xC3\x89\xC2\xB0-3", "Gro\xC3\x9F\xC2\xA0Quelle", "Gro\xC3\x9F\xC2\xA0Quelle",
     "\xC9\xB0-3", "Gro\xDF\xA0Quelle"},
    {"A\xE2\x80\x93" "1", "Kaldvik \xE2\x80\x93 well 12", "Kaldvik \xE2\x80\x93 well 12",
     "A?1", "Kaldvik ? well 12"},
    {"\xE6\xB8\xA9\xE6\xB3\x89-5", "\xE5\x88\xA5\xE5\xBA\x9C \xE5\x9C\xB0\xE7\x8D\x84",
     "\xE5\x88\xA5\xE5\xBA\x9C \xE5\x9C\xB0\xE7\x8D\x84", "?\x3F-5", "?\x3F ?\x3F"},
    // An ESC in the id: never written, "?" in its place.
    {"E?[31m-4", "Pool \"A\", north", "\"Pool \"\"A\"\", north\"", "E?[31m-4",
     "Pool \"A\", north"},
    // A leading blank of the id is no part of it; that of the location is.
    {"B-6", "  Ash pool", "  Ash pool", "B-6", "  Ash pool"},
};
// clang-format on

/// True when text holds part.
bool holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(SampleTexts, ComeOutAsReadInEveryOutputAndLatin1FilesSayTheirLosses) {
  scratch_dir dir;
  dir.write("tricky.csv", tricky_table());
  const session run =
      run_command(dir, "run tricky.csv --table t.csv --species s.csv --json j.json --cool 50");
  ASSERT_EQ(run.status, 0) << run.err;
  const session convert = run_command(dir, "convert tricky.csv t.in");
  ASSERT_EQ(convert.status, 0) << convert.err;
  const session back =
      run_command(dir, "run t.in --no-report --table back.csv --only '\xC3\x89\xC2\xB0-3, B-6'");
  ASSERT_EQ(back.status, 0) << back.err;
  const session curves =
      run_command(dir, "saturation tricky.csv --summary sum.csv --html p.html --plots pics");
  ASSERT_EQ(curves.status, 0) << curves.err;
  const session diagram = run_command(dir, "diagram tricky.csv --out d.svg");
  ASSERT_EQ(diagram.status, 0) << diagram.err;
  std::string pictures;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "pics")) {
    pictures += dir.read("pics/" + entry.path().filename().string());
  }

  const std::string table = dir.read("t.csv"), species = dir.read("s.csv"),
                    json = dir.read("j.json"), report = dir.read("morva.out"),
                    cool = dir.read("cool.out"), sample_file = dir.read("t.in"),
                    summary = dir.read("sum.csv"), page = dir.read("p.html"),
                    ternary = dir.read("d.svg");
  for (const tricky& t : samples) {
    SCOPED_TRACE(t.id);
    EXPECT_TRUE(holds(table, "\n" + t.id + "," + t.location_cell + ",reference,")) << table;
    EXPECT_TRUE(holds(species, "\n" + t.id + ",reference,0,"));
    std::string location_json = t.location;
    if (holds(location_json, "\"")) location_json = "Pool \\\"A\\\", north";
    EXPECT_TRUE(holds(json, "{\"sample\":\"" + t.id + "\",\"location\":\"" + location_json + "\""));
    EXPECT_TRUE(holds(summary, "\n" + t.id + "," + t.location_cell + ","));
    EXPECT_TRUE(holds(page, "<td>" + t.id + "</td>"));
    EXPECT_TRUE(holds(pictures, ">" + t.id + "<"));
    EXPECT_TRUE(holds(ternary, ">" + t.id + "<"));
    // Latin-1, in the 16 and 80 columns of a sample block.
    const std::string block_line =
        t.id_latin1 + std::string(16 - t.id_latin1.size(), ' ') + t.location_latin1;
    EXPECT_TRUE(holds(sample_file, "\n" + block_line)) << sample_file;
    EXPECT_TRUE(holds(report, t.id_latin1));
    EXPECT_TRUE(holds(cool, "\n" + block_line));
  }
  // The ESC of the table reaches neither the terminal nor a file; it is told where it was read.
  for (const std::string& text : {table, species, json, report, cool, sample_file, summary, page,
                                  ternary, pictures, run.err, convert.err, curves.err}) {
    EXPECT_FALSE(holds(text, "\x1B"));
  }
  const std::string esc_told =
      "morva: tricky.csv, row 5, column sample: \"E?[31m-4\": U+001B is a control character, "
      "written as \"?\"\n";
  for (const session* s : {&run, &convert, &curves, &diagram}) EXPECT_TRUE(holds(s->err, esc_told));
  // What the Latin-1 files lose, said for each file and sample; nothing said of the UTF-8 ones.
  for (const auto& [err, file] : {std::pair{run.err, "morva.out"}, std::pair{run.err, "cool.out"},
                                  std::pair{convert.err, "t.in"}}) {
    SCOPED_TRACE(file);
    const std::string f = file;
    EXPECT_TRUE(holds(err, "morva: " + f +
                               ", sample id \"A\xE2\x80\x93"
                               "1\": U+2013 is not a Latin-1 character, written as \"?\"\n"));
    EXPECT_TRUE(holds(err, "morva: " + f + ", sample " + samples[2].id + ", location \"" +
                               samples[2].location +
                               "\": U+5225 and 3 more are not Latin-1 characters, each written "
                               "as \"?\"\n"));
    EXPECT_FALSE(holds(err, f + ", sample id \"\xC3\x89"));
  }
  for (const session* s : {&curves, &diagram}) EXPECT_FALSE(holds(s->err, "Latin-1"));
  // The Latin-1 file read back: its texts in UTF-8 as they were, --only matching them.
  const std::string back_table = dir.read("back.csv");
  EXPECT_TRUE(holds(back_table, "\n" + samples[0].id + "," + samples[0].location + ",reference,"));
  EXPECT_TRUE(holds(back_table, "\nB-6,  Ash pool,reference,"));
  EXPECT_FALSE(holds(back_table, "A?1"));
}

TEST(SampleTexts, SelectionsMatchIdsAsRead) {
  scratch_dir dir;
  dir.write("tricky.csv", tricky_table());
  dir.write("opt.csv", "sample,temperature\n\xC3\x89\xC2\xB0-3,150\n B-6 ,120\n");
  struct selection_case {
    std::string args;
    std::vector<std::string> rows;  // the state table's rows, each up to its t_ref_type
  };
  const std::vector<selection_case> cases = {
      {"--only '\xC3\x89\xC2\xB0-3,B-6,\xE6\xB8\xA9\xE6\xB3\x89-5'",
       {samples[0].id + ",", samples[2].id + ",", "B-6,"}},
      {"--options opt.csv",
       {samples[0].id + "," + samples[0].location + ",reference,0,ok,,arbitrary,150,",
        samples[1].id + "," + samples[1].location + ",reference,0,ok,,measured,180,",
        samples[2].id + ",", "E?[31m-4,", "B-6,  Ash pool,reference,0,ok,,arbitrary,120,"}},
  };
  for (const selection_case& c : cases) {
    SCOPED_TRACE(c.args);
    const session s = run_command(dir, "run tricky.csv --no-report --table t.csv " + c.args);
    EXPECT_EQ(s.status, 0) << s.err;
    EXPECT_FALSE(holds(s.err, "which is not in")) << s.err;
    const std::string table = dir.read("t.csv");
    std::vector<std::string> lines;
    for (std::size_t at = table.find('\n'); at + 1 < table.size(); at = table.find('\n', at + 1)) {
      lines.push_back(table.substr(at + 1, table.find('\n', at + 1) - at - 1));
    }
    ASSERT_EQ(lines.size(), c.rows.size()) << table;
    for (std::size_t k = 0; k < lines.size(); ++k) EXPECT_EQ(lines[k].rfind(c.rows[k], 0), 0u);
  }
}

}  // namespace
}  // namespace morva
