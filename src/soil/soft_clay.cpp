#include <cmath>

#include "soil/clay_models.h"

namespace kestro {

namespace {

constexpr double kThird = double(1.0f / 3.0f);
constexpr double kResidual = double(0.72f);
constexpr double kTiny = 1.0e-6;
constexpr double kSmallDeflection = 1.0e-14;
// Multiple of y50 from which cyclic soft clay holds its residual resistance.
constexpr double kResidualStart = 15.0;

// Fractions of 8*y50 at the 17 deflections.
constexpr std::array<double, kHalfCurvePoints> kFractions = {
    0.0,           double(0.00025f), double(0.0025f), double(0.0075f),
    double(0.02f), double(0.04f),    double(0.06f),   double(0.1f),
    double(0.15f), double(0.225f),   double(0.3f),    double(0.4f),
    0.5,           double(0.65f),    double(0.8f),    1.0,
    double(1.2f)};

struct SoftClayFormats {
  FortranFormat head = FortranFormat::parse(
      "(/9X,'DEPTH BELOW GS',7X,'DIAM',8X,'C',7X,'GAMMA AVG',6X,'E50'/"
      "15X,A2,13X,A2,5X,A,2X,A/"
      "8X,F10.2,6X,F10.3,1X,1PE11.4,1X,1PE11.4,1X,1PE12.4//"
      "37X,'Y,',A2,13X,'P,',A)");
  FortranFormat row = FortranFormat::parse("(21X,2F20.3)");
};

const SoftClayFormats& formats() {
  static const SoftClayFormats kFormats;
  return kFormats;
}

// Depth at which the wedge resistance reaches 9cb (xr of the cyclic curve);
// b when that depth vanishes.
double transition_depth(const PyDepth& at) {
  const double denominator = at.gamma_avg * at.b + 0.5 * at.c;
  const double xr = denominator > 0.0 ? 6.0 * at.c * at.b / denominator : 0.0;
  return xr < kTiny ? at.b : xr;
}

}  // namespace

ClaySide soft_clay_side(const PyDepth& at, bool backfill, const PyLoading& loading, double xe) {
  const double c = at.c;
  const double b = at.b;
  ClaySide side;
  if (!at.continuous) {
    double Np = c > 0.0 ? 3.0 + at.gamma_avg * xe / c + 0.5 * xe / b : 0.0;
    if (!backfill) Np *= slope_factor(at.theta);
    side.pu = Np <= 9.0 ? Np * c * b : 9.0 * c * b;
    side.y50 = 2.5 * at.E50 * b;
  } else {
    side.pu = backfill ? (2.0 * c + at.sigma_v) * b
                       : (2.0 * c + at.gamma_avg * at.x) * b * slope_factor(at.theta);
    side.y50 = 2.5 * at.E50 * at.Lf;
  }
  const double pu = side.pu;
  const double y50 = side.y50;
  const double xr = transition_depth(at);
  auto resistance = [&](double y) {
    if (!loading.cyclic) return y <= 8.0 * y50 ? 0.5 * pu * std::pow(y / y50, kThird) : pu;
    if (y <= 3.0 * y50) return 0.5 * pu * std::pow(y / y50, kThird);
    if (xe >= xr) return kResidual * pu;
    const double deep = kResidual * pu * xe / xr;
    if (y >= kResidualStart * y50) return deep;
    return kResidual * pu +
           (deep - kResidual * pu) * (y - 3.0 * y50) / ((kResidualStart - 3.0) * y50);
  };
  for (std::size_t i = 0; i < side.curve.size(); ++i) {
    HalfCurvePoint& point = side.curve[i];
    point.y = 8.0 * y50 * kFractions[i];
    if (point.y < kSmallDeflection) {
      point.k0 = resistance(kSmallDeflection) / kSmallDeflection;
      point.p = point.k0 * point.y;
      point.below_tolerance = i > 0;
    } else {
      point.p = resistance(point.y);
    }
  }
  // The last point (9.6*y50) lies on the falling branch when xe < xr: the
  // criterion goes on falling to its residual at 15*y50 and holds it there.
  if (loading.cyclic && xe < xr && side.curve.back().y < kResidualStart * y50) {
    side.tail = CurveTail{true, kResidualStart * y50, resistance(kResidualStart * y50)};
  }
  return side;
}

void soft_clay_depth(PyWriters& out, const PyDepth& at, const PyLoading& loading,
                     PyLayerState& state) {
  const SoftClayFormats& f = formats();
  const SoilLabels labels = soil_labels(at.units);
  const CurveUnits units = curve_units(at.units);
  for (const bool backfill : {false, true}) {
    const double xe = equivalent_side_depth(at, state, backfill);
    const ClaySide side = soft_clay_side(at, backfill, loading, xe);
    write_side_title(out.report, backfill);
    out.report.write(f.head, {labels.depth, labels.inner, units.stress, units.unit_weight,
                              printed_depth(at, backfill), at.b, at.c, at.gamma_avg, at.E50,
                              labels.inner, units.line_load});
    write_half_curve(out, at, backfill, f.row, side.curve, side.tail);
  }
  state.depths.push_back(at.x);
  state.c_values.push_back(at.c);
}

double mean_strength(const PyLayerState& state, double x, double c) {
  if (state.depths.empty()) return c;
  double area = 0.0;
  for (std::size_t i = 1; i < state.depths.size(); ++i) {
    area +=
        0.5 * (state.c_values[i - 1] + state.c_values[i]) * (state.depths[i] - state.depths[i - 1]);
  }
  area += 0.5 * (state.c_values.back() + c) * (x - state.depths.back());
  const double length = x - state.depths.front();
  return length > 0.0 ? area / length : c;
}

}  // namespace kestro
