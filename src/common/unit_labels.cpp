#include "common/unit_labels.h"

namespace kestro {

namespace {

struct LabelSet {
  const char* length;
  const char* force;
  const char* length_short;
  const char* force_short;
  const char* depth;
  const char* depth_alt;
  const char* section_length;
  const char* section_force;
};

constexpr LabelSet kEnglish{" IN", " LBS", "IN", "LBS", " FT     ", "FT      ", "IN", "LBS"};
constexpr LabelSet kSI{"  M", "  KN", " M", " KN", "  M     ", " M      ", "MM", " KN"};
constexpr LabelSet kNeutral{"  L", "   F", " L", "  F", "  L     ", " L      ", " L", "  F"};

}  // namespace

void set_unit_labels(UnitLabels& labels, int selector) {
  labels.slash = "/";
  labels.dash = "-";
  labels.power = "**";
  labels.digit2 = "2";
  labels.digit3 = "3";
  labels.digit4 = "4";
  labels.blank_pair = "  ";
  labels.radian = "RAD";
  const LabelSet& set = selector < 0 ? kSI : selector > 0 ? kEnglish : kNeutral;
  labels.length = set.length;
  labels.force = set.force;
  labels.length_short = set.length_short;
  labels.force_short = set.force_short;
  labels.depth = set.depth;
  labels.depth_alt = set.depth_alt;
  labels.section_length = set.section_length;
  labels.section_force = set.section_force;
}

}  // namespace kestro
