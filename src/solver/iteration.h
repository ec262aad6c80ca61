// The nonlinear iteration: repeated solutions with soil springs re-linearised
// on the station curves and flexural rigidity re-evaluated, until the
// deflections stop changing.
#pragma once

#include <vector>

namespace kestro {

// A p-y curve attached to stations FROM..TO, with points (y, p*h) in
// increasing y and the multipliers already applied.  CONTD non-zero: the
// curve is interpolated into the next one.
struct StationCurve {
  int FROM = 0;
  int TO = 0;
  int CONTD = 0;
  std::vector<double> y;
  std::vector<double> p;
};

// At most this many curves in the station-curve list.
inline constexpr int kMaxStationCurves = 400;

enum class IterationOutcome {
  converged,
  allowable_deflection_exceeded,  // "MAX ALLOWABLE DEFLECTION EXCEEDED"
  iteration_limit_reached,        // "MAXIMUM NUMBER OF ITERATIONS  REACHED"
  single_pass,                    // maximum number of iterations 0: one solution
  not_finite,                     // a deflection became NaN or infinite
};

struct IterationResult {
  IterationOutcome outcome = IterationOutcome::converged;
  int iterations = 0;               // number of iterations to print
  int stations_over_allowable = 0;  // stations beyond the maximum allowable deflection
  int stations_not_closed = 0;      // stations whose change exceeds the tolerance
};

}  // namespace kestro
