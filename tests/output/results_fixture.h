// A run context for the results output: report, monitor and plot-data units
// on strings, unit labels set, and a wall of N increments with no data yet.
#pragma once

#include <sstream>
#include <string>

#include "common/run_context.h"

namespace kestro::testing {

struct ResultsContext {
  ResultsContext(int N, double h, UnitSystem units) : context(".", console, Clock{}) {
    context.report.attach(report);
    context.monitor.attach(monitor);
    context.plot.attach(plot);
    context.control.units = units;
    context.control.unit_flag = static_cast<int>(units);
    set_unit_labels(context.labels, label_selector(units));
    context.geometry.N = N;
    context.geometry.h = h;
    context.geometry.max_iterations = 20;
    context.geometry.width = 1.0;
    context.wall.N = N;
    context.wall.h = h;
    context.iteration.outcome = IterationOutcome::converged;
    context.iteration.iterations = 3;
  }

  // Deflections w(s) = s*s/64 at stations -1..N+1 (exact in binary: every
  // second difference is 1/32) and EI at stations 0..N.
  void parabolic_deflections(double EI) {
    for (int s = -1; s <= context.wall.N + 1; ++s)
      context.wall.w[s] = s * s / 64.0;
    context.wall.EI.fill(0, context.wall.N, EI);
  }

  std::ostringstream console;
  std::ostringstream report;
  std::ostringstream monitor;
  std::ostringstream plot;
  RunContext context;
};

// The lines of a text, without their line feeds.
inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

}  // namespace kestro::testing
