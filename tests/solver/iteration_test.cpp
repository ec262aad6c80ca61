// The nonlinear iteration: linear problems against direct solutions, p-y
// curves against springs and against the equilibrium they must satisfy, a
// moment-curvature cantilever against its closed form, the stops, the monitor
// rows, the damping factors and the hinge option.
#include "solver/iteration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "common/input_error.h"
#include "common/run_stop.h"
#include "common/span_rule.h"
#include "driver/run.h"
#include "driver/run_context.h"
#include "solver/difference_equation.h"

namespace kestro {
namespace {

constexpr double kEI = 1.0e4;
constexpr double kLoad = 10.0;
constexpr double kSpring = 50.0;

struct Problem {
  Problem(int N, double h) {
    WallModel& wall = context.problem.wall;
    wall.N = N;
    wall.h = h;
    Geometry& g = context.problem.geometry;
    g.N = N;
    g.h = h;
    g.tolerance = 1.0e-12;
    g.max_deflection = 1.0e30;
    g.max_iterations = 100;
    context.problem.control.units = UnitSystem::si;
    set_unit_labels(context.problem.labels, label_selector(UnitSystem::si));
    context.files.monitor.attach(monitor);
    context.files.report.attach(report);
    wall.EI.fill(0, N, kEI);
  }
  WallModel& wall() { return context.problem.wall; }
  // Monitoring rows: the lines after the three heading lines and their rule.
  std::vector<std::string> rows() const {
    std::vector<std::string> lines;
    std::istringstream in(monitor.str());
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    std::vector<std::string> result;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind("    ----", 0) == 0) {
        result.assign(lines.begin() + static_cast<long>(i) + 1, lines.end());
      }
    }
    return result;
  }
  std::ostringstream console;
  std::ostringstream monitor;
  std::ostringstream report;
  RunContext context{".", console, Clock{}};
};

// Deflections of the model solved once, from zero, with its own S and Q.
WallModel direct_solution(WallModel model) {
  copy_to_working_arrays(model);
  clear_deflections(model);
  solve_deflections(model, 0.0, 1.0e30);
  return model;
}

// Largest |a - b| over stations -1..N+1, relative to the largest |b|.
double relative_difference(const WallModel& a, const WallModel& b) {
  double largest = 0.0;
  double scale = 0.0;
  for (int s = -1; s <= a.N + 1; ++s) {
    largest = std::max(largest, std::abs(a.w[s] - b.w[s]));
    scale = std::max(scale, std::abs(b.w[s]));
  }
  return largest / scale;
}

// A curve p = -k y over deflections -1..1.
StationCurve linear_curve(int from, int to, int contd, double k) {
  return StationCurve{from, to, contd, {-1.0, 1.0}, {k, -k}};
}

// A pile of 20 increments of 0.5 with a load at the top, free at both ends.
Problem pile() {
  return Problem(20, 0.5);
}

TEST(LinearProblems, ConvergeAtTheThirdIterationOnTheDirectSolution) {
  Problem problem = pile();
  problem.wall().Q[0] = kLoad;
  problem.wall().S.fill(0, 20, kSpring);
  const IterationResult result = iterate(solver_context(problem.context));
  EXPECT_EQ(result.outcome, IterationOutcome::converged);
  EXPECT_EQ(result.iterations, 3);
  EXPECT_EQ(result.stations_not_closed, 0);
  EXPECT_TRUE(result.valid());
  // A valid solution leaves its imaginary end stations extrapolated.
  const WallModel& w = problem.wall();
  EXPECT_DOUBLE_EQ(w.w[-2], 2.0 * w.w[-1] - w.w[0]);
  EXPECT_DOUBLE_EQ(w.w[22], 2.0 * w.w[21] - w.w[20]);
  EXPECT_LT(relative_difference(problem.wall(), direct_solution(problem.wall())), 1e-13);
  EXPECT_EQ(problem.rows().size(), 3u);
}

