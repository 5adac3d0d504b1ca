#include "batch/output_files.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

#include "text/fields.h"

namespace morva {

/// True when writing the report file `report` would destroy the file `other`: the same
/// name, the same path once normalised, or the same existing file by another path.
bool same_file(const std::string& report, const std::string& other) {
  namespace fs = std::filesystem;
  const fs::path a(report);
  const fs::path b(other);
  if (a.lexically_normal() == b.lexically_normal()) return true;
  std::error_code ea;
  std::error_code eb;
  if (fs::exists(a, ea) && fs::exists(b, eb)) {
    std::error_code e;
    const bool same = fs::equivalent(a, b, e);
    return same && !e;
  }
  const fs::path ca = fs::weakly_canonical(a, ea);
  const fs::path cb = fs::weakly_canonical(b, eb);
  return !ea && !eb && ca == cb;
}

std::string file_name(const std::string& field) {
  const std::size_t end = field.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : field.substr(0, end + 1);
}

bool replace_file(const std::string& name, std::ofstream& file, std::ostream& err) {
  namespace fs = std::filesystem;
  // Remove first, then create: a process that still reads the old file (the sample file of
  // this very run may be an old "boil.out") keeps reading it unchanged. Truncating in place
  // would destroy it, so a file that cannot be removed is not written over either.
  // A device or a pipe (/dev/null, a terminal) is written to as it is, never removed.
  std::error_code e;
  const fs::file_status st = fs::symlink_status(name, e);
  const bool special =
      fs::is_character_file(st) || fs::is_block_file(st) || fs::is_fifo(st) || fs::is_socket(st);
  bool removed = special || !fs::is_directory(name, e);
  if (removed && !special) {
    fs::remove(name, e);
    removed = !e;
  }
  if (removed) file.open(name, std::ios::out | std::ios::binary | std::ios::trunc);
  if (file.is_open()) return true;
  put(err, record{}.A("morva: cannot create file ").A(name));
  return false;
}

bool replace_atomically(const std::string& temporary, const std::string& name, std::ostream& err) {
  namespace fs = std::filesystem;
  std::error_code e;
  const fs::file_status st = fs::status(name, e);
  bool ok = false;
  if (fs::is_character_file(st) || fs::is_block_file(st) || fs::is_fifo(st) || fs::is_socket(st)) {
    std::ifstream in(temporary, std::ios::binary);
    std::ofstream out(name, std::ios::binary);
    // Copying nothing would set the failure bit of out: an empty file is no failure.
    if (in.is_open() && in.peek() != std::ifstream::traits_type::eof()) out << in.rdbuf();
    out.close();
    ok = in.is_open() && !out.fail();
  } else {
    fs::rename(temporary, name, e);
    ok = !e;
  }
  fs::remove(temporary, e);
  if (!ok) put(err, record{}.A("morva: cannot write file ").A(name));
  return ok;
}

bool written(const std::ofstream& file, const std::string& name, std::ostream& err) {
  if (!file.is_open() || file.good()) return true;
  put(err, record{}.A("morva: cannot write file ").A(name));
  return false;
}

bool closed(std::ofstream& file, const std::string& name, std::ostream& err) {
  if (!file.is_open()) return true;
  // A write that failed before was said when it was found.
  const bool ok_before = file.good();
  file.close();  // writes what is still buffered
  if (!ok_before) return false;
  if (!file.fail()) return true;
  put(err, record{}.A("morva: cannot write file ").A(name));
  return false;
}

}  // namespace morva
