#include "common/report_writers.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace kestro {

namespace {

// The record-keeping formats of the writers.  The number and integer writers
// apply their single descriptor directly, which writes exactly what their
// assembled formats "(1P,1Eww.ss,\)", "(   1Fww.dd,\)" and "(    Iww,\)" write.
struct WriterFormats {
  FortranFormat blank = FortranFormat::parse("(1H ,\\)");
  FortranFormat text = FortranFormat::parse("(A,\\)");
  FortranFormat end = FortranFormat::parse("(1H )");
};

const WriterFormats& formats() {
  static const WriterFormats kFormats;
  return kFormats;
}

// Text already edited to its field, appended to the open record.
void append(TextUnit& unit, const std::string& field) {
  unit.write(formats().text, {std::string_view(field)});
}

}  // namespace

void write_number(TextUnit& unit, int w, int s, double x) {
  const double magnitude = std::fabs(x);
  if (x == 0.0 || magnitude < 1.0e-50) {
    append(unit, edit_fixed(0.0, w, s));
    return;
  }
  const double t1 = static_cast<float>(std::pow(10.0, 1 - s));
  const double t2 = static_cast<float>(std::pow(10.0, s));
  if (magnitude <= t1 || magnitude >= t2) {
    append(unit, edit_exponent(x, w, s, 0, 1));
    return;
  }
  const double exponent = std::log10(magnitude);
  int k = static_cast<int>(std::trunc(exponent));
  if (k < 0) k -= 1;
  const int d = s - k;
  if (d <= s + 2) {
    append(unit, edit_fixed(x, w, d));
  } else {
    append(unit, edit_exponent(x, w, s, 0, 1));
  }
}

void write_integer(TextUnit& unit, int w, int n) {
  append(unit, edit_integer(n, w));
}

void write_blanks(TextUnit& unit, int n) {
  for (int i = 0; i < n; ++i)
    unit.write(formats().blank);
}

void write_label(TextUnit& unit, std::string_view text, int width) {
  std::string field(static_cast<std::size_t>(width), ' ');
  const std::size_t used = std::min(text.size(), field.size());
  field.replace(field.size() - used, used, text.substr(0, used));
  append(unit, field);
}

void line_end(TextUnit& unit) {
  unit.write(formats().end);
}

}  // namespace kestro
