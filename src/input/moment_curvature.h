// The moment-curvature records: user-defined nonlinear EI sets and the
// curves given per cross section.
#pragma once

#include "common/run_context.h"

namespace kestro {

// Reads the user-defined sets (when control.ei_sets is positive) and then,
// for every cross section, its thrust levels; the first level of each is
// kept.  Counts above the capacities end the run with "TOO MUCH DATA FOR
// AVAILABLE STORAGE"; negative counts are bad input.
void read_moment_curvature_data(RunContext& context);

}  // namespace kestro
