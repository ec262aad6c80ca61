// A wall in generated soft clay solved by the iteration: at convergence the
// soil reaction of every station that carries a generated curve lies on that
// curve, and the soil holds the load.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "driver/run_context.h"
#include "soil/py_generation.h"
#include "soil_fixture.h"
#include "solver/iteration.h"
#include "support/deck_context.h"

namespace kestro {
namespace {

using testing::add_layer;
using testing::values;

// p of a curve (per station) at y, linear between its points and extended
// beyond its ends.
double on_curve(const StationCurve& curve, double y) {
  std::size_t j = 1;
  while (j + 1 < curve.y.size() && y > curve.y[j])
    ++j;
  const double t = (y - curve.y[j - 1]) / (curve.y[j] - curve.y[j - 1]);
  return curve.p[j - 1] + (curve.p[j] - curve.p[j - 1]) * t;
}

TEST(SolvedWall, SoilReactionLiesOnTheGeneratedCurves) {
  const int N = 30;
  const double h = 12.0;
  std::ostringstream console, report_text, monitor_text, plot_text;
  RunContext context{".", console, Clock{}};
  context.files.report.attach(report_text);
  context.files.monitor.attach(monitor_text);
  context.files.plot.attach(plot_text);
  ProblemState& problem = context.problem;
  problem.control.units = UnitSystem::english;
  set_unit_labels(problem.labels, label_selector(UnitSystem::english));
  problem.geometry.N = N;
  problem.geometry.h = h;
  problem.geometry.tolerance = 1.0e-8;
  problem.geometry.max_deflection = 1.0e30;
  problem.geometry.max_iterations = 200;
  problem.wall.N = N;
  problem.wall.h = h;
  problem.wall.EI.fill(0, N, 8.7e9);
  const double load = 2000.0;
  problem.wall.Q[0] = load;

  // Soft clay below an excavation at 120 in, elements 48 in apart, 12 in wide.
  WallGroup group = testing::wall_group(120.0, 48.0, 12.0, 10000.0);
  add_layer(group, 1, 600.0, values(0.04, 10, 0, 0.01), values(0.04, 10, 0, 0.01));
  const DeckSource& input = testing::wall_dat();
  generate_soil_resistance(input, context.files.report, context.files.plot, console,
                           UnitSystem::english, problem.geometry, group, SoilResistanceInput{},
                           problem.curves, TransientFile{"wall.pyc", {}}, problem.warnings);
  ASSERT_EQ(problem.curves.size(), 5u);
  EXPECT_TRUE(problem.warnings.empty());

  const IterationResult result = iterate(solver_context(context));
  ASSERT_EQ(result.outcome, IterationOutcome::converged) << monitor_text.str();
  const WallModel& wall = problem.wall;
  // Stations 16 and 21 close one continued span and open the next: each
  // carries its own curve at full weight.
  for (const std::size_t k : {1u, 2u}) {
    const StationCurve& curve = problem.curves[k];
    const int m = curve.FROM;
    const double expected = on_curve(curve, wall.w[m]) / h;
    EXPECT_NEAR(wall.soil_reaction[m], expected, std::abs(expected) * 1e-9 + 1e-9)
        << "station " << m;
    EXPECT_LT(wall.soil_reaction[m] * wall.w[m], 0.0) << "resists the deflection";
  }
  // The soil takes the load: the soil forces of all stations sum to -load.
  double soil_force = 0.0;
  for (int m = 0; m <= N; ++m)
    soil_force += wall.soil_reaction[m] * h;
  EXPECT_NEAR(soil_force, -load, load * 1e-3);
}

}  // namespace
}  // namespace kestro
