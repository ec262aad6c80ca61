// The field table against the model and the reader: every value a deck
// read from text places is a field of the table, and what the table says a
// derived field follows is a field of it too.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "kestro/deck.hpp"
#include "kestro/deck_fields.hpp"
#include "support/project_decks.h"

namespace kestro {
namespace {

// The path of a place with its indices as the table writes them.
std::string pattern_of(const std::string& path) {
  return std::regex_replace(path, std::regex("/[0-9]+(?=/|$)"), "/*");
}

std::set<std::string> table_paths() {
  std::set<std::string> paths;
  for (const DeckField& field : deck_fields())
    paths.insert(field.path);
  return paths;
}

TEST(DeckFields, EveryValueAProjectDeckPlacesIsAFieldOfTheTable) {
  const std::set<std::string> paths = table_paths();
  std::set<std::string> placed;
  for (const auto& decks : {testing::example_and_golden_decks(), testing::catalogue_decks()}) {
    for (const auto& path : decks) {
      const Deck deck = read_deck(testing::file_text(path), path.filename().string());
      for (const auto& [key, place] : deck.places) {
        std::string pattern = pattern_of(key);
        // The numbers of a list of rows or of single values are entries of it.
        while (!paths.contains(pattern) && pattern.ends_with("/*"))
          pattern.erase(pattern.size() - 2);
        EXPECT_TRUE(paths.contains(pattern)) << key << " of " << path.filename();
        placed.insert(pattern);
      }
    }
  }
  // The decks place values of nearly every kind of record.
  EXPECT_GE(placed.size(), 150u);
}

TEST(DeckFields, WhatADerivedFieldFollowsIsAFieldOfTheSameRecordOrTheOneHoldingIt) {
  const std::vector<DeckField> fields = deck_fields();
  const std::set<std::string> paths = table_paths();
  int derived = 0;
  for (const DeckField& field : fields) {
    SCOPED_TRACE(field.path);
    switch (field.rule) {
      case FieldRule::value:
        EXPECT_FALSE(field.default_json.empty() && field.type != FieldType::optional);
        EXPECT_TRUE(field.follows.empty());
        break;
      case FieldRule::required:
        EXPECT_TRUE(field.default_json.empty());
        break;
      case FieldRule::continuation:
        EXPECT_EQ(field.path, "/problems/*/continuation");
        ++derived;
        break;
      case FieldRule::count:
      case FieldRule::flag:
      case FieldRule::copy:
      case FieldRule::entries: {
        const auto followed = std::find_if(fields.begin(), fields.end(), [&](const DeckField& f) {
          return f.path == field.follows;
        });
        ASSERT_NE(followed, fields.end()) << field.follows;
        if (field.rule == FieldRule::count || field.rule == FieldRule::entries) {
          EXPECT_TRUE(followed->type == FieldType::list || followed->type == FieldType::rows ||
                      followed->type == FieldType::reals)
              << followed->path;
        }
        if (field.rule == FieldRule::copy) {
          EXPECT_EQ(followed->name, field.name);
          EXPECT_EQ(followed->type, field.type);
          EXPECT_EQ(followed->units.english, field.units.english);
          EXPECT_EQ(followed->units.si, field.units.si);
        }
        EXPECT_TRUE(field.default_json.empty());
        ++derived;
        break;
      }
    }
  }
  EXPECT_EQ(derived, 30);
}

TEST(DeckFields, NamesAreUniqueInARecordAndCodesHaveNames) {
  std::set<std::string> seen;
  for (const DeckField& field : deck_fields()) {
    EXPECT_TRUE(seen.insert(field.path).second) << field.path;
    EXPECT_FALSE(field.help.empty()) << field.path;
    EXPECT_EQ(field.type == FieldType::code, !field.names.empty()) << field.path;
    const bool record = field.type == FieldType::object || field.type == FieldType::optional ||
                        field.type == FieldType::list;
    EXPECT_EQ(record, !field.record.empty()) << field.path;
  }
}

}  // namespace
}  // namespace kestro
