// Generation and hand-over of p-y curves: the echo and curve blocks in their
// exact layouts, the p-y curve file, the equivalent depth of a second layer
// through the file, the read-back mapping and the refusals.
#include "soil/py_generation.h"

#include <gtest/gtest.h>

#include "support/deck_context.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>

#include "common/list_input.h"
#include "common/list_output.h"
#include "common/run_stop.h"
#include "soil_fixture.h"

namespace kestro {
namespace {

using testing::add_layer;
using testing::values;

const DeckSource& kInput = testing::wall_dat();

// Lines of a text.
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

struct Generated {
  std::string report;
  PyCurveFile values;  // the p-y curve file
  std::string file;    // its text
  std::string console;
};

Generated generate(const WallGroup& group, const Geometry& geometry,
                   const SoilResistanceInput& soil = {}, UnitSystem units = UnitSystem::english) {
  std::ostringstream report_text;
  std::ostringstream console;
  TextUnit report;
  report.attach(report_text);
  Generated g;
  g.values = generate_py_curves(kInput, report, console, units, geometry, group, soil).file;
  g.file = py_curve_file_text(g.values);
  report.close();
  g.report = report_text.str();
  g.console = console.str();
  return g;
}

// One uniform soft clay: excavation at 10 ft, b = 12 in, c = 10 psi,
// 0.04 pci, E50 = 0.01, no water; 30 increments of 12 in give the curve
// limit 360 + 24 - 120 = 264 in below the excavation.  Elements 48 in apart
// (s/b = 4): spaced, without reduction.
WallGroup uniform_soft_clay() {
  WallGroup group = testing::wall_group(120.0, 48.0, 12.0, 10000.0);
  add_layer(group, 1, 600.0, values(0.04, 10, 0, 0.01), values(0.04, 10, 0, 0.01));
  return group;
}

TEST(PyGeneration, EchoOfTheProfile) {
  const Generated g = generate(uniform_soft_clay(), testing::geometry(30, 12.0));
  const std::string echo =
      "\n\n"
      "      **************************************************\n"
      "      *        SOIL LAYERS AND STRENGTH DATA           *\n"
      "      **************************************************\n"
      "\n"
      "\n"
      "         X AT THE SURFACE OF EXCAVATION SIDE     =      10.00 FT\n"
      "\n"
      "         1 LAYER(S) OF SOIL\n"
      "\n"
      "         LAYER  1\n"
      "         THE SOIL IS A SOFT CLAY\n"
      "\n\n"
      "         DISTRIBUTION OF EFFECTIVE UNIT WEIGHT WITH DEPTH\n"
      "                            2 POINTS\n"
      "\n"
      "                X,FT   WEIGHT,LBS/IN**3\n"
      "             10.0000     4.0000E-02\n"
      "             32.0000     4.0000E-02\n"
      "\n\n"
      "         DISTRIBUTION OF STRENGTH PARAMETERS WITH DEPTH\n"
      "                            2 POINTS\n"
      "\n"
      "                X,FT     S,LBS/IN**2      PHI,DEGREE       E50      KPY,LBS/IN**3\n"
      "               10.00     1.0000E+01          0.000     1.0000E-02     0.0000E+00\n"
      "               32.00     1.0000E+01          0.000     1.0000E-02     0.0000E+00\n"
      "\n\n"
      "        P-Y CURVES DATA\n"
      "\n";
  EXPECT_EQ(g.report.substr(0, echo.size()), echo);
  EXPECT_TRUE(g.console.empty());
}

TEST(PyGeneration, SoftClayBlockAndCurveFile) {
  const Generated g = generate(uniform_soft_clay(), testing::geometry(30, 12.0));
  // Second curve depth: x = 0.25*264 = 66 in.  Np = 3 + 0.04*66/10 +
  // 0.5*66/12 = 6.014, pu = 721.68 lb/in, y50 = 0.3 in: 8 y50 = 2.4 in.
  const std::string block =
      "\n\n"
      "         AT THE EXCAVATION SIDE\n"
      "\n"
      "         DEPTH BELOW GS       DIAM        C       GAMMA AVG      E50\n"
      "               FT             IN     LBS/IN**2  LBS/IN**3\n"
      "              5.50          12.000  1.0000E+01  4.0000E-02   1.0000E-02\n"
      "\n"
      "                                     Y,IN             P,LBS/IN\n"
      "                                    0.000               0.000\n";
  const std::size_t at = g.report.find(block);
  ASSERT_NE(at, std::string::npos) << g.report;
  const std::vector<std::string> rows = lines_of(g.report.substr(at + block.size()));
  // Point 16 at 8 y50 reaches pu; 0.5*721.68*0.8^(1/3) = 334.974 at 0.24 in.
  EXPECT_EQ(rows[6], "                                    0.240             334.974");
  EXPECT_EQ(rows[14], "                                    2.400             721.680");
  EXPECT_EQ(rows[15], "                                    2.880             721.680");
  EXPECT_EQ(rows[16], "");
  EXPECT_EQ(rows[17], "                      P-Multiplier =  1.000E+00 Y-Multiplier =  1.000E+00");

  // The file: 5 curves, each a head (x + H, 34) and 34 point lines; the
  // second curve's head is line 37.
  const std::vector<std::string> file = lines_of(g.file);
  ASSERT_EQ(file.size(), 1u + 5 * 35);
  EXPECT_EQ(file[0] + "\n", list_write({5}));
  EXPECT_EQ(file[36] + "\n", list_write({186.0, 34}));
  EXPECT_EQ(file[36 + 8], "    8  3.350E+02  2.400E-01");
  EXPECT_EQ(file[36 + 16], "   16  7.217E+02  2.400E+00");
  // Backfill side at x + H = 186 in: Np = 3 + 0.744 + 7.75 > 9, pu = 9cb = 1080.
  EXPECT_EQ(file[36 + 17 + 16], "   16  1.080E+03  2.400E+00");
}

TEST(PyGeneration, SIUnitsWaterTableAndLabels) {
  // Excavation at 3 m, water table at 4 m inside the soft clay (c = 20 kPa,
  // 18 kN/m^3, E50 = 0.01), b = 0.3 m, s/b = 4; 20 increments of 0.5 m give
  // the curve limit 10 + 1 - 3 = 8 m below the excavation.
  WallGroup group = testing::wall_group(3.0, 1.2, 0.3, 4.0);
  add_layer(group, 1, 20.0, values(18, 20, 0, 0.01), values(18, 20, 0, 0.01));
  const Generated g = generate(group, testing::geometry(20, 0.5), {}, UnitSystem::si);
  EXPECT_NE(g.report.find("         X AT THE SURFACE OF EXCAVATION SIDE     =       3.00  M\n"),
            std::string::npos);
  // The water table adds a pair of points; below it 18 - 9.81 = 8.19.
  EXPECT_NE(g.report.find("                            4 POINTS\n"
                          "\n"
                          "                X, M   WEIGHT, KN/ M**3\n"
                          "              3.0000     1.8000E+01\n"
                          "              4.0000     1.8000E+01\n"
                          "              4.0000     8.1900E+00\n"
                          "             11.0000     8.1900E+00\n"),
            std::string::npos)
      << g.report;
  // x = 2 m: mean unit weight (18*1 + 8.19*1)/2 = 13.095, Np = 3 + 13.095*2/20
  // + 0.5*2/0.3 = 7.6428, pu = 7.6428*20*0.3 = 45.857 kN/m at 8 y50 = 0.06 m.
  EXPECT_NE(
      g.report.find("                M              M      KN/ M**2   KN/ M**3\n"
                    "              2.00           0.300  2.0000E+01  1.3095E+01   1.0000E-02\n"),
      std::string::npos)
      << g.report;
  const std::vector<std::string> file = lines_of(g.file);
  EXPECT_EQ(file[36] + "\n", list_write({5.0, 34}));
  EXPECT_EQ(file[36 + 16], "   16  4.586E+01  6.000E-02");
  // Backfill side at 5 m: Np = 3 + 3.274 + 8.333 > 9, pu = 9*20*0.3 = 54.
  EXPECT_EQ(file[36 + 17 + 16], "   16  5.400E+01  6.000E-02");
  // The first curve depth lies 0.01 m (single precision) below the surface.
  EXPECT_EQ(file[1] + "\n", list_write({3.0 + double(0.01f), 34}));
}

// Depth z at which the integral of the homogeneous soft-clay resistance
// (3c + gamma z)b + 0.5cz (capped at 9cb) reaches R: bisection on a
// trapezoidal integration.
double depth_of_integral(double R, double c, double gamma, double b) {
  auto integral = [&](double z) {
    const int n = 20000;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
      auto pu = [&](double x) {
        return std::min((3 * c + gamma * x) * b + 0.5 * c * x, 9 * c * b);
      };
      const double a = z * i / n, e = z * (i + 1) / n;
      sum += 0.5 * (pu(a) + pu(e)) * (e - a);
    }
    return sum;
  };
  double low = 0.0, high = 10000.0;
  for (int k = 0; k < 60; ++k) {
    const double mid = 0.5 * (low + high);
    (integral(mid) < R ? low : high) = mid;
  }
  return 0.5 * (low + high);
}

TEST(PyGeneration, SecondSoftClayLayerStartsAtItsEquivalentDepth) {
  // Soft clay c = 10 psi to 120 in below the excavation, then c = 20 psi;
  // 0.04 pci throughout, b = 12 in, s/b = 4, static.
  WallGroup group = testing::wall_group(120.0, 48.0, 12.0, 10000.0);
  add_layer(group, 1, 240.0, values(0.04, 10, 0, 0.01), values(0.04, 10, 0, 0.01));
  add_layer(group, 1, 600.0, values(0.04, 20, 0, 0.01), values(0.04, 20, 0, 0.01));
  const Generated g = generate(group, testing::geometry(30, 12.0));
  // Handed on by the first layer: its pu = 360 + 5.48x (below 9cb = 1080
  // throughout) summed over its 120 in: 360*120 + 2.74*120^2 = 82656.
  const double R = 360.0 * 120.0 + 2.74 * 120.0 * 120.0;
  const double XEQ = depth_of_integral(R, 20.0, 0.04, 12.0);
  // First depth of the second layer: 0.1 in below its top, so xe = 0.1 + XEQ.
  const double pu = (3 * 20 + 0.04 * (0.1 + XEQ)) * 12 + 0.5 * 20 * (0.1 + XEQ);
  const std::vector<std::string> file = lines_of(g.file);
  const std::string line = file[1 + 5 * 35 + 16];  // curve 6, point 16 at 8 y50
  ASSERT_EQ(line.substr(0, 5), "   16");
  const double printed = std::stod(line.substr(6, 10));
  EXPECT_NEAR(printed, pu, pu * 5e-4) << line << " against " << pu;
}

TEST(PyGeneration, StiffClaysAndMultipliersInTheFile) {
  // Stiff clay without free water, s/b = 2 (WA 24, WP 12): every p carries
  // fs = 0.5292*2^0.5659 = 0.78338; a y-factor of 2 from the table doubles y.
  WallGroup group = testing::wall_group(120.0, 24.0, 12.0, 10000.0);
  add_layer(group, 3, 600.0, values(0.04, 15, 0, 0.004), values(0.04, 15, 0, 0.004));
  SoilResistanceInput soil;
  soil.factors.combination = 1;
  soil.factors.rows = {{0.0, 1.0, 2.0}, {1000.0, 1.0, 2.0}};
  const Generated g = generate(group, testing::geometry(30, 12.0), soil);
  // Depth 2, x = 66 in, ca = 15: pu = min((45 + 2.64)*12 + 0.5*15*66, 1620)
  // = 1066.68; at 16 y50 = 1.92 in (doubled: 3.84) p = pu*0.78338 = 835.6.
  const std::vector<std::string> file = lines_of(g.file);
  EXPECT_EQ(file[36 + 15], "   15  8.356E+02  3.840E+00");
  EXPECT_NE(g.report.find("                      P-Multiplier =  7.834E-01 Y-Multiplier =  "
                          "2.000E+00"),
            std::string::npos);
  EXPECT_NE(g.report.find("          DEPTH BELOW GS     DIAM        C       CAVG    GAMMA AVG"
                          "     E50\n"),
            std::string::npos);
}

TEST(PyGeneration, StiffClayWithFreeWaterAveragesTheFirstLayerFromItsTop) {
  // c from 10 psi at the excavation to 30 psi at the curve limit (264 in):
  // at x = 66 in c = 15 and CAVG = (10 + 15)/2 = 12.5.  pct = 2*12.5*12 +
  // 0.04*12*66 + 2.83*12.5*66 = 2666.43, above pcd = 11*15*12 = 1980, which
  // governs.  As(66/12 = 5.5) = 0.6; y50 = 0.01*12 = 0.12, ya = 0.072; at
  // ya, p = 0.5*1980*sqrt(0.6) = 766.851 (KPY 1000: Es*y = 4752 above it).
  WallGroup group = testing::wall_group(120.0, 48.0, 12.0, 10000.0);
  add_layer(group, 2, 384.0, values(0.04, 10, 0, 0.01, 1000), values(0.04, 30, 0, 0.01, 1000));
  const Generated g = generate(group, testing::geometry(30, 12.0));
  EXPECT_NE(g.report.find("         DEPTH BELOW GS      DIAM        C         CAVG    GAMMA AVG"
                          "      E50\n"),
            std::string::npos)
      << g.report;
  EXPECT_NE(g.report.find("               5.50         12.000   1.50E+01   1.25E+01   4.00E-02  "
                          "1.0000E-02\n"),
            std::string::npos)
      << g.report;
  const std::vector<std::string> file = lines_of(g.file);
  EXPECT_EQ(file[36 + 3], "    3  7.669E+02  7.200E-02");
}

TEST(PyGeneration, CyclicEchoAndTenLayers) {
  // Ten soft clay layers of 24 in below the excavation: the layer count
  // overflows its one-digit field; cyclic loading marks every layer.
  WallGroup group = testing::wall_group(120.0, 48.0, 12.0, 10000.0);
  for (int i = 1; i <= 10; ++i)
    add_layer(group, 1, 120.0 + 24.0 * i, values(0.04, 10, 0, 0.01), values(0.04, 10, 0, 0.01));
  group.loading_flag = 0;
  const Generated g = generate(group, testing::geometry(30, 12.0));
  EXPECT_NE(g.report.find("\n         * LAYER(S) OF SOIL\n"), std::string::npos);
  EXPECT_NE(g.report.find("         LAYER 10\n         THE SOIL IS A SOFT CLAY\n"
                          "                       CYCLIC MODEL\n"),
            std::string::npos)
      << g.report;
  EXPECT_EQ(lines_of(g.file).size(), 1u + 50 * 35);
}

TEST(PyGeneration, StiffClayStops) {
  auto stop_of = [](const WallGroup& group, std::string& report) {
    std::ostringstream text, console;
    TextUnit unit;
    unit.attach(text);
    try {
      generate_py_curves(kInput, unit, console, UnitSystem::english, testing::geometry(30, 12.0),
                         group, {});
    } catch (const RunStop& stop) {
      unit.close();
      report = text.str();
      return stop.kind();
    }
    return StopKind::not_available;  // no stop
  };
  // Cyclic stiff clay without free water with half a load cycle.
  WallGroup cycles = testing::wall_group(120.0, 48.0, 12.0, 10000.0);
  add_layer(cycles, 3, 600.0, values(0.04, 15, 0, 0.004), values(0.04, 15, 0, 0.004));
  cycles.loading_flag = 0;
  cycles.load_cycles = 0.5;
  std::string report;
  EXPECT_EQ(stop_of(cycles, report), StopKind::bad_input);
  // A stiff clay thinner than the 0.1 in offset at the end of the profile
  // keeps its curve depths inside itself and generates.
  WallGroup thin = testing::wall_group(120.0, 48.0, 12.0, 10000.0);
  add_layer(thin, 1, 383.95, values(0.04, 10, 0, 0.01), values(0.04, 10, 0, 0.01));
  add_layer(thin, 3, 384.0, values(0.04, 15, 0, 0.004), values(0.04, 15, 0, 0.004));
  EXPECT_EQ(stop_of(thin, report), StopKind::not_available);
}

// The stop a generation ends with (not_available when it ends normally),
// with its message and console text.
struct Ending {
  StopKind kind = StopKind::not_available;
  std::string message;
  std::string console;
};

Ending ending_of(const WallGroup& group) {
  std::ostringstream text, console;
  TextUnit unit;
  unit.attach(text);
  Ending e;
  try {
    generate_py_curves(kInput, unit, console, UnitSystem::english, testing::geometry(30, 12.0),
                       group, {});
  } catch (const RunStop& stop) {
    e.kind = stop.kind();
    e.message = stop.message();
  }
  e.console = console.str();
  return e;
}

WallGroup one_layer(int IDSOIL, SoilLayerValues v, double WA = 48.0) {
  WallGroup group = testing::wall_group(120.0, WA, 12.0, 10000.0);
  add_layer(group, IDSOIL, 600.0, v, v);
  return group;
}

SoilLayerValues with_p6(SoilLayerValues v, double P6) {
  v.P6 = P6;
  return v;
}

TEST(PyGeneration, EverySoilTypeGenerates) {
  // Sand, silt, rock and weak rock each write five curves of 34 points.
  for (const WallGroup& group :
       {one_layer(4, values(0.07, 0, 35, 0, 90)), one_layer(5, values(0.07, 2, 25, 0, 60)),
        one_layer(6, values(0.08, 3000, 0, 0, 0)),
        one_layer(7, with_p6(values(0.08, 800, 0, 0.0005, 20000), 50))}) {
    const Generated g = generate(group, testing::geometry(30, 12.0));
    const std::vector<std::string> file = lines_of(g.file);
    ASSERT_EQ(file.size(), 1u + 5u * 35u) << group.layers[0].IDSOIL;
    EXPECT_EQ(file[0] + "\n", list_write({5}));
    EXPECT_TRUE(g.console.empty());
    // Taken up, every curve has increasing deflections and finite values.
    std::ostringstream report_text, plot_text;
    TextUnit report, plot;
    report.attach(report_text);
    plot.attach(plot_text);
    std::vector<StationCurve> curves;
    take_py_curves(g.values, "wall.pyc", report, plot, UnitSystem::english, 12.0, curves);
    ASSERT_EQ(curves.size(), 5u);
    for (const StationCurve& curve : curves) {
      for (std::size_t j = 0; j < curve.y.size(); ++j) {
        EXPECT_TRUE(std::isfinite(curve.y[j]) && std::isfinite(curve.p[j]));
      }
    }
  }
  // The silt head carries the byte 0xED after "Pu".
  const Generated silt =
      generate(one_layer(5, values(0.07, 2, 25, 0, 60)), testing::geometry(30, 12.0));
  EXPECT_NE(silt.report.find("Puc       Pu\xED"), std::string::npos);
}

TEST(PyGeneration, BadFrictionalAndRockValues) {
  struct Case {
    WallGroup group;
    const char* says;
  };
  const Case cases[] = {
      {one_layer(4, values(0.07, 0, 0, 0, 90)), "PHI must lie above 0"},
      {one_layer(4, values(0.07, 0, 35, 0, -5)), "KPY"},
      {one_layer(5, values(0.07, 2, 90, 0, 60)), "PHI must lie from 0"},
      {one_layer(4, values(-0.07, 0, 35, 0, 90)), "unit weight"},
      {one_layer(6, values(0.08, -1, 0, 0, 0)), "compressive strength"},
      {one_layer(7, with_p6(values(0.08, 800, 0, 0.0005, 20000), 120)), "RQD"},
      {one_layer(7, with_p6(values(0.08, 800, 0, 0.0, 20000), 50)), "krm"},
      {one_layer(7, with_p6(values(0.08, 800, 0, 0.0005, 0), 50)), "initial modulus"},
      // A continuous wall in silt at 80 degrees: the passive coefficient is infinite.
      {one_layer(5, values(0.07, 2, 80, 0, 60), 12.0), "passive coefficient"},
  };
  // An excavation ground rising at 60 degrees: 1 + tan(-60) tan(62.5) < 0.
  WallGroup rising = one_layer(4, values(0.07, 0, 35, 0, 90));
  rising.SLOPEX = -60.0;
  const Ending slope = ending_of(rising);
  EXPECT_EQ(slope.kind, StopKind::bad_input);
  EXPECT_NE(slope.message.find("rises too steeply"), std::string::npos) << slope.message;
  for (const Case& c : cases) {
    const Ending e = ending_of(c.group);
    EXPECT_EQ(e.kind, StopKind::bad_input) << c.says;
    EXPECT_NE(e.message.find("wall.dat, line 10"), std::string::npos) << e.message;
    EXPECT_NE(e.message.find(c.says), std::string::npos) << e.message;
  }
}

TEST(PyGeneration, WeakRockWithoutStrengthStops) {
  // Zero strength: the first curve depth is generated (a curve of zeros),
  // the second writes the warning to the console and stops without a code.
  const Ending e = ending_of(one_layer(7, with_p6(values(0.08, 0, 0, 0.0005, 20000), 50)));
  EXPECT_EQ(e.kind, StopKind::quiet_stop);
  EXPECT_EQ(e.console,
            "       --------------------WARNING----------------------\n"
            "       THE COHESIVE STRENGTH IS 0 FOR ROCK ACCORING TO THE INPUT\n"
            "       DATA. PLEASE ENTER THE CORRECT VALUE AND RUN IT AGAIN.\n");
}

// A small curve file: one user curve at station 7 and one generated curve
// at 30 in, i.e. 2.5 increments of 12 in, which rounds to station 3.
PyCurveFile small_curve_file() {
  PyCurveFile file;
  PyFileCurve user;
  user.user = true;
  user.STA = 7;
  user.p = {0.0, -10.0, -20.0};
  user.y = {0.0, 1.0, 2.0};
  file.curves.push_back(user);
  PyFileCurve generated;
  generated.depth = 30.0;
  for (int i = 1; i <= 17; ++i) {  // excavation side: p = 10(i-1), y = 0.1(i-1)
    generated.p.push_back(10.0 * (i - 1));
    generated.y.push_back(0.1 * (i - 1));
  }
  for (int i = 1; i <= 17; ++i) {  // backfill side: p = 5(i-1), y = 0.2(i-1)
    generated.p.push_back(5.0 * (i - 1));
    generated.y.push_back(0.2 * (i - 1));
  }
  file.curves.push_back(generated);
  return file;
}

TEST(PyReadBack, OrderSignsStationAndPerStationLoad) {
  std::ostringstream report_text, plot_text;
  TextUnit report, plot;
  report.attach(report_text);
  plot.attach(plot_text);
  std::vector<StationCurve> curves;
  take_py_curves(small_curve_file(), "wall.pyc", report, plot, UnitSystem::english, 12.0, curves);
  plot.close();
  // In station order: the generated curve at station 3 (depth 30 in) before
  // the user curve at station 7.
  ASSERT_EQ(curves.size(), 2u);
  EXPECT_EQ(curves[1].FROM, 7);
  EXPECT_EQ(curves[1].TO, 7);
  EXPECT_EQ(curves[1].CONTD, 1);
  EXPECT_EQ(curves[1].source, CurveSource::user);
  EXPECT_EQ(curves[1].y, (std::vector<double>{0.0, 1.0, 2.0}));
  EXPECT_EQ(curves[1].p, (std::vector<double>{0.0, -120.0, -240.0}));

  const StationCurve& c = curves[0];
  EXPECT_EQ(c.FROM, 3);
  EXPECT_EQ(c.TO, 3);
  EXPECT_EQ(c.CONTD, 1);
  EXPECT_EQ(c.source, CurveSource::generated);
  ASSERT_EQ(c.y.size(), 33u);
  ASSERT_EQ(c.p.size(), 33u);
  // Backfill half first, from its far end: y = -3.2 with p = +80 (per
  // station: 960), down to its point at y = 0.
  EXPECT_DOUBLE_EQ(c.y[0], -3.2);
  EXPECT_DOUBLE_EQ(c.p[0], 80.0 * 12);
  EXPECT_DOUBLE_EQ(c.y[15], -0.2);
  EXPECT_DOUBLE_EQ(c.p[15], 5.0 * 12);
  EXPECT_EQ(c.y[16], 0.0);
  EXPECT_EQ(c.p[16], 0.0);
  // Then the excavation half without its first point, p negated.
  EXPECT_DOUBLE_EQ(c.y[17], 0.1);
  EXPECT_DOUBLE_EQ(c.p[17], -10.0 * 12);
  EXPECT_DOUBLE_EQ(c.y[32], 1.6);
  EXPECT_DOUBLE_EQ(c.p[32], -160.0 * 12);
  // Plot data: unit flag and count, the user curve as read, then the
  // generated curve's fixed depth record and its points before p*h.
  const std::string expected_start =
      list_write({1, 2}) + list_write({7, 3}) + list_write({0.0, 0.0}) + list_write({1.0, -10.0}) +
      list_write({2.0, -20.0}) + "      30.00    33\n" + list_write({-3.2, 80.0});
  EXPECT_EQ(plot_text.str().substr(0, expected_start.size()), expected_start);
  EXPECT_EQ(lines_of(plot_text.str()).size(), 1u + 1 + 3 + 1 + 33);
  EXPECT_TRUE(report_text.str().empty());
}

TEST(PyReadBack, CountsAndDegenerateCurves) {
  std::ostringstream report_text;
  TextUnit report, plot;
  report.attach(report_text);
  std::vector<StationCurve> curves;
  take_py_curves(PyCurveFile{}, "wall.pyc", report, plot, UnitSystem::si, 0.5, curves);
  EXPECT_EQ(report_text.str(), "\n                    \n");
  EXPECT_TRUE(curves.empty());

  PyCurveFile too_many;
  too_many.curves.resize(401, small_curve_file().curves[1]);
  try {
    take_py_curves(too_many, "wall.pyc", report, plot, UnitSystem::si, 0.5, curves);
    FAIL() << "401 curves accepted";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::error_stop);
    EXPECT_EQ(stop.error_stop(), ErrorStop::too_much_data);
    EXPECT_EQ(stop.message().substr(0, 17), "wall.pyc, line 1:");
  }
  report.close();
  // The stop's own text follows the blank line written before it.
  EXPECT_EQ(report_text.str(), "\n                    \n\n");
  // Deflections that round to the same four digits (or a y-factor of 0)
  // must not reach the solver.
  PyCurveFile repeated = small_curve_file();
  repeated.curves[0].y[1] = 2.0000001;  // 2.000 like the last point
  try {
    take_py_curves(repeated, "wall.pyc", report, plot, UnitSystem::si, 0.5, curves);
    FAIL() << "repeated deflections accepted";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::bad_input);
    EXPECT_NE(stop.message().find("wall.pyc, line 2"), std::string::npos) << stop.message();
    EXPECT_NE(stop.message().find("do not increase"), std::string::npos) << stop.message();
  }
}

