// The rock p-y models: rock (a trilinear curve scaled by the shear strength)
// and weak rock.  Each *_depth function is a PyModel; the *_side functions
// compute the half-curve of a curve depth without writing (both sides of the
// wall have the same curve).
#pragma once

#include "soil/py_depth.h"

namespace kestro {

// Rock: su = qu/2 (S/2), Es = 2000 su, y1 = 0.0004 b, y2 where the second
// branch of slope 100 su reaches b*su; the curve holds b*su beyond y2.  The
// 17 deflections step by y2/15.  A rock without strength (su <= 0) has a curve
// of zeros on the deflections of any positive strength (y2 = 0.0024 b).
struct RockSide {
  double su = 0.0;
  double Es = 0.0;
  double y1 = 0.0;
  double y2 = 0.0;
  HalfCurve curve{};
};
RockSide rock_side(const PyDepth& at);
void rock_depth(PyWriters& out, const PyDepth& at, const PyLoading& loading, PyLayerState& state);

// Weak rock: qur = S, krm = E50, Eir = KPY, RQD = P6.  alpha_r = 1 - RQD/150;
// xr = depth below the top of the rock layer; the initial modulus Kir and the
// ultimate resistance pur by the shallow (xr <= 3b) or the deep branch; the
// curve is Kir*y up to ya, then min(pur, 0.5 pur (y/yrm)^0.25), at 17
// multiples of yrm = krm*b.  krm must be positive (checked when the profile
// is built).
struct WeakRockSide {
  double alpha_r = 0.0;
  double xr = 0.0;
  double Kir = 0.0;
  double pur = 0.0;
  double yrm = 0.0;
  double ya = 0.0;
  HalfCurve curve{};
  CurveTail tail;  // where p reaches pur, when the 17th point (12*yrm) lies below it
};
// xr is counted from the top of the rock mass (at.rock_top), so that a mass
// given as several layers weakens near its surface only.
WeakRockSide weak_rock_side(const PyDepth& at);
// Stops the run (console warning, no stop code) when qur is below 1.0E-10 at
// a curve depth after the first of its layer.
void weak_rock_depth(PyWriters& out, const PyDepth& at, const PyLoading& loading,
                     PyLayerState& state);

}  // namespace kestro
