// The records of a problem that every later step reads: control parameters
// and the geometry and iteration record, with the values derived from them.
#pragma once

#include <cstddef>

#include "common/unit_labels.h"

namespace kestro {

// Capacities of the problem-wide store.
inline constexpr int kMaxSpecifiedPoints = 20;
inline constexpr int kMaxIncrementsStored = 409;  // station arrays hold stations -3 to 412

// The control record: twelve integers.
struct ControlParameters {
  int unit_flag = 0;             // 1 English, 2 SI
  int specified_points = 0;      // NO OF POINTS FOR SPECIFIED DEFLECTIONS AND SLOPES
  int wall_sections = 0;         // NO OF WALL SECTIONS
  int cross_sections = 0;        // NO OF CROSS SECTIONS
  int py_factors = 0;            // NO OF P-Y MODIFICATION FACTORS FOR GEN. P-Y CURVES
  int earth_pressure_option = 0; // 0 none, 1 table, 2..5 generated
  int py_option = 0;             // 2 generated, 0/1 user curves only, 3+ none
  int user_py_curves = 0;        // NO OF USER-SPECIFIED SOIL RESISTANCE (P-Y) CURVES
  int stages = 0;                // number of stages
  int ei_sets = 0;               // number of user-defined nonlinear EI sets
  int tiebacks = 0;              // NO OF TIE BACKS
  int hinge_option = 0;          // 1: zero moment at tie-backs below the top one

  UnitSystem units = UnitSystem::english;
  std::size_t line = 0;  // line of the input data file holding the unit flag
};

// The geometry and iteration record and the values derived from it.
struct Geometry {
  int N = 0;                     // number of increments; stations 0..N
  double h = 0.0;                // increment length
  double max_deflection = 0.0;   // maximum allowable deflection
  double tolerance = 0.0;        // deflection closure tolerance
  double excavation_depth = 0.0;
  double width = 0.0;            // analysis width
  double wall_height = 0.0;      // echoed only
  int max_iterations = 0;
  int unused9 = 0;
  int unused10 = 0;

  // Derived: wall length N*h, 2h, h^2, h^3 and the station-array extents.
  double length = 0.0;
  double two_h = 0.0;
  double h2 = 0.0;
  double h3 = 0.0;
  int extent4 = 0;  // N + 4
  int extent5 = 0;  // N + 5
  int extent7 = 0;  // N + 7
  std::size_t line = 0;  // line of the input data file where the record ends

  // Number of stations of the wall, 0..N.
  int stations() const { return N + 1; }
};

}  // namespace kestro