TEST(PyGeneration, HeldUserCurvesComeFirstAndKeepTheirStation) {
  SoilResistanceInput soil;
  soil.held_user_curves.push_back(HeldUserCurve{4, {0.0, 0.5, 1.0}, {0.0, 100.0, 150.0}});
  const Generated g = generate(uniform_soft_clay(), testing::geometry(30, 12.0), soil);
  const std::vector<std::string> file = lines_of(g.file);
  EXPECT_EQ(file[0] + "\n", list_write({6}));
  EXPECT_EQ(file[1] + "\n", list_write({4, 3}));
  EXPECT_EQ(file[3], "    2  1.000E+02  5.000E-01");
  TextUnit report, plot;
  std::vector<StationCurve> curves;
  take_py_curves(g.values, "wall.pyc", report, plot, UnitSystem::english, 12.0, curves);
  ASSERT_EQ(curves.size(), 6u);
  EXPECT_EQ(curves[0].FROM, 4);
  EXPECT_EQ(curves[0].p, (std::vector<double>{0.0, 1200.0, 1800.0}));
  // Generated curves at the nearest stations of 120 + {0.1, 66, 132, 198,
  // 263.9} in: 10, 16 (15.5 rounds up), 21, 27, 32.
  const int stations[] = {10, 16, 21, 27, 32};
  for (int k = 0; k < 5; ++k)
    EXPECT_EQ(curves[std::size_t(k) + 1].FROM, stations[k]);
}

