// Flexural rigidity of the wall stations: elastic (constant or tapered) from
// the wall sections and their cross sections, or the secant M/phi of a
// moment-curvature curve at the station's current curvature.
#pragma once

#include <optional>

#include "common/run_context.h"

namespace kestro {

// The moment-curvature curve that gives cross section `index` (0-based) its
// rigidity: for a user-defined EI section (nonlinear type 10) the EI set its
// D29 names, for any other nonlinear section its first thrust level.  Null for
// an elastic section or when no curve was read for it.  Throws InputError when
// a user-defined EI section names a set that does not exist.
const MomentCurvatureCurve* section_curve(const WallTables& tables, int index);

// Secant rigidity M/phi of the curve at curvature `phi` (not negative): for
// phi at or below the single-precision 1.0E-8 the secant through the second
// point, beyond the last point the last point's secant, otherwise the secant
// of the moment interpolated between neighbouring points.  Empty for a curve
// of fewer than two points.
std::optional<double> secant_rigidity(const MomentCurvatureCurve& curve, double phi);

// Writes EI(s) for every station 0..N from the wall section containing the
// station's depth (feet in English units, metres in SI): above the first
// section its top values, below the last its bottom values.  Elastic sections
// interpolate E*I linearly between top and bottom; nonlinear sections take the
// secant rigidity at the curvature |w(s-1) - 2w(s) + w(s+1)|/h^2 of the
// current deflections, and leave EI unchanged for a curve of fewer than two
// points.  With no wall sections EI is left as the stiffness table set it.
// Throws InputError when a user-defined EI section names a missing set.
void evaluate_flexural_rigidity(RunContext& context);

// Writes to the report the "* USER DEFINED NONLINEAR EI *" block (every EI
// set named by a nonlinear type-10 cross section, in set order) and the
// "* INTERNALLY GENERATED NONLINEAR EI *" block (the first thrust level of
// every other nonlinear cross section), each only when such sections exist.
// Throws InputError when a user-defined EI section names a missing set.
void echo_nonlinear_ei(RunContext& context);

}  // namespace kestro
