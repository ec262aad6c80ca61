// The station-curve list: p-y curves attached to the stations of the wall.
// Written by the user-curve reader, the p-y generation and the retained-soil
// curves; walked by the nonlinear iteration.
#pragma once

#include <vector>

namespace kestro {

// Where a station curve comes from.  It decides how the curve goes on beyond
// its first and last points and which curve governs a station that holds
// several.
enum class CurveSource {
  user,           // given point by point: its end segments are extended
  generated,      // generated from a soil layer: its end values hold
  retained_soil,  // the pressure of the retained soil above the excavation: extended
};

// A p-y curve attached to stations FROM..TO, with points (y, p*h) in
// increasing y and the multipliers already applied.  CONTD non-zero: the
// curve is interpolated into the next one.
struct StationCurve {
  int FROM = 0;
  int TO = 0;
  int CONTD = 0;
  std::vector<double> y;
  std::vector<double> p;
  CurveSource source = CurveSource::user;
};

// At most this many curves in the station-curve list.
inline constexpr int kMaxStationCurves = 400;

// The tangent of a curve at deflection y: stiffness kt = dp/dy, resistance p
// and the intercept p0 of the tangent line (p = p0 + kt*y).
struct CurveTangent {
  double kt = 0.0;
  double p = 0.0;
  double p0 = 0.0;
};

// The tangent of the piecewise-linear curve at y.  Beyond its first or last
// point a user or retained-soil curve extends its end segment; a generated
// curve holds its end value (kt = 0), as its criterion reaches its ultimate
// resistance there.  A curve of fewer than two points, or a segment of zero
// length, gives zeros.
CurveTangent curve_tangent(const StationCurve& curve, double y);

// The resistance the side of the curve that y lies on can give: the largest
// |p| among that side's points that resist (y > 0 with p < 0 when y >= 0;
// y < 0 with p > 0 when y < 0).  Zero when that side does not resist, as on
// the side of a retained-soil curve where the soil pushes the wall.
double side_ultimate(const StationCurve& curve, double y);

}  // namespace kestro
