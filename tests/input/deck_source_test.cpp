// The places a deck's values are named by in the engine's messages: lines
// of a deck read from text, JSON paths of a deck read from JSON.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "kestro/deck.hpp"
#include "kestro/deck_json.hpp"
#include "kestro/kestro.hpp"
#include "support/project_decks.h"
#include "support/run_fixture.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

MemoryRunResult run_model(const Deck& deck, const std::string& name) {
  MemoryRunInput input;
  input.model = deck;
  input.deck_name = name;
  input.directory = "/work";
  return run_in_memory(input, testing::fixed_time);
}

// The text of `text` with every `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

// Where a deck read from JSON stops on a value the engine refuses, its
// message names the JSON path of the record where the deck's message names
// a line: the same record, the same words, and otherwise the same files.
TEST(DeckSource, AJsonDeckIsNamedByTheJsonPathWhereTheTextNamesALine) {
  const std::regex with_line(R"(^([^,:]+), line (\d+)(?:, item \d+)?: (.*)$)");
  const std::regex with_path(R"(^([^,:]+): (/problems/\d+[^:]*): (.*)$)");
  int compared = 0;
  for (const fs::path& path : testing::catalogue_decks()) {
    const std::string name = path.filename().string();
    SCOPED_TRACE(name);
    const Deck text_deck = read_deck(testing::file_text(path), name);
    if (text_deck.failure) continue;  // the reader's own messages: no model to convert
    const DeckJson json = deck_to_json(text_deck);
    if (!json) continue;  // a value JSON cannot hold, tested below
    const Deck json_deck = deck_from_json(json.text, name);
    ASSERT_FALSE(json_deck.failure.has_value()) << json_deck.failure->message;
    EXPECT_TRUE(json_deck.problems == text_deck.problems);
    const MemoryRunResult from_text = run_model(text_deck, name);
    const MemoryRunResult from_json = run_model(json_deck, name);
    EXPECT_EQ(from_json.outcome, from_text.outcome);
    std::smatch line_match;
    if (!std::regex_match(from_text.message, line_match, with_line)) {
      // No place in the message: nothing differs.
      EXPECT_EQ(from_json.message, from_text.message);
      EXPECT_EQ(from_json.report, from_text.report);
      EXPECT_EQ(from_json.monitor, from_text.monitor);
      continue;
    }
    std::smatch path_match;
    ASSERT_TRUE(std::regex_match(from_json.message, path_match, with_path)) << from_json.message;
    EXPECT_EQ(path_match[1], line_match[1]);
    // A line the words name in passing is a path too.
    EXPECT_EQ(std::regex_replace(path_match[3].str(), std::regex("/problems/[^ ]+"), "<place>"),
              std::regex_replace(line_match[3].str(), std::regex("line \\d+"), "<place>"));
    // The path names the record the line holds in the text.
    const std::string record = path_match[2];
    const std::size_t line = std::stoul(line_match[2]);
    bool record_on_line = false;
    for (const auto& [key, place] : text_deck.places) {
      const bool within = key == record || key.rfind(record + "/", 0) == 0;
      if (within && place.line == line) record_on_line = true;
    }
    EXPECT_TRUE(record_on_line) << from_text.message << " | " << from_json.message;
    // Nothing else differs.
    EXPECT_EQ(from_json.report, replaced(from_text.report, from_text.message, from_json.message));
    EXPECT_EQ(from_json.console, replaced(from_text.console, from_text.message, from_json.message));
    EXPECT_EQ(from_json.plot_data, from_text.plot_data);
    EXPECT_EQ(from_json.monitor, from_text.monitor);
    ++compared;
  }
  EXPECT_GE(compared, 50);
}

// The deck check names the record of a finding the same way.
TEST(DeckSource, TheFindingsOfAJsonDeckNameTheirRecordByPath) {
  const std::string text =
      "SHORT WALL\n1 0 1 1 0 0 3 0 1 0 0 0\n40 6 1 .001 0 12 120 10 0 0\n0 20 1\n"
      "0 0 0 0\n'PLATE'\n0 0 0 0 0 0 0 0\n0 0 0 100 0 0 0 0 29E6 0 0 0\n0 0 0 0 0\n"
      "'X'\n0 0\n0\n0\n0\n";
  MemoryRunInput input;
  input.deck = text;
  input.deck_name = "short.dat";
  const DeckCheckResult from_text = check_deck(input);
  ASSERT_EQ(from_text.outcome, Outcome::completed) << from_text.message;
  ASSERT_FALSE(from_text.findings.empty());
  EXPECT_EQ(from_text.findings[0].line, 3u);
  EXPECT_EQ(from_text.findings[0].path, "");

  const DeckJson json = deck_to_json(read_deck(text, "short.dat"));
  ASSERT_TRUE(json) << json.error;
  input.model = deck_from_json(json.text, "short.json");
  const DeckCheckResult from_json = check_deck(input);
  ASSERT_EQ(from_json.outcome, Outcome::completed) << from_json.message;
  ASSERT_EQ(from_json.findings.size(), from_text.findings.size());
  for (std::size_t k = 0; k < from_json.findings.size(); ++k) {
    EXPECT_EQ(from_json.findings[k].text, from_text.findings[k].text);
    EXPECT_EQ(from_json.findings[k].line, 0u);
  }
  EXPECT_EQ(from_json.findings[0].path, "/problems/0/geometry/wall_height");
}

