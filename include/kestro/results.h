/* The results of a run as values, for programs that use the C++ API: what
 * the results report and the plot-data file are written from. */
#ifndef KESTRO_RESULTS_H
#define KESTRO_RESULTS_H

#include <optional>
#include <string>
#include <vector>

namespace kestro {

/* Unit flag of a problem's control record.  English: lengths and
 * deflections in inches, forces in pounds, moments in lb-in, EI in lb-in^2,
 * depths X in feet.  SI: metres, kN, kN-m, kN-m^2, depths X in metres. */
enum class UnitSystem : int { english = 1, si = 2 };

/* How the iteration of a problem ended. */
enum class IterationOutcome {
  converged,
  allowable_deflection_exceeded, /* "MAX ALLOWABLE DEFLECTION EXCEEDED" */
  iteration_limit_reached,       /* "MAXIMUM NUMBER OF ITERATIONS  REACHED" */
  single_pass,                   /* maximum number of iterations 0: one solution */
  not_finite,                    /* a deflection became NaN or infinite */
};

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

}  // namespace kestro

#endif /* KESTRO_RESULTS_H */
