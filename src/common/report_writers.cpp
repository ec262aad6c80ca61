#include "common/report_writers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace kestro {

namespace {

// The formats of the writers that are not a single edit descriptor.  The
// number, integer, blank and label writers append their field to the open
// record directly, which is what their assembled formats "(1P,1Eww.ss,\)",
// "(   1Fww.dd,\)", "(    Iww,\)", "(1H ,\)" and "(Aw,\)" write.
struct WriterFormats {
  FortranFormat end = FortranFormat::parse("(1H )");
};

const WriterFormats& formats() {
  static const WriterFormats kFormats;
  return kFormats;
}

// The bounds of the F range of write_number for s significant digits,
// 10^(1-s) and 10^s held in single precision.
constexpr int kTabledDigits = 24;

struct FixedRange {
  double low = 0.0;
  double high = 0.0;
};

FixedRange fixed_range(int s) {
  static const std::array<FixedRange, kTabledDigits> kRanges = [] {
    std::array<FixedRange, kTabledDigits> ranges{};
    for (int digits = 0; digits < kTabledDigits; ++digits) {
      ranges[static_cast<std::size_t>(digits)] = {static_cast<float>(std::pow(10.0, 1 - digits)),
                                                  static_cast<float>(std::pow(10.0, digits))};
    }
    return ranges;
  }();
  if (s >= 0 && s < kTabledDigits) return kRanges[static_cast<std::size_t>(s)];
  return {static_cast<float>(std::pow(10.0, 1 - s)), static_cast<float>(std::pow(10.0, s))};
}

}  // namespace

void write_number(TextUnit& unit, int w, int s, double x) {
  const double magnitude = std::fabs(x);
  if (x == 0.0 || magnitude < 1.0e-50) {
    unit.continue_record([&](std::string& line) { append_fixed(line, 0.0, w, s); });
    return;
  }
  const FixedRange range = fixed_range(s);
  if (magnitude <= range.low || magnitude >= range.high) {
    unit.continue_record([&](std::string& line) { append_exponent(line, x, w, s, 0, 1); });
    return;
  }
  const double exponent = std::log10(magnitude);
  int k = static_cast<int>(std::trunc(exponent));
  if (k < 0) k -= 1;
  const int d = s - k;
  if (d <= s + 2) {
    unit.continue_record([&](std::string& line) { append_fixed(line, x, w, d); });
  } else {
    unit.continue_record([&](std::string& line) { append_exponent(line, x, w, s, 0, 1); });
  }
}

void write_integer(TextUnit& unit, int w, int n) {
  unit.continue_record([&](std::string& line) { append_integer(line, n, w); });
}

void write_blanks(TextUnit& unit, int n) {
  if (n < 1) return;
  unit.continue_record([&](std::string& line) { line.append(static_cast<std::size_t>(n), ' '); });
}

void write_label(TextUnit& unit, std::string_view text, int width) {
  unit.continue_record([&](std::string& line) {
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t used = std::min(text.size(), w);
    line.append(w - used, ' ');
    line += text.substr(0, used);
  });
}

void line_end(TextUnit& unit) {
  unit.write(formats().end);
}

}  // namespace kestro
