// What the soil-resistance steps read and write: the input data file, the
// report and plot-data file, the console, the problem's records and its
// station-curve list.
#pragma once

#include <ostream>
#include <vector>

#include "common/list_input.h"
#include "common/station_curve.h"
#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "input/problem_records.h"

namespace kestro {

struct SoilContext {
  ListInput& input;
  TextUnit& report;
  TextUnit& plot;
  std::ostream& console;
  const UnitLabels& labels;
  const ControlParameters& control;
  const Geometry& geometry;
  std::vector<StationCurve>& curves;

  ListInput& in() const { return input; }
};

}  // namespace kestro
