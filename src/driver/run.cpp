#include "driver/run.h"

#include <ctime>
#include <iostream>
#include <new>

#include "common/error_stop.h"
#include "common/run_stop.h"
#include "common/text.h"
#include "common/transient_file.h"
#include "driver/report_header.h"
#include "input/control_records.h"
#include "input/moment_curvature.h"
#include "input/sections.h"
#include "input/station_tables.h"
#include "output/plot_data.h"
#include "output/results_report.h"
#include "pressure/earth_pressure.h"
#include "soil/user_curves.h"
#include "solver/flexural_rigidity.h"
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
  FortranFormat stop_message = FortranFormat::parse("(//5X,A)");
  FortranFormat stop_message_spaced = FortranFormat::parse("(//5X,A//)");
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
  const auto& names = context.run.file_names;
  const char* roles[] = {"input data file", "report file", "plot-data file", "monitor file"};
  for (std::size_t i = 0; i < 4; ++i) {
    if (names[i].empty()) {
      return std::string("NAMES.dat names no ") + roles[i] + " (record " + std::to_string(i + 5) +
             " is missing or blank)";
    }
  }
  std::filesystem::path input_path = resolve(context, names[0]);
  std::error_code error;
  if (std::filesystem::is_directory(input_path, error)) {
    return "cannot open the input data file \"" + names[0] + "\": it is a directory";
  }
  context.input = ListInput::open(input_path.string(), input_path.filename().string());
  if (!context.input) return "cannot open the input data file \"" + names[0] + "\"";
  TextUnit* outputs[] = {&context.report, &context.plot, &context.monitor};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!outputs[i]->open(resolve(context, names[i + 1]))) {
      for (TextUnit* unit : outputs)
        unit->close();
      return std::string("cannot open the ") + roles[i + 1] + " \"" + names[i + 1] + "\"";
    }
  }
  return std::nullopt;
}

// Ends the run on input that asks for an analysis step this version of the
// engine does not have.
[[noreturn]] void not_available(RunContext& context, const std::string& what) {
  const std::string message = "NOT AVAILABLE IN THIS VERSION OF THE ENGINE: " + what;
  context.report.write(formats().not_available, {std::string_view(message)});
  throw RunEnded(Outcome::error_stop, message);
}

// The earth-pressure records and the loads they give the stations.
void run_earth_pressure(RunContext& context) {
  EarthPressureProblem& problem = context.earth_pressure;
  read_earth_pressure_records(context.in(), context.report, context.labels, context.control,
                              problem);
  const double scale = context.control.units == UnitSystem::english ? 12.0 : 1.0;
  std::vector<double> tieback_depths;
  for (const TieBack& tieback : context.tables.tiebacks)
    tieback_depths.push_back(tieback.depth * scale);
  apply_earth_pressure(
      context.report, context.plot, context.monitor, context.console, context.labels,
      context.control, context.geometry, tieback_depths, context.wall,
      file_hand_over(context.working_dir, context.run.file_names[5], "earth-pressure file", 10),
      problem);
}

// Records 6 to 11 of a problem: the wall model and its loads.
void read_wall_model(RunContext& context) {
  read_wall_sections(context);
  read_cross_sections(context);
  read_moment_curvature_data(context);
  echo_nonlinear_ei(context);
  read_stiffness_and_load_data(context);
  const ControlParameters& c = context.control;
  if (c.py_factors < 0) {
    quiet_stop(context.in(), c.line, "negative number of p-y modification factors");
  }
  if (c.py_factors > 0) not_available(context, "p-y modification factors");
  run_earth_pressure(context);
  if (c.py_option == 2) not_available(context, "generated p-y curves");
}

