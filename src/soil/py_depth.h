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
#include <ostream>
#include <string>
#include <vector>

#include "common/list_input.h"
#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "soil/soil_profile.h"

namespace kestro {

// Points per half-curve (one side of the wall) of a generated curve.
inline constexpr int kHalfCurvePoints = 17;

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
// depths of the current layer with their c and pu, the resistance integral
// kept for the equivalent depth of deeper layers, and that depth.
struct PyLayerState {
  double R = 0.0;                       // integral kept by the completed shallower layers
  double kept = 0.0;                    // integral kept so far by the current layer
  double XEQ = 0.0;                     // equivalent depth of the current layer (0 for the first)
  std::vector<double> depths;           // earlier curve depths of the layer
  std::vector<double> c_values;         // c at those depths
  std::vector<double> pu_values;        // excavation-side pu (or pc) at those depths
  std::vector<double> residual_values;  // residual resistance kept by stiff clay with free water

  // Starts a layer: the layer above's integral joins R.
  void next_layer() {
    R += kept;
    kept = 0.0;
    XEQ = 0.0;
    depths.clear();
    c_values.clear();
    pu_values.clear();
    residual_values.clear();
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

// Where a model writes.
struct PyWriters {
  TextUnit& report;
  TextUnit& curve_file;
  std::ostream& console;
  const SoilProfile& profile;
  const WallGroup& group;
  const ListInput& input;  // names the input data file in messages
};

// The side title ("AT THE EXCAVATION SIDE" or "AT THE BACKFILL SIDE").
void write_side_title(TextUnit& report, bool backfill);

// Writes a half-curve: its 17 rows in `row_format` (y' = ym*y, p' = pm*p),
// each followed by the small-deflection warning when marked, the multiplier
// line, and the 17 point lines of the p-y curve file.  On the excavation side
// the file's curve head (x + H, 34) comes first.
void write_half_curve(PyWriters& out, const PyDepth& at, bool backfill,
                      const FortranFormat& row_format, const HalfCurve& curve);

// The same with the file's point lines in `file_format` (point number, p, y)
// and, when multiplier_line is false, without the multiplier line.
void write_half_curve(PyWriters& out, const PyDepth& at, bool backfill,
                      const FortranFormat& row_format, const FortranFormat& file_format,
                      bool multiplier_line, const HalfCurve& curve);

// One point line of the p-y curve file: point number, p and y.
void write_curve_file_point(TextUnit& curve_file, int number, double p, double y);

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

// The equivalent depth of a layer below the first, from the integral R kept
// by the layers above: the depth at which the soft-clay resistance of a
// homogeneous profile of this layer's c, mean unit weight and width b
// integrates to R.  Cyclic soft clay uses its residual resistance beyond the
// transition depth.  A layer without strength (c <= 0) has no equivalent
// depth (0).
double equivalent_depth(double R, double c, double gamma_avg, double b, bool cyclic_soft_clay);

// The factor 1/(1 + tan(theta)) on the resistance of a sloping excavation
// side; 1 when theta <= 0.
double slope_factor(double theta);

}  // namespace kestro
