// The JSON Schema of the JSON form of a deck, from the field table: one
// definition per record of the model, a property per field with its type,
// description, default, the names of its codes and its units.
#include <string>
#include <string_view>

#include "input/json_text.h"
#include "kestro/deck_fields.hpp"
#include "kestro/deck_json.hpp"

namespace kestro {

namespace {

using deck::Record;

// The sentence a description ends with for a field that may be left out
// without its default: what it becomes.
std::string left_out(const FieldInfo& info) {
  const std::string follows(info.follows);
  switch (info.rule) {
    case FieldRule::count:
      return " Left out: the number of entries of " + follows + ".";
    case FieldRule::flag:
      return " Left out: 1 when " + follows + " is given (and not empty), 0 otherwise.";
    case FieldRule::copy:
      return " Left out: the value of " + follows + ".";
    case FieldRule::entries:
      return " Left out: one entry of defaults per entry of " + follows + ".";
    case FieldRule::continuation:
      return " Left out: 0 for the last problem, 9 for the others.";
    case FieldRule::value:
    case FieldRule::required:
      break;
  }
  return std::string();
}

// A line of help as a sentence: its first letter a capital, a full stop at
// its end.
std::string sentence(std::string_view help) {
  std::string text(help);
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 32);
  if (!text.ends_with(".")) text += '.';
  return text;
}

class SchemaWriter {
 public:
  // The reference to the definition of record R, defined on first use.
  template <Record R>
  std::string define(const R& proto) {
    const std::string name(record_info(proto).name);
    const std::string ref = "#/$defs/" + name;
    if (defs_.contains(name)) return ref;
    defs_[name] = Json::object();  // taken, while its fields are defined
    defs_[name] = object(proto);
    return ref;
  }

  // The schema of record R as an object.
  template <Record R>
  Json object(const R& proto) {
    Json schema = Json::object();
    schema["type"] = "object";
    schema["description"] = std::string(record_info(proto).help);
    Json properties = Json::object();
    Json required = Json::array();
    visit_fields(proto, [&](const FieldInfo& info, const auto& member) {
      properties[std::string(info.name)] = property(info, member);
      if (info.rule == FieldRule::required) required.push_back(std::string(info.name));
    });
    schema["properties"] = std::move(properties);
    if (!required.empty()) schema["required"] = std::move(required);
    schema["additionalProperties"] = false;
    return schema;
  }

  Json& defs() { return defs_; }

 private:
  template <class M>
  Json property(const FieldInfo& info, const M& member) {
    constexpr FieldType type = field_type<M>();
    Json schema = Json::object();
    if constexpr (type == FieldType::integer) {
      schema["type"] = "integer";
    } else if constexpr (type == FieldType::real) {
      schema["type"] = "number";
    } else if constexpr (type == FieldType::text) {
      schema["type"] = "string";
    } else if constexpr (type == FieldType::code) {
      Json names = Json::array();
      for (const EnumName& name : enum_names(member))
        names.push_back(std::string(name.name));
      schema["anyOf"] =
          Json::array({Json{{"type", "string"}, {"enum", names}}, Json{{"type", "integer"}}});
    } else if constexpr (type == FieldType::object) {
      schema["$ref"] = define(member);
    } else if constexpr (type == FieldType::optional) {
      schema["$ref"] = define(typename M::value_type{});
    } else if constexpr (type == FieldType::list) {
      schema["type"] = "array";
      schema["items"] = Json{{"$ref", define(typename M::value_type{})}};
    } else if constexpr (type == FieldType::reals) {
      schema["type"] = "array";
      schema["items"] = Json{{"type", "number"}};
    } else {
      schema["type"] = "array";
      schema["items"] = Json{
          {"type", "array"}, {"items", Json{{"type", "number"}}}, {"minItems", 5}, {"maxItems", 5}};
    }
    schema["description"] = sentence(info.help) + left_out(info);
    if (info.rule == FieldRule::value) {
      if constexpr (type == FieldType::integer) {
        schema["default"] = static_cast<int>(info.default_value);
      } else if constexpr (type == FieldType::real) {
        schema["default"] = info.default_value;
      } else if constexpr (type == FieldType::text) {
        schema["default"] = "";
      } else if constexpr (type == FieldType::code) {
        const int code = static_cast<int>(info.default_value);
        schema["default"] = code;
        for (const EnumName& name : enum_names(member))
          if (name.code == code) schema["default"] = std::string(name.name);
      }
    } else if (info.rule != FieldRule::required) {
      schema["x-left-out"] = Json{{"rule", rule_name(info.rule)}, {"follows", info.follows}};
    }
    if (!info.units.english.empty() || !info.units.si.empty()) {
      schema["x-units"] = Json{{"english", info.units.english}, {"si", info.units.si}};
    }
    return schema;
  }

  static std::string rule_name(FieldRule rule) {
    switch (rule) {
      case FieldRule::count:
        return "count";
      case FieldRule::flag:
        return "flag";
      case FieldRule::copy:
        return "copy";
      case FieldRule::entries:
        return "entries";
      case FieldRule::continuation:
        return "continuation";
      case FieldRule::value:
      case FieldRule::required:
        break;
    }
    return std::string();
  }

  Json defs_ = Json::object();
};

}  // namespace

std::string deck_schema() {
  SchemaWriter writer;
  Json root = Json::object();
  root["$schema"] = "https://json-schema.org/draft/2020-12/schema";
  root["title"] = "KESTRO deck";
  Json deck = writer.object(Deck{});
  root["description"] =
      "The input of the retaining-wall analysis in its JSON form (docs/deck-json.md). Units "
      "follow the unit system of each problem's control record: x-units gives them for "
      "English and SI runs.";
  root["type"] = "object";
  Json properties = Json::object();
  properties["$schema"] =
      Json{{"type", "string"}, {"description", "The schema of the document, for editors."}};
  for (const auto& [name, property] : deck["properties"].items())
    properties[name] = property;
  properties["problems"]["minItems"] = 1;
  root["properties"] = std::move(properties);
  root["required"] = deck["required"];
  root["additionalProperties"] = false;
  root["$defs"] = std::move(writer.defs());
  return json_text(root);
}

}  // namespace kestro
