#include <algorithm>
#include <cmath>

#include "soil/frictional_models.h"

namespace kestro {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kPrintPi = double(3.1416f);
constexpr double kWallFriction = double(0.17453332f);  // 10 degrees
constexpr double kAtYm = 1.5;
constexpr double kMaxNp = 9.0;

// Case-2 deflections before the break point, in eighths of y2 (3/4 is not
// among them), and case-3 multiples of pu/Es beyond it.
constexpr std::array<double, 7> kCase2Eighths = {1.0, 2.0, 3.0, 4.0, 5.0, 7.0, 8.0};
constexpr std::array<double, 4> kCase3Tail = {double(1.05f), double(1.1f), double(1.15f),
                                              double(1.2f)};

// The values line repeats 1P before Puc and Pu: it writes A and B unscaled.
// A scale factor stays in effect for the F fields after it, so 0P is given
// before them; without it A = 0.762 would print as 7.62.
struct SiltFormats {
  FortranFormat head = FortranFormat::parse(
      "(//5X,'DEPTH',6X,'DIAM',6X,'PHI',2X,'GAMMA AVG',8X,'A',9X,'B',5X,'Puc',7X,'Pu',A/"
      "8X,A2,8X,A2,6X,'DEG',2X,A,21X,A,4X,A/"
      "2F10.2,F10.1,1PE10.3,0P,2F10.2,1P,2E10.3//"
      "37X,'Y',19X,'P'/36X,A2,14X,A)");
  FortranFormat row = FortranFormat::parse("(21X,2E20.3)");
};

const SiltFormats& formats() {
  static const SiltFormats kFormats;
  return kFormats;
}

// The phi sign of the head "Pu" + phi, as the report's code page has it.
constexpr std::string_view kPhiSign = "\xED";

// The cohesive part of the silt resistance at depth xe.
double cohesive_part(const PyDepth& at, bool backfill, double xe) {
  const double c = at.c;
  const double b = at.b;
  if (!(c > 0.0)) return 0.0;
  const double slope = backfill ? 1.0 : slope_factor(at.theta);
  if (at.continuous) {
    const double theta_s = backfill ? 0.0 : at.theta;
    return 2.0 * c * b * std::sqrt(passive_coefficient(at.PHI, kWallFriction, theta_s)) * slope;
  }
  const double Np = (3.0 + at.gamma_avg * xe / c + 0.5 * xe / b) * slope;
  return std::min(Np, kMaxNp) * c * b;
}

}  // namespace

double silt_wall_friction() {
  return kWallFriction;
}

SiltSide silt_side(const PyDepth& at, bool backfill, const PyLoading& loading, double xe) {
  SiltSide side;
  const double d = side_depth(at, backfill);
  const double width = at.continuous ? at.Lf : at.b;
  side.Pu_phi = frictional_resistance(at, backfill, xe, kPi, kWallFriction).ps;
  side.Puc = cohesive_part(at, backfill, xe);
  side.A = sand_A(d / width, loading.cyclic);
  side.B = sand_B(d / width, loading.cyclic);
  const double pu = side.A * side.Pu_phi;
  const double pm = kAtYm * side.Pu_phi + side.Puc;
  const double yu = 3.0 * width / 80.0;
  const double ym = width / 60.0;
  const double Es = at.KPY * xe;
  side.shape = parabolic_shape(pu, pm, yu, ym, Es, xe, 2.0 * width);
  const ParabolicShape& s = side.shape;
  side.case_number = 1;
  if (!s.zero && xe > 0.0 && !(s.yk >= 0.0 && s.yk < ym)) {
    side.y2 = Es != s.m ? (pm - ym * s.m) / (Es - s.m) : 0.0;
    side.y3 = pu / Es;
    if (Es != s.m && side.y2 >= ym && side.y2 < yu) {
      side.case_number = 2;
    } else if (side.y3 >= yu) {
      side.case_number = 3;
    }
  }
  if (side.case_number == 1) {
    side.curve = parabolic_curve(s);
    return side;
  }
  std::array<double, kHalfCurvePoints> y{};
  if (side.case_number == 2) {
    const double y2 = side.y2;
    for (std::size_t j = 0; j < kCase2Eighths.size(); ++j)
      y[j + 1] = y2 * kCase2Eighths[j] / 8.0;
    y[8] = y2;  // the break point twice
    for (int j = 1; j <= 5; ++j)
      y[std::size_t(8 + j)] = y2 + (yu - y2) * j / 6.0;
    y[14] = yu;
    y[15] = double(1.1f) * yu;
    y[16] = double(1.2f) * yu;
  } else {
    const double y3 = side.y3;
    for (int j = 1; j <= 11; ++j)
      y[std::size_t(j)] = y3 * j / 12.0;
    y[12] = y3;
    for (std::size_t j = 0; j < kCase3Tail.size(); ++j)
      y[13 + j] = kCase3Tail[j] * y3;
  }
  for (std::size_t i = 0; i < side.curve.size(); ++i) {
    const double yi = y[i];
    double p = pu;
    if (side.case_number == 2) {
      if (yi <= side.y2) {
        p = Es * yi;
      } else if (yi < yu) {
        p = Es * side.y2 + s.m * (yi - side.y2);
      }
    } else if (yi <= side.y3) {
      p = Es * yi;
    }
    side.curve[i].y = yi;
    side.curve[i].p = std::min(p, Es * yi);
  }
  return side;
}

void silt_depth(PyWriters& out, const PyDepth& at, const PyLoading& loading, PyLayerState& state) {
  const SiltFormats& f = formats();
  const SoilLabels labels = soil_labels(at.units);
  const CurveUnits units = curve_units(at.units);
  const double degrees = at.PHI * 180.0 / kPrintPi;
  for (const bool backfill : {false, true}) {
    const double xe = equivalent_side_depth(at, state, backfill);
    const SiltSide side = silt_side(at, backfill, loading, xe);
    write_side_title(out.report, backfill);
    out.report.write(
        f.head, {kPhiSign, labels.depth, labels.inner, units.unit_weight, units.line_load,
                 units.line_load, printed_depth(at, backfill), at.b, degrees, at.gamma_avg, side.A,
                 side.B, side.Puc, side.Pu_phi, labels.inner, units.line_load});
    write_half_curve(out, at, backfill, f.row, PointLayout::three_digits, true, side.curve);
  }
  state.depths.push_back(at.x);
  state.c_values.push_back(at.c);
}

double silt_continued_resistance(const PyDepth& at, const PyLoading& loading, double z) {
  const PyDepth flat = flat_ground(at);
  const FrictionalResistance r = frictional_resistance(flat, true, z, kPi, kWallFriction);
  return sand_A(z / at.b, loading.cyclic) * std::max(std::min(r.pst, r.psd), 0.0) +
         cohesive_part(flat, true, z);
}

}  // namespace kestro
