#pragma once
// The sample file: blocks of 34 fixed-column lines, one per discharge analysis; read one
// sample at a time, and the liquid of a process step written back in the same format.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "morva/result.h"
#include "morva/sample.h"

namespace morva {

/// What the next read of a sample file met.
struct read_result {
  enum class kind {
    sample,  ///< a sample was read
    end,     ///< no more samples
    error,   ///< a line could not be read; the file is not to be read further
  };
  kind what = kind::end;
  sample_record sample;  ///< kind::sample: the sample as given
  /// kind::end: the number (without trailing blanks) of a last sample that the file cuts
  /// short after its water data, and which is therefore not used; empty when there is none.
  std::optional<std::string> dropped;
  long line = 0;      ///< kind::error: line number within the file, the first line being 1
  std::string fault;  ///< kind::error: "read unexpected character", or "read error"
  /// kind::error: the field that could not be read and why, for messages that name it
  /// ("\"1e999\" is a number too large for any calculation"); empty for a read error.
  std::string detail;
};

/// A sample file read sample by sample. The stream must stay open while the reader is used.
class sample_reader {
 public:
  /// in is the open file; name is the file name as the user knows it, for messages.
  sample_reader(std::istream& in, std::string name) : in_(in), name_(std::move(name)) {}
  const std::string& name() const { return name_; }
  /// Number of lines read so far.
  long lines_read() const { return lines_; }
  /// The next sample block, the end of the samples, or the line that could not be read.
  read_result next();
  /// After a line that could not be read: passes over the rest of its 34-line block, so that
  /// the next call reads the block after it.
  void skip_rest_of_block();

 private:
  std::istream& in_;
  std::string name_;
  long lines_ = 0;
};

/// Appends one 34-line sample block to out: the liquid of the solved state st after a
/// process step to t_step_c (°C, written as collection and pH temperature), under the
/// sample's number and location, so that the sample reader takes it back as a water-only
/// sample.
void pickup(const fluid_state& st, double t_step_c, const sample_record& s, std::ostream& out);

}  // namespace morva
