// What the soil-resistance steps read and write: the deck, the
// report and plot-data file, the console, the problem's records and its
// station-curve list.
#pragma once

#include <ostream>
#include <vector>

#include "common/station_curve.h"
#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "input/deck_source.h"
#include "input/problem_records.h"

namespace kestro {

struct SoilContext {
  DeckSource& input;
  TextUnit& report;
  TextUnit& plot;
  std::ostream& console;
  const UnitLabels& labels;
  const ControlParameters& control;
  const Geometry& geometry;
  std::vector<StationCurve>& curves;

  DeckSource& in() const { return input; }
};

}  // namespace kestro
