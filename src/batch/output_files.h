#pragma once
// The output files of a run: created by name, replacing an old file without destroying what a
// reader of it still reads, checked after every write and closed whole.

#include <fstream>
#include <iosfwd>
#include <string>

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

/// Puts the whole file `temporary` in the place of the file `name` by renaming it, so that a
/// reader sees the old file or the new one, never a part; a device or a pipe is written to
/// instead. The temporary file is gone afterwards either way. False, with "morva: cannot
/// write file NAME" on err, when it cannot be done.
bool replace_atomically(const std::string& temporary, const std::string& name, std::ostream& err);

}  // namespace morva
