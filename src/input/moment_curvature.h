// The moment-curvature records: user-defined nonlinear EI sets and the
// curves given per cross section, and their echo.
#pragma once

#include "input/input_context.h"

namespace kestro {

// Reads the user-defined sets (when control.ei_sets is positive) and then,
// for every cross section, its thrust levels; the first level of each is
// kept.  Counts above the capacities end the run with "TOO MUCH DATA FOR
// AVAILABLE STORAGE"; negative counts, and a user-defined EI section naming
// a set that was not given, are bad input.
void read_moment_curvature_data(const InputContext& context);

// The moment-curvature curve that gives cross section `index` (0-based) its
// rigidity: for a user-defined EI section (nonlinear type 10) the EI set its
// D29 names, for any other nonlinear section its first thrust level.  Null for
// an elastic section, when no curve was read for it, or for a set that does
// not exist (which the reader refuses).
const MomentCurvatureCurve* section_curve(const WallTables& tables, int index);

// Writes to the report the "* USER DEFINED NONLINEAR EI *" block (every EI
// set named by a nonlinear type-10 cross section, in set order) and the
// "* INTERNALLY GENERATED NONLINEAR EI *" block (the first thrust level of
// every other nonlinear cross section), each only when such sections exist.
void echo_nonlinear_ei(const InputContext& context);

}  // namespace kestro
