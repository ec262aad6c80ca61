// What a run means for the person who asked for it.
#include <cstdio>

#include "kestro/report.hpp"

namespace kestro {

namespace {

// The force residual of each valid solution in percent, e.g. "0.0031 %" or
// "stage 1 0.0031 %, stage 2 0.12 %".
std::string force_residuals(const MemoryRunResult& run) {
  std::string text;
  for (const ProblemResult& problem : run.problems) {
    if (!problem.results) continue;
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.3g %%", 100.0 * problem.force_residual);
    if (!text.empty()) text += ", ";
    if (run.problems.size() > 1) text += "stage " + std::to_string(problem.number) + " ";
    text += percent;
  }
  return text;
}

}  // namespace

Verdict verdict(const MemoryRunResult& run) {
  if (run.outcome != Outcome::completed) {
    return Verdict{
        VerdictKind::stopped, std::string(outcome_name(run.outcome)) + ": " + run.message, {}, {}};
  }
  for (const ProblemResult& problem : run.problems) {
    const std::string warning = solution_warning(problem);
    if (!warning.empty()) {
      return Verdict{
          VerdictKind::no_valid_solution,
          "no valid solution in stage " + std::to_string(problem.number) + ": " + warning,
          {},
          {}};
    }
  }
  Verdict solved{VerdictKind::solved, "solved", force_residuals(run), {}};
  for (const ProblemResult& problem : run.problems) {
    const std::string warning = balance_warning(problem);
    if (!warning.empty())
      solved.warnings.push_back("stage " + std::to_string(problem.number) + ": " + warning);
  }
  for (const ProblemResult& problem : run.problems) {
    if (problem.solved) return solved;
  }
  return Verdict{VerdictKind::solved, "completed (no problem had a wall to solve)", {}, {}};
}

}  // namespace kestro
