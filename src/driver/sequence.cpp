#include "driver/sequence.h"

#include <ostream>

#include "morva/calculate.h"
#include "report/messages.h"
#include "report/pages.h"
#include "samplefile/writer.h"

namespace morva {

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

bool report_sample(run_state& rs, const sample_record& s, const run_options& opt,
                   const sample_result& r, std::ostream& err) {
  if (!rs.make_report_ready(err)) return false;
  reference_pages(s, opt, r, rs.user, rs.heading, rs.page_separator, rs.report);
  for (const step_result& step : r.steps) {
    if (step.state) step_pages(s, step, rs.page_separator, rs.report);
  }
  return true;
}

void write_step_files(run_state& rs, const sample_record& s, const sample_result& r) {
  const step_result* last_cooled = nullptr;
  const step_result* last_boiled = nullptr;
  for (const step_result& step : r.steps) {
    if (step.state) (step.kind == step_kind::cooling ? last_cooled : last_boiled) = &step;
  }
  if (last_cooled != nullptr) pickup(*last_cooled->state, last_cooled->t_c, s, rs.cool);
  if (last_boiled != nullptr) pickup(*last_boiled->state, last_boiled->t_c, s, rs.boil);
}

bool calculate_sample(run_state& rs, const sample_record& s, const run_options& opt,
                      std::ostream& err, std::ostream& term) {
  const sample_result r = calculate(s, opt);
  for (int i = 0; i < r.unconverged_mass_balances; ++i) say_mass_balance(term);
  // A refused sample says why on the terminal and leaves nothing in the report.
  if (r.refused) {
    term << refusal_text(*r.refused);
    return true;
  }
  if (!report_sample(rs, s, opt, r, err)) return false;
  for (const step_result& step : r.steps) {
    for (int i = 0; i < step.unconverged_mass_balances; ++i) say_mass_balance(term);
    if (!step.state) say_skipped(step, term);
  }
  write_step_files(rs, s, r);
  return true;
}

}  // namespace morva
