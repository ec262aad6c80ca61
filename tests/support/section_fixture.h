// A run context holding one wall of N increments with no tables yet, and
// cross sections and moment-curvature curves made to measure, for the tests
// of flexural rigidity and of its echo.
#pragma once

#include <sstream>
#include <utility>
#include <vector>

#include "driver/run_context.h"

namespace kestro::testing {

struct Context {
  Context(int N, double h, UnitSystem units) {
    context.problem.wall.N = N;
    context.problem.wall.h = h;
    context.problem.geometry.N = N;
    context.problem.geometry.h = h;
    context.problem.control.units = units;
    set_unit_labels(context.problem.labels, label_selector(units));
    context.files.report.attach(report);
  }
  std::ostringstream console;
  std::ostringstream report;
  RunContext context{".", console, Clock{}};
};

inline CrossSection elastic(double EI_top, double EI_bottom) {
  CrossSection section;
  section.E_top = 10.0;
  section.I_top = EI_top / 10.0;
  section.E_bottom = 20.0;
  section.I_bottom = EI_bottom / 20.0;
  return section;
}

inline CrossSection nonlinear(NonlinearType type, int set = 0) {
  CrossSection section;
  section.nonlinear_flag = 1;
  section.descriptors.type = static_cast<int>(type);
  section.descriptors.ei_set = set;
  return section;
}

inline MomentCurvatureCurve curve(std::vector<double> M, std::vector<double> phi,
                                  double thrust = 0.0) {
  MomentCurvatureCurve c;
  c.thrust = thrust;
  c.M = std::move(M);
  c.phi = std::move(phi);
  return c;
}

}  // namespace kestro::testing
