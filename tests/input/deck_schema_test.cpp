// The JSON Schema of the JSON form: the committed file is the one the field
// table gives, it uses only what the small validator below knows, every
// project deck converted to JSON is valid against it, and it agrees with the
// reader on what is a deck.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "kestro/deck.hpp"
#include "kestro/deck_fields.hpp"
#include "kestro/deck_json.hpp"
#include "support/project_decks.h"

namespace kestro {
namespace {

using Json = nlohmann::json;
namespace fs = std::filesystem;

// A validator for the part of JSON Schema (draft 2020-12) the deck's schema
// uses: $ref to a definition, type, enum, anyOf, properties, required,
// additionalProperties false, items, minItems and maxItems; annotations
// (description, default, title, $schema, $defs, x-...) are skipped.  A
// keyword it does not know is an error of the schema, so that the schema
// cannot use more than is checked here.
class Validator {
 public:
  explicit Validator(Json schema) : root_(std::move(schema)) {}

  // The errors of `value`, one line each with its JSON path.
  std::vector<std::string> errors(const Json& value) {
    errors_.clear();
    check(root_, value, "");
    return errors_;
  }

 private:
  void error(const std::string& path, const std::string& what) {
    errors_.push_back((path.empty() ? "/" : path) + ": " + what);
  }

  static bool has_type(const Json& value, const std::string& type) {
    if (type == "object") return value.is_object();
    if (type == "array") return value.is_array();
    if (type == "string") return value.is_string();
    if (type == "number") return value.is_number();
    if (type == "integer") {
      return value.is_number_integer() ||
             (value.is_number_float() && value.get<double>() == std::trunc(value.get<double>()));
    }
    if (type == "boolean") return value.is_boolean();
    if (type == "null") return value.is_null();
    return false;
  }

  void check(const Json& schema, const Json& value, const std::string& path) {
    static const std::set<std::string> kAnnotations = {"description", "default", "title", "$schema",
                                                       "$defs"};
    for (const auto& [keyword, argument] : schema.items()) {
      if (kAnnotations.contains(keyword) || keyword.rfind("x-", 0) == 0) continue;
      if (keyword == "$ref") {
        const std::string prefix = "#/$defs/";
        const std::string ref = argument.get<std::string>();
        if (ref.rfind(prefix, 0) != 0 || !root_["$defs"].contains(ref.substr(prefix.size()))) {
          error(path, "the schema refers to " + ref + ", which it does not define");
          continue;
        }
        check(root_["$defs"][ref.substr(prefix.size())], value, path);
      } else if (keyword == "type") {
        if (!has_type(value, argument.get<std::string>())) {
          error(path, "not of type " + argument.get<std::string>());
        }
      } else if (keyword == "enum") {
        if (std::find(argument.begin(), argument.end(), value) == argument.end()) {
          error(path, value.dump() + " is not one of " + argument.dump());
        }
      } else if (keyword == "anyOf") {
        const std::vector<std::string> kept = errors_;
        bool any = false;
        for (const Json& option : argument) {
          errors_.clear();
          check(option, value, path);
          any = any || errors_.empty();
        }
        errors_ = kept;
        if (!any) error(path, value.dump() + " matches none of " + argument.dump());
      } else if (keyword == "properties") {
        if (!value.is_object()) continue;
        for (const auto& [name, property] : argument.items()) {
          if (value.contains(name)) check(property, value[name], path + "/" + name);
        }
      } else if (keyword == "required") {
        if (!value.is_object()) continue;
        for (const Json& name : argument) {
          if (!value.contains(name.get<std::string>())) error(path, "lacks " + name.dump());
        }
      } else if (keyword == "additionalProperties") {
        if (argument != Json(false)) {
          error(path, "the schema uses additionalProperties other than false");
          continue;
        }
        if (!value.is_object()) continue;
        for (const auto& [name, member] : value.items()) {
          if (!schema.contains("properties") || !schema["properties"].contains(name)) {
            error(path, "has the field \"" + name + "\", which the schema does not know");
          }
        }
      } else if (keyword == "items") {
        if (!value.is_array()) continue;
        for (std::size_t k = 0; k < value.size(); ++k)
          check(argument, value[k], path + "/" + std::to_string(k));
      } else if (keyword == "minItems") {
        if (value.is_array() && value.size() < argument.get<std::size_t>()) {
          error(path, "has fewer than " + argument.dump() + " entries");
        }
      } else if (keyword == "maxItems") {
        if (value.is_array() && value.size() > argument.get<std::size_t>()) {
          error(path, "has more than " + argument.dump() + " entries");
        }
      } else {
        error(path, "the schema uses the keyword " + keyword + ", which the validator lacks");
      }
    }
  }

