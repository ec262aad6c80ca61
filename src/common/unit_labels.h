// The unit system of a problem and the fixed-width unit labels that every
// echo prints after its values.
#pragma once

#include <string_view>

#include "kestro/results.h"

namespace kestro {

// Labels of the current problem.  Blanks are significant: each label has the
// fixed width given beside it, and a label printed with a smaller A width
// shows its first characters.
struct UnitLabels {
  std::string_view length;          // 3: " IN", "  M", "  L"
  std::string_view force;           // 4: " LBS", "  KN", "   F"
  std::string_view length_short;    // 2: "IN", " M", " L"
  std::string_view force_short;     // 3: "LBS", " KN", "  F"
  std::string_view depth;           // 8: " FT     ", "  M     ", "  L     "
  std::string_view depth_alt;       // 8: "FT      ", " M      ", " L      "
  std::string_view section_length;  // 2: "IN", "MM", " L"
  std::string_view section_force;   // 3: "LBS", " KN", "  F"
  std::string_view slash = "/";
  std::string_view dash = "-";
  std::string_view power = "**";
  std::string_view digit2 = "2";
  std::string_view digit3 = "3";
  std::string_view digit4 = "4";
  std::string_view blank_pair = "  ";
  std::string_view radian = "RAD";
};

// Sets every label: selector > 0 English, < 0 SI, 0 the neutral set.
void set_unit_labels(UnitLabels& labels, int selector);

// Label selector of a unit system: +1 English, -1 SI.
inline int label_selector(UnitSystem units) {
  return units == UnitSystem::si ? -1 : 1;
}

}  // namespace kestro
