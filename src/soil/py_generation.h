// Generation of the p-y curves of a problem from its soil layers, and their
// hand-over to the solver through the p-y curve file: the curves are printed
// in the report and written to the file, and every curve the file carries
// becomes a station curve.  The solver gets the values as the file's records
// keep them (py_curve_file.h): the depths list-directed, the points to four
// significant digits (three for silt and weak rock).
//
// The driver calls, for a problem with p-y generation option 2:
//   1. read_reduction_factors (py_multipliers.h) at record 10 when control
//      item 5 is positive;
//   2. read_held_user_curves (user_curves.h) at record 12 when control item 8
//      is positive;
//   3. generate_soil_resistance, after the wall group has been read and the
//      earth pressure computed, before the iteration.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "common/station_curve.h"
#include "common/text_unit.h"
#include "common/transient_file.h"
#include "input/problem_records.h"
#include "pressure/wall_group.h"
#include "soil/py_curve_file.h"
#include "soil/py_depth.h"
#include "soil/py_multipliers.h"

namespace kestro {

// A user p-y curve held to be written ahead of the generated curves: its
// station and its points with the multipliers applied (p per unit length).
struct HeldUserCurve {
  int STA = 0;
  std::vector<double> y;
  std::vector<double> p;
};

// What the p-y generation takes from a problem's records besides the wall
// group: the modification factors and the held user curves.  The held curves
// outlive the problem (earth-pressure option 4 reuses them).
struct SoilResistanceInput {
  ReductionFactors factors;
  std::vector<HeldUserCurve> held_user_curves;
};

// Prints the soil echo and the curves of every p-y layer in the report and
// returns the p-y curve file: the held user curves, then five curves per
// layer.  Stops as build_soil_profile and the
// profile lookups say (and the models: weak rock without strength below the
// first curve depth of its layer stops the run); cyclic loading with fewer than one cycle is bad
// input when a stiff clay without free water needs the count.  `input` names the input data file in
// messages.
struct GeneratedCurves {
  std::vector<Warning> warnings;  // what the report warns of
  PyCurveFile file;               // the p-y curve file
  std::vector<CurveTails> tails;  // one per generated curve, in the file's order
};
GeneratedCurves generate_py_curves(const DeckSource& input, TextUnit& report, std::ostream& console,
                                   UnitSystem units, const Geometry& geometry,
                                   const WallGroup& group, const SoilResistanceInput& soil);

// Takes up the curves the p-y curve file carries (read_back_curve: as
// reading its records back gives them) and appends them to `curves`: the
// held user curves at their own stations, then each generated curve at the
// station nearest its depth with 33 points (the backfill half reversed with
// y negated, the excavation half with p negated, the origin between them),
// p times h, and the tails of `tails` (its k-th entry for the k-th generated
// curve) beyond its ends.  The curves appended are then put in station order
// (stably), so that user curves among generated ones continue into their
// neighbours; the plot-data file keeps the file's order.  Every point goes to
// the plot-data file after the group record (unit flag, count); the generated
// curves' depth records are fixed on the first pass and list-directed on
// later ones.  Inside a curve a point may repeat the deflection of the one
// before it.  More than 400 curves in all: "TOO MUCH DATA FOR AVAILABLE
// STORAGE"; no curve: an empty line and a line of 20 blanks in the report.
// A curve whose deflections do not increase, or a record that would not read
// back, is bad input naming the file `label` and the line.
void take_py_curves(const PyCurveFile& file, const std::string& label, TextUnit& report,
                    TextUnit& plot, UnitSystem units, double h, std::vector<StationCurve>& curves,
                    bool first_pass = true, const std::vector<CurveTails>& tails = {});

// The whole step: generate_py_curves, the file's text to `file` when the run
// keeps text, and take_py_curves into `curves`; the warnings of the
// generation are added to `warnings`.
void generate_soil_resistance(const DeckSource& input, TextUnit& report, TextUnit& plot,
                              std::ostream& console, UnitSystem units, const Geometry& geometry,
                              const WallGroup& group, const SoilResistanceInput& soil,
                              std::vector<StationCurve>& curves, const TransientFile& file,
                              std::vector<Warning>& warnings);

}  // namespace kestro
