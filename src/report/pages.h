#pragma once
// The report block of one calculated sample: the pages of its reference state and of each
// calculated process step.

#include <iosfwd>
#include <string>

#include "morva/result.h"
#include "morva/sample.h"

namespace morva {

/// Page separator before the report file exists (NUL) and once it does (form feed).
inline constexpr char separator_nul = '\0';
inline constexpr char separator_form_feed = '\f';

/// The two pages of the reference state of sample s, calculated with opt into r, under the
/// user (20 characters) and heading (80) of the run. Each page opens with the page separator,
/// which is a form feed from the middle of the first reported sample on.
void reference_pages(const sample_record& s, const run_options& opt, const sample_result& r,
                     const std::string& user, const std::string& heading, char& page_separator,
                     std::ostream& rep);

/// The two pages of a calculated process step of sample s, each opened by page_separator.
void step_pages(const sample_record& s, const step_result& step, char page_separator,
                std::ostream& rep);

}  // namespace morva
