#include "batch/output_files.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

#include "batch/interrupt.h"
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
  // A device or a pipe (/dev/null, a terminal), or a link to one (/dev/stdout), is written to
  // as it is, never removed.
  std::error_code e;
  const fs::file_status st = fs::status(name, e);
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

namespace {

namespace fs = std::filesystem;

/// True for a device, a pipe or a socket: written to as it stands, never replaced.
bool device_or_pipe(const std::string& name) {
  std::error_code e;
  const fs::file_status st = fs::status(name, e);
  return !e && (fs::is_character_file(st) || fs::is_block_file(st) || fs::is_fifo(st) ||
                fs::is_socket(st));
}

/// The folder that holds the file name ("." for a bare name).
fs::path folder_of(const std::string& name) {
  const fs::path parent = fs::path(name).parent_path();
  return parent.empty() ? fs::path(".") : parent;
}

void say_cannot_write(const std::string& name, std::ostream& err) {
  put(err, record{}.A("morva: cannot write file ").A(name));
}

}  // namespace

std::string output_place_problem(const std::string& name) {
  const std::string head = "cannot create file " + name + ": ";
  if (device_or_pipe(name)) return {};
  std::error_code e;
  if (fs::is_directory(name, e)) return head + "it is a folder";
  const fs::path folder = folder_of(name);
  if (!fs::is_directory(folder, e)) return head + "no folder " + folder.string();
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    return head + "folder " + folder.string() + " cannot be written";
  }
  return {};
}

output_file::~output_file() { discard(); }

bool output_file::open(const std::string& name, std::ostream& err) {
  // A name unique to this process and this output, beside the target.
  static std::atomic<long> serial{0};
  name_ = name;
  failure_said_ = false;
  const bool direct = device_or_pipe(name);
  if (direct) {
    temp_.clear();
    const blocking_section wait;  // a FIFO opens when its reader comes
    file_.open(name, std::ios::out | std::ios::binary | std::ios::trunc);
  } else {
    const fs::path target(name);
    // Built by appending: GCC 12 at -O2 warns falsely on "." + a temporary string.
    std::string hidden(1, '.');
    hidden += target.filename().string();
    hidden += '.';
    hidden += std::to_string(::getpid());
    hidden += '-';
    hidden += std::to_string(serial++);
    hidden += ".tmp";
    temp_ = (folder_of(name) / hidden).string();
    slot_ = register_temporary(temp_);
    file_.open(temp_, std::ios::out | std::ios::binary | std::ios::trunc);
  }
  if (file_.is_open()) return true;
  discard();
  morva::put(err, record{}.A("morva: cannot create file ").A(name));
  return false;
}

void output_file::put(std::string_view text) {
  if (!file_.is_open()) return;
  if (temp_.empty()) {
    const blocking_section wait;  // a pipe or device may hold the write
    file_.write(text.data(), static_cast<std::streamsize>(text.size()));
  } else {
    file_.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
}

bool output_file::written(std::ostream& err) {
  if (!file_.is_open() || file_.good()) return true;
  if (!failure_said_) say_cannot_write(name_, err);
  failure_said_ = true;
  return false;
}

bool output_file::commit(std::ostream& err) {
  if (!file_.is_open()) return !failure_said_;
  if (!written(err)) {
    discard();
    return false;
  }
  {
    const blocking_section wait;
    file_.close();  // writes what is still buffered
  }
  if (file_.fail()) {
    say_cannot_write(name_, err);
    failure_said_ = true;
    discard();
    return false;
  }
  if (temp_.empty()) return true;
  // One step replaces the old file; a reader that has it open keeps reading it unchanged.
  if (std::rename(temp_.c_str(), name_.c_str()) != 0) {
    say_cannot_write(name_, err);
    failure_said_ = true;
    discard();
    return false;
  }
  forget_temporary(slot_);
  slot_ = -1;
  temp_.clear();
  return true;
}

void output_file::discard() {
  if (file_.is_open()) file_.close();
  if (!temp_.empty()) {
    std::error_code e;
    fs::remove(temp_, e);
    temp_.clear();
  }
  forget_temporary(slot_);
  slot_ = -1;
}

bool write_whole_file(const std::string& name, std::string_view text, std::ostream& err) {
  output_file f;
  if (!f.open(name, err)) return false;
  f.put(text);
  return f.commit(err);
}

bool standard_output_written(std::ostream& out, std::ostream& err) {
  {
    const blocking_section wait;  // a pipe whose reader does not read
    out.flush();
  }
  if (out.good()) return true;
  put(err, record{}.A("morva: cannot write standard output"));
  return false;
}

namespace {

/// True for a byte a terminal would act on rather than show.
bool control_byte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b < 0x20 && c != '\n' && c != '\t') || b == 0x7F;
}

}  // namespace

control_free_buf::int_type control_free_buf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char ch = traits_type::to_char_type(c);
  return to_->sputc(control_byte(ch) ? '?' : ch);
}

std::streamsize control_free_buf::xsputn(const char* s, std::streamsize n) {
  std::string text(s, static_cast<std::size_t>(n));
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (control_byte(text[i]) && !(i == 0 && text[i] == '\r')) text[i] = '?';
  }
  return to_->sputn(text.data(), n);
}

int control_free_buf::sync() { return to_->pubsync(); }

string_append_buf::int_type string_append_buf::overflow(int_type c) {
  if (!traits_type::eq_int_type(c, traits_type::eof())) to_ += traits_type::to_char_type(c);
  return traits_type::not_eof(c);
}

std::streamsize string_append_buf::xsputn(const char* s, std::streamsize n) {
  to_.append(s, static_cast<std::size_t>(n));
  return n;
}

std::string same_output_problem(const std::vector<std::string>& names) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (std::size_t j = i + 1; j < names.size(); ++j) {
      // Two outputs to one device (/dev/null) destroy nothing.
      if (names[i].empty() || names[j].empty() || device_or_pipe(names[i])) continue;
      if (same_file(names[i], names[j])) {
        return "output files " + names[i] + " and " + names[j] + " are the same file";
      }
    }
  }
  return {};
}

}  // namespace morva
