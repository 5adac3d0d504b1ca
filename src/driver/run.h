#pragma once
// The run: banner, run-setup dialog, the loop over the samples of a sample file, and the
// state and files that live for the whole run.

#include <fstream>
#include <iosfwd>
#include <string>

#include "report/pages.h"

namespace morva {

/// Exit status of an orderly end: end of the sample file or the choice "q".
inline constexpr int exit_orderly = 0;
/// Exit status when the sample file cannot be opened or holds an invalid number.
inline constexpr int exit_sample_file = 1;
/// Exit status when the report file, "boil.out" or "cool.out" cannot be created or written.
inline constexpr int exit_file_not_created = 2;
/// Exit status when standard input ends while a dialog waits for an answer.
inline constexpr int exit_input_ended = 3;

/// Names of the process-step files, in the working directory.
inline constexpr const char* boil_file_name = "boil.out";
inline constexpr const char* cool_file_name = "cool.out";

/// What lives for the whole run: the answers of the run-setup dialog, the page separator,
/// and the three output files with the flags saying which of them have been created.
struct run_state {
  std::string user = std::string(20, ' ');         ///< user name or date, 20 characters
  std::string heading = std::string(80, ' ');      ///< printout heading, 80 characters
  std::string sample_file = std::string(30, ' ');  ///< sample-file name, 30 characters
  std::string report_file = std::string(30, ' ');  ///< report-file name, 30 characters
  /// NUL while the report file has not been created; form feed from the middle of the
  /// first reported sample on.
  char page_separator = separator_nul;
  bool boil_open = false;  ///< "boil.out" has been created in this run
  bool cool_open = false;  ///< "cool.out" has been created in this run
  std::ofstream report;    ///< the report file, open once the first sample is reported
  std::ofstream boil;      ///< "boil.out", open once a sample asked for boiling steps
  std::ofstream cool;      ///< "cool.out", open once a sample asked for cooling steps

  /// Makes the report file ready for the first line of a sample's report: while the page
  /// separator is NUL the file is created, replacing any old file of that name. False, with
  /// a message naming the file on `err`, when it cannot be created; the run must then stop
  /// with exit_file_not_created.
  bool make_report_ready(std::ostream& err);
  /// False, with a message naming the file on err, when a write to one of the files has
  /// failed (a full disk, a file too large).
  bool writes_ok(std::ostream& err) const;
  /// Closes the files, writing what is buffered; false, with a message naming the file on
  /// err, when one of them could not be written in full.
  bool close_all(std::ostream& err);
};

/// False, with "morva: cannot write file NAME" on err, when a write to the open file has
/// failed.
bool written(const std::ofstream& file, const std::string& name, std::ostream& err);
/// Closes the file (when open), writing what is buffered; false when it could not be written
/// in full, with the message of `written` unless an earlier write failure was already said.
bool closed(std::ofstream& file, const std::string& name, std::ostream& err);

/// True when writing the report file `report` would destroy the file `other`: the same
/// name, the same path once normalised, or the same existing file by another path.
bool same_file(const std::string& report, const std::string& other);

/// A file name as the dialog holds it, without its trailing blanks.
std::string file_name(const std::string& field);

/// Creates the file `name` for writing, replacing an old file of that name by removing it
/// first (so a reader of the old file keeps reading it unchanged). False, with a message
/// naming the file on `err`, when the file cannot be created.
bool replace_file(const std::string& name, std::ofstream& file, std::ostream& err);

/// Runs the program on a terminal (answers from `in`, screen on `out`, stop diagnostics on
/// `err`); files are opened by name in the working directory. Returns the exit status.
int run(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace morva
