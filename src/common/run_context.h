// The run context: everything one call of the engine knows, created by the
// driver for the call and passed by reference to every step.  Nothing of a
// run lives anywhere else, so runs are independent of each other.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "common/list_input.h"
#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "input/problem_records.h"
#include "kestro/kestro.h"
#include "output/results_report.h"
#include "pressure/earth_pressure.h"
#include "solver/iteration.h"

namespace kestro {

// Run-wide state of the driver.
struct RunState {
  std::string version;                    // 12 characters, from NAMES.dat
  std::array<std::string, 6> file_names;  // input, report, plot data, monitor, p-y, earth pressure
  int problem = 0;                        // problem counter
  std::string title;                      // current title, 80 characters
  std::string first_title;                // title of problem 1
  int solution_failed = 0;                // 1: the solver stopped without a valid solution
  int continuation = 0;                   // continuation code
};

struct RunContext {
  RunContext(std::filesystem::path dir, std::ostream& console_stream, Clock time_source)
      : working_dir(std::move(dir)), console(console_stream), clock(std::move(time_source)) {}

  std::filesystem::path working_dir;
  std::ostream& console;
  Clock clock;

  RunState run;

  // Open files.
  std::optional<ListInput> input;  // unit 5
  TextUnit report;                 // unit 6
  TextUnit plot;                   // unit 3
  TextUnit monitor;                // unit 4

  // The problem being analysed.
  ControlParameters control;
  Geometry geometry;
  UnitLabels labels;
  WallTables tables;
  WallModel wall;
  std::vector<StationCurve> curves;  // station-curve list of the problem
  IterationResult iteration;
  ResultsTable results;                 // the results of the last solution that printed its tables
  bool have_results = false;            // the solver produced results for this problem
  EarthPressureProblem earth_pressure;  // earth-pressure records and loads of the problem

  ListInput& in() { return *input; }
};

}  // namespace kestro
