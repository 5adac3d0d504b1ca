#pragma once
// The results of a batch run as one JSON array, an object per sample, written as the samples
// come: each object is built and written whole, so memory holds one sample at a time.
//
// A sample object holds `sample`, `location`, `status`, `reason` and
// `unconverged_mass_balances`; `options` (the temperature type and the options as given);
// `sampled` (the sampled water); `reference` (how the reference state was reached, and its
// `state`); `steps` (kind, step, t_C, degassing, status, reason and `state` of each step). A
// state holds the quantities of a state-table row under the same names, then `species`
// (molality and activity coefficient by species) and `minerals` (log K, log Q and saturation
// index by mineral). A value that cannot be computed is null, as its CSV cell is empty.

#include <iosfwd>
#include <memory>
#include <string>

#include "morva/result.h"
#include "morva/sample.h"
#include "text/format.h"

namespace morva {

/// Writes the array of sample objects to a stream, one sample to a line.
/// Appends the JSON object of sample s calculated with opt into r to out, on one line without
/// its line end; memo keeps the texts of the numbers.
void append_json_sample(std::string& out, const sample_record& s, const run_options& opt,
                        const sample_result& r, number_memo& memo);
/// Appends the JSON object of a sample that could not be read to out, as append_json_sample
/// does: its id and location where they were read, status "unreadable" and the reason; its
/// options, states and steps null or empty.
void append_json_unreadable(std::string& out, const sample_record& s, const std::string& reason,
                            number_memo& memo);

class json_writer {
 public:
  /// Opens the array on out, which must outlive the writer, as must memo, the number texts
  /// shared with the other writers of the run (the writer keeps its own when none is given).
  explicit json_writer(std::ostream& out, number_memo* memo = nullptr);
  /// Appends the object of sample s calculated with opt into r.
  void add(const sample_record& s, const run_options& opt, const sample_result& r);
  /// Closes the array; the text is complete JSON only after this.
  void finish();

 private:
  std::ostream& out_;
  bool first_ = true;
  bool finished_ = false;
  std::unique_ptr<number_memo> own_memo_;
  number_memo* memo_;
  std::string text_;  // the line of one sample, kept to reuse its storage
};

}  // namespace morva
