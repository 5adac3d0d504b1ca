#include "report/run_files.h"

#include <ostream>

#include "batch/output_files.h"
#include "report/pages.h"
#include "samplefile/writer.h"
#include "text/encoding.h"
#include "text/sample_text.h"

namespace morva {

std::string encoded_text(std::string_view latin1, text_encoding e) {
  return e == text_encoding::utf8 ? latin1_to_utf8(latin1) : std::string(latin1);
}

bool run_state::writes_ok(std::ostream& err) const {
  return written(report, file_name(report_file), err) && written(boil, boil_file_name, err) &&
         written(cool, cool_file_name, err);
}

bool run_state::close_all(std::ostream& err) {
  bool ok = closed(report, file_name(report_file), err);
  ok = closed(boil, boil_file_name, err) && ok;
  return closed(cool, cool_file_name, err) && ok;
}

bool run_state::make_report_ready(std::ostream& err) {
  if (page_separator != separator_nul || report.is_open()) return true;
  return replace_file(file_name(report_file), report, err);
}

namespace {

/// Creates a process-step file the first time a sample asks for its kind of steps.
bool open_step_file(bool wanted, const char* name, bool& open, std::ofstream& file,
                    std::ostream& err) {
  if (open || !wanted) return true;
  if (!replace_file(name, file, err)) return false;
  open = true;
  return true;
}

}  // namespace

bool open_step_files(run_state& rs, const run_options& opt, std::ostream& err) {
  return open_step_file(!opt.boil_c.empty(), boil_file_name, rs.boil_open, rs.boil, err) &&
         open_step_file(!opt.cool_c.empty(), cool_file_name, rs.cool_open, rs.cool, err);
}

void sample_pages(const sample_record& s, const run_options& opt, const sample_result& r,
                  const std::string& user, const std::string& heading, char& page_separator,
                  std::ostream& rep) {
  if (s.texts == text_encoding::utf8) {
    // The report is Latin-1: a table's UTF-8 texts as latin1_copy makes them (its caller tells
    // the losses).
    sample_pages(latin1_copy(s, {}).s, opt, r, user, heading, page_separator, rep);
    return;
  }
  reference_pages(s, opt, r, user, heading, page_separator, rep);
  for (const step_result& step : r.steps) {
    if (step.state) step_pages(s, step, page_separator, rep);
  }
}

bool report_sample(run_state& rs, const sample_record& s, const run_options& opt,
                   const sample_result& r, std::ostream& err) {
  if (!rs.make_report_ready(err)) return false;
  sample_pages(s, opt, r, rs.user, rs.heading, rs.page_separator, rs.report);
  return true;
}

last_steps last_calculated_steps(const sample_result& r) {
  last_steps last;
  for (const step_result& step : r.steps) {
    if (step.state) (step.kind == step_kind::cooling ? last.cooled : last.boiled) = &step;
  }
  return last;
}

void write_step_files(run_state& rs, const sample_record& s, const sample_result& r) {
  const last_steps last = last_calculated_steps(r);
  if (last.cooled != nullptr) pickup(*last.cooled->state, last.cooled->t_c, s, rs.cool);
  if (last.boiled != nullptr) pickup(*last.boiled->state, last.boiled->t_c, s, rs.boil);
}

}  // namespace morva
