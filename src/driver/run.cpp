#include "driver/run.h"

#include <cstdio>
#include <ctime>
#include <iostream>
#include <new>

#include "common/run_stop.h"
#include "common/text.h"
#include "driver/report_header.h"
#include "input/control_records.h"
#include "input/moment_curvature.h"
#include "input/sections.h"
#include "input/station_tables.h"
#include "output/plot_data.h"
#include "output/results_report.h"
#include "pressure/earth_pressure.h"
#include "soil/py_generation.h"
#include "soil/py_multipliers.h"
#include "soil/user_curves.h"
#include "solver/iteration.h"

namespace kestro {

namespace {

constexpr std::size_t kVersionWidth = 12;
constexpr std::size_t kTextRecordWidth = 256;
constexpr std::size_t kFileNameWidth = 255;
constexpr std::size_t kTitleWidth = 70;
constexpr std::size_t kTitleField = 80;

struct DriverFormats {
  FortranFormat empty_line = FortranFormat::parse("()");
  FortranFormat two_empty_lines = FortranFormat::parse("(/)");
  FortranFormat end_of_analysis =
      FortranFormat::parse("(//'     END OF ANALYSIS                             ')");
  FortranFormat input_error =
      FortranFormat::parse("(//'     ERROR STOP -- INPUT DATA ERROR'/5X,A)");
  FortranFormat not_available = FortranFormat::parse("(//5X,A)");
  FortranFormat no_wall_sections = FortranFormat::parse("(/'                    ')");
  FortranFormat not_in_order =
      FortranFormat::parse("(//'     ERROR STOP -- STATIONS NOT IN ORDER')");
  FortranFormat too_much = FortranFormat::parse("(//'     TOO MUCH DATA FOR AVAILABLE STORAGE'//)");
  FortranFormat beyond_end =
      FortranFormat::parse("(//'     ERROR -- NON-ZERO TABLE 4 DATA BEYOND END')");
};

const DriverFormats& formats() {
  static const DriverFormats kFormats;
  return kFormats;
}

std::filesystem::path resolve(const RunContext& context, const std::string& name) {
  std::filesystem::path path(name);
  return path.is_absolute() ? path : context.working_dir / path;
}

// Opens the input, report, plot-data and monitor files in this order; the
// message names the first file that cannot be opened.
std::optional<std::string> open_files(RunContext& context) {
  const RunFileNames& names = context.run.names;
  struct Named {
    const std::string& name;
    const char* role;
    int record;
  };
  const Named files[] = {{names.input, "input data file", 5},
                         {names.report, "report file", 6},
                         {names.plot_data, "plot-data file", 7},
                         {names.monitor, "monitor file", 8}};
  for (const Named& file : files) {
    if (file.name.empty()) {
      return std::string("NAMES.dat names no ") + file.role + " (record " +
             std::to_string(file.record) + " is missing or blank)";
    }
  }
  std::filesystem::path input_path = resolve(context, names.input);
  std::error_code error;
  if (std::filesystem::is_directory(input_path, error)) {
    return "cannot open the input data file \"" + names.input + "\": it is a directory";
  }
  std::optional<ListInput> text =
      ListInput::open(input_path.string(), input_path.filename().string());
  if (!text) return "cannot open the input data file \"" + names.input + "\"";
  context.use_deck(read_deck(text->text_from(1), input_path.filename().string()));
  TextUnit* outputs[] = {&context.files.report, &context.files.plot, &context.files.monitor};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!outputs[i]->open(resolve(context, files[i + 1].name))) {
      for (TextUnit* unit : outputs)
        unit->close();
      return std::string("cannot open the ") + files[i + 1].role + " \"" + files[i + 1].name + "\"";
    }
  }
  return std::nullopt;
}

