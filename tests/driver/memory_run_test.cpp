// Runs in memory give every file byte for byte as runs through the file
// system do, with the results as values, and many may run at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "kestro/deck_json.hpp"
#include "kestro/kestro.hpp"
#include "support/run_fixture.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;
using testing::RunDirectory;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every deck of the examples, the golden decks and the bad-input catalogue.
std::vector<fs::path> all_decks() {
  const fs::path root = KESTRO_SOURCE_DIR;
  std::vector<fs::path> decks;
  for (const fs::path& dir :
       {root / "examples", root / "tests/decks", root / "tests/catalogue/decks"}) {
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (entry.path().extension() == ".dat") decks.push_back(entry.path());
    }
  }
  std::sort(decks.begin(), decks.end());
  return decks;
}

MemoryRunInput memory_input(const std::string& deck, const fs::path& directory) {
  MemoryRunInput input;
  input.deck = deck;
  input.deck_name = "wall.dat";
  input.version = "3.0";
  input.directory = directory.string();
  return input;
}

TEST(MemoryRuns, GiveEveryFileAsTheFileRunDoes) {
  const std::vector<fs::path> decks = all_decks();
  ASSERT_GT(decks.size(), 50u);
  for (const fs::path& path : decks) {
    SCOPED_TRACE(path.filename().string());
    const std::string deck = read_file(path);
    RunDirectory dir;
    const RunResult on_disk = dir.run_deck(deck);
    const MemoryRunResult in_memory =
        run_in_memory(memory_input(deck, dir.path()), testing::fixed_time);
    EXPECT_EQ(in_memory.outcome, on_disk.outcome);
    EXPECT_EQ(in_memory.message, on_disk.message);
    EXPECT_EQ(in_memory.report, dir.read("wall.out"));
    EXPECT_EQ(in_memory.plot_data, dir.read("wall.plt"));
    EXPECT_EQ(in_memory.monitor, dir.read("wall.mon"));
    EXPECT_EQ(in_memory.py_curves, dir.read("wall.pyc"));
    EXPECT_EQ(in_memory.earth_pressure, dir.read("wall.epf"));
    EXPECT_EQ(in_memory.console, dir.console());
  }
}

TEST(MemoryRuns, KeepEachProblemsResultsAsValues) {
  const fs::path root = KESTRO_SOURCE_DIR;
  const MemoryRunResult run = run_in_memory(
      memory_input(read_file(root / "tests/decks/staged-si.dat"), "/work"), testing::fixed_time);
  ASSERT_EQ(run.outcome, Outcome::completed) << run.message;
  ASSERT_GE(run.problems.size(), 2u);
  for (std::size_t k = 0; k < run.problems.size(); ++k) {
    const ProblemResult& problem = run.problems[k];
    EXPECT_EQ(problem.number, static_cast<int>(k + 1));
    EXPECT_EQ(problem.units, UnitSystem::si);
    ASSERT_TRUE(problem.solved);
    ASSERT_TRUE(problem.results.has_value());
    const ResultsTable& table = *problem.results;
    EXPECT_GT(table.N, 0);
    EXPECT_EQ(table.stations.size(), static_cast<std::size_t>(table.N + 2));
    // The plot-data file shows the values kept: the deflection and moment of
    // the bottom station in 1PE13.4.
    const StationResult& bottom = table.stations[static_cast<std::size_t>(table.N)];
    char row[64];
    std::snprintf(row, sizeof row, " %13.4E %13.4E", bottom.deflection, bottom.moment);
    EXPECT_NE(run.plot_data.find(row), std::string::npos) << row;
  }
}

// The wall in clay: its pressure, its generated curves with the point each
// station reached, its iteration history and its ground come back as values.
TEST(MemoryRuns, KeepPressureCurvesHistoryAndGround) {
  const fs::path root = KESTRO_SOURCE_DIR;
  const MemoryRunResult run =
      run_in_memory(memory_input(read_file(root / "examples/tied-back-wall-clay.dat"), "/work"),
                    testing::fixed_time);
  ASSERT_EQ(run.outcome, Outcome::completed) << run.message;
  ASSERT_EQ(run.problems.size(), 1u);
  const ProblemResult& p = run.problems[0];
  ASSERT_TRUE(p.results.has_value());
  EXPECT_EQ(p.history.size(), static_cast<std::size_t>(p.iterations));
  EXPECT_FALSE(p.pressure.empty());
  EXPECT_EQ(p.ground.layers.size(), 3u);
  EXPECT_DOUBLE_EQ(p.ground.excavation, 120.0);
  ASSERT_EQ(p.ground.tiebacks.size(), 1u);
  EXPECT_DOUBLE_EQ(p.ground.tiebacks[0].depth, 48.0);
  ASSERT_FALSE(p.curves.empty());
  // Each curve's point reached is its station's final deflection, and its
  // resistance lies between the curve's smallest and largest (the curves
  // here are reached within their points).
  for (const CurveResult& curve : p.curves) {
    // The deepest curves lie below the bottom station, where the table ends.
    if (curve.station <= p.results->N) {
      EXPECT_EQ(curve.y_reached,
                p.results->stations.at(static_cast<std::size_t>(curve.station)).deflection);
    }
    const auto [low, high] = std::minmax_element(curve.p.begin(), curve.p.end());
    EXPECT_GE(curve.p_reached, *low) << "station " << curve.station;
    EXPECT_LE(curve.p_reached, *high) << "station " << curve.station;
  }
}

