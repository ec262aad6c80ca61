#include "soil/user_curves.h"

#include <string>

#include "common/run_stop.h"
#include "soil/user_curve_formats.h"

namespace kestro {

void read_user_curves(const SoilContext& context) {
  const UserCurveFormats& f = user_curve_formats();
  const int count = context.control.user_py_curves;
  DeckSource& in = context.in();
  const deck::Problem& given = in.problem();
  TextUnit& report = context.report;
  if (count < 0)
    stop_quietly(place_of(in, context.control.line),
                 "negative number of user-specified p-y curves (control item 8 is " +
                     std::to_string(count) + ")");
  if (count > kMaxStationCurves - static_cast<int>(context.curves.size())) {
    report.write(f.empty_line);
    stop_error(ErrorStop::too_much_data, place_of(context.in(), context.control.line),
               context.curves.empty()
                   ? "more than " + std::to_string(kMaxStationCurves) +
                         " user-specified p-y curves: " + std::to_string(count)
                   : "more than " + std::to_string(kMaxStationCurves) + " station curves: " +
                         std::to_string(count) + " user-specified p-y curves after " +
                         std::to_string(context.curves.size()) + " retained-soil curves");
  }
  if (count == 0) {
    report.write(f.none);
    return;
  }
  report.write(f.title);
  context.plot.write_list({context.control.unit_flag, count});
  const double h = context.geometry.h;
  const double HFREE = context.geometry.excavation_depth;
  const UnitLabels& labels = context.labels;
  int previous_contd = 0;
  for (int i = 0; i < count; ++i) {
    const std::string at = "py_curves/" + std::to_string(i);
    in.take(at + "/y_multiplier");
    const deck::PyCurve& record = given.py_curves[static_cast<std::size_t>(i)];
    const int STA = record.station;
    const int NP = record.point_count;
    const double PMULT = record.p_multiplier;
    const double YMULT = record.y_multiplier;
    const std::size_t head_line = in.current_line();
    const std::string name = "p-y curve " + std::to_string(i + 1);
    if (NP > kMaxUserCurvePoints) {
      stop_error(ErrorStop::too_much_data, place_of(in, head_line),
                 name + " has more than " + std::to_string(kMaxUserCurvePoints) +
                     " points: " + std::to_string(NP));
    }
    if (NP < 2) {
      stop_bad_record(in, head_line,
                      name + " must have at least 2 points, found " + std::to_string(NP));
    }
    if (STA < 0 || STA > context.geometry.N) {
      stop_bad_record(in, head_line,
                      name + " lies at station " + std::to_string(STA) +
                          ", outside the wall (stations 0 to " +
                          std::to_string(context.geometry.N) + ")");
    }
    StationCurve curve;
    curve.FROM = STA;
    curve.TO = STA;
    curve.CONTD = STA * h >= HFREE ? 1 : 0;

    report.write(f.column_head);
    if (previous_contd != 0) {
      report.write(f.closing_row, {STA, curve.CONTD, PMULT, YMULT, NP});
    } else if (curve.CONTD == 0) {
      report.write(f.single_row, {STA, STA, curve.CONTD, PMULT, YMULT, NP});
    } else {
      report.write(f.opening_row, {STA, curve.CONTD, PMULT, YMULT, NP});
    }
    previous_contd = curve.CONTD;
    report.write(f.point_head, {labels.length, labels.force, labels.length_short});
    context.plot.write_list({STA, NP});

    curve.y.resize(static_cast<std::size_t>(NP));
    curve.p.resize(static_cast<std::size_t>(NP));
    for (std::size_t j = 0; j < curve.y.size(); ++j) {
      in.take(at + "/points/" + std::to_string(j) + "/p");
      const double Y = record.points[j].y;
      const double P = record.points[j].p;
      const double y = YMULT * Y;
      const double p = PMULT * P;
      if (j > 0 && !(y > curve.y[j - 1])) {
        stop_bad_record(in, in.current_line(),
                        name + ": the deflections must increase from point to point (point " +
                            std::to_string(j + 1) + ")");
      }
      context.plot.write_list({y, p});
      report.write(f.point_row, {y, p});
      curve.y[j] = y;
      curve.p[j] = p * h;
    }
    context.curves.push_back(std::move(curve));
  }
}

}  // namespace kestro
