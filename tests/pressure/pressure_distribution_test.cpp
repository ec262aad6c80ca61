// Layer resultants against the numerical integral of the distribution (the
// two describe the same pressure), the tension zone of a clay layer, the
// earth-pressure file and its read-back, and the station loads.
#include "pressure/pressure_distribution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "common/list_input.h"
#include "common/run_stop.h"
#include "pressure/pressure_loads.h"

namespace kestro {
namespace {

SoilLayer layer(int IDSOIL, double ZBOT, double previous, double gamma, double S, double PHI) {
  SoilLayer l;
  l.IDSOIL = IDSOIL;
  l.ZBOT = ZBOT;
  l.thickness = ZBOT - previous;
  l.top = SoilLayerValues{gamma, S, PHI, 0.0, 0.0, 0.0};
  l.bottom = l.top;
  return l;
}

struct Generated {
  ComputationLayers layers;
  std::vector<PressurePoint> points;
  std::string report;
  std::string console;
};

Generated generate(const WallGroup& wall, double wall_length, int option = 2,
                   UnitSystem units = UnitSystem::english, std::vector<double> tiebacks = {}) {
  Generated g;
  std::ostringstream report_text;
  std::ostringstream monitor_text;
  std::ostringstream console;
  {
    TextUnit report;
    TextUnit monitor;
    report.attach(report_text);
    monitor.attach(monitor_text);
    UnitLabels labels;
    set_unit_labels(labels, label_selector(units));
    g.layers = split_into_computation_layers(wall, units);
    compute_stresses_and_coefficients(report, monitor, labels, units, wall, option, g.layers);
    compute_earth_resultants(report, labels, units, wall, g.layers);
    compute_water_resultants(report, labels, units, wall, g.layers);
    check_net_active(report, console, wall, g.layers);
    DistributionSetup setup;
    setup.earth_pressure_option = option;
    setup.units = units;
    setup.wall_length = wall_length;
    setup.tieback_depths = std::move(tiebacks);
    g.points = pressure_distribution(wall, g.layers, setup);
    report.close();
  }
  g.report = report_text.str();
  g.console = console.str();
  return g;
}

// The integral of value(point) over (top, bottom], from the points inside it;
// the step from top to the first point uses the layer's own values
// extrapolated linearly to its top, since the point at its top belongs to
// the layer above.
template <typename Value>
double layer_integral(const std::vector<PressurePoint>& points, double top, double bottom,
                      Value value) {
  std::vector<const PressurePoint*> inside;
  for (const PressurePoint& p : points) {
    if (p.x > top + 1.0e-9 && p.x <= bottom + 1.0e-9) inside.push_back(&p);
  }
  if (inside.size() < 2) return 0.0;
  const double step = inside[0]->x - top;
  const double at_top = 2.0 * value(*inside[0]) - value(*inside[1]);
  double sum = (at_top + value(*inside[0])) / 2.0 * step;
  for (std::size_t i = 1; i < inside.size(); ++i) {
    sum += (value(*inside[i - 1]) + value(*inside[i])) / 2.0 * (inside[i]->x - inside[i - 1]->x);
  }
  return sum;
}

double net(const PressurePoint& p) {
  return p.net;
}

// Sand 0-120 (PHI 30), sand 120-240 (PHI 34), clay 240-600 (S 5); water
// behind the wall at 180, excavation at 300, surface pressure 1 psi.
WallGroup layered_wall() {
  WallGroup wall;
  wall.HFREE = 300.0;
  wall.WA = 12.0;
  wall.WP = 10.0;
  wall.ZWB = 180.0;
  wall.ZWE = 700.0;
  wall.FMOD = 1.0;
  wall.QSURF = 1.0;
  wall.layers = {layer(4, 120.0, 0.0, 0.07, 0.0, 30.0), layer(4, 240.0, 120.0, 0.072, 0.0, 34.0),
                 layer(2, 600.0, 240.0, 0.065, 5.0, 0.0)};
  return wall;
}

double resultant(const ComputationLayer& l) {
  return l.PA1 + l.PA2 + l.PA3 + l.PA4 + l.PW1 + l.PW2;
}

TEST(LayerResultants, EqualTheIntegralOfTheDistribution) {
  const Generated g = generate(layered_wall(), 480.0);
  ASSERT_EQ(g.layers.IEXC, 5);
  ASSERT_EQ(g.layers.IWAT, 3);
  EXPECT_EQ(g.layers.KWATER, 1);  // set by the water resultants
  // Linear pressures and the trapezoidal rule: agreement to rounding.
  double largest_relative = 0.0;
  for (int i = 0; i + 1 < g.layers.IEXC; ++i) {
    const ComputationLayer& l = g.layers.layers[static_cast<std::size_t>(i)];
    const double integral = layer_integral(g.points, l.ZTOP, l.ZTOP + l.thickness, net);
    EXPECT_NEAR(resultant(l), integral, 1.0e-9 * std::abs(integral)) << "layer " << i + 1;
    largest_relative =
        std::max(largest_relative, std::abs(resultant(l) - integral) / std::abs(integral));
  }
  std::printf("no surcharge items: largest relative disagreement %.3g\n", largest_relative);
  // Hand values of the first layer: KA = 1/3, 120 in of 0.07 pci under 1 psi.
  const ComputationLayer& first = g.layers.layers[0];
  EXPECT_NEAR(first.PA1, 120.0 * 1.0 / 3.0, 1.0e-4);
  EXPECT_NEAR(first.PA2, 0.5 / 3.0 * 120.0 * 120.0 * 0.07, 1.0e-3);
  // The drained layer below water: PW2 = 0.036/2 * 60^2.
  EXPECT_NEAR(g.layers.layers[2].PW2, 0.018 * 3600.0, 1.0e-4);
  EXPECT_EQ(g.layers.layers[2].PW1, 0.0);
}

TEST(LayerResultants, WithSurchargesAgreeToTheGridOfTheSurcharge) {
  // A strip and a line load behind the wall: the resultants use the working
  // values at ten points per layer, the distribution the 200-step grid.
  WallGroup wall = layered_wall();
  Surcharge strip;
  strip.KSUR = 3;
  strip.QSUR = 2.0;
  strip.XSUR = 60.0;
  strip.BSUR = 48.0;
  strip.FSUR = 1.0;
  wall.surcharges = {strip};
  const Generated g = generate(wall, 480.0);
  double largest_absolute = 0.0;
  double largest_relative = 0.0;
  for (int i = 0; i + 1 < g.layers.IEXC; ++i) {
    const ComputationLayer& l = g.layers.layers[static_cast<std::size_t>(i)];
    const double integral = layer_integral(g.points, l.ZTOP, l.ZTOP + l.thickness, net);
    const double difference = std::abs(resultant(l) - integral);
    largest_absolute = std::max(largest_absolute, difference);
    largest_relative = std::max(largest_relative, difference / std::abs(integral));
    EXPECT_NEAR(resultant(l), integral, 0.03 * std::abs(integral)) << "layer " << i + 1;
  }
  std::printf("strip surcharge: largest disagreement %.4g lb/in, %.3g %%\n", largest_absolute,
              100.0 * largest_relative);
}

TEST(LayerResultants, TensionZoneOfAClayLayer) {
  // Clay 0-120, S = 3 psi, 0.07 pci: 2S = 6 psi of cohesion against 8.4 psi
  // of overburden at the bottom.  Positive zone M = 120 * 2.4/8.4 = 34.2857 in;
  // PA4 = 0.5 * M * 2.4 = 41.1429 lb/in at Z3 = 120 - M/3 = 108.571 in.
  WallGroup wall;
  wall.HFREE = 120.0;
  wall.WA = wall.WP = 12.0;
  wall.ZWB = wall.ZWE = 1000.0;
  wall.FMOD = 1.0;
  wall.layers = {layer(1, 120.0, 0.0, 0.07, 3.0, 0.0), layer(4, 400.0, 120.0, 0.07, 0.0, 30.0)};
  const Generated g = generate(wall, 240.0);
  const ComputationLayer& clay = g.layers.layers[0];
  EXPECT_EQ(clay.PA1, 0.0);
  EXPECT_EQ(clay.PA2, 0.0);
  EXPECT_EQ(clay.PA3, 0.0);
  EXPECT_NEAR(clay.PA4, 41.142857, 41.14 * 1.0e-5);
  EXPECT_NEAR(clay.Z3, 108.571429, 108.6 * 1.0e-5);
  EXPECT_NE(g.report.find("       1       0.00   5.00       0.00   6.67       0.00   9.05      "
                          "41.14"),
            std::string::npos)
      << g.report;
  // The distribution: no pressure in the tension zone, the same force and
  // centroid below it (to the 1-inch grid).
  const double force = layer_integral(g.points, 0.0, 120.0, net);
  const double moment =
      layer_integral(g.points, 0.0, 120.0, [](const PressurePoint& p) { return p.net * p.x; });
  EXPECT_NEAR(force, clay.PA4, 0.005 * clay.PA4);
  std::printf("tension zone: PA4 %.5g, integral %.5g; Z3 %.5g, centroid %.5g\n", clay.PA4, force,
              clay.Z3, moment / force);
  EXPECT_NEAR(moment / force, clay.Z3, 0.2);
  for (const PressurePoint& p : g.points) {
    if (p.x < 85.0) {
      EXPECT_LT(p.net, 1.0e-9) << p.x;
    }
  }
}

TEST(NetActive, NegativeNetForceIsReported) {
  WallGroup wall;
  wall.HFREE = 120.0;
  wall.WA = wall.WP = 12.0;
  wall.ZWB = wall.ZWE = 1000.0;
  wall.FMOD = 1.0;
  wall.layers = {layer(1, 400.0, 0.0, 0.07, 20.0, 0.0)};
  wall.deck = "wall.dat";
  wall.soil_line = 17;
  const Generated g = generate(wall, 240.0);
  // The report prints its own line; the console says where and why, once.
  EXPECT_NE(g.report.find("\n\n     Net active pressure is negative.\n\n"), std::string::npos);
  EXPECT_EQ(g.console,
            "warning: wall.dat, line 17: Net active pressure is negative: the active earth and "
            "water pressures of the soil layers sum to no load on the wall\n");
  // The distribution is written all the same, floored at k * 1e-12.
  ASSERT_EQ(g.points.size(), 241u);
  EXPECT_NEAR(g.points[10].earth, 11.0e-12, 1.0e-18);
}

TEST(Distribution, GridFloorsAndExcavationWater) {
  // One sand layer, excavation at 120, wall 200 in: 121 points above the
  // excavation level (depth 0 included) and 80 below.
  WallGroup wall;
  wall.HFREE = 120.0;
  wall.WA = wall.WP = 12.0;
  wall.ZWB = 1000.0;
  wall.ZWE = 150.0;
  wall.FMOD = 1.0;
  wall.layers = {layer(4, 400.0, 0.0, 0.07, 0.0, 30.0)};
  const Generated g = generate(wall, 200.0);
  ASSERT_EQ(g.points.size(), 201u);
  EXPECT_DOUBLE_EQ(g.points[200].x, 200.0);
  // Below the excavation the active pressure keeps its value at 120 in.
  EXPECT_NEAR(g.points[120].earth, 120.0 * 0.07 / 3.0, 1.0e-5);
  EXPECT_DOUBLE_EQ(g.points[180].earth, g.points[120].earth);
  // Excavation-side water below ZWE pulls the water column down; the floor
  // then takes over.
  EXPECT_EQ(g.points[150].water, 0.0);
  EXPECT_LT(g.points[170].water, 0.0);
}

TEST(EarthPressureFile, LayoutAndLoads) {
  const Generated g = generate(layered_wall(), 480.0);
  const std::string text = earth_pressure_file_text(g.points);
  // The count list-directed, then (12(1X,E12.5)) records.
  EXPECT_EQ(text.substr(0, 14), "          481\n");
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);
  std::getline(lines, line);
  EXPECT_EQ(line.size(), 156u);
  std::getline(lines, line);
  EXPECT_EQ(line.substr(0, 13), "  0.10000E+01");
  const PressureLoads loads =
      pressure_loads(earth_pressure_file_values(g.points, "wall.epf"), 300.0, 12.0, 10.0, 6.0);
  ASSERT_EQ(loads.points.size(), 481u);
  // WA down to the excavation depth, WP below it; col 2 = net * width.
  EXPECT_NEAR(loads.points[300].total, 12.0 * g.points[300].net, 1.0e-5 * loads.points[300].total);
  EXPECT_NEAR(loads.points[301].total, 10.0 * g.points[301].net, 1.0e-5 * loads.points[301].total);
  EXPECT_NEAR(loads.P[100], 6.0 * loads.points[100].total, 1.0e-12);
}

TEST(EarthPressureFile, TheValuesCarriedAreThoseTheTextReadsBackAs) {
  for (const int option : {2, 3}) {
    const Generated g = generate(layered_wall(), 480.0, option);
    const std::vector<PressurePoint> carried = earth_pressure_file_values(g.points, "wall.epf");
    ListInput text("wall.epf", earth_pressure_file_text(g.points));
    int count = 0;
    text.read().integer(count);
    ASSERT_EQ(static_cast<std::size_t>(count), carried.size());
    for (const PressurePoint& p : carried) {
      ListRead record = text.read();
      for (const double value :
           {p.x, p.total, p.active_drained, p.surcharge_surface, p.passive, p.at_rest, p.earth,
            p.water, p.surface, p.surcharge, p.apparent, p.net}) {
        const double read = record.real().value();
        EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(read))
            << value << " read back as " << read;
      }
    }
  }
  // A value that would not read back stops the run as the reader does, at
  // its record (line 1 holds the count) and item.
  Generated bad = generate(layered_wall(), 480.0);
  bad.points[1].passive = std::nan("");
  try {
    earth_pressure_file_values(bad.points, "wall.epf");
    FAIL() << "a NaN was carried";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::bad_input);
    EXPECT_EQ(stop.message(), "wall.epf, line 3, item 5: expected a real number, found \"NaN\"");
  }
}

