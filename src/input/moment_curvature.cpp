#include "input/moment_curvature.h"

#include <string>

#include "common/error_stop.h"

namespace kestro {

namespace {

// Reads a record of two integers and returns the second, a count checked
// against 0..capacity.
int read_count(RunContext& context, int capacity, std::string_view what) {
  int unused = 0;
  int count = 0;
  {
    ListRead read = context.in().read();
    read.integer(unused);
    read.integer(count);
  }
  if (count < 0) {
    throw record_error(context.in(), context.in().current_line(),
                       "the number of " + std::string(what) + " must not be negative, found " +
                           std::to_string(count));
  }
  if (count > capacity) error_stop(context, ErrorStop::too_much_data);
  return count;
}

void read_points(RunContext& context, int count, MomentCurvatureCurve* curve) {
  if (curve != nullptr) {
    curve->M.assign(static_cast<std::size_t>(count), 0.0);
    curve->phi.assign(static_cast<std::size_t>(count), 0.0);
  }
  for (int j = 0; j < count; ++j) {
    double M = 0.0;
    double phi = 0.0;
    ListRead read = context.in().read();
    read.real(M);
    read.real(phi);
    if (curve != nullptr) {
      curve->M[static_cast<std::size_t>(j)] = M;
      curve->phi[static_cast<std::size_t>(j)] = phi;
    }
  }
}

}  // namespace

void read_moment_curvature_data(RunContext& context) {
  WallTables& tables = context.tables;
  tables.ei_sets.clear();
  tables.section_curves.clear();
  const int sets = context.control.ei_sets;
  if (sets < 0) {
    throw record_error(context.in(), context.control.line,
                       "the number of user-defined nonlinear EI sets must not be negative");
  }
  if (sets > kMaxEiSets) error_stop(context, ErrorStop::too_much_data, context.control.line);
  if (sets > 0) {
    int unused = 0;
    ListRead read = context.in().read();
    read.integer(unused);
  }
  tables.ei_sets.resize(static_cast<std::size_t>(sets));
  for (MomentCurvatureCurve& set : tables.ei_sets) {
    {
      ListRead read = context.in().read();
      read.real(set.thrust);
    }
    read_points(context, read_count(context, kMaxEiSetPoints, "points of an EI set"), &set);
  }
  tables.section_curves.resize(tables.cross_sections.size());
  for (MomentCurvatureCurve& curve : tables.section_curves) {
    const int levels = read_count(context, kMaxThrustLevels, "thrust levels");
    for (int level = 0; level < levels; ++level) {
      double thrust = 0.0;
      double second = 0.0;
      {
        ListRead read = context.in().read();
        read.real(thrust);
        read.real(second);
      }
      MomentCurvatureCurve* kept = level == 0 ? &curve : nullptr;
      if (kept != nullptr) {
        curve.thrust = thrust;
        curve.second = second;
      }
      read_points(context, read_count(context, kMaxCurvePoints, "curve points"), kept);
    }
  }
}

}  // namespace kestro
