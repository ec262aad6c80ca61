#include "console_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kestro::host {

namespace {

// value rounded to three significant digits, as text without trailing zeros
// of the fraction ("3.65", "36.5", "365", "3.7").
std::string three_digits(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

// value rounded to three significant digits, as a number.
double rounded(double value) {
  return std::strtod(three_digits(value).c_str(), nullptr);
}

bool continuation_byte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The byte offset after the first `columns` characters of text.
std::size_t offset_of_column(const std::string& text, std::size_t columns) {
  std::size_t at = 0;
  for (std::size_t seen = 0; at < text.size(); ++at) {
    if (continuation_byte(text[at])) continue;
    if (seen++ == columns) break;
  }
  return at;
}

// The last `columns` characters of text.
std::string last_columns(const std::string& text, std::size_t columns) {
  const std::size_t total = text_columns(text);
  return columns >= total ? text : text.substr(offset_of_column(text, total - columns));
}

}  // namespace

std::string duration_text(double seconds) {
  if (!std::isfinite(seconds) || seconds <= 0.0) return "0 s";
  if (rounded(seconds) < 60.0) {
    struct Unit {
      double scale;
      const char* name;
    };
    // Picked on the rounded value, so that 999.7 µs is "1 ms", not "1e+03 µs".
    for (const Unit unit : {Unit{1e9, " ns"}, Unit{1e6, " µs"}, Unit{1e3, " ms"}}) {
      const double value = rounded(seconds * unit.scale);
      if (value < 1000.0) return three_digits(value) + unit.name;
    }
    return three_digits(seconds) + " s";
  }
  char text[48];
  const long long whole = std::llround(seconds);
  if (whole < 3600) {
    std::snprintf(text, sizeof text, "%lld min %02lld s", whole / 60, whole % 60);
  } else {
    const long long minutes = std::llround(seconds / 60.0);
    std::snprintf(text, sizeof text, "%lld h %02lld min", minutes / 60, minutes % 60);
  }
  return text;
}

std::size_t text_columns(const std::string& text) {
  std::size_t columns = 0;
  for (const char c : text)
    columns += continuation_byte(c) ? 0 : 1;
  return columns;
}

std::string shortened_path(const std::string& path, std::size_t width) {
  width = std::max<std::size_t>(width, 8);
  if (text_columns(path) <= width) return path;
  const std::string marker = "...";
  // The longest tail of whole components that fits after ".../".
  for (std::size_t slash = path.find('/'); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string tail = path.substr(slash + 1);
    if (tail.empty()) break;
    if (marker.size() + 1 + text_columns(tail) <= width) return marker + "/" + tail;
  }
  const std::size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (text_columns(name) <= width) return name;
  const std::size_t keep = width - marker.size();
  const std::size_t tail = keep / 2;
  return name.substr(0, offset_of_column(name, keep - tail)) + marker + last_columns(name, tail);
}

}  // namespace kestro::host
