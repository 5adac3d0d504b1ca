#include "driver/sequence.h"

namespace morva {

bool calculate_sample(run_state&, const sample_record&, const run_options&, std::ostream&,
                      std::ostream&) {
  // The reference-state calculation, its report and the process steps plug in here.
  return true;
}

}  // namespace morva
