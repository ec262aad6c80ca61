#include "driver/run_context.h"

namespace kestro {

void start_problem(RunContext& context) {
  context.problem = ProblemState{};
  context.problem.wall.w = context.run.deflections;
}

InputContext input_context(RunContext& context) {
  ProblemState& p = context.problem;
  return InputContext{context.in(), context.files.report, p.labels, p.control, p.geometry, p.tables,
                      p.wall};
}

SoilContext soil_context(RunContext& context) {
  ProblemState& p = context.problem;
  return SoilContext{context.in(),       context.files.report,
                     context.files.plot, context.console,
                     p.labels,           p.control,
                     p.geometry,         p.curves};
}

SolverContext solver_context(RunContext& context) {
  ProblemState& p = context.problem;
  return SolverContext{context.files.report,
                       context.files.monitor,
                       p.control,
                       p.geometry,
                       p.tables,
                       p.wall,
                       p.curves};
}

ResultsContext results_context(RunContext& context) {
  ProblemState& p = context.problem;
  return ResultsContext{context.files.report,
                        context.files.monitor,
                        p.labels,
                        p.control,
                        p.geometry,
                        p.tables,
                        p.wall,
                        p.iteration};
}

void use_transient_files(RunContext& context) {
  context.files.py_curves =
      file_transient(context.working_dir, context.run.names.py_curves, "p-y curve file", 9);
  context.files.earth_pressure = file_transient(
      context.working_dir, context.run.names.earth_pressure, "earth-pressure file", 10);
}

}  // namespace kestro
