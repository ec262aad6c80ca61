#include "input/control_records.h"

#include <string>
#include <string_view>

#include "common/run_stop.h"
#include "common/text.h"

namespace kestro {

namespace {

constexpr std::size_t kLabelWidth = 51;

struct ControlFormats {
  FortranFormat control_head = FortranFormat::parse(
      "(//6X,50('*')/6X,'*        PROGRAM CONTROL PARAMETERS              *'/6X,50('*')/)");
  FortranFormat count_line = FortranFormat::parse("(6X,A,'= ',I2)");
  FortranFormat empty_line = FortranFormat::parse("()");
  FortranFormat hinge_lines = FortranFormat::parse(
      "(6X,'CONSIDER ZERO MOMENT (AASHTO HINGE MODEL) IN WALL'/"
      "6X,'AT TIE BACK LOCATIONS EXCEPT TOP ONE'/)");
  FortranFormat height_line = FortranFormat::parse("(/6X,A,'= ',F10.3,A3)");
  FortranFormat integer_line = FortranFormat::parse("(6X,A,'= ',I10)");
  FortranFormat real_line = FortranFormat::parse("(6X,A,'= ',F10.3,A3)");
  FortranFormat tolerance_line = FortranFormat::parse("(6X,A,'= ',1PE10.3,A3)");
};

const ControlFormats& formats() {
  static const ControlFormats kFormats;
  return kFormats;
}

// A label left-justified in its field.
std::string label(std::string_view text) {
  return fit(text, kLabelWidth);
}

}  // namespace

void read_control_record(const InputContext& context) {
  ControlParameters& c = context.control;
  context.in().take("control/hinge_option");
  const deck::Control& record = context.records().control;
  c.unit_flag = static_cast<int>(record.units);
  c.line = context.in().line_of("control/units");
  c.specified_points = record.specified_point_count;
  c.wall_sections = record.wall_section_count;
  c.cross_sections = record.cross_section_count;
  c.py_factors = record.py_factor_count;
  c.earth_pressure_option = static_cast<int>(record.earth_pressure_option);
  c.py_option = static_cast<int>(record.py_option);
  c.user_py_curves = record.user_curve_count;
  c.stages = record.stages;
  c.ei_sets = record.ei_set_count;
  c.tiebacks = record.tieback_count;
  c.hinge_option = static_cast<int>(record.hinge_option);
}

void echo_control_parameters(const InputContext& context) {
  ControlParameters& c = context.control;
  if (c.unit_flag != 1 && c.unit_flag != 2) {
    stop_bad_record(context.in(), c.line,
                    "the unit flag must be 1 (English units) or 2 (SI units), found " +
                        std::to_string(c.unit_flag));
  }
  c.units = c.unit_flag == 2 ? UnitSystem::si : UnitSystem::english;
  set_unit_labels(context.labels, label_selector(c.units));

  const ControlFormats& f = formats();
  TextUnit& report = context.report;
  report.write(f.control_head);
  const struct {
    std::string_view text;
    int value;
  } lines[] = {
      {"NO OF POINTS FOR SPECIFIED DEFLECTIONS AND SLOPES", c.specified_points},
      {"NO OF WALL SECTIONS", c.wall_sections},
      {"NO OF CROSS SECTIONS", c.cross_sections},
      {"GENERATE EARTH PRESSURE INTERNALLY", c.earth_pressure_option >= 2 ? 1 : 0},
      {"GENERATE SOIL RESISTANCE (P-Y) CURVES INTERNALLY", c.py_option == 2 ? 1 : 0},
      {"NO OF P-Y MODIFICATION FACTORS FOR GEN. P-Y CURVES", c.py_factors},
      {"NO OF USER-SPECIFIED SOIL RESISTANCE (P-Y) CURVES", c.user_py_curves},
      {"NO OF TIE BACKS", c.tiebacks},
  };
  for (const auto& line : lines) {
    report.write(f.count_line, {std::string_view(label(line.text)), line.value});
  }
  if (c.tiebacks < 1) {
    report.write(f.empty_line);
  } else if (c.hinge_option == 1) {
    report.write(f.hinge_lines);
  }
}

void read_geometry_record(const InputContext& context) {
  Geometry& g = context.geometry;
  DeckSource& in = context.in();
  in.take("geometry/reserved_10");
  const deck::Geometry& record = context.records().geometry;
  g.N = record.increments;
  g.h = record.increment_length;
  g.max_deflection = record.max_deflection;
  g.tolerance = record.tolerance;
  g.excavation_depth = record.excavation_depth;
  g.width = record.width;
  g.wall_height = record.wall_height;
  g.max_iterations = record.max_iterations;
  g.unused9 = record.reserved_9;
  g.unused10 = record.reserved_10;
  g.line = in.current_line();

  const ControlFormats& f = formats();
  const UnitLabels& labels = context.labels;
  TextUnit& report = context.report;
  const bool si = context.control.units == UnitSystem::si;
  const double height = si ? g.wall_height : g.wall_height / 12.0;
  const std::string_view height_label = si ? labels.length : labels.depth.substr(0, 3);
  report.write(f.height_line, {std::string_view(label("HEIGHT OF WALL")), height, height_label});
  report.write(f.integer_line, {std::string_view(label("NUMBER OF INCREMENTS")), g.N});
  report.write(f.real_line, {std::string_view(label("INCREMENT LENGTH")), g.h, labels.length});

  if (g.max_iterations < 0)
    stop_quietly(place_of(in, g.line),
                 "negative maximum number of iterations (item 8 of the geometry record is " +
                     std::to_string(g.max_iterations) + ")");
  if (g.max_iterations > 0) {
    report.write(f.real_line, {std::string_view(label("MAXIMUM ALLOWABLE DEFLECTION")),
                               g.max_deflection, labels.length});
    report.write(f.tolerance_line, {std::string_view(label("DEFLECTION CLOSURE TOLERANCE")),
                                    g.tolerance, labels.length});
    report.write(f.integer_line,
                 {std::string_view(label("MAXIMUM NUMBER OF ITERATIONS")), g.max_iterations});
  }

  if (g.N > kMaxIncrements) {
    stop_error(
        ErrorStop::too_much_data, place_of(in, g.line),
        "more than " + std::to_string(kMaxIncrements) + " increments: " + std::to_string(g.N));
  }
  if (g.N < 1) {
    stop_bad_record(in, g.line,
                    "the number of increments must be at least 1, found " + std::to_string(g.N));
  }
  if (!(g.h > 0.0)) {
    stop_bad_record(in, g.line, "the increment length must be greater than 0");
  }
  context.wall.N = g.N;
  context.wall.h = g.h;
  clear_problem_data(context.wall);
}

void check_table_counts(const InputContext& context) {
  const ControlParameters& c = context.control;
  const DeckSource& in = context.in();
  if (c.specified_points < 0) {
    stop_quietly(place_of(in, c.line),
                 "negative number of specified deflection points (control item 2 is " +
                     std::to_string(c.specified_points) + ")");
  }
  if (c.specified_points > kMaxSpecifiedPoints) {
    stop_error(
        ErrorStop::too_much_data, place_of(in, c.line),
        "more than " + std::to_string(kMaxSpecifiedPoints) +
            " points of specified deflection and slope: " + std::to_string(c.specified_points));
  }
  if (c.wall_sections < 0)
    stop_quietly(place_of(in, c.line), "negative number of wall sections (control item 3 is " +
                                           std::to_string(c.wall_sections) + ")");
}

}  // namespace kestro
