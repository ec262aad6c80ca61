#include <cmath>

#include "soil/rock_models.h"

namespace kestro {

namespace {

constexpr double kModulusPerStrength = 2000.0;
constexpr double kFirstBranch = double(0.0004f);
constexpr double kSecondSlope = 100.0;
constexpr double kSteps = 15.0;
// y2 without strength: y1 + (b - 2000*y1)/100 with y1 = 0.0004 b.
constexpr double kUnitY2 = kFirstBranch + (1.0 - kModulusPerStrength * kFirstBranch) / kSecondSlope;

struct RockFormats {
  FortranFormat excavation_head = FortranFormat::parse(
      "(//17X,'DEPTH-EXCAVATION SIDE',5X,'DIAM',8X,'C',7X/32X,A2,11X,A2,3X,A/"
      "24X,F10.2,5X,F10.3,1PE10.1/38X,'Y',19X,'P'/37X,A2,16X,A)");
  FortranFormat backfill_head = FortranFormat::parse(
      "(//17X,'DEPTH-BACKFILL SIDE  ',5X,'DIAM',8X,'C',7X/32X,A2,11X,A2,3X,A/"
      "24X,F10.2,5X,F10.3,1PE10.1/38X,'Y',19X,'P'/37X,A2,16X,A)");
  FortranFormat row = FortranFormat::parse("(1X,20X,2G20.3)");
};

const RockFormats& formats() {
  static const RockFormats kFormats;
  return kFormats;
}

}  // namespace

RockSide rock_side(const PyDepth& at) {
  RockSide side;
  const double b = at.b;
  side.su = at.c / 2.0;
  side.Es = kModulusPerStrength * side.su;
  side.y1 = kFirstBranch * b;
  const double p1 = side.Es * side.y1;
  side.y2 = side.su > 0.0 ? side.y1 + (b * side.su - p1) / (kSecondSlope * side.su) : kUnitY2 * b;
  const double ultimate = side.su > 0.0 ? b * side.su : 0.0;
  for (std::size_t i = 0; i < side.curve.size(); ++i) {
    const double y = side.y2 * double(i) / kSteps;
    double p = ultimate;
    if (y < side.y1) {
      p = side.Es * y;
    } else if (y < side.y2) {
      p = p1 + kSecondSlope * side.su * (y - side.y1);
    }
    side.curve[i].y = y;
    side.curve[i].p = side.su > 0.0 ? p : 0.0;
  }
  return side;
}

void rock_depth(PyWriters& out, const PyDepth& at, const PyLoading&, PyLayerState&) {
  const RockFormats& f = formats();
  const SoilLabels labels = soil_labels(at.units);
  const CurveUnits units = curve_units(at.units);
  const RockSide side = rock_side(at);
  for (const bool backfill : {false, true}) {
    out.report.write(backfill ? f.backfill_head : f.excavation_head,
                     {labels.depth, labels.inner, units.stress, printed_depth(at, backfill), at.b,
                      side.su, labels.inner, units.line_load});
    write_half_curve(out, at, backfill, f.row, PointLayout::four_digits_joined, false, side.curve);
  }
}

}  // namespace kestro
