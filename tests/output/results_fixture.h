// A run context for the results output: report, monitor and plot-data units
// on strings, unit labels set, and a wall of N increments with no data yet.
#pragma once

#include <sstream>
#include <string>

#include "driver/run_context.h"
#include "output/plot_data.h"

namespace kestro::testing {

struct ResultsContext {
  ResultsContext(int N, double h, UnitSystem units) : context(".", console, Clock{}) {
    context.files.report.attach(report);
    context.files.monitor.attach(monitor);
    context.files.plot.attach(plot);
    context.problem.control.units = units;
    context.problem.control.unit_flag = static_cast<int>(units);
    set_unit_labels(context.problem.labels, label_selector(units));
    context.problem.geometry.N = N;
    context.problem.geometry.h = h;
    context.problem.geometry.max_iterations = 20;
    context.problem.geometry.width = 1.0;
    context.problem.wall.N = N;
    context.problem.wall.h = h;
    context.problem.iteration.outcome = IterationOutcome::converged;
    context.problem.iteration.iterations = 3;
  }

  // Deflections w(s) = s*s/64 at stations -1..N+1 (exact in binary: every
  // second difference is 1/32) and EI at stations 0..N.
  void parabolic_deflections(double EI) {
    for (int s = -1; s <= context.problem.wall.N + 1; ++s)
      context.problem.wall.w[s] = s * s / 64.0;
    context.problem.wall.EI.fill(0, context.problem.wall.N, EI);
  }

  // Writes the results as the driver does, keeping them in the problem.
  void write() { context.problem.results = write_results(results_context(context)); }
  // Writes the plot-data results group of the kept results.
  void write_group(int stage_code) {
    const ProblemState& p = context.problem;
    write_results_group(context.files.plot, p.control, p.geometry, p.results, stage_code);
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
