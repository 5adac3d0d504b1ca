#include "driver/run.h"

namespace morva {

int run(std::istream&, std::ostream&, std::ostream&) { return 0; }

}  // namespace morva
