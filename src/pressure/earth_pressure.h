// The earth-pressure step of a problem, as the driver runs it: the records
// are read after the p-y modification factors, then the pressure is
// generated (or taken from the specified table) and added to the station
// loads.
#pragma once

#include <ostream>
#include <span>

#include "common/list_input.h"
#include "common/text_unit.h"
#include "common/transient_file.h"
#include "common/unit_labels.h"
#include "common/wall_model.h"
#include "input/problem_records.h"
#include "pressure/computation_layers.h"
#include "pressure/pressure_loads.h"
#include "pressure/pressure_records.h"
#include "pressure/retained_soil_curves.h"
#include "pressure/wall_group.h"

namespace kestro {

// Everything the earth-pressure step keeps for one problem.  Reset by
// read_earth_pressure_records, so a problem sees only its own records.
struct EarthPressureProblem {
  SpecifiedPressure table;      // earth-pressure option 1
  bool has_wall_group = false;  // the wall group was read
  WallGroup wall;               // also read by the p-y generation
  ComputationLayers layers;     // generated earth pressure
  PressureLoads loads;          // the load distribution applied to the stations
};

// Reads the earth-pressure records of a problem: the specified table (with
// its echo) when the earth-pressure option is 1, then the wall group when the
// option is 2 or more or the p-y generation option is 2.  Bad input stops the
// run as described for the two readers.
void read_earth_pressure_records(DeckSource& input, TextUnit& report, const UnitLabels& labels,
                                 const ControlParameters& control, EarthPressureProblem& problem);

// Turns the records into loads and writes the plot-data earth-pressure group.
// Option 0: the group is the single record 0 and nothing else happens.
// Option 1: the surcharge pressure times WA is added to the specified table,
// which becomes station loads.  Options 2 to 5: the computation layers, their
// tables, the layer resultants and the distribution are computed and printed,
// the earth-pressure file is written (when the run keeps text) and the
// points it carries (earth_pressure_file_values) become the loads, printed
// and added to Q of the wall; with option 4 the stations above the
// excavation get retained-soil curves, appended to `curves` (empty until
// then), instead of loads.  tieback_depths are the depths of the tie-backs in
// base units, input order; `input` names the input data file in messages.
// Stops: codes 1 and 2 for layers that miss the excavation level or
// overflow; bad input for an earth-pressure file that cannot be written or
// would not read back, and as apply_retained_soil says.
void apply_earth_pressure(const DeckSource& input, TextUnit& report, TextUnit& plot,
                          TextUnit& monitor, std::ostream& console, const UnitLabels& labels,
                          const ControlParameters& control, const Geometry& geometry,
                          std::span<const double> tieback_depths, WallModel& wall,
                          std::vector<StationCurve>& curves, const TransientFile& file,
                          EarthPressureProblem& problem);

}  // namespace kestro
