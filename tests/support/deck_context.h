// A run context over an in-memory deck, for tests of single input steps:
// the report goes to a string, the title, control and geometry records are
// read as the driver reads them.
#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "driver/run_context.h"

namespace kestro::testing {

struct DeckContext {
  // `records` starts with the control record (no title).
  explicit DeckContext(const std::string& records);

  // The report written after the control and geometry echo.
  std::string report() { return report_text.str().substr(head); }
  // The report written since the last call.
  std::string take_report();

  std::ostringstream console_text;
  std::ostringstream report_text;
  std::unique_ptr<RunContext> context;
  // The views of the context that the steps take.
  InputContext input() { return input_context(*context); }
  SoilContext soil() { return soil_context(*context); }
  SolverContext solver() { return solver_context(*context); }
  std::size_t taken = 0;
  std::size_t head = 0;
};

}  // namespace kestro::testing
