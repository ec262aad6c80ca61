// The clay p-y models against values worked by hand from the published
// criteria: ultimate resistance near the surface and at depth, y50, the shape
// points of each branch, the continuous-wall resistance and the equivalent
// depth of deeper layers.  Relative tolerance 1e-6 unless stated: the
// models' decimal constants are single-precision values.
#include "soil/clay_models.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestro {
namespace {

constexpr double kRel = 1e-6;

void expect_near_rel(double actual, double expected, const char* what) {
  EXPECT_NEAR(actual, expected, std::abs(expected) * kRel + 1e-12) << what;
}

// English units, spaced elements, excavation side of the first layer.
PyDepth depth_at(double x, double b, double c, double gamma, double E50) {
  PyDepth at;
  at.x = x;
  at.b = b;
  at.c = c;
  at.gamma_avg = gamma;
  at.E50 = E50;
  at.H = 100.0;
  return at;
}

const PyLoading kStatic{false, 1.0};
const PyLoading kCyclic{true, 100.0};

TEST(SoftClay, StaticNearSurfaceAndCappedAtDepth) {
  // b = 12 in, c = 10 psi, gamma' = 0.04 pci, E50 = 0.01, x = 60 in:
  // Np = 3 + 0.04*60/10 + 0.5*60/12 = 5.74, pu = 5.74*10*12 = 688.8 lb/in,
  // y50 = 2.5*0.01*12 = 0.3 in.
  const PyDepth at = depth_at(60.0, 12.0, 10.0, 0.04, 0.01);
  const ClaySide s = soft_clay_side(at, false, kStatic, 60.0);
  expect_near_rel(s.pu, 688.8, "pu");
  expect_near_rel(s.y50, 0.3, "y50");
  EXPECT_EQ(s.curve[0].y, 0.0);
  EXPECT_EQ(s.curve[0].p, 0.0);
  // Point 5 at 0.02*8*y50 = 0.048 in: 0.5*688.8*(0.16)^(1/3) = 186.9691.
  expect_near_rel(s.curve[4].y, 0.048, "y5");
  expect_near_rel(s.curve[4].p, 186.9691, "p5");
  // The curve reaches pu at 8*y50 (point 16) and stays there.
  expect_near_rel(s.curve[15].y, 2.4, "y16");
  expect_near_rel(s.curve[15].p, 688.8, "p16");
  expect_near_rel(s.curve[16].p, 688.8, "p17");
  // p = 0.5*pu at y50 on the cube-root law: p(y)/p(8 y50) = 0.5*(y/y50)^(1/3).
  for (std::size_t i = 1; i < 15; ++i) {
    expect_near_rel(s.curve[i].p, 0.5 * 688.8 * std::cbrt(s.curve[i].y / 0.3), "cube root");
  }
  // At x = 600 in, Np = 3 + 2.4 + 25 = 30.4 > 9: pu = 9*10*12 = 1080.
  const ClaySide deep =
      soft_clay_side(depth_at(600.0, 12.0, 10.0, 0.04, 0.01), false, kStatic, 600.0);
  expect_near_rel(deep.pu, 1080.0, "9cb");
}

TEST(SoftClay, CyclicBranches) {
  // xr = 6*10*12/(0.04*12 + 0.5*10) = 720/5.48 = 131.3869 in.
  const PyDepth at = depth_at(60.0, 12.0, 10.0, 0.04, 0.01);
  const ClaySide s = soft_clay_side(at, false, kCyclic, 60.0);
  // Point 11 at 0.3*2.4 = 0.72 in = 2.4 y50 < 3 y50: 0.5*688.8*2.4^(1/3) = 461.1054.
  expect_near_rel(s.curve[10].p, 461.1054, "below 3 y50");
  // Point 12 at 0.96 in = 3.2 y50, xe < xr: from 0.72 pu = 495.936 toward
  // 0.72 pu xe/xr = 226.4765 at 15 y50: 495.936 - 269.4595*0.2/12 = 491.4450.
  expect_near_rel(s.curve[11].p, 491.4450, "falling branch");
  // xe >= xr: 0.72 pu beyond 3 y50; at x = 600 in pu = 1080, so 777.6.
  const ClaySide deep =
      soft_clay_side(depth_at(600.0, 12.0, 10.0, 0.04, 0.01), false, kCyclic, 600.0);
  expect_near_rel(deep.curve[16].p, 777.6, "residual");
  expect_near_rel(deep.curve[11].p, 777.6, "residual");
}

TEST(SoftClay, ContinuousWallAndZeroStrength) {
  // Continuous wall, b = 24 in: pu = (2*10 + 0.04*60)*24 = 537.6 on the
  // excavation side, (2*10 + 11.8)*24 = 763.2 on the backfill side with
  // sigma_v = 11.8 psi; y50 = 2.5*0.01*12 in (one foot) = 0.3 in.
  PyDepth at = depth_at(60.0, 24.0, 10.0, 0.04, 0.01);
  at.continuous = true;
  at.sigma_v = 11.8;
  expect_near_rel(soft_clay_side(at, false, kStatic, 60.0).pu, 537.6, "excavation");
  const ClaySide back = soft_clay_side(at, true, kStatic, 160.0);
  expect_near_rel(back.pu, 763.2, "backfill");
  expect_near_rel(back.y50, 0.3, "y50 on one foot");
  // A sloping excavation (45 degrees) halves the excavation side.
  at.theta = std::atan(1.0);
  expect_near_rel(soft_clay_side(at, false, kStatic, 60.0).pu, 268.8, "slope");
  // No strength: Np = 0 and a curve of zeros, deflections still increasing.
  const ClaySide zero = soft_clay_side(depth_at(60.0, 12.0, 0.0, 0.04, 0.01), false, kCyclic, 60.0);
  for (std::size_t i = 0; i < zero.curve.size(); ++i) {
    EXPECT_EQ(zero.curve[i].p, 0.0);
    if (i > 0) {
      EXPECT_GT(zero.curve[i].y, zero.curve[i - 1].y);
    }
  }
}

TEST(SoftClay, TinyDeflectionsUseTheSecantModulus) {
  // E50 = 1e-13 with b = 12: y50 = 3e-12, point 2 at 8*y50*0.00025 = 6e-15
  // lies below 1e-14 and gets p = k0*y with k0 = p(1e-14)/1e-14.
  const ClaySide s = soft_clay_side(depth_at(60.0, 12.0, 10.0, 0.04, 1e-13), false, kStatic, 60.0);
  EXPECT_FALSE(s.curve[0].below_tolerance);
  ASSERT_TRUE(s.curve[1].below_tolerance);
  const double k0 = 0.5 * 688.8 * std::cbrt(1e-14 / 3e-12) / 1e-14;
  EXPECT_NEAR(s.curve[1].k0, k0, k0 * kRel);
  EXPECT_NEAR(s.curve[1].p, k0 * 6e-15, k0 * 6e-15 * kRel);
  EXPECT_FALSE(s.curve[2].below_tolerance);  // 6e-14
}

TEST(StiffClayFreeWater, StaticShape) {
  // b = 24 in, c = 20 psi, ca = 15 psi, gamma' = 0.035 pci, x = 48 in:
  // pct = 2*15*24 + 0.035*24*48 + 2.83*15*48 = 2797.92 < pcd = 11*20*24.
  // d/b = 2: As = 0.55, Ac = 0.3; y50 = 0.005*24 = 0.12; ya = 0.066.
  PyDepth at = depth_at(48.0, 24.0, 20.0, 0.035, 0.005);
  at.KPY = 1000.0;
  const FreeWaterSide s = stiff_clay_free_water_side(at, false, kStatic, 15.0);
  expect_near_rel(s.pc, 2797.92, "pc");
  expect_near_rel(s.As, 0.55, "As");
  expect_near_rel(s.Ac, 0.3, "Ac");
  expect_near_rel(s.curve[2].y, 0.066, "ya");
  // At ya: 0.5*pc*sqrt(0.55) = 1037.4965.
  expect_near_rel(s.curve[2].p, 1037.4965, "p(ya)");
  // At 6 ya: pc*(0.5*sqrt(3.3) - 0.055*5^1.25) = 1390.7738.
  expect_near_rel(s.curve[12].y, 0.396, "6 ya");
  expect_near_rel(s.curve[12].p, 1390.7738, "p(6 ya)");
  // At 18 ya and 200 ya: the residual pc*(0.5*sqrt(3.3) - 0.75*0.55 - 0.411) = 237.2499.
  expect_near_rel(s.curve[15].p, 237.2499, "p(18 ya)");
  expect_near_rel(s.curve[16].y, 200 * 0.066, "200 ya");
  expect_near_rel(s.curve[16].p, 237.2499, "p(200 ya)");
  // pcd governs at depth: x = 480 in gives pct > 11*20*24 = 5280.
  PyDepth deep = depth_at(480.0, 24.0, 20.0, 0.035, 0.005);
  expect_near_rel(stiff_clay_free_water_side(deep, false, kStatic, 15.0).pc, 5280.0, "pcd");
}

TEST(StiffClayFreeWater, InitialModulusLimitsEveryPoint) {
  // KPY = 1 pci: Es = 48 lb/in^2 and p = Es*y up to 18 ya (0.5 ya: 1.584
  // against 733.6 from the square-root law).
  PyDepth at = depth_at(48.0, 24.0, 20.0, 0.035, 0.005);
  at.KPY = 1.0;
  const FreeWaterSide s = stiff_clay_free_water_side(at, false, kStatic, 15.0);
  for (std::size_t i = 0; i < 16; ++i)
    expect_near_rel(s.curve[i].p, 48.0 * s.curve[i].y, "Es*y");
  // At 200 ya = 13.2 in, Es*y = 633.6 exceeds the residual 237.2499.
  expect_near_rel(s.curve[16].p, 237.2499, "residual below Es*y");
}

TEST(StiffClayFreeWater, CyclicShape) {
  // yp = 4.1*0.55*0.12 = 0.2706 in.
  PyDepth at = depth_at(48.0, 24.0, 20.0, 0.035, 0.005);
  at.KPY = 1000.0;
  const FreeWaterSide s = stiff_clay_free_water_side(at, false, kCyclic, 15.0);
  // Peak Ac*pc = 839.376 at 0.45 yp (point 10).
  expect_near_rel(s.curve[9].y, 0.45 * 0.2706, "0.45 yp");
  expect_near_rel(s.curve[9].p, 839.376, "peak");
  // At 0.6 yp: 839.376*(1 - (1/3)^2.5) = 785.5300.
  expect_near_rel(s.curve[12].p, 785.5300, "0.6 yp");
  // Beyond 1.8 yp: 0.936*839.376 - 0.102*2797.92*0.2706/0.12 = 142.1064.
  expect_near_rel(s.curve[16].y, 20 * 0.2706, "20 yp");
  expect_near_rel(s.curve[16].p, 142.1064, "residual");
}

TEST(StiffClayFreeWater, AsAndAcTables) {
  EXPECT_NEAR(stiff_clay_As(0.0), 0.223, 1e-7);
  EXPECT_NEAR(stiff_clay_As(0.5), 0.3415, 1e-7);
  EXPECT_NEAR(stiff_clay_As(9.0), 0.6, 1e-7);
  EXPECT_NEAR(stiff_clay_Ac(1.5), 0.295, 1e-7);
  EXPECT_NEAR(stiff_clay_Ac(7.0), 0.3, 1e-7);
}

TEST(StiffClayNoFreeWater, StaticAndCyclic) {
  // b = 12 in, c = 15 psi, ca = 12 psi, gamma' = 0.04 pci, x = 36 in:
  // pu = (3*12 + 0.04*36)*12 + 0.5*12*36 = 665.28 < 9*15*12; y50 = 0.12 in.
  const PyDepth at = depth_at(36.0, 12.0, 15.0, 0.04, 0.004);
  const ClaySide s = stiff_clay_no_free_water_side(at, false, kStatic, 12.0, 36.0);
  expect_near_rel(s.pu, 665.28, "pu");
  expect_near_rel(s.y50, 0.12, "y50");
  // Point 14 at 0.5*16 y50 = 8 y50: 0.5*665.28*8^0.25 = 559.4316.
  expect_near_rel(s.curve[13].p, 559.4316, "8 y50");
  // pu reached exactly at 16 y50, the 15th point; static ye = 20 y50.
  expect_near_rel(s.curve[14].y, 1.92, "16 y50");
  expect_near_rel(s.curve[14].p, 665.28, "pu at 16 y50");
  expect_near_rel(s.curve[15].y, 2.16, "18 y50");
  expect_near_rel(s.curve[16].y, 2.4, "20 y50");
  // Capped at 9cb = 1620 at x = 360 in.
  const ClaySide deep = stiff_clay_no_free_water_side(depth_at(360.0, 12.0, 15.0, 0.04, 0.004),
                                                      false, kStatic, 12.0, 360.0);
  expect_near_rel(deep.pu, 1620.0, "9cb");
  // Cyclic, N = 100: C = 16 + 9.6*2 = 35.2, ye = 1.25*0.12*35.2 = 5.28 in;
  // at 0.48 in: 0.5*665.28*(0.48/(2.2*0.12))^0.25 = 386.2636.
  const ClaySide c = stiff_clay_no_free_water_side(at, false, kCyclic, 12.0, 36.0);
  expect_near_rel(c.curve[16].y, 5.28, "ye");
  expect_near_rel(c.curve[12].p, 386.2636, "cyclic");
  expect_near_rel(c.curve[16].p, 665.28, "cyclic capped at pu");
}

TEST(MeanStrength, TrapezoidsOfAStraightLineGiveItsMidpointMean) {
  // c = 10 + x/10 at the curve depths 0.1, 66 and x = 132: the mean over
  // 0.1..132 of a straight line is the mean of its end values, 15.205.
  PyLayerState state;
  state.depths = {0.1, 66.0};
  state.c_values = {10.01, 16.6};
  EXPECT_NEAR(mean_strength(state, 132.0, 23.2), 0.5 * (10.01 + 23.2), 1e-12);
  // At the first depth of a layer: c itself.
  EXPECT_EQ(mean_strength(PyLayerState{}, 0.1, 10.01), 10.01);
}

TEST(EquivalentDepth, ClayAgainstTheClosedForm) {
  // The homogeneous clay profile sums to k*z + a*z^2 (a = gamma*b/2 + c/4,
  // k = 3cb) down to z9, where Np reaches 9; beyond it grows by 9cb per unit
  // depth.  The summed column meets the closed form to 1e-4 (the panel that
  // holds the kink at z9 is summed by the two-point rule).
  const double c = 10.0, gamma = 0.04, b = 12.0;
  const PyDepth at = depth_at(10.0, b, c, gamma, 0.01);
  const auto resistance = [&](const PyLoading& loading) {
    return [&at, loading](double z, double) { return clay_continued_resistance(at, loading, z); };
  };
  const double a = gamma * b / 2.0 + c / 4.0;
  const double k = 3.0 * c * b;
  const double z9 = 6.0 * c * b / (gamma * b + 0.5 * c);
  const double R9 = (a * z9 + k) * z9;
  for (const double R : {5000.0, 60000.0, 250000.0}) {
    const double expected =
        R <= R9 ? (-k + std::sqrt(k * k + 4.0 * a * R)) / (2.0 * a) : z9 + (R - R9) / (9 * c * b);
    EXPECT_NEAR(equivalent_depth(R, resistance(kStatic), 100.0, b), expected, expected * 1e-4) << R;
    // Cyclic loading continues the same ultimate resistance, so a split
    // profile continues under both loadings.
    EXPECT_NEAR(equivalent_depth(R, resistance(kCyclic), 100.0, b), expected, expected * 1e-4) << R;
  }
  // No strength: no resistance to continue, no equivalent depth.
  const PyDepth empty = depth_at(10.0, b, 0.0, gamma, 0.01);
  EXPECT_EQ(
      equivalent_depth(
          1000.0, [&](double z, double) { return clay_continued_resistance(empty, kStatic, z); },
          100.0, b),
      0.0);
  EXPECT_EQ(equivalent_depth(0.0, resistance(kStatic), 100.0, b), 0.0);
}

TEST(EquivalentDepth, AColumnWhoseStrengthGrowsContinuesTheProfile) {
  // Clay whose strength grows as c = 10 + 0.05d: a column of it cut at 200
  // in hands on R, and the layer below the cut, continuing the same
  // strength above its top, finds its equivalent depth at the cut itself.
  const double b = 12.0, gamma = 0.04;
  PyDepth at = depth_at(10.0, b, 0.0, gamma, 0.01);
  const auto strength = [](double d) { return 10.0 + 0.05 * d; };
  const double cut = 200.0;
  const double R = integrate(
      [&](double d) {
        PyDepth here = at;
        here.c = strength(d);
        return clay_continued_resistance(here, kStatic, d);
      },
      0.0, cut, 400);
  const auto column = [&](double d, double above_top) {
    PyDepth here = at;
    here.c = strength(cut - above_top);
    return clay_continued_resistance(here, kStatic, d);
  };
  EXPECT_NEAR(equivalent_depth(R, column, 50.0, b), cut, cut * 1e-5);
}

TEST(EquivalentDepth, GaussLegendreRule) {
  // Two points per panel integrate a cubic exactly and a smooth function at
  // fourth order; the ends of the interval (layer boundaries, where the
  // strength profile jumps) are never evaluated.
  const auto cubic = [](double x) { return 1.0 + 2.0 * x - 3.0 * x * x + 4.0 * x * x * x; };
  EXPECT_NEAR(integrate(cubic, 1.0, 3.0, 1), 2.0 + 8.0 - 26.0 + 80.0, 1e-12);
  const double exact = std::exp(2.0) - 1.0;
  const auto exp = [](double x) { return std::exp(x); };
  const double coarse = std::abs(integrate(exp, 0.0, 2.0, 4) - exact);
  const double fine = std::abs(integrate(exp, 0.0, 2.0, 8) - exact);
  EXPECT_NEAR(std::log2(coarse / fine), 4.0, 0.1);
  bool touched_ends = false;
  integrate([&](double x) { return touched_ends = touched_ends || x == 0.0 || x == 2.0, x; }, 0.0,
            2.0, 32);
  EXPECT_FALSE(touched_ends);
  EXPECT_EQ(integrate(cubic, 2.0, 1.0, 4), 0.0);
}

}  // namespace
}  // namespace kestro
