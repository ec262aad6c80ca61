// The retained-soil curves of earth-pressure option 4: above the excavation
// the pressure of the retained soil follows the wall's deflection, from the
// passive pressure (the wall pushed into the soil) through the at-rest
// pressure (no movement) to the active pressure (the wall moving away), as a
// six-point p-y curve at each station above the excavation.  Below the
// excavation the stations get the loads of the pressure distribution as with
// the other options.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "common/list_input.h"
#include "common/station_curve.h"
#include "common/unit_labels.h"
#include "common/wall_model.h"
#include "input/deck_source.h"
#include "input/problem_records.h"
#include "pressure/pressure_loads.h"
#include "pressure/wall_group.h"

namespace kestro {

// Points of a retained-soil curve.
inline constexpr std::size_t kRetainedCurvePoints = 6;

// The excavation station e: the excavation depth over h, rounded half away
// from zero, plus 1.  Stations above it carry curves, stations below it
// loads, the station itself neither.
int excavation_station(double excavation_depth, double h);

// The six deflections of a retained-soil curve, increasing: y1, -3w/80,
// -w/10667, 0, w/357, y6, with w the analysis width W for spaced elements
// (WA/WP, raised to 1, at least 1.1) or one foot for a continuous wall, and
// y1 = -y6 = -40 in (English) or -1 m (SI).
std::array<double, kRetainedCurvePoints> retained_deflections(double W, double WA, double WP,
                                                              UnitSystem units);

// The third point: p3 = P0 + t*x*W/10667 with t the whole part of the KPY of
// the soil layer holding depth x (the last layer's below them all); 1.5*P0
// when that exceeds Pp or does not exceed P0.  Used for spaced elements and
// continuous walls alike.
double retained_p3(double Pp, double P0, double x, double W, std::span<const SoilLayer> layers);

// Builds the curves of stations 1 .. min(e, NST) - 1 into `curves` (FROM = TO
// = station, CONTD = 0: each acts at its station alone, with its whole
// pressure; six points (y, p*h)) from the read-back distribution:
// at the first grid point at or below the station, Pp = passive column, P0 =
// at-rest column, Pa = active plus surcharge columns.  Then adds to Q the
// loads of the stations below e.  Deflections that do not increase (an
// analysis width of spaced elements that is not positive, or so large that
// 3W/80 reaches y6) are bad input naming the geometry record; more curves
// than the list holds end the run with "TOO MUCH DATA FOR AVAILABLE STORAGE".
void apply_retained_soil(const DeckSource& input, const Geometry& geometry, UnitSystem units,
                         const WallGroup& group, const PressureLoads& loads, WallModel& wall,
                         std::vector<StationCurve>& curves);

}  // namespace kestro