TEST(EarthPressureFile, ThinningOfTheTable) {
  EXPECT_EQ(shown_points(50, UnitSystem::english).size(), 50u);
  // 101 SI points: 1, 5, ..., 101.
  const std::vector<std::size_t> si = shown_points(101, UnitSystem::si);
  EXPECT_EQ(si.size(), 26u);
  EXPECT_EQ(si.back(), 100u);
  // 60 English points: 1, 7, ..., 55 and 60.
  const std::vector<std::size_t> english = shown_points(60, UnitSystem::english);
  ASSERT_EQ(english.size(), 11u);
  EXPECT_EQ(english[9], 54u);
  EXPECT_EQ(english[10], 59u);
  // 60 SI points: 15 rows and the last.
  EXPECT_EQ(shown_points(60, UnitSystem::si).size(), 16u);
}

TEST(StationLoads, SumIsTheIntegralOfTheDistribution) {
  const Generated g = generate(layered_wall(), 480.0);
  const PressureLoads loads =
      pressure_loads(earth_pressure_file_values(g.points, "wall.epf"), 300.0, 12.0, 10.0, 6.0);
  WallModel wall;
  wall.N = 80;
  wall.h = 6.0;
  std::vector<double> X;
  for (const PressurePoint& p : loads.points)
    X.push_back(p.x);
  add_station_loads(wall, X, loads.P);
  double sum = 0.0;
  for (int k = -3; k <= kLastStation; ++k)
    sum += wall.Q[k];
  // Station 0 and the bottom station get nothing; the rest of the stations
  // times h is the trapezoidal rule on the stations less its two end halves.
  EXPECT_EQ(wall.Q[0], 0.0);
  EXPECT_GT(wall.Q[80], 0.0);
  EXPECT_EQ(wall.Q[81], 0.0);
  double integral = 0.0;
  for (std::size_t i = 1; i < loads.points.size(); ++i) {
    integral += (loads.points[i - 1].total + loads.points[i].total) / 2.0 *
                (loads.points[i].x - loads.points[i - 1].x);
  }
  const double ends = 6.0 / 2.0 * (loads.points.front().total + loads.points.back().total);
  const double stations = sum + ends - 6.0 * loads.points.back().total;
  std::printf("station loads %.6g + end halves, integral %.6g\n", stations, integral);
  EXPECT_NEAR(stations, integral, 0.002 * integral);
}

