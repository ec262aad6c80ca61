// Wall groups built in tests, as the reader of the wall group stores them.
#pragma once

#include <vector>

#include "input/problem_records.h"
#include "pressure/wall_group.h"

namespace kestro::testing {

// Top or bottom values of a layer: unit weight, S, PHI (degrees), E50, KPY.
inline SoilLayerValues values(double gamma, double S, double PHI, double E50, double KPY = 0.0) {
  SoilLayerValues v;
  v.unit_weight = gamma;
  v.S = S;
  v.PHI = PHI;
  v.E50 = E50;
  v.KPY = KPY;
  return v;
}

// Appends a layer from the bottom of the previous one down to ZBOT.
inline void add_layer(WallGroup& group, int IDSOIL, double ZBOT, SoilLayerValues top,
                      SoilLayerValues bottom) {
  SoilLayer layer;
  layer.IDSOIL = IDSOIL;
  layer.ZBOT = ZBOT;
  layer.thickness = ZBOT - (group.layers.empty() ? 0.0 : group.layers.back().ZBOT);
  layer.top = top;
  layer.bottom = bottom;
  layer.line = 10 + 3 * group.layers.size();
  group.layers.push_back(layer);
}

inline WallGroup wall_group(double HFREE, double WA, double WP, double ZWB) {
  WallGroup group;
  group.HFREE = HFREE;
  group.WA = WA;
  group.WP = WP;
  group.ZWB = ZWB;
  group.line = 7;
  return group;
}

inline Geometry geometry(int N, double h) {
  Geometry g;
  g.N = N;
  g.h = h;
  return g;
}

}  // namespace kestro::testing
