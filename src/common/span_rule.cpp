#include "common/span_rule.h"

namespace kestro {

SpanResult add_interpolated_span(StationArray<double>& values, int first, int last,
                                 double value_at_first, double value_at_last) {
  if (last < first) return SpanResult::kStationsNotInOrder;
  if (!is_array_station(first) || !is_array_station(last)) return SpanResult::kStationOutOfRange;

  if (first == last) {
    values[first] += value_at_first;
    return SpanResult::kAdded;
  }
  const auto value_at = [&](int station) {
    return value_at_first + (value_at_last - value_at_first) * (station - first) / (last - first);
  };
  for (int station = first; station <= last; ++station)
    values[station] += value_at(station);
  values[first] += -0.5 * value_at(first);
  values[last] += -0.5 * value_at(last);
  return SpanResult::kAdded;
}

SpanResult add_span(StationArray<double>& values, int first, int last, double value) {
  return add_interpolated_span(values, first, last, value, value);
}

}  // namespace kestro
