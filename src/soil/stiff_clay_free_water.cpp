#include <algorithm>
#include <cmath>

#include "soil/clay_models.h"

namespace kestro {

namespace {

constexpr double kNearTop = 1.0e-5;
constexpr double kSmallDeflection = 1.0e-14;

struct TablePoint {
  double ratio;
  double value;
};
constexpr std::array<TablePoint, 6> kAs = {{{0.0, double(0.223f)},
                                            {1.0, double(0.46f)},
                                            {2.0, double(0.55f)},
                                            {3.0, double(0.59f)},
                                            {4.0, double(0.6f)},
                                            {5.0, double(0.6f)}}};
constexpr std::array<TablePoint, 4> kAc = {
    {{0.0, double(0.2f)}, {1.0, double(0.29f)}, {2.0, double(0.3f)}, {3.0, double(0.3f)}}};

constexpr double kWedge = double(2.83f);
constexpr double kStaticSoftening = double(0.055f);
constexpr double kStaticResidual = double(0.411f);
constexpr double kStaticSlope = double(0.0625f);
constexpr double kResidualAs = double(0.75f);
constexpr double kCyclicPeak = double(0.45f);
constexpr double kCyclicEnd = double(0.6f);
constexpr double kCyclicFactor = double(0.936f);
constexpr double kCyclicSlope = double(0.085f);
constexpr double kCyclicResidual = double(0.102f);
constexpr double kCyclicKeptAs = double(0.418f);
constexpr double kYp = double(4.1f);
constexpr double kCyclicStep = double(0.05f);
constexpr double kCyclicLongStep = double(0.4f);

struct FreeWaterFormats {
  FortranFormat head = FortranFormat::parse(
      "(9X,'DEPTH BELOW GS',6X,'DIAM',8X,'C',9X,'CAVG',4X,'GAMMA AVG',6X,'E50'/"
      "15X,A2,13X,A2,3X,A,2X,A,2X,A/"
      "9X,F10.2,5X,F10.3,3(1X,1PE10.2),1PE12.4)");
  FortranFormat row = FortranFormat::parse("(21X,2F20.3)");
};

const FreeWaterFormats& formats() {
  static const FreeWaterFormats kFormats;
  return kFormats;
}

// Linear in the ratio, held at the last value beyond the table.
template <std::size_t n>
double table_value(const std::array<TablePoint, n>& table, double ratio) {
  if (ratio <= table.front().ratio) return table.front().value;
  for (std::size_t i = 1; i < n; ++i) {
    if (ratio <= table[i].ratio) {
      const TablePoint& a = table[i - 1];
      const TablePoint& b = table[i];
      return a.value + (b.value - a.value) * (ratio - a.ratio) / (b.ratio - a.ratio);
    }
  }
  return table.back().value;
}

// The resistance at y, or below the small-deflection tolerance the secant at
// the tolerance times y.
template <typename Resistance>
double below_tolerance(const Resistance& resistance, double y) {
  if (y < kSmallDeflection) return resistance(kSmallDeflection) / kSmallDeflection * y;
  return resistance(y);
}

}  // namespace

double stiff_clay_As(double depth_over_width) {
  return table_value(kAs, depth_over_width);
}

double stiff_clay_Ac(double depth_over_width) {
  return table_value(kAc, depth_over_width);
}

FreeWaterSide stiff_clay_free_water_side(const PyDepth& at, bool backfill, const PyLoading& loading,
                                         double ca) {
  const double c = at.c;
  const double b = at.b;
  const double d = side_depth(at, backfill);
  FreeWaterSide side;
  if (!at.continuous) {
    double pct = 2.0 * ca * b + at.gamma_avg * b * d + kWedge * ca * d;
    if (!backfill) pct *= slope_factor(at.theta);
    side.pc = std::min(pct, 11.0 * c * b);
    side.y50 = at.E50 * b;
  } else {
    side.pc = backfill ? (2.0 * c + at.sigma_v) * b
                       : (2.0 * c + at.gamma_avg * at.x) * b * slope_factor(at.theta);
    side.y50 = at.E50 * at.Lf;
  }
  side.As = stiff_clay_As(d / b);
  side.Ac = stiff_clay_Ac(d / b);
  const double pc = side.pc;
  const double y50 = side.y50;
  const double As = side.As;
  const double Ac = side.Ac;
  const double Es = at.KPY * d;
  if (!loading.cyclic) {
    side.residual = 0.5 * std::sqrt(6.0 * As) - kStaticResidual - kResidualAs * As;
    const double ya = As * y50;
    const double plateau = 0.5 * pc * std::sqrt(6.0 * As) - kStaticResidual * pc;
    auto resistance = [&](double y) {
      if (y <= ya) return 0.5 * pc * std::sqrt(y / y50);
      if (y <= 6.0 * ya) {
        return pc * (0.5 * std::sqrt(y / y50) - kStaticSoftening * std::pow((y - ya) / ya, 1.25));
      }
      if (y <= 18.0 * ya) return plateau - kStaticSlope * pc * (y - 6.0 * ya) / y50;
      return plateau - kResidualAs * As * pc;
    };
    constexpr std::array<double, 4> kTail = {10.0, 14.0, 18.0, 200.0};
    for (std::size_t i = 0; i < side.curve.size(); ++i) {
      const double y = i < 13 ? 0.5 * double(i) * ya : kTail[i - 13] * ya;
      side.curve[i].y = y;
      side.curve[i].p = std::min(below_tolerance(resistance, y), Es * y);
    }
  } else {
    side.residual = kCyclicFactor * Ac - kCyclicKeptAs * As;
    const double yp = kYp * As * y50;
    auto resistance = [&](double y) {
      if (y <= kCyclicEnd * yp) {
        const double t = std::abs((y - kCyclicPeak * yp) / (kCyclicPeak * yp));
        return Ac * pc * (1.0 - std::pow(t, 2.5));
      }
      if (y <= 1.8 * yp)
        return kCyclicFactor * Ac * pc - kCyclicSlope * pc * (y - kCyclicEnd * yp) / y50;
      return kCyclicFactor * Ac * pc - kCyclicResidual * pc * yp / y50;
    };
    for (std::size_t i = 0; i < side.curve.size(); ++i) {
      double y = 0.0;
      if (i < 13) {
        y = double(i) * kCyclicStep * yp;
      } else if (i < 16) {
        y = 12.0 * kCyclicStep * yp + double(i - 12) * kCyclicLongStep * yp;
      } else {
        y = 20.0 * yp;
      }
      side.curve[i].y = y;
      side.curve[i].p = std::min(below_tolerance(resistance, y), Es * y);
    }
  }
  return side;
}

void stiff_clay_free_water_depth(PyWriters& out, const PyDepth& at, const PyLoading& loading,
                                 PyLayerState& state) {
  const FreeWaterFormats& f = formats();
  double ca = mean_strength(state, at.x, at.c);
  if (at.layer == 0) {
    // The first layer averages its straight-line strength from its top.
    ca = std::abs(at.x - at.XT) <= kNearTop ? at.c : 0.5 * (at.c_layer_top + at.c);
  }
  const SoilLabels labels = soil_labels(at.units);
  const CurveUnits units = curve_units(at.units);
  for (const bool backfill : {false, true}) {
    const FreeWaterSide side = stiff_clay_free_water_side(at, backfill, loading, ca);
    write_side_title(out.report, backfill);
    out.report.write(f.head,
                     {labels.depth, labels.inner, units.stress, units.stress, units.unit_weight,
                      printed_depth(at, backfill), at.b, at.c, ca, at.gamma_avg, at.E50});
    write_half_curve(out, at, backfill, f.row, side.curve);
  }
  state.depths.push_back(at.x);
  state.c_values.push_back(at.c);
}

double free_water_continued_resistance(const PyDepth& at, const PyLoading& loading, double z) {
  PyDepth flat = at;
  flat.x = z;
  flat.theta = 0.0;
  const FreeWaterSide side = stiff_clay_free_water_side(flat, false, loading, at.c);
  return std::max(side.pc * side.residual, 0.0);
}

}  // namespace kestro
