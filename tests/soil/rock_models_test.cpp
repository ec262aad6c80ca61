// The rock and weak-rock p-y models against values worked by hand from the
// published weak-rock criterion and the trilinear rock curve.
#include <gtest/gtest.h>

#include <cmath>

#include "soil/rock_models.h"

namespace kestro {
namespace {

constexpr double kRel = 1e-6;

void expect_near_rel(double actual, double expected, const char* what) {
  EXPECT_NEAR(actual, expected, std::abs(expected) * kRel + 1e-12) << what;
}

TEST(Rock, BranchesMeetAtTheUltimateResistance) {
  // qu = 2000 psi, b = 24 in: su = 1000, Es = 2e6, y1 = 0.0096 in,
  // p1 = 19200 lb/in = 0.8 b su, y2 = y1 + (24000 - 19200)/(100*1000) =
  // 0.0576 in = 0.0024 b, where the second branch reaches b su = 24000.
  PyDepth at;
  at.b = 24.0;
  at.c = 2000.0;
  const RockSide s = rock_side(at);
  expect_near_rel(s.su, 1000.0, "su");
  expect_near_rel(s.y1, 0.0096, "y1");
  expect_near_rel(s.y2, 0.0576, "y2");
  EXPECT_EQ(s.curve[0].p, 0.0);
  // Points step by y2/15 = 0.00384: point 3 (0.00768) lies on the first
  // branch, point 6 (0.0192) on the second, point 16 is y2 itself.
  expect_near_rel(s.curve[2].p, 2e6 * 0.00768, "first branch");
  expect_near_rel(s.curve[5].p, 19200.0 + 100.0 * 1000.0 * (0.0192 - 0.0096), "second branch");
  expect_near_rel(s.curve[15].y, 0.0576, "y2");
  expect_near_rel(s.curve[15].p, 24000.0, "b su at y2");
  expect_near_rel(s.curve[16].p, 24000.0, "held beyond y2");
  // Without strength the deflections keep their scale and p is zero.
  at.c = 0.0;
  const RockSide none = rock_side(at);
  expect_near_rel(none.y2, 0.0576, "y2 without strength");
  for (const HalfCurvePoint& point : none.curve)
    EXPECT_EQ(point.p, 0.0);
}

PyDepth weak_rock_at(double x, double RQD) {
  PyDepth at;
  at.x = x;
  at.XT = 0.0;
  at.b = 24.0;
  at.c = 1000.0;     // qur
  at.KPY = 10000.0;  // Eir
  at.E50 = 0.0005;   // krm
  at.P6 = RQD;
  return at;
}

TEST(WeakRock, RockQualityDesignation) {
  // RQD 0: alpha_r = 1; RQD 100: alpha_r = 1/3.  At x = 12 in (xr <= 3b):
  // pur = alpha_r qur (b + 1.4 xr) = 40800 alpha_r,
  // Kir = (100 + 400*12/72) Eir = 166.6667 Eir.
  const WeakRockSide zero = weak_rock_side(weak_rock_at(12.0, 0.0));
  const WeakRockSide full = weak_rock_side(weak_rock_at(12.0, 100.0));
  expect_near_rel(zero.alpha_r, 1.0, "RQD 0");
  expect_near_rel(full.alpha_r, 1.0 / 3.0, "RQD 100");
  expect_near_rel(zero.pur, 1000.0 * (24.0 + 1.4 * 12.0), "pur");
  expect_near_rel(full.pur, 1000.0 * (24.0 + 1.4 * 12.0) / 3.0, "pur RQD 100");
  expect_near_rel(zero.Kir, (100.0 + 400.0 * 12.0 / 72.0) * 10000.0, "Kir");
  // yrm = 0.012 in; ya = (0.5 pur/(yrm^0.25 Kir))^(4/3) = 0.0123211 in.
  const double ya = std::pow(0.5 * 40800.0 / (std::pow(0.012, 0.25) * 1666666.667), 4.0 / 3.0);
  expect_near_rel(zero.ya, ya, "ya");
  // The first point 0.0005 yrm lies on the initial line, and so does yrm
  // itself (below ya); 4 yrm is on the quarter-power branch, 0.5 pur
  // 4^0.25, and 12 yrm gives 0.5 pur 12^0.25 = 37968.68, still below pur.
  expect_near_rel(zero.curve[0].y, 0.000006, "first deflection");
  expect_near_rel(zero.curve[0].p, 1666666.667 * 0.000006, "initial line");
  EXPECT_NEAR(zero.ya, 0.0123211, 1e-7);
  expect_near_rel(zero.curve[13].p, 1666666.667 * 0.012, "at yrm");
  expect_near_rel(zero.curve[14].p, 0.5 * 40800.0 * std::sqrt(2.0), "at 4 yrm");
  expect_near_rel(zero.curve[16].p, 37968.67800, "12 yrm");
}

TEST(WeakRock, BothBranchesAgreeAtThreeWidths) {
  // xr = 3b = 72 in: Kir = 500 Eir and pur = 5.2 alpha_r qur b from either
  // branch; just above and just below agree to the relative 1e-6.
  const WeakRockSide above = weak_rock_side(weak_rock_at(72.0 + 1e-6, 0.0));
  const WeakRockSide below = weak_rock_side(weak_rock_at(72.0 - 1e-6, 0.0));
  expect_near_rel(above.Kir, 500.0 * 10000.0, "deep Kir");
  expect_near_rel(below.Kir, 500.0 * 10000.0, "shallow Kir");
  expect_near_rel(above.pur, 5.2 * 1000.0 * 24.0, "deep pur");
  expect_near_rel(below.pur, 5.2 * 1000.0 * 24.0, "shallow pur");
}

}  // namespace
}  // namespace kestro
