// Whole runs in memory, against the same runs through the file system: the
// largest admissible deck and the bundled examples, each with its texts and
// for its values only (MemoryRunInput::text = false, what a study asks for).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "kestro/kestro.hpp"
#include "largest_deck.h"

namespace kestro {
namespace {

std::string example(const char* name) {
  std::ifstream in(std::filesystem::path(KESTRO_SOURCE_DIR) / "examples" / name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string bundled_example() {
  return example("tied-back-wall.dat");
}

LocalTime fixed_time() {
  return LocalTime{2024, 3, 5, 9, 7, 3};
}

// Runs the deck in memory; with text = false for its values only.
void run_in_memory_bench(benchmark::State& state, const std::string& deck, bool text = true) {
  MemoryRunInput input;
  input.deck = deck;
  input.text = text;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const MemoryRunResult run = run_in_memory(input, fixed_time);
    if (run.outcome != Outcome::completed) state.SkipWithError(run.message.c_str());
    bytes = run.report.size() + run.plot_data.size() + run.monitor.size();
    benchmark::DoNotOptimize(run.report.data());
  }
  state.counters["output_bytes"] = static_cast<double>(bytes);
}

void BM_LargestDeckInMemory(benchmark::State& state) {
  run_in_memory_bench(state, bench::largest_deck());
}
BENCHMARK(BM_LargestDeckInMemory)->Unit(benchmark::kMillisecond);

void BM_ExampleInMemory(benchmark::State& state) {
  run_in_memory_bench(state, bundled_example());
}
BENCHMARK(BM_ExampleInMemory)->Unit(benchmark::kMicrosecond);

// The three-stage excavation in sand over weak rock (generated earth
// pressure and p-y curves) and the tied wall in clay of the Monte-Carlo
// study, with text (range 1) and for values only (range 0).
void BM_StagedExcavation(benchmark::State& state) {
  static const std::string deck = example("staged-excavation-sand-weak-rock.dat");
  run_in_memory_bench(state, deck, state.range(0) != 0);
}
BENCHMARK(BM_StagedExcavation)->ArgName("text")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_ClayStudyDeck(benchmark::State& state) {
  static const std::string deck = example("tied-back-wall-clay.dat");
  run_in_memory_bench(state, deck, state.range(0) != 0);
}
BENCHMARK(BM_ClayStudyDeck)->ArgName("text")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_LargestDeckValuesOnly(benchmark::State& state) {
  run_in_memory_bench(state, bench::largest_deck(), false);
}
BENCHMARK(BM_LargestDeckValuesOnly)->Unit(benchmark::kMillisecond);

void BM_ExampleThroughFiles(benchmark::State& state) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "kestro_run_bench";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "wall.dat", std::ios::binary) << bundled_example();
  std::ofstream(dir / "NAMES.dat", std::ios::binary)
      << "bench\nbenchmark\n\n0\nwall.dat\nwall.out\nwall.plt\nwall.mon\nwall.pyc\nwall.epf\n";
  std::ostringstream console;
  for (auto _ : state) {
    const RunResult result = run(dir, console, fixed_time);
    if (result.outcome != Outcome::completed) state.SkipWithError(result.message.c_str());
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ExampleThroughFiles)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestro
