// The wall group of a problem's input: the wall record, the surface pressure
// and surcharges, and the soil layers, as read.  The earth-pressure
// computation and the p-y generation both read it; neither changes it.
// Lengths, forces and unit weights are in the run's base units (inches,
// pounds, psi, pounds per cubic inch; metres, kN, kPa, kN/m^3); surcharge
// lengths of SI runs are already converted from millimetres.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "common/run_stop.h"

namespace kestro {

// Capacities of the wall group's tables.
inline constexpr int kMaxSoilLayers = 21;
inline constexpr int kMaxSurcharges = 20;
inline constexpr int kMaxComputationLayers = 21;

// Soil type of a layer (IDSOIL).  Any other code is kept as read and is
// generated with the soft-clay model.
enum class SoilType : int {
  soft_clay = 1,
  stiff_clay_free_water = 2,
  stiff_clay_no_free_water = 3,
  sand = 4,
  silt = 5,
  rock = 6,
  weak_rock = 7,
};

// The six values given at the top or at the bottom of a soil layer.
struct SoilLayerValues {
  double unit_weight = 0.0;  // total unit weight
  double S = 0.0;            // cohesion or undrained strength (meaning per soil type)
  double PHI = 0.0;          // friction angle, degrees
  double E50 = 0.0;
  double KPY = 0.0;
  double P6 = 0.0;  // sixth parameter: optional active coefficient (types 1-5) or rock parameter
};

// One soil layer (records W6, W7, W8).
struct SoilLayer {
  int IDSOIL = 1;
  double ZBOT = 0.0;       // depth of the bottom of the layer below the top of the wall
  double thickness = 0.0;  // ZBOT less the ZBOT of the layer above (ZBOT for layer 1)
  SoilLayerValues top;
  SoilLayerValues bottom;
  std::size_t line = 0;     // line of the input data file holding IDSOIL
  InputPlace bottom_place;  // where ZBOT is given (a line and item, or a JSON path)

  // Sand, silt, rock and weak rock are drained; clays are not.
  bool drained() const { return IDSOIL >= 4; }
};

// One surcharge item (record W4).
struct Surcharge {
  int KSUR = 0;       // 1 point load, 2 line load, 3 strip load; others are ignored
  double QSUR = 0.0;  // force, force per length or pressure
  double XSUR = 0.0;  // horizontal distance from the wall (middle of a strip)
  double BSUR = 0.0;  // width of a strip
  double ZSUR = 0.0;  // vertical distance from the top of the wall
  double FSUR = 0.0;  // factor on the load
  std::size_t line = 0;
};

// The single surcharge of record W2, given with the surface pressure.
struct SurfaceSurcharge {
  double distance = 0.0;
  double point_load = 0.0;
  double line_load = 0.0;
  double strip_pressure = 0.0;
  double strip_width = 0.0;
};

struct WallGroup {
  // W1
  double HFREE = 0.0;   // free height: depth of the excavation level
  double WA = 0.0;      // width for earth pressure
  double WP = 0.0;      // width for soil resistance
  double ZWB = 0.0;     // depth of the water table at the backfill
  double ZWE = 0.0;     // depth of the water table at the excavation
  double FMOD = 0.0;    // factor on the active earth pressure
  int KWATER = 0;       // water-pressure option of drained layers
  double BETA = 0.0;    // slope of the backfill, degrees
  double SLOPEX = 0.0;  // slope of the excavation ground, degrees
  // W2
  double QSURF = 0.0;  // uniform surface pressure on the backfill
  SurfaceSurcharge surface;
  // W3, W4
  std::vector<Surcharge> surcharges;
  // W5
  int loading_flag = 1;      // 1 static, 0 cyclic loading of the p-y curves
  double load_cycles = 0.0;  // number of cycles as read
  std::vector<SoilLayer> layers;

  std::size_t line = 0;       // line of the input data file holding HFREE
  std::size_t soil_line = 0;  // line of the record with the number of soil layers
  std::string deck;           // the input data file, for messages
  // Places messages name, as the deck gives them (a line and item, or in a
  // deck read from JSON its path): HFREE, BETA, the number of soil layers.
  InputPlace free_height_place;
  InputPlace backfill_slope_place;
  InputPlace soil_count_place;
};

// Where the soil layers end, for the stops about depths beyond them: the
// bottom depth ZBOT of the last layer (item 2 of its head record), or the
// record with the number of layers when there is none.
InputPlace soil_end_place(const WallGroup& group);

}  // namespace kestro
