#include "soil/py_depth.h"

#include <cmath>
#include <string>

#include "common/list_output.h"

namespace kestro {

namespace {

constexpr double kResidual = double(0.72f);

struct CurveFormats {
  FortranFormat excavation_side = FortranFormat::parse("(//9X,'AT THE EXCAVATION SIDE')");
  FortranFormat backfill_side = FortranFormat::parse("(//9X,'AT THE BACKFILL SIDE')");
  FortranFormat small_deflection = FortranFormat::parse(
      "(/29X,'**** WARNING ****'/5X,'DEFLECTION IS LESS THAN 1.0E-14.  THE PROGRAM'/"
      "5X,'USED A SOIL MODULUS OF ',G12.4)");
  FortranFormat multipliers =
      FortranFormat::parse("(/21X,' P-Multiplier = ',1PE10.3,' Y-Multiplier = ',1PE10.3)");
  FortranFormat file_point = FortranFormat::parse("(I5,1X,1PE10.3,1X,1PE10.3)");
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
                      const FortranFormat& row_format, const HalfCurve& curve) {
  write_half_curve(out, at, backfill, row_format, formats().file_point, true, curve);
}

void write_half_curve(PyWriters& out, const PyDepth& at, bool backfill,
                      const FortranFormat& row_format, const FortranFormat& file_format,
                      bool multiplier_line, const HalfCurve& curve) {
  const CurveFormats& f = formats();
  std::array<double, kHalfCurvePoints> y{};
  std::array<double, kHalfCurvePoints> p{};
  for (std::size_t i = 0; i < curve.size(); ++i) {
    y[i] = at.ym * curve[i].y;
    p[i] = at.pm * curve[i].p;
    out.report.write(row_format, {y[i], p[i]});
    if (curve[i].below_tolerance) out.report.write(f.small_deflection, {curve[i].k0});
  }
  if (multiplier_line) out.report.write(f.multipliers, {at.pm, at.ym});
  if (!backfill) out.curve_file.write_list({at.x + at.H, std::int64_t{2 * kHalfCurvePoints}});
  for (std::size_t i = 0; i < curve.size(); ++i) {
    out.curve_file.write(file_format, {std::int64_t(i + 1), p[i], y[i]});
  }
}

void write_curve_file_point(TextUnit& curve_file, int number, double p, double y) {
  curve_file.write(formats().file_point, {std::int64_t{number}, p, y});
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

double equivalent_depth(double R, double c, double gamma_avg, double b, bool cyclic_soft_clay) {
  if (!(c > 0.0)) return 0.0;
  // Soft-clay resistance of a homogeneous profile: pu = (3c + gamma*z)b + 0.5cz
  // up to z9, where it reaches 9cb; its integral to z is k*z + a*z^2.
  const double a = gamma_avg * b / 2.0 + c / 4.0;
  const double k = 3.0 * c * b;
  const double z9 = 6.0 * c * b / (gamma_avg * b + 0.5 * c);
  double R9 = (a * z9 + k) * z9;
  double rate = 9.0 * c * b;
  if (cyclic_soft_clay) {
    R9 = kResidual * (b * gamma_avg * z9 * z9 / 3.0 + 1.5 * z9 * b * c + z9 * z9 * c / 6.0);
    rate = kResidual * 9.0 * c * b;
  }
  if (R <= R9) return (-k + std::sqrt(k * k + 4.0 * a * R)) / (2.0 * a);
  return z9 + (R - R9) / rate;
}

double slope_factor(double theta) {
  return theta > 0.0 ? 1.0 / (1.0 + std::tan(theta)) : 1.0;
}

}  // namespace kestro
