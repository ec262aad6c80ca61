#include <algorithm>
#include <cmath>
#include <sstream>

#include "common/run_stop.h"
#include "soil/rock_models.h"

namespace kestro {

namespace {

constexpr double kRqdScale = 150.0;
constexpr double kBelowTop = 1.0e-8;
constexpr double kShallowBase = 100.0;
constexpr double kShallowRise = 400.0;
constexpr double kDeepModulus = 500.0;
constexpr double kShallowGrowth = double(1.4f);
constexpr double kDeepFactor = double(5.2f);
constexpr double kYaExponent = 1.3333333333333333;
constexpr double kNoStrength = 1.0e-10;
// Multiple of yrm at which 0.5*pur*(y/yrm)^0.25 reaches pur.
constexpr double kFullStrength = 16.0;

// The 17 deflections as multiples of yrm.
constexpr std::array<double, kHalfCurvePoints> kMultiples = {double(0.0005f),
                                                             double(0.001f),
                                                             double(0.003f),
                                                             double(0.006f),
                                                             double(0.009f),
                                                             double(0.02f),
                                                             double(0.04f),
                                                             double(0.06f),
                                                             double(0.08f),
                                                             double(0.1f),
                                                             0.25,
                                                             0.5,
                                                             0.75,
                                                             1.0,
                                                             4.0,
                                                             8.0,
                                                             12.0};

struct WeakRockFormats {
  FortranFormat head = FortranFormat::parse(
      "(//14X,'DEPTH',5X,'DIAM',7X,'Qu',7X,' Eu ',3X,'GAMMA AVG',6X,'E50'/"
      "18X,A2,8X,A2,1X,A,1X,A,1X,A/"
      "10X,F10.2,F10.3,1P,3E10.2,1PE12.3/37X,'Y',19X,'P'/36X,A2,14X,A)");
  FortranFormat row = FortranFormat::parse("(21X,2E20.3)");
  FortranFormat no_strength = FortranFormat::parse(
      "(7X,'--------------------WARNING----------------------'/"
      "7X,'THE COHESIVE STRENGTH IS 0 FOR ROCK ACCORING TO THE INPUT'/"
      "7X,'DATA. PLEASE ENTER THE CORRECT VALUE AND RUN IT AGAIN.')");
};

const WeakRockFormats& formats() {
  static const WeakRockFormats kFormats;
  return kFormats;
}

}  // namespace

WeakRockSide weak_rock_side(const PyDepth& at) {
  WeakRockSide side;
  const double b = at.b;
  const double qur = at.c;
  const double Eir = at.KPY;
  side.alpha_r = 1.0 - at.P6 / kRqdScale;
  side.xr = at.x - at.rock_top + kBelowTop;
  if (side.xr <= 3.0 * b) {
    side.Kir = (kShallowBase + kShallowRise * side.xr / (3.0 * b)) * Eir;
    side.pur = side.alpha_r * qur * (b + kShallowGrowth * side.xr);
  } else {
    side.Kir = kDeepModulus * Eir;
    side.pur = kDeepFactor * side.alpha_r * qur * b;
  }
  side.yrm = at.E50 * b;
  const double pur = std::max(side.pur, 0.0);
  // Without strength or stiffness the curve is zero throughout.
  const bool zero = !(pur > 0.0) || !(side.Kir > 0.0);
  side.ya = zero ? 0.0 : std::pow(0.5 * pur / (std::pow(side.yrm, 0.25) * side.Kir), kYaExponent);
  for (std::size_t i = 0; i < side.curve.size(); ++i) {
    const double y = kMultiples[i] * side.yrm;
    double p = 0.0;
    if (!zero) {
      p = y < side.ya ? side.Kir * y : std::min(pur, 0.5 * pur * std::pow(y / side.yrm, 0.25));
    }
    side.curve[i].y = y;
    side.curve[i].p = p;
  }
  // The criterion reaches pur at 16*yrm (or, on a long initial line, at ya)
  // and holds it; the 17 points stop at 12*yrm.
  if (!zero && side.curve.back().p < pur) {
    side.tail = CurveTail{true, std::max(kFullStrength * side.yrm, side.ya), pur};
  }
  return side;
}

void weak_rock_depth(PyWriters& out, const PyDepth& at, const PyLoading&, PyLayerState&) {
  const WeakRockFormats& f = formats();
  if (at.number > 1 && at.c < kNoStrength) {
    TextUnit console;
    console.attach(out.console);
    console.write(f.no_strength);
    console.close();
    std::ostringstream depth;
    depth << at.x + at.H;
    stop_quietly(place_of(out.input, at.line),
                 "the strength Qu of the weak rock is 0 at depth " + depth.str() +
                     " below the top of the wall: no p-y curve can be generated");
  }
  const SoilLabels labels = soil_labels(at.units);
  const CurveUnits units = curve_units(at.units);
  const WeakRockSide side = weak_rock_side(at);
  for (const bool backfill : {false, true}) {
    write_side_title(out.report, backfill);
    out.report.write(f.head, {labels.depth, labels.inner, units.stress, units.stress,
                              units.unit_weight, printed_depth(at, backfill), at.b, at.c, at.KPY,
                              at.gamma_avg, at.E50, labels.inner, units.line_load});
    write_half_curve(out, at, backfill, f.row, PointLayout::three_digits, false, side.curve,
                     side.tail);
  }
}

}  // namespace kestro
