// The solver against closed-form beam theory.  EI is the wall's rigidity at
// every station 0..N, as the section rigidity gives it in a run; loads and
// springs are spread over their stations by the span rule (half shares at the
// end stations), as the input side does.  Each case checks the error against
// the closed form and, where the scheme is not exact, that the error falls
// with h at second order.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "common/span_rule.h"
#include "solver/difference_equation.h"

namespace kestro {
namespace {

constexpr double kLength = 10.0;
constexpr double kEI = 2.0e4;
constexpr double kLoad = 3.0;

// A wall of N increments over the given length with uniform EI.
WallModel uniform_wall(int N, double length = kLength) {
  WallModel model;
  model.N = N;
  model.h = length / N;
  model.EI.fill(0, N, kEI);
  return model;
}

// Solves each wall built for the given numbers of increments once from zero
// deflection and returns the relative errors of the deflection at the
// station picked for it.
std::vector<double> errors_over_meshes(const std::vector<int>& increments,
                                       const std::function<WallModel(int)>& build,
                                       const std::function<int(int)>& station, double exact) {
  std::vector<double> errors;
  for (int N : increments) {
    WallModel wall = build(N);
    const auto error = set_condition_codes(wall);
    EXPECT_FALSE(error.has_value()) << error->message;
    copy_to_working_arrays(wall);
    clear_deflections(wall);
    solve_deflections(wall, 1e-12, 1e30);
    errors.push_back(std::abs(wall.w[station(N)] - exact) / std::abs(exact));
  }
  return errors;
}

int top(int) {
  return 0;
}
int middle(int N) {
  return N / 2;
}

// Errors for N, 2N, 4N, ...: every halving of h must cut the error by about
// four (observed order 2 within the given tolerance), down to finest_error.
void expect_second_order(const std::vector<double>& errors, double order_tolerance,
                         double finest_error) {
  ASSERT_GE(errors.size(), 3u);
  for (std::size_t i = 1; i < errors.size(); ++i) {
    const double order = std::log2(errors[i - 1] / errors[i]);
    EXPECT_NEAR(order, 2.0, order_tolerance) << "between meshes " << i - 1 << " and " << i;
  }
  EXPECT_LT(errors.back(), finest_error);
}

TEST(BeamTheory, CantileverWithTipLoadConvergesAtSecondOrder) {
  // Free top, clamped bottom (deflection and slope zero at station N).
  const auto build = [](int N) {
    WallModel wall = uniform_wall(N);
    wall.Q[0] = kLoad;
    wall.specified_points = {{N, 3, 0.0, 0.0}};
    return wall;
  };
  const double exact = kLoad * std::pow(kLength, 3) / (3.0 * kEI);
  expect_second_order(errors_over_meshes({10, 20, 40, 80, 160}, build, top, exact), 0.02, 2e-5);
}

TEST(BeamTheory, CantileverWithTipCoupleIsExact) {
  // A concentrated couple M0 at a free end is the station couple T(0) = M0.
  // Rows -1 and 0 give station 1 the moment M0 (the end station itself shows
  // half of it, which moves only w(-1)); from there to the clamp the
  // curvature M0/EI is constant, which the central differences reproduce
  // exactly, and the clamp carries M0.
  const double M0 = 7.0;
  const auto build = [M0](int N) {
    WallModel wall = uniform_wall(N);
    wall.T[0] = M0;
    wall.specified_points = {{N, 3, 0.0, 0.0}};
    return wall;
  };
  const double tip = M0 * kLength * kLength / (2.0 * kEI);
  for (double error : errors_over_meshes({10, 40, 160}, build, top, tip))
    EXPECT_LT(error, 1e-9);
  for (double error : errors_over_meshes({10, 40, 160}, build, middle, tip / 4.0))
    EXPECT_LT(error, 1e-9);
  for (int N : {10, 40, 160}) {
    WallModel wall = build(N);
    ASSERT_FALSE(set_condition_codes(wall).has_value());
    copy_to_working_arrays(wall);
    clear_deflections(wall);
    solve_deflections(wall, 1e-12, 1e30);
    const auto& w = wall.w;
    const double clamp_moment = kEI * (w[N - 1] - 2.0 * w[N] + w[N + 1]) / (wall.h * wall.h);
    EXPECT_NEAR(clamp_moment, M0, 1e-9 * M0) << "N = " << N;
  }
}

TEST(BeamTheory, SimplySupportedBeamWithMidSpanLoad) {
  const auto build = [](int N) {
    WallModel wall = uniform_wall(N);
    wall.Q[N / 2] = kLoad;
    wall.specified_points = {{0, 1, 0.0, 0.0}, {N, 1, 0.0, 0.0}};
    return wall;
  };
  const double exact = kLoad * std::pow(kLength, 3) / (48.0 * kEI);
  expect_second_order(errors_over_meshes({10, 20, 40, 80, 160}, build, middle, exact), 0.02, 1e-4);
}

TEST(BeamTheory, ProppedCantileverWithMidSpanLoad) {
  // Clamped top, propped bottom: two specified points, the first a clamp.
  const auto build = [](int N) {
    WallModel wall = uniform_wall(N);
    wall.Q[N / 2] = kLoad;
    wall.specified_points = {{0, 3, 0.0, 0.0}, {N, 1, 0.0, 0.0}};
    return wall;
  };
  const double exact = 7.0 * kLoad * std::pow(kLength, 3) / (768.0 * kEI);
  expect_second_order(errors_over_meshes({10, 20, 40, 80, 160}, build, middle, exact), 0.02, 3e-4);
}

TEST(BeamTheory, BeamColumnUnderCompressionMatchesExactAmplification) {
  // Simply supported, mid-span load H, compression at half the Euler load.
  // With alpha = sqrt(Pax/EI), u = alpha*L/2:
  //   w_mid = H/(2*Pax*alpha) * (tan u - u),
  // 1.9 times the deflection without axial load.  The stored P is -Pax.
  const double Pax = 0.5 * std::numbers::pi * std::numbers::pi * kEI / (kLength * kLength);
  const auto build = [Pax](int N) {
    WallModel wall = uniform_wall(N);
    EXPECT_EQ(add_span(wall.P, 0, N, -Pax), SpanResult::kAdded);
    wall.Q[N / 2] = kLoad;
    wall.specified_points = {{0, 1, 0.0, 0.0}, {N, 1, 0.0, 0.0}};
    return wall;
  };
  const double alpha = std::sqrt(Pax / kEI);
  const double u = alpha * kLength / 2.0;
  const double exact = kLoad / (2.0 * Pax * alpha) * (std::tan(u) - u);
  const std::vector<double> errors = errors_over_meshes({20, 40, 80, 160}, build, middle, exact);
  // Higher-order terms are still visible on the coarse meshes (orders 2.3,
  // 2.2, 2.1); the order tends to 2.
  expect_second_order(errors, 0.35, 1e-5);
  EXPECT_NEAR(std::log2(errors[2] / errors[3]), 2.0, 0.15);
}

TEST(BeamTheory, RotationalResistanceActsAsTension) {
  // R per station r*h enters as the axial term R/h = r, a tension r.  Simply
  // supported with mid-span load and lambda = sqrt(r/EI), u = lambda*L/2:
  //   w_mid = H/(2*r*lambda) * (u - tanh u).
  const double r = 0.5 * std::numbers::pi * std::numbers::pi * kEI / (kLength * kLength);
  const auto build = [r](int N) {
    WallModel wall = uniform_wall(N);
    EXPECT_EQ(add_span(wall.R, 0, N, r * wall.h), SpanResult::kAdded);
    wall.Q[N / 2] = kLoad;
    wall.specified_points = {{0, 1, 0.0, 0.0}, {N, 1, 0.0, 0.0}};
    return wall;
  };
  const double lambda = std::sqrt(r / kEI);
  const double u = lambda * kLength / 2.0;
  const double exact = kLoad / (2.0 * r * lambda) * (u - std::tanh(u));
  expect_second_order(errors_over_meshes({10, 20, 40, 80, 160}, build, middle, exact), 0.05, 2e-4);
}

// A long beam on an elastic foundation: k spring per unit length, spread as
// k*h per station; beta*L = 20 makes the far end irrelevant (e^-20).
constexpr double kModulus = 50.0;
double foundation_beta() {
  return std::pow(kModulus / (4.0 * kEI), 0.25);
}

WallModel long_beam_on_springs(int N) {
  WallModel beam = uniform_wall(N, 20.0 / foundation_beta());
  EXPECT_EQ(add_span(beam.S, 0, N, kModulus * beam.h), SpanResult::kAdded);
  return beam;
}

TEST(BeamTheory, LongBeamOnElasticFoundationWithFreeHead) {
  // Head load H at a free head: y0 = 2*H*beta/k.
  const auto build = [](int N) {
    WallModel beam = long_beam_on_springs(N);
    beam.Q[0] = kLoad;
    return beam;
  };
  const double exact = 2.0 * kLoad * foundation_beta() / kModulus;
  expect_second_order(errors_over_meshes({50, 100, 200, 400}, build, top, exact), 0.1, 1e-3);
}

TEST(BeamTheory, LongBeamOnElasticFoundationWithHeadFixedAgainstRotation) {
  // Head load H, slope zero at the head (a specified slope): y0 = H*beta/k.
  const auto build = [](int N) {
    WallModel beam = long_beam_on_springs(N);
    beam.Q[0] = kLoad;
    beam.specified_points = {{0, 2, 0.0, 0.0}};
    return beam;
  };
  const double exact = kLoad * foundation_beta() / kModulus;
  expect_second_order(errors_over_meshes({50, 100, 200, 400}, build, top, exact), 0.1, 1e-3);
}

TEST(BeamTheory, LongBeamOnElasticFoundationWithHeadDeflectionAndSlopeGiven) {
  // w(0) = d, w'(0) = t, no load: w = e^(-bx) (d cos bx + (d + t/b) sin bx).
  // Checked at x = 1/beta (station N/20).
  const double d = 0.01;
  const double t = -0.004;
  const auto build = [d, t](int N) {
    WallModel beam = long_beam_on_springs(N);
    beam.specified_points = {{0, 3, d, t}};
    return beam;
  };
  const double b = foundation_beta();
  const double exact = std::exp(-1.0) * (d * std::cos(1.0) + (d + t / b) * std::sin(1.0));
  const auto at_one_over_beta = [](int N) { return N / 20; };
  expect_second_order(errors_over_meshes({40, 80, 160, 320}, build, at_one_over_beta, exact), 0.05,
                      2e-3);
}

}  // namespace
}  // namespace kestro
