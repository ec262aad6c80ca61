// The decks of the documentation run as the documentation says: every
// ```deck block (and every ```json deck block, a deck in the JSON form) of
// docs/*.md runs to the end, and every ```report block after it holds lines
// of that deck's report.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kestro/deck_json.hpp"
#include "kestro/kestro.hpp"

namespace kestro {
namespace {

namespace fs = std::filesystem;

struct Block {
  std::string kind;  // "deck", "json deck" or "report"
  std::string text;
};

// The fenced blocks of a markdown text whose fence names a kind.
std::vector<Block> fenced_blocks(const std::string& markdown) {
  std::vector<Block> blocks;
  std::istringstream in(markdown);
  std::string line;
  Block* open = nullptr;
  while (std::getline(in, line)) {
    if (open == nullptr && line.rfind("```", 0) == 0 && line.size() > 3) {
      blocks.push_back(Block{line.substr(3), {}});
      open = &blocks.back();
    } else if (open != nullptr && line == "```") {
      open = nullptr;
    } else if (open != nullptr) {
      open->text += line + "\n";
    }
  }
  return blocks;
}

TEST(DocumentedDecks, RunAndGiveTheQuotedReportLines) {
  int decks = 0;
  int quoted = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(KESTRO_SOURCE_DIR) / "docs")) {
    if (entry.path().extension() != ".md") continue;
    std::ifstream file(entry.path());
    std::stringstream markdown;
    markdown << file.rdbuf();
    std::string report;
    for (const Block& block : fenced_blocks(markdown.str())) {
      SCOPED_TRACE(entry.path().filename().string());
      if (block.kind == "deck" || block.kind == "json deck") {
        MemoryRunInput input;
        if (block.kind == "deck") {
          input.deck = block.text;
        } else {
          input.model = deck_from_json(block.text, "deck.json");
          EXPECT_FALSE(input.model->failure) << input.model->failure->message;
        }
        const MemoryRunResult run = run_in_memory(input, [] { return LocalTime{}; });
        EXPECT_EQ(run.outcome, Outcome::completed) << run.message;
        for (const ProblemResult& problem : run.problems)
          EXPECT_EQ(solution_warning(problem), "") << "problem " << problem.number;
        report = run.report;
        ++decks;
      } else if (block.kind == "report") {
        ASSERT_FALSE(report.empty()) << "a report block before any deck";
        std::istringstream lines(block.text);
        for (std::string line; std::getline(lines, line);) {
          EXPECT_NE(report.find("\n" + line + "\n"), std::string::npos) << line;
          ++quoted;
        }
      }
    }
  }
  EXPECT_GE(decks, 1);
  EXPECT_GE(quoted, 3);
}

// The SI worked example says that its cantilever is held by the soil alone:
// the soil reactions of the solved wall carry the earth pressure on its
// stations, in force and in moment about the top, and the stations carry the
// 202.51 kN per metre of wall the page sums by hand.
TEST(DocumentedDecks, SiWorkedExampleIsHeldByTheSoil) {
  std::ifstream file(fs::path(KESTRO_SOURCE_DIR) / "docs" / "worked-example-si.md");
  std::stringstream markdown;
  markdown << file.rdbuf();
  std::string deck;
  for (const Block& block : fenced_blocks(markdown.str())) {
    if (block.kind == "deck") {
      deck = block.text;
      break;
    }
  }
  ASSERT_FALSE(deck.empty());
  MemoryRunInput input;
  input.deck = deck;
  const MemoryRunResult run = run_in_memory(input, [] { return LocalTime{}; });
  ASSERT_EQ(run.outcome, Outcome::completed) << run.message;
  ASSERT_EQ(run.problems.size(), 1u);
  const ProblemResult& problem = run.problems.front();
  ASSERT_EQ(problem.units, UnitSystem::si);
  ASSERT_TRUE(problem.results.has_value());
  const std::vector<PressureResult>& pressure = problem.pressure;
  ASSERT_GE(pressure.size(), 2u);
  const ResultsTable& table = *problem.results;
  ASSERT_GE(table.N, 1);
  const double h = table.stations[1].X - table.stations[0].X;  // metres

  // The pressure on the wall (load per metre of its height) at a depth.
  auto pressure_at = [&](double depth) {
    std::size_t j = 1;
    while (j + 1 < pressure.size() && pressure[j].depth < depth)
      ++j;
    const PressureResult& a = pressure[j - 1];
    const PressureResult& b = pressure[j];
    return a.load + (b.load - a.load) * (depth - a.depth) / (b.depth - a.depth);
  };
  double load = 0.0;
  double load_moment = 0.0;
  double soil = 0.0;
  double soil_moment = 0.0;
  for (int k = 0; k <= table.N; ++k) {
    const StationResult& station = table.stations[static_cast<std::size_t>(k)];
    const double q = k == 0 ? 0.0 : pressure_at(station.X) * h;  // station 0 carries none
    const double p = station.soil_reaction * h;
    load += q;
    load_moment += q * station.X;
    soil += p;
    soil_moment += p * station.X;
  }
  EXPECT_NEAR(load, 202.51, 0.005);
  EXPECT_NEAR(load + soil, 0.0, 1e-6 * load);
  EXPECT_NEAR(load_moment + soil_moment, 0.0, 1e-6 * load_moment);
}

}  // namespace
}  // namespace kestro
