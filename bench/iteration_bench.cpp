// Speed of a whole nonlinear iteration on the largest wall the arrays hold,
// with the largest station-curve list: 400 curves of 33 points.
#include <benchmark/benchmark.h>

#include <cmath>
#include <sstream>
#include <string>

#include "driver/run_context.h"
#include "input/control_records.h"
#include "input/moment_curvature.h"
#include "input/sections.h"
#include "input/station_tables.h"
#include "read_problem.h"
#include "soil/user_curves.h"
#include "solver/iteration.h"

namespace kestro {
namespace {

constexpr int kCurves = 400;
constexpr int kPoints = 33;

// A 409-increment wall in English units with a head load and one p-y curve
// per station from station 5 down, each a softening curve of 33 points.
std::string largest_deck() {
  std::ostringstream deck;
  deck << "1 0 1 1 0 0 0 " << kCurves << " 1 0 0 0\n"
       << "409 6 100 1e-6 0 12 2454 200 0 0\n"
       << "0 204.5 1\n"
       << "0 0 0 0\n'PLATE'\n10 0 0 0 0 0 0 0\n0 0 0 500 0 0 0 0 29E6 0 0 0\n0 0 0 0 0\n'X'\n"
       << "0 0\n"
       << "1\n1 0 0 20000 0 0\n0\n";
  for (int i = 0; i < kCurves; ++i) {
    deck << 5 + i << ' ' << kPoints << " 1 1\n";
    for (int j = 0; j < kPoints; ++j) {
      const double y = 0.05 * j * j;
      deck << y << ' ' << -(50.0 + i) * std::tanh(y / 0.5) << '\n';
    }
  }
  return deck.str();
}

struct LargestProblem {
  LargestProblem() : context(".", console, Clock{}) {
    context.use_deck(read_deck("LARGEST WALL\n" + largest_deck(), "bench.dat"));
    context.files.report.attach(sink);
    context.files.monitor.attach(sink);
    context.files.plot.attach(sink);
    bench::read_problem_records(context);
  }
  std::ostringstream console;
  std::ostringstream sink;
  RunContext context;
};

void BM_WholeIteration(benchmark::State& state) {
  LargestProblem problem;
  const std::vector<StationCurve> curves = problem.context.problem.curves;
  const WallModel wall = problem.context.problem.wall;
  int iterations = 0;
  for (auto _ : state) {
    state.PauseTiming();
    problem.context.problem.curves = curves;
    problem.context.problem.wall = wall;
    problem.sink.str("");
    state.ResumeTiming();
    SolverContext solver = solver_context(problem.context);
    const IterationResult result = iterate(solver);
    iterations = result.iterations;
    benchmark::DoNotOptimize(problem.context.problem.wall.w[0]);
  }
  state.counters["iterations"] = iterations;
}
BENCHMARK(BM_WholeIteration)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestro
