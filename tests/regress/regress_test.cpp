// Every recorded case of the regression corpus, run again through the real program: each
// output must equal the recorded one byte for byte, and the same files must be created.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "regress/corpus.h"

namespace morva::regress {
namespace {

class corpus_case : public testing::TestWithParam<std::filesystem::path> {};

TEST_P(corpus_case, OutputsMatchTheRecordedOnesByteForByte) {
  const std::filesystem::path& dir = GetParam();
  const run_outputs expected = expected_outputs(dir);
  ASSERT_NE(expected.status, -1) << "case " << dir << " has not been recorded";
  const run_outputs actual = run_case(MORVA_EXE, dir);

  EXPECT_EQ(actual.status, expected.status);
  for (std::size_t i = 0; i < output_files.size(); ++i) {
    const std::string name(output_files[i]);
    const auto& e = expected.files[i];
    const auto& a = actual.files[i];
    ASSERT_EQ(a.has_value(), e.has_value())
        << name << (e ? " was recorded but not written" : " was written but not recorded");
    if (e) {
      EXPECT_TRUE(*a == *e) << name << " differs at " << first_difference(*e, *a);
    }
  }
}

// A corpus without cases would pass without testing anything.
TEST(corpus, HoldsCases) { EXPECT_GE(list_cases(MORVA_REGRESS_CASES).size(), 10u); }

std::string case_name(const testing::TestParamInfo<std::filesystem::path>& info) {
  std::string name = info.param.filename().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(recorded, corpus_case, testing::ValuesIn(list_cases(MORVA_REGRESS_CASES)),
                         case_name);

}  // namespace
}  // namespace morva::regress
