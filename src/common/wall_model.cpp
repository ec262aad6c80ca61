#include "common/wall_model.h"

namespace kestro {

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