TEST(StationLoads, StationsOneToTheLastButOne) {
  // A grid ending at 300 in with h = 6: stations 1 to 50.
  WallModel wall;
  wall.N = 60;
  wall.h = 6.0;
  const std::vector<double> X = {0.0, 100.0, 300.0};
  const std::vector<double> P = {0.0, 10.0, 30.0};
  add_station_loads(wall, X, P);
  EXPECT_EQ(wall.Q[0], 0.0);
  EXPECT_DOUBLE_EQ(wall.Q[1], 0.6);
  EXPECT_DOUBLE_EQ(wall.Q[25], 15.0);
  EXPECT_DOUBLE_EQ(wall.Q[50], 30.0);
  EXPECT_EQ(wall.Q[51], 0.0);
  // A grid deeper than the wall loads no station below its bottom.
  WallModel shorter;
  shorter.N = 40;
  shorter.h = 6.0;
  add_station_loads(shorter, X, P);
  EXPECT_DOUBLE_EQ(shorter.Q[40], 24.0);
  EXPECT_EQ(shorter.Q[41], 0.0);
}

TEST(ApparentPressure, OneTiebackDiagramCarriesTheForce) {
  // Option 3, one tie-back at 40 in, excavation at 120: a = 26.67,
  // constant zone 40, b = 53.33; ordinate 3.9 R/(2H).
  WallGroup wall;
  wall.HFREE = 120.0;
  wall.WA = wall.WP = 12.0;
  wall.ZWB = wall.ZWE = 1000.0;
  wall.FMOD = 1.0;
  wall.layers = {layer(4, 400.0, 0.0, 0.07, 0.0, 30.0)};
  const Generated g = generate(wall, 200.0, 3, UnitSystem::english, {40.0});
  // R = KA * gamma * H^2 / 2 = 168; ordinate = 3.9 * 168 / 240 = 2.73.
  EXPECT_NEAR(g.points[60].total, 2.73, 2.73 * 1.0e-4);
  EXPECT_NEAR(g.points[60].apparent, 2.73, 2.73 * 1.0e-4);
  EXPECT_NEAR(g.points[10].apparent, 2.73 * 10.0 / (80.0 / 3.0), 1.0e-3);
  EXPECT_NEAR(g.points[120].apparent, 0.0, 1.0e-9);
  // The diagram's area is 1.3 R: (a/2 + constant + b/2) * ordinate.
  const double area =
      layer_integral(g.points, 0.0, 120.0, [](const PressurePoint& p) { return p.apparent; });
  EXPECT_NEAR(area, 1.3 * 168.0, 0.01 * 168.0);
}

