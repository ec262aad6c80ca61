// The retained-soil curves of earth-pressure option 4: their six deflections
// in English and SI units, the third point and its limits, which stations
// carry curves and which loads, and (in the whole-run tests) a wall moving
// away from the retained soil ending with the active pressure on them.
#include "pressure/retained_soil_curves.h"

#include <gtest/gtest.h>

#include "support/deck_context.h"

#include <cmath>

#include "common/run_stop.h"

namespace kestro {
namespace {

TEST(RetainedSoil, SixDeflections) {
  // Continuous wall (WA/WP = 1), English: -40, -3*12/80 = -0.45,
  // -12/10667, 0, 12/357, 40 inches; the analysis width plays no part.
  const auto english = retained_deflections(36.0, 12.0, 12.0, UnitSystem::english);
  const double expected[6] = {-40.0, -0.45, -12.0 / 10667.0, 0.0, 12.0 / 357.0, 40.0};
  for (std::size_t i = 0; i < 6; ++i)
    EXPECT_NEAR(english[i], expected[i], 1e-12) << i;
  // SI: one foot is 0.3048 m (single precision), the ends at -1 and 1 m.
  const auto si = retained_deflections(1.0, 0.5, 0.6, UnitSystem::si);
  const double foot = 0.3048;
  const double expected_si[6] = {-1.0, -3.0 * foot / 80.0, -foot / 10667.0, 0.0, foot / 357.0, 1.0};
  for (std::size_t i = 0; i < 6; ++i)
    EXPECT_NEAR(si[i], expected_si[i], std::abs(expected_si[i]) * 1e-7) << i;
  // Spaced elements (WA/WP = 4): the analysis width W = 48 in.
  const auto spaced = retained_deflections(48.0, 48.0, 12.0, UnitSystem::english);
  EXPECT_NEAR(spaced[1], -1.8, 1e-12);
  EXPECT_NEAR(spaced[2], -48.0 / 10667.0, 1e-15);
  EXPECT_NEAR(spaced[4], 48.0 / 357.0, 1e-12);
}

TEST(RetainedSoil, ThirdPointAndItsLimits) {
  std::vector<SoilLayer> layers(2);
  layers[0].ZBOT = 120.0;
  layers[0].top.KPY = 50.7;  // t = 50
  layers[1].ZBOT = 600.0;
  layers[1].top.KPY = 200.0;
  // x = 60 in layer 1: p3 = 100 + 50*60*12/10667 = 103.374895.
  EXPECT_NEAR(retained_p3(300.0, 100.0, 60.0, 12.0, layers), 103.3748945, 1e-6);
  // At the layer boundary the upper layer holds; below it the lower one:
  // 100 + 200*180*12/10667 = 140.4987.
  EXPECT_NEAR(retained_p3(300.0, 100.0, 120.0, 12.0, layers), 100.0 + 50.0 * 1440.0 / 10667.0,
              1e-6);
  EXPECT_NEAR(retained_p3(300.0, 100.0, 180.0, 12.0, layers), 140.4987344, 1e-6);
  // Above the passive value, or not above the at-rest value: 1.5 P0.
  EXPECT_EQ(retained_p3(120.0, 100.0, 180.0, 12.0, layers), 150.0);
  layers[0].top.KPY = 0.9;  // t = 0: p3 = P0
  EXPECT_EQ(retained_p3(300.0, 100.0, 60.0, 12.0, layers), 150.0);
}

// A distribution with one point per inch to 120 in: active 0.3x, surcharge 1,
// passive 3x, at rest 0.5x, total load 2x per unit length.
PressureLoads linear_loads(double h) {
  PressureLoads loads;
  for (int i = 0; i <= 120; ++i) {
    PressurePoint p;
    p.x = i;
    p.active_drained = 0.3 * i;
    p.surcharge_surface = 1.0;
    p.passive = 3.0 * i;
    p.at_rest = 0.5 * i;
    p.total = 2.0 * i;
    loads.points.push_back(p);
    loads.P.push_back(p.total * h);
  }
  return loads;
}

TEST(RetainedSoil, CurvesAboveTheExcavationLoadsBelow) {
  // h = 6 in, excavation at 45 in: e = round(7.5) + 1 = 9 (half away from
  // zero).  Stations 1-8 get curves and no load, station 9 nothing,
  // stations 10-20 the loads 2x*h.
  WallModel wall;
  wall.N = 20;
  wall.h = 6.0;
  Geometry geometry;
  geometry.N = 20;
  geometry.h = 6.0;
  geometry.excavation_depth = 45.0;
  geometry.width = 12.0;
  WallGroup group;
  group.WA = 12.0;
  group.WP = 12.0;
  group.layers.resize(1);
  group.layers[0].ZBOT = 200.0;
  group.layers[0].top.KPY = 1000.0;
  std::vector<StationCurve> curves;
  apply_retained_soil(testing::wall_dat(), geometry, UnitSystem::english, group, linear_loads(6.0),
                      wall, curves);
  EXPECT_EQ(excavation_station(45.0, 6.0), 9);
  ASSERT_EQ(curves.size(), 8u);
  for (int m = 1; m <= 9; ++m)
    EXPECT_EQ(wall.Q[m], 0.0) << m;
  for (int m = 10; m <= 20; ++m)
    EXPECT_NEAR(wall.Q[m], 2.0 * 6.0 * m * 6.0, 1e-9) << m;
  // Station 4 at 24 in: Pp = 72, P0 = 12, Pa = 7.2 + 1 = 8.2 per unit length;
  // p3 = 12 + 1000*24*12/10667 = 39.000 < Pp.  Stored as p*h.
  const StationCurve& c = curves[3];
  EXPECT_EQ(c.FROM, 4);
  EXPECT_EQ(c.TO, 4);
  EXPECT_EQ(c.CONTD, 0);
  const double p[6] = {72.0, 72.0, 12.0 + 288000.0 / 10667.0, 12.0, 8.2, 8.2};
  for (std::size_t i = 0; i < 6; ++i)
    EXPECT_NEAR(c.p[i], p[i] * 6.0, 1e-9) << i;
  EXPECT_EQ(c.y[3], 0.0);
}

TEST(RetainedSoil, NoExcavationMeansLoadsFromStationTwo) {
  WallModel wall;
  wall.N = 20;
  wall.h = 6.0;
  Geometry geometry;
  geometry.h = 6.0;
  geometry.width = 12.0;
  WallGroup group;
  group.WA = 12.0;
  group.WP = 12.0;
  std::vector<StationCurve> curves;
  apply_retained_soil(testing::wall_dat(), geometry, UnitSystem::english, group, linear_loads(6.0),
                      wall, curves);
  EXPECT_TRUE(curves.empty());
  EXPECT_EQ(wall.Q[1], 0.0);
  EXPECT_NEAR(wall.Q[2], 2.0 * 12.0 * 6.0, 1e-9);
}

TEST(RetainedSoil, SpacedElementsNeedAUsableWidth) {
  WallModel wall;
  wall.N = 20;
  wall.h = 6.0;
  Geometry geometry;
  geometry.h = 6.0;
  geometry.excavation_depth = 60.0;
  geometry.width = 0.0;
  geometry.line = 3;
  WallGroup group;
  group.WA = 48.0;
  group.WP = 12.0;
  std::vector<StationCurve> curves;
  try {
    apply_retained_soil(testing::wall_dat(), geometry, UnitSystem::english, group,
                        linear_loads(6.0), wall, curves);
    FAIL() << "accepted";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::bad_input);
    EXPECT_NE(stop.message().find("wall.dat, line 3"), std::string::npos) << stop.message();
  }
}

}  // namespace
}  // namespace kestro
