// The run context: everything one call of the engine knows, created by the
// driver for the call and passed by reference to every step.  Nothing of a
// run lives anywhere else, so runs are independent of each other.
//
// What lives how long:
// - RunState lives for the whole run: the run list, the counters, the first
//   title, the continuation code and the deflections of the last solution,
//   which the next problem's first evaluation of EI starts from.
// - ProblemState lives for one problem: start_problem() replaces it whole
//   before the problem's first record is read, so a problem uses only what
//   its own records give it.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/list_input.h"
#include "common/station_curve.h"
#include "common/text_unit.h"
#include "common/transient_file.h"
#include "common/unit_labels.h"
#include "common/wall_model.h"
#include "input/deck_source.h"
#include "input/input_context.h"
#include "input/problem_records.h"
#include "kestro/kestro.hpp"
#include "output/results_report.h"
#include "pressure/earth_pressure.h"
#include "soil/py_generation.h"
#include "soil/soil_context.h"
#include "solver/iteration.h"
#include "solver/solver_context.h"

namespace kestro {

// The six names of the run list, by what they name.
struct RunFileNames {
  std::string input;           // record 5: the input data file
  std::string report;          // record 6
  std::string plot_data;       // record 7
  std::string monitor;         // record 8
  std::string py_curves;       // record 9: the transient p-y curve file
  std::string earth_pressure;  // record 10: the transient earth-pressure file
};

// The open text units of the run, and where its transient files go.
struct RunFiles {
  std::optional<DeckSource> input;  // the records of the deck, problem by problem
  TextUnit report;
  TextUnit plot;
  TextUnit monitor;
  TransientFile py_curves;       // the p-y curve file
  TransientFile earth_pressure;  // the earth-pressure file
};

// State that lives for the whole run.
struct RunState {
  std::string version;  // 12 characters, from NAMES.dat
  Deck deck;            // the input, read once at the start
  RunFileNames names;
  int problem = 0;          // problem counter
  std::string first_title;  // title of problem 1, 80 characters
  int continuation = 0;     // continuation code
  // Deflections of the last solution of the run (zero before the first),
  // where the next problem's first evaluation of EI starts.
  StationArray<double> deflections;
  // The problems run so far, as values.
  std::vector<ProblemResult> problems;
  // The user curves given with generated ones, held to be written ahead of
  // them; a later problem with earth-pressure option 4 uses them again.
  std::vector<HeldUserCurve> held_user_curves;
};

// State that lives for one problem.
struct ProblemState {
  std::string title;  // current title, 80 characters
  ControlParameters control;
  Geometry geometry;
  UnitLabels labels;
  WallTables tables;
  WallModel wall;
  ReductionFactors reduction_factors;   // p-y modification factors
  EarthPressureProblem earth_pressure;  // earth-pressure records, wall group and loads
  std::vector<StationCurve> curves;     // station-curve list
  IterationResult iteration;            // how the last solution of the problem ended
  std::vector<Warning> warnings;        // what the problem's steps warned of
  // The results of a solution that printed its tables; empty when the
  // problem produced none (no wall, a failed solution, a stop).
  std::optional<ResultsTable> results;
};

struct RunContext {
  RunContext(std::filesystem::path dir, std::ostream& console_stream, Clock time_source)
      : working_dir(std::move(dir)), console(console_stream), clock(std::move(time_source)) {}

  std::filesystem::path working_dir;
  // File runs expand the input file to a full path for the report header; a
  // run in memory shows working_dir as given.
  bool expand_paths = true;
  // Called instead of the solution of each problem that has a wall, when
  // set: the deck check reads and judges problems without solving them.
  std::function<void(const RunContext&)> instead_of_solving;
  std::ostream& console;
  Clock clock;

  RunState run;
  RunFiles files;
  ProblemState problem;

  DeckSource& in() { return *files.input; }

  // Takes the deck the run reads its problems from.
  void use_deck(Deck deck) {
    run.deck = std::move(deck);
    files.input.emplace(run.deck);
  }
};

// Starts a new problem: the problem state is replaced by an empty one whose
// wall holds the deflections of the run's last solution.
void start_problem(RunContext& context);

// The views of the context that the steps of each subsystem take.
InputContext input_context(RunContext& context);
SoilContext soil_context(RunContext& context);
SolverContext solver_context(RunContext& context);
ResultsContext results_context(RunContext& context);

// The transient files through the working directory, by the names of the
// run list.
void use_transient_files(RunContext& context);

}  // namespace kestro
