// The JSON form of a deck.  Both ways go through a whole JSON tree that holds
// every field: writing builds it from the model and then leaves out what
// reading would give back (defaults, counts, values that follow the rest);
// reading first gives every field left out its value, then takes the tree
// into the model, refusing values of the wrong kind and unknown fields.  What
// a field left out becomes is the field table's (kestro/deck_fields.hpp).
#include "kestro/deck_json.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "input/json_text.h"
#include "kestro/deck_fields.hpp"

namespace kestro {

namespace {

using deck::Record;

// A value that cannot be converted: where (a JSON path, "" for the whole
// document) and what.
struct JsonDeckError {
  std::string path;
  std::string what;
};

[[noreturn]] void fail(std::string path, std::string what) {
  throw JsonDeckError{std::move(path), std::move(what)};
}

std::string child(const std::string& path, std::string_view name) {
  return path + "/" + std::string(name);
}
std::string child(const std::string& path, std::size_t index) {
  return path + "/" + std::to_string(index);
}

template <class M>
using Member = std::remove_cvref_t<M>;

// ---------------------------------------------------------------------------
// Values of fields as JSON

template <class E>
Json code_json(E value) {
  const int code = static_cast<int>(value);
  for (const EnumName& name : enum_names(value))
    if (name.code == code) return Json(std::string(name.name));
  return Json(code);
}

// The JSON value a field left out takes (rule value).
template <class M>
Json default_json(const FieldInfo& info) {
  constexpr FieldType type = field_type<M>();
  if constexpr (type == FieldType::integer) {
    return Json(static_cast<int>(info.default_value));
  } else if constexpr (type == FieldType::real) {
    return Json(info.default_value);
  } else if constexpr (type == FieldType::text) {
    return Json(std::string());
  } else if constexpr (type == FieldType::code) {
    return code_json(static_cast<M>(static_cast<int>(info.default_value)));
  } else if constexpr (type == FieldType::object) {
    return Json::object();
  } else {
    return Json::array();
  }
}

// Two values the same: numbers of the same kind, doubles to the bit (so
// that -0.0 is not taken for 0.0).
bool same(const Json& a, const Json& b) {
  if (a.type() != b.type()) return false;
  if (a.is_number_float()) {
    const double x = a.get<double>();
    const double y = b.get<double>();
    return x == y && std::signbit(x) == std::signbit(y);
  }
  return a == b;
}

// Where a problem stands in its deck, for its continuation code.
struct Position {
  bool last = true;
};

// What a derived field follows: a path from the record `holder`, whose
// "../" is `parent`, the record holding it.  Null when it is not there.
const Json* resolve(const Json& holder, const Json* parent, std::string_view follows) {
  const Json* at = &holder;
  if (follows.substr(0, 3) == "../") {
    at = parent;
    follows.remove_prefix(3);
  }
  while (at != nullptr && !follows.empty()) {
    const std::size_t slash = follows.find('/');
    const std::string name(follows.substr(0, slash));
    follows = slash == std::string_view::npos ? std::string_view() : follows.substr(slash + 1);
    if (!at->is_object()) return nullptr;
    const auto found = at->find(name);
    at = found == at->end() ? nullptr : &*found;
  }
  return at;
}

// The value a derived field left out takes; null when there is none (the
// field it copies is not there).
Json derived_json(const FieldInfo& info, const Json& holder, const Json* parent,
                  const Position& position) {
  const Json* source = resolve(holder, parent, info.follows);
  switch (info.rule) {
    case FieldRule::count:
      return Json(source != nullptr && source->is_array() ? static_cast<int>(source->size()) : 0);
    case FieldRule::flag:
      return Json(source != nullptr && !(source->is_array() && source->empty()) ? 1 : 0);
    case FieldRule::copy:
      return source != nullptr ? *source : Json();
    case FieldRule::entries: {
      Json entries = Json::array();
      const std::size_t count = source != nullptr && source->is_array() ? source->size() : 0;
      for (std::size_t k = 0; k < count; ++k)
        entries.push_back(Json::object());
      return entries;
    }
    case FieldRule::continuation:
      return Json(position.last ? 0 : 9);
    case FieldRule::value:
    case FieldRule::required:
      break;
  }
  return Json();
}

// ---------------------------------------------------------------------------
// Model to tree: every field

class TreeWriter {
 public:
  template <Record R>
  Json record(const R& r, const std::string& path) {
    Json object = Json::object();
    visit_fields(r, [&](const FieldInfo& info, const auto& member) {
      using M = Member<decltype(member)>;
      const std::string at = child(path, info.name);
      if constexpr (field_type<M>() == FieldType::optional) {
        if (member) object[std::string(info.name)] = record(*member, at);
      } else {
        object[std::string(info.name)] = value(member, at);
      }
    });
    return object;
  }