TEST(LinearProblems, MonitorHeaderAndRowLayout) {
  Problem problem = pile();
  problem.wall().Q[0] = kLoad;
  problem.wall().S.fill(0, 20, kSpring);
  iterate(solver_context(problem.context));
  const std::string head =
      "\n\n"
      "     ITERATION MONITORING\n"
      "     --------------------\n"
      "\n"
      "    ITER     NODES      MAX. CHANGE     DEF.        DEF.        DEF.        DEF. \n"
      "            EXC. TOL.    DEFLECTION    NODE 0      NODE 1      NODE 2      NODE 3\n"
      "    ----    ---------   -----------    ------      ------      ------      ------\n";
  EXPECT_EQ(problem.monitor.str().substr(0, head.size()), head);
  const std::vector<std::string> rows = problem.rows();
  ASSERT_EQ(rows.size(), 3u);
  // Row 1: every station moved from zero; row 3: nothing moved.
  std::istringstream first(rows[0]);
  int it = 0;
  int count = 0;
  double change = 0.0;
  first >> it >> count >> change;
  EXPECT_EQ(it, 1);
  EXPECT_EQ(count, 21);
  const double rounding = 5e-3;  // relative rounding of E12.3
  for (int s = 1; s <= 4; ++s) {
    double value = 0.0;
    first >> value;
    EXPECT_NEAR(value, problem.wall().w[s], rounding * std::abs(problem.wall().w[s]));
  }
  EXPECT_EQ(rows[0].size(), 3u + 4 + 6 + 4 + 6 + 5 * 12);
  EXPECT_EQ(rows[0].substr(0, 7), "      1");
  EXPECT_EQ(rows[2].substr(0, 17), "      3         0");
}

TEST(LinearProblems, ShortWallsLeaveTheMissingColumnsBlank) {
  Problem problem(2, 1.0);
  problem.wall().S.fill(0, 2, kSpring);
  problem.wall().Q[1] = kLoad;
  iterate(solver_context(problem.context));
  const std::vector<std::string> rows = problem.rows();
  ASSERT_EQ(rows.size(), 3u);
  const std::string& row = rows[0];
  ASSERT_EQ(row.size(), 83u);
  EXPECT_EQ(row.substr(83 - 24), std::string(24, ' '));      // stations 3 and 4
  EXPECT_NE(row.substr(83 - 36, 12), std::string(12, ' '));  // station 2
}

TEST(LinearProblems, SinglePassWhenTheMaximumIsZero) {
  Problem problem = pile();
  problem.context.problem.geometry.max_iterations = 0;
  problem.wall().Q[0] = kLoad;
  // Curves whose tangent at zero is k but which stiffen beyond 0.001: a
  // single pass uses the tangent at zero deflection only.
  for (int s = 0; s <= 20; ++s) {
    problem.context.problem.curves.push_back(
        StationCurve{s, s, 0, {-0.001, 0.0, 0.001, 1.0}, {0.05, 0.0, -0.05, -1000.0}});
  }
  const IterationResult result = iterate(solver_context(problem.context));
  EXPECT_EQ(result.outcome, IterationOutcome::single_pass);
  EXPECT_EQ(result.iterations, 0);
  EXPECT_TRUE(result.valid());
  // After the heading only an empty line and a line of 20 blanks.
  EXPECT_EQ(problem.rows(), (std::vector<std::string>{"", std::string(20, ' ')}));
  Problem springs = pile();
  springs.wall().Q[0] = kLoad;
  springs.wall().S.fill(0, 20, kSpring);
  EXPECT_LT(relative_difference(problem.wall(), direct_solution(springs.wall())), 1e-12);
  EXPECT_GT(std::abs(problem.wall().w[0]), 0.001);  // well into the stiffer part
}

// The pile on linear springs given as the iteration's own p-y curves and as
// spring records spread over the same stations must give the same wall.
TEST(LinearCurves, OneStationCurvesActAsFullSprings) {
  Problem curves = pile();
  curves.wall().Q[0] = kLoad;
  for (int s = 0; s <= 20; ++s)
    curves.context.problem.curves.push_back(linear_curve(s, s, 0, kSpring));
  curves.context.problem.curves.push_back(
      StationCurve{3, 3, 0, {0.0}, {5.0}});  // one point: skipped
  const IterationResult result = iterate(solver_context(curves.context));
  EXPECT_EQ(result.outcome, IterationOutcome::converged);
  Problem springs = pile();
  springs.wall().Q[0] = kLoad;
  springs.wall().S.fill(0, 20, kSpring);
  const WallModel expected = direct_solution(springs.wall());
  EXPECT_LT(relative_difference(curves.wall(), expected), 1e-12);
  // The soil reaction is the force per unit length, -k w / h.
  for (int s : {0, 7, 20}) {
    EXPECT_NEAR(curves.wall().soil_reaction[s], -kSpring * expected.w[s] / 0.5,
                1e-9 * kSpring * std::abs(expected.w[0]));
  }
}

