#include "soil/py_depth.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/list_output.h"

namespace kestro {

namespace {

constexpr double kMaxNp = 9.0;
// The equivalent depth: panels of the column's sum, the deepest column tried
// (in widths), and the steps and relative tolerance of its root.
constexpr int kColumnPanels = 64;
constexpr double kDeepestColumn = 1000.0;
constexpr int kRootSteps = 100;
constexpr double kRootTolerance = 1.0e-10;

struct CurveFormats {
  FortranFormat excavation_side = FortranFormat::parse("(//9X,'AT THE EXCAVATION SIDE')");
  FortranFormat backfill_side = FortranFormat::parse("(//9X,'AT THE BACKFILL SIDE')");
  FortranFormat small_deflection = FortranFormat::parse(
      "(/29X,'**** WARNING ****'/5X,'DEFLECTION IS LESS THAN 1.0E-14.  THE PROGRAM'/"
      "5X,'USED A SOIL MODULUS OF ',G12.4)");
  FortranFormat multipliers =
      FortranFormat::parse("(/21X,' P-Multiplier = ',1PE10.3,' Y-Multiplier = ',1PE10.3)");
};

const CurveFormats& formats() {
  static const CurveFormats kFormats;
  return kFormats;
}

}  // namespace

void write_side_title(TextUnit& report, bool backfill) {
  report.write(backfill ? formats().backfill_side : formats().excavation_side);
}

void write_half_curve(PyWriters& out, const PyDepth& at, bool backfill,
                      const FortranFormat& row_format, const HalfCurve& curve,
                      const CurveTail& tail) {
  write_half_curve(out, at, backfill, row_format, PointLayout::four_digits, true, curve, tail);
}

void write_half_curve(PyWriters& out, const PyDepth& at, bool backfill,
                      const FortranFormat& row_format, PointLayout file_layout,
                      bool multiplier_line, const HalfCurve& curve, const CurveTail& tail) {
  const CurveFormats& f = formats();
  std::array<double, kHalfCurvePoints> y{};
  std::array<double, kHalfCurvePoints> p{};
  bool warned = false;
  for (std::size_t i = 0; i < curve.size(); ++i) {
    y[i] = at.ym * curve[i].y;
    p[i] = at.pm * curve[i].p;
    out.report.write(row_format, {y[i], p[i]});
    if (!curve[i].below_tolerance) continue;
    out.report.write(f.small_deflection, {curve[i].k0});
    if (!warned) {
      out.warnings.push_back(warning_at(
          WarningKind::small_deflection_modulus,
          "a point of the p-y curve at depth " + std::to_string(printed_depth(at, backfill)) +
              " lies below a deflection of 1e-14 and takes the secant "
              "modulus there",
          at.line != 0 ? place_of(out.input, at.line) : InputPlace{out.input.label(), 0, 0}));
      warned = true;
    }
  }
  if (multiplier_line) out.report.write(f.multipliers, {at.pm, at.ym});
  std::vector<PyFileCurve>& file = out.curve_file.curves;
  if (!backfill || file.empty()) {
    PyFileCurve& started = file.emplace_back();
    started.depth = at.x + at.H;
    started.layout = file_layout;
    started.p.reserve(2 * kHalfCurvePoints);
    started.y.reserve(2 * kHalfCurvePoints);
  }
  PyFileCurve& file_curve = file.back();
  file_curve.p.insert(file_curve.p.end(), p.begin(), p.end());
  file_curve.y.insert(file_curve.y.end(), y.begin(), y.end());
  if (!backfill) out.tails.emplace_back();
  if (tail.present && !out.tails.empty()) {
    CurveTail& kept = backfill ? out.tails.back().backfill : out.tails.back().excavation;
    kept = CurveTail{true, at.ym * tail.y, at.pm * tail.p};
  }
}

double printed_depth(const PyDepth& at, bool backfill) {
  return side_depth(at, backfill) / depth_print_divisor(at.units);
}

double side_depth(const PyDepth& at, bool backfill) {
  return backfill ? at.x + at.H : at.x;
}

double equivalent_side_depth(const PyDepth& at, const PyLayerState& state, bool backfill) {
  const double d = side_depth(at, backfill);
  return at.layer == 0 ? d : d - at.XT + state.XEQ;
}

CurveUnits curve_units(UnitSystem units) {
  const SoilLabels labels = soil_labels(units);
  const std::string unit = std::string(labels.force) + "/" + std::string(labels.inner);
  return CurveUnits{unit + "**2", unit + "**3", unit};
}

double clay_continued_resistance(const PyDepth& at, const PyLoading&, double z) {
  const double c = at.c;
  const double b = at.b;
  if (!(c > 0.0)) return 0.0;
  const double Np = 3.0 + at.gamma_avg * z / c + 0.5 * z / b;
  return std::min(Np, kMaxNp) * c * b;
}

double integrate(const std::function<double(double)>& f, double a, double b, int panels) {
  if (!(b > a) || panels < 1) return 0.0;
  // Gauss points of [-1, 1] at -+1/sqrt(3), weights 1.
  const double offset = 0.5 / std::sqrt(3.0);
  const double width = (b - a) / panels;
  double sum = 0.0;
  for (int k = 0; k < panels; ++k) {
    const double middle = a + (k + 0.5) * width;
    sum += f(middle - offset * width) + f(middle + offset * width);
  }
  return 0.5 * width * sum;
}

double equivalent_depth(double R,
                        const std::function<double(double depth, double above_top)>& resistance,
                        double guess, double width) {
  if (!(R > 0.0) || !(width > 0.0)) return 0.0;
  // What a column of height z hands on, less R.
  const auto excess = [&](double z) {
    return integrate([&](double d) { return resistance(d, z - d); }, 0.0, z, kColumnPanels) - R;
  };
  double low = 0.0;
  double f_low = -R;
  double high = guess > 0.0 ? guess : width;
  double f_high = excess(high);
  while (f_high < 0.0) {
    low = high;
    f_low = f_high;
    high *= 2.0;
    if (high > kDeepestColumn * width) return 0.0;
    f_high = excess(high);
  }
  // Regula falsi with the Illinois halving, which keeps both ends moving.
  int side = 0;
  for (int k = 0; k < kRootSteps && high - low > kRootTolerance * high; ++k) {
    const double z = (low * f_high - high * f_low) / (f_high - f_low);
    const double f = excess(z);
    if (f == 0.0) return z;
    if (f < 0.0) {
      low = z;
      f_low = f;
      if (side == -1) f_high *= 0.5;
      side = -1;
    } else {
      high = z;
      f_high = f;
      if (side == 1) f_low *= 0.5;
      side = 1;
    }
  }
  return 0.5 * (low + high);
}

double slope_factor(double theta) {
  return theta > 0.0 ? 1.0 / (1.0 + std::tan(theta)) : 1.0;
}

}  // namespace kestro
