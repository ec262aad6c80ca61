// User-specified p-y curves: read point by point from the input data file,
// echoed into the report and the plot-data file, and attached to their
// stations in the station-curve list.
#pragma once

#include <vector>

#include "common/list_input.h"
#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "soil/py_generation.h"
#include "soil/soil_context.h"

namespace kestro {

// Most points one user curve may have.
inline constexpr int kMaxUserCurvePoints = 1000;

// Reads control.user_py_curves curves (p-y option 0 or 1) and appends them to
// context.curves (after the retained-soil curves of earth-pressure option 4)
// with the multipliers applied and p given per station.  More than 400
// curves in the list, or more points than a curve may hold, end the run
// with "TOO MUCH DATA FOR AVAILABLE STORAGE"; a negative count ends it
// quietly; a curve with fewer than two points or with deflections that do
// not increase is bad input.
void read_user_curves(const SoilContext& context);

// Reads `count` user curves given with generated ones (p-y option 2): the
// title, column head, one row per curve in the closing layout with the
// continuation flag 0 that a problem's store starts with, and the points with
// their multipliers go to the report (the plot-data file gets them at the
// read-back).  The curves are returned with their multipliers applied.
// More than 400 curves or more points than a curve may hold end the run with
// "TOO MUCH DATA FOR AVAILABLE STORAGE"; a negative count ends it quietly; a
// curve with fewer than two points or with deflections that do not increase
// is bad input.
std::vector<HeldUserCurve> read_held_user_curves(DeckSource& input, TextUnit& report,
                                                 const UnitLabels& labels, int count);

}  // namespace kestro