  Json root_;
  std::vector<std::string> errors_;
};

Json committed_schema() {
  return Json::parse(testing::file_text(fs::path(KESTRO_SOURCE_DIR) / "schema/deck.schema.json"));
}

TEST(DeckSchema, TheCommittedFileIsTheOneTheFieldTableGives) {
  const std::string committed =
      testing::file_text(fs::path(KESTRO_SOURCE_DIR) / "schema/deck.schema.json");
  EXPECT_EQ(committed, deck_schema())
      << "regenerate it: build/release/kestro schema schema/deck.schema.json";
}

// Every field of the table has its property in the schema, of the same
// type, with its units; there is no property the table does not have.
TEST(DeckSchema, HoldsEveryFieldOfTheTableAndNoOther) {
  const Json schema = committed_schema();
  const Json& defs = schema["$defs"];
  // The properties of the object a table path lies in.
  const auto properties_at = [&](const std::string& path) -> const Json* {
    const Json* object = &schema;
    std::size_t at = 1;
    while (true) {
      const std::size_t slash = path.find('/', at);
      const std::string name = path.substr(at, slash - at);
      if (slash == std::string::npos) return object;
      const Json& property = (*object)["properties"][name];
      const Json& target = property.contains("items") ? property["items"] : property;
      const std::string ref = target.value("$ref", "");
      if (ref.empty()) return nullptr;
      object = &defs[ref.substr(std::string("#/$defs/").size())];
      at = slash + 1;
      if (path.compare(at, 2, "*/") == 0) at += 2;
    }
  };
  std::set<std::pair<const Json*, std::string>> seen;  // object, field
  for (const DeckField& field : deck_fields()) {
    SCOPED_TRACE(field.path);
    const Json* object = properties_at(field.path);
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE((*object)["properties"].contains(std::string(field.name)));
    const Json& property = (*object)["properties"][std::string(field.name)];
    const std::string type = property.value("type", "");
    switch (field.type) {
      case FieldType::integer:
        EXPECT_EQ(type, "integer");
        break;
      case FieldType::real:
        EXPECT_EQ(type, "number");
        break;
      case FieldType::text:
        EXPECT_EQ(type, "string");
        break;
      case FieldType::code:
        EXPECT_EQ(property["anyOf"][0]["enum"].size(), field.names.size());
        break;
      case FieldType::object:
      case FieldType::optional:
        EXPECT_TRUE(property.contains("$ref"));
        break;
      case FieldType::list:
      case FieldType::reals:
      case FieldType::rows:
        EXPECT_EQ(type, "array");
        break;
    }
    if (!field.units.english.empty()) {
      EXPECT_EQ(property["x-units"]["english"], std::string(field.units.english));
      EXPECT_EQ(property["x-units"]["si"], std::string(field.units.si));
    } else {
      EXPECT_FALSE(property.contains("x-units"));
    }
    EXPECT_EQ(property.contains("default"),
              !field.default_json.empty() && field.type != FieldType::object &&
                  field.type != FieldType::list && field.type != FieldType::reals &&
                  field.type != FieldType::rows);
    if (property.contains("default")) {
      EXPECT_EQ(property["default"], Json::parse(field.default_json));
    }
    seen.insert({object, std::string(field.name)});
  }
  // No property beyond the table's (the "$schema" of the document aside).
  std::size_t properties = schema["properties"].size() - 1;
  for (const auto& [name, definition] : defs.items())
    properties += definition["properties"].size();
  EXPECT_EQ(properties, seen.size());
}

TEST(DeckSchema, EveryProjectDeckConvertedToJsonIsValid) {
  Validator validator(committed_schema());
  int valid = 0;
  for (const auto& decks : {testing::example_and_golden_decks(), testing::catalogue_decks()}) {
    for (const fs::path& path : decks) {
      SCOPED_TRACE(path.filename().string());
      const Deck deck = read_deck(testing::file_text(path), path.filename().string());
      const DeckJson json = deck_to_json(deck);
      if (!json) continue;  // a deck that could not be read
      const std::vector<std::string> errors = validator.errors(Json::parse(json.text));
      EXPECT_TRUE(errors.empty()) << errors.front();
      ++valid;
    }
  }
  EXPECT_GE(valid, 70);
}

// Documents the reader takes are valid, and documents the schema can tell
// are not decks are refused by both.
TEST(DeckSchema, AgreesWithTheReaderOnWhatIsADeck) {
  Validator validator(committed_schema());
  const std::string head = R"({"problems": [{"control": {"units": "si"}, )";
  const std::vector<std::string> decks = {
      R"({"problems": [{"control": {"units": "english"}}]})",
      R"({"$schema": "deck.schema.json", "problems": [{"control": {"units": 2}}]})",
      head + R"("geometry": {"increments": 40.0, "width": 1}}]})",
      head + R"("soil_layers": [{"soil_type": 9, "at_bottom": {"kpy": 4}}]}], "trailing": "x"})",
      head + R"("cross_sections": [{"nonlinear": {"rebars": [[1, 2, 3, 4, 5]]}}]}]})",
  };
  const std::vector<std::string> not_decks = {
      R"({"problems": []})",
      R"({"problems": [{}]})",
      R"({"problems": [{"control": {}}]})",
      R"({"problems": [{"control": {"units": "metric"}}]})",
      R"({"problems": [{"control": {"unit": "si"}}]})",
      R"({"problems": [{"control": {"units": "si"}}], "comment": "x"})",
      head + R"("geometry": {"increments": 4.5}}]})",
      head + R"("geometry": {"width": "one"}}]})",
      head + R"("title": 5}]})",
      head + R"("loads": {}}]})",
      head + R"("loads": [{"span": "sometimes"}]}]})",
      head + R"("surcharges": [{"magnitude": 2}]}]})",
      head + R"("soil_layers": [{"soil_type": "sand", "at_bottom": {"colour": 1}}]}]})",
      head + R"("cross_sections": [{"nonlinear": {"rebars": [[1, 2, 3, 4]]}}]}]})",
      head + R"("cross_sections": [{"nonlinear": {"single_values": [1, "2"]}}]}]})",
  };
  for (const std::string& text : decks) {
    SCOPED_TRACE(text);
    const Deck deck = deck_from_json(text, "w.json");
    EXPECT_FALSE(deck.failure.has_value()) << deck.failure->message;
    const std::vector<std::string> errors = validator.errors(Json::parse(text));
    EXPECT_TRUE(errors.empty()) << errors.front();
  }
  for (const std::string& text : not_decks) {
    SCOPED_TRACE(text);
    EXPECT_TRUE(deck_from_json(text, "w.json").failure.has_value());
    EXPECT_FALSE(validator.errors(Json::parse(text)).empty());
  }
}

}  // namespace
}  // namespace kestro
