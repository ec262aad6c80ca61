#include "pressure/retained_soil_curves.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "common/run_stop.h"

namespace kestro {

namespace {

constexpr double kContinuousBelow = double(1.1f);
constexpr double kFootEnglish = 12.0;
constexpr double kFootSI = 12.0 * double(0.0254f);
constexpr double kPassiveReach = 80.0 / 3.0;  // w/(3w/80)
constexpr double kAtRestStep = 10667.0;
constexpr double kActiveReach = 357.0;
constexpr double kFar = 1.5;  // p3 outside (P0, Pp]: 1.5 P0

std::string number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

}  // namespace

int excavation_station(double excavation_depth, double h) {
  return static_cast<int>(std::round(excavation_depth / h)) + 1;
}

std::array<double, kRetainedCurvePoints> retained_deflections(double W, double WA, double WP,
                                                              UnitSystem units) {
  const double ratio = WP > 0.0 ? std::max(WA / WP, 1.0) : kContinuousBelow;
  const double w =
      ratio >= kContinuousBelow ? W : (units == UnitSystem::si ? kFootSI : kFootEnglish);
  const double far = units == UnitSystem::si ? 1.0 : 40.0;
  return {-far, -w / kPassiveReach, -w / kAtRestStep, 0.0, w / kActiveReach, far};
}

double retained_p3(double Pp, double P0, double x, double W, std::span<const SoilLayer> layers) {
  double KPY = 0.0;
  for (const SoilLayer& layer : layers) {
    KPY = layer.top.KPY;
    if (x <= layer.ZBOT) break;
  }
  const double t = std::trunc(KPY);
  double p3 = P0 + t * x * W / kAtRestStep;
  if (p3 > Pp) p3 = kFar * P0;
  if (p3 <= P0) p3 = kFar * P0;
  return p3;
}

void apply_retained_soil(const DeckSource& input, const Geometry& geometry, UnitSystem units,
                         const WallGroup& group, const PressureLoads& loads, WallModel& wall,
                         std::vector<StationCurve>& curves) {
  const std::vector<PressurePoint>& points = loads.points;
  const double h = wall.h;
  if (points.empty() || !(h > 0.0)) return;
  const int e = excavation_station(geometry.excavation_depth, h);
  const int NST = static_cast<int>(std::min(std::round(points.back().x / h) + 1.0, wall.N + 1.0));
  const int last_curve = std::min(e, NST) - 1;
  if (last_curve >= 1) {
    const std::array<double, kRetainedCurvePoints> y =
        retained_deflections(geometry.width, group.WA, group.WP, units);
    for (std::size_t i = 1; i < y.size(); ++i) {
      if (!(y[i] > y[i - 1])) {
        stop_bad_record(input, geometry.line,
                        "earth-pressure option 4 with spaced wall elements needs an analysis width "
                        "between 0 and " +
                            number(-y.front() * kPassiveReach) +
                            " for the deflections of its retained-soil curves, found " +
                            number(geometry.width));
      }
    }
    if (last_curve > kMaxStationCurves - static_cast<int>(curves.size())) {
      stop_error(ErrorStop::too_much_data, place_of(input, geometry.line),
                 "more than " + std::to_string(kMaxStationCurves) +
                     " station curves with the retained-soil curves of " +
                     std::to_string(last_curve) + " stations");
    }
    std::size_t j = 1;  // the first grid point at or below the station, never the surface
    for (int m = 1; m <= last_curve; ++m) {
      const double x = m * h;
      while (j + 1 < points.size() && points[j].x < x)
        ++j;
      const PressurePoint& at = points[std::min(j, points.size() - 1)];
      const double Pp = at.passive;
      const double P0 = at.at_rest;
      const double Pa = at.active_drained + at.surcharge_surface;
      const double p3 = retained_p3(Pp, P0, x, geometry.width, group.layers);
      StationCurve curve;
      curve.FROM = m;
      curve.TO = m;
      // Each curve acts at its own station alone: continued into the next
      // one, the span rule would give the first station of the chain half of
      // its pressure and chain the last into whatever curve follows.
      curve.CONTD = 0;
      curve.y.assign(y.begin(), y.end());
      for (const double p : {Pp, Pp, p3, P0, Pa, Pa})
        curve.p.push_back(p * h);
      curves.push_back(std::move(curve));
    }
  }
  std::vector<double> X;
  X.reserve(points.size());
  for (const PressurePoint& p : points)
    X.push_back(p.x);
  add_station_loads(wall, X, loads.P, std::max(e + 1, 1));
}

}  // namespace kestro
