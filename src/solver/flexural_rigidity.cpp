#include "solver/flexural_rigidity.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "common/input_error.h"
#include "common/report_writers.h"

namespace kestro {

namespace {

// Curvatures at or below this count as a straight wall.
constexpr double kCurvatureThreshold = double(1.0e-8f);
// Inches per foot: station depths are in feet in English units.
constexpr double kInchesPerFoot = 12.0;

struct EchoFormats {
  FortranFormat user_head = FortranFormat::parse("(/5X,'* USER DEFINED NONLINEAR EI *')");
  FortranFormat generated_head =
      FortranFormat::parse("(/5X,'* INTERNALLY GENERATED NONLINEAR EI *')");
  FortranFormat set_number = FortranFormat::parse("(/5X,'   SET          =  ',I5)");
  FortranFormat thrust = FortranFormat::parse("(/5X,'   AXIAL THRUST =  ',F10.4,2X,A4)");
  FortranFormat columns =
      FortranFormat::parse("(/5X,'   N  ',9X,' CURVATURE ',7X,' MOMENT ',7X,'   EI   ')");
  FortranFormat units =
      FortranFormat::parse("(5X,8X,9X,'RAD/',A2,9X,A4,'-',A2,9X,A4,'-',A2,'**2')");
};

const EchoFormats& formats() {
  static const EchoFormats kFormats;
  return kFormats;
}

bool is_user_defined(const CrossSection& section) {
  return section.nonlinear() && section.nonlinear_type() == NonlinearType::user_defined_ei;
}

// The points of a curve, as many as it holds pairs of.
std::size_t point_count(const MomentCurvatureCurve& curve) {
  return std::min(curve.M.size(), curve.phi.size());
}

void write_set_block(RunContext& context, int number, const MomentCurvatureCurve& curve) {
  const EchoFormats& f = formats();
  const UnitLabels& l = context.labels;
  TextUnit& report = context.report;
  report.write(f.set_number, {number});
  report.write(f.thrust, {curve.thrust, l.force});
  report.write(f.columns);
  report.write(f.units, {l.length_short, l.force, l.length_short, l.force, l.length_short});
  for (std::size_t j = 0; j < point_count(curve); ++j) {
    const double phi = curve.phi[j];
    const double M = curve.M[j];
    write_blanks(report, 5);
    write_integer(report, 5, static_cast<int>(j + 1));
    write_blanks(report, 4);
    write_number(report, 14, 5, phi);
    write_blanks(report, 4);
    write_number(report, 14, 5, M);
    if (phi > 0.0) {
      write_blanks(report, 4);
      write_number(report, 14, 5, M / phi);
    }
    line_end(report);
  }
}

}  // namespace

const MomentCurvatureCurve* section_curve(const WallTables& tables, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= tables.cross_sections.size()) return nullptr;
  const CrossSection& section = tables.cross_sections[static_cast<std::size_t>(index)];
  if (!section.nonlinear()) return nullptr;
  if (is_user_defined(section)) {
    const int set = section.D[29];
    if (set < 1 || static_cast<std::size_t>(set) > tables.ei_sets.size()) {
      throw InputError("cross section " + std::to_string(index + 1) +
                       " is a user-defined EI section and names nonlinear EI set " +
                       std::to_string(set) + ", but " + std::to_string(tables.ei_sets.size()) +
                       " sets are given (NONLINEAR EI INDEX must be 1 to the number of sets)");
    }
    return &tables.ei_sets[static_cast<std::size_t>(set - 1)];
  }
  if (static_cast<std::size_t>(index) >= tables.section_curves.size()) return nullptr;
  return &tables.section_curves[static_cast<std::size_t>(index)];
}

std::optional<double> secant_rigidity(const MomentCurvatureCurve& curve, double phi) {
  const std::size_t n = point_count(curve);
  if (n < 2) return std::nullopt;
  const std::vector<double>& M = curve.M;
  const std::vector<double>& curvature = curve.phi;
  if (phi <= kCurvatureThreshold) return M[1] / curvature[1];
  if (phi >= curvature[n - 1]) return M[n - 1] / curvature[n - 1];
  std::size_t j = 1;
  while (j + 1 < n && curvature[j] < phi)
    ++j;
  const double span = curvature[j] - curvature[j - 1];
  // Two points at one curvature have no slope between them: take the moment
  // of the upper one.
  const double moment =
      span == 0.0 ? M[j] : M[j - 1] + (phi - curvature[j - 1]) * (M[j] - M[j - 1]) / span;
  return moment / phi;
}

