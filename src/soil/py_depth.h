// What every p-y model gets at one curve depth, what it keeps from one depth
// to the next, and where it writes.  A model is one function with the
// signature of PyModel: the generation driver fills a PyDepth (strength
// lookup, mean unit weight, multipliers ...) for each of the five curve
// depths of a layer and calls the model of the layer's soil type, which
// writes the excavation-side and then the backfill-side half-curve to the
// report and the p-y curve file.  A new model needs a source file with one
// such function and one case in the driver's switch over the soil type.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "common/list_input.h"
#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "input/deck_source.h"
#include "soil/py_curve_file.h"
#include "soil/soil_profile.h"

namespace kestro {

// Loading of the p-y curves.  N is the number of cycles (100 when a cyclic
// loading was given fewer than 1.0E-6); static models that use N set it to 1.
struct PyLoading {
  bool cyclic = false;
  double N = 1.0;
};

// One curve depth.  Strength values are those of the profile at x and serve
// both sides of the wall.
struct PyDepth {
  std::size_t layer = 0;  // p-y layer, 0 for the first
  int number = 1;         // 1..5 within the layer
  double x = 0.0;         // below the excavation surface
  double H = 0.0;         // HFREE: the backfill side's depth is x + H
  double XT = 0.0;        // top of the p-y layer
  double XBot = 0.0;      // bottom of the p-y layer
  double rock_top = 0.0;  // top of the first of the consecutive weak-rock layers down to this one
  double b = 0.0;         // WP, printed as DIAM
  double c = 0.0;         // S at x
  double PHI = 0.0;       // radians
  double E50 = 0.0;
  double P6 = 0.0;
  double KPY = 0.0;          // the layer's top value
  double c_layer_top = 0.0;  // S at the top of the layer (mean c of the first layer)
  double gamma_avg = 0.0;    // mean effective unit weight from the excavation surface to x
  double sigma_v = 0.0;      // backfill overburden at x + H (continuous walls only)
  bool continuous = false;   // WA/WP below 1.1
  double Lf = 12.0;          // one foot in the base length unit
  double theta = 0.0;        // SLOPEX, radians
  double pm = 1.0;           // multipliers at x + H
  double ym = 1.0;
  UnitSystem units = UnitSystem::english;
  std::size_t line = 0;  // line of the layer's IDSOIL record
};

// What the models of one generation keep from depth to depth: the curve
// depths of the current layer with their c (for the mean strength of the
// stiff clays) and the layer's equivalent depth, set by the generation
// driver before the layer's first curve depth.
struct PyLayerState {
  double XEQ = 0.0;              // equivalent depth of the current layer (0 for the first)
  std::vector<double> depths;    // earlier curve depths of the layer
  std::vector<double> c_values;  // c at those depths