TEST(LinearCurves, SpanCurvesFollowTheSpanRule) {
  // One curve over 0..20 carries half shares at its ends; a chain of three
  // continued curves is interpolated 0..12 and 12..20, the middle one
  // starting its second pair at its TO.
  Problem curves = pile();
  curves.wall().Q[0] = kLoad;
  curves.context.problem.curves = {linear_curve(0, 20, 0, kSpring), linear_curve(0, 5, 1, 10.0),
                                   linear_curve(8, 12, 1, 40.0), linear_curve(15, 20, 0, 20.0)};
  EXPECT_EQ(iterate(solver_context(curves.context)).outcome, IterationOutcome::converged);
  EXPECT_EQ(curves.context.problem.curves[2].FROM, 12);  // replaced for good
  EXPECT_EQ(curves.context.problem.curves[3].FROM, 15);  // the last of a chain keeps its FROM
  Problem springs = pile();
  springs.wall().Q[0] = kLoad;
  ASSERT_EQ(add_span(springs.wall().S, 0, 20, kSpring), SpanResult::kAdded);
  ASSERT_EQ(add_interpolated_span(springs.wall().S, 0, 12, 10.0, 40.0), SpanResult::kAdded);
  ASSERT_EQ(add_interpolated_span(springs.wall().S, 12, 20, 40.0, 20.0), SpanResult::kAdded);
  EXPECT_LT(relative_difference(curves.wall(), direct_solution(springs.wall())), 1e-12);
}

TEST(LinearCurves, GeneratedCurvesInterpolateBetweenStations) {
  // Continued one-station curves at 0, 10 and 20, the last also continued.
  Problem curves = pile();
  curves.wall().Q[0] = kLoad;
  curves.context.problem.curves = {linear_curve(0, 0, 1, 30.0), linear_curve(10, 10, 1, 60.0),
                                   linear_curve(20, 20, 1, 90.0)};
  iterate(solver_context(curves.context));
  Problem springs = pile();
  springs.wall().Q[0] = kLoad;
  add_interpolated_span(springs.wall().S, 0, 10, 30.0, 60.0);
  add_interpolated_span(springs.wall().S, 10, 20, 60.0, 90.0);
  EXPECT_LT(relative_difference(curves.wall(), direct_solution(springs.wall())), 1e-12);
}

TEST(LinearCurves, SpansAreCutAtTheBottom) {
  // 15..30 is cut to 15..20 with half shares at 15 and 20; a longer span
  // starting at N and a one-station curve below N add nothing; a one-station
  // curve at N acts in full.
  Problem curves = pile();
  curves.wall().Q[0] = kLoad;
  curves.wall().S.fill(0, 10, kSpring);
  curves.context.problem.curves = {linear_curve(15, 30, 0, kSpring), linear_curve(20, 25, 0, 1.0e6),
                                   linear_curve(21, 21, 0, 1.0e6), linear_curve(20, 20, 0, 7.0)};
  iterate(solver_context(curves.context));
  Problem springs = pile();
  springs.wall().Q[0] = kLoad;
  springs.wall().S.fill(0, 10, kSpring);
  add_span(springs.wall().S, 15, 20, kSpring);
  springs.wall().S[20] += 7.0;
  EXPECT_LT(relative_difference(curves.wall(), direct_solution(springs.wall())), 1e-12);
}

// Bilinear soil: p = -k y up to |y| = yield, then -k2 per unit beyond.
struct Bilinear {
  double k;
  double k2;
  double yield;
  double operator()(double y) const {
    const double a = std::abs(y);
    const double p = a <= yield ? k * a : k * yield + k2 * (a - yield);
    return y < 0.0 ? p : -p;
  }
  StationCurve curve(int station) const {
    const std::vector<double> y = {-1.0, -yield, yield, 1.0};
    std::vector<double> p;
    for (double v : y)
      p.push_back((*this)(v));
    return StationCurve{station, station, 0, y, p};
  }
};

