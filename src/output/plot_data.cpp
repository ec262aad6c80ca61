#include "output/plot_data.h"

#include <cstddef>
#include <cstdint>

namespace kestro {

namespace {

struct PlotFormats {
  FortranFormat station_row = FortranFormat::parse("(7(1X,1PE13.4))");
  FortranFormat tieback_row = FortranFormat::parse("(1X,I5,2X,I5,2X,1PE12.3,8(2X,1PE15.4))");
};

const PlotFormats& formats() {
  static const PlotFormats kFormats;
  return kFormats;
}

}  // namespace

void write_results_group(TextUnit& plot, const ControlParameters& control, const Geometry& geometry,
                         const std::optional<ResultsTable>& results, int stage_code) {
  const int unit_flag = control.unit_flag;
  if (!results) {
    // A number of increments the run refused has no stations.
    const int N = geometry.N;
    const int stations = N >= 1 && N <= kMaxIncrements ? N + 1 : 0;
    plot.write_list({0, stations, unit_flag});
    return;
  }
  const PlotFormats& f = formats();
  plot.write_list({stage_code, results->N + 1, unit_flag});
  for (int I = 0; I <= results->N; ++I) {
    const StationResult& r = results->stations[static_cast<std::size_t>(I)];
    // The front end takes lengths in the base unit of the run: depth in
    // inches (not the feet of the report) or metres.
    const double X = I * geometry.h;
    plot.write(f.station_row,
               {X, r.deflection, r.moment, r.shear, r.soil_reaction, r.EI, r.net_force});
  }
  plot.write_list({static_cast<std::int64_t>(results->tiebacks.size())});
  for (const TiebackResult& t : results->tiebacks) {
    plot.write(f.tieback_row,
               {std::int64_t{t.number}, std::int64_t{t.station}, t.depth, t.spacing, t.area,
                t.angle, t.horizontal_force, t.force, t.force_per_tieback, t.prestress});
  }
}

}  // namespace kestro