// The earth-pressure records and the loads they give the stations.
void run_earth_pressure(RunContext& context) {
  ProblemState& problem = context.problem;
  EarthPressureProblem& pressure = problem.earth_pressure;
  read_earth_pressure_records(context.in(), context.files.report, problem.labels, problem.control,
                              pressure);
  const double scale = problem.control.units == UnitSystem::english ? 12.0 : 1.0;
  std::vector<double> tieback_depths;
  for (const TieBack& tieback : problem.tables.tiebacks)
    tieback_depths.push_back(tieback.depth * scale);
  apply_earth_pressure(context.in(), context.files.report, context.files.plot,
                       context.files.monitor, context.console, problem.labels, problem.control,
                       problem.geometry, tieback_depths, problem.wall, problem.curves,
                       context.files.earth_pressure, pressure);
}

// Records 6 to 11 of a problem: the wall model and its loads.
void read_wall_model(RunContext& context) {
  InputContext input = input_context(context);
  read_wall_sections(input);
  read_cross_sections(input);
  read_moment_curvature_data(input);
  echo_nonlinear_ei(input);
  read_stiffness_and_load_data(input);
  const ControlParameters& c = context.problem.control;
  if (c.py_factors < 0) {
    stop_quietly(place_of(context.in(), c.line),
                 "negative number of p-y modification factors (control item 5 is " +
                     std::to_string(c.py_factors) + ")");
  }
  if (c.py_factors > 0) {
    context.problem.reduction_factors = read_reduction_factors(context.in(), c.py_factors);
  }
  run_earth_pressure(context);
}

// The p-y curves the solver used, per unit length, with the point reached.
void keep_curves(const ProblemState& problem, ProblemResult& kept) {
  const WallModel& wall = problem.wall;
  const bool english = problem.control.units == UnitSystem::english;
  for (const StationCurve& curve : problem.curves) {
    CurveResult used;
    used.station = curve.FROM;
    used.X = english ? curve.FROM * wall.h / 12.0 : curve.FROM * wall.h;
    used.y = curve.y;
    used.p.reserve(curve.p.size());
    for (double p : curve.p)
      used.p.push_back(p / wall.h);
    if (is_array_station(curve.FROM) && used.y.size() >= 2 && used.y.size() == used.p.size()) {
      // The curve's resistance at the deflection its station reached, taken
      // beyond its ends as the iteration takes it.
      const double y = wall.w[curve.FROM];
      used.y_reached = y;
      used.p_reached = curve_tangent(curve, y).p / wall.h;
      used.p_ultimate = side_ultimate(curve, y) / wall.h;
      if (used.p_ultimate > 0.0) used.mobilised = std::abs(used.p_reached) / used.p_ultimate;
    }
    kept.curves.push_back(std::move(used));
  }
}

// The pressure applied and the wall in its ground, for drawings.
void keep_ground(const ProblemState& problem, ProblemResult& kept) {
  const EarthPressureProblem& pressure = problem.earth_pressure;
  for (const PressurePoint& point : pressure.loads.points) {
    kept.pressure.push_back(PressureResult{point.x, point.total, point.earth, point.water,
                                           point.surface, point.surcharge, point.apparent,
                                           point.passive, point.at_rest});
  }
  Ground& ground = kept.ground;
  const double scale = problem.control.units == UnitSystem::english ? 12.0 : 1.0;
  ground.wall_length = problem.geometry.N * problem.geometry.h;
  ground.width = problem.geometry.width;
  ground.excavation = problem.geometry.excavation_depth;
  for (const TieBack& t : problem.tables.tiebacks)
    ground.tiebacks.push_back(GroundTieback{t.depth * scale, t.angle, t.unbonded_length * scale});
  for (const WallSection& section : problem.tables.wall_sections) {
    const std::size_t index = static_cast<std::size_t>(section.section - 1);
    const std::vector<CrossSection>& cross = problem.tables.cross_sections;
    kept.ground.wall.push_back(
        WallPiece{section.top * scale, section.bottom * scale,
                  index < cross.size() ? trim_right(cross[index].name) : std::string()});
  }
  if (!pressure.has_wall_group) return;
  const WallGroup& group = pressure.wall;
  ground.has_soil = true;
  ground.excavation = group.HFREE;
  ground.water_backfill = group.ZWB;
  ground.water_excavation = group.ZWE;
  ground.backfill_slope = group.BETA;
  ground.surface_pressure = group.QSURF;
  double top = 0.0;
  for (const SoilLayer& layer : group.layers) {
    ground.layers.push_back(GroundLayer{layer.IDSOIL, top, layer.ZBOT});
    top = layer.ZBOT;
  }
  for (const Surcharge& item : group.surcharges) {
    ground.surcharges.push_back(GroundSurcharge{item.KSUR, item.QSUR, item.XSUR, item.BSUR});
  }
}

