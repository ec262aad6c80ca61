// The field table against the model and the reader: every value a deck
// read from text places is a field of the table, and what the table says a
// derived field follows is a field of it too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "kestro/deck.hpp"
#include "kestro/deck_fields.hpp"
#include "support/project_decks.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

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

// The reference of docs/deck-json.md: a table per record of the model, in
// the order the deck meets them, each field with its kind, units, what it
// is when left out and its help.
std::string field_reference() {
  const std::vector<DeckField> fields = deck_fields();
  // The record a path holds, and the paths each record is found at.
  std::map<std::string, std::string> record_at;
  std::vector<std::string> records;
  std::map<std::string, std::vector<std::string>> paths_of;
  record_at[""] = "Deck";
  records.push_back("Deck");
  paths_of["Deck"].push_back("");
  for (const DeckField& field : fields) {
    if (field.record.empty()) continue;
    const std::string at = field.type == FieldType::list ? field.path + "/*" : field.path;
    const std::string record(field.record);
    record_at[at] = record;
    if (!paths_of.contains(record)) records.push_back(record);
    paths_of[record].push_back(at);
  }
  const auto code = [](std::string_view text) { return "`" + std::string(text) + "`"; };
  const auto relative = [](const std::string& follows, const std::string& path) {
    // What a derived field follows, from its record, ".." the record holding it.
    const std::string parent = path.substr(0, path.rfind('/'));
    if (follows.rfind(parent + "/", 0) == 0) return follows.substr(parent.size() + 1);
    std::string holder = parent.ends_with("/*") ? parent.substr(0, parent.size() - 2) : parent;
    if (follows.empty() || holder.empty()) return follows;
    holder.erase(holder.rfind('/'));
    if (follows.rfind(holder + "/", 0) == 0) return "../" + follows.substr(holder.size() + 1);
    return follows;
  };
  std::map<std::string, std::string> table;
  for (const DeckField& field : fields) {
    const std::string parent = field.path.substr(0, field.path.rfind('/'));
    const std::string& record = record_at.at(parent);
    if (paths_of[record].front() != parent) continue;  // described where first met
    std::string kind;
    switch (field.type) {
      case FieldType::integer:
        kind = "integer";
        break;
      case FieldType::real:
        kind = "number";
        break;
      case FieldType::text:
        kind = "text";
        break;
      case FieldType::code:
        for (const EnumName& name : field.names) {
          kind += (kind.empty() ? "" : ", ") + code(name.name) + " " + std::to_string(name.code);
        }
        break;
      case FieldType::object:
        kind = std::string(field.record);
        break;
      case FieldType::optional:
        kind = std::string(field.record) + " (may be absent)";
        break;
      case FieldType::list:
        kind = "list of " + std::string(field.record);
        break;
      case FieldType::reals:
        kind = "list of numbers";
        break;
      case FieldType::rows:
        kind = "list of rows of 5 numbers";
        break;
    }
    std::string left_out;
    const std::string follows = code(relative(field.follows, field.path));
    switch (field.rule) {
      case FieldRule::value:
        left_out = field.default_json.empty() ? "absent" : code(field.default_json);
        break;
      case FieldRule::required:
        left_out = "required";
        break;
      case FieldRule::count:
        left_out = "number of entries of " + follows;
        break;
      case FieldRule::flag:
        left_out = "1 when " + follows + " is given, else 0";
        break;
      case FieldRule::copy:
        left_out = "the value of " + follows;
        break;
      case FieldRule::entries:
        left_out = "one entry of defaults per entry of " + follows;
        break;
      case FieldRule::continuation:
        left_out = "0 for the last problem, 9 for the others";
        break;
    }
    std::string& rows = table[record];
    rows += "| " + code(field.name) + " | " + kind + " | " + std::string(field.units.english) +
            " | " + std::string(field.units.si) + " | " + left_out + " | " +
            std::string(field.help) + " |\n";
  }
  std::string text;
  for (const std::string& record : records) {
    if (!table.contains(record)) continue;
    text += "### " + record + "\n\n";
    std::string at;
    for (const std::string& path : paths_of[record])
      at += (at.empty() ? "" : ", ") + code(path.empty() ? "/" : path);
    text += "At " + at + ".\n\n";
    text += "| field | kind | English | SI | left out | meaning |\n";
    text += "| --- | --- | --- | --- | --- | --- |\n";
    text += table[record] + "\n";
  }
  return text;
}

// The reference in the documentation is the one the table gives.
TEST(DeckFields, TheReferenceOfTheDocumentationIsTheTable) {
  const fs::path doc = fs::path(KESTRO_SOURCE_DIR) / "docs/deck-json.md";
  const std::string text = testing::file_text(doc);
  const std::string begin = "<!-- fields: written from deck_fields() -->\n\n";
  const std::string end = "<!-- end of fields -->";
  const std::size_t from = text.find(begin);
  const std::size_t to = text.find(end);
  ASSERT_NE(from, std::string::npos) << doc;
  ASSERT_NE(to, std::string::npos) << doc;
  const std::string expected = field_reference();
  const std::string given = text.substr(from + begin.size(), to - from - begin.size());
  if (given != expected) {
    const fs::path written = fs::current_path() / "deck-json-fields.md";
    std::ofstream(written) << expected;
    FAIL() << "the field reference of " << doc << " is not the table's; the table's is in "
           << written;
  }
}

}  // namespace
}  // namespace kestro
