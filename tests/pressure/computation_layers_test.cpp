// Computation layers, overburden stress and coefficients: Rankine's closed
// forms, the splitting at the excavation level and the water table, the
// stop codes, and the rules of the optional coefficient.
#include "pressure/computation_layers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "common/run_stop.h"

namespace kestro {
namespace {

// The degree conversion is held in single precision: coefficients differ
// from the closed forms by a few parts in 1e7.
constexpr double kRelative = 1.0e-5;

SoilLayer layer(int IDSOIL, double ZBOT, double previous, double gamma, double S, double PHI,
                double P6 = 0.0) {
  SoilLayer l;
  l.IDSOIL = IDSOIL;
  l.ZBOT = ZBOT;
  l.thickness = ZBOT - previous;
  l.top = SoilLayerValues{gamma, S, PHI, 0.0, 0.0, P6};
  l.bottom = l.top;
  return l;
}

WallGroup one_sand_layer(double HFREE, double ZWB) {
  WallGroup wall;
  wall.HFREE = HFREE;
  wall.ZWB = ZWB;
  wall.ZWE = 1000.0;
  wall.FMOD = 1.0;
  wall.WA = wall.WP = 12.0;
  wall.layers = {layer(4, 300.0, 0.0, 0.07, 0.0, 30.0)};
  return wall;
}

TEST(EarthCoefficients, RankineFlatGround) {
  const EarthCoefficients k = earth_coefficients(30.0, 0.0);
  EXPECT_NEAR(k.KA, 1.0 / 3.0, kRelative / 3.0);
  EXPECT_NEAR(k.sqrt_KA, std::sqrt(1.0 / 3.0), kRelative);
  EXPECT_NEAR(k.KP, 3.0, 3.0 * kRelative);
  EXPECT_NEAR(k.K0, 0.5, kRelative);
  EXPECT_FALSE(k.slope_too_steep);
  const EarthCoefficients k34 = earth_coefficients(34.0, 0.0);
  EXPECT_NEAR(k34.KA, 0.282714920, 0.28 * kRelative);
  EXPECT_NEAR(k34.KA * k34.KP, 1.0, kRelative);
  EXPECT_NEAR(k34.K0, 0.440807097, kRelative);
  // Undrained clay: PHI = 0 gives 1 for all three.
  const EarthCoefficients clay = earth_coefficients(0.0, 0.0);
  EXPECT_NEAR(clay.KA, 1.0, kRelative);
  EXPECT_NEAR(clay.KP, 1.0, kRelative);
  EXPECT_NEAR(clay.K0, 1.0, kRelative);
}

TEST(EarthCoefficients, RankineSlopingBackfill) {
  // cos 10 = 0.98481, r = 0.46888: KA = 0.34952.
  const EarthCoefficients k = earth_coefficients(30.0, 10.0);
  EXPECT_NEAR(k.KA, 0.349519834, 0.35 * kRelative);
  EXPECT_NEAR(k.sqrt_KA * k.sqrt_KA, k.KA, 1.0e-12);
  // The slope's sign does not matter; the passive value ignores the slope.
  EXPECT_NEAR(earth_coefficients(30.0, -10.0).KA, 0.349519834, 0.35 * kRelative);
  EXPECT_NEAR(k.KP, 3.0, 3.0 * kRelative);
  // A slope not below PHI keeps the flat-ground value and is flagged.
  const EarthCoefficients steep = earth_coefficients(30.0, 35.0);
  EXPECT_TRUE(steep.slope_too_steep);
  EXPECT_NEAR(steep.KA, 1.0 / 3.0, kRelative);
  EXPECT_TRUE(earth_coefficients(30.0, 30.0).slope_too_steep);
}

TEST(ComputationLayers, SplitAtTheExcavationLevelAndTheWaterTable) {
  // Water below the layers: one split, at HFREE.
  ComputationLayers a =
      split_into_computation_layers(one_sand_layer(120.0, 400.0), UnitSystem::english);
  ASSERT_EQ(a.layers.size(), 2u);
  EXPECT_DOUBLE_EQ(a.layers[1].ZTOP, 120.0);
  EXPECT_DOUBLE_EQ(a.layers[1].thickness, 180.0);
  EXPECT_EQ(a.IEXC, 2);
  EXPECT_EQ(a.IWAT, 0);
  EXPECT_DOUBLE_EQ(a.ZBOTTOM, 300.0);
  // Water table at the excavation level: one split only.
  ComputationLayers b =
      split_into_computation_layers(one_sand_layer(120.0, 120.0), UnitSystem::english);
  ASSERT_EQ(b.layers.size(), 2u);
  EXPECT_EQ(b.IEXC, 2);
  EXPECT_EQ(b.IWAT, 2);
  // Within the tolerance of each other the two depths count once.
  EXPECT_EQ(split_into_computation_layers(one_sand_layer(120.0, 120.000001), UnitSystem::english)
                .layers.size(),
            2u);
  // Two splits.
  ComputationLayers c =
      split_into_computation_layers(one_sand_layer(120.0, 60.0), UnitSystem::english);
  ASSERT_EQ(c.layers.size(), 3u);
  EXPECT_EQ(c.IWAT, 2);
  EXPECT_EQ(c.IEXC, 3);
  // A water table at or above the surface splits nothing and does not keep
  // the excavation level from splitting.
  for (double ZWB : {0.0, -24.0}) {
    ComputationLayers d =
        split_into_computation_layers(one_sand_layer(120.0, ZWB), UnitSystem::english);
    ASSERT_EQ(d.layers.size(), 2u) << ZWB;
    EXPECT_EQ(d.IEXC, 2);
  }
  // A layer boundary at HFREE is no split.
  WallGroup two = one_sand_layer(120.0, 400.0);
  two.layers = {layer(4, 120.0, 0.0, 0.07, 0.0, 30.0), layer(1, 300.0, 120.0, 0.06, 4.0, 0.0)};
  ComputationLayers e = split_into_computation_layers(two, UnitSystem::english);
  ASSERT_EQ(e.layers.size(), 2u);
  EXPECT_EQ(e.IEXC, 2);
  EXPECT_FALSE(e.layers[1].drained);
  EXPECT_DOUBLE_EQ(e.layers[1].S, 4.0);
}

TEST(ComputationLayers, StopCodes) {
  // Layers that end at the free height: no layer begins there.
  WallGroup short_wall = one_sand_layer(300.0, 400.0);
  ComputationLayers a = split_into_computation_layers(short_wall, UnitSystem::english);
  EXPECT_EQ(a.IEXC, 0);
  try {
    check_computation_layers(a, short_wall, UnitSystem::english);
    FAIL() << "no stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::stop_code);
    EXPECT_EQ(stop.stop_code(), StopCode::outside_profile);
    EXPECT_EQ(stop.message().rfind("stop code 1: the soil layers end at 300 in", 0), 0u)
        << stop.message();
  }
  // 21 layers and a split inside the first: 22 would be needed.
  WallGroup many = one_sand_layer(5.0, 400.0);
  many.layers.clear();
  for (int i = 0; i < kMaxSoilLayers; ++i) {
    many.layers.push_back(layer(4, 10.0 * (i + 1), 10.0 * i, 0.07, 0.0, 30.0));
  }
  ComputationLayers b = split_into_computation_layers(many, UnitSystem::english);
  EXPECT_TRUE(b.overflow);
  EXPECT_EQ(b.layers.size(), static_cast<std::size_t>(kMaxComputationLayers));
  try {
    check_computation_layers(b, many, UnitSystem::english);
    FAIL() << "no stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.stop_code(), StopCode::too_many_layers);
  }
  // The same layers with the split on a boundary fit.
  many.HFREE = 50.0;
  EXPECT_FALSE(split_into_computation_layers(many, UnitSystem::english).overflow);
}

struct Computed {
  ComputationLayers layers;
  std::string report;
  std::string monitor;
};

Computed compute(const WallGroup& wall, int option, UnitSystem units = UnitSystem::english) {
  std::ostringstream report_text;
  std::ostringstream monitor_text;
  Computed result;
  {
    TextUnit report;
    TextUnit monitor;
    report.attach(report_text);
    monitor.attach(monitor_text);
    UnitLabels labels;
    set_unit_labels(labels, label_selector(units));
    result.layers = split_into_computation_layers(wall, units);
    compute_stresses_and_coefficients(report, monitor, labels, units, wall, option, result.layers);
    report.close();
    monitor.close();
  }
  result.report = report_text.str();
  result.monitor = monitor_text.str();
  return result;
}

TEST(Overburden, WaterReductionAndAddBack) {
  // Sand 0..96 (0.07 pci), clay 96..300 (0.06 pci, optional coefficient
  // 0.45); water at 60, excavation at 200.  Layers: 0-60, 60-96, 96-200, 200-300.
  WallGroup wall = one_sand_layer(200.0, 60.0);
  wall.QSURF = 1.0;
  wall.layers = {layer(4, 96.0, 0.0, 0.07, 0.0, 30.0), layer(2, 300.0, 96.0, 0.06, 5.0, 0.0, 0.45)};
  const Computed c = compute(wall, 2);
  ASSERT_EQ(c.layers.layers.size(), 4u);
  const double gw = unit_weight_of_water(UnitSystem::english);
  EXPECT_NEAR(gw, 0.036, 1.0e-8);
  // Sand below water is printed and used effective.
  EXPECT_NEAR(c.layers.layers[1].SIGVP, 1.0 + 60 * 0.07, 1.0e-12);
  EXPECT_TRUE(c.layers.layers[1].below_water);
  EXPECT_FALSE(c.layers.layers[0].below_water);
  // Clay at 96: total 1 + 96*0.07 = 7.72; printed effective 7.72 - 36*0.036
  // = 6.424; used total because of its optional coefficient.
  EXPECT_NEAR(c.layers.layers[2].SIGVP, 7.72, 1.0e-12);
  EXPECT_NE(c.report.find("8.000E+00                  6.424E+00"), std::string::npos) << c.report;
  // Clay at 200: total 7.72 + 104*0.06 = 13.96.
  EXPECT_NEAR(c.layers.layers[3].SIGVP, 13.96, 1.0e-12);
}

TEST(OptionalCoefficient, ReplacesTheActiveCoefficient) {
  WallGroup wall = one_sand_layer(120.0, 400.0);
  wall.layers = {layer(4, 96.0, 0.0, 0.07, 0.0, 30.0), layer(2, 200.0, 96.0, 0.06, 5.0, 0.0, 0.45),
                 layer(6, 300.0, 200.0, 0.08, 50.0, 0.0, 0.3)};
  const Computed c = compute(wall, 2);
  ASSERT_EQ(c.layers.layers.size(), 4u);
  const ComputationLayer& clay = c.layers.layers[1];
  // Printed: the computed 1.0 and the optional 0.45; used: 0.45 without
  // cohesion reduction.
  EXPECT_NE(c.report.find(" 2          1.000E+00         1.000E+00         4.500E-01"),
            std::string::npos)
      << c.report;
  EXPECT_DOUBLE_EQ(clay.KA, 0.45);
  EXPECT_EQ(clay.sqrt_KA, 0.0);
  // Rock ignores its sixth parameter.
  EXPECT_EQ(c.layers.layers[3].optional_coefficient, 0.0);
  EXPECT_NEAR(c.layers.layers[3].KA, 1.0, kRelative);
  // Option 5: KA is the optional coefficient, 0 included; the root stays.
  const Computed five = compute(wall, 5);
  EXPECT_EQ(five.layers.layers[0].KA, 0.0);
  EXPECT_NEAR(five.layers.layers[0].sqrt_KA, std::sqrt(1.0 / 3.0), kRelative);
  EXPECT_DOUBLE_EQ(five.layers.layers[1].KA, 0.45);
  EXPECT_EQ(five.layers.layers[1].sqrt_KA, 0.0);
}

TEST(SlopeWarning, OnReportAndMonitorForRetainedLayersOnly) {
  WallGroup wall = one_sand_layer(120.0, 400.0);
  wall.BETA = 35.0;
  const Computed c = compute(wall, 2);
  const std::string warning =
      "\n\n**** WARNING ******\nTHE BACKFILL SLOPE ANGLE SHOULD BE LESS THAN THE 'INTERNAL "
      "FRICTION ANGLE OF SAND.\n";
  EXPECT_NE(c.monitor.find(warning), std::string::npos) << c.monitor;
  // Only the layer above the excavation level warns.
  EXPECT_EQ(c.monitor, warning);
  EXPECT_NE(c.report.find(warning), std::string::npos);
  EXPECT_NEAR(c.layers.layers[0].KA, 1.0 / 3.0, kRelative);
}

}  // namespace
}  // namespace kestro
