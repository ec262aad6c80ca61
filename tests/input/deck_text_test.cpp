// The deck model against the decks the project holds: every bundled,
// golden and catalogue deck read into the model and written back reads to
// the same model, and runs to byte-identical output files, its messages
// naming the same lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kestro/deck.hpp"
#include "kestro/kestro.hpp"
#include "support/run_fixture.h"

namespace kestro {
namespace {

using namespace deck;

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every deck of the project: examples, golden decks, the catalogue of bad
// input and the decks of the documentation's worked examples.
std::vector<fs::path> project_decks() {
  const fs::path source = KESTRO_SOURCE_DIR;
  std::vector<fs::path> decks;
  for (const fs::path& folder :
       {source / "examples", source / "tests/decks", source / "tests/catalogue/decks"}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() == ".dat") decks.push_back(entry.path());
    }
  }
  std::sort(decks.begin(), decks.end());
  return decks;
}

MemoryRunResult run_text(const std::string& text, const std::string& name) {
  MemoryRunInput input;
  input.deck = text;
  input.deck_name = name;
  input.directory = "/work";
  return run_in_memory(input, testing::fixed_time);
}

TEST(DeckText, ReadAndWrittenBackRunsToTheSameFiles) {
  const std::vector<fs::path> decks = project_decks();
  ASSERT_GT(decks.size(), 100u);
  for (const fs::path& path : decks) {
    SCOPED_TRACE(path.filename().string());
    const std::string name = path.filename().string();
    const std::string text = read_file(path);
    const Deck deck = read_deck(text, name);
    const std::string written = write_deck(deck);
    const Deck again = read_deck(written, name);
    EXPECT_TRUE(again.problems == deck.problems);
    EXPECT_EQ(again.trailing, deck.trailing);
    EXPECT_EQ(again.failure.has_value(), deck.failure.has_value());
    if (again.failure && deck.failure) {
      EXPECT_EQ(again.failure->message, deck.failure->message);
      EXPECT_EQ(again.failure->line, deck.failure->line);
    }
    EXPECT_EQ(write_deck(again), written) << "writing is not idempotent";

    const MemoryRunResult original = run_text(text, name);
    const MemoryRunResult rewritten = run_text(written, name);
    EXPECT_EQ(rewritten.outcome, original.outcome);
    EXPECT_EQ(rewritten.message, original.message);
    EXPECT_EQ(rewritten.report, original.report);
    EXPECT_EQ(rewritten.plot_data, original.plot_data);
    EXPECT_EQ(rewritten.monitor, original.monitor);
    EXPECT_EQ(rewritten.py_curves, original.py_curves);
    EXPECT_EQ(rewritten.earth_pressure, original.earth_pressure);
  }
}

TEST(DeckText, ValuesAndPlacesOfARecord) {
  // Items on two lines, a null item, a repeat and a slash.
  const Deck deck = read_deck(
      "TITLE\n"
      "2 0 0 0 0 0 3 0 1 0 0 0\n"
      "40 0.5,,0.001\n"
      "  2*3.0 120.0 7 /\n"
      "0\n",
      "w.dat");
  ASSERT_EQ(deck.problems.size(), 1u);
  const Problem& p = deck.problems[0];
  EXPECT_EQ(p.title, "TITLE");
  EXPECT_EQ(p.control.units, UnitSystem::si);
  EXPECT_EQ(p.control.py_option, PyOption::none);
  EXPECT_EQ(p.geometry.increments, 40);
  EXPECT_EQ(p.geometry.increment_length, 0.5);
  EXPECT_EQ(p.geometry.max_deflection, 0.0);  // null: the engine's initial value
  EXPECT_EQ(p.geometry.excavation_depth, 3.0);
  EXPECT_EQ(p.geometry.width, 3.0);
  EXPECT_EQ(p.geometry.wall_height, 120.0);
  EXPECT_EQ(p.geometry.max_iterations, 7);
  EXPECT_EQ(p.geometry.reserved_9, 0);  // after the slash
  const DeckPlace* tolerance = deck.place_of("/problems/0/geometry/tolerance");
  ASSERT_NE(tolerance, nullptr);
  EXPECT_EQ(tolerance->line, 3u);
  EXPECT_EQ(tolerance->item, 4);
  const DeckPlace* width = deck.place_of("/problems/0/geometry/width");
  ASSERT_NE(width, nullptr);
  EXPECT_EQ(width->line, 4u);
  EXPECT_EQ(width->item, 6);
  EXPECT_FALSE(deck.failure.has_value());
}

TEST(DeckText, AFailureKeepsWhatWasReadAndTheRest) {
  const std::string text =
      "T\n"
      "1 0 0 0 0 0 3 0 1 0 0 0\n"
      "\n"
      "40 six 1 .01 0 12 120 0 0 0\n"
      "0\n";
  const Deck deck = read_deck(text, "bad.dat");
  ASSERT_TRUE(deck.failure.has_value());
  EXPECT_EQ(deck.failure->message,
            "bad.dat, line 4, item 2: expected a real number, found \"six\"");
  EXPECT_EQ(deck.failure->problem, 0u);
  EXPECT_EQ(deck.failure->record, 2);  // the title and the control record were read
  EXPECT_EQ(deck.failure->line, 3u);   // the record begins on the empty line
  EXPECT_EQ(deck.failure->rest, "\n40 six 1 .01 0 12 120 0 0 0\n0\n");
  EXPECT_EQ(write_deck(deck), text);
}

}  // namespace
}  // namespace kestro
