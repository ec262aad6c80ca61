#include "soil/py_curve_file.h"

#include <cmath>
#include <cstdint>

#include "common/fortran_format.h"
#include "common/list_output.h"
#include "common/transient_file.h"

namespace kestro {

namespace {

struct FileFormats {
  FortranFormat four_digits = FortranFormat::parse("(I5,1X,1PE10.3,1X,1PE10.3)");
  FortranFormat four_digits_joined = FortranFormat::parse("(I5,1X,1P,2E10.3)");
  FortranFormat three_digits = FortranFormat::parse("(I5,2(2X,E10.3))");
};

const FileFormats& formats() {
  static const FileFormats kFormats;
  return kFormats;
}

const FortranFormat& point_format(PointLayout layout) {
  const FileFormats& f = formats();
  switch (layout) {
    case PointLayout::four_digits:
      return f.four_digits;
    case PointLayout::four_digits_joined:
      return f.four_digits_joined;
    case PointLayout::three_digits:
      return f.three_digits;
  }
  return f.four_digits;
}

std::int64_t point_count(const PyFileCurve& curve) {
  return static_cast<std::int64_t>(curve.p.size());
}

void append_head(const PyFileCurve& curve, std::string& text) {
  const ListItem head[] = {curve.user ? ListItem{std::int64_t{curve.STA}} : ListItem{curve.depth},
                           point_count(curve)};
  list_append(head, text);
}

void append_point(const PyFileCurve& curve, std::size_t j, std::string& text) {
  constexpr auto kHalf = static_cast<std::size_t>(kHalfCurvePoints);
  const std::size_t number = curve.user || j < kHalf ? j + 1 : j + 1 - kHalf;
  const FormatItem point[] = {static_cast<std::int64_t>(number), curve.p[j], curve.y[j]};
  format_append(point_format(curve.layout), point, text);
}

}  // namespace

int point_digits(PointLayout layout) {
  switch (layout) {
    case PointLayout::four_digits:
    case PointLayout::four_digits_joined:
      return 4;
    case PointLayout::three_digits:
      return 3;
  }
  return 4;
}

std::string py_curve_file_text(const PyCurveFile& file) {
  std::string text;
  const ListItem count[] = {static_cast<std::int64_t>(file.curves.size())};
  list_append(count, text);
  for (const PyFileCurve& curve : file.curves) {
    append_head(curve, text);
    for (std::size_t j = 0; j < curve.p.size(); ++j)
      append_point(curve, j, text);
  }
  return text;
}

std::size_t head_line(const PyCurveFile& file, std::size_t k) {
  std::size_t line = 2;  // after the count
  for (std::size_t i = 0; i < k && i < file.curves.size(); ++i)
    line += 1 + file.curves[i].p.size();
  return line;
}

PyFileCurve read_back_curve(const PyFileCurve& curve, const std::string& label, std::size_t head) {
  PyFileCurve kept = curve;
  if (!curve.user) {
    kept.depth = round_list_directed(curve.depth);
    if (!std::isfinite(kept.depth)) {
      std::string record;
      append_head(curve, record);
      reject_record(label, head, record, "ri");
    }
  }
  const int digits = point_digits(curve.layout);
  const bool joined = curve.layout == PointLayout::four_digits_joined;
  for (std::size_t j = 0; j < curve.p.size(); ++j) {
    kept.p[j] = round_to_significant(curve.p[j], digits);
    kept.y[j] = round_to_significant(curve.y[j], digits);
    if (!std::isfinite(kept.p[j]) || !std::isfinite(kept.y[j]) || (joined && kept.y[j] < 0.0)) {
      std::string record;
      append_point(curve, j, record);
      reject_record(label, head + 1 + j, record, "irr");
    }
  }
  return kept;
}

}  // namespace kestro
