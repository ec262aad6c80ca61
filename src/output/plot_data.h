// The plot-data file (unit 3): the groups the front end draws.
#pragma once

#include "common/run_context.h"

namespace kestro {

// The results group that closes a problem.  With results (the solver ended
// with a valid solution) the full block, whose first value is stage_code;
// otherwise the short block: the same record with the stage code 0.
void write_results_group(RunContext& context, int stage_code);

}  // namespace kestro
