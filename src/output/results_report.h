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
#include "solver/iteration.h"

namespace kestro {

// The values of one station.  X is the depth as printed: feet in English
// units, metres in SI; every other value is in the stored units.
struct StationResult {
  double X = 0.0;
  double deflection = 0.0;
  double slope = 0.0;
  double moment = 0.0;
  double shear = 0.0;
  double soil_reaction = 0.0;
  double net_force = 0.0;  // NET_FORCE/STA, after the couple correction
  double EI = 0.0;
};

// One row of the lateral and rotational restraint results.
struct RestraintResult {
  int station = 0;
  double X = 0.0;
  double force = 0.0;   // S * w of the spring record
  double moment = 0.0;  // R * slope of the spring record
};

// One tie-back: its data as input and the three forces it carries.
struct TiebackResult {
  int number = 0;  // from 1, in input order
  int station = 0;
  double depth = 0.0;
  double spacing = 0.0;
  double area = 0.0;
  double angle = 0.0;
  double prestress = 0.0;
  double horizontal_force = 0.0;   // HOR.FORCE/STA.
  double force = 0.0;              // FORCE/STA., along the tie-back
  double force_per_tieback = 0.0;  // FORCE/TIE BACK
};

// The reaction at one specified point: the net force of its station.
struct NodeReaction {
  int number = 0;  // from 1, in input order
  int station = 0;
  double X = 0.0;
  double force = 0.0;
};

// Everything the results tables show.  stations holds stations 0..N+1
// (index = station number); the report prints 0..N.
struct ResultsTable {
  int N = 0;
  std::vector<StationResult> stations;
  std::vector<RestraintResult> restraints;
  std::vector<TiebackResult> tiebacks;
  std::vector<NodeReaction> node_reactions;
};

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
// specified points.  Spring records whose TO lies before their FROM give no
// rows.  Reads nothing else and writes nothing.
ResultsTable compute_results(const ResultsContext& context);

// Writes the results of the problem to the report: the header with the
// number of iterations, then either the non-convergence warning (also to the
// monitor file) or the results tables, and returns the results when the
// tables were written.  When the iteration ended on a value that is not
// finite (it has written its own message) only the header is written.
std::optional<ResultsTable> write_results(const ResultsContext& context);

}  // namespace kestro
