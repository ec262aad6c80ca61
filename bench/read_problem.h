// Reads the records of one problem (control record to user p-y curves) into
// a run context, as the driver does before it solves, for benchmarks of the
// steps that follow.
#pragma once

#include "driver/run_context.h"
#include "input/control_records.h"
#include "input/moment_curvature.h"
#include "input/sections.h"
#include "input/station_tables.h"
#include "soil/user_curves.h"

namespace kestro::bench {

// The input data file must be open on the control record.
inline void read_problem_records(RunContext& context) {
  context.in().next_problem();
  context.in().take("title");
  const InputContext input = input_context(context);
  read_control_record(input);
  echo_control_parameters(input);
  read_geometry_record(input);
  check_table_counts(input);
  read_specified_points(input);
  read_wall_sections(input);
  read_cross_sections(input);
  read_moment_curvature_data(input);
  read_stiffness_and_load_data(input);
  read_user_curves(soil_context(context));
}

}  // namespace kestro::bench
