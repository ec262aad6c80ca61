// Flexural rigidity of the stations: section lookup by depth, tapered
// interpolation, the secant of moment-curvature curves, user-defined EI sets
// and the echo of the curves.
#include "solver/flexural_rigidity.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "driver/run_context.h"
#include "support/section_fixture.h"

namespace kestro {
namespace {

using testing::Context;
using testing::curve;
using testing::elastic;
using testing::nonlinear;

constexpr double kRelative = 1e-12;  // relative tolerance of exact-arithmetic checks

void expect_relative(double actual, double expected, const std::string& what) {
  EXPECT_NEAR(actual, expected, kRelative * std::abs(expected)) << what;
}

TEST(ElasticRigidity, TaperedSectionInterpolatesByDepth) {
  Context c(10, 1.0, UnitSystem::si);
  c.context.problem.tables.cross_sections = {elastic(1000.0, 2000.0)};
  c.context.problem.tables.wall_sections = {{0.0, 10.0, 1}};
  evaluate_flexural_rigidity(solver_context(c.context));
  for (int s = 0; s <= 10; ++s)
    expect_relative(c.context.problem.wall.EI[s], 1000.0 + 100.0 * s,
                    "station " + std::to_string(s));
  EXPECT_EQ(c.context.problem.wall.EI[11], 0.0);  // nothing written beyond the wall
}

TEST(ElasticRigidity, EnglishDepthsAreInFeet) {
  // h = 12 in: station 5 lies 5 ft down, in the middle of a 0..10 ft taper.
  Context english(10, 12.0, UnitSystem::english);
  english.context.problem.tables.cross_sections = {elastic(1000.0, 2000.0)};
  english.context.problem.tables.wall_sections = {{0.0, 10.0, 1}};
  evaluate_flexural_rigidity(solver_context(english.context));
  expect_relative(english.context.problem.wall.EI[5], 1500.0, "English station 5");
  // The same numbers in SI put station 5 at 60 m, below the section.
  Context si(10, 12.0, UnitSystem::si);
  si.context.problem.tables.cross_sections = {elastic(1000.0, 2000.0)};
  si.context.problem.tables.wall_sections = {{0.0, 10.0, 1}};
  evaluate_flexural_rigidity(solver_context(si.context));
  expect_relative(si.context.problem.wall.EI[5], 2000.0, "SI station 5");
}

TEST(ElasticRigidity, OutsideTheSectionsTheEndValuesHold) {
  // Sections 2..4 m (100 to 200) and 4..6 m (300 to 400) on a wall 0..8 m.
  Context c(8, 1.0, UnitSystem::si);
  c.context.problem.tables.cross_sections = {elastic(100.0, 200.0), elastic(300.0, 400.0)};
  c.context.problem.tables.wall_sections = {{2.0, 4.0, 1}, {4.0, 6.0, 2}};
  evaluate_flexural_rigidity(solver_context(c.context));
  const double expected[] = {100, 100, 100, 150, 200, 350, 400, 400, 400};
  for (int s = 0; s <= 8; ++s)
    expect_relative(c.context.problem.wall.EI[s], expected[s], "station " + std::to_string(s));
}

TEST(ElasticRigidity, NoWallSectionsLeavesTheTableValues) {
  Context c(4, 1.0, UnitSystem::si);
  c.context.problem.wall.EI.fill(0, 4, 123.0);
  evaluate_flexural_rigidity(solver_context(c.context));
  EXPECT_EQ(c.context.problem.wall.EI[2], 123.0);
}

// The curve of most cases below: secants 1e4 at point 2, 5000 at point 3 and
// 1600 at the last point.
MomentCurvatureCurve bilinear_curve() {
  return curve({0.0, 10.0, 15.0, 16.0}, {0.0, 0.001, 0.003, 0.01});
}

TEST(SecantRigidity, FollowsTheCurve) {
  const MomentCurvatureCurve c = bilinear_curve();
  expect_relative(*secant_rigidity(c, 0.0), 1.0e4, "straight wall: secant of point 2");
  expect_relative(*secant_rigidity(c, 0.0005), 1.0e4, "first segment");
  expect_relative(*secant_rigidity(c, 0.002), 12.5 / 0.002, "second segment");
  expect_relative(*secant_rigidity(c, 0.003), 5000.0, "at a point");
  expect_relative(*secant_rigidity(c, 0.01), 1600.0, "at the last point");
  // Beyond the curve the last point's secant, M(n)/phi(n), not M(n)/phi.
  expect_relative(*secant_rigidity(c, 0.05), 1600.0, "beyond the last point");
}

TEST(SecantRigidity, ThresholdIsTheSinglePrecisionValue) {
  // A curve not through the origin tells the two branches apart: the
  // interpolated moment at a tiny curvature is about 1, its secant 1/phi.
  const MomentCurvatureCurve c = curve({1.0, 11.0}, {0.0, 0.001});
  const double threshold = double(1.0e-8f);
  ASSERT_LT(threshold, 1.0e-8);
  expect_relative(*secant_rigidity(c, threshold), 11000.0, "at the threshold");
  const double phi = 1.0e-8;  // just above the single-precision threshold
  expect_relative(*secant_rigidity(c, phi), (1.0 + phi * 1.0e4) / phi, "just above it");
}

TEST(SecantRigidity, CurvesOfFewerThanTwoPointsGiveNothing) {
  EXPECT_FALSE(secant_rigidity(curve({}, {}), 0.001).has_value());
  EXPECT_FALSE(secant_rigidity(curve({5.0}, {0.001}), 0.001).has_value());
}

TEST(NonlinearRigidity, StationsTakeTheSecantAtTheirCurvature) {
  Context c(4, 0.5, UnitSystem::si);
  WallTables& tables = c.context.problem.tables;
  tables.cross_sections = {nonlinear(NonlinearType::steel_pipe)};
  tables.section_curves = {bilinear_curve()};
  tables.wall_sections = {{0.0, 2.0, 1}};
  // w(3) alone gives station 2 the curvature w(3)/h^2 = 0.002 and station 3
  // the curvature 2 w(3)/h^2 = 0.004; stations 0 and 1 are straight.
  c.context.problem.wall.w[3] = 0.002 * 0.25;
  evaluate_flexural_rigidity(solver_context(c.context));
  expect_relative(c.context.problem.wall.EI[0], 1.0e4, "station 0");
  expect_relative(c.context.problem.wall.EI[1], 1.0e4, "station 1");
  expect_relative(c.context.problem.wall.EI[2], 12.5 / 0.002, "station 2");
  const double M3 = 15.0 + (0.004 - 0.003) * (1.0 / 0.007);
  expect_relative(c.context.problem.wall.EI[3], M3 / 0.004, "station 3");
}

TEST(NonlinearRigidity, ShortCurveLeavesEIUnchanged) {
  Context c(2, 1.0, UnitSystem::si);
  c.context.problem.tables.cross_sections = {nonlinear(NonlinearType::steel_pipe)};
  c.context.problem.tables.section_curves = {curve({5.0}, {0.001})};
  c.context.problem.tables.wall_sections = {{0.0, 2.0, 1}};
  c.context.problem.wall.EI.fill(0, 2, 77.0);
  evaluate_flexural_rigidity(solver_context(c.context));
  EXPECT_EQ(c.context.problem.wall.EI[1], 77.0);
}

TEST(UserDefinedSets, TypeTenSectionsUseTheSetTheyName) {
  Context c(2, 1.0, UnitSystem::si);
  WallTables& tables = c.context.problem.tables;
  tables.ei_sets = {curve({0.0, 1.0}, {0.0, 0.1}), curve({0.0, 9.0}, {0.0, 0.001})};
  tables.cross_sections = {nonlinear(NonlinearType::user_defined_ei, 2)};
  tables.section_curves = {curve({0.0, 1.0}, {0.0, 1.0})};  // the section's own level: unused
  tables.wall_sections = {{0.0, 2.0, 1}};
  evaluate_flexural_rigidity(solver_context(c.context));
  expect_relative(c.context.problem.wall.EI[1], 9000.0, "set 2");
}

}  // namespace
}  // namespace kestro