// The curves as the reader gives them from the file's text: per curve its
// head (station or depth) and its points.
PyCurveFile read_text(const std::string& text, std::size_t user_curves) {
  ListInput in("wall.pyc", text);
  int count = 0;
  in.read().integer(count);
  PyCurveFile file;
  for (int k = 0; k < count; ++k) {
    PyFileCurve& curve = file.curves.emplace_back();
    curve.user = static_cast<std::size_t>(k) < user_curves;
    int points = 0;
    {
      ListRead head = in.read();
      if (curve.user) {
        head.integer(curve.STA);
      } else {
        head.real(curve.depth);
      }
      head.integer(points);
    }
    for (int j = 0; j < points; ++j) {
      ListRead point = in.read();
      int number = 0;
      point.integer(number);
      curve.p.push_back(point.real().value());
      curve.y.push_back(point.real().value());
    }
  }
  return file;
}

std::uint64_t bits(double x) {
  return std::bit_cast<std::uint64_t>(x);
}

TEST(PyCurveFile, TheValuesCarriedAreThoseTheTextReadsBackAs) {
  // Every soil type (four digits, the joined rock records, three digits for
  // silt and weak rock), SI and English, held user curves first.
  SoilResistanceInput soil;
  soil.held_user_curves.push_back(
      HeldUserCurve{4, {0.0, 0.123456, 1.0 / 3.0}, {0.0, 100.0 / 7.0, 1.5e5 / 7.0}});
  std::vector<Generated> files;
  for (const WallGroup& group :
       {uniform_soft_clay(), one_layer(2, values(0.04, 10, 0, 0.01, 1000)),
        one_layer(3, values(0.04, 15, 0, 0.004)), one_layer(4, values(0.07, 0, 35, 0, 90)),
        one_layer(5, values(0.07, 2, 25, 0, 60)), one_layer(6, values(0.08, 3000, 0, 0, 0)),
        one_layer(7, with_p6(values(0.08, 800, 0, 0.0005, 20000), 50))}) {
    files.push_back(generate(group, testing::geometry(30, 12.0), soil));
  }
  WallGroup si = testing::wall_group(3.0, 1.2, 0.3, 4.0);
  add_layer(si, 1, 20.0, values(18, 20, 0, 0.01), values(18, 20, 0, 0.01));
  files.push_back(generate(si, testing::geometry(20, 0.5), soil, UnitSystem::si));
  for (const Generated& g : files) {
    const PyCurveFile read = read_text(g.file, 1);
    ASSERT_EQ(read.curves.size(), g.values.curves.size());
    for (std::size_t k = 0; k < read.curves.size(); ++k) {
      const PyFileCurve carried =
          read_back_curve(g.values.curves[k], "wall.pyc", head_line(g.values, k));
      const PyFileCurve& expected = read.curves[k];
      EXPECT_EQ(carried.STA, expected.STA);
      EXPECT_EQ(bits(carried.depth), bits(expected.depth)) << k;
      ASSERT_EQ(carried.p.size(), expected.p.size());
      for (std::size_t j = 0; j < carried.p.size(); ++j) {
        EXPECT_EQ(bits(carried.p[j]), bits(expected.p[j])) << "curve " << k << " point " << j;
        EXPECT_EQ(bits(carried.y[j]), bits(expected.y[j])) << "curve " << k << " point " << j;
      }
    }
  }
}

