// Computation layers of the earth-pressure computation: the soil layers split
// at the excavation level and at the backfill water table, with their
// overburden stress and earth-pressure coefficients, and the echo of the wall,
// surcharge and soil information that precedes them in the report.
#pragma once

#include <vector>

#include "kestro/results.h"

#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "pressure/wall_group.h"

namespace kestro {

// Depth tolerance of every comparison of layer depths, held in single precision.
inline constexpr double kDepthTolerance = double(1.0e-5f);
// Optional coefficients above this value replace the computed active coefficient.
inline constexpr double kOptionalCoefficientMin = double(1.0e-7f);

// Unit weight of water of a unit system: 0.036 pci or 9.81 kN/m^3, both held
// in single precision.
double unit_weight_of_water(UnitSystem units);

// Rankine coefficients of one friction angle PHI under a backfill slope BETA
// (both in degrees).
struct EarthCoefficients {
  double KA = 0.0;
  double sqrt_KA = 0.0;
  double KP = 0.0;
  double sqrt_KP = 0.0;
  double K0 = 0.0;
  bool slope_too_steep = false;  // BETA not below PHI: the flat-ground KA was kept
};

// KA = tan^2(45 - PHI/2), or for a sloping backfill with |BETA| < PHI the
// coefficient cos B (cos B - r)/(cos B + r), r = sqrt(cos^2 B - cos^2 PHI);
// KP = tan^2(45 + PHI/2); K0 = 1 - sin PHI.
EarthCoefficients earth_coefficients(double PHI, double BETA);

// One computation layer.  Depths from the top of the wall; resultants are
// forces per unit width (force/length).
struct ComputationLayer {
  double thickness = 0.0;
  double ZTOP = 0.0;
  double S = 0.0;
  double PHI = 0.0;
  double unit_weight = 0.0;  // total unit weight
  bool drained = false;
  bool below_water = false;
  double optional_coefficient = 0.0;
  int IDSOIL = 1;  // soil type of the parent layer
  double SIGVP = 0.0;
  double KA = 0.0;  // as used for the pressure
  double sqrt_KA = 0.0;
  double KP = 0.0;
  double sqrt_KP = 0.0;
  double K0 = 0.0;
  // Resultants of the layer pressures.
  double PA1 = 0.0;
  double Z1 = -1000.0;
  double PA2 = 0.0;
  double Z2 = -1000.0;
  double PA3 = 0.0;
  double PA4 = 0.0;
  double Z3 = double(-1.0e-5f);
  double PW1 = 0.0;
  double PW2 = 0.0;
};

// The computation layers of a problem and the values derived with them.
struct ComputationLayers {
  std::vector<ComputationLayer> layers;
  double ZBOTTOM = 0.0;      // bottom of the last layer (ZTOP of layer NCL+1)
  int IEXC = 0;              // 1-based layer whose top lies at HFREE; 0 when none
  int IWAT = 0;              // 1-based layer whose top lies at ZWB; 0 when none
  bool overflow = false;     // more than kMaxComputationLayers layers were needed
  int KWATER = 0;            // water option as used (set to 1 by the water resultants)
  double gamma_w = 0.0;      // unit weight of water
  SurfaceSurcharge working;  // working surcharge values after the echo
  std::vector<Warning> warnings;  // what the report and the console warn of
};

// Splits the soil layers into computation layers at HFREE and ZWB (special
// depths at or above the surface, or within the tolerance of another, count
// once or not at all; depths below the last layer are not used) and finds
// IEXC and IWAT.  Input layers are used up to the first of zero or negative
// thickness.  Stops splitting and sets overflow when more than 21 would result.
ComputationLayers split_into_computation_layers(const WallGroup& wall, UnitSystem units);

// The working surcharge values: those of the surface record, overwritten in
// turn by every surcharge item of type 1, 2 or 3.
SurfaceSurcharge working_surcharge(const WallGroup& wall);

// Writes the wall, surcharge and soil information (soil rows are the
// computation layers).
void echo_wall_group(TextUnit& report, const UnitLabels& labels, UnitSystem units,
                     const WallGroup& wall, const ComputationLayers& layers);

// Ends the run with stop code 1 when no computation layer begins at HFREE,
// or 2 when the layers overflowed; the reason names the depths.
void check_computation_layers(const ComputationLayers& layers, const WallGroup& wall,
                              UnitSystem units);

// Sets the below-water flags and SIGVP (with the water reduction, printed in
// the EFFECTIVE OVERBURDEN STRESS table, then added back for undrained layers
// below water with an optional coefficient), then the coefficients of every
// layer (printed, with the backfill-slope warning on report and monitor), the
// optional coefficient and earth-pressure option 5, and the notes block.
void compute_stresses_and_coefficients(TextUnit& report, TextUnit& monitor,
                                       const UnitLabels& labels, UnitSystem units,
                                       const WallGroup& wall, int earth_pressure_option,
                                       ComputationLayers& layers);

}  // namespace kestro