// The warnings of the problem's steps, then those of its solution.
void keep_warnings(const ProblemState& problem, ProblemResult& kept) {
  const std::vector<Warning>& pressure = problem.earth_pressure.layers.warnings;
  kept.warnings = pressure;
  kept.warnings.insert(kept.warnings.end(), problem.warnings.begin(), problem.warnings.end());
  if (const std::string text = solution_warning(kept); !text.empty()) {
    kept.warnings.push_back(Warning{WarningKind::no_valid_solution, text, {}, 0, 0});
  }
  if (const std::string text = balance_warning(kept); !text.empty()) {
    kept.warnings.push_back(Warning{WarningKind::forces_out_of_balance, text, {}, 0, 0});
  }
}

void run_one_problem(RunContext& context) {
  DeckSource& in = context.in();
  const DriverFormats& f = formats();
  TextUnit& report = context.files.report;

  in.next_problem();
  in.take("title");
  const std::string title = fit(in.problem().title, kTitleField);
  start_problem(context);
  ProblemState& problem = context.problem;
  problem.title = title;
  context.run.problem += 1;
  if (context.run.problem == 1) context.run.first_title = title;

  context.run.continuation = 0;
  InputContext input = input_context(context);
  read_control_record(input);
  ProblemResult& kept = context.run.problems.emplace_back();
  kept.number = context.run.problem;
  kept.stages = problem.control.stages;
  kept.title = trim_right(title.substr(0, kTitleWidth));
  if (context.run.problem > 1) report.write(f.two_empty_lines);
  write_report_header(context);
  for (TextUnit* unit : {&report, &context.files.monitor}) {
    unit->write(f.empty_line);
    write_problem_heading(context, *unit);
  }

  echo_control_parameters(input);
  kept.units = problem.control.units;
  read_geometry_record(input);
  check_table_counts(input);

  read_specified_points(input);
  const ControlParameters& c = problem.control;
  if (c.wall_sections == 0) {
    report.write(f.no_wall_sections);
  } else {
    read_wall_model(context);
  }
  if (c.py_option == 2) {
    // User curves given with generated ones are held for the p-y curve file;
    // with earth-pressure option 4 the curves already held are used again.
    std::vector<HeldUserCurve>& held = context.run.held_user_curves;
    if (c.user_py_curves == 0) {
      held.clear();
    } else if (c.user_py_curves < 0 || c.earth_pressure_option != 4) {
      held = read_held_user_curves(in, report, problem.labels, c.user_py_curves);
    }
  }
  const bool user_curves = c.py_option < 2 && (c.user_py_curves != 0 || c.wall_sections > 0);
  if (user_curves) {
    SoilContext soil = soil_context(context);
    read_user_curves(soil);
  }
  if (c.py_option == 2 && c.wall_sections > 0) {
    generate_soil_resistance(
        in, report, context.files.plot, context.console, c.units, problem.geometry,
        problem.earth_pressure.wall,
        SoilResistanceInput{problem.reduction_factors, context.run.held_user_curves},
        problem.curves, context.files.py_curves, problem.warnings);
  }
  if (c.wall_sections > 0 && context.instead_of_solving) {
    context.instead_of_solving(context);
  } else if (c.wall_sections > 0) {
    // The solution starts with the problem heading again, on the report only.
    write_problem_heading(context, report);
    SolverContext solver = solver_context(context);
    problem.iteration = iterate(solver);
    context.run.deflections = problem.wall.w;
    problem.results = write_results(results_context(context));
    ProblemResult& kept = context.run.problems.back();
    kept.solved = true;
    kept.outcome = problem.iteration.outcome;
    kept.iterations = problem.iteration.iterations;
    kept.stations_over_allowable = problem.iteration.stations_over_allowable;
    kept.stations_not_closed = problem.iteration.stations_not_closed;
    kept.force_residual = problem.iteration.force_residual;
    kept.results = problem.results;
    kept.history = problem.iteration.history;
    keep_curves(problem, kept);
  }
  keep_ground(problem, kept);
  keep_warnings(problem, kept);

  in.take("continuation");
  context.run.continuation = in.problem().continuation;
}

}  // namespace

