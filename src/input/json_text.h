// JSON documents as text a person reads: a value that fits in the line is
// written on one line, others one member or entry per line, indented by two;
// numbers as the shortest text that reads back to the same double.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace kestro {

using Json = nlohmann::ordered_json;

// The longest line the layout aims for, in characters.
inline constexpr std::size_t kJsonLineWidth = 100;

// The text of a JSON value, ending in a newline.  Strings must be UTF-8 (as
// nlohmann's dump requires); a number that is not finite has no JSON text and
// is written as null.
std::string json_text(const Json& value);

// The text of a number: an integer as written, a double as the shortest text
// that reads back to it ("0.1", "3", "1e+20"), negative zero as "-0.0".
std::string json_number(const Json& number);

}  // namespace kestro
