// The difference equation of the beam-column on springs and its solution by
// two-pass recursive elimination, with specified deflections and slopes.
//
// The row at station s is the central-difference form, multiplied by h^4, of
//   (EI w'')'' - ((P + R/h) w')' + (S/h) w = Q/h + (T/h)'
// with loads, springs and couples per station:
//   a w(s-2) + b w(s-1) + c w(s) + d w(s+1) + e w(s+2) = f.
// Rows are written at every station from -1 to N+1.  Zero EI, P and R outside
// the wall make rows -1 and N+1 the boundary rows: zero moment at the ends.
// EI at stations 0 and N is taken as the wall's own rigidity there, as the
// section rigidity gives it, not a half share: the moment that a restrained
// end carries is EI(end) times the curvature there.
#pragma once

#include <optional>

#include "common/wall_model.h"

namespace kestro {

// Coefficients of the difference row at station s (-1..N+1), built from EI,
// working S, working Q, T, R and P.
struct DifferenceRow {
  double a = 0.0;
  double b = 0.0;
  double c = 0.0;
  double d = 0.0;
  double e = 0.0;
  double f = 0.0;
};
DifferenceRow difference_row(const WallModel& model, int s);

// What one solution changed, over the real stations 0..N.
struct SolutionSummary {
  double largest_change = 0.0;      // largest |new w - previous w|
  int stations_over_closure = 0;    // stations whose change exceeds the closure tolerance
  int stations_over_allowable = 0;  // stations whose new |w| exceeds the allowable deflection
};

// The ends of the wall at which a specified slope acts: top when the point is
// at station 0 (its slope row is -1), bottom when it is at station N (its
// last row is N+1).  At such an end the restraint carries a moment, so the
// end's boundary row (zero moment) is no condition of the wall.
struct SlopeSpecifiedEnds {
  bool top = false;
  bool bottom = false;
};
SlopeSpecifiedEnds slope_specified_ends(const WallModel& model);

// The row the elimination imposes at station s, before the specified points
// replace or join rows: the difference row, but beside an end whose slope is
// specified the couple on the end station is left to the restraint, and with
// a slope alone at that end the end's boundary row is added to the end
// station's row.
DifferenceRow elimination_row(const WallModel& model, int s, SlopeSpecifiedEnds ends);

// True for the rows whose equation the solution does not impose, whose
// residuals are what the supports give: the rows of specified deflections
// and the boundary row of an end whose slope is specified (with a slope
// alone the end station's row takes that boundary row in).  The rows of a
// slope inside the wall are imposed together (their sum holds).
bool support_row(const WallModel& model, int s, SlopeSpecifiedEnds ends);

// Solves for the deflections of stations -1..N+1 from the rows -1..N+1, the
// station codes and the specified points (codes set by set_condition_codes
// from the same points).  Fills A, B, C; w(-2), w(N+2) and w(N+3) are used as
// held.
//
// A deflection replaces the row of its station.  A slope inside the wall
// replaces the row before its station by the slope and adds that row's own
// equation to the row after it, so the couple that holds the slope drops out.
// At an end whose slope is specified (see slope_specified_ends) the boundary
// row gives way to the slope instead, and the row of the station next to the
// end keeps its own equation: at a clamp (deflection and slope) the end
// station's row is the given deflection and the moment at the end is free;
// with a slope alone the boundary row is added to the end station's row,
// which then balances the end station's half increment, the moment at the
// end included.  A couple placed on a restrained end station is carried by
// the restraint and moves nothing.
//
// A zero pivot gives that row a zero multiplier instead of a division by
// zero, and the sweep goes on; so does a zero combined pivot where a slope
// joins two rows.  One forward and one backward sweep: linear in N, no
// matrix stored.
SolutionSummary solve_deflections(WallModel& model, double closure_tolerance,
                                  double allowable_deflection);

// After the last solution: w(-2) = 2w(-1) - w(0) and w(N+2) = 2w(N+1) - w(N),
// so the results show the ends continued straight.
void extrapolate_end_deflections(WallModel& model);

}  // namespace kestro
