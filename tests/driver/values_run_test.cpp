// Runs for values only: a run that makes no text gives the values of the
// same run with text, field for field and bit for bit, for every bundled,
// golden, catalogue and documented deck, and makes none of the texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "kestro/kestro.hpp"
#include "support/result_compare.h"
#include "support/run_fixture.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct NamedDeck {
  std::string name;
  std::string text;
};

// The decks of the examples, the golden decks, the bad-input catalogue and
// the ```deck blocks of the documentation.
std::vector<NamedDeck> every_deck() {
  const fs::path root = KESTRO_SOURCE_DIR;
  std::vector<NamedDeck> decks;
  for (const fs::path& dir :
       {root / "examples", root / "tests/decks", root / "tests/catalogue/decks"}) {
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (entry.path().extension() == ".dat") {
        decks.push_back({entry.path().lexically_relative(root).string(), read_file(entry.path())});
      }
    }
  }
  for (const auto& entry : fs::directory_iterator(root / "docs")) {
    if (entry.path().extension() != ".md") continue;
    std::istringstream markdown(read_file(entry.path()));
    std::string line;
    std::string block;
    bool in_deck = false;
    int count = 0;
    while (std::getline(markdown, line)) {
      if (!in_deck && line == "```deck") {
        in_deck = true;
        block.clear();
      } else if (in_deck && line == "```") {
        in_deck = false;
        decks.push_back(
            {entry.path().filename().string() + " deck " + std::to_string(++count), block});
      } else if (in_deck) {
        block += line + "\n";
      }
    }
  }
  std::sort(decks.begin(), decks.end(),
            [](const NamedDeck& a, const NamedDeck& b) { return a.name < b.name; });
  return decks;
}

MemoryRunResult run(const std::string& deck, bool text) {
  MemoryRunInput input;
  input.deck = deck;
  input.directory = "/work";
  input.text = text;
  return run_in_memory(input, testing::fixed_time);
}

TEST(ValuesRuns, GiveEveryValueOfTheFullRunAndNoText) {
  const std::vector<NamedDeck> decks = every_deck();
  ASSERT_GT(decks.size(), 100u);
  int solved = 0;
  int generated_curves = 0;
  int generated_pressure = 0;
  for (const NamedDeck& deck : decks) {
    SCOPED_TRACE(deck.name);
    const MemoryRunResult full = run(deck.text, true);
    const MemoryRunResult values = run(deck.text, false);
    for (const std::string& difference : testing::value_differences(full, values))
      ADD_FAILURE() << difference;
    EXPECT_TRUE(values.report.empty());
    EXPECT_TRUE(values.plot_data.empty());
    EXPECT_TRUE(values.monitor.empty());
    EXPECT_TRUE(values.py_curves.empty());
    EXPECT_TRUE(values.earth_pressure.empty());
    EXPECT_FALSE(full.report.empty());
    solved += std::count_if(full.problems.begin(), full.problems.end(),
                            [](const ProblemResult& p) { return p.results.has_value(); });
    generated_curves += !full.py_curves.empty();
    generated_pressure += !full.earth_pressure.empty();
  }
  // The decks reach what a run can hand over through its transient files.
  EXPECT_GE(solved, 20);
  EXPECT_GE(generated_curves, 10);
  EXPECT_GE(generated_pressure, 15);
}

TEST(ValuesRuns, AgreeOverSampledSoils) {
  // The decks with soil layers, their strengths, unit weights, friction
  // angles, E50 and KPY scaled by random factors (as a study samples them):
  // the rounding of the transient files meets many values, and some samples
  // end without a valid solution or on bad input.
  std::mt19937_64 random(42);
  std::lognormal_distribution<double> factor(0.0, 0.3);
  int runs = 0;
  std::set<Outcome> outcomes;
  for (const NamedDeck& named : every_deck()) {
    const Deck base = read_deck(named.text);
    const bool has_soil =
        std::any_of(base.problems.begin(), base.problems.end(),
                    [](const deck::Problem& p) { return !p.soil_layers.empty(); });
    if (base.failure || !has_soil) continue;
    SCOPED_TRACE(named.name);
    for (int sample = 0; sample < 12; ++sample) {
      Deck deck = base;
      for (deck::Problem& problem : deck.problems) {
        for (deck::SoilLayer& layer : problem.soil_layers) {
          const double s = factor(random);
          const double g = factor(random);
          const double phi = std::min(factor(random), 1.2);
          for (double* strength : {&layer.strength, &layer.at_bottom.strength})
            *strength *= s;
          for (double* weight : {&layer.unit_weight, &layer.at_bottom.unit_weight})
            *weight *= g;
          for (double* angle : {&layer.friction_angle, &layer.at_bottom.friction_angle})
            *angle = std::min(*angle * phi, 45.0);
          layer.e50 *= factor(random);
          layer.at_bottom.e50 = layer.e50;
          layer.kpy *= factor(random);
          layer.at_bottom.kpy = layer.kpy;
        }
      }
      MemoryRunInput input;
      input.model = deck;
      input.directory = "/work";
      const MemoryRunResult full = run_in_memory(input, testing::fixed_time);
      input.text = false;
      const MemoryRunResult values = run_in_memory(input, testing::fixed_time);
      for (const std::string& difference : testing::value_differences(full, values))
        ADD_FAILURE() << "sample " << sample << ": " << difference;
      outcomes.insert(full.outcome);
      ++runs;
    }
  }
  EXPECT_GE(runs, 200);
  EXPECT_TRUE(outcomes.count(Outcome::completed));
}

TEST(ValuesRuns, TheComparisonSeesADifferenceInAnyValue) {
  const MemoryRunResult full =
      run(read_file(fs::path(KESTRO_SOURCE_DIR) / "examples/tied-back-wall-clay.dat"), true);
  ASSERT_EQ(full.outcome, Outcome::completed) << full.message;
  ASSERT_TRUE(full.problems.at(0).results.has_value());
  EXPECT_TRUE(testing::value_differences(full, full).empty());
  MemoryRunResult changed = full;
  changed.problems[0].results->stations.back().EI =
      -changed.problems[0].results->stations.back().EI;
  EXPECT_EQ(testing::value_differences(full, changed).size(), 1u);
  changed = full;
  double& p = changed.problems[0].curves.at(0).p.at(3);
  p = std::nextafter(p, 1e300);  // one unit in the last place
  EXPECT_EQ(testing::value_differences(full, changed).size(), 1u);
  changed = full;
  ASSERT_EQ(full.problems[0].ground.layers.at(0).top, 0.0);
  changed.problems[0].ground.layers[0].top = -0.0;
  EXPECT_EQ(testing::value_differences(full, changed).size(), 1u);
  changed = full;
  changed.problems[0].history.pop_back();
  EXPECT_EQ(testing::value_differences(full, changed).size(), 1u);
}

}  // namespace
}  // namespace kestro
