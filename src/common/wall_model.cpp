#include "common/wall_model.h"

#include <cstddef>

namespace kestro {

namespace {

// The stations a point marks, from first to last.  A slope point leaves its
// own station ordinary but still owns it: nothing else may sit there.
// Held wider than int so that any station read, however far off the wall,
// can be compared without overflow.
struct MarkedStations {
  long long first = 0;
  long long last = 0;
};

MarkedStations marked_stations(const SpecifiedPoint& point) {
  const long long station = point.station;
  if (point.case_code <= 1) return {station, station};
  return {station - 1, station + 1};
}

std::string describe(const SpecifiedPoint& point) {
  const char* what = point.case_code <= 1   ? "deflection"
                     : point.case_code == 2 ? "slope"
                                            : "deflection and slope";
  return what + std::string(" at station ") + std::to_string(point.station);
}

}  // namespace

std::optional<SpecifiedPointError> set_condition_codes(WallModel& model) {
  const auto& points = model.specified_points;
  if (points.size() > static_cast<std::size_t>(kMaxSpecifiedPoints)) {
    return SpecifiedPointError{kMaxSpecifiedPoints + 1,
                               "more than " + std::to_string(kMaxSpecifiedPoints) +
                                   " points of specified deflection or slope"};
  }
  for (std::size_t i = 0; i < points.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    const MarkedStations marked = marked_stations(points[i]);
    if (marked.first < -1 || marked.last > model.N + 1) {
      return SpecifiedPointError{number, describe(points[i]) + " needs stations outside -1 to " +
                                             std::to_string(model.N + 1)};
    }
    if (i > 0 && marked.first <= marked_stations(points[i - 1]).last) {
      return SpecifiedPointError{number, describe(points[i]) + " conflicts with point " +
                                             std::to_string(number - 1) + ", " +
                                             describe(points[i - 1])};
    }
  }

  model.code.fill(StationCode::kOrdinary);
  for (const SpecifiedPoint& point : points) {
    const int s = point.station;
    if (point.case_code <= 1) {
      model.code[s] = StationCode::kDeflection;
      continue;
    }
    model.code[s - 1] = StationCode::kSlopeStart;
    model.code[s + 1] = StationCode::kSlopeEnd;
    if (point.case_code >= 3) model.code[s] = StationCode::kDeflectionAndSlope;
  }
  return std::nullopt;
}

void clear_problem_data(WallModel& model) {
  for (StationArray<double>* array : {&model.EI, &model.Q, &model.S, &model.T, &model.R, &model.P})
    array->fill(0.0);
  model.code.fill(StationCode::kOrdinary);
  model.specified_points.clear();
}

void clear_deflections(WallModel& model) {
  model.w.fill(-3, model.N + 3, 0.0);
}

void copy_to_working_arrays(WallModel& model) {
  model.working_Q = model.Q;
  model.working_S = model.S;
}

}  // namespace kestro
