// Small text helpers of fixed-width records.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestro {

// The text without its trailing blanks, as a Fortran name field is used.
inline std::string trim_right(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return std::string(text.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

// The text cut or padded with blanks to exactly `width` characters, as a
// character field of that width holds it.
inline std::string fit(std::string_view text, std::size_t width) {
  std::string field(text.substr(0, width));
  field.resize(width, ' ');
  return field;
}

}  // namespace kestro
