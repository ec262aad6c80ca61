/* The results of a run as values, for programs that use the C++ API: what
 * the results report and the plot-data file are written from. */
#ifndef KESTRO_RESULTS_H
#define KESTRO_RESULTS_H

#include <cstddef>
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

/* The name of a unit system as the page and the exports show it: "English"
 * or "SI". */
const char* unit_system_name(UnitSystem units);

/* The kinds of value a result carries, each with one unit per unit system. */
enum class Quantity {
  depth,      /* depth X of a station as printed: ft or m */
  length,     /* a length in the engine's base unit: in or m */
  deflection, /* in or m */
  slope,      /* rad */
  angle,      /* deg */
  moment,     /* lb-in or kN-m */
  force,      /* shear, net force, spring, tie-back and point forces: lb or kN */
  per_length, /* soil reaction, p of a p-y curve, loads on the wall, line loads: lb/in or kN/m */
  rigidity,   /* EI: lb-in^2 or kN-m^2 */
  area,       /* in^2 or m^2 */
  pressure,   /* psi or kPa */
};

/* The unit of a quantity in a unit system, e.g. "lb-in" for the moment in
 * English units, "kN/m" for a per-length value in SI. */
const char* unit_name(UnitSystem units, Quantity quantity);

/* The name of how an iteration ended: "converged", "allowable deflection
 * exceeded", "iteration limit reached", "single pass", "not finite". */
const char* iteration_outcome_name(IterationOutcome outcome);

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

/* What a warning of a problem is about. */
enum class WarningKind {
  backfill_slope_too_steep,     /* the backfill slope exceeds a layer's friction angle */
  net_active_pressure_negative, /* no earth pressure loads the wall above the excavation */
  small_deflection_modulus,     /* a p-y curve point below 1e-14 took the secant modulus */
  no_valid_solution,            /* the iteration ended without a valid solution */
  forces_out_of_balance,        /* the force residual of the solution is above 1 % */
};

/* A warning of a problem: its kind, its text (as the console and the page
 * say it) and the place of the input it is about (file empty: none). */
struct Warning {
  WarningKind kind = WarningKind::no_valid_solution;
  std::string text;
  std::string file;
  std::size_t line = 0;
  int item = 0;
  /* In a deck without lines (read from JSON): the JSON path of the value the
   * warning is about; line is then 0. */
  std::string path{};
};

/* One row of the iteration history, as the monitor file shows it. */
struct IterationStep {
  int iteration = 0;
  int stations_not_closed = 0; /* NODES EXC. TOL. */
  double largest_change = 0.0; /* MAX. CHANGE DEFLECTION */
};

/* One point of the pressure on the wall, as a load per unit length of wall
 * (pressure times the effective width) at a depth in base units (inches or
 * metres): the parts of the earth-pressure distribution. */
struct PressureResult {
  double depth = 0.0;
  double load = 0.0;      /* the load applied to the wall */
  double earth = 0.0;     /* earth part of the net pressure, less the surface part */
  double water = 0.0;     /* net water pressure */
  double surface = 0.0;   /* part of the uniform surface pressure */
  double surcharge = 0.0; /* pressure of the surcharge items */
  double apparent = 0.0;  /* apparent-pressure diagram (options 3 and 5), else 0 */
  double passive = 0.0;   /* passive reference, with the surcharge */
  double at_rest = 0.0;   /* at-rest reference, with the surcharge */
};

/* A p-y curve the solver used: its station and depth (X as printed), its
 * points (deflection, soil resistance per unit length of wall) and the point
 * reached: the station's final deflection and the curve's resistance there
 * (beyond its ends as the iteration takes it: a generated curve holds its
 * end values, a user curve extends its end segments).  p_ultimate is the
 * resistance the side of the curve the deflection is on can give (positive
 * y: towards the excavation), its largest |p| that resists; mobilised =
 * |p_reached| / p_ultimate, 0 when that side does not resist (the retained
 * soil above the excavation pushing the wall away from it). */
struct CurveResult {
  int station = 0;
  double X = 0.0;
  std::vector<double> y;
  std::vector<double> p;
  double y_reached = 0.0;
  double p_reached = 0.0;
  double p_ultimate = 0.0;
  double mobilised = 0.0;
};

/* The ground around the wall as the problem gives it, for drawings: depths
 * in base units (inches or metres) from the top of the wall. */
struct GroundLayer {
  int soil_type = 0; /* 1 soft clay .. 7 weak rock */
  double top = 0.0;
  double bottom = 0.0;
};
struct GroundSurcharge {
  int type = 0; /* 1 point, 2 line, 3 strip */
  double magnitude = 0.0;
  double distance = 0.0; /* from the wall (to the middle of a strip) */
  double width = 0.0;    /* of a strip */
};
struct GroundTieback {
  double depth = 0.0;  /* in base units */
  double angle = 0.0;  /* degrees below the horizontal */
  double length = 0.0; /* unbonded length, in base units */
};
struct WallPiece {
  double top = 0.0; /* in base units */
  double bottom = 0.0;
  std::string section; /* name of its cross section */
};
struct Ground {
  bool has_soil = false;       /* the problem gave its wall and soil records */
  double excavation = 0.0;     /* depth of the excavation */
  double water_backfill = 0.0; /* depth of the water table on the retained side */
  double water_excavation = 0.0;
  double backfill_slope = 0.0; /* degrees */
  double surface_pressure = 0.0;
  std::vector<GroundLayer> layers;
  std::vector<GroundSurcharge> surcharges;
  std::vector<GroundTieback> tiebacks;
  std::vector<WallPiece> wall;
  double wall_length = 0.0; /* N*h */
  double width = 0.0;       /* analysis width */
};

}  // namespace kestro

#endif /* KESTRO_RESULTS_H */
