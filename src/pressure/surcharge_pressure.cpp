#include "pressure/surcharge_pressure.h"

#include <cmath>

namespace kestro {

namespace {

// Constants of the surcharge formulas, held in single precision.
constexpr double kPi = double(3.1416f);
constexpr double kTwoOverPi = double(0.6366f);
constexpr double kThreshold = double(0.4f);  // x/H where the formulas change
constexpr double kPointNear = double(0.28f);
constexpr double kPointFar = double(1.77f);
constexpr double kNearOffset = double(0.16f);
constexpr double kLineNear = double(0.203f);
constexpr double kLineFar = double(1.273f);
// Working surcharge values at or below this contribute nothing.
constexpr double kNegligibleLoad = 1.0e-4;

double strip_shape(double x, double b, double d) {
  const double theta1 = std::atan((x - b / 2.0) / d);
  const double theta2 = std::atan((x + b / 2.0) / d);
  const double beta = theta2 - theta1;
  return beta - std::sin(beta) * std::cos(theta1 + theta2);
}

}  // namespace

double point_load_pressure(double Q, double x, double d, double H) {
  const double m = x / H;
  const double n = d / H;
  const double n2 = n * n;
  if (m <= kThreshold) {
    const double r = kNearOffset + n2;
    return kPointNear * Q / (H * H) * n2 / (r * r * r);
  }
  const double r = m * m + n2;
  return kPointFar * Q / (H * H) * m * m * n2 / (r * r * r);
}

double line_load_pressure(double Q, double x, double d, double H) {
  const double m = x / H;
  const double n = d / H;
  if (m <= kThreshold) {
    const double r = kNearOffset + n * n;
    return kLineNear * Q / H * n / (r * r);
  }
  const double r = m * m + n * n;
  return kLineFar * Q / H * m * m * n / (r * r);
}

double strip_load_pressure(double Q, double x, double b, double d) {
  return 2.0 * Q / kPi * strip_shape(x, b, d);
}

double surcharge_pressure(double z, std::span<const Surcharge> items, double HFREE, double L) {
  if (items.empty() || !(L > 0.0)) return 0.0;
  const double step = L / kSurchargeGridSteps;
  double sum = 0.0;
  for (const Surcharge& item : items) {
    const double Q = item.QSUR * item.FSUR;
    const double zi = z + item.ZSUR;
    // The largest grid step k*step below zi.
    const double steps = zi / step;
    if (!(steps > 1.0)) continue;
    int k = steps > kSurchargeGridSteps + 1 ? kSurchargeGridSteps
                                            : static_cast<int>(std::ceil(steps)) - 1;
    while (k < kSurchargeGridSteps && (k + 1) * step < zi)
      ++k;
    while (k >= 1 && k * step >= zi)
      --k;
    if (k < 1) continue;
    const double d = k * step;
    switch (item.KSUR) {
      case 1:
        sum += point_load_pressure(Q, item.XSUR, d, HFREE);
        break;
      case 2:
        sum += line_load_pressure(Q, item.XSUR, d, HFREE);
        break;
      case 3:
        sum += strip_load_pressure(Q, item.XSUR, item.BSUR, d);
        break;
      default:
        break;
    }
  }
  return sum;
}

double working_surcharge_pressure(const SurfaceSurcharge& working, double z, double HFREE) {
  double sum = 0.0;
  if (working.point_load > kNegligibleLoad) {
    sum += point_load_pressure(working.point_load, working.distance, z, HFREE);
  }
  if (working.line_load > kNegligibleLoad) {
    sum += line_load_pressure(working.line_load, working.distance, z, HFREE);
  }
  if (working.strip_pressure > kNegligibleLoad) {
    sum +=
        kTwoOverPi * working.strip_pressure * strip_shape(working.distance, working.strip_width, z);
  }
  return sum;
}

}  // namespace kestro
