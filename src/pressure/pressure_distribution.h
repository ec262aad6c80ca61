// The lateral pressure of the computation layers: per-layer resultants of
// the active earth pressure and the water pressure, and the distribution of
// the pressure on a fine depth grid along the wall, handed on through the
// earth-pressure file.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "pressure/computation_layers.h"
#include "pressure/wall_group.h"

namespace kestro {

// One point of the earth-pressure file: the twelve columns in file order.
// Pressures are per unit width and include FMOD.
struct PressurePoint {
  double x = 0.0;               // 1 depth
  double total = 0.0;           // 2 active + drained water + surcharge, less excavation water
  double active_drained = 0.0;  // 3 active + drained water, less excavation water and surface part
  double surcharge_surface = 0.0;  // 4 surcharge + surface part
  double passive = 0.0;            // 5 passive reference + surcharge
  double at_rest = 0.0;            // 6 at-rest reference + surcharge
  double earth = 0.0;              // 7 earth part of the net pressure, less the surface part
  double water = 0.0;              // 8 net water pressure
  double surface = 0.0;            // 9 surface-pressure part (from QSURF)
  double surcharge = 0.0;          // 10 pressure of the surcharge items
  double apparent = 0.0;           // 11 apparent-pressure diagram (options 3 and 5), else 0
  double net = 0.0;                // 12 net lateral pressure
};

// PA1 .. PA4, Z1 .. Z3 of every layer above the excavation layer, printed as
// the table ACTIVE EARTH PRESSURE OF EACH LAYER.
void compute_earth_resultants(TextUnit& report, const UnitLabels& labels, UnitSystem units,
                              const WallGroup& wall, ComputationLayers& layers);

// PW1 and PW2 of the drained layers between the water layer and the
// excavation layer, printed as ACTIVE WATER PRESSURE OF EACH LAYER when there
// are such layers (which also sets the working KWATER to 1).  When no
// computation layer begins at ZWB there is no water above the excavation.
void compute_water_resultants(TextUnit& report, const UnitLabels& labels, UnitSystem units,
                              const WallGroup& wall, ComputationLayers& layers);

// The sum of all resultants; below 1e-5 the message "Net active pressure is
// negative." goes to the console and the report.  Returns the sum.
double check_net_active(TextUnit& report, std::ostream& console, const WallGroup& wall,
                        ComputationLayers& layers);

// Largest number of points of a pressure distribution (one per inch or per
// 0.05 m): 100000 inches or 5000 m of wall and soil.
inline constexpr int kMaxDistributionPoints = 100000;

// The inputs of the distribution besides the layers.
struct DistributionSetup {
  int earth_pressure_option = 2;  // 2 .. 5
  UnitSystem units = UnitSystem::english;
  double wall_length = 0.0;            // N*h: the grid ends at the bottom of the wall
  std::vector<double> tieback_depths;  // in base units, in input order (options 3 and 5)
};

// The points of the earth-pressure file: the point at depth 0, then for each
// computation layer n points evenly over it (n = its length rounded, in
// inches, or 20 times it rounded, in metres; the last layer reaches to the
// bottom of the wall).  Options 3 and 5 replace the points above the
// excavation level by the apparent-pressure diagram.  Layers that would need
// more than kMaxDistributionPoints points are bad input.
std::vector<PressurePoint> pressure_distribution(const WallGroup& wall,
                                                 const ComputationLayers& layers,
                                                 const DistributionSetup& setup);

// The text of the earth-pressure file: the count, list-directed, then one
// record (12(1X,E12.5)) per point.
std::string earth_pressure_file_text(std::span<const PressurePoint> points);

// Significant digits the earth-pressure file keeps of every value: E12.5.
inline constexpr int kEarthPressureFileDigits = 5;

// The points as the earth-pressure file carries them to the next step: each
// of their twelve values as round_to_significant(value, 5) keeps it, what
// reading the file back gives.  A point with a value that would not read
// back (NaN, infinite) stops the run with the reader's message for its
// record, naming the file `label` (bad input).
std::vector<PressurePoint> earth_pressure_file_values(std::vector<PressurePoint> points,
                                                      const std::string& label);

}  // namespace kestro
