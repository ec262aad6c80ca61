// Reading of the earth-pressure records of a problem: the specified
// active-earth-pressure table and the wall group (wall record, surface
// pressure, surcharge items and soil layers).  Every value is checked where
// it is read; the computation steps then trust the stored records.
#pragma once

#include <cstddef>
#include <vector>

#include "common/list_input.h"
#include "common/text_unit.h"
#include "common/unit_labels.h"
#include "input/deck_source.h"
#include "pressure/wall_group.h"

namespace kestro {

// Largest number of points of a specified active-earth-pressure table.
inline constexpr int kMaxSpecifiedPressurePoints = 2000;

// A specified active-earth-pressure table as read: depth X and the pressure
// PA (force per length of wall) at X.  Depths never decrease.
struct SpecifiedPressure {
  std::vector<double> X;
  std::vector<double> PA;
  std::size_t line = 0;  // line of the input data file holding the count
};

// Reads the specified table (its count, then one X, PA record per point) and
// echoes it to the report as it is read: framed heading, column heads, one
// row per point.  A negative count or one above kMaxSpecifiedPressurePoints,
// and a value that is not finite or beyond 1e15 in magnitude, are bad input naming the file and
// line; a depth smaller than the one before it is the error stop STATIONS NOT IN ORDER.
void read_specified_pressure(DeckSource& input, TextUnit& report, const UnitLabels& labels,
                             SpecifiedPressure& table);

// Reads the wall group in record order: W1, W2, W3, the NSUR surcharge items,
// W5, then three records per soil layer.  SI surcharge lengths (XSUR, BSUR,
// ZSUR) are converted from millimetres to metres.  A negative count, more
// than kMaxSurcharges items or kMaxSoilLayers layers, and any value that is
// not finite or beyond 1e15 in magnitude are bad input naming the file and line.  When
// surcharges_used is true (the problem computes earth pressure), a surcharge item of type 1 to 3
// with a free height below 1e-6 is bad input as well: its pressure divides by HFREE. Nothing is
// echoed here.
void read_wall_group(DeckSource& input, UnitSystem units, bool surcharges_used, WallGroup& wall);

}  // namespace kestro
