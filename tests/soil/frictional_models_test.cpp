// The sand and silt p-y models against values worked by hand from the
// published sand criterion (wedge and flow resistances, A and B, the
// parabola through ym and the initial modulus line), the Coulomb passive
// coefficient, and the equivalent depth against a direct integration.
// Relative tolerance 1e-6 unless stated: the models' decimal constants are
// single-precision values.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "soil/frictional_models.h"

namespace kestro {
namespace {

constexpr double kRel = 1e-6;
constexpr double kDegree = 3.141592653589793 / 180.0;

void expect_near_rel(double actual, double expected, const char* what) {
  EXPECT_NEAR(actual, expected, std::abs(expected) * kRel + 1e-12) << what;
}

// English units, spaced elements (b = 24 in), first layer, excavation side.
PyDepth sand_at(double x, double PHI_degrees, double gamma, double KPY) {
  PyDepth at;
  at.x = x;
  at.H = 120.0;
  at.b = 24.0;
  at.PHI = PHI_degrees * kDegree;
  at.gamma_avg = gamma;
  at.KPY = KPY;
  return at;
}

const PyLoading kStatic{false, 1.0};
const PyLoading kCyclic{true, 100.0};

TEST(Sand, WedgeAndFlowResistance) {
  // phi = 35, gamma' = 0.04 pci, b = 24 in.  beta = 62.5, alpha = 17.5,
  // Ka = tan^2(27.5) = 0.2709924.  At x = 24 in the wedge governs:
  // pst = 0.96*(12.008 + 142.2 + 5.640 - 6.504) = 147.2172 lb/in and
  // psd = 1239.454; at x = 480 in the flow governs: pst = 28951.29,
  // psd = 24789.08.
  const SandSide shallow = sand_side(sand_at(24.0, 35.0, 0.04, 100.0), false, kStatic, 24.0);
  expect_near_rel(shallow.resistance.pst, 147.2172373, "pst shallow");
  expect_near_rel(shallow.resistance.psd, 1239.453829, "psd shallow");
  expect_near_rel(shallow.resistance.ps, 147.2172373, "ps shallow");
  const SandSide deep = sand_side(sand_at(480.0, 35.0, 0.04, 100.0), false, kStatic, 480.0);
  expect_near_rel(deep.resistance.pst, 28951.29122, "pst deep");
  expect_near_rel(deep.resistance.psd, 24789.07658, "psd deep");
  expect_near_rel(deep.resistance.ps, 24789.07658, "ps deep");
  // x/b = 20: the tables hold their last values, A = 0.88 and B = 0.5.
  expect_near_rel(deep.A, 0.88, "A deep");
  expect_near_rel(deep.B, 0.5, "B deep");
  expect_near_rel(deep.shape.pu, 0.88 * 24789.07658, "pu deep");
  expect_near_rel(deep.shape.pm, 0.5 * 24789.07658, "pm deep");
}

TEST(Sand, SlopingExcavationWedge) {
  // The excavation ground falls at 10 degrees: F1 = 1/(1 + tan 10 tan 62.5)
  // = 0.7469808, D = 0.2530192, G = 4D^3 - 3D^2 + 1 = 0.8727357, and the
  // wedge at x = 24 in drops from 147.2172 to 100.7865 lb/in.  The backfill
  // side keeps the flat wedge.
  PyDepth at = sand_at(24.0, 35.0, 0.04, 100.0);
  at.theta = 10.0 * kDegree;
  expect_near_rel(sand_side(at, false, kStatic, 24.0).resistance.pst, 100.7865041, "sloping");
  expect_near_rel(sand_side(at, true, kStatic, 24.0).resistance.pst, 147.2172373, "backfill flat");
}

TEST(Sand, TablesStaticAndCyclic) {
  EXPECT_NEAR(sand_A(0.0, false), 2.83, 1e-6);
  EXPECT_NEAR(sand_B(0.0, false), 2.14, 1e-6);
  EXPECT_NEAR(sand_A(0.25, false), (2.83 + 2.48) / 2.0, 1e-6);
  EXPECT_NEAR(sand_A(3.5, true), (0.94 + 0.9) / 2.0, 1e-6);
  EXPECT_NEAR(sand_B(4.5, true), 0.55, 1e-6);
  EXPECT_NEAR(sand_B(6.0, false), 0.5, 1e-6);
  EXPECT_NEAR(sand_A(40.0, true), 0.88, 1e-6);
}

TEST(Sand, StiffModulusSeventeenPoints) {
  // x = 24 in = b: A = 2.11, B = 1.54, pu = 310.6284, pm = 226.7145;
  // yu = 3b/80 = 0.9, ym = b/60 = 0.4, m = 167.8276, n = 3.377193,
  // C = 297.3794, Es = 100*24 = 2400, yk = (C/Es)^(n/(n-1)) = 0.05147535 <=
  // ym/5: the first steps are yk/2 and yk, on the initial line.
  const SandSide s = sand_side(sand_at(24.0, 35.0, 0.04, 100.0), false, kStatic, 24.0);
  expect_near_rel(s.shape.pu, 310.6283553, "pu");
  expect_near_rel(s.shape.pm, 226.7145399, "pm");
  expect_near_rel(s.shape.yk, 0.05147534502, "yk");
  const double expected[17][2] = {{0.0, 0.0},
                                  {0.02573767251, 61.77041403},
                                  {0.05147534502, 123.5408281},
                                  {0.08632781052, 143.9796336},
                                  {0.1211802760, 159.1884670},
                                  {0.1560327415, 171.5611738},
                                  {0.1908852070, 182.1146306},
                                  {0.2257376725, 191.3861941},
                                  {0.2605901380, 199.6980605},
                                  {0.2954426035, 207.2602380},
                                  {0.3302950690, 214.2180183},
                                  {0.3651475345, 220.6765279},
                                  {0.4, 226.7145399},
                                  {0.5666666667, 254.6858117},
                                  {0.7333333333, 282.6570835},
                                  {0.9, 310.6283553},
                                  {1.080000043, 310.6283553}};
  for (std::size_t i = 0; i < 17; ++i) {
    expect_near_rel(s.curve[i].y, expected[i][0], "y");
    expect_near_rel(s.curve[i].p, expected[i][1], "p");
  }
}

TEST(Sand, SoftModulusStretchesTheScale) {
  // KPY = 1 pci: Es = 24, yk = 35.72 > yu, so the scale reaches pu/Es =
  // 12.94285 in, ym becomes 0.4*(pu/Es)/0.9 = 5.752377 and d0 = ym/10; the
  // curve is the initial line up to pu/Es, then pu.
  const SandSide s = sand_side(sand_at(24.0, 35.0, 0.04, 1.0), false, kStatic, 24.0);
  expect_near_rel(s.curve[15].y, 12.94284814, "pu/Es");
  expect_near_rel(s.curve[12].y, 5.752376951, "stretched ym");
  expect_near_rel(s.curve[2].y, 0.5752376951, "d0");
  for (std::size_t i = 1; i < 16; ++i)
    expect_near_rel(s.curve[i].p, 24.0 * s.curve[i].y, "on the line");
  expect_near_rel(s.curve[16].p, 310.6283553, "pu beyond");
}

TEST(Sand, CyclicNearTheSurface) {
  // x = 12 in, b = 24: x/b = 0.5, cyclic A = 0.93, B = 0.72.
  const SandSide s = sand_side(sand_at(12.0, 35.0, 0.04, 100.0), false, kCyclic, 12.0);
  EXPECT_NEAR(s.A, 0.93, 1e-6);
  EXPECT_NEAR(s.B, 0.72, 1e-6);
  expect_near_rel(s.shape.pu, 0.93 * s.resistance.pst, "pu");
}

TEST(ContinuousWall, PassiveCoefficientClosedForms) {
  // Rankine at delta = 0: (1 + sin phi)/(1 - sin phi) = 3 at phi = 30.
  EXPECT_NEAR(passive_coefficient(30.0 * kDegree, 0.0, 0.0), 3.0, 1e-12);
  // Coulomb, vertical wall, level ground, delta = phi/2 = 15: 4.976500.
  EXPECT_NEAR(passive_coefficient(30.0 * kDegree, 15.0 * kDegree, 0.0), 4.976500223, 1e-8);
  // A continuous sand wall: ps = Kp*gamma*x*b on the excavation side and
  // Kp*sigma_v*b behind, A and B at depth over one foot.
  PyDepth at = sand_at(24.0, 30.0, 0.04, 100.0);
  at.PHI = 30.0 * kDegree;
  at.continuous = true;
  at.sigma_v = 8.0;
  const double Kp = 4.976500223;
  expect_near_rel(sand_side(at, false, kStatic, 24.0).resistance.ps, Kp * 0.04 * 24.0 * 24.0,
                  "excavation");
  const SandSide back = sand_side(at, true, kStatic, 144.0);
  expect_near_rel(back.resistance.ps, Kp * 8.0 * 24.0, "backfill");
  expect_near_rel(back.A, 0.88, "A at 144/12");
  expect_near_rel(back.shape.yu, 3.0 * 12.0 / 80.0, "yu on one foot");
}

// Silt, spaced elements: b = 24, phi = 30, c = 0.1 psi, gamma' = 0.04, x = 24:
// Pu_phi = 105.48567 (pi in double), Np = 13.1 -> 9, Puc = 21.6, A = 2.11,
// pu = 222.57476, pm = 1.5*Pu_phi + Puc = 179.82851, m = 85.4925, n = 5.25860.
PyDepth silt_at(double KPY) {
  PyDepth at;
  at.x = 24.0;
  at.H = 120.0;
  at.b = 24.0;
  at.c = 0.1;
  at.PHI = 30.0 * kDegree;
  at.gamma_avg = 0.04;
  at.KPY = KPY;
  return at;
}

TEST(Silt, CaseOneMeetsTheParabola) {
  // KPY = 100: Es = 2400, yk = 0.0505635 < ym: the sand construction.
  const SiltSide s = silt_side(silt_at(100.0), false, kStatic, 24.0);
  expect_near_rel(s.Pu_phi, 105.4856730, "Pu_phi");
  expect_near_rel(s.Puc, 21.6, "Puc");
  expect_near_rel(s.shape.pu, 222.5747590, "pu");
  expect_near_rel(s.shape.pm, 179.8285095, "pm");
  EXPECT_EQ(s.case_number, 1);
  expect_near_rel(s.curve[2].y, 0.05056350982, "yk");
  expect_near_rel(s.curve[12].p, 179.8285095, "pm at ym");
  expect_near_rel(s.curve[15].p, 222.5747590, "pu at yu");
}

TEST(Silt, CaseTwoHasItsBreakPointTwice) {
  // KPY = 15: Es = 360, yk = 0.526 >= ym; y2 = (pm - ym m)/(Es - m) =
  // 0.5305192 lies in [ym, yu).
  const SiltSide s = silt_side(silt_at(15.0), false, kStatic, 24.0);
  EXPECT_EQ(s.case_number, 2);
  expect_near_rel(s.y2, 0.5305192367, "y2");
  EXPECT_EQ(s.curve[7].y, s.curve[8].y);
  expect_near_rel(s.curve[6].y, 0.4642043321, "7/8 y2");
  expect_near_rel(s.curve[8].p, 190.9869252, "Es*y2");
  expect_near_rel(s.curve[9].y, 0.5920993639, "first step beyond");
  expect_near_rel(s.curve[9].p, 196.2515642, "on the segment");
  expect_near_rel(s.curve[16].y, 1.080000043, "1.2 yu");
  expect_near_rel(s.curve[16].p, 222.5747590, "pu");
}

TEST(Silt, CaseThreeIsBilinear) {
  // KPY = 3: Es = 72, y3 = pu/Es = 3.091316 >= yu.
  const SiltSide s = silt_side(silt_at(3.0), false, kStatic, 24.0);
  EXPECT_EQ(s.case_number, 3);
  expect_near_rel(s.curve[12].y, 3.091316097, "y3");
  expect_near_rel(s.curve[6].p, 111.2873795, "half way on the line");
  expect_near_rel(s.curve[12].p, 222.5747590, "pu at y3");
  expect_near_rel(s.curve[16].y, 1.2 * 3.091316097, "1.2 y3");
  expect_near_rel(s.curve[16].p, 222.5747590, "pu beyond");
}

TEST(Silt, ContinuousWallFrictionIsTenDegrees) {
  PyDepth at = silt_at(100.0);
  at.continuous = true;
  at.c = 2.0;
  // Kp at phi = 30, delta = 10 degrees (Coulomb): cos^2 30/(cos 10 (1 -
  // sqrt(sin 40 sin 30 / cos 10))^2) = 4.1433; Puc = 2cb sqrt(Kp).
  const double delta = 10.0 * kDegree;
  const double Kp =
      std::pow(std::cos(30.0 * kDegree), 2) /
      (std::cos(delta) *
       std::pow(1.0 - std::sqrt(std::sin(40.0 * kDegree) * 0.5 / std::cos(delta)), 2));
  EXPECT_NEAR(Kp, 4.1433, 1e-4);
  const SiltSide s = silt_side(at, false, kStatic, 24.0);
  EXPECT_NEAR(s.Puc, 2.0 * 2.0 * 24.0 * std::sqrt(Kp), 1e-4);
  EXPECT_NEAR(s.Pu_phi, Kp * 0.04 * 24.0 * 24.0, 1e-4);
}

// The resistance of a homogeneous sand (or silt) profile summed from the
// surface to z by a fine midpoint rule: A*min(pst, psd), silt plus
// min(Np, 9)*c*b.
double integrated(const PyDepth& at, double z, bool cyclic, bool silt) {
  const int steps = 20000;
  const double dz = z / steps;
  const double pi = silt ? std::numbers::pi : double(3.1416f);
  double sum = 0.0;
  for (int k = 0; k < steps; ++k) {
    const double s = (k + 0.5) * dz;
    const FrictionalResistance r = frictional_resistance(at, true, s, pi, at.PHI / 2.0);
    double value = sand_A(s / at.b, cyclic) * std::min(r.pst, r.psd);
    if (silt) value += std::min(3.0 + at.gamma_avg * s / at.c + 0.5 * s / at.b, 9.0) * at.c * at.b;
    sum += value * dz;
  }
  return sum;
}

TEST(EquivalentDepth, SandAndSiltAgainstDirectIntegration) {
  // The depth at which the summed resistance of the layer's own profile
  // reaches R, through the wedge (shallow), the flow (deep) and the change of
  // A with depth, agrees with a fine integration to 1e-4.
  const PyDepth sand = sand_at(0.1, 35.0, 0.04, 100.0);
  PyDepth silt = silt_at(100.0);
  silt.c = 2.0;
  for (const PyLoading& loading : {kStatic, kCyclic}) {
    for (const double R : {20000.0, 50000.0, 400000.0, 4.0e6}) {
      const double z = equivalent_depth(
          R, [&](double d, double) { return sand_continued_resistance(sand, loading, d); }, 100.0,
          sand.b);
      EXPECT_NEAR(integrated(sand, z, loading.cyclic, false), R, R * 1e-4) << R;
      const double zs = equivalent_depth(
          R, [&](double d, double) { return silt_continued_resistance(silt, loading, d); }, 100.0,
          silt.b);
      EXPECT_NEAR(integrated(silt, zs, loading.cyclic, true), R, R * 1e-4) << R;
    }
  }
  // Cyclic sand needs a greater depth for the same resistance near the surface.
  const auto depth = [&](const PyLoading& loading) {
    return equivalent_depth(
        2000.0, [&](double d, double) { return sand_continued_resistance(sand, loading, d); },
        100.0, sand.b);
  };
  EXPECT_GT(depth(kCyclic), depth(kStatic));
}

}  // namespace
}  // namespace kestro
