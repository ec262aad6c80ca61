// The results of a problem: deflection, slope, moment, shear and net force
// along the wall, restraint and tie-back forces and the reactions at
// specified deflections, computed once from the final solution and kept for
// the report and the plot-data file.
#pragma once

#include <optional>
#include <vector>

#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "common/wall_model.h"
#include "input/problem_records.h"
#include "kestro/results.h"
#include "solver/iteration.h"

namespace kestro {

// What the results step reads: the problem's records, the final solution
// and how the iteration ended; it writes the report and the monitor file.
struct ResultsContext {
  TextUnit& report;
  TextUnit& monitor;
  const UnitLabels& labels;
  const ControlParameters& control;
  const Geometry& geometry;
  const WallTables& tables;
  const WallModel& wall;
  const IterationResult& iteration;
};

// Computes the results from context.wall (final deflections w(-2)..w(N+2),
// with the end stations extrapolated by the solver, EI and soil reaction),
// the spring, couple and tie-back records of context.tables and the
// specified points.  At an end whose slope is specified, the end station's
// net force is that of its half increment, (M(N-1) - M(N))/h at the bottom
// and (M(1) - M(0))/h at the top, and a couple record at that station
// corrects nothing, as the restraint carries it.  Spring records whose TO
// lies before their FROM give no rows.  Reads nothing else and writes nothing.
ResultsTable compute_results(const ResultsContext& context);

// Writes the results of the problem to the report: the header with the
// number of iterations, then either the non-convergence warning (also to the
// monitor file) or the results tables, and returns the results when the
// tables were written.  When the iteration ended on a value that is not
// finite (it has written its own message) only the header is written.
std::optional<ResultsTable> write_results(const ResultsContext& context);

}  // namespace kestro
