// The soil below the excavation as the p-y models see it: the p-y layers,
// the strength profile and the effective unit-weight profile, with depth x
// measured below the excavation surface, and their echo in the report.
#pragma once

#include <cstddef>
#include <ostream>
#include <string_view>
#include <vector>

#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "input/problem_records.h"
#include "pressure/wall_group.h"
#include "soil/py_multipliers.h"

namespace kestro {

class DeckSource;

// Labels of the soil echo and the curve blocks: depths ("FT" or " M"),
// lengths inside units ("IN" or " M") and forces ("LBS" or " KN").
struct SoilLabels {
  std::string_view depth;
  std::string_view inner;
  std::string_view force;
};
SoilLabels soil_labels(UnitSystem units);

// Unit weight of water: 0.036 pci or 9.81 kN/m^3, single-precision values.
double water_unit_weight(UnitSystem units);
// Depths are printed in feet (English) or metres (SI): the divisor.
double depth_print_divisor(UnitSystem units);

// A soil layer, or the part of it, that lies below the excavation surface and
// above the curve limit depth.  Its top values stand at XT and its bottom
// values at XBot (interpolated there when the layer was cut).
struct PyLayer {
  int IDSOIL = 1;
  double XT = 0.0;
  double XBot = 0.0;
  SoilLayerValues top;
  SoilLayerValues bottom;
  std::size_t soil_layer = 0;  // index of the soil layer it comes from
  std::size_t line = 0;        // line of its IDSOIL record
};

// A point of the strength profile; PHI in radians, KPY the layer's top value.
struct StrengthPoint {
  double X = 0.0;
  double S = 0.0;
  double PHI = 0.0;
  double E50 = 0.0;
  double P6 = 0.0;
  double KPY = 0.0;
};

// A point of the effective unit-weight profile.
struct WeightPoint {
  double X = 0.0;
  double gamma = 0.0;
};

struct SoilProfile {
  double H = 0.0;   // HFREE: the excavation surface below the top of the wall
  double XL = 0.0;  // curve limit depth below the excavation surface
  std::vector<PyLayer> layers;
  std::vector<StrengthPoint> strength;  // two points per p-y layer
  std::vector<WeightPoint> weight;      // two per layer, four where the water table cuts one
  InputPlace end;                       // where the soil layers end, for the stops beyond them
};

// Strength values at a depth: S, PHI (radians), E50 and P6.
struct StrengthValues {
  double S = 0.0;
  double PHI = 0.0;
  double E50 = 0.0;
  double P6 = 0.0;
};

// Builds the p-y layers and both profiles.  Bad input naming the line: a
// width WP that is not positive, a slope SLOPEX of 90 degrees or more (the
// excavation side would lose or reverse its resistance), a wall that does not
// reach below the
// excavation; for clay layers a negative strength, unit weight or KPY or an
// E50 that is not positive; for sand and silt a PHI outside 0..90 degrees
// (sand: above 0), a KPY that is not positive, a negative unit weight or
// cohesion, or (continuous wall) a PHI whose passive coefficient is
// infinite; for rock a negative strength or unit weight, and for weak rock
// also an E50 (krm) or KPY (Eir) that is not positive or an RQD outside
// 0..100.  No soil layer below the excavation surface
// stops the run with code 1.
SoilProfile build_soil_profile(const WallGroup& group, const Geometry& geometry, UnitSystem units,
                               const DeckSource& input);

// The strength profile at depth x, with the layer-boundary rule: S of the
// deeper layer, the mean of PHI, E50 and P6 of both.  A depth beyond the
// profile writes the warning twice to the console and stops the run with
// code 1.
StrengthValues strength_at(const SoilProfile& profile, double x, std::ostream& console);

// The same depth check with the report variant of the warning (stiff clays):
// returns when x lies within the strength profile; otherwise the warning goes
// to the report and the run stops with code 1.
void check_strength_depth(const SoilProfile& profile, double x, TextUnit& report);

// The same depth check for the friction angle of sand and silt: beyond the
// profile the PHI variant of the warning goes to the console once and the run
// stops without a stop code.
void check_phi_depth(const SoilProfile& profile, double x, std::ostream& console);

// Mean effective unit weight from the excavation surface down to x.  A depth
// below the profile stops the run with code 4.
double average_unit_weight(const SoilProfile& profile, double x);

// Overburden on the backfill side at depth z below the top of the wall:
// QSURF plus the weight of the soil layers above z, sand below ZWB weighed
// with the buoyant unit weight.  z below the last layer writes the warning to
// the report and stops the run with code 4.
double backfill_overburden(const WallGroup& group, UnitSystem units, double z, TextUnit& report);

// The five curve depths of a p-y layer, below the excavation surface: its
// top plus an offset (0.01 m or 0.1 in), its quarter points and its bottom
// less the offset; in a layer thinner than four offsets the offset shrinks
// to a quarter of the thickness, so the depths stay inside the layer and in
// order.
std::vector<double> curve_depths(const PyLayer& layer, UnitSystem units);

// The soil echo: title, excavation level, layers, both profiles, the
// reduction-factor table when it has rows, and the heading of the curves.
void echo_soil_profile(TextUnit& report, const SoilProfile& profile,
                       const ReductionFactors& factors, UnitSystem units, bool cyclic);

}  // namespace kestro
