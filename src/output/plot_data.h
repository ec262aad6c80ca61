// The plot-data file (unit 3): the groups the front end draws.
#pragma once

#include <optional>

#include "common/text_unit.h"
#include "input/problem_records.h"
#include "output/results_report.h"

namespace kestro {

// The results group that closes a problem.  With results (the solver ended
// with a valid solution and its tables were written) the full block, whose
// first value is stage_code; otherwise the short block: the same record with
// the stage code 0.
void write_results_group(TextUnit& plot, const ControlParameters& control, const Geometry& geometry,
                         const std::optional<ResultsTable>& results, int stage_code);

}  // namespace kestro