TEST(ApparentPressure, OptionFiveOnSoftClay) {
  // Option 5 takes KA from the optional coefficient (0.4 here, no cohesion
  // reduction); a soft-clay top layer rises over H/4 and holds to H.
  WallGroup wall;
  wall.HFREE = 120.0;
  wall.WA = wall.WP = 12.0;
  wall.ZWB = wall.ZWE = 1000.0;
  wall.FMOD = 1.0;
  SoilLayer clay = layer(1, 400.0, 0.0, 0.07, 2.0, 0.0);
  clay.top.P6 = 0.4;
  wall.layers = {clay};
  const Generated g = generate(wall, 200.0, 5, UnitSystem::english, {40.0});
  // F = 0.4 * 0.07 * 120^2 / 2 = 201.6 (trapezoidal rule on a linear
  // pressure: exact); ordinate 3.9 F / (2 H) = 3.276.
  const double ordinate = 3.9 * 201.6 / 240.0;
  EXPECT_NEAR(g.points[15].total, ordinate * 15.0 / 30.0, 1.0e-3);
  EXPECT_NEAR(g.points[30].total, ordinate, 1.0e-3);
  EXPECT_NEAR(g.points[120].total, ordinate, 1.0e-3);
  EXPECT_NEAR(g.points[120].apparent, ordinate, 1.0e-3);
  // Below the excavation level the points are those of the distribution.
  EXPECT_EQ(g.points[121].apparent, 0.0);
  EXPECT_NEAR(g.points[150].earth, 0.4 * 0.07 * 120.0, 1.0e-4);
}

}  // namespace
}  // namespace kestro
