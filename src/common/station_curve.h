// The station-curve list: p-y curves attached to the stations of the wall.
// Written by the user-curve reader, the p-y generation and the retained-soil
// curves; walked by the nonlinear iteration.
#pragma once

#include <vector>

namespace kestro {

// A p-y curve attached to stations FROM..TO, with points (y, p*h) in
// increasing y and the multipliers already applied.  CONTD non-zero: the
// curve is interpolated into the next one.
struct StationCurve {
  int FROM = 0;
  int TO = 0;
  int CONTD = 0;
  std::vector<double> y;
  std::vector<double> p;
};

// At most this many curves in the station-curve list.
inline constexpr int kMaxStationCurves = 400;

}  // namespace kestro
