#include "common/list_output.h"

#include <cmath>

#include "common/fortran_format.h"

namespace kestro {

namespace {

// Records are at most this many columns long, unless one item alone is wider.
constexpr std::size_t kRecordLength = 80;

// Widths of the fields: I12, 1PG24.15E3, L2; a text takes its own length.
constexpr std::size_t kIntegerWidth = 12;
constexpr std::size_t kRealWidth = 24;
constexpr std::size_t kLogicalWidth = 2;

std::size_t field_width(const ListItem& item) {
  if (std::holds_alternative<std::int64_t>(item)) return kIntegerWidth;
  if (std::holds_alternative<double>(item)) return kRealWidth;
  if (std::holds_alternative<bool>(item)) return kLogicalWidth;
  return std::get<std::string_view>(item).size();
}

void put_field(const ListItem& item, std::string& out) {
  if (const auto* value = std::get_if<std::int64_t>(&item)) {
    append_integer(out, *value, static_cast<int>(kIntegerWidth));
  } else if (const auto* real = std::get_if<double>(&item)) {
    // 1PG24.15E3, except that zero takes the E form instead of G's F form.
    if (*real == 0.0) {
      append_exponent(out, *real, static_cast<int>(kRealWidth), 15, 3, 1);
    } else {
      append_general(out, *real, static_cast<int>(kRealWidth), 15, 3, 1);
    }
  } else if (const auto* logical = std::get_if<bool>(&item)) {
    out += *logical ? " T" : " F";
  } else {
    out += std::get<std::string_view>(item);
  }
}

}  // namespace

void list_append(std::span<const ListItem> items, std::string& out) {
  out += ' ';
  std::size_t record_start = out.size() - 1;
  for (const ListItem& item : items) {
    const std::size_t used = out.size() - record_start;
    if (used > 1 && used + field_width(item) > kRecordLength) {
      out += '\n';
      record_start = out.size();
      out += ' ';
    }
    put_field(item, out);
  }
  out += '\n';
}

double round_list_directed(double x) {
  const double fixed = round_to_significant(x, 15);
  const double magnitude = std::fabs(fixed);
  // The decimal of 15 digits lies in [0.1, 10^15) exactly when its nearest
  // double does: 0.0999999999999999 and 999999999999999 are further from
  // the bounds than the doubles' spacing there.
  if (magnitude >= 0.1 && magnitude < 1e15) return fixed;
  if (!std::isfinite(x) || x == 0.0) return fixed;
  return round_to_significant(x, 16);
}

std::string list_write(std::span<const ListItem> items) {
  std::string out;
  list_append(items, out);
  return out;
}

}  // namespace kestro
