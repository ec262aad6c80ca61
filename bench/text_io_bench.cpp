// Speed of the engine's text input and output on the largest admissible deck:
// list-directed reading of the deck alone, writing the results of its
// solved wall alone, and a whole run through the file system.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "common/list_input.h"
#include "driver/run_context.h"
#include "input/control_records.h"
#include "input/moment_curvature.h"
#include "input/sections.h"
#include "input/station_tables.h"
#include "kestro/kestro.hpp"
#include "largest_deck.h"
#include "output/plot_data.h"
#include "output/results_report.h"
#include "read_problem.h"
#include "soil/user_curves.h"
#include "solver/iteration.h"

namespace kestro {
namespace {

// A stream that counts what it is given and keeps nothing, so that writing
// is measured without the cost of a growing string.
class CountingBuffer : public std::streambuf {
 public:
  std::size_t count = 0;

 protected:
  std::streamsize xsputn(const char*, std::streamsize n) override {
    count += static_cast<std::size_t>(n);
    return n;
  }
  int_type overflow(int_type c) override {
    ++count;
    return c;
  }
};

// Reads every record of the largest deck as the engine does: the head's
// lines skipped as records, then each curve head (two integers, two reals)
// and its points (two reals each), then the continuation code.
void BM_ListInputOfLargestDeck(benchmark::State& state) {
  const std::string deck = bench::largest_deck();
  const std::string head = bench::largest_deck_head();
  const auto head_lines = std::count(head.begin(), head.end(), '\n');
  double sum = 0.0;
  for (auto _ : state) {
    ListInput in("largest.dat", deck);
    for (long i = 0; i < head_lines; ++i)
      in.read_fixed(0, "a head record");
    for (int c = 0; c < bench::kLargestCurves; ++c) {
      int station = 0;
      int points = 0;
      double p_multiplier = 0.0;
      double y_multiplier = 0.0;
      {
        ListRead read = in.read();
        read.integer(station);
        read.integer(points);
        read.real(p_multiplier);
        read.real(y_multiplier);
      }
      for (int j = 0; j < points; ++j) {
        double y = 0.0;
        double p = 0.0;
        ListRead read = in.read();
        read.real(y);
        read.real(p);
        sum += y + p;
      }
    }
    int continuation = -1;
    in.read().integer(continuation);
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(continuation);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(deck.size()));
}
BENCHMARK(BM_ListInputOfLargestDeck)->Unit(benchmark::kMicrosecond);

// The largest wall read and solved once; its report and plot units write to
// a counting sink.
struct SolvedLargestWall {
  SolvedLargestWall() : sink(&counter), context(".", console, Clock{}) {
    context.use_deck(read_deck(bench::largest_deck(), "largest.dat"));
    context.files.report.attach(sink);
    context.files.monitor.attach(sink);
    context.files.plot.attach(sink);
    bench::read_problem_records(context);
    context.problem.iteration = iterate(solver_context(context));
  }
  CountingBuffer counter;
  std::ostream sink;
  std::ostringstream console;
  RunContext context;
};

// Formatting of the results of the largest wall: the report's 410-station
// table with restraints and tie-backs, and the plot-data results group.
void BM_ResultsOfLargestWall(benchmark::State& state) {
  SolvedLargestWall wall;
  for (auto _ : state) {
    wall.counter.count = 0;
    const ProblemState& p = wall.context.problem;
    const std::optional<ResultsTable> results = write_results(results_context(wall.context));
    write_results_group(wall.context.files.plot, p.control, p.geometry, results, 1);
    benchmark::DoNotOptimize(wall.counter.count);
  }
  state.counters["bytes_per_write"] = static_cast<double>(wall.counter.count);
}
BENCHMARK(BM_ResultsOfLargestWall)->Unit(benchmark::kMicrosecond);

// A whole run of the largest deck through the file system, as the host runs
// it: NAMES.dat, the deck, and the report, plot-data and monitor files.
void BM_WholeRunOfLargestDeckThroughFiles(benchmark::State& state) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "kestro_text_io_bench";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "largest.dat", std::ios::binary) << bench::largest_deck();
  std::ofstream(dir / "NAMES.dat", std::ios::binary)
      << "bench\nbenchmark\n\n0\nlargest.dat\nlargest.out\nlargest.plt\nlargest.mon\n"
         "largest.pyc\nlargest.epf\n";
  std::ostringstream console;
  for (auto _ : state) {
    const RunResult result = run(dir, console, [] { return LocalTime{}; });
    if (result.outcome != Outcome::completed) state.SkipWithError(result.message.c_str());
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_WholeRunOfLargestDeckThroughFiles)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestro
