// The clay p-y models: soft clay, stiff clay with free water and stiff clay
// without free water.  Each *_depth function is a PyModel: it writes both
// half-curves of one curve depth and keeps what deeper depths and layers
// need.  The *_side functions compute one half-curve without writing, for
// the model functions and for tests.
#pragma once

#include "soil/py_depth.h"

namespace kestro {

// A half-curve with the ultimate resistance and the deflection at half of it
// that shaped it.
struct ClaySide {
  double pu = 0.0;
  double y50 = 0.0;
  HalfCurve curve{};
  CurveTail tail;  // cyclic soft clay on its falling branch: the residual at 15*y50
};

// Soft clay at side depth xe (the depth in the resistance formulas: the side
// depth, or for deeper layers the depth below the layer top plus XEQ).
ClaySide soft_clay_side(const PyDepth& at, bool backfill, const PyLoading& loading, double xe);
void soft_clay_depth(PyWriters& out, const PyDepth& at, const PyLoading& loading,
                     PyLayerState& state);

// Stiff clay with free water: pc is the ultimate resistance, As and Ac the
// empirical factors at d/b, residual the factor of pc kept for deeper layers.
struct FreeWaterSide {
  double pc = 0.0;
  double As = 0.0;
  double Ac = 0.0;
  double y50 = 0.0;
  double residual = 0.0;
  HalfCurve curve{};
};
// ca is the mean undrained strength down to x (CAVG).
FreeWaterSide stiff_clay_free_water_side(const PyDepth& at, bool backfill, const PyLoading& loading,
                                         double ca);
void stiff_clay_free_water_depth(PyWriters& out, const PyDepth& at, const PyLoading& loading,
                                 PyLayerState& state);

// The As and Ac tables of stiff clay with free water at depth over width.
double stiff_clay_As(double depth_over_width);
double stiff_clay_Ac(double depth_over_width);

// Stiff clay without free water.
ClaySide stiff_clay_no_free_water_side(const PyDepth& at, bool backfill, const PyLoading& loading,
                                       double ca, double xe);
void stiff_clay_no_free_water_depth(PyWriters& out, const PyDepth& at, const PyLoading& loading,
                                    PyLayerState& state);

// What stiff clay with free water hands on to the layers below (see
// ContinuedResistance): its resistance pc at depth z times its residual
// factor.  The model itself uses its side depth, not an equivalent depth.
double free_water_continued_resistance(const PyDepth& at, const PyLoading& loading, double z);

// Trapezoidal mean of c over the layer's curve depths from the first down to
// x (c itself at the first depth).
double mean_strength(const PyLayerState& state, double x, double c);

}  // namespace kestro
