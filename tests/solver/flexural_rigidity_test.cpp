// Flexural rigidity of the stations: section lookup by depth, tapered
// interpolation, the secant of moment-curvature curves, user-defined EI sets
// and the echo of the curves.
#include "solver/flexural_rigidity.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "common/input_error.h"

namespace kestro {
namespace {

constexpr double kRelative = 1e-12;  // relative tolerance of exact-arithmetic checks

struct Context {
  Context(int N, double h, UnitSystem units) {
    context.wall.N = N;
    context.wall.h = h;
    context.geometry.N = N;
    context.geometry.h = h;
    context.control.units = units;
    set_unit_labels(context.labels, label_selector(units));
    context.report.attach(report);
  }
  std::ostringstream console;
  std::ostringstream report;
  RunContext context{".", console, Clock{}};
};

CrossSection elastic(double EI_top, double EI_bottom) {
  CrossSection section;
  section.E_top = 10.0;
  section.I_top = EI_top / 10.0;
  section.E_bottom = 20.0;
  section.I_bottom = EI_bottom / 20.0;
  return section;
}

CrossSection nonlinear(NonlinearType type, int set = 0) {
  CrossSection section;
  section.nonlinear_flag = 1;
  section.D[1] = static_cast<int>(type);
  section.D[29] = set;
  return section;
}

MomentCurvatureCurve curve(std::vector<double> M, std::vector<double> phi, double thrust = 0.0) {
  MomentCurvatureCurve c;
  c.thrust = thrust;
  c.M = std::move(M);
  c.phi = std::move(phi);
  return c;
}

void expect_relative(double actual, double expected, const std::string& what) {
  EXPECT_NEAR(actual, expected, kRelative * std::abs(expected)) << what;
}

TEST(ElasticRigidity, TaperedSectionInterpolatesByDepth) {
  Context c(10, 1.0, UnitSystem::si);
  c.context.tables.cross_sections = {elastic(1000.0, 2000.0)};
  c.context.tables.wall_sections = {{0.0, 10.0, 1}};
  evaluate_flexural_rigidity(c.context);
  for (int s = 0; s <= 10; ++s)
    expect_relative(c.context.wall.EI[s], 1000.0 + 100.0 * s, "station " + std::to_string(s));
  EXPECT_EQ(c.context.wall.EI[11], 0.0);  // nothing written beyond the wall
}

TEST(ElasticRigidity, EnglishDepthsAreInFeet) {
  // h = 12 in: station 5 lies 5 ft down, in the middle of a 0..10 ft taper.
  Context english(10, 12.0, UnitSystem::english);
  english.context.tables.cross_sections = {elastic(1000.0, 2000.0)};
  english.context.tables.wall_sections = {{0.0, 10.0, 1}};
  evaluate_flexural_rigidity(english.context);
  expect_relative(english.context.wall.EI[5], 1500.0, "English station 5");
  // The same numbers in SI put station 5 at 60 m, below the section.
  Context si(10, 12.0, UnitSystem::si);
  si.context.tables.cross_sections = {elastic(1000.0, 2000.0)};
  si.context.tables.wall_sections = {{0.0, 10.0, 1}};
  evaluate_flexural_rigidity(si.context);
  expect_relative(si.context.wall.EI[5], 2000.0, "SI station 5");
}

TEST(ElasticRigidity, OutsideTheSectionsTheEndValuesHold) {
  // Sections 2..4 m (100 to 200) and 4..6 m (300 to 400) on a wall 0..8 m.
  Context c(8, 1.0, UnitSystem::si);
  c.context.tables.cross_sections = {elastic(100.0, 200.0), elastic(300.0, 400.0)};
  c.context.tables.wall_sections = {{2.0, 4.0, 1}, {4.0, 6.0, 2}};
  evaluate_flexural_rigidity(c.context);
  const double expected[] = {100, 100, 100, 150, 200, 350, 400, 400, 400};
  for (int s = 0; s <= 8; ++s)
    expect_relative(c.context.wall.EI[s], expected[s], "station " + std::to_string(s));
}

TEST(ElasticRigidity, NoWallSectionsLeavesTheTableValues) {
  Context c(4, 1.0, UnitSystem::si);
  c.context.wall.EI.fill(0, 4, 123.0);
  evaluate_flexural_rigidity(c.context);
  EXPECT_EQ(c.context.wall.EI[2], 123.0);
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
  WallTables& tables = c.context.tables;
  tables.cross_sections = {nonlinear(NonlinearType::steel_pipe)};
  tables.section_curves = {bilinear_curve()};
  tables.wall_sections = {{0.0, 2.0, 1}};
  // w(3) alone gives station 2 the curvature w(3)/h^2 = 0.002 and station 3
  // the curvature 2 w(3)/h^2 = 0.004; stations 0 and 1 are straight.
  c.context.wall.w[3] = 0.002 * 0.25;
  evaluate_flexural_rigidity(c.context);
  expect_relative(c.context.wall.EI[0], 1.0e4, "station 0");
  expect_relative(c.context.wall.EI[1], 1.0e4, "station 1");
  expect_relative(c.context.wall.EI[2], 12.5 / 0.002, "station 2");
  const double M3 = 15.0 + (0.004 - 0.003) * (1.0 / 0.007);
  expect_relative(c.context.wall.EI[3], M3 / 0.004, "station 3");
}

TEST(NonlinearRigidity, ShortCurveLeavesEIUnchanged) {
  Context c(2, 1.0, UnitSystem::si);
  c.context.tables.cross_sections = {nonlinear(NonlinearType::steel_pipe)};
  c.context.tables.section_curves = {curve({5.0}, {0.001})};
  c.context.tables.wall_sections = {{0.0, 2.0, 1}};
  c.context.wall.EI.fill(0, 2, 77.0);
  evaluate_flexural_rigidity(c.context);
  EXPECT_EQ(c.context.wall.EI[1], 77.0);
}

TEST(UserDefinedSets, TypeTenSectionsUseTheSetTheyName) {
  Context c(2, 1.0, UnitSystem::si);
  WallTables& tables = c.context.tables;
  tables.ei_sets = {curve({0.0, 1.0}, {0.0, 0.1}), curve({0.0, 9.0}, {0.0, 0.001})};
  tables.cross_sections = {nonlinear(NonlinearType::user_defined_ei, 2)};
  tables.section_curves = {curve({0.0, 1.0}, {0.0, 1.0})};  // the section's own level: unused
  tables.wall_sections = {{0.0, 2.0, 1}};
  evaluate_flexural_rigidity(c.context);
  expect_relative(c.context.wall.EI[1], 9000.0, "set 2");
}

TEST(UserDefinedSets, AMissingSetIsBadInput) {
  for (int set : {0, 3, -1}) {
    Context c(2, 1.0, UnitSystem::si);
    WallTables& tables = c.context.tables;
    tables.ei_sets = {curve({0.0, 1.0}, {0.0, 0.1}), curve({0.0, 9.0}, {0.0, 0.001})};
    tables.cross_sections = {nonlinear(NonlinearType::user_defined_ei, set)};
    tables.section_curves.resize(1);
    tables.wall_sections = {{0.0, 2.0, 1}};
    try {
      evaluate_flexural_rigidity(c.context);
      ADD_FAILURE() << "set " << set << " accepted";
    } catch (const InputError& error) {
      EXPECT_NE(std::string(error.what()).find("names nonlinear EI set " + std::to_string(set)),
                std::string::npos)
          << error.what();
    }
    EXPECT_THROW(echo_nonlinear_ei(c.context), InputError);
  }
}

TEST(NonlinearEcho, WritesBothBlocksInTheirLayout) {
  Context c(2, 1.0, UnitSystem::si);
  WallTables& tables = c.context.tables;
  tables.ei_sets = {curve({0.0, 50.0}, {0.0, 0.002}, 100.0), curve({0.0, 1.0}, {0.0, 1.0})};
  // Cross section 1: user set 1; 2: elastic; 3: a steel pipe with its level.
  tables.cross_sections = {nonlinear(NonlinearType::user_defined_ei, 1), elastic(1.0, 1.0),
                           nonlinear(NonlinearType::steel_pipe)};
  tables.section_curves = {curve({}, {}), curve({}, {}), curve({0.0, 24.0}, {0.0, 0.5}, -2.5)};
  echo_nonlinear_ei(c.context);
  // Zero curvature: no EI column.  0.002 has too many leading zeros for F14
  // with five digits and goes to 1PE14.5; the other values print in F.
  const std::string expected =
      "\n"
      "     * USER DEFINED NONLINEAR EI *\n"
      "\n"
      "        SET          =      1\n"
      "\n"
      "        AXIAL THRUST =    100.0000    KN\n"
      "\n"
      "        N            CURVATURE         MOMENT           EI   \n"
      "                      RAD/ M           KN- M           KN- M**2\n"
      "         1           0.00000           0.00000 \n"
      "         2       2.00000E-03           50.0000           25000.0 \n"
      " \n"
      "\n"
      "     * INTERNALLY GENERATED NONLINEAR EI *\n"
      "\n"
      "        SET          =      3\n"
      "\n"
      "        AXIAL THRUST =     -2.5000    KN\n"
      "\n"
      "        N            CURVATURE         MOMENT           EI   \n"
      "                      RAD/ M           KN- M           KN- M**2\n"
      "         1           0.00000           0.00000 \n"
      "         2           0.50000           24.0000           48.0000 \n"
      " \n";
  EXPECT_EQ(c.report.str(), expected);
}

TEST(NonlinearEcho, NothingForElasticWalls) {
  Context c(2, 1.0, UnitSystem::si);
  c.context.tables.cross_sections = {elastic(1.0, 2.0)};
  echo_nonlinear_ei(c.context);
  EXPECT_EQ(c.report.str(), "");
}

}  // namespace
}  // namespace kestro
