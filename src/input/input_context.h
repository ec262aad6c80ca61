// What the input steps read and write: the input data file, the report, the
// unit labels and the problem's records and wall model.  The driver builds
// it from the run context for each step.
#pragma once

#include "common/list_input.h"
#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "common/wall_model.h"
#include "input/problem_records.h"

namespace kestro {

struct InputContext {
  ListInput& input;
  TextUnit& report;
  UnitLabels& labels;
  ControlParameters& control;
  Geometry& geometry;
  WallTables& tables;
  WallModel& wall;

  ListInput& in() const { return input; }
};

}  // namespace kestro
