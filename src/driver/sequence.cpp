#include "driver/sequence.h"

#include "driver/reference_state.h"
#include "driver/steps.h"

namespace morva {

bool calculate_sample(run_state& rs, const sample_record& s, const run_options& opt,
                      std::ostream& err, std::ostream& term) {
  work_state ws;
  bool suppress = false;
  solve_reference_state(s, opt, ws, suppress, term);
  // A refused sample has said why on the terminal and leaves nothing in the report.
  if (suppress) return true;
  if (!report_reference_state(rs, s, opt, ws, err)) return false;
  process_steps(rs, s, opt, ws, term);
  return true;
}

}  // namespace morva
