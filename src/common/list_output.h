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

// The value a list-directed write of x keeps once read back: the digits of
// its 1PG24.15E3 field, 15 significant where the field takes the F form
// (0.1 <= |x| < 10^15 once rounded to 15 digits), 16 in the E form (1P
// puts one digit before the point), each as round_to_significant
// (fortran_format.h) keeps them: zero gives +0, and a result that is not
// finite means the field would not read back.
double round_list_directed(double x);

}  // namespace kestro
