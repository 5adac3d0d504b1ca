#pragma once
// The output files of a run: created by name, replacing an old file without destroying what a
// reader of it still reads, checked after every write and closed whole. The outputs of the
// batch commands are written to a temporary file and renamed over their target only when they
// are complete, so that a failed run leaves every earlier file as it was.

#include <fstream>
#include <iosfwd>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace morva {

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

/// Where an output of a command may go: the folder that is to hold `name` exists and can be
/// written, and `name` is no folder. Empty when it may; else the reason, as "cannot create file
/// NAME: ...". A missing folder is never created.
std::string output_place_problem(const std::string& name);

/// An output of a batch command written whole or not at all. Its text goes to a temporary file
/// beside the target (".NAME.PID.tmp" in the same folder, so that the rename stays within one
/// file system) and is renamed over the target only by commit(), when complete and closed; an
/// output never committed leaves the old file as it was. A device or a pipe (/dev/null, a
/// FIFO) cannot be replaced and is written to directly.
class output_file {
 public:
  output_file() = default;
  output_file(const output_file&) = delete;
  output_file& operator=(const output_file&) = delete;
  /// Removes the temporary file of an output not committed.
  ~output_file();

  /// Opens the temporary file for the target `name`. False, with "morva: cannot create file
  /// NAME" on err, when it cannot be created.
  bool open(const std::string& name, std::ostream& err);
  /// True between a successful open and commit or discard.
  bool is_open() const { return file_.is_open(); }
  /// The target's name.
  const std::string& name() const { return name_; }
  /// Appends text (a whole row, block or element) to the file.
  void put(std::string_view text);
  /// False, with "morva: cannot write file NAME" on err (said once), when a write has failed.
  bool written(std::ostream& err);
  /// Closes the file and renames it over the target. False, with the message of `written`,
  /// when it could not be written in full; the target is then left as it was.
  bool commit(std::ostream& err);
  /// Closes and removes the temporary file: the target stays as it was.
  void discard();

 private:
  std::string name_;  // the target
  std::string temp_;  // the temporary file; empty for a device or a pipe written directly
  std::ofstream file_;
  int slot_ = -1;  // its place among the temporary files an interruption removes
  bool failure_said_ = false;
};

/// Writes text whole to the file `name` through an output_file. False, with a message, when it
/// cannot.
bool write_whole_file(const std::string& name, std::string_view text, std::ostream& err);

/// False, with "morva: cannot write standard output" on err, when the text written so far to
/// standard output `out` could not all be written (a full disk, a closed pipe); it is flushed
/// first so that the failure is seen at once.
bool standard_output_written(std::ostream& out, std::ostream& err);

/// A stream buffer that passes what is written on to another with every control character
/// but the line feed and the tab shown as '?', so that a text from a sample file (an id with
/// ESC or NUL) cannot move a terminal's cursor, change its colours or hide what follows. A
/// carriage return is passed only as the first character of a write, as the running count
/// rewrites its line.
class control_free_buf : public std::streambuf {
 public:
  /// Passes text on to `to`, which must outlive this buffer.
  explicit control_free_buf(std::streambuf* to) : to_(to) {}

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  std::streambuf* to_;
};

/// A stream buffer that appends what is written to a string: the pages of a sample are made
/// in the string that carries them to their file, without a copy, and a string kept from an
/// earlier sample lends them its storage.
class string_append_buf : public std::streambuf {
 public:
  /// Appends to `to`, which must outlive this buffer.
  explicit string_append_buf(std::string& to) : to_(to) {}

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;

 private:
  std::string& to_;
};

/// The first pair of outputs among `names` that are one file (by identity after resolving
/// links and relative paths, not by spelling), as "output files A and B are the same file";
/// empty names are skipped. Empty when every output is its own file.
std::string same_output_problem(const std::vector<std::string>& names);

}  // namespace morva
