#include "pressure/earth_pressure.h"

#include "pressure/pressure_distribution.h"
#include "pressure/surcharge_pressure.h"

namespace kestro {

namespace {

// Option 1: the specified table with the surcharge pressure times WA added.
PressureLoads specified_loads(const EarthPressureProblem& problem, const Geometry& geometry) {
  PressureLoads loads;
  const SpecifiedPressure& table = problem.table;
  const std::span<const Surcharge> items(problem.wall.surcharges);
  for (std::size_t i = 0; i < table.X.size(); ++i) {
    PressurePoint p;
    p.x = table.X[i];
    p.total = table.PA[i];
    if (!items.empty()) {
      p.total += surcharge_pressure(p.x, items, problem.wall.HFREE, (geometry.N * geometry.h)) *
                 problem.wall.WA;
    }
    p.net = p.total;
    loads.points.push_back(p);
    loads.P.push_back(p.total * geometry.h);
  }
  return loads;
}

void apply_loads(WallModel& wall, const PressureLoads& loads) {
  std::vector<double> X;
  X.reserve(loads.points.size());
  for (const PressurePoint& p : loads.points)
    X.push_back(p.x);
  add_station_loads(wall, X, loads.P);
}

}  // namespace

void read_earth_pressure_records(DeckSource& input, TextUnit& report, const UnitLabels& labels,
                                 const ControlParameters& control, EarthPressureProblem& problem) {
  problem = EarthPressureProblem{};
  const int option = control.earth_pressure_option;
  if (option == 1) read_specified_pressure(input, report, labels, problem.table);
  if (option >= 2 || control.py_option == 2) {
    read_wall_group(input, control.units, option >= 1, problem.wall);
    problem.has_wall_group = true;
  }
}

void apply_earth_pressure(const DeckSource& input, TextUnit& report, TextUnit& plot,
                          TextUnit& monitor, std::ostream& console, const UnitLabels& labels,
                          const ControlParameters& control, const Geometry& geometry,
                          std::span<const double> tieback_depths, WallModel& wall,
                          std::vector<StationCurve>& curves, const TransientFile& file,
                          EarthPressureProblem& problem) {
  const int option = control.earth_pressure_option;
  const UnitSystem units = control.units;
  if (option <= 0) {
    plot.write_list({0});
    return;
  }
  if (option == 1) {
    problem.loads = specified_loads(problem, geometry);
    std::vector<std::size_t> every(problem.loads.points.size());
    for (std::size_t i = 0; i < every.size(); ++i)
      every[i] = i;
    write_plot_group(plot, problem.loads, every);
    apply_loads(wall, problem.loads);
    return;
  }

  const WallGroup& group = problem.wall;
  ComputationLayers& layers = problem.layers;
  layers = split_into_computation_layers(group, units);
  echo_wall_group(report, labels, units, group, layers);
  check_computation_layers(layers, group, units);
  compute_stresses_and_coefficients(report, monitor, labels, units, group, option, layers);
  compute_earth_resultants(report, labels, units, group, layers);
  compute_water_resultants(report, labels, units, group, layers);
  check_net_active(report, console, group, layers);

  DistributionSetup setup;
  setup.earth_pressure_option = option;
  setup.units = units;
  setup.wall_length = (geometry.N * geometry.h);
  setup.tieback_depths.assign(tieback_depths.begin(), tieback_depths.end());
  std::vector<PressurePoint> points = pressure_distribution(group, layers, setup);

  if (file.keeps_text()) file.keep(earth_pressure_file_text(points));
  problem.loads = pressure_loads(earth_pressure_file_values(std::move(points), file.label),
                                 geometry.excavation_depth, group.WA, group.WP, geometry.h);
  const std::vector<std::size_t> shown = shown_points(problem.loads.points.size(), units);
  write_pressure_table(report, labels, units, problem.loads, shown);
  write_plot_group(plot, problem.loads, shown);
  if (option == 4) {
    apply_retained_soil(input, geometry, units, group, problem.loads, wall, curves);
    return;
  }
  apply_loads(wall, problem.loads);
}

}  // namespace kestro
