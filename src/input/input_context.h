// What the input steps read and write: the deck's records, the report, the
// unit labels and the problem's records and wall model.  The driver builds
// it from the run context for each step.
#pragma once

#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "common/wall_model.h"
#include "input/deck_source.h"
#include "input/problem_records.h"

namespace kestro {

struct InputContext {
  DeckSource& source;
  TextUnit& report;
  UnitLabels& labels;
  ControlParameters& control;
  Geometry& geometry;
  WallTables& tables;
  WallModel& wall;

  DeckSource& in() const { return source; }
  const deck::Problem& records() const { return source.problem(); }
};

}  // namespace kestro
