#include <string>

#include "common/run_stop.h"
#include "soil/user_curve_formats.h"
#include "soil/user_curves.h"

namespace kestro {

std::vector<HeldUserCurve> read_held_user_curves(DeckSource& input, TextUnit& report,
                                                 const UnitLabels& labels, int count) {
  const UserCurveFormats& f = user_curve_formats();
  if (count < 0) stop_quietly(place_of(input), "negative number of user-specified p-y curves");
  if (count > kMaxStationCurves) {
    stop_error(ErrorStop::too_much_data, place_of(input),
               "more than " + std::to_string(kMaxStationCurves) +
                   " user-specified p-y curves: " + std::to_string(count));
  }
  std::vector<HeldUserCurve> held;
  if (count == 0) return held;
  report.write(f.title);
  constexpr int kHeldContinuation = 0;
  for (int i = 0; i < count; ++i) {
    HeldUserCurve curve;
    const std::string at = "py_curves/" + std::to_string(i);
    input.take(at + "/y_multiplier");
    const deck::PyCurve& record = input.problem().py_curves[static_cast<std::size_t>(i)];
    curve.STA = record.station;
    const int NP = record.point_count;
    const double PMULT = record.p_multiplier;
    const double YMULT = record.y_multiplier;
    const std::string name = "p-y curve " + std::to_string(i + 1);
    if (NP > kMaxUserCurvePoints) {
      stop_error(ErrorStop::too_much_data, place_of(input),
                 name + " has more than " + std::to_string(kMaxUserCurvePoints) + " points");
    }
    if (NP < 2) {
      stop_bad_record(input, 0, name + " must have at least 2 points, found " + std::to_string(NP));
    }
    report.write(f.column_head);
    report.write(f.closing_row, {curve.STA, kHeldContinuation, PMULT, YMULT, NP});
    report.write(f.point_head, {labels.length, labels.force, labels.length_short});
    for (int j = 0; j < NP; ++j) {
      input.take(at + "/points/" + std::to_string(j) + "/p");
      const double Y = record.points[static_cast<std::size_t>(j)].y;
      const double P = record.points[static_cast<std::size_t>(j)].p;
      const double y = YMULT * Y;
      const double p = PMULT * P;
      if (j > 0 && !(y > curve.y.back())) {
        stop_bad_record(input, 0,
                        name + ": the deflections must increase from point to point (point " +
                            std::to_string(j + 1) + ")");
      }
      report.write(f.point_row, {y, p});
      curve.y.push_back(y);
      curve.p.push_back(p);
    }
    held.push_back(std::move(curve));
  }
  return held;
}

}  // namespace kestro