void evaluate_flexural_rigidity(RunContext& context) {
  const WallTables& tables = context.tables;
  const std::vector<WallSection>& sections = tables.wall_sections;
  if (sections.empty()) return;
  WallModel& wall = context.wall;
  const double h = wall.h;
  const double step = context.control.units == UnitSystem::english ? h / kInchesPerFoot : h;
  const WallSection& first = sections.front();
  const WallSection& last = sections.back();
  double depth = 0.0;
  for (int s = 0; s <= wall.N; ++s, depth += step) {
    // The section holding the depth, and where in it the depth lies.
    const WallSection* section = nullptr;
    enum class Place { top, bottom, inside } place = Place::inside;
    if (depth <= first.top) {
      section = &first;
      place = Place::top;
    } else if (depth >= last.bottom) {
      section = &last;
      place = Place::bottom;
    } else {
      for (const WallSection& candidate : sections) {
        if (candidate.bottom >= depth) {
          section = &candidate;
          break;
        }
      }
    }
    if (section == nullptr) continue;
    const int index = section->section - 1;
    if (index < 0 || static_cast<std::size_t>(index) >= tables.cross_sections.size()) continue;
    const CrossSection& cross = tables.cross_sections[static_cast<std::size_t>(index)];
    if (cross.nonlinear()) {
      const MomentCurvatureCurve* curve = section_curve(tables, index);
      if (curve == nullptr) continue;
      const double phi = std::abs(wall.w[s - 1] - 2.0 * wall.w[s] + wall.w[s + 1]) / (h * h);
      if (const std::optional<double> EI = secant_rigidity(*curve, phi)) wall.EI[s] = *EI;
      continue;
    }
    const double EI_top = cross.E_top * cross.I_top;
    const double EI_bottom = cross.E_bottom * cross.I_bottom;
    switch (place) {
      case Place::top:
        wall.EI[s] = EI_top;
        break;
      case Place::bottom:
        wall.EI[s] = EI_bottom;
        break;
      case Place::inside: {
        const double length = section->bottom - section->top;
        // A section of no length cannot be interpolated; its top values hold.
        wall.EI[s] = length == 0.0
                         ? EI_top
                         : EI_top + (depth - section->top) * (EI_bottom - EI_top) / length;
        break;
      }
    }
  }
}

void echo_nonlinear_ei(RunContext& context) {
  const WallTables& tables = context.tables;
  const std::vector<CrossSection>& sections = tables.cross_sections;
  std::vector<bool> named(tables.ei_sets.size(), false);
  bool any_user = false;
  bool any_generated = false;
  for (std::size_t k = 0; k < sections.size(); ++k) {
    if (!sections[k].nonlinear()) continue;
    if (is_user_defined(sections[k])) {
      section_curve(tables, static_cast<int>(k));  // refuses a missing set
      named[static_cast<std::size_t>(sections[k].D[29] - 1)] = true;
      any_user = true;
    } else {
      any_generated = true;
    }
  }
  const EchoFormats& f = formats();
  if (any_user) {
    context.report.write(f.user_head);
    for (std::size_t k = 0; k < named.size(); ++k) {
      if (named[k]) write_set_block(context, static_cast<int>(k + 1), tables.ei_sets[k]);
    }
    line_end(context.report);
  }
  if (any_generated) {
    context.report.write(f.generated_head);
    for (std::size_t k = 0; k < sections.size(); ++k) {
      if (!sections[k].nonlinear() || is_user_defined(sections[k])) continue;
      static const MomentCurvatureCurve kNoCurve;
      const MomentCurvatureCurve* curve = section_curve(tables, static_cast<int>(k));
      write_set_block(context, static_cast<int>(k + 1), curve != nullptr ? *curve : kNoCurve);
    }
    line_end(context.report);
  }
}

}  // namespace kestro