 private:
  static Json value(int v, const std::string&) { return Json(v); }
  static Json value(double v, const std::string& at) {
    if (!std::isfinite(v)) {
      fail(at, fmt::format("{} cannot be written as JSON, whose numbers are finite", v));
    }
    return Json(v);
  }
  static Json value(const std::string& v, const std::string& at) {
    Json text(v);
    try {
      static_cast<void>(text.dump());
    } catch (const Json::type_error&) {
      fail(at, "the text is not UTF-8, which JSON needs");
    }
    return text;
  }
  template <class E>
  requires std::is_enum_v<E>
  static Json value(E v, const std::string&) { return code_json(v); }
  template <Record R>
  Json value(const R& r, const std::string& at) {
    return record(r, at);
  }
  template <Record R>
  Json value(const std::vector<R>& list, const std::string& at) {
    Json array = Json::array();
    for (std::size_t k = 0; k < list.size(); ++k)
      array.push_back(record(list[k], child(at, k)));
    return array;
  }
  static Json value(const std::vector<double>& values, const std::string& at) {
    Json array = Json::array();
    for (std::size_t k = 0; k < values.size(); ++k)
      array.push_back(value(values[k], child(at, k)));
    return array;
  }
  static Json value(const std::vector<std::array<double, 5>>& rows, const std::string& at) {
    Json array = Json::array();
    for (std::size_t k = 0; k < rows.size(); ++k) {
      Json row = Json::array();
      for (std::size_t j = 0; j < rows[k].size(); ++j)
        row.push_back(value(rows[k][j], child(child(at, k), j)));
      array.push_back(std::move(row));
    }
    return array;
  }
};

// Leaves out of `object` (of record R, held by `parent`) what reading gives
// back: first within the records it holds, then its own fields, judged on
// the object as it stands before any of them is left out.
template <Record R>
void leave_out(Json& object, const R& proto, const Json* parent, const Position& position) {
  visit_fields(proto, [&](const FieldInfo& info, const auto& member) {
    using M = Member<decltype(member)>;
    constexpr FieldType type = field_type<M>();
    const auto found = object.find(std::string(info.name));
    if (found == object.end()) return;
    if constexpr (type == FieldType::object) {
      leave_out(*found, member, &object, position);
    } else if constexpr (type == FieldType::optional) {
      leave_out(*found, typename M::value_type{}, &object, position);
    } else if constexpr (type == FieldType::list) {
      for (Json& entry : *found)
        leave_out(entry, typename M::value_type{}, &object, position);
    }
  });
  if (written_whole(proto)) return;
  std::vector<std::string> left_out;
  visit_fields(proto, [&](const FieldInfo& info, const auto& member) {
    using M = Member<decltype(member)>;
    constexpr FieldType type = field_type<M>();
    const std::string name(info.name);
    const auto found = object.find(name);
    if (found == object.end()) return;
    if (info.rule == FieldRule::required) return;
    if (info.rule != FieldRule::value) {
      if (same(*found, derived_json(info, object, parent, position))) left_out.push_back(name);
    } else if constexpr (type == FieldType::optional) {
      return;
    } else if constexpr (type == FieldType::object || type == FieldType::list ||
                         type == FieldType::reals || type == FieldType::rows) {
      if (found->empty()) left_out.push_back(name);
    } else {
      if (same(*found, default_json<M>(info))) left_out.push_back(name);
    }
  });
  for (const std::string& name : left_out)
    object.erase(name);
}

// ---------------------------------------------------------------------------
// Reading: the fields left out, then the tree into the model

// Gives every field left out of `object` (of record R) the value it takes:
// first its own values, then within the records it holds, then the fields
// that follow the rest.  What is not an object is left as it is, for the
// reading to refuse.
template <Record R>
void fill_in(Json& object, const R& proto, const Json* parent, const Position& position) {
  if (!object.is_object()) return;
  visit_fields(proto, [&](const FieldInfo& info, const auto& member) {
    using M = Member<decltype(member)>;
    if (info.rule != FieldRule::value || field_type<M>() == FieldType::optional) return;
    const std::string name(info.name);
    if (!object.contains(name)) object[name] = default_json<M>(info);
  });
  const auto fill_within = [&](const std::string& name, const auto& member) {
    using M = Member<decltype(member)>;
    constexpr FieldType type = field_type<M>();
    const auto found = object.find(name);
    if (found == object.end()) return;
    if constexpr (type == FieldType::object) {
      fill_in(*found, member, &object, position);
    } else if constexpr (type == FieldType::optional) {
      fill_in(*found, typename M::value_type{}, &object, position);
    } else if constexpr (type == FieldType::list) {
      if (!found->is_array()) return;
      for (Json& entry : *found)
        fill_in(entry, typename M::value_type{}, &object, position);
    }
  };
  visit_fields(proto, [&](const FieldInfo& info, const auto& member) {
    fill_within(std::string(info.name), member);
  });
  visit_fields(proto, [&](const FieldInfo& info, const auto& member) {
    if (info.rule == FieldRule::value || info.rule == FieldRule::required) return;
    const std::string name(info.name);
    if (object.contains(name)) return;
    Json value = derived_json(info, object, parent, position);
    if (value.is_null()) return;
    object[name] = std::move(value);
    fill_within(name, member);
  });
}

// A value as a message shows it: texts quoted (and cut), numbers as
// written, other kinds by name.
std::string shown(const Json& value) {
  switch (value.type()) {
    case Json::value_t::object:
      return "an object";
    case Json::value_t::array:
      return "an array";
    case Json::value_t::string: {
      const std::string& text = value.get_ref<const std::string&>();
      if (text.size() <= 40) return value.dump();
      return Json(text.substr(0, 37) + "...").dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    case Json::value_t::number_float:
      return json_number(value);
    default:
      return value.dump();
  }
}

// The edit distance of two names, for the name a misspelt field meant.
std::size_t distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// Refuses the keys of `object` that are not among `names`, naming them and,
// for one close enough to a name, the name it may have meant.
void refuse_unknown(const Json& object, const std::vector<std::string_view>& names,
                    const std::string& path) {
  std::vector<std::string> unknown;
  for (const auto& [key, value] : object.items()) {
    if (std::find(names.begin(), names.end(), key) == names.end()) unknown.push_back(key);
  }
  if (unknown.empty()) return;
  std::string what = unknown.size() == 1 ? "unknown field " : "unknown fields ";
  for (std::size_t k = 0; k < unknown.size(); ++k) {
    if (k > 0) what += ", ";
    what += Json(unknown[k]).dump();
  }
  if (unknown.size() == 1) {
    std::string_view best;
    std::size_t best_distance = std::max<std::size_t>(2, unknown[0].size() / 4) + 1;
    for (std::string_view name : names) {
      const std::size_t d = distance(unknown[0], name);
      if (d < best_distance) {
        best = name;
        best_distance = d;
      }
    }
    if (!best.empty()) what += " (did you mean " + Json(std::string(best)).dump() + "?)";
  }
  fail(path, what);
}

template <Record R>
std::vector<std::string_view> field_names(const R& proto) {
  std::vector<std::string_view> names;
  visit_fields(proto, [&](const FieldInfo& info, const auto&) { names.push_back(info.name); });
  return names;
}

class TreeReader {
 public:
  template <Record R>
  void record(const Json& object, R& r, const std::string& path) {
    if (!object.is_object()) fail(path, "expected an object, found " + shown(object));
    refuse_unknown(object, field_names(r), path);
    visit_fields(r, [&](const FieldInfo& info, auto& member) {
      using M = Member<decltype(member)>;
      const auto found = object.find(std::string(info.name));
      if (found == object.end()) {
        if (info.rule == FieldRule::required) {
          fail(path, "the field " + Json(std::string(info.name)).dump() + " is required");
        }
        return;
      }
      const std::string at = child(path, info.name);
      if constexpr (field_type<M>() == FieldType::optional) {
        record(*found, member.emplace(), at);
      } else {
        read(*found, member, at);
      }
    });
  }

 private:
  static void read(const Json& j, int& value, const std::string& at) {
    double number = 0.0;
    if (j.is_number_integer() || j.is_number_unsigned()) {
      number = j.get<double>();
    } else if (j.is_number_float() && std::trunc(j.get<double>()) == j.get<double>()) {
      number = j.get<double>();
    } else {
      fail(at, "expected a whole number, found " + shown(j));
    }
    if (number < INT_MIN || number > INT_MAX) {
      fail(at, "expected a whole number from " + std::to_string(INT_MIN) + " to " +
                   std::to_string(INT_MAX) + ", found " + shown(j));
    }
    value = static_cast<int>(number);
  }
  static void read(const Json& j, double& value, const std::string& at) {
    if (!j.is_number()) fail(at, "expected a number, found " + shown(j));
    value = j.get<double>();
  }
  static void read(const Json& j, std::string& value, const std::string& at) {
    if (!j.is_string()) fail(at, "expected a text, found " + shown(j));
    value = j.get<std::string>();
  }
  template <class E>
  requires std::is_enum_v<E>
  static void read(const Json& j, E& value, const std::string& at) {
    const std::span<const EnumName> names = enum_names(value);
    if (j.is_string()) {
      for (const EnumName& name : names) {
        if (name.name == j.get_ref<const std::string&>()) {
          value = static_cast<E>(name.code);
          return;
        }
      }
    } else if (j.is_number()) {
      int code = 0;
      read(j, code, at);
      value = static_cast<E>(code);
      return;
    }
    std::string expected = "expected ";
    for (std::size_t k = 0; k < names.size(); ++k) {
      expected += k == 0 ? "" : ", ";
      expected += Json(std::string(names[k].name)).dump();
    }
    fail(at, expected + " or a whole-number code, found " + shown(j));
  }
  template <Record R>
  void read(const Json& j, R& r, const std::string& at) {
    record(j, r, at);
  }
  template <Record R>
  void read(const Json& j, std::vector<R>& list, const std::string& at) {
    if (!j.is_array()) fail(at, "expected an array, found " + shown(j));
    list.assign(j.size(), R{});
    for (std::size_t k = 0; k < j.size(); ++k)
      record(j[k], list[k], child(at, k));
  }
  static void read(const Json& j, std::vector<double>& values, const std::string& at) {
    if (!j.is_array()) fail(at, "expected an array of numbers, found " + shown(j));
    values.assign(j.size(), 0.0);
    for (std::size_t k = 0; k < j.size(); ++k)
      read(j[k], values[k], child(at, k));
  }
  static void read(const Json& j, std::vector<std::array<double, 5>>& rows, const std::string& at) {
    if (!j.is_array()) fail(at, "expected an array of rows of 5 numbers, found " + shown(j));
    rows.assign(j.size(), {});
    for (std::size_t k = 0; k < j.size(); ++k) {
      const Json& row = j[k];
      if (!row.is_array() || row.size() != 5) {
        fail(child(at, k),
             "expected an array of 5 numbers, found " +
                 (row.is_array() ? "an array of " + std::to_string(row.size()) : shown(row)));
      }
      for (std::size_t i = 0; i < 5; ++i)
        read(row[i], rows[k][i], child(child(at, k), i));
    }
  }
};

// The path of the value being parsed, kept from the parser's events, for a
// key given twice in one object.
class DuplicateKeys {
 public:
  bool operator()(int, Json::parse_event_t event, Json& parsed) {
    switch (event) {
      case Json::parse_event_t::object_start:
        scopes_.push_back(Scope{true, {}, {}, 0});
        break;
      case Json::parse_event_t::array_start:
        scopes_.push_back(Scope{false, {}, {}, 0});
        break;
      case Json::parse_event_t::key: {
        Scope& scope = scopes_.back();
        scope.key = parsed.get<std::string>();
        if (std::find(scope.keys.begin(), scope.keys.end(), scope.key) != scope.keys.end()) {
          if (!found_)
            found_ = JsonDeckError{path(), "the field " + parsed.dump() + " is given twice"};
        }
        scope.keys.push_back(scope.key);
        break;
      }
      case Json::parse_event_t::object_end:
      case Json::parse_event_t::array_end:
        scopes_.pop_back();
        ended_value();
        break;
      case Json::parse_event_t::value:
        ended_value();
        break;
    }
    return true;
  }

  const std::optional<JsonDeckError>& found() const { return found_; }

 private:
  struct Scope {
    bool object;
    std::vector<std::string> keys;
    std::string key;
    std::size_t index;
  };

  void ended_value() {
    if (!scopes_.empty() && !scopes_.back().object) ++scopes_.back().index;
  }

  // The path of the object whose key was just read.
  std::string path() const {
    std::string text;
    for (std::size_t k = 0; k + 1 < scopes_.size(); ++k) {
      const Scope& scope = scopes_[k];
      text += "/" + (scope.object ? scope.key : std::to_string(scope.index));
    }
    return text;
  }

  std::vector<Scope> scopes_;
  std::optional<JsonDeckError> found_;
};

// The line and column (from 1) of a byte offset of the text.
std::pair<std::size_t, std::size_t> line_and_column(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  std::size_t line = 1;
  std::size_t start = 0;
  for (std::size_t k = 0; k < offset; ++k) {
    if (text[k] == '\n') {
      ++line;
      start = k + 1;
    }
  }
  return {line, offset - start + 1};
}

Json parse(std::string_view text, const std::string& name, std::string& syntax_error) {
  DuplicateKeys duplicates;
  Json root;
  try {
    root = Json::parse(text.begin(), text.end(), std::ref(duplicates));
  } catch (const Json::parse_error& error) {
    // The parser's reason, after its own "... at line L, column C: ".
    std::string reason = error.what();
    const std::size_t colon = reason.find(": ", reason.find("parse error"));
    if (colon != std::string::npos) reason.erase(0, colon + 2);
    const auto [line, column] = line_and_column(text, error.byte > 0 ? error.byte - 1 : 0);
    syntax_error = name + ", line " + std::to_string(line) + ", column " + std::to_string(column) +
                   ": not valid JSON: " + reason;
    return Json();
  } catch (const Json::out_of_range& error) {
    // A number beyond the range of a double: the parser names the number
    // but not where it is; the first place it is written is.
    const std::string reason = error.what();
    const std::size_t open = reason.find('\'');
    const std::size_t close = reason.rfind('\'');
    const std::string number =
        open < close ? reason.substr(open + 1, close - open - 1) : std::string();
    const std::size_t at = number.empty() ? std::string_view::npos : text.find(number);
    syntax_error = name;
    if (at != std::string_view::npos) {
      const auto [line, column] = line_and_column(text, at);
      syntax_error += ", line " + std::to_string(line) + ", column " + std::to_string(column);
    }
    syntax_error += ": the number " + number + " is too large for a double";
    return Json();
  }
  if (duplicates.found()) throw *duplicates.found();
  return root;
}

void check_continuations(const Deck& deck) {
  for (std::size_t k = 0; k < deck.problems.size(); ++k) {
    const deck::Problem& p = deck.problems[k];
    const bool ends = p.continuation == 0 || p.continuation == p.control.stages;
    const std::string at = "/problems/" + std::to_string(k) + "/continuation";
    const std::string code = std::to_string(p.continuation);
    if (ends && k + 1 < deck.problems.size()) {
      fail(at, code + " ends the run (0 or the number of stages, " +
                   std::to_string(p.control.stages) + "), but " +
                   std::to_string(deck.problems.size() - k - 1) +
                   " more problem(s) follow: give another code, 9 for the next stage");
    }
    if (!ends && k + 1 == deck.problems.size()) {
      fail(at, code + " asks for another problem, but this is the last one: give 0 to end the run");
    }
  }
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Ends the reading of a deck from JSON with a message: no problems, and the
// message as the failure a run stops with at the first record.
void fail_reading(Deck& deck, std::string message, std::string path = {}) {
  deck.problems.clear();
  deck.trailing.clear();
  deck.failure = deck::DeckReadFailure{std::move(message), 0, 0, 0, std::string()};
  deck.failure->stop_path = std::move(path);
}

}  // namespace

DeckJson deck_to_json(const Deck& deck) {
  DeckJson result;
  if (deck.failure) {
    result.error =
        deck.name + " cannot be written as JSON: reading it stopped at " + deck.failure->message;
    return result;
  }
  if (deck.problems.empty()) {
    result.error = deck.name + " cannot be written as JSON: it has no problem";
    return result;
  }
  try {
    TreeWriter writer;
    Json root = writer.record(deck, "");
    Json& problems = root["problems"];
    for (std::size_t k = 0; k < problems.size(); ++k) {
      leave_out(problems[k], deck::Problem{}, &root, Position{k + 1 == problems.size()});
      const deck::Problem& p = deck.problems[k];
      if (!problem_has_soil_records(p) && p.wall == deck::WallRecord{}) problems[k].erase("wall");
    }
    if (deck.trailing.empty()) root.erase("trailing");
    result.text = json_text(root);
  } catch (const JsonDeckError& error) {
    result.error = deck.name + ": " + error.path + ": " + error.what;
  } catch (const std::exception& error) {
    result.error = deck.name + " cannot be written as JSON: " + error.what();
  }
  return result;
}

Deck deck_from_json(std::string_view text, std::string name) {
  Deck deck;
  deck.name = std::move(name);
  try {
    std::string syntax_error;
    Json root = parse(text, deck.name, syntax_error);
    if (!syntax_error.empty()) {
      fail_reading(deck, syntax_error);
      return deck;
    }
    if (!root.is_object())
      fail("", "expected an object holding the problems, found " + shown(root));
    // "$schema" names the schema for editors; the deck does not need it.
    std::vector<std::string_view> names = field_names(deck);
    names.push_back("$schema");
    refuse_unknown(root, names, "");
    root.erase("$schema");
    const auto problems = root.find("problems");
    std::vector<bool> without_wall;
    if (problems != root.end() && problems->is_array()) {
      if (problems->empty()) fail("/problems", "expected at least one problem, found none");
      for (std::size_t k = 0; k < problems->size(); ++k) {
        Json& problem = (*problems)[k];
        without_wall.push_back(problem.is_object() && !problem.contains("wall"));
        fill_in(problem, deck::Problem{}, &root, Position{k + 1 == problems->size()});
      }
    }
    TreeReader().record(root, deck, "");
    // The wall record of a problem that does not read it (its control record
    // asks for no soil records) keeps the engine's initial values when it is
    // left out, as a deck read from text holds it: the defaults of the JSON
    // form serve a wall record that is read.  (The other records read only
    // with it have no default other than the engine's.)
    for (std::size_t k = 0; k < without_wall.size(); ++k) {
      deck::Problem& p = deck.problems[k];
      if (without_wall[k] && !problem_has_soil_records(p)) p.wall = deck::WallRecord{};
    }
    check_continuations(deck);
  } catch (const JsonDeckError& error) {
    const std::string where = error.path.empty() ? "" : error.path + ": ";
    fail_reading(deck, deck.name + ": " + where + error.what, error.path);
  } catch (const std::exception& error) {
    // What the checks above do not foresee is still a message, never a throw.
    fail_reading(deck, deck.name + ": cannot be read as a deck: " + error.what());
  }
  return deck;
}

bool is_json_deck_name(std::string_view name) {
  return lower(name).ends_with(".json");
}

Deck read_any_deck(std::string_view text, std::string name) {
  if (is_json_deck_name(name)) return deck_from_json(text, std::move(name));
  return read_deck(text, std::move(name));
}

}  // namespace kestro
