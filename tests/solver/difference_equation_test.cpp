// The elimination itself: the rows and the specified conditions hold in the
// solution, free ends carry no moment, zero pivots do not stop the sweep, the
// counts returned, and the largest wall the arrays hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/span_rule.h"
#include "solver/difference_equation.h"

namespace kestro {
namespace {

void set_codes_and_working_arrays(WallModel& model) {
  const auto error = set_condition_codes(model);
  ASSERT_FALSE(error.has_value()) << error->message;
  copy_to_working_arrays(model);
}

// Residual of the difference row at s for the current deflections, and the
// size of its terms (to judge the residual against).
struct Residual {
  double value = 0.0;
  double scale = 0.0;
};

Residual row_residual(const WallModel& model, int s) {
  const DifferenceRow row = difference_row(model, s);
  const double terms[] = {row.a * model.w[s - 2], row.b * model.w[s - 1], row.c * model.w[s],
                          row.d * model.w[s + 1], row.e * model.w[s + 2], -row.f};
  Residual residual;
  for (double term : terms) {
    residual.value += term;
    residual.scale += std::abs(term);
  }
  return residual;
}

// A wall whose every array varies from station to station, with data reaching
// the imaginary stations at the top.
WallModel irregular_wall() {
  WallModel model;
  model.N = 30;
  model.h = 0.7;
  for (int s = -1; s <= model.N; ++s) {
    model.EI[s] = s < 0 ? 0.0 : 1.0e4 * (1.0 + 0.3 * std::sin(0.4 * s));
    model.S[s] = 40.0 + 5.0 * std::cos(0.3 * s);
    model.Q[s] = 2.0 * std::sin(0.2 * s) + 0.5;
    model.T[s] = 0.8 * std::cos(0.5 * s);
    model.R[s] = 30.0 + 2.0 * s;
    model.P[s] = -200.0 - 10.0 * s;
  }
  return model;
}

TEST(Elimination, RowsAndSpecifiedConditionsHoldInTheSolution) {
  WallModel model = irregular_wall();
  const double h = model.h;
  model.specified_points = {{3, 1, 0.002, 0.0}, {10, 2, 0.0, 0.001}, {20, 3, -0.001, 0.0005}};
  set_codes_and_working_arrays(model);
  clear_deflections(model);
  solve_deflections(model, 1e-9, 1.0);

  EXPECT_EQ(model.w[3], 0.002);
  EXPECT_EQ(model.w[20], -0.001);
  EXPECT_NEAR((model.w[11] - model.w[9]) / (2.0 * h), 0.001, 1e-12);
  EXPECT_NEAR((model.w[21] - model.w[19]) / (2.0 * h), 0.0005, 1e-12);

  // Rows of ordinary stations hold; a specified slope replaces the rows either
  // side of it by their sum; a specified deflection drops its row.
  for (int s = -1; s <= model.N + 1; ++s) {
    if (s == 3 || s == 9 || s == 11 || (s >= 19 && s <= 21)) continue;
    const Residual residual = row_residual(model, s);
    EXPECT_LE(std::abs(residual.value), 1e-12 * residual.scale) << "row " << s;
  }
  for (int slope_station : {10, 20}) {
    const Residual before = row_residual(model, slope_station - 1);
    const Residual after = row_residual(model, slope_station + 1);
    EXPECT_LE(std::abs(before.value + after.value), 1e-12 * (before.scale + after.scale))
        << "rows about station " << slope_station;
    EXPECT_GT(std::abs(before.value), 1e-6 * before.scale) << "the couple holding the slope";
  }
}

TEST(Elimination, RowsAndConditionsHoldAtEndsWhoseSlopeIsSpecified) {
  // At an end whose slope is given the boundary row (zero moment) gives way:
  // a clamp leaves the end station's row to its deflection, a slope alone
  // adds the boundary row to the end station's row.  The couple placed on a
  // restrained end station is the restraint's and is left out of the rows
  // beside it.  Every other row holds as written.
  struct Case {
    const char* name;
    SpecifiedPoint top;
    SpecifiedPoint bottom;
  };
  const Case cases[] = {
      {"guided top, clamped bottom", {0, 2, 0.0, 0.0012}, {30, 3, -0.003, 0.0007}},
      {"clamped top, guided bottom", {0, 3, 0.004, -0.0009}, {30, 2, 0.0, 0.0015}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WallModel model = irregular_wall();
    const int N = model.N;
    const double h = model.h;
    ASSERT_EQ(c.bottom.station, N);
    model.specified_points = {c.top, c.bottom};
    set_codes_and_working_arrays(model);
    clear_deflections(model);
    solve_deflections(model, 1e-9, 1.0);
    const auto& w = model.w;

    EXPECT_NEAR((w[1] - w[-1]) / (2.0 * h), c.top.slope, 1e-12);
    EXPECT_NEAR((w[N + 1] - w[N - 1]) / (2.0 * h), c.bottom.slope, 1e-12);
    if (c.top.case_code == 3) {
      EXPECT_EQ(w[0], c.top.deflection);
    }
    if (c.bottom.case_code == 3) {
      EXPECT_EQ(w[N], c.bottom.deflection);
    }

    for (int s = 2; s <= N - 2; ++s) {
      const Residual residual = row_residual(model, s);
      EXPECT_LE(std::abs(residual.value), 1e-12 * residual.scale) << "row " << s;
    }
    // The couples at the end stations enter rows -1 and 1 (T(0)) and rows
    // N-1 and N+1 (T(N)) as +-h^2/2 T; taken out, the rows beside hold.
    const double top_couple = 0.5 * h * h * model.T[0];
    const double bottom_couple = 0.5 * h * h * model.T[N];
    ASSERT_NE(top_couple, 0.0);
    ASSERT_NE(bottom_couple, 0.0);
    Residual above = row_residual(model, -1);
    above.value += top_couple;
    Residual below = row_residual(model, N + 1);
    below.value -= bottom_couple;
    Residual first = row_residual(model, 1);
    first.value -= top_couple;
    Residual last = row_residual(model, N - 1);
    last.value += bottom_couple;
    EXPECT_LE(std::abs(first.value), 1e-12 * first.scale);
    EXPECT_LE(std::abs(last.value), 1e-12 * last.scale);
    // A slope alone: the end station's row and its boundary row hold together.
    if (c.top.case_code == 2) {
      const Residual end = row_residual(model, 0);
      EXPECT_LE(std::abs(above.value + end.value), 1e-12 * (above.scale + end.scale));
    }
    if (c.bottom.case_code == 2) {
      const Residual end = row_residual(model, N);
      EXPECT_LE(std::abs(below.value + end.value), 1e-12 * (below.scale + end.scale));
    }
    // The boundary rows themselves do not hold: the restraints carry moment.
    EXPECT_GT(std::abs(above.value), 1e-6 * above.scale) << "moment at the top";
    EXPECT_GT(std::abs(below.value), 1e-6 * below.scale) << "moment at the bottom";
  }
}

TEST(Elimination, CoupleOnARestrainedEndStationMovesNothing) {
  // A couple at a clamped or guided end station is carried by the restraint:
  // the wall deflects as without it, whatever its size.
  struct Case {
    const char* name;
    std::vector<SpecifiedPoint> points;
    int load_station;
    int couple_station;
  };
  const int N = 20;
  const Case cases[] = {{"clamped bottom", {{N, 3, 0.0, 0.0}}, 0, N},
                        {"clamped top", {{0, 3, 0.0, 0.0}}, N, 0},
                        {"guided bottom", {{0, 3, 0.0, 0.0}, {N, 2, 0.0, 0.0}}, N, N},
                        {"guided top", {{0, 2, 0.0, 0.0}, {N, 3, 0.0, 0.0}}, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WallModel plain;
    plain.N = N;
    plain.h = 0.5;
    plain.EI.fill(0, N, 1.0e3);
    plain.Q[c.load_station] = 1.0;
    plain.specified_points = c.points;
    WallModel loaded = plain;
    loaded.T[c.couple_station] = 50.0;  // fifty times the load's moment at the clamp
    double size = 0.0;
    for (WallModel* model : {&plain, &loaded}) {
      set_codes_and_working_arrays(*model);
      clear_deflections(*model);
      solve_deflections(*model, 1e-9, 1.0);
    }
    for (int s = -1; s <= N + 1; ++s)
      size = std::max(size, std::abs(plain.w[s]));
    ASSERT_GT(size, 0.0);
    for (int s = -1; s <= N + 1; ++s)
      EXPECT_NEAR(loaded.w[s], plain.w[s], 1e-12 * size) << "station " << s;
  }
}

TEST(Elimination, FreeEndsCarryNoMoment) {
  // Springs, a load inside the wall, nothing at the ends but EI and S.
  WallModel model;
  model.N = 40;
  model.h = 0.25;
  ASSERT_EQ(add_span(model.EI, 0, model.N, 5.0e3), SpanResult::kAdded);
  ASSERT_EQ(add_span(model.S, 0, model.N, 20.0), SpanResult::kAdded);
  model.Q[13] = 4.0;
  set_codes_and_working_arrays(model);
  clear_deflections(model);
  solve_deflections(model, 1e-9, 1.0);

  const auto& w = model.w;
  const int N = model.N;
  const double size = std::abs(w[13]);
  EXPECT_GT(std::abs(w[0]), 1e-3 * size);
  EXPECT_LE(std::abs(w[-1] - 2.0 * w[0] + w[1]), 1e-12 * size);
  EXPECT_LE(std::abs(w[N - 1] - 2.0 * w[N] + w[N + 1]), 1e-12 * size);
  // The imaginary stations beyond keep their start value until extrapolated.
  EXPECT_EQ(w[-2], 0.0);
  EXPECT_EQ(w[N + 2], 0.0);
  extrapolate_end_deflections(model);
  EXPECT_NEAR(w[-2], 2.0 * w[-1] - w[0], 1e-15 * size);
  EXPECT_NEAR(w[N + 2], 2.0 * w[N + 1] - w[N], 1e-15 * size);
}

TEST(Elimination, LoadsAndSpringsAreTakenFromTheWorkingArrays) {
  // The soil iteration augments the working copies; Q and S themselves are
  // the input and must not enter the solution.
  WallModel input;
  input.N = 20;
  input.h = 0.5;
  ASSERT_EQ(add_span(input.EI, 0, input.N, 2.0e3), SpanResult::kAdded);
  ASSERT_EQ(add_span(input.S, 0, input.N, 10.0), SpanResult::kAdded);
  input.Q[4] = 1.5;
  set_codes_and_working_arrays(input);
  WallModel augmented = input;
  augmented.Q.fill(0.0);
  augmented.S.fill(0.0);
  for (WallModel* model : {&input, &augmented}) {
    clear_deflections(*model);
    solve_deflections(*model, 1e-9, 1.0);
  }
  for (int s = -1; s <= input.N + 1; ++s)
    EXPECT_EQ(augmented.w[s], input.w[s]) << "station " << s;
}

TEST(Elimination, StationsWithoutStiffnessGiveZeroPivotsAndTheSweepGoesOn) {
  // EI and springs only from station 2: rows -1 and 0 have zero pivots, and
  // stations 2..N behave as a wall of N-2 increments starting at station 2.
  const double h = 0.5;
  const auto wall_from = [h](int first, int N) {
    WallModel model;
    model.N = N;
    model.h = h;
    EXPECT_EQ(add_span(model.EI, first, N, 3.0e3), SpanResult::kAdded);
    EXPECT_EQ(add_span(model.S, first, N, 15.0), SpanResult::kAdded);
    model.Q[first + 5] = 2.0;
    return model;
  };
  WallModel partial = wall_from(2, 24);
  WallModel shorter = wall_from(0, 22);
  for (WallModel* model : {&partial, &shorter}) {
    set_codes_and_working_arrays(*model);
    clear_deflections(*model);
    solve_deflections(*model, 1e-9, 1.0);
  }
  EXPECT_EQ(partial.w[0], 0.0);
  for (int s = 1; s <= partial.N + 1; ++s) {
    ASSERT_TRUE(std::isfinite(partial.w[s])) << "station " << s;
    EXPECT_NEAR(partial.w[s], shorter.w[s - 2], 1e-12 * std::abs(shorter.w[5])) << "station " << s;
  }
}

TEST(Elimination, ZeroPivotsAroundSpecifiedSlopesGiveFiniteValues) {
  // Nothing at all in the model: every pivot is zero, including both rows a
  // specified slope merges.  The rule gives zero multipliers, never NaN.
  WallModel model;
  model.N = 12;
  model.h = 0.5;
  model.Q.fill(0, model.N, 1.0);
  model.specified_points = {{0, 2, 0.0, 0.01}, {6, 3, 0.02, -0.01}, {12, 1, 0.03, 0.0}};
  set_codes_and_working_arrays(model);
  clear_deflections(model);
  solve_deflections(model, 1e-9, 1.0);
  for (int s = -1; s <= model.N + 1; ++s)
    ASSERT_TRUE(std::isfinite(model.w[s])) << s;
  EXPECT_EQ(model.w[6], 0.02);
  EXPECT_EQ(model.w[12], 0.03);
  EXPECT_NEAR(model.w[1] - model.w[-1], 2.0 * model.h * 0.01, 1e-15);
  EXPECT_NEAR(model.w[7] - model.w[5], -2.0 * model.h * 0.01, 1e-15);

  // The same with slopes at both ends, where the boundary rows give way.
  for (int bottom_case : {2, 3}) {
    WallModel ends = model;
    ends.specified_points = {{0, 3, 0.01, 0.02}, {6, 1, 0.03, 0.0}, {12, bottom_case, 0.04, 0.05}};
    set_codes_and_working_arrays(ends);
    clear_deflections(ends);
    solve_deflections(ends, 1e-9, 1.0);
    for (int s = -1; s <= ends.N + 1; ++s)
      ASSERT_TRUE(std::isfinite(ends.w[s])) << s;
    EXPECT_EQ(ends.w[0], 0.01);
    EXPECT_EQ(ends.w[6], 0.03);
    if (bottom_case == 3) {
      EXPECT_EQ(ends.w[12], 0.04);
    }
    EXPECT_NEAR(ends.w[1] - ends.w[-1], 2.0 * ends.h * 0.02, 1e-15);
    EXPECT_NEAR(ends.w[13] - ends.w[11], 2.0 * ends.h * 0.05, 1e-15);
  }
}

TEST(Elimination, ReportsLargestChangeAndCountsOverTheRealStations) {
  // A cantilever, free at the top: |w| grows towards the top, and the
  // imaginary stations -1 and N+1 deflect more than their neighbours.
  WallModel model;
  model.N = 20;
  model.h = 0.5;
  const int N = model.N;
  ASSERT_EQ(add_span(model.EI, 0, N, 1.0e3), SpanResult::kAdded);
  model.Q[0] = 1.0;
  model.specified_points = {{N, 3, 0.0, 0.0}};
  set_codes_and_working_arrays(model);
  clear_deflections(model);

  // First solve: from zero, so every change is the deflection itself.
  WallModel probe = model;
  solve_deflections(probe, 0.0, 1.0);
  const auto& w = probe.w;
  ASSERT_GT(w[-1], w[0]);
  ASSERT_GT(w[N + 1], 0.0);

  WallModel first = model;
  SolutionSummary summary = solve_deflections(first, w[10], w[0]);
  EXPECT_EQ(summary.largest_change, w[0]);
  EXPECT_EQ(summary.stations_over_closure, 10);   // stations 0..9; change must exceed
  EXPECT_EQ(summary.stations_over_allowable, 0);  // station -1 is not counted

  WallModel bottom = model;
  summary = solve_deflections(bottom, 0.0, 0.5 * w[N - 1]);
  EXPECT_EQ(summary.stations_over_allowable, N);  // 0..N-1, not N+1
  EXPECT_EQ(summary.stations_over_closure, N);    // station N stays at zero

  // Solving again changes nothing; a disturbed old value shows as the change.
  summary = solve_deflections(first, 0.0, 1.0);
  EXPECT_EQ(summary.largest_change, 0.0);
  EXPECT_EQ(summary.stations_over_closure, 0);
  first.w[5] += 0.25;
  summary = solve_deflections(first, 1e-9, 1.0);
  EXPECT_NEAR(summary.largest_change, 0.25, 1e-15);
  EXPECT_EQ(summary.stations_over_closure, 1);
  EXPECT_EQ(first.w[5], w[5]);
}

TEST(Elimination, SolvesTheLargestWallTheArraysHold) {
  // N = 409 uses every station up to 412.  A long beam on springs with a head
  // load: y0 = 2*H*beta/k within the discretisation error (beta*h = 0.05).
  WallModel model;
  model.N = kMaxIncrements;
  const double EI = 2.0e4;
  const double k = 50.0;
  const double beta = std::pow(k / (4.0 * EI), 0.25);
  model.h = 20.0 / beta / model.N;
  ASSERT_EQ(add_span(model.EI, 0, model.N, EI), SpanResult::kAdded);
  ASSERT_EQ(add_span(model.S, 0, model.N, k * model.h), SpanResult::kAdded);
  model.Q[0] = 3.0;
  set_codes_and_working_arrays(model);
  clear_deflections(model);
  solve_deflections(model, 1e-9, 1.0);
  extrapolate_end_deflections(model);

  const double exact = 2.0 * 3.0 * beta / k;
  EXPECT_NEAR(model.w[0], exact, 1e-3 * exact);
  EXPECT_TRUE(std::isfinite(model.w[kLastStation - 1]));
  EXPECT_EQ(model.w[kLastStation], 0.0);
}

}  // namespace
}  // namespace kestro
