#include "pressure/pressure_loads.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace kestro {

namespace {

// Above this many points the table and the plot data show only every 4th
// (SI) or 6th (English) point and the last.
constexpr std::size_t kPointsShownInFull = 50;

struct LoadFormats {
  FortranFormat table_head = FortranFormat::parse(
      "(//8X,' DEPTH         ACTIVE EARTH PRESSURE'/8X,1X,A3,17X,A4,A1,A2/"
      "8X,'--------       ------------------------')");
  FortranFormat table_row = FortranFormat::parse("(5X,1PE12.5,8X,1PE12.5)");
  FortranFormat plot_row = FortranFormat::parse("(10(2X,E12.5))");
};

const LoadFormats& formats() {
  static const LoadFormats kFormats;
  return kFormats;
}

}  // namespace

PressureLoads pressure_loads(std::vector<PressurePoint> points, double excavation_depth, double WA,
                             double WP, double h) {
  PressureLoads loads;
  loads.points = std::move(points);
  loads.P.reserve(loads.points.size());
  double width = WA;
  for (PressurePoint& p : loads.points) {
    if (p.x > excavation_depth) width = WP;
    p.total = p.net * width;
    for (double* value : {&p.active_drained, &p.surcharge_surface, &p.passive, &p.at_rest, &p.earth,
                          &p.water, &p.surface, &p.surcharge, &p.apparent, &p.net}) {
      *value *= width;
    }
    loads.P.push_back(p.total * h);
  }
  return loads;
}

std::vector<std::size_t> shown_points(std::size_t count, UnitSystem units) {
  std::vector<std::size_t> shown;
  if (count == 0) return shown;
  const std::size_t step = count > kPointsShownInFull ? (units == UnitSystem::si ? 4 : 6) : 1;
  for (std::size_t i = 0; i < count; i += step)
    shown.push_back(i);
  if (shown.back() != count - 1) shown.push_back(count - 1);
  return shown;
}

void write_pressure_table(TextUnit& report, const UnitLabels& l, UnitSystem units,
                          const PressureLoads& loads, std::span<const std::size_t> shown) {
  const LoadFormats& f = formats();
  report.write(f.table_head, {l.depth.substr(0, 3), l.force, l.slash, l.length_short});
  const double scale = units == UnitSystem::english ? 1.0 / 12.0 : 1.0;
  for (std::size_t i : shown) {
    const PressurePoint& p = loads.points[i];
    report.write(f.table_row, {p.x * scale, p.total});
  }
}

void write_plot_group(TextUnit& plot, const PressureLoads& loads,
                      std::span<const std::size_t> shown) {
  plot.write_list({static_cast<std::int64_t>(shown.size())});
  for (std::size_t i : shown) {
    const PressurePoint& p = loads.points[i];
    plot.write(formats().plot_row,
               {p.x, p.total, p.net, p.earth, p.surface, p.apparent, p.surcharge, p.water});
  }
}

void add_station_loads(WallModel& wall, std::span<const double> X, std::span<const double> P,
                       int first) {
  if (X.empty() || !(wall.h > 0.0)) return;
  const double last = std::round(X.back() / wall.h) + 1.0;
  if (!(last >= 2.0)) return;
  const int NST = last > wall.N + 1.0 ? wall.N + 1 : static_cast<int>(last);
  std::size_t j = 0;  // first point at or below the station
  for (int k = std::max(first, 1); k <= NST - 1 && k <= wall.N; ++k) {
    const double x = k * wall.h;
    while (j < X.size() && X[j] < x)
      ++j;
    double load = 0.0;
    if (j == 0) {
      load = X[0] == x ? P[0] : 0.0;
    } else if (j == X.size()) {
      load = P.back();
    } else {
      const double span = X[j] - X[j - 1];
      load = span > 0.0 ? P[j - 1] + (P[j] - P[j - 1]) * (x - X[j - 1]) / span : P[j];
    }
    wall.Q[k] += load;
  }
}

}  // namespace kestro
