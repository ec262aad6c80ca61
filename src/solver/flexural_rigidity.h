// Flexural rigidity of the wall stations: elastic (constant or tapered) from
// the wall sections and their cross sections, or the secant M/phi of a
// moment-curvature curve at the station's current curvature.
#pragma once

#include <optional>

#include "input/problem_records.h"
#include "solver/solver_context.h"

namespace kestro {

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
void evaluate_flexural_rigidity(const SolverContext& context);

}  // namespace kestro
