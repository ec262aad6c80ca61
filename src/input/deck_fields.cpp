// The field table of the deck as data: the facts visit_fields states, with
// each field's JSON path.
#include "kestro/deck_fields.hpp"

#include <fmt/format.h>

#include <string>

namespace kestro {

namespace {

// The path a derived field follows, from the path of the record holding it:
// "../" steps out to the record that holds that record (over a list's "*").
std::string follow(std::string base, std::string_view relative) {
  if (relative.empty()) return std::string();
  while (relative.substr(0, 3) == "../") {
    relative.remove_prefix(3);
    if (base.ends_with("/*")) base.erase(base.size() - 2);
    base.erase(base.rfind('/'));
  }
  return base + "/" + std::string(relative);
}

template <class M>
std::string default_json(const FieldInfo& info) {
  if (info.rule != FieldRule::value) return std::string();
  constexpr FieldType type = field_type<M>();
  if constexpr (type == FieldType::integer) {
    return std::to_string(static_cast<long long>(info.default_value));
  } else if constexpr (type == FieldType::real) {
    const std::string text = fmt::format("{}", info.default_value);
    return text.find_first_of(".e") == std::string::npos ? text + ".0" : text;
  } else if constexpr (type == FieldType::text) {
    return "\"\"";
  } else if constexpr (type == FieldType::code) {
    const int code = static_cast<int>(info.default_value);
    for (const EnumName& name : enum_names(M{}))
      if (name.code == code) return "\"" + std::string(name.name) + "\"";
    return std::to_string(code);
  } else if constexpr (type == FieldType::object) {
    return "{}";
  } else if constexpr (type == FieldType::optional) {
    return std::string();
  } else {
    return "[]";
  }
}

class Describer {
 public:
  explicit Describer(std::vector<DeckField>& fields) : fields_(fields) {}

  template <deck::Record R>
  void record(const R& record, const std::string& base) {
    visit_fields(record,
                 [&](const FieldInfo& info, const auto& member) { field(info, member, base); });
  }

 private:
  template <class M>
  void field(const FieldInfo& info, const M& member, const std::string& base) {
    constexpr FieldType type = field_type<M>();
    DeckField field;
    field.path = base + "/" + std::string(info.name);
    field.name = info.name;
    field.type = type;
    field.units = info.units;
    field.help = info.help;
    field.rule = info.rule;
    field.follows = follow(base, info.follows);
    field.default_json = default_json<M>(info);
    if constexpr (type == FieldType::code) field.names = enum_names(M{});
    const std::string path = field.path;
    if constexpr (type == FieldType::object) {
      field.record = record_info(member).name;
      fields_.push_back(std::move(field));
      record(member, path);
    } else if constexpr (type == FieldType::optional || type == FieldType::list) {
      const typename M::value_type entry{};
      field.record = record_info(entry).name;
      fields_.push_back(std::move(field));
      record(entry, type == FieldType::list ? path + "/*" : path);
    } else {
      fields_.push_back(std::move(field));
    }
  }

  std::vector<DeckField>& fields_;
};

}  // namespace

std::vector<DeckField> deck_fields() {
  std::vector<DeckField> fields;
  Describer(fields).record(Deck{}, "");
  return fields;
}

}  // namespace kestro
