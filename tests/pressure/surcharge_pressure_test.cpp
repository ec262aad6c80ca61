// Surcharge pressure against the published formulas worked by hand: point
// and line loads on both sides of x/H = 0.4, the strip beginning at the wall,
// and the stepping of the evaluation grid.
#include "pressure/surcharge_pressure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kestro {
namespace {

// The single-precision constants of the formulas differ from the decimals of
// the hand values by less than this, relatively.
constexpr double kRelative = 1.0e-6;

// Wall of 400 units: grid steps of 2.0; free height 120.
constexpr double kL = 400.0;
constexpr double kH = 120.0;

Surcharge item(int KSUR, double Q, double x, double b = 0.0, double z = 0.0, double f = 1.0) {
  Surcharge s;
  s.KSUR = KSUR;
  s.QSUR = Q;
  s.XSUR = x;
  s.BSUR = b;
  s.ZSUR = z;
  s.FSUR = f;
  return s;
}

double at(double z, const std::vector<Surcharge>& items) {
  return surcharge_pressure(z, items, kH, kL);
}

TEST(SurchargePressure, PointLoadOnBothSidesOfTheThreshold) {
  // z = 59 is evaluated at the grid depth 58: n = 58/120.
  // m = 0.4 (x = 48) still takes 0.28 Q/H^2 n^2/(0.16 + n^2)^3.
  EXPECT_NEAR(at(59.0, {item(1, 1000.0, 48.0)}), 0.0744881153, 0.0744881153 * kRelative);
  // m = 0.41 (x = 49.2) takes 1.77 Q/H^2 m^2 n^2/(m^2 + n^2)^3.
  EXPECT_NEAR(at(59.0, {item(1, 1000.0, 49.2)}), 0.0744612718, 0.0744612718 * kRelative);
}

TEST(SurchargePressure, LineLoadOnBothSidesOfTheThreshold) {
  EXPECT_NEAR(at(59.0, {item(2, 100.0, 24.0)}), 0.527748297, 0.527748297 * kRelative);
  EXPECT_NEAR(at(59.0, {item(2, 100.0, 96.0)}), 0.429969432, 0.429969432 * kRelative);
}

TEST(SurchargePressure, StripLoad) {
  // A strip of width 60 beginning at the wall (centre 30): theta1 = 0 and
  // the pressure is 2q/pi (theta2 - sin theta2 cos theta2), theta2 = atan(60/d).
  // z = 41 is evaluated at d = 40.
  EXPECT_NEAR(at(41.0, {item(3, 2.0, 30.0, 60.0)}), 0.663682812, 0.663682812 * 1.0e-5);
  // A strip from 36 to 84 at d = 58.
  EXPECT_NEAR(at(59.0, {item(3, 2.0, 60.0, 48.0)}), 0.498477578, 0.498477578 * 1.0e-5);
}

TEST(SurchargePressure, GridSteps) {
  const std::vector<Surcharge> line = {item(2, 100.0, 96.0)};
  // Every depth in (58, 60] uses the grid depth 58; just below 60 the next.
  EXPECT_EQ(at(58.5, line), at(59.0, line));
  EXPECT_EQ(at(60.0, line), at(59.0, line));
  EXPECT_NE(at(60.01, line), at(60.0, line));
  // No grid depth lies above 2: nothing at or above it.
  EXPECT_EQ(at(2.0, line), 0.0);
  EXPECT_EQ(at(0.5, line), 0.0);
  EXPECT_GT(at(2.01, line), 0.0);
  // Below the wall the last grid depth (the wall length) holds.
  EXPECT_EQ(at(1000.0, line), at(400.5, line));
  // The surcharge level shifts the depth: z = 50 with ZSUR = 9 is z = 59.
  EXPECT_EQ(at(50.0, {item(2, 100.0, 96.0, 0.0, 9.0)}), at(59.0, line));
}

TEST(SurchargePressure, ItemsAddAndFactorsScale) {
  const double one = at(59.0, {item(2, 100.0, 96.0)});
  EXPECT_DOUBLE_EQ(at(59.0, {item(2, 100.0, 96.0), item(2, 100.0, 96.0)}), 2.0 * one);
  EXPECT_DOUBLE_EQ(at(59.0, {item(2, 100.0, 96.0, 0.0, 0.0, 1.5)}), 1.5 * one);
  EXPECT_EQ(at(59.0, {item(2, 100.0, 96.0, 0.0, 0.0, 0.0)}), 0.0);
  EXPECT_EQ(at(59.0, {item(4, 100.0, 96.0)}), 0.0);
  EXPECT_EQ(at(59.0, {}), 0.0);
}

TEST(SurchargePressure, WorkingValuesAreNotSteppedNorFactored) {
  SurfaceSurcharge working;
  working.line_load = 100.0;
  working.distance = 96.0;
  // Evaluated at the depth itself (58), not at a grid depth.
  EXPECT_NEAR(working_surcharge_pressure(working, 58.0, kH), 0.429969432, 0.43 * kRelative);
  working.line_load = 1.0e-4;  // at or below 1e-4: nothing
  EXPECT_EQ(working_surcharge_pressure(working, 58.0, kH), 0.0);
  SurfaceSurcharge strip;
  strip.strip_pressure = 2.0;
  strip.strip_width = 60.0;
  strip.distance = 30.0;
  // 2/pi held as 0.6366.
  EXPECT_NEAR(working_surcharge_pressure(strip, 40.0, kH), 0.663682812, 0.6637 * 1.0e-4);
}

}  // namespace
}  // namespace kestro
