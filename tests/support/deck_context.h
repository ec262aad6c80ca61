// A run context over an in-memory deck, for tests of single input steps:
// the report goes to a string, the title, control and geometry records are
// read as the driver reads them.
#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "driver/run_context.h"

namespace kestro::testing {

// A deck named wall.dat without records, for steps that only name the deck
// in their messages.
const DeckSource& wall_dat();

// The records of a deck that follow `prefix` (a title and the records the
// grammar reads before them), read as the engine reads them, with their
// lines counted from the first line after the prefix (as a test writes
// them); the source has taken the prefix's records.
struct DeckAt {
  DeckAt(const std::string& prefix, const std::string& records);
  DeckAt(const DeckAt&) = delete;
  DeckAt& operator=(const DeckAt&) = delete;
  DeckSource& in() { return source; }

  Deck deck;
  DeckSource source{deck};
};

// A problem's title, control record (elastic wall of one section, the
// given earth-pressure and p-y options) and wall records up to the springs:
// the prefix the wall group or the pressure table follows.
std::string wall_prefix(int earth_pressure_option, int py_option);

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
