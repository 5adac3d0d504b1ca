#pragma once
// The sample screen: one sample on 80 columns and the user's choice of what to do with it.

#include <iosfwd>

#include "morva/sample_file.h"

namespace morva {

/// Shows the sample as read (water analyses back in mg/kg) and reads the choice: the first
/// character of the answer, a blank for an empty answer. False when the keyboard input
/// has ended.
bool screen(const sample_record& s, char& choice, std::istream& keys, std::ostream& term);

}  // namespace morva
