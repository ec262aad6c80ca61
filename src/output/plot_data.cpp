#include "output/plot_data.h"

namespace kestro {

void write_results_group(RunContext& context, int stage_code) {
  const int stations = context.geometry.N > 0 ? context.geometry.stations() : 0;
  const int unit_flag = context.control.unit_flag;
  if (context.run.solution_failed != 0 || !context.have_results) {
    context.plot.write_list({0, stations, unit_flag});
    return;
  }
  context.plot.write_list({stage_code, stations, unit_flag});
}

}  // namespace kestro
