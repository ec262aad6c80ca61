// Lateral pressure on the wall caused by point, line and strip surcharges
// behind it.  The uniform surface pressure is not handled here.
#pragma once

#include <span>

#include "pressure/wall_group.h"

namespace kestro {

// Number of steps of the depth grid on which the surcharge formulas are
// evaluated: the wall length is divided into this many equal steps.
inline constexpr int kSurchargeGridSteps = 200;

// The sum of the lateral pressures of all surcharge items at depth z below
// the top of the wall (force per unit area).  Each item is evaluated at the
// largest grid depth k*L/200 (k = 1 .. 200) that is smaller than z + ZSUR, and
// gives 0 when there is none, so the pressure changes in steps along the wall.
// Items of a type other than 1, 2 or 3 give 0.  HFREE must be at least 1e-6
// when an item of type 1 to 3 is present (the input refuses less); a wall
// length L of 0 or less gives 0.
double surcharge_pressure(double z, std::span<const Surcharge> items, double HFREE, double L);

// The lateral pressures of single loads at depth d below the load, behind a
// wall of free height H, the load at horizontal distance x from the wall.
// Point load Q (force) and line load Q (force per length) change formula at
// x/H = 0.4; the strip of pressure Q and width b is centred at x.
double point_load_pressure(double Q, double x, double d, double H);
double line_load_pressure(double Q, double x, double d, double H);
double strip_load_pressure(double Q, double x, double b, double d);

// The pressure of the working surcharge values (the last surcharge item of
// type 1 to 3, or the single surcharge of the surface record) at depth z.
// Their factor is not applied, z is not shifted by the surcharge level, a
// value of 1e-4 or less contributes nothing, and the strip uses the constant
// 2/pi held in single precision.
double working_surcharge_pressure(const SurfaceSurcharge& working, double z, double HFREE);

}  // namespace kestro