TEST(LinearCurves, CurvesOnOneStationActAsOne) {
  // Two continued curves on station 10 (the last of one layer and the first
  // of the next): the span from 0 ends on the first, the span to 20 starts
  // from the second, and station 10 gets one half of each, never a third
  // full share.
  Problem curves = pile();
  curves.wall().Q[0] = kLoad;
  curves.context.problem.curves = {linear_curve(0, 0, 1, 30.0), linear_curve(10, 10, 1, 60.0),
                                   linear_curve(10, 10, 1, 120.0), linear_curve(20, 20, 1, 90.0)};
  iterate(solver_context(curves.context));
  Problem springs = pile();
  springs.wall().Q[0] = kLoad;
  add_interpolated_span(springs.wall().S, 0, 10, 30.0, 60.0);
  add_interpolated_span(springs.wall().S, 10, 20, 120.0, 90.0);
  EXPECT_DOUBLE_EQ(springs.wall().S[10], 90.0);
  EXPECT_LT(relative_difference(curves.wall(), direct_solution(springs.wall())), 1e-12);

  // Curves that share a station and no span reaches act once, as their mean.
  Problem alone = pile();
  alone.wall().Q[0] = kLoad;
  alone.wall().S.fill(0, 20, kSpring);
  alone.context.problem.curves = {linear_curve(20, 20, 1, 60.0), linear_curve(20, 20, 1, 100.0),
                                  linear_curve(20, 20, 1, 140.0)};
  iterate(solver_context(alone.context));
  Problem mean = pile();
  mean.wall().Q[0] = kLoad;
  mean.wall().S.fill(0, 20, kSpring);
  mean.wall().S[20] += 100.0;
  EXPECT_LT(relative_difference(alone.wall(), direct_solution(mean.wall())), 1e-12);
}

TEST(LinearCurves, AUserCurveGovernsItsStationAmongGeneratedOnes) {
  // Generated curves at 0, 10 and 20 and a user curve at 10: both
  // neighbouring spans interpolate towards the user curve, and the
  // generated curve on its station takes no part.
  auto generated = [](int station, double k) {
    StationCurve curve = linear_curve(station, station, 1, k);
    curve.source = CurveSource::generated;
    return curve;
  };
  Problem curves = pile();
  curves.wall().Q[0] = kLoad;
  curves.context.problem.curves = {generated(0, 30.0), linear_curve(10, 10, 1, 200.0),
                                   generated(10, 60.0), generated(20, 90.0)};
  iterate(solver_context(curves.context));
  Problem springs = pile();
  springs.wall().Q[0] = kLoad;
  add_interpolated_span(springs.wall().S, 0, 10, 30.0, 200.0);
  add_interpolated_span(springs.wall().S, 10, 20, 200.0, 90.0);
  EXPECT_LT(relative_difference(curves.wall(), direct_solution(springs.wall())), 1e-12);
}

TEST(CurveEnds, GeneratedCurvesHoldTheirEndValuesUserCurvesExtendTheirSegments) {
  StationCurve curve{4, 4, 1, {-2.0, 0.0, 1.0, 3.0}, {50.0, 0.0, -40.0, -60.0}};
  const CurveTangent inside = curve_tangent(curve, 2.0);
  EXPECT_DOUBLE_EQ(inside.kt, -10.0);
  EXPECT_DOUBLE_EQ(inside.p, -50.0);
  EXPECT_DOUBLE_EQ(inside.p0, -30.0);
  EXPECT_DOUBLE_EQ(curve_tangent(curve, 5.0).p, -80.0);  // a user curve goes on
  EXPECT_DOUBLE_EQ(curve_tangent(curve, -4.0).p, 100.0);
  curve.source = CurveSource::generated;
  for (const double y : {3.0, 5.0, 1.0e6}) {
    const CurveTangent beyond = curve_tangent(curve, y);
    EXPECT_EQ(beyond.kt, 0.0);
    EXPECT_EQ(beyond.p, -60.0);
    EXPECT_EQ(beyond.p0, -60.0);
  }
  EXPECT_EQ(curve_tangent(curve, -4.0).p, 50.0);
  // The resistance a side can give: the largest |p| that resists on the
  // side the deflection is on; a side whose soil pushes gives none.
  EXPECT_EQ(side_ultimate(curve, 0.5), 60.0);
  EXPECT_EQ(side_ultimate(curve, -0.5), 50.0);
  EXPECT_EQ(side_ultimate(StationCurve{0, 0, 1, {0.0, 1.0}, {0.0, -5.0}}, -1.0), 0.0);
  const StationCurve retained{0, 0, 0, {-1.0, 0.0, 1.0}, {90.0, 30.0, 20.0}};
  EXPECT_EQ(side_ultimate(retained, -0.5), 90.0);  // passive resistance
  EXPECT_EQ(side_ultimate(retained, 0.5), 0.0);    // the soil pushes
}