// A tied wall in clay under generated pressure whose soil gives no net active
// pressure, and the same wall clamped at its toe (option 2 generated earth
// pressure, soil records `soil`, backfill slope `beta`).
std::string clamped_wall(const std::string& soil, const std::string& beta = "0.0") {
  return "CLAMPED TOE UNDER GENERATED EARTH PRESSURE\n1 1 1 1 0 2 3 0 1 0 0 0\n"
         "40 6.0 100.0 0.001 240.0 12.0 240.0 0 0 0\n3 40 0.0 0.0\n0.0 20.0 1\n0 0 6 0\n"
         "'PZ 27 SHEET PILE'\n0 0 18.0 12.0 0 0 0 0.375\n0 0 0 184.2 0 0 0 0 29.0E6 0 0 0\n"
         "0 0 0 0 0\n'PZ 27'\n0 0\n0\n0\n240.0 12.0 12.0 1000.0 1000.0 1.0 0 " +
         beta + " 0.0\n0 0 0 0 0 0\n0\n" + soil + "0\n";
}

// Stop codes and warnings keep the places of the values they are about: a
// line and item of a deck read from text, the JSON path of one read from JSON.
TEST(DeckSource, StopCodesAndWarningsOfAJsonDeckNameTheValueByPath) {
  const auto as_json = [](const std::string& text, const std::string& name) {
    const DeckJson json = deck_to_json(read_deck(text, name + ".dat"));
    EXPECT_TRUE(json) << json.error;
    return deck_from_json(json.text, name + ".json");
  };
  // The soil layers end above the excavation: stop code 1 at the bottom of the last layer.
  const std::string short_soil = clamped_wall("1 1 0\n4 120.0\n0.07 0 30 0 0 0\n0.07 0 30 0 0 0\n");
  const MemoryRunResult stop = run_model(as_json(short_soil, "short"), "short.json");
  EXPECT_EQ(stop.outcome, Outcome::error_stop);
  EXPECT_EQ(stop.message,
            "stop code 1: short.json: /problems/0/soil_layers/0/bottom_depth: the soil layers end "
            "at 120 in, not below the free height HFREE = 240 in of the wall record "
            "(/problems/0/wall/free_height): no computation layer begins at the excavation");

  // A backfill steeper than the friction angle: the warning names BETA.
  const std::string steep =
      clamped_wall("1 1 0\n4 600.0\n0.07 0 30 0 0 0\n0.07 0 30 0 0 0\n", "35.0");
  const MemoryRunResult from_text = run_model(read_deck(steep, "steep.dat"), "steep.dat");
  const MemoryRunResult from_json = run_model(as_json(steep, "steep"), "steep.json");
  ASSERT_FALSE(from_text.problems.empty());
  ASSERT_FALSE(from_json.problems.empty());
  ASSERT_FALSE(from_text.problems[0].warnings.empty());
  ASSERT_EQ(from_json.problems[0].warnings.size(), from_text.problems[0].warnings.size());
  const Warning& text_warning = from_text.problems[0].warnings[0];
  const Warning& json_warning = from_json.problems[0].warnings[0];
  EXPECT_EQ(text_warning.kind, WarningKind::backfill_slope_too_steep);
  EXPECT_EQ(text_warning.line, 15u);  // the wall record
  EXPECT_EQ(text_warning.item, 8);
  EXPECT_EQ(json_warning.text, text_warning.text);
  EXPECT_EQ(json_warning.file, "steep.json");
  EXPECT_EQ(json_warning.line, 0u);
  EXPECT_EQ(json_warning.path, "/problems/0/wall/backfill_slope");

  // No net active pressure: the warning names the number of soil layers, on
  // the console too.
  const std::string clay_text =
      testing::file_text(fs::path(KESTRO_SOURCE_DIR) / "examples/tied-back-wall-clay.dat");
  const MemoryRunResult clay = run_model(as_json(clay_text, "clay"), "clay.json");
  ASSERT_EQ(clay.problems.size(), 1u);
  ASSERT_EQ(clay.problems[0].warnings.size(), 1u);
  EXPECT_EQ(clay.problems[0].warnings[0].kind, WarningKind::net_active_pressure_negative);
  EXPECT_EQ(clay.problems[0].warnings[0].path, "/problems/0/soil_layer_count");
  EXPECT_NE(clay.console.find("warning: clay.json: /problems/0/soil_layer_count: Net active"),
            std::string::npos)
      << clay.console;
}

}  // namespace
}  // namespace kestro
