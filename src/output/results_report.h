// The results of a problem: deflection, slope, moment, shear and net force
// along the wall, restraint and tie-back forces and the reactions at
// specified deflections, computed once from the final solution and kept for
// the report and the plot-data file.
#pragma once

#include <vector>

namespace kestro {

struct RunContext;

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

// Computes the results from context.wall (final deflections w(-2)..w(N+2),
// so the end stations must already be extrapolated, EI and soil reaction),
// the spring, couple and tie-back records of context.tables and the
// specified points.  Spring records whose TO lies before their FROM give no
// rows.  Reads nothing else and writes nothing.
ResultsTable compute_results(const RunContext& context);

// Writes the results of the problem to the report: the header with the
// number of iterations, then either the non-convergence warning (also to the
// monitor file) or the results tables.  With tables, the end deflections are
// extrapolated, context.results is filled and context.have_results is set;
// after a warning, or when the iteration ended on a value that is not finite
// (it has written its own message), only the header is written and
// context.have_results stays false.
void write_results(RunContext& context);

}  // namespace kestro
