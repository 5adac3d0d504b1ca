#include "driver/sequence.h"

#include <ostream>

#include "morva/calculate.h"
#include "report/messages.h"
#include "report/run_files.h"
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
  if (!report_sample(rs, s, opt, r, err)) return false;
  for (const step_result& step : r.steps) {
    for (int i = 0; i < step.unconverged_mass_balances; ++i) say_mass_balance(term);
    if (!step.state) say_skipped(step, term);
  }
  write_step_files(rs, s, r);
  return true;
}

}  // namespace morva
