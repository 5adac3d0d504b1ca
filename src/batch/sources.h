#pragma once
// The samples of a batch command: read one entry at a time from a sample file or a CSV table
// of analyses, a window of them worked on in parallel, and every entry handed on in file
// order, so that what a command writes does not depend on the number of jobs and its memory
// only on the window.

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "batch/interrupt.h"
#include "batch/options.h"
#include "batch/parallel.h"
#include "morva/analysis_csv.h"
#include "morva/result.h"
#include "morva/sample.h"
#include "text/sample_text.h"

namespace morva {

/// One entry of the file in hand: a sample, or only what is to be said about an entry that
/// could not be read.
struct sample_entry {
  std::vector<std::string> notes;  ///< messages before the entry, in file order
  bool bad = false;                ///< the entry could not be read
  bool refuses_file = false;       ///< the file is no table that can be read at all (status 2)
  /// A sample of the file that could not be read: the tables and the page give it a row of
  /// status "unreadable" with this reason (s holds its id and location where they were read).
  std::optional<std::string> unreadable;
  bool selected = false;  ///< a sample to work on, with its options in opt
  /// Set when the sample is refused before its calculation (an options row naming an id the
  /// file holds more than once).
  std::optional<refusal_reason> refuse;
  sample_record s;
  run_options opt;
  /// Bytes the entry holds: itself (an entry type with results adds theirs).
  std::size_t held_bytes() const { return sizeof(*this); }
};

/// What reading the next entry gave.
enum class got { entry, end, fatal };

/// The entries of a file one at a time, whichever its format.
class sample_source {
 public:
  virtual ~sample_source() = default;
  /// The next entry into e (its notes; its sample, with is_sample true); end after the last,
  /// fatal when the file cannot be read on (the message in e.notes).
  virtual got next(sample_entry& e, bool& is_sample) = 0;
};

/// True when the name ends in ".csv" (in any case): a table of analyses.
bool is_csv_name(const std::string& name);

/// A source over the open stream in named name: a table of analyses for a .csv name (read by
/// the choices how), a sample file otherwise. A sample-file block or a table row that cannot
/// be read is passed over with a note.
std::unique_ptr<sample_source> open_source(std::istream& in, const std::string& name,
                                           const analysis_reading& how = {});

/// True when name is a folder, which no reader can take.
bool is_folder(const std::string& name);

/// Opens the sample file or table `name` into in and a source over it; empty, with
/// "morva: cannot open sample file NAME" (or "morva: NAME is a folder, not a sample file or
/// table") on err, when it cannot be opened.
std::unique_ptr<sample_source> open_samples(const std::string& name, std::ifstream& in,
                                            std::ostream& err, const analysis_reading& how = {});

/// Every entry of source in file order, one at a time: its notes said on err, on_sample(s)
/// for each sample. Returns exit_usage when the file is no table that can be read at all,
/// exit_bad_input when an entry could not be read, else exit_done.
int for_each_sample(sample_source& source, std::ostream& err,
                    const std::function<void(const sample_record&)>& on_sample);

/// Which samples a command works on and with which options.
struct selection {
  run_options options;                             ///< for samples the table does not list
  const options_by_id* per_sample = nullptr;       ///< by id
  const std::vector<std::string>* only = nullptr;  ///< ids to work on; empty: all
  /// Ids the file holds more than once: a sample of one of them that per_sample names is
  /// refused as ambiguous.
  const std::set<std::string>* repeated = nullptr;
};

/// The ids the samples of the file `name` hold more than once (as id_key gives them);
/// empty when there are none or the file cannot be read twice (not a regular file).
std::set<std::string> repeated_ids(const std::string& name);

/// Says on err what a selection names that the file does not hold: each id of --only and of
/// the options table that no sample of the file (read or unreadable) had, given the ids seen.
void say_unmatched(const selection& sel, const std::set<std::string>& seen, const std::string& file,
                   std::ostream& err);

/// What a batch command keeps of the entries it writes, in file order: their notes said on
/// err, the exit status they make, the ids seen (to name a repeated id once, and the ids of a
/// selection the file lacks) and the count of samples worked on.
class entry_tally {
 public:
  /// For the entries of the file `file` (its name, for messages).
  entry_tally(std::string file, std::ostream& err) : file_(std::move(file)), err_(err) {}
  /// Says the notes of e and, the first time an id comes again, that it does; counts e when it
  /// is a selected sample. Returns its id as id_key gives it.
  std::string take(const sample_entry& e);
  /// After the last entry: the ids of sel the file lacks, and, when --only (only_given)
  /// selected no sample, that nothing was calculated (status 1).
  void end(const selection& sel, bool only_given);
  /// exit_done, exit_bad_input when an entry could not be read, exit_usage when the file
  /// could not be read at all.
  int status() const { return status_; }

