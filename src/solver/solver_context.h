// What the wall solver reads and writes: the problem's records, its wall
// model and station curves, and the report and monitor file for its
// messages and iteration rows.
#pragma once

#include <vector>

#include "common/station_curve.h"
#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "common/wall_model.h"
#include "input/problem_records.h"

namespace kestro {

struct SolverContext {
  TextUnit& report;
  TextUnit& monitor;
  const ControlParameters& control;
  const Geometry& geometry;
  const WallTables& tables;
  WallModel& wall;
  // Continued curves are rewritten by the iteration (FROM replaced by TO).
  std::vector<StationCurve>& curves;
};

}  // namespace kestro