TEST(MemoryRuns, TouchNoFile) {
  RunDirectory dir;
  MemoryRunInput input =
      memory_input("T\n1 0 0 0 0 0 3 0 1 0 0 0\n10 12 1 .01 0 12 120 5 0 0\n0\n", dir.path());
  const MemoryRunResult run = run_in_memory(input, testing::fixed_time);
  EXPECT_EQ(run.outcome, Outcome::completed) << run.message;
  EXPECT_NE(run.report.find("END OF ANALYSIS"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

// Two decks on two threads, many times over, give what they give alone.
TEST(MemoryRuns, RunConcurrentlyAsTheyRunAlone) {
  const fs::path root = KESTRO_SOURCE_DIR;
  const MemoryRunInput a = memory_input(read_file(root / "examples/tied-back-wall.dat"), "/a");
  const MemoryRunInput b = memory_input(read_file(root / "tests/decks/staged-si.dat"), "/b");
  const MemoryRunResult alone_a = run_in_memory(a, testing::fixed_time);
  const MemoryRunResult alone_b = run_in_memory(b, testing::fixed_time);
  constexpr int kRounds = 25;
  std::vector<MemoryRunResult> from_a(kRounds);
  std::vector<MemoryRunResult> from_b(kRounds);
  std::thread first([&] {
    for (MemoryRunResult& r : from_a)
      r = run_in_memory(a, testing::fixed_time);
  });
  std::thread second([&] {
    for (MemoryRunResult& r : from_b)
      r = run_in_memory(b, testing::fixed_time);
  });
  first.join();
  second.join();
  for (int k = 0; k < kRounds; ++k) {
    EXPECT_EQ(from_a[k].report, alone_a.report);
    EXPECT_EQ(from_a[k].plot_data, alone_a.plot_data);
    EXPECT_EQ(from_a[k].monitor, alone_a.monitor);
    EXPECT_EQ(from_b[k].report, alone_b.report);
    EXPECT_EQ(from_b[k].plot_data, alone_b.plot_data);
    EXPECT_EQ(from_b[k].monitor, alone_b.monitor);
  }
}

}  // namespace
}  // namespace kestro

namespace kestro {
namespace {

// The stop's place is given as values, whether the deck is text (line and
// item of the value), JSON (its path) or a run that stops on a value read
// well before (the layer whose bottom falls short of the excavation).
TEST(MemoryRuns, GiveTheStopsPlaceAsValues) {
  MemoryRunInput text;
  text.deck_name = "short.dat";
  text.deck = "TITLE\n1 0 0 0 0\n";  // the control record ends after item 5
  const MemoryRunResult ended = run_in_memory(text, Clock{});
  EXPECT_EQ(ended.outcome, Outcome::bad_input);
  EXPECT_EQ(ended.place.file, "short.dat");
  EXPECT_EQ(ended.place.line, 2u) << ended.message;
  EXPECT_EQ(ended.place.item, 6) << ended.message;

  MemoryRunInput json;
  json.model = deck_from_json(
      R"({"problems": [{"control": {"units": "english"}, "geometry": {"increments": "forty"}}]})",
      "wall.json");
  json.deck_name = "wall.json";
  const MemoryRunResult from_json = run_in_memory(json, Clock{});
  EXPECT_EQ(from_json.outcome, Outcome::bad_input);
  EXPECT_EQ(from_json.place.path, "/problems/0/geometry/increments") << from_json.message;
  EXPECT_EQ(from_json.place.line, 0u);

  MemoryRunInput solved;
  solved.deck = read_file(fs::path(KESTRO_SOURCE_DIR) / "examples" / "tied-back-wall-clay.dat");
  const MemoryRunResult completed = run_in_memory(solved, Clock{});
  EXPECT_EQ(completed.outcome, Outcome::completed);
  EXPECT_EQ(completed.place.line, 0u);
  EXPECT_TRUE(completed.place.file.empty());
}

}  // namespace
}  // namespace kestro
