#pragma once
// MORVA as a library: read discharge analyses, calculate each at a reference temperature and
// through cooling and boiling, and use the results as values.

#include "morva/analysis_csv.h"     // IWYU pragma: export
#include "morva/calculate.h"        // IWYU pragma: export
#include "morva/checks.h"           // IWYU pragma: export
#include "morva/geothermometers.h"  // IWYU pragma: export
#include "morva/indexed.h"          // IWYU pragma: export
#include "morva/mineral_curves.h"   // IWYU pragma: export
#include "morva/result.h"           // IWYU pragma: export
#include "morva/sample.h"           // IWYU pragma: export
#include "morva/sample_file.h"      // IWYU pragma: export
#include "morva/tables.h"           // IWYU pragma: export
#include "morva/units.h"            // IWYU pragma: export
