#include <algorithm>
#include <cmath>
#include <limits>

#include "soil/frictional_models.h"

namespace kestro {

namespace {

constexpr double kPi = double(3.1416f);
constexpr double kK0 = double(0.4f);
constexpr double kLastStep = double(1.2f);
constexpr double kFlatSlope = 1.0e-15;
constexpr int kTableSize = 10;

constexpr std::array<double, kTableSize> kRatios = {0.0, 0.5, 1.0, 1.5, 2.0,
                                                    2.5, 3.0, 4.0, 5.0, 6.0};
constexpr std::array<double, kTableSize> kStaticA = {
    double(2.83f), double(2.48f), double(2.11f), double(1.76f), double(1.48f),
    double(1.23f), double(1.06f), double(0.9f),  double(0.88f), double(0.88f)};
constexpr std::array<double, kTableSize> kStaticB = {
    double(2.14f), double(1.83f), double(1.54f), double(1.27f), double(1.05f),
    double(0.86f), double(0.71f), double(0.53f), 0.5,           0.5};
constexpr std::array<double, kTableSize> kCyclicA = {
    double(0.75f), double(0.93f), double(1.07f), double(1.11f), double(1.03f),
    double(0.98f), double(0.94f), double(0.9f),  double(0.88f), double(0.88f)};
constexpr std::array<double, kTableSize> kCyclicB = {
    double(0.53f), double(0.72f), double(0.83f), double(0.86f), double(0.82f),
    double(0.77f), double(0.7f),  double(0.55f), double(0.55f), double(0.55f)};

struct SandFormats {
  FortranFormat spaced_head = FortranFormat::parse(
      "(//11X,'DEPTH BELOW GS',2X,'DIAM',3X,'PHI',2X,'GAMMA AVG',4X,'A',5X,'B',5X,'PCT',7X,"
      "'PCD'/17X,A2,9X,A2,4X,'DEG',2X,A,15X,A,2X,A/"
      "10X,F10.2,4X,2F7.2,1PE9.2,2X,0PF5.2,1X,F5.2,1P,2E9.2//"
      "38X,'Y',19X,'P'/37X,A2,16X,A)");
  FortranFormat continuous_head = FortranFormat::parse(
      "(//11X,'DEPTH BELOW GS',2X,'DIAM',3X,'PHI',2X,'GAMMA AVG',4X,'A',5X,'B',5X,'PC '/"
      "17X,A2,9X,A2,4X,'DEG',2X,A,15X,A/"
      "10X,F10.2,4X,2F7.2,1PE9.2,2X,0PF5.2,1X,F5.2,1P,E9.2//"
      "38X,'Y',19X,'P'/37X,A2,16X,A)");
  FortranFormat row = FortranFormat::parse("(21X,2F20.3)");
};

const SandFormats& formats() {
  static const SandFormats kFormats;
  return kFormats;
}

double table_value(const std::array<double, kTableSize>& values, double ratio) {
  if (!(ratio > kRatios.front())) return values.front();
  for (std::size_t i = 1; i < kRatios.size(); ++i) {
    if (ratio <= kRatios[i]) {
      const double t = (ratio - kRatios[i - 1]) / (kRatios[i] - kRatios[i - 1]);
      return values[i - 1] + (values[i] - values[i - 1]) * t;
    }
  }
  return values.back();
}

// The meeting point of the initial line Es*y with the parabola C*y^(1/n).
double knee(double C, double Es, double n) {
  if (!std::isfinite(n)) return C / Es;  // a flat segment: the parabola is pm throughout
  if (n == 1.0) return C > Es ? std::numeric_limits<double>::infinity() : 0.0;
  return std::pow(C / Es, n / (n - 1.0));
}

}  // namespace

double sand_A(double depth_over_width, bool cyclic) {
  return table_value(cyclic ? kCyclicA : kStaticA, depth_over_width);
}

double sand_B(double depth_over_width, bool cyclic) {
  return table_value(cyclic ? kCyclicB : kStaticB, depth_over_width);
}

double passive_coefficient(double PHI, double delta, double theta_s) {
  const double cos_delta = std::cos(delta);
  const double term = std::max(
      0.0, std::sin(PHI + delta) * std::sin(PHI - theta_s) / (cos_delta * std::cos(theta_s)));
  const double root = 1.0 - std::sqrt(term);
  const double cos_phi = std::cos(PHI);
  return cos_phi * cos_phi / (cos_delta * root * root);
}

FrictionalResistance frictional_resistance(const PyDepth& at, bool backfill, double xe, double pi,
                                           double delta) {
  FrictionalResistance r;
  const double phi = at.PHI;
  const double b = at.b;
  const double gamma = at.gamma_avg;
  const double alpha = phi / 2.0;
  const double beta = pi / 4.0 + phi / 2.0;
  const double Ka = std::pow(std::tan(pi / 4.0 - phi / 2.0), 2);
  const double tb = std::tan(beta);
  const double tbp = std::tan(beta - phi);
  const double tp = std::tan(phi);
  const double ta = std::tan(alpha);
  const double sb = std::sin(beta);
  const double ca = std::cos(alpha);
  const double theta = backfill ? 0.0 : at.theta;
  if (std::abs(theta) > kFlatSlope) {
    const double F1 = 1.0 / (1.0 + std::tan(theta) * tb);
    const double D = std::tan(theta) * tb * F1;
    const double G = 4.0 * D * D * D - 3.0 * D * D + 1.0;
    r.pst = gamma * xe *
            ((tb / tbp) * (b + xe * tb * ta * F1) * F1 - Ka * b +
             G * kK0 * xe * tp * sb / (tbp * ca) + G * kK0 * xe * tb * (tp * sb - ta));
  } else {
    r.pst = gamma * xe *
            (kK0 * xe * tp * sb / (tbp * ca) + (tb / tbp) * (b + xe * tb * ta) +
             kK0 * xe * tb * (tp * sb - ta) - Ka * b);
  }
  r.psd =
      Ka * b * gamma * xe * (std::pow(tb, 8) - 1.0) + kK0 * b * gamma * xe * tp * std::pow(tb, 4);
  if (!at.continuous) {
    r.ps = std::min(r.pst, r.psd);
  } else if (backfill) {
    r.ps = passive_coefficient(phi, delta, 0.0) * at.sigma_v * b;
  } else {
    r.ps = passive_coefficient(phi, delta, at.theta) * gamma * at.x * b;
  }
  r.ps = std::max(r.ps, 0.0);
  return r;
}

ParabolicShape parabolic_shape(double pu, double pm, double yu, double ym, double Es, double xe,
                               double yk_no_depth) {
  ParabolicShape s;
  s.pu = pu;
  s.pm = pm;
  s.yu = yu;
  s.ym = ym;
  s.Es = Es;
  s.zero = !(pm > 0.0) || !(Es > 0.0);
  if (s.zero) return s;
  s.m = (pu - pm) / (yu - ym);
  if (xe > 0.0) {
    s.n = pm / (std::abs(s.m) * ym);
    s.C = std::isfinite(s.n) ? pm / std::pow(ym, 1.0 / s.n) : pm;
    s.yk = knee(s.C, Es, s.n);
  } else {
    s.yk = yk_no_depth;
  }
  return s;
}

double parabolic_p(const ParabolicShape& s, double y) {
  if (s.zero) return 0.0;
  double p = 0.0;
  if (y >= s.ym) {
    p = y < s.yu ? s.pm + s.m * (y - s.ym) : s.pu;
  } else if (y <= s.yk) {
    p = s.Es * y;
  } else {
    p = s.C * std::pow(y, 1.0 / s.n);
  }
  return std::min(p, s.Es * y);
}

HalfCurve parabolic_curve(const ParabolicShape& s) {
  double yk = s.yk;
  double ym = s.ym;
  double yu = s.yu;
  if (!s.zero && yu < yk) {
    // The initial line meets the curve beyond yu: the scale reaches pu/Es.
    ym = ym * (s.pu / s.Es) / yu;
    yu = s.pu / s.Es;
    yk = ym / 10.0;
  }
  const double d0 = yk > 0.0 && yk <= ym / 5.0 ? yk : ym / 10.0;
  std::array<double, kHalfCurvePoints> y{};
  y[1] = d0 / 2.0;
  y[2] = d0;
  for (int j = 1; j <= 9; ++j)
    y[std::size_t(2 + j)] = d0 + (ym - d0) * j / 10.0;
  y[12] = ym;
  y[13] = (yu + 2.0 * ym) / 3.0;
  y[14] = (2.0 * yu + ym) / 3.0;
  y[15] = yu;
  y[16] = kLastStep * yu;
  HalfCurve curve{};
  for (std::size_t i = 0; i < curve.size(); ++i) {
    curve[i].y = y[i];
    curve[i].p = parabolic_p(s, y[i]);
  }
  return curve;
}

SandSide sand_side(const PyDepth& at, bool backfill, const PyLoading& loading, double xe) {
  SandSide side;
  const double d = side_depth(at, backfill);
  const double width = at.continuous ? at.Lf : at.b;
  side.resistance = frictional_resistance(at, backfill, xe, kPi, at.PHI / 2.0);
  side.A = sand_A(d / width, loading.cyclic);
  side.B = sand_B(d / width, loading.cyclic);
  const double ps = side.resistance.ps;
  side.shape = parabolic_shape(side.A * ps, side.B * ps, 3.0 * width / 80.0, width / 60.0,
                               at.KPY * xe, xe, 2.0 * width);
  side.curve = parabolic_curve(side.shape);
  return side;
}

void sand_depth(PyWriters& out, const PyDepth& at, const PyLoading& loading, PyLayerState& state) {
  const SandFormats& f = formats();
  const SoilLabels labels = soil_labels(at.units);
  const CurveUnits units = curve_units(at.units);
  const double degrees = at.PHI * 180.0 / kPi;
  for (const bool backfill : {false, true}) {
    const double xe = equivalent_side_depth(at, state, backfill);
    const SandSide side = sand_side(at, backfill, loading, xe);
    write_side_title(out.report, backfill);
    const double depth = printed_depth(at, backfill);
    if (at.continuous) {
      out.report.write(
          f.continuous_head,
          {labels.depth, labels.inner, units.unit_weight, units.line_load, depth, at.b, degrees,
           at.gamma_avg, side.A, side.B, side.resistance.ps, labels.inner, units.line_load});
    } else {
      out.report.write(f.spaced_head,
                       {labels.depth, labels.inner, units.unit_weight, units.line_load,
                        units.line_load, depth, at.b, degrees, at.gamma_avg, side.A, side.B,
                        side.resistance.pst, side.resistance.psd, labels.inner, units.line_load});
    }
    write_half_curve(out, at, backfill, f.row, PointLayout::four_digits, true, side.curve);
  }
  state.depths.push_back(at.x);
  state.c_values.push_back(at.c);
}

double sand_continued_resistance(const PyDepth& at, const PyLoading& loading, double z) {
  const FrictionalResistance r = frictional_resistance(flat_ground(at), true, z, kPi, 0.0);
  return sand_A(z / at.b, loading.cyclic) * std::max(std::min(r.pst, r.psd), 0.0);
}

PyDepth flat_ground(const PyDepth& at) {
  PyDepth flat = at;
  flat.theta = 0.0;
  flat.continuous = false;
  return flat;
}

}  // namespace kestro
