#include "common/list_output.h"

#include "common/fortran_format.h"

namespace kestro {

namespace {

// Records are at most this many columns long, unless one item alone is wider.
constexpr std::size_t kRecordLength = 80;

std::string field(const ListItem& item) {
  if (const auto* value = std::get_if<std::int64_t>(&item)) return edit_integer(*value, 12);
  if (const auto* value = std::get_if<double>(&item)) {
    // 1PG24.15E3, except that zero takes the E form instead of G's F form.
    if (*value == 0.0) return edit_exponent(*value, 24, 15, 3, 1);
    return edit_general(*value, 24, 15, 3, 1);
  }
  if (const auto* value = std::get_if<bool>(&item)) return *value ? " T" : " F";
  return std::string(std::get<std::string_view>(item));
}

}  // namespace

std::string list_write(std::span<const ListItem> items) {
  std::string out = " ";
  std::size_t record_start = 0;
  for (const ListItem& item : items) {
    const std::string text = field(item);
    const std::size_t used = out.size() - record_start;
    if (used > 1 && used + text.size() > kRecordLength) {
      out += '\n';
      record_start = out.size();
      out += ' ';
    }
    out += text;
  }
  out += '\n';
  return out;
}

}  // namespace kestro
