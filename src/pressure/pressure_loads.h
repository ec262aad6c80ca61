// The earth-pressure distribution as loads on the wall: the points the
// earth-pressure file carries, times the effective width, the report table of
// the load, the plot-data earth-pressure group and the loads added to the
// stations.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "common/wall_model.h"
#include "pressure/pressure_distribution.h"

namespace kestro {

// The load distribution of a problem.  points[i].total is the load per unit
// length of wall at points[i].x (the net pressure times the effective width);
// every other pressure column is multiplied by the effective width.  P[i] is
// the load per station: the load per unit length times the increment length.
struct PressureLoads {
  std::vector<PressurePoint> points;
  std::vector<double> P;
};

// The loads of the points of the earth-pressure file (as
// earth_pressure_file_values gives them): every pressure column times the
// effective width, WA down to the excavation depth and WP from the first
// point below it on.  h is the increment length.
PressureLoads pressure_loads(std::vector<PressurePoint> points, double excavation_depth, double WA,
                             double WP, double h);

// The positions (0-based) of the points that the report table and the
// plot-data group show: every point, or every 4th (SI) or 6th (English)
// point when there are more than 50, and always the last one.
std::vector<std::size_t> shown_points(std::size_t count, UnitSystem units);

// Writes the table " DEPTH         ACTIVE EARTH PRESSURE" of the shown
// points: depth (in feet in English runs) and load per unit length.
void write_pressure_table(TextUnit& report, const UnitLabels& labels, UnitSystem units,
                          const PressureLoads& loads, std::span<const std::size_t> shown);

// Writes the plot-data earth-pressure group: NP, then per shown point the
// depth, the load per unit length and columns 12, 7, 9, 11, 10 and 8.
void write_plot_group(TextUnit& plot, const PressureLoads& loads,
                      std::span<const std::size_t> shown);

// Adds the loads to Q of stations first .. NST-1, NST = the depth of the
// last point over h, rounded, plus 1: each station gets the load interpolated
// linearly at its depth (0 above the first point).  Stations below the
// bottom of the wall (beyond N) get nothing.  X must not decrease.
void add_station_loads(WallModel& wall, std::span<const double> X, std::span<const double> P,
                       int first = 1);

}  // namespace kestro
