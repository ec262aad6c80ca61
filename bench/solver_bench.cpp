// Speed of one solution of the wall, the step the iteration repeats.
#include <benchmark/benchmark.h>

#include "common/wall_model.h"
#include "solver/difference_equation.h"

namespace kestro {
namespace {

// The largest wall the station arrays hold, on springs, with a head load.
WallModel largest_wall() {
  WallModel wall;
  wall.N = kMaxIncrements;
  wall.h = 6.0;
  for (int s = 0; s <= wall.N; ++s) {
    wall.EI[s] = s == 0 || s == wall.N ? 1.45e9 : 2.9e9;
    wall.S[s] = 500.0;
  }
  wall.Q[0] = 1000.0;
  copy_to_working_arrays(wall);
  return wall;
}

void BM_OneSolution(benchmark::State& state) {
  WallModel wall = largest_wall();
  for (auto _ : state) {
    SolutionSummary summary = solve_deflections(wall, 1e-6, 1e6);
    benchmark::DoNotOptimize(summary);
    benchmark::DoNotOptimize(wall.w[0]);
  }
  state.SetItemsProcessed(state.iterations() * (wall.N + 3));
}
BENCHMARK(BM_OneSolution);

}  // namespace
}  // namespace kestro