TEST(ForceBalance, ResidualFallsAsTheIterationGoesOn) {
  // Soil that softens smoothly (p = -2k y0 tanh(y/y0), finely tabulated) at
  // every station.  Each solution balances the tangent lines of the curves,
  // not the curves: stopped after one or two iterations the forces are out
  // of balance, and the residual falls to round-off as the iteration
  // converges.
  const double y0 = 0.01;
  StationCurve softening{0, 0, 0, {}, {}};
  for (int i = -100; i <= 100; ++i) {
    const double y = i * 0.0005;
    softening.y.push_back(y);
    softening.p.push_back(-2.0 * kSpring * y0 * std::tanh(y / y0));
  }
  const auto solve = [&](int iterations) {
    Problem problem = pile();
    problem.context.problem.geometry.tolerance = iterations > 10 ? 1.0e-12 : 1.0e30;
    problem.context.problem.geometry.max_iterations = iterations;
    problem.wall().Q[0] = kLoad / 4.0;
    for (int s = 0; s <= 20; ++s) {
      softening.FROM = softening.TO = s;
      problem.context.problem.curves.push_back(softening);
    }
    const IterationResult result = iterate(solver_context(problem.context));
    EXPECT_TRUE(result.valid()) << iterations;
    return result.force_residual;
  };
  const double one = solve(1);
  const double two = solve(2);
  const double converged = solve(100);
  EXPECT_GT(one, 1.0e-2);
  EXPECT_LT(two, one);
  EXPECT_LT(converged, 1.0e-10);

  // A propped wall: its reactions belong to the balance.
  Problem propped = pile();
  propped.wall().Q.fill(0, 20, kLoad);
  propped.wall().specified_points = {SpecifiedPoint{0, 1, 0.0, 0.0},
                                     SpecifiedPoint{20, 1, 0.0, 0.0}};
  ASSERT_FALSE(set_condition_codes(propped.wall()).has_value());
  EXPECT_LT(iterate(solver_context(propped.context)).force_residual, 1.0e-12);
}

TEST(CurveErrors, NegativeContinuationAndReversedSpans) {
  Problem negative = pile();
  negative.context.problem.curves = {linear_curve(0, 5, -1, kSpring)};
  EXPECT_THROW(iterate(solver_context(negative.context)), InputError);
  Problem reversed = pile();
  reversed.context.problem.curves = {linear_curve(8, 5, 0, kSpring)};
  try {
    iterate(solver_context(reversed.context));
    ADD_FAILURE() << "a reversed span was accepted";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::error_stop);
    EXPECT_EQ(stop.error_stop(), ErrorStop::stations_not_in_order);
  }
}

TEST(BilinearCurves, ConvergedWallIsInEquilibriumWithTheCurves) {
  const double linear_top = direct_solution([] {
                              Problem p = pile();
                              p.wall().Q[0] = kLoad;
                              p.wall().S.fill(0, 20, kSpring);
                              return p.wall();
                            }())
                                .w[0];
  const Bilinear soil{kSpring, kSpring / 10.0, 0.3 * std::abs(linear_top)};
  Problem problem = pile();
  problem.wall().Q[0] = kLoad;
  for (int s = 0; s <= 20; ++s)
    problem.context.problem.curves.push_back(soil.curve(s));
  const IterationResult result = iterate(solver_context(problem.context));
  ASSERT_EQ(result.outcome, IterationOutcome::converged);
  EXPECT_GT(result.iterations, 3);
  WallModel& wall = problem.wall();
  EXPECT_GT(std::abs(wall.w[0]), 2.0 * soil.yield);  // the top is well past the yield
  // With the soil force of the curves themselves as a load and no springs,
  // every difference row must balance at the converged deflections.
  WallModel check = wall;
  check.working_S = check.S;
  check.working_Q = check.Q;
  for (int s = 0; s <= 20; ++s)
    check.working_Q[s] += soil(wall.w[s]);
  const double scale = std::pow(0.5, 3) * kLoad;  // h^3 Q of the top row
  for (int s = -1; s <= 21; ++s) {
    const DifferenceRow r = difference_row(check, s);
    const double residual = r.a * wall.w[s - 2] + r.b * wall.w[s - 1] + r.c * wall.w[s] +
                            r.d * wall.w[s + 1] + r.e * wall.w[s + 2] - r.f;
    EXPECT_LT(std::abs(residual), 1e-7 * scale) << "row " << s;
  }
}

// Two cantilevers of length 10 back to back: a simply supported wall of length
// 20 with a load of 2 at its middle has the moment x at a distance x from a
// support, and its middle deflects by the integral of phi(x) x over 0..10,
// as a cantilever of length 10 with a load of 1 at its tip would.  The
// moment-curvature curve is bilinear: EI1 up to the moment My, then EI2.
// (The supports carry no moment, so the end stations' EI plays no part.)
TEST(MomentCurvature, SymmetricWallApproachesTheCantileverIntegral) {
  constexpr double L = 10.0;  // half length: the cantilever
  constexpr double P = 1.0;   // half the middle load
  constexpr double EI1 = 1.0e4;
  constexpr double EI2 = 0.5e4;
  constexpr double My = 4.0;
  constexpr double xy = My / P;
  constexpr double exact = P * xy * xy * xy / (3.0 * EI1) +
                           (My / EI1 - My / EI2) * (L * L - xy * xy) / 2.0 +
                           P * (L * L * L - xy * xy * xy) / (3.0 * EI2);
  MomentCurvatureCurve curve;
  curve.M = {0.0, My, 2.0 * P * L};
  curve.phi = {0.0, My / EI1, My / EI1 + (2.0 * P * L - My) / EI2};
  CrossSection section;
  section.nonlinear_flag = 1;
  section.descriptors.type = static_cast<int>(NonlinearType::steel_pipe);

  std::vector<double> errors;
  for (int N : {10, 20, 40, 80, 160}) {
    Problem problem(N, 2.0 * L / N);
    problem.context.problem.geometry.tolerance =
        1.0e-10;  // a relative 1.5e-9 of the middle deflection
    problem.context.problem.tables.cross_sections = {section};
    problem.context.problem.tables.section_curves = {curve};
    problem.context.problem.tables.wall_sections = {{0.0, 2.0 * L, 1}};
    problem.wall().Q[N / 2] = 2.0 * P;
    problem.wall().specified_points = {{0, 1, 0.0, 0.0}, {N, 1, 0.0, 0.0}};
    ASSERT_FALSE(set_condition_codes(problem.wall()).has_value());
    const IterationResult result = iterate(solver_context(problem.context));
    ASSERT_EQ(result.outcome, IterationOutcome::converged) << "N = " << N;
    errors.push_back(std::abs(std::abs(problem.wall().w[N / 2]) - exact) / exact);
    std::printf("N = %3d  h = %6.4f  iterations %2d  relative error %.3e\n", N, 2.0 * L / N,
                result.iterations, errors.back());
  }
  // Every halving of h cuts the relative error by at least 3.5, to below 1e-4.
  for (std::size_t i = 1; i < errors.size(); ++i)
    EXPECT_LT(errors[i], errors[i - 1] / 3.5) << "mesh " << i;
  EXPECT_LT(errors.back(), 1e-4);
}

