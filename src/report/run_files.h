#pragma once
// The files of a run of the program: the report and the process-step files "boil.out" and
// "cool.out", what they hold for one calculated sample, and the flags saying which of them have
// been created. The dialog and the batch command line write them alike.

#include <fstream>
#include <iosfwd>
#include <string>
#include <string_view>

#include "morva/result.h"
#include "morva/sample.h"
#include "report/pages.h"

namespace morva {

/// The Latin-1 text of the report or a process-step file as written in encoding e: as it
/// stands, or in UTF-8 with each byte 0x80-0xFF (the degree sign 0xB0) as its two bytes, so
/// that every character keeps its column while the bytes of a line grow.
std::string encoded_text(std::string_view latin1, text_encoding e);

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
  /// a message naming the file on `err`, when it cannot be created; the run must then stop.
  bool make_report_ready(std::ostream& err);
  /// False, with a message naming the file on err, when a write to one of the files has
  /// failed (a full disk, a file too large).
  bool writes_ok(std::ostream& err) const;
  /// Closes the files, writing what is buffered; false, with a message naming the file on
  /// err, when one of them could not be written in full.
  bool close_all(std::ostream& err);
};

/// Creates "boil.out" and "cool.out" the first time a sample of the run asks for boiling or
/// cooling steps (before its calculation, so they exist even when it is refused). False, with a
/// message on err, when one cannot be created.
bool open_step_files(run_state& rs, const run_options& opt, std::ostream& err);

/// The report pages of the calculated sample r of s (the report file of rs created for the
/// first reported sample of the run). False, with a message on err, when it cannot be created.
bool report_sample(run_state& rs, const sample_record& s, const run_options& opt,
                   const sample_result& r, std::ostream& err);

/// The report pages of the calculated sample r of s: the reference pages, then the pages of
/// each calculated step, each opened by page_separator (see reference_pages).
void sample_pages(const sample_record& s, const run_options& opt, const sample_result& r,
                  const std::string& user, const std::string& heading, char& page_separator,
                  std::ostream& rep);

/// The last calculated step of each kind in a result; null where no step of that kind was
/// calculated. Their liquids are what the process-step files keep.
struct last_steps {
  const step_result* cooled = nullptr;
  const step_result* boiled = nullptr;
};
last_steps last_calculated_steps(const sample_result& r);

/// The liquid of the last calculated cooling step to "cool.out" and of the last calculated
/// boiling step to "boil.out".
void write_step_files(run_state& rs, const sample_record& s, const sample_result& r);

}  // namespace morva