void read_run_list(RunContext& context) {
  const std::filesystem::path path = context.working_dir / "NAMES.dat";
  std::optional<ListInput> names = ListInput::open(path.string(), "NAMES.dat");
  if (!names) stop_bad_input(InputPlace{}, "cannot open the run list \"" + path.string() + "\"");
  RunState& run = context.run;
  run.version = names->read_fixed(kVersionWidth, "the version text");
  names->read_fixed(kTextRecordWidth, "a text record");
  names->read_fixed(kTextRecordWidth, "a text record");
  int unused = 0;
  {
    ListRead read = names->read();
    read.integer(unused);
    read.finish();
  }
  RunFileNames& file_names = run.names;
  for (std::string* name :
       {&file_names.input, &file_names.report, &file_names.plot_data, &file_names.monitor,
        &file_names.py_curves, &file_names.earth_pressure}) {
    if (names->at_end()) break;
    *name = trim_right(names->read_fixed(kFileNameWidth, "a file name"));
  }
}

RunResult report_stop(RunContext& context, const RunStop& stop) {
  const DriverFormats& f = formats();
  TextUnit& report = context.files.report;
  Outcome outcome = Outcome::error_stop;
  switch (stop.kind()) {
    case StopKind::bad_input:
      report.write(f.input_error, {std::string_view(stop.message())});
      outcome = Outcome::bad_input;
      break;
    case StopKind::error_stop:
      switch (stop.error_stop()) {
        case ErrorStop::stations_not_in_order:
          report.write(f.not_in_order);
          break;
        case ErrorStop::too_much_data:
          report.write(f.too_much);
          break;
        case ErrorStop::data_beyond_end:
          report.write(f.beyond_end);
          break;
      }
      break;
    case StopKind::quiet_stop:
      break;
    case StopKind::stop_code:
      break;
    case StopKind::not_available:
      report.write(f.not_available, {std::string_view(stop.message())});
      break;
  }
  context.console << stop.message() << '\n';
  const InputPlace& place = stop.place();
  return RunResult{outcome, stop.message(),
                   StopPlace{place.file, place.line, place.item, place.path}};
}

void run_problems(RunContext& context) {
  for (;;) {
    run_one_problem(context);
    const int code = context.run.continuation;
    const ProblemState& problem = context.problem;
    if (code == 0 || code == problem.control.stages) return;
    write_results_group(context.files.plot, problem.control, problem.geometry, problem.results,
                        code == 9 ? 2 : problem.control.stages);
  }
}

void end_sequence(RunContext& context) {
  const DriverFormats& f = formats();
  const ProblemState& problem = context.problem;
  context.run.continuation = 0;
  context.files.report.write(f.end_of_analysis);
  context.files.monitor.write(f.end_of_analysis);
  write_results_group(context.files.plot, problem.control, problem.geometry, problem.results,
                      problem.control.stages);
  context.files.report.close();
  context.files.input.reset();
  context.files.plot.close();
  context.files.monitor.close();
}

