#include "driver/sequence.h"

#include <ostream>

#include "morva/calculate.h"
#include "report/messages.h"
#include "report/pages.h"
#include "samplefile/writer.h"

namespace morva {

bool calculate_sample(run_state& rs, const sample_record& s, const run_options& opt,
                      std::ostream& err, std::ostream& term) {
  const sample_result r = calculate(s, opt);
  for (int i = 0; i < r.unconverged_mass_balances; ++i) say_mass_balance(term);
  // A refused sample says why on the terminal and leaves nothing in the report.
  if (r.refused) {
    term << refusal_text(*r.refused);
    return true;
  }
  if (!rs.make_report_ready(err)) return false;
  reference_pages(s, opt, r, rs.user, rs.heading, rs.page_separator, rs.report);

  // The liquid of the last calculated step of each kind goes to its process-step file.
  const step_result* last_cooled = nullptr;
  const step_result* last_boiled = nullptr;
  for (const step_result& step : r.steps) {
    for (int i = 0; i < step.unconverged_mass_balances; ++i) say_mass_balance(term);
    if (!step.state) {
      say_skipped(step, term);
      continue;
    }
    step_pages(s, step, rs.page_separator, rs.report);
    (step.kind == step_kind::cooling ? last_cooled : last_boiled) = &step;
  }
  if (last_cooled != nullptr) pickup(*last_cooled->state, last_cooled->t_c, s, rs.cool);
  if (last_boiled != nullptr) pickup(*last_boiled->state, last_boiled->t_c, s, rs.boil);
  return true;
}

}  // namespace morva
