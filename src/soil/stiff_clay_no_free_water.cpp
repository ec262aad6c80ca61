#include <algorithm>
#include <cmath>

#include "soil/clay_models.h"

namespace kestro {

namespace {

constexpr double kCyclicBase = 16.0;
constexpr double kCyclicPerDecade = double(9.6f);
constexpr double kY50PerDecade = double(0.6f);
constexpr double kSmallDeflection = 1.0e-14;

// Fractions of 16*y50 at points 2 to 15.
constexpr std::array<double, 14> kFractions = {double(1.0e-5f),
                                               double(5.0e-5f),
                                               double(1.0e-4f),
                                               double(5.0e-4f),
                                               double(0.001f),
                                               double(0.005f),
                                               double(0.01f),
                                               double(0.025f),
                                               double(0.05f),
                                               double(0.075f),
                                               double(0.1f),
                                               0.25,
                                               0.5,
                                               1.0};

struct NoFreeWaterFormats {
  FortranFormat head = FortranFormat::parse(
      "(10X,'DEPTH BELOW GS',5X,'DIAM',8X,'C',7X,'CAVG',4X,'GAMMA AVG',5X,'E50'/"
      "16X,A2,13X,A2,3X,A,1X,A,1X,A/"
      "10X,F10.2,5X,F10.3,1P,3E10.2,1PE12.4/"
      "38X,'Y',19X,'P'/37X,A2,16X,A)");
  FortranFormat row = FortranFormat::parse("(1X,20X,2F20.5)");
};

const NoFreeWaterFormats& formats() {
  static const NoFreeWaterFormats kFormats;
  return kFormats;
}

}  // namespace

ClaySide stiff_clay_no_free_water_side(const PyDepth& at, bool backfill, const PyLoading& loading,
                                       double ca, double xe) {
  const double c = at.c;
  const double b = at.b;
  ClaySide side;
  if (!at.continuous) {
    double wedge = (3.0 * ca + at.gamma_avg * xe) * b + 0.5 * ca * xe;
    if (!backfill) wedge *= slope_factor(at.theta);
    side.pu = std::min(wedge, 9.0 * c * b);
    side.y50 = 2.5 * at.E50 * b;
  } else {
    side.pu = backfill ? (2.0 * c + at.sigma_v) * b
                       : (2.0 * c + at.gamma_avg * at.x) * b * slope_factor(at.theta);
    side.y50 = 2.5 * at.E50 * at.Lf;
  }
  const double pu = side.pu;
  const double y50 = side.y50;
  // Static loading counts as one cycle.
  const double N = loading.cyclic ? loading.N : 1.0;
  const double C = kCyclicBase + kCyclicPerDecade * std::log10(N);
  const double y16 = 16.0 * y50;
  const double ye = 1.25 * y50 * C;
  const double cyclic_y50 = (1.0 + kY50PerDecade * std::log10(N)) * y50;
  auto resistance = [&](double y) {
    if (!loading.cyclic) return y <= y16 ? 0.5 * pu * std::pow(y / y50, 0.25) : pu;
    return std::min(pu, 0.5 * pu * std::pow(y / cyclic_y50, 0.25));
  };
  side.curve[0] = HalfCurvePoint{};
  for (std::size_t i = 0; i < kFractions.size(); ++i) {
    side.curve[i + 1].y = y16 * kFractions[i];
  }
  side.curve[15].y = 0.5 * (y16 + ye);
  side.curve[16].y = ye;
  // Below the small-deflection tolerance the secant at the tolerance holds.
  for (std::size_t i = 1; i < side.curve.size(); ++i) {
    const double y = side.curve[i].y;
    side.curve[i].p =
        y < kSmallDeflection ? resistance(kSmallDeflection) / kSmallDeflection * y : resistance(y);
  }
  return side;
}

void stiff_clay_no_free_water_depth(PyWriters& out, const PyDepth& at, const PyLoading& loading,
                                    PyLayerState& state) {
  const NoFreeWaterFormats& f = formats();
  const double ca = mean_strength(state, at.x, at.c);
  const SoilLabels labels = soil_labels(at.units);
  const CurveUnits units = curve_units(at.units);
  for (const bool backfill : {false, true}) {
    const double xe = equivalent_side_depth(at, state, backfill);
    const ClaySide side = stiff_clay_no_free_water_side(at, backfill, loading, ca, xe);
    write_side_title(out.report, backfill);
    out.report.write(f.head, {labels.depth, labels.inner, units.stress, units.stress,
                              units.unit_weight, printed_depth(at, backfill), at.b, at.c, ca,
                              at.gamma_avg, at.E50, labels.inner, units.line_load});
    write_half_curve(out, at, backfill, f.row, side.curve);
  }
  state.depths.push_back(at.x);
  state.c_values.push_back(at.c);
}

}  // namespace kestro