void run_one_problem(RunContext& context) {
  ListInput& in = context.in();
  const DriverFormats& f = formats();

  const std::string title = fit(in.read_fixed(kTitleWidth, "the title of a problem"), kTitleField);
  context.run.title = title;
  context.run.problem += 1;
  if (context.run.problem == 1) context.run.first_title = title;
  context.have_results = false;

  context.run.continuation = 0;
  read_control_record(context);
  if (context.run.problem > 1) context.report.write(f.two_empty_lines);
  write_report_header(context);
  for (TextUnit* unit : {&context.report, &context.monitor}) {
    unit->write(f.empty_line);
    write_problem_heading(context, *unit);
  }

  echo_control_parameters(context);
  read_geometry_record(context);
  check_table_counts(context);

  read_specified_points(context);
  const ControlParameters& c = context.control;
  if (c.wall_sections == 0) {
    context.report.write(f.no_wall_sections);
  } else {
    read_wall_model(context);
  }
  if (c.py_option == 2 && c.user_py_curves > 0) {
    not_available(context, "user-specified p-y curves with generated curves");
  }
  const bool user_curves = c.py_option < 2 && (c.user_py_curves != 0 || c.wall_sections > 0);
  if (user_curves) read_user_curves(context);
  if (c.wall_sections > 0) {
    // The solution starts with the problem heading again, on the report only.
    write_problem_heading(context, context.report);
    iterate(context);
    write_results(context);
  }

  ListRead read = in.read();
  read.integer(context.run.continuation);
  read.finish();
}

}  // namespace

void read_run_list(RunContext& context) {
  const std::filesystem::path path = context.working_dir / "NAMES.dat";
  std::optional<ListInput> names = ListInput::open(path.string(), "NAMES.dat");
  if (!names) throw InputError("cannot open the run list \"" + path.string() + "\"");
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
  for (std::string& name : run.file_names) {
    if (names->at_end()) break;
    name = trim_right(names->read_fixed(kFileNameWidth, "a file name"));
  }
}

void run_problems(RunContext& context) {
  for (;;) {
    run_one_problem(context);
    const int code = context.run.continuation;
    if (code == 0 || code == context.control.stages) return;
    write_results_group(context, code == 9 ? 2 : context.control.stages);
  }
}

void end_sequence(RunContext& context) {
  const DriverFormats& f = formats();
  context.run.continuation = 0;
  context.report.write(f.end_of_analysis);
  context.monitor.write(f.end_of_analysis);
  write_results_group(context, context.control.stages);
  context.report.close();
  context.input.reset();
  context.plot.close();
  context.monitor.close();
}

static RunResult end_by_stop(RunContext& context, const RunStop& stop) {
  const DriverFormats& f = formats();
  const std::string_view message = stop.message();
  switch (stop.kind()) {
    case StopKind::bad_input:
      context.report.write(f.input_error, {message});
      break;
    case StopKind::error_stop: {
      const std::string text(error_stop_text(stop.error_stop()));
      context.report.write(
          stop.error_stop() == ErrorStop::too_much_data ? f.stop_message_spaced : f.stop_message,
          {std::string_view(text)});
      break;
    }
    case StopKind::not_available:
      context.report.write(f.stop_message, {message});
      break;
    case StopKind::quiet_stop:
    case StopKind::stop_code:
      break;
  }
  context.console << message << '\n';
  return RunResult{stop.kind() == StopKind::bad_input ? Outcome::bad_input : Outcome::error_stop,
                   stop.message()};
}

LocalTime system_local_time() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return LocalTime{};
  return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec};
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

RunResult run(const std::filesystem::path& working_dir, std::ostream& console, const Clock& clock) {
  RunContext context(working_dir, console, clock);
  RunResult result;
  try {
    read_run_list(context);
  } catch (const InputError& error) {
    console << error.what() << '\n';
    return RunResult{Outcome::could_not_start, error.what()};
  }
  if (std::optional<std::string> message = open_files(context)) {
    console << *message << '\n';
    return RunResult{Outcome::could_not_start, *message};
  }

  try {
    run_problems(context);
  } catch (const RunEnded& end) {
    result = RunResult{end.outcome(), end.message()};
    if (!end.message().empty()) console << end.message() << '\n';
  } catch (const InputError& error) {
    context.report.write(formats().input_error, {std::string_view(error.what())});
    console << error.what() << '\n';
    result = RunResult{Outcome::bad_input, error.what()};
  } catch (const RunStop& stop) {
    result = end_by_stop(context, stop);
  } catch (const std::bad_alloc&) {
    result = RunResult{Outcome::error_stop, "not enough memory for the problem"};
    console << result.message << '\n';
  } catch (const std::exception& error) {
    result = RunResult{Outcome::error_stop, std::string("internal error: ") + error.what()};
    console << result.message << '\n';
  }
  end_sequence(context);
  return result;
}

}  // namespace kestro
