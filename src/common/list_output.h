// List-directed output in the layout the engine's plot-data, p-y curve and
// earth-pressure files use: every record begins with one blank, integers take
// I12, reals 1PG24.15E3 (zero in E form), logicals L2, texts as they are; an
// item that would pass column 80 starts a new record.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace kestro {

using ListItem = std::variant<std::int64_t, double, std::string_view, bool>;

// Text of one list-directed WRITE: one or more complete records, each
// followed by '\n'.
std::string list_write(std::span<const ListItem> items);

// The same records appended to out, without allocating once out has the
// capacity.
void list_append(std::span<const ListItem> items, std::string& out);

inline std::string list_write(std::initializer_list<ListItem> items) {
  return list_write(std::span<const ListItem>(items.begin(), items.size()));
}

}  // namespace kestro
