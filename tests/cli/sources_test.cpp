// The plumbing of the batch commands: the window of samples in flight and the output file
// put in place whole.

#include "batch/sources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "batch/exit_status.h"
#include "batch/output_files.h"
#include "driver/session.h"

namespace morva {
namespace {

/// n samples numbered 0, 1, ... in file order.
class numbered_source : public sample_source {
 public:
  explicit numbered_source(int n) : n_(n) {}
  got next(sample_entry& e, bool& is_sample) override {
    if (i_ == n_) return got::end;
    e.s.number = std::to_string(i_++);
    is_sample = true;
    return got::entry;
  }

 private:
  int n_, i_ = 0;
};

/// An entry whose work renders `bytes` of text, as a report or a picture is rendered.
struct rendered_entry : sample_entry {
  std::string text;
  std::size_t held_bytes() const { return sizeof(*this) + text.capacity(); }
};

TEST(SampleWindows, KeepFileOrderAndBoundTheBytesInFlight) {
  // Small entries fill windows of jobs·32; large ones close the window once it holds
  // window_bytes (the first window, of at most 8, measures them); an entry larger than
  // window_bytes is worked on alone.
  struct window_case {
    int jobs;
    std::size_t bytes;
    int n;
  };
  for (const window_case& c :
       {window_case{1, 100, 300}, window_case{4, 100, 300}, window_case{4, 1 << 20, 100},
        window_case{32, 1 << 20, 100}, window_case{32, 17 << 20, 20}}) {
    SCOPED_TRACE(std::to_string(c.jobs) + " jobs, " + std::to_string(c.bytes) + " bytes");
    const int n = c.n;
    numbered_source source(n);
    std::atomic<std::size_t> worked{0};
    std::atomic<int> highest_thread{0};
    std::size_t emitted = 0, most_in_flight = 0, most_after_first = 0;
    std::vector<std::string> order;
    const auto work = [&](rendered_entry& e, int thread) {
      e.text.assign(c.bytes, 'x');
      ++worked;
      int seen = highest_thread.load();
      while (thread > seen && !highest_thread.compare_exchange_weak(seen, thread)) {
      }
    };
    const auto emit = [&](rendered_entry& e) {
      const std::size_t in_flight = worked - emitted;
      most_in_flight = std::max(most_in_flight, in_flight);
      if (emitted >= 8) most_after_first = std::max(most_after_first, in_flight);
      ++emitted;
      order.push_back(e.s.number);
      return true;
    };
    ASSERT_TRUE(in_windows<rendered_entry>(source, selection{}, c.jobs, work, emit));
    ASSERT_EQ(order.size(), static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], std::to_string(i));
    EXPECT_LT(highest_thread.load(), c.jobs);
    const std::size_t most = static_cast<std::size_t>(c.jobs) * 32;
    const std::size_t fit =
        std::max<std::size_t>(1, window_bytes / (c.bytes + sizeof(rendered_entry)));
    EXPECT_LE(most_in_flight,
              std::max<std::size_t>(std::min<std::size_t>(c.jobs, 8), std::min(fit, most)));
    EXPECT_EQ(most_after_first, std::min(fit, most));
  }
}

TEST(SampleSources, AFileWithoutASampleSaysSoAndIsBadInput) {
  // Whatever the file holds, a source that gives no sample ends with the same words; a table
  // whose header is no table of analyses is refused as a whole (status 2).
  struct none_case {
    std::string name, text;
    int status;
    std::string last;  // the last line said
  };
  const std::string file = "morva: s.in: no sample could be read from the file\n";
  const std::string table = "morva: s.csv: no sample could be read from the table\n";
  const std::vector<none_case> cases = {
      {"s.in", "", exit_bad_input, file},
      {"s.in", "a\rb\r", exit_bad_input, file},
      {"s.in", "hello\n", exit_bad_input, file},
      {"s.csv", "", exit_bad_input, table},
      {"s.csv", "\xEF\xBB\xBF\r\n", exit_bad_input, table},
      {"s.csv", "sample,pH\n", exit_bad_input, table},
      {"s.csv", "sample,pH\nA,x\n", exit_bad_input, table},
      {"s.csv", "hello\n", exit_usage, table},
  };
  for (const none_case& c : cases) {
    SCOPED_TRACE(c.name + " " + c.text);
    std::istringstream in(c.text);
    std::ostringstream err;
    int samples = 0;
    const int status = for_each_sample(*open_source(in, c.name), err,
                                       [&samples](const sample_record&) { ++samples; });
    EXPECT_EQ(samples, 0);
    EXPECT_EQ(status, c.status);
    const std::string said = err.str();
    ASSERT_GE(said.size(), c.last.size());
    EXPECT_EQ(said.substr(said.size() - c.last.size()), c.last) << said;
  }
}

TEST(StringAppendBuf, AppendsEveryFormOfWriteToWhatIsThere) {
  // Pages are written into a string that may hold an earlier text: single characters, blocks
  // and formatted lines all land behind it, in order, byte for byte (NUL and form feed too).
  std::string text = "kept|";
  string_append_buf to(text);
  std::ostream out(&to);
  out.put('\f');
  out.write("ab\0c", 4);
  out << std::string(5000, 'x') << '\n' << 12 << ' ' << -0.5;
  out.flush();
  EXPECT_TRUE(out.good());
  EXPECT_EQ(text, "kept|\f" + std::string("ab\0c", 4) + std::string(5000, 'x') + "\n12 -0.5");
}

}  // namespace
}  // namespace morva