  // Starts a layer.
  void next_layer() {
    XEQ = 0.0;
    depths.clear();
    c_values.clear();
  }
};

// One point of a half-curve before the multipliers.  below_tolerance marks a
// point other than the first whose deflection lies below the small-deflection
// tolerance and that got p = k0*y: the warning with k0 follows its row.
struct HalfCurvePoint {
  double y = 0.0;
  double p = 0.0;
  bool below_tolerance = false;
  double k0 = 0.0;
};
using HalfCurve = std::array<HalfCurvePoint, kHalfCurvePoints>;

// Where a half-curve's criterion goes on changing beyond its 17th point: the
// point (after the multipliers) that its last segment reaches, to be held
// beyond.  Cyclic soft clay falls to its residual at 15*y50 and weak rock
// rises to pur; every other generated half-curve ends on its held value and
// has no tail.  Tails travel beside the p-y curve file, not in it.
struct CurveTail {
  bool present = false;
  double y = 0.0;
  double p = 0.0;
};
struct CurveTails {
  CurveTail excavation;
  CurveTail backfill;
};

// Where a model writes.
struct PyWriters {
  TextUnit& report;
  PyCurveFile& curve_file;
  std::ostream& console;
  const SoilProfile& profile;
  const WallGroup& group;
  const DeckSource& input;         // names the input data file in messages
  std::vector<CurveTails>& tails;  // one entry per generated curve, in file order
  std::vector<Warning>& warnings;  // what the report warns of
};

// The side title ("AT THE EXCAVATION SIDE" or "AT THE BACKFILL SIDE").
void write_side_title(TextUnit& report, bool backfill);

// Writes a half-curve: its 17 rows in `row_format` (y' = ym*y, p' = pm*p),
// each followed by the small-deflection warning when marked, the multiplier
// line, and its 17 points to the p-y curve file.  The excavation side starts
// the file's curve at x + H, the backfill side completes it.  The tail, when
// given (its y above the last point's), is kept in out.tails with the
// multipliers applied.
void write_half_curve(PyWriters& out, const PyDepth& at, bool backfill,
                      const FortranFormat& row_format, const HalfCurve& curve,
                      const CurveTail& tail = {});

// The same with the file's point records in `file_layout` (four digits
// above) and, when multiplier_line is false, without the multiplier line.
void write_half_curve(PyWriters& out, const PyDepth& at, bool backfill,
                      const FortranFormat& row_format, PointLayout file_layout,
                      bool multiplier_line, const HalfCurve& curve, const CurveTail& tail = {});

// Depth printed in a curve head: x on the excavation side, x + H on the
// backfill side, in feet with English units.
double printed_depth(const PyDepth& at, bool backfill);

// Depth of a side below its own ground surface: x on the excavation side,
// x + H on the backfill side.
double side_depth(const PyDepth& at, bool backfill);

// The depth a side's resistance is computed at: its side depth in the first
// p-y layer; in deeper layers its depth within the layer plus the layer's
// equivalent depth XEQ.
double equivalent_side_depth(const PyDepth& at, const PyLayerState& state, bool backfill);

// Units printed in the curve heads: stress, unit weight and force per length.
struct CurveUnits {
  std::string stress;       // "LBS/IN**2"
  std::string unit_weight;  // "LBS/IN**3"
  std::string line_load;    // "LBS/IN"
};
CurveUnits curve_units(UnitSystem units);

// The model of one soil type at one curve depth.
using PyModel = void (*)(PyWriters& out, const PyDepth& at, const PyLoading& loading,
                         PyLayerState& state);

// The resistance a layer hands on to the layers below it: the excavation-
// side ultimate resistance, per unit length of wall, of spaced elements in a
// flat, homogeneous profile of the layer's soil (the values of `at`) at depth
// z.  Summed over a layer's depth it is what the layer keeps for the layers
// below; a layer below the first takes as its equivalent depth XEQ the depth
// at which its own such profile, summed from the surface, equals what the
// layers above kept.  Because the same function is summed and inverted, a
// layer split into two identical layers continues as one.
using ContinuedResistance = double (*)(const PyDepth& at, const PyLoading& loading, double z);

// The clay form: min(3 + gamma_avg*z/c + 0.5*z/b, 9)*c*b, the ultimate
// resistance of soft clay and of stiff clay without free water, static or
// cyclic; 0 without strength (c <= 0).
double clay_continued_resistance(const PyDepth& at, const PyLoading& loading, double z);

// The integral of f over [a, b] by the two-point Gauss-Legendre rule on
// `panels` equal panels; f is never evaluated at a or b (a layer boundary).
// Zero when b <= a.
double integrate(const std::function<double(double)>& f, double a, double b, int panels);

// The equivalent depth of a layer: the depth zeq at which a column of the
// layer's own soil, from the surface down to zeq, hands on R, i.e. the
// integral over d in [0, zeq] of resistance(d, zeq - d) equals R, where
// resistance(d, u) is the resistance at depth d of the layer's soil as found
// at height u above the layer's top (its strength continued upwards along
// the layer's own gradient).  The column is summed by integrate() and zeq
// found by regula falsi from a bracket grown from `guess`.  Zero when R <= 0
// or when the column hands on nothing down to a thousand widths.
double equivalent_depth(double R,
                        const std::function<double(double depth, double above_top)>& resistance,
                        double guess, double width);

// The factor 1/(1 + tan(theta)) on the resistance of a sloping excavation
// side; 1 when theta <= 0.
double slope_factor(double theta);

}  // namespace kestro
