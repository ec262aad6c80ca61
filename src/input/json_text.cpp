#include "input/json_text.h"

#include <fmt/format.h>

#include <cmath>

namespace kestro {

namespace {

void compact(const Json& value, std::string& out) {
  if (value.is_object()) {
    out += '{';
    bool first = true;
    for (const auto& [key, member] : value.items()) {
      if (!first) out += ", ";
      first = false;
      out += Json(key).dump();
      out += ": ";
      compact(member, out);
    }
    out += '}';
  } else if (value.is_array()) {
    out += '[';
    for (std::size_t k = 0; k < value.size(); ++k) {
      if (k > 0) out += ", ";
      compact(value[k], out);
    }
    out += ']';
  } else if (value.is_number()) {
    out += json_number(value);
  } else {
    out += value.dump();
  }
}

// Writes `value`, whose text starts at `column`, indented by `indent`.
void layout(const Json& value, std::size_t indent, std::size_t column, std::string& out) {
  std::string flat;
  compact(value, flat);
  if (column + flat.size() <= kJsonLineWidth || !value.is_structured() || value.empty()) {
    out += flat;
    return;
  }
  const std::string inner(indent + 2, ' ');
  std::size_t left = value.size();
  if (value.is_object()) {
    out += "{\n";
    for (const auto& [key, member] : value.items()) {
      const std::string name = Json(key).dump() + ": ";
      out += inner + name;
      layout(member, indent + 2, inner.size() + name.size(), out);
      out += --left > 0 ? ",\n" : "\n";
    }
    out += std::string(indent, ' ') + "}";
  } else {
    out += "[\n";
    for (const Json& entry : value) {
      out += inner;
      layout(entry, indent + 2, inner.size(), out);
      out += --left > 0 ? ",\n" : "\n";
    }
    out += std::string(indent, ' ') + "]";
  }
}

}  // namespace

std::string json_number(const Json& number) {
  if (!number.is_number_float()) return number.dump();
  const double value = number.get<double>();
  if (!std::isfinite(value)) return "null";
  if (value == 0.0 && std::signbit(value)) return "-0.0";
  return fmt::format("{}", value);
}

std::string json_text(const Json& value) {
  std::string out;
  layout(value, 0, 0, out);
  out += '\n';
  return out;
}

}  // namespace kestro
