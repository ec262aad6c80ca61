/* The C++ API of the KESTRO engine, for programs that link the engine
 * library (kestro::kestro in CMake, kestro.pc for pkg-config): runs from a
 * NAMES.dat directory or held in memory, with the outcome and the results as
 * values.  Needs C++17 or later. */
#ifndef KESTRO_KESTRO_HPP
#define KESTRO_KESTRO_HPP

#include "kestro/kestro.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "kestro/deck.hpp"
#include "kestro/results.h"

/* Not exported from the shared library, which holds only IKESTRO. */
namespace kestro {

/* A local calendar time, as the report header prints it. */
struct LocalTime {
  int year = 0;
  int month = 0; /* 1 = January */
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

/* Source of the date and time of the analysis. */
using Clock = std::function<LocalTime()>;

/* The local time of the system clock. */
LocalTime system_local_time();

enum class Outcome {
  completed,       /* every problem ran; the run ended by its continuation code */
  error_stop,      /* the run ended by an error stop of the analysis */
  bad_input,       /* the run ended on input it could not read or use */
  could_not_start, /* NAMES.dat or a file it names could not be read or opened */
};

/* Where in the input a run stopped: the file, the line and the item of the
 * record (0 when the stop names none), or for a deck read from JSON the JSON
 * path of the value.  All empty when the stop has no place in the input. */
struct StopPlace {
  std::string file;
  std::size_t line = 0;
  int item = 0;
  std::string path;
};

struct RunResult {
  Outcome outcome = Outcome::completed;
  /* For every outcome but completed: the message that ended the run, as it
   * was written to the console (for example
   * `wall.dat, line 3, item 2: expected a real number, found "six"`). */
  std::string message;
  StopPlace place{}; /* the place the message names, as values */
};

/* Runs the analysis whose run list is working_dir/NAMES.dat.  Relative file
 * names in the run list are taken relative to working_dir.  Console messages
 * go to console; the date of the report header comes from clock.  Never
 * throws for anything the input files contain. */
RunResult run(const std::filesystem::path& working_dir, std::ostream& console,
              const Clock& clock) noexcept;

/* One problem (or stage) of a run, as values. */
struct ProblemResult {
  int number = 0; /* problem counter of the run, from 1 */
  int stages = 0; /* number of stages of its control record */
  UnitSystem units = UnitSystem::english;
  std::string title; /* as read, cut to 70 characters */
  /* Whether the wall was solved (a problem without wall sections is not);
   * then how the iteration ended and the number of iterations reported. */
  bool solved = false;
  IterationOutcome outcome = IterationOutcome::converged;
  int iterations = 0;
  int stations_over_allowable = 0; /* stations beyond the allowable deflection */
  int stations_not_closed = 0;     /* stations still changing by more than the tolerance */
  /* Of a valid solution: how far the forces on the solved wall are out of
   * balance, |sum of loads, soil forces, spring, tie-back and node forces|
   * over the sum of their magnitudes (0.01 is 1 %).  The iteration closes on
   * the change of deflection, so a tolerance that is loose for stiff soil
   * leaves a residual; above kForceResidualWarning the result deserves a
   * tighter tolerance.  0 when the problem has no valid solution. */
  double force_residual = 0.0;
  /* The values of the results tables, present when they were written: the
   * solution converged (or was a single pass) and is valid. */
  std::optional<ResultsTable> results;
  std::vector<IterationStep> history;   /* the monitor rows of the iteration */
  std::vector<PressureResult> pressure; /* the earth-pressure distribution applied, if any */
  std::vector<CurveResult> curves;      /* the p-y curves the solver used */
  Ground ground;                        /* the wall and its ground, for drawings */
  /* The warnings of the problem, in the order they arose: those the report
   * prints in its own words, and those of the solution (no valid solution,
   * forces out of balance). */
  std::vector<Warning> warnings;
};

/* The force residual above which a solution is reported as out of balance. */
inline constexpr double kForceResidualWarning = 0.01;

/* The warning of a valid solution whose forces balance only to more than
 * kForceResidualWarning, e.g. "THE FORCES ON THE WALL BALANCE ONLY TO 1.8 %:
 * TIGHTEN THE DEFLECTION CLOSURE TOLERANCE"; empty otherwise. */
std::string balance_warning(const ProblemResult& problem);

/* Why a solved problem has no valid solution, as its warning says, e.g.
 * "MAX ALLOWABLE DEFLECTION EXCEEDED AT 40 STATIONS"; empty when its
 * results are valid or it was not solved. */
std::string solution_warning(const ProblemResult& problem);

/* A run held in memory: the deck in, every output file and the results out.
 * Nothing touches the file system. */
struct MemoryRunInput {
  std::string deck; /* the input data file */
  /* The input as a deck model (kestro/deck.hpp); when set, the run takes it
   * instead of reading `deck`. */
  std::optional<Deck> model;
  std::string deck_name = "wall.dat"; /* named in messages and in the report header */
  std::string version = "0.1.0";      /* version text of the banner (12 characters) */
  /* The directory the report header names; the report and plot-data file
   * names it shows are NAME.out and NAME.plt after deck_name. */
  std::string directory;
  /* Whether the run makes its texts.  A run with text = false formats no
   * report, plot-data or monitor text and makes no p-y curve or
   * earth-pressure file (those fields of MemoryRunResult stay empty); its
   * outcome, message, console text and problems are those of the same run
   * with text, value for value. */
  bool text = true;
};

struct MemoryRunResult {
  Outcome outcome = Outcome::completed;
  std::string message; /* as RunResult::message */
  StopPlace place{};   /* as RunResult::place */
  std::string report;
  std::string plot_data;
  std::string monitor;
  std::string py_curves;      /* the last p-y curve file of the run, if any */
  std::string earth_pressure; /* the last earth-pressure file of the run, if any */
  std::string console;        /* what the run wrote to the console */
  std::vector<ProblemResult> problems;
};

/* Runs the deck in memory.  Safe to call from several threads at once: runs
 * share nothing.  Never throws for anything the deck contains. */
MemoryRunResult run_in_memory(const MemoryRunInput& input, const Clock& clock) noexcept;
/* The same, taking the input's model over instead of copying it. */
MemoryRunResult run_in_memory(MemoryRunInput&& input, const Clock& clock) noexcept;

/* How much a finding of the deck check matters: an error stops the run (the
 * engine's own stop), a warning is most likely a mistake (a unit, a comma
 * decimal, values that disagree), a note is worth knowing. */
enum class FindingGrade { error, warning, note };

/* A finding of the deck check: something in a problem's records that is
 * inconsistent or looks like a unit mistake. */
struct DeckFinding {
  int problem = 0;      /* problem counter, from 1 */
  std::size_t line = 0; /* line of the deck the finding is about (0: none) */
  FindingGrade grade = FindingGrade::warning;
  std::string text; /* e.g. "N*h = 240 in, but the height of wall is 20 in" */
  /* In a deck without lines (read from JSON): the JSON path of the value
   * the finding is about, "/problems/0/geometry/wall_height"; line is then 0. */
  std::string path{};
};

struct DeckCheckResult {
  Outcome outcome = Outcome::completed; /* how reading the deck ended */
  std::string message;                  /* the engine's message when reading failed */
  StopPlace place{};                    /* the place that message names */
  std::vector<DeckFinding> findings;
};

/* Reads the deck into the model and judges its values (units that look
 * wrong, a free height that differs from the excavation depth, a line with
 * more numbers than its record reads ...), then takes every problem as a
 * run would, without solving, for what the engine's steps tell and for its
 * stop, which becomes an error finding.  Never throws for anything the deck
 * contains. */
DeckCheckResult check_deck(const MemoryRunInput& input) noexcept;

/* "error", "warning" or "note". */
const char* finding_grade_name(FindingGrade grade);

/* True when the check found an error or a warning (notes alone are not). */
bool check_needs_attention(const DeckCheckResult& result);

/* Short name of an outcome: "completed", "error stop", "bad input",
 * "could not start". */
const char* outcome_name(Outcome outcome);

/* Name of a warning's kind, as the JSON export and Python give it:
 * "backfill_slope_too_steep", "net_active_pressure_negative",
 * "small_deflection_modulus", "no_valid_solution", "forces_out_of_balance". */
const char* warning_kind_name(WarningKind kind);

}  // namespace kestro

#endif /* KESTRO_KESTRO_HPP */
