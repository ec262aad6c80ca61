#include "solver/flexural_rigidity.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "input/moment_curvature.h"

namespace kestro {

namespace {

// Curvatures at or below this count as a straight wall.
constexpr double kCurvatureThreshold = double(1.0e-8f);
// Inches per foot: station depths are in feet in English units.
constexpr double kInchesPerFoot = 12.0;

// The points of a curve, as many as it holds pairs of.
std::size_t point_count(const MomentCurvatureCurve& curve) {
  return std::min(curve.M.size(), curve.phi.size());
}

}  // namespace

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

void evaluate_flexural_rigidity(const SolverContext& context) {
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

}  // namespace kestro
