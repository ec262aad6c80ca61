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

}  // namespace
}  // namespace kestro