LocalTime system_local_time() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return LocalTime{};
  return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string solution_warning(const ProblemResult& problem) {
  if (!problem.solved || problem.results) return {};
  switch (problem.outcome) {
    case IterationOutcome::not_finite:
      return "SOLUTION FAILED: DEFLECTIONS ARE NOT FINITE";
    case IterationOutcome::allowable_deflection_exceeded:
      return "MAX ALLOWABLE DEFLECTION EXCEEDED AT " +
             std::to_string(problem.stations_over_allowable) + " STATIONS";
    case IterationOutcome::iteration_limit_reached:
      return "MAXIMUM NUMBER OF ITERATIONS REACHED, SOLUTION NOT CLOSED WITHIN SPECIFIED "
             "TOLERANCE AT " +
             std::to_string(problem.stations_not_closed) + " STATIONS";
    case IterationOutcome::converged:
    case IterationOutcome::single_pass:
      break;
  }
  return "NO VALID SOLUTION";
}

std::string balance_warning(const ProblemResult& problem) {
  if (!problem.results || !(problem.force_residual > kForceResidualWarning)) return {};
  char percent[32];
  std::snprintf(percent, sizeof percent, "%.2f", 100.0 * problem.force_residual);
  return std::string("THE FORCES ON THE WALL BALANCE ONLY TO ") + percent +
         " %: TIGHTEN THE DEFLECTION CLOSURE TOLERANCE";
}

const char* warning_kind_name(WarningKind kind) {
  switch (kind) {
    case WarningKind::backfill_slope_too_steep:
      return "backfill_slope_too_steep";
    case WarningKind::net_active_pressure_negative:
      return "net_active_pressure_negative";
    case WarningKind::small_deflection_modulus:
      return "small_deflection_modulus";
    case WarningKind::no_valid_solution:
      return "no_valid_solution";
    case WarningKind::forces_out_of_balance:
      return "forces_out_of_balance";
  }
  return "unknown";
}

const char* outcome_name(Outcome outcome) {
  switch (outcome) {
    case Outcome::completed:
      return "completed";
    case Outcome::error_stop:
      return "error stop";
    case Outcome::bad_input:
      return "bad input";
    case Outcome::could_not_start:
      return "could not start";
  }
  return "unknown";
}

namespace {

RunResult run_in_context(RunContext& context) {
  try {
    read_run_list(context);
  } catch (const RunStop& stop) {
    context.console << stop.message() << '\n';
    return RunResult{Outcome::could_not_start, stop.message()};
  }
  if (std::optional<std::string> message = open_files(context)) {
    context.console << *message << '\n';
    return RunResult{Outcome::could_not_start, *message};
  }

  use_transient_files(context);
  return run_opened(context);
}

}  // namespace

RunResult run_opened(RunContext& context) {
  RunResult result;
  try {
    run_problems(context);
  } catch (const RunStop& stop) {
    result = report_stop(context, stop);
  } catch (const std::bad_alloc&) {
    result = RunResult{Outcome::error_stop, "not enough memory for the problem"};
    context.console << result.message << '\n';
  } catch (const std::exception& error) {
    result = RunResult{Outcome::error_stop, std::string("internal error: ") + error.what()};
    context.console << result.message << '\n';
  }
  end_sequence(context);
  return result;
}

RunResult run(const std::filesystem::path& working_dir, std::ostream& console,
              const Clock& clock) noexcept {
  try {
    RunContext context(working_dir, console, clock);
    return run_in_context(context);
  } catch (const std::exception& error) {
    return RunResult{Outcome::error_stop, std::string("internal error: ") + error.what()};
  } catch (...) {
    return RunResult{Outcome::error_stop, "internal error"};
  }
}

}  // namespace kestro
