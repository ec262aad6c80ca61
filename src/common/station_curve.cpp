#include "common/station_curve.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kestro {

CurveTangent curve_tangent(const StationCurve& curve, double y) {
  const std::size_t n = std::min(curve.y.size(), curve.p.size());
  if (n < 2) return {};
  if (curve.source == CurveSource::generated) {
    if (y <= curve.y.front()) return {0.0, curve.p.front(), curve.p.front()};
    if (y >= curve.y[n - 1]) return {0.0, curve.p[n - 1], curve.p[n - 1]};
  }
  std::size_t j = 1;
  while (j + 1 < n && y > curve.y[j])
    ++j;
  const double dy = curve.y[j] - curve.y[j - 1];
  if (dy == 0.0) return {};
  CurveTangent t;
  t.kt = (curve.p[j] - curve.p[j - 1]) / dy;
  t.p = curve.p[j - 1] + (y - curve.y[j - 1]) * t.kt;
  t.p0 = curve.p[j - 1] - curve.y[j - 1] * t.kt;
  return t;
}

double side_ultimate(const StationCurve& curve, double y) {
  const std::size_t n = std::min(curve.y.size(), curve.p.size());
  double largest = 0.0;
  for (std::size_t j = 0; j < n; ++j) {
    const bool resists = y >= 0.0 ? curve.y[j] > 0.0 && curve.p[j] < 0.0
                                  : curve.y[j] < 0.0 && curve.p[j] > 0.0;
    if (resists) largest = std::max(largest, std::abs(curve.p[j]));
  }
  return largest;
}

}  // namespace kestro