TEST(Stops, AllowableDeflectionStopsAtOnce) {
  Problem problem = pile();
  problem.wall().Q[0] = kLoad;
  problem.wall().S.fill(0, 20, kSpring);
  const WallModel expected = direct_solution(problem.wall());
  const double allowable = 0.5 * std::abs(expected.w[0]);
  int beyond = 0;
  for (int s = 0; s <= 20; ++s)
    beyond += std::abs(expected.w[s]) > allowable ? 1 : 0;
  ASSERT_GT(beyond, 0);
  ASSERT_LT(beyond, 21);
  problem.context.problem.geometry.max_deflection = allowable;
  const IterationResult result = iterate(solver_context(problem.context));
  EXPECT_EQ(result.outcome, IterationOutcome::allowable_deflection_exceeded);
  EXPECT_EQ(result.iterations, 1);
  EXPECT_EQ(result.stations_over_allowable, beyond);
  EXPECT_FALSE(result.valid());
  EXPECT_EQ(problem.rows().size(), 1u);  // the row of the iteration is still written
}

TEST(Stops, IterationLimitWithStationsNotClosed) {
  Problem problem = pile();
  problem.context.problem.geometry.max_iterations = 3;
  problem.wall().Q[0] = kLoad;
  const Bilinear soil{kSpring, kSpring / 10.0, 0.01};
  for (int s = 0; s <= 20; ++s)
    problem.context.problem.curves.push_back(soil.curve(s));
  const IterationResult result = iterate(solver_context(problem.context));
  EXPECT_EQ(result.outcome, IterationOutcome::iteration_limit_reached);
  EXPECT_EQ(result.iterations, 3);
  EXPECT_GT(result.stations_not_closed, 0);
  EXPECT_FALSE(result.valid());
  EXPECT_EQ(problem.rows().size(), 3u);
}

TEST(Stops, IterationLimitWithEveryStationClosedHasResults) {
  // A linear wall stopped after two iterations: nothing changed in the second.
  Problem problem = pile();
  problem.context.problem.geometry.max_iterations = 2;
  problem.wall().Q[0] = kLoad;
  problem.wall().S.fill(0, 20, kSpring);
  const IterationResult result = iterate(solver_context(problem.context));
  EXPECT_EQ(result.outcome, IterationOutcome::iteration_limit_reached);
  EXPECT_EQ(result.iterations, 2);
  EXPECT_EQ(result.stations_not_closed, 0);
  EXPECT_TRUE(result.valid());
}

TEST(Stops, NonFiniteDeflectionsEndTheIteration) {
  Problem problem = pile();
  problem.wall().S.fill(0, 20, kSpring);
  problem.wall().Q[4] = std::numeric_limits<double>::infinity();
  const IterationResult result = iterate(solver_context(problem.context));
  EXPECT_EQ(result.outcome, IterationOutcome::not_finite);
  EXPECT_FALSE(result.valid());
  const std::string line = "     ***** SOLUTION FAILED: DEFLECTIONS ARE NOT FINITE *****\n";
  const std::string monitor = problem.monitor.str();
  EXPECT_EQ(monitor.substr(monitor.size() - line.size()), line);
  EXPECT_NE(problem.report.str().find(line), std::string::npos);
  EXPECT_EQ(problem.rows().size(), 2u);  // the empty line and the message, no rows
}

TEST(Damping, MidpointsOfEverFinerHalvings) {
  const double expected[] = {0.5, 0.25, 0.75, 0.125, 0.375, 0.625, 0.875, 0.0625, 0.1875, 0.3125};
  for (int c = 0; c < 10; ++c)
    EXPECT_EQ(damping_factor(c), expected[c]) << "c = " << c;
  EXPECT_EQ(damping_factor(14), 0.9375);
  EXPECT_EQ(damping_factor(15), 1.0 / 32.0);
  EXPECT_EQ(damping_factor(63), 0.5 / 64.0);
  EXPECT_EQ(damping_factor(126), 63.5 / 64.0);
  // The divisor keeps doubling: the factor never leaves (0, 1), so a damped
  // step never overshoots the two states it averages.
  EXPECT_EQ(damping_factor(127), 0.5 / 128.0);
  EXPECT_EQ(damping_factor(254), 127.5 / 128.0);
  EXPECT_EQ(damping_factor(255), 0.5 / 256.0);
  for (int c = 0; c < 5000; ++c) {
    EXPECT_GT(damping_factor(c), 0.0);
    EXPECT_LT(damping_factor(c), 1.0);
  }
}

