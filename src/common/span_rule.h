// The span rule: how a record's value is spread over the stations of its span.
//
// Every station from the first station F to the last station L receives its
// value; the two end stations then give back half of theirs, so a span's ends
// carry half a share and two spans meeting at a station give it one full share.
// A span of a single station receives the full value once.  Contributions are
// added to the array, never assigned.
#pragma once

#include "common/wall_model.h"

namespace kestro {

// Outcome of spreading a span.  On any refusal the array is left untouched.
enum class SpanResult {
  kAdded,
  kStationsNotInOrder,  // L < F; reported as "ERROR STOP -- STATIONS NOT IN ORDER"
  kStationOutOfRange,   // F or L outside the stations held by the arrays
};

// Adds a span whose value runs linearly from value_at_first at station first
// to value_at_last at station last, as for data continued (CONTD) from one
// record into the next.  When first == last the station receives
// value_at_first in full.
SpanResult add_interpolated_span(StationArray<double>& values, int first, int last,
                                 double value_at_first, double value_at_last);

// Adds a span carrying the same value at every station of first..last.
SpanResult add_span(StationArray<double>& values, int first, int last, double value);

}  // namespace kestro
