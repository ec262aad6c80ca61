// The frictional p-y models: sand and silt (cohesion and friction).  Each
// *_depth function is a PyModel; the *_side functions compute one half-curve
// without writing, for the model functions and for tests.
#pragma once

#include "soil/py_depth.h"

namespace kestro {

// The A or B factor of the sand criterion at depth over width, static or
// cyclic, linear between the table's ratios and held beyond z/b = 6.
double sand_A(double depth_over_width, bool cyclic);
double sand_B(double depth_over_width, bool cyclic);

// Passive coefficient of a continuous wall with wall friction delta against
// a ground sloping at theta_s (radians).  A slope steeper than PHI counts as
// PHI (the root term is 0); PHI must leave the root term below 1 (checked
// when the profile is built).
double passive_coefficient(double PHI, double delta, double theta_s);

// The frictional ultimate resistance at depth xe: the wedge (pst) and flow
// (psd) resistances of spaced elements, with the sloping-excavation wedge on
// the excavation side, and ps, the resistance used: min(pst, psd) for spaced
// elements, Kp times the overburden times b for a continuous wall (delta is
// the wall friction).  pi is the value of pi the model uses.  Never negative.
struct FrictionalResistance {
  double pst = 0.0;
  double psd = 0.0;
  double ps = 0.0;
};
FrictionalResistance frictional_resistance(const PyDepth& at, bool backfill, double xe, double pi,
                                           double delta);

// The parabolic curve of the sand criterion: the initial line Es*y, the
// parabola C*y^(1/n) from yk to ym, the straight segment of slope m up to yu
// and pu beyond, every p at most Es*y.  A curve without resistance (pm <= 0
// or Es <= 0) is zero at every deflection.
struct ParabolicShape {
  double pu = 0.0;
  double pm = 0.0;
  double yu = 0.0;
  double ym = 0.0;
  double Es = 0.0;
  double m = 0.0;
  double n = 0.0;
  double C = 0.0;
  double yk = 0.0;
  bool zero = false;
};
// Builds the shape; with xe <= 0 the parabola is skipped and yk = yk_no_depth.
// n - 1 = 0 gives yk = 0 (the line C*y lies below Es*y) or no meeting point
// (infinity); a flat segment (m = 0) gives yk = pm/Es.
ParabolicShape parabolic_shape(double pu, double pm, double yu, double ym, double Es, double xe,
                               double yk_no_depth);
// p of the shape at deflection y >= 0.
double parabolic_p(const ParabolicShape& shape, double y);
// The 17 points: the deflections stretched to pu/Es when yu < yk, the first
// step d0 = yk when 0 < yk <= ym/5, else ym/10.
HalfCurve parabolic_curve(const ParabolicShape& shape);

struct SandSide {
  FrictionalResistance resistance;
  double A = 0.0;
  double B = 0.0;
  ParabolicShape shape;
  HalfCurve curve{};
};
// Sand at side depth xe (the side depth, or for deeper layers the depth below
// the layer top plus XEQ).
SandSide sand_side(const PyDepth& at, bool backfill, const PyLoading& loading, double xe);
void sand_depth(PyWriters& out, const PyDepth& at, const PyLoading& loading, PyLayerState& state);

struct SiltSide {
  double Pu_phi = 0.0;  // frictional part
  double Puc = 0.0;     // cohesive part
  double A = 0.0;
  double B = 0.0;
  int case_number = 1;  // where the initial line meets the curve: 1, 2 or 3
  ParabolicShape shape;
  double y2 = 0.0;  // break point of case 2
  double y3 = 0.0;  // pu/Es of case 3
  HalfCurve curve{};
};
SiltSide silt_side(const PyDepth& at, bool backfill, const PyLoading& loading, double xe);
void silt_depth(PyWriters& out, const PyDepth& at, const PyLoading& loading, PyLayerState& state);

// What sand and silt hand on to the layers below (see ContinuedResistance):
// sand A(z/b)*min(pst, psd) at depth z, silt the same plus its cohesive part
// min(Np, 9)*c*b, both on flat ground with the static or cyclic A.
double sand_continued_resistance(const PyDepth& at, const PyLoading& loading, double z);
double silt_continued_resistance(const PyDepth& at, const PyLoading& loading, double z);

// The values of `at` on flat ground for spaced elements: no excavation slope,
// not a continuous wall.
PyDepth flat_ground(const PyDepth& at);

// Wall friction of a continuous wall in silt: 10 degrees.
double silt_wall_friction();

}  // namespace kestro