 private:
  std::string file_;
  std::ostream& err_;
  int status_ = 0;
  std::set<std::string> seen_;      // ids of the file's samples, read or not
  std::set<std::string> repeated_;  // ids said to appear more than once
  long selected_ = 0;               // samples worked on
};

/// True when the sample id (as id_key gives it) is to be worked on.
bool selected(const selection& sel, const std::string& id);
/// The options of the sample id.
const run_options& options_for(const selection& sel, const std::string& id);

/// Bytes of worked entries (results and the texts made of them) one window may hold: the
/// window takes as many entries as this holds at the largest entry seen so far, so that
/// memory stays bounded whatever an entry holds and however many jobs there are.
inline constexpr std::size_t window_bytes = std::size_t{16} << 20;

/// Entries of the next window: as many as window_bytes holds when each holds `largest` bytes,
/// at least one and at most `most`.
inline std::size_t window_entries(std::size_t largest, std::size_t most) {
  return std::clamp<std::size_t>(window_bytes / std::max<std::size_t>(largest, 1), 1, most);
}

/// Reads the entries of source a window at a time; work(entry, thread) runs on the selected
/// entries of the window with up to `jobs` threads (thread numbers 0..jobs-1), then
/// emit(entry) on every entry in file order. A window holds at most jobs·32 entries, and
/// fewer when its entries would hold more than window_bytes (Entry::held_bytes() after the
/// work; the first window, of at most 8 entries, measures them). Stops early when emit
/// returns false, and after the entry in hand when the process is interrupted; returns false
/// when emit stopped it.
template <class Entry, class Work, class Emit>
bool in_windows(sample_source& source, const selection& sel, int jobs, Work work, Emit emit) {
  const std::size_t most = static_cast<std::size_t>(jobs) * 32;
  std::size_t window = std::min<std::size_t>(static_cast<std::size_t>(jobs), 8);
  std::size_t largest = 0;  // bytes of the largest entry worked on so far
  std::vector<Entry> entries;
  for (bool more = true; more && interrupt_status() == 0;) {
    entries.clear();
    while (more && entries.size() < window) {
      Entry e;
      bool is_sample = false;
      got g = got::end;
      {
        const blocking_section wait;  // a pipe may hold the next entry back
        g = source.next(e, is_sample);
      }
      if (g == got::end) break;
      more = g != got::fatal;
      if (is_sample) {
        const std::string id = id_key(e.s);
        e.selected = selected(sel, id);
        e.opt = options_for(sel, id);
        if (sel.repeated != nullptr && sel.per_sample != nullptr && sel.repeated->contains(id) &&
            sel.per_sample->contains(id)) {
          e.refuse = refusal_reason::options_ambiguous;
        }
      }
      entries.push_back(std::move(e));
      if (g == got::end) more = false;
    }
    if (entries.empty()) break;
    const int threads = static_cast<int>(std::min(entries.size(), static_cast<std::size_t>(jobs)));
    parallel_for(entries.size(), threads, [&](std::size_t i, int thread) {
      if (entries[i].selected) work(entries[i], thread);
    });
    for (const Entry& e : entries) largest = std::max(largest, e.held_bytes());
    window = window_entries(largest, most);
    for (Entry& e : entries) {
      if (!emit(e)) return false;
      if (interrupt_status() != 0) return true;
    }
  }
  return true;
}

}  // namespace morva