// A wall of no flexural rigidity makes every station its own tangent
// iteration, w = -p0/kt.  On the curve below the tangent at any w up to 1 has
// its root at 2 and the tangent beyond 1 its root at 0.5, so the solution
// alternates 2, 0.5, 2, ... until the oscillation test damps it.
TEST(Damping, AlternatingSolutionIsDampedBeyondIteration40) {
  const auto final_deflection = [](int limit) {
    Problem problem(4, 1.0);
    problem.wall().EI.fill(0.0);
    problem.context.problem.geometry.tolerance = 1.0e-6;
    problem.context.problem.geometry.max_iterations = limit;
    problem.context.problem.curves = {StationCurve{0, 4, 0, {-10.0, 1.0, 10.0}, {12.0, 1.0, 19.0}}};
    const IterationResult result = iterate(solver_context(problem.context));
    EXPECT_EQ(result.outcome, IterationOutcome::iteration_limit_reached);
    EXPECT_EQ(result.stations_not_closed, 5);
    return problem.wall().w[2];
  };
  EXPECT_DOUBLE_EQ(final_deflection(39), 2.0);
  EXPECT_DOUBLE_EQ(final_deflection(40), 0.5);
  // Iteration 41 solves to 2 and is averaged with 0.5 by the factor 0.5.
  EXPECT_DOUBLE_EQ(final_deflection(41), 1.25);
  // 42: 0.5, 43: 2, 44: 0.5 are no alternation with 1.25 among them; 45
  // alternates again and takes the second factor, 0.25.
  EXPECT_DOUBLE_EQ(final_deflection(44), 0.5);
  EXPECT_DOUBLE_EQ(final_deflection(45), 0.25 * 2.0 + 0.75 * 0.5);
}

TEST(Hinges, ZeroEIAtTieBacksBelowTheFirstFromTheSecondSolution) {
  auto build = [](Problem& p) {
    p.wall().S.fill(0, 20, kSpring);
    p.wall().Q[0] = kLoad;
    for (int station : {2, 10, 16}) {
      p.wall().S[station] += 500.0;
      p.wall().Q[station] += -3.0;
      TieBack t;
      t.station = station;
      p.context.problem.tables.tiebacks.push_back(t);
    }
    p.context.problem.control.hinge_option = 1;
    // EI from an elastic wall section, re-evaluated every iteration.
    CrossSection section;
    section.E_top = section.E_bottom = kEI;
    section.I_top = section.I_bottom = 1.0;
    p.context.problem.tables.cross_sections = {section};
    p.context.problem.tables.wall_sections = {{0.0, 10.0, 1}};
  };
  Problem problem = pile();
  build(problem);
  const IterationResult result = iterate(solver_context(problem.context));
  ASSERT_EQ(result.outcome, IterationOutcome::converged);
  EXPECT_EQ(problem.wall().EI[2], kEI);
  EXPECT_EQ(problem.wall().EI[10], 0.0);
  EXPECT_EQ(problem.wall().EI[16], 0.0);
  // Converged on the hinged wall ...
  WallModel hinged = problem.wall();
  EXPECT_LT(relative_difference(problem.wall(), direct_solution(hinged)), 1e-12);
  // ... after a first solution without hinges.
  Problem whole = pile();
  build(whole);
  const WallModel unhinged = direct_solution(whole.wall());
  std::istringstream first(problem.rows()[0]);
  double value = 0.0;
  for (int i = 0; i < 4; ++i)
    first >> value;  // it, count, change, station 1
  EXPECT_NEAR(value, unhinged.w[1], 5e-3 * std::abs(unhinged.w[1]));
  EXPECT_GT(std::abs(hinged.w[1] - unhinged.w[1]), 0.05 * std::abs(unhinged.w[1]));
  // Zero moment at the hinges: EI is zero there.
  for (int s : {10, 16})
    EXPECT_EQ(problem.wall().EI[s] * (hinged.w[s - 1] - 2 * hinged.w[s] + hinged.w[s + 1]), 0.0);
}

}  // namespace
}  // namespace kestro
