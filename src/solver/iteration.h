// The nonlinear iteration: repeated solutions with soil springs re-linearised
// on the station curves and flexural rigidity re-evaluated, until the
// deflections stop changing.
#pragma once

#include <vector>

#include "common/station_curve.h"
#include "kestro/results.h"
#include "solver/solver_context.h"

namespace kestro {

struct IterationResult {
  IterationOutcome outcome = IterationOutcome::converged;
  int iterations = 0;                  // number of iterations to print
  int stations_over_allowable = 0;     // stations beyond the maximum allowable deflection
  int stations_not_closed = 0;         // stations whose change exceeds the tolerance
  std::vector<IterationStep> history;  // the monitor rows
  double force_residual = 0.0;         // of a valid solution: see force_residual()

  // True when the solution is valid and its results are reported: it
  // converged, was a single pass, or reached the iteration limit with every
  // station closed.
  bool valid() const {
    switch (outcome) {
      case IterationOutcome::converged:
      case IterationOutcome::single_pass:
        return true;
      case IterationOutcome::iteration_limit_reached:
        return stations_not_closed == 0;
      case IterationOutcome::allowable_deflection_exceeded:
      case IterationOutcome::not_finite:
        return false;
    }
    return false;
  }
};

// Damping factor of the c-th damped iteration of an oscillating solution
// (c from 0): 0.5, 0.25, 0.75, 0.125, 0.375, 0.625, 0.875, 0.0625, ..., the
// midpoints of ever finer halvings of 0..1, always strictly between 0 and 1.
// A negative c is taken as 0.
double damping_factor(int c);

// Adds the tangent soil springs of the station-curve list at the current
// deflections to working S and working Q, and the soil force per unit length
// to the soil reaction.  Continued curves are interpolated into the next one;
// a continued curve that follows another has its FROM replaced by its TO, in
// the list, for good.  Spans are cut at station N.  A curve of fewer than two
// points contributes nothing.  A negative CONTD is bad input; a span whose
// last station lies before its first ends the run with "ERROR STOP -- STATIONS
// NOT IN ORDER".
void add_soil_springs(const SolverContext& context);

// How far the forces on the solved wall are out of balance: |the sum of the
// loads Q, the soil forces at the final deflections (from the curves
// themselves, not their tangents), the spring and tie-back forces -S*w and
// the reactions of the supports| over the sum of their magnitudes (the
// reactions counted as one).  The iteration solves the tangent lines of the curves, so the
// balance is exact only when the deflections have stopped changing: a
// closure tolerance that is loose for stiff soil leaves a residual.  Zero
// when no force acts.  The curve list is walked as add_soil_springs walks it.
double force_residual(const SolverContext& context);

// Solves the wall repeatedly, re-linearising the soil springs and
// re-evaluating EI, until no station 0..N changes by more than the closure
// tolerance (tested from the third iteration on), the maximum allowable
// deflection is exceeded, the iteration limit is reached, or the deflections
// become NaN or infinite.  Writes the iteration table to the monitor file (and
// a failure line to both monitor and report for non-finite deflections),
// leaves the final deflections, working Q and S, soil reaction and EI in
// context.wall (a valid solution with its imaginary end stations
// extrapolated) and returns how it ended.  A maximum number of iterations of 0 gives one
// solution and no monitoring rows.
IterationResult iterate(const SolverContext& context);

}  // namespace kestro
