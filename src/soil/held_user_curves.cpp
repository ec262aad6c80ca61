#include <string>

#include "common/run_stop.h"
#include "soil/user_curve_formats.h"
#include "soil/user_curves.h"

namespace kestro {

std::vector<HeldUserCurve> read_held_user_curves(ListInput& input, TextUnit& report,
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
    int NP = 0;
    double PMULT = 0.0;
    double YMULT = 0.0;
    {
      ListRead read = input.read();
      read.integer(curve.STA);
      read.integer(NP);
      read.real(PMULT);
      read.real(YMULT);
    }
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
      double Y = 0.0;
      double P = 0.0;
      {
        ListRead read = input.read();
        read.real(Y);
        read.real(P);
      }
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