// The message of the stop that taking up the file ends with.
std::string stop_message(const PyCurveFile& file) {
  TextUnit report, plot;
  std::vector<StationCurve> curves;
  try {
    take_py_curves(file, "wall.pyc", report, plot, UnitSystem::english, 12.0, curves);
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::bad_input);
    return stop.message();
  }
  return "no stop";
}

TEST(PyCurveFile, RecordsThatWouldNotReadBackStopAsTheReaderDoes) {
  // Line 1 holds the count, 2 the user curve's head, 3 to 5 its points, 6
  // the generated curve's head, 7 to 40 its points.
  PyCurveFile nan_point = small_curve_file();
  nan_point.curves[1].y[2] = std::nan("");
  EXPECT_EQ(stop_message(nan_point),
            "wall.pyc, line 9, item 3: expected a real number, found \"NaN\"");
  PyCurveFile infinite = small_curve_file();
  infinite.curves[0].p[1] = -std::numeric_limits<double>::infinity();
  EXPECT_EQ(stop_message(infinite),
            "wall.pyc, line 4, item 2: expected a real number, found \"-Infinity\"");
  // Beyond the largest double once rounded: 1.798+308 does not read.
  PyCurveFile huge = small_curve_file();
  huge.curves[1].p[33] = std::numeric_limits<double>::max();
  EXPECT_EQ(stop_message(huge),
            "wall.pyc, line 40, item 2: expected a real number, found \"1.798+308\"");
  PyCurveFile no_depth = small_curve_file();
  no_depth.curves[1].depth = std::numeric_limits<double>::infinity();
  EXPECT_EQ(stop_message(no_depth),
            "wall.pyc, line 6, item 1: expected a real number, found \"Infinity\"");
  // The joined records of rock: a negative y runs into p's field.
  PyCurveFile joined = small_curve_file();
  joined.curves[1].layout = PointLayout::four_digits_joined;
  joined.curves[1].y[1] = -2.0;
  EXPECT_EQ(stop_message(joined),
            "wall.pyc, line 8, item 2: expected a real number, found \"1.000E+01-2.000E+00\"");
  // A negative zero prints without its sign and reads.
  joined.curves[1].y[1] = -0.0;
  EXPECT_EQ(stop_message(joined), "no stop");
}

}  // namespace
}  // namespace kestro
