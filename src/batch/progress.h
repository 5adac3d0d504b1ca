#pragma once
// A running count of the samples a batch command has written, for a person watching standard
// error on a terminal.

#include <ostream>

namespace morva {

/// The count, shown every hundred samples once a run is long enough to be worth watching.
class progress_count {
 public:
  progress_count(bool shown, std::ostream& err) : shown_(shown), err_(err) {}
  /// One more sample written.
  void one_more() {
    ++done_;
    if (shown_ && done_ >= from && done_ % 100 == 0) {
      err_ << "\rmorva: " << done_ << " samples" << std::flush;
    }
  }
  /// The final count, on a line of its own, when counts were shown.
  void end() const {
    if (shown_ && done_ >= from) err_ << "\rmorva: " << done_ << " samples\n";
  }
  /// Samples written so far.
  long done() const { return done_; }

 private:
  static constexpr long from = 300;  // samples before a running count is worth showing
  bool shown_;
  std::ostream& err_;
  long done_ = 0;
};

}  // namespace morva
