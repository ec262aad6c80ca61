#include "solver/iteration.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/run_stop.h"
#include "solver/difference_equation.h"
#include "solver/flexural_rigidity.h"

namespace kestro {

namespace {

// Up to this iteration the histories only shift; beyond it the solution is
// tested for oscillation between two states.
constexpr int kLastUndampedIteration = 40;
// The monitoring row shows the deflections of stations 1 to this.
constexpr int kMonitoredStations = 4;
// Width of one value column of the monitoring row (E12.3).
constexpr int kMonitorColumnWidth = 12;

struct MonitorFormats {
  FortranFormat header = FortranFormat::parse(
      "(//'     ITERATION MONITORING'/'     --------------------'//"
      "'    ITER     NODES      MAX. CHANGE     DEF.  ','      DEF.        DEF.        DEF. '/"
      "'            EXC. TOL.    DEFLECTION    NODE 0 ','     NODE 1      NODE 2      NODE 3'/"
      "'    ----    ---------   -----------    ------ ','     ------      ------      ------')");
  FortranFormat single_pass = FortranFormat::parse("(/'                    ')");
  FortranFormat row = FortranFormat::parse("(3X,I4,6X,I4,6X,1P,5E12.3)");
  FortranFormat not_finite =
      FortranFormat::parse("(/'     ***** SOLUTION FAILED: DEFLECTIONS ARE NOT FINITE *****')");
};

const MonitorFormats& formats() {
  static const MonitorFormats kFormats;
  return kFormats;
}

// Consecutive continued curves of the list on the same single station (two
// generated curves on either side of a layer boundary, the curves of a layer
// thinner than an increment, a user curve among generated ones) act there as
// one.  Where a user curve is among them the user curves act, otherwise all
// of them.  The span from the stations above ends on the first curve that
// acts and the span to the stations below starts from the last; the spans
// between them, of that one station, add nothing, so the station gets one
// half from each side and each side interpolates towards its own curve.
struct StationGroup {
  std::size_t first = 0;  // index in the curve list
  std::size_t count = 1;
};

// Which curve of a group acts: the first (towards the stations above), the
// last (towards the stations below) or the mean of all that act.
enum class GroupRole { entry, exit, mean };

CurveTangent group_tangent(const std::vector<StationCurve>& curves, const StationGroup& group,
                           GroupRole role, double y) {
  if (group.count == 1) return curve_tangent(curves[group.first], y);
  const std::size_t end = group.first + group.count;
  bool has_user = false;
  for (std::size_t k = group.first; k < end; ++k)
    has_user = has_user || curves[k].source == CurveSource::user;
  const auto acts = [&](std::size_t k) {
    return !has_user || curves[k].source == CurveSource::user;
  };
  if (role == GroupRole::entry) {
    for (std::size_t k = group.first; k < end; ++k) {
      if (acts(k)) return curve_tangent(curves[k], y);
    }
  }
  if (role == GroupRole::exit) {
    for (std::size_t k = end; k-- > group.first;) {
      if (acts(k)) return curve_tangent(curves[k], y);
    }
  }
  CurveTangent mean;
  int members = 0;
  for (std::size_t k = group.first; k < end; ++k) {
    if (!acts(k)) continue;
    const CurveTangent t = curve_tangent(curves[k], y);
    mean.kt += t.kt;
    mean.p += t.p;
    mean.p0 += t.p0;
    ++members;
  }
  mean.kt /= members;
  mean.p /= members;
  mean.p0 /= members;
  return mean;
}

// The group of continued curves that starts at index k (a curve alone when
// it is not continued or spans more than one station).
StationGroup station_group(const std::vector<StationCurve>& curves, std::size_t k) {
  StationGroup group{k, 1};
  const StationCurve& head = curves[k];
  if (head.CONTD <= 0 || head.FROM != head.TO) return group;
  while (group.first + group.count < curves.size()) {
    const StationCurve& next = curves[group.first + group.count];
    if (next.CONTD <= 0 || next.FROM != head.FROM || next.TO != head.TO) break;
    ++group.count;
  }
  return group;
}

// One end of a span: a group of curves and the role it plays there.
struct SpanEnd {
  StationGroup group;
  GroupRole role = GroupRole::mean;
};

// Adds the springs of one span from station `first` to station `last`
// (uncut), interpolated between curve `at_first` and curve `at_last`.
void add_span_springs(const SolverContext& context, int first, int last, const SpanEnd& at_first,
                      const SpanEnd& at_last) {
  WallModel& wall = context.wall;
  if (last < first) {
    stop_error(
        ErrorStop::stations_not_in_order, InputPlace{},
        "a p-y curve spans stations " + std::to_string(first) + " to " + std::to_string(last));
  }
  const int N = wall.N;
  const bool one_station = first == last;
  if (one_station ? first > N : first >= N) return;
  const int end = std::min(last, N);
  const double length = one_station ? 1.0 : double(last - first);
  for (int m = std::max(first, -1); m <= end; ++m) {
    const double weight = one_station ? 1.0 : (m == first || m == end ? 0.5 : 1.0);
    const double t = double(m - first) / length;
    const CurveTangent a = group_tangent(context.curves, at_first.group, at_first.role, wall.w[m]);
    const CurveTangent b = group_tangent(context.curves, at_last.group, at_last.role, wall.w[m]);
    const double kt = a.kt + (b.kt - a.kt) * t;
    const double p = a.p + (b.p - a.p) * t;
    const double p0 = a.p0 + (b.p0 - a.p0) * t;
    wall.working_S[m] += -kt * weight;
    wall.working_Q[m] += p0 * weight;
    wall.soil_reaction[m] += p / wall.h * weight;
  }
}

// True when no deflection of stations -1..N+1 is NaN or infinite.
bool finite_deflections(const WallModel& wall) {
  for (int s = -1; s <= wall.N + 1; ++s) {
    if (!std::isfinite(wall.w[s])) return false;
  }
  return true;
}

// One monitoring row.  Stations beyond N leave their column blank, so every
// row has the full width.
void write_monitor_row(const SolverContext& context, int it, int count, double largest_change) {
  if (!context.monitor.is_open()) return;  // a run that keeps no text
  const WallModel& wall = context.wall;
  std::vector<FormatItem> items = {std::int64_t{it}, std::int64_t{count}, largest_change};
  const int shown = std::clamp(wall.N, 0, kMonitoredStations);
  for (int s = 1; s <= shown; ++s)
    items.emplace_back(wall.w[s]);
  std::string text = format_write(formats().row, items).text;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  text.append(std::size_t((kMonitoredStations - shown) * kMonitorColumnWidth), ' ');
  text.push_back('\n');
  context.monitor.write_text(text);
}

// Stations 0..N whose deflection differs from `previous` by more than the
// tolerance.
int count_changed(const WallModel& wall, const StationArray<double>& previous, double tolerance) {
  int count = 0;
  for (int s = 0; s <= wall.N; ++s) {
    if (std::abs(wall.w[s] - previous[s]) > tolerance) ++count;
  }
  return count;
}

// True when every station 0..N alternates between two states: w is within the
// tolerance of two iterations back and the previous one of three back.
bool alternates(const WallModel& wall, const StationArray<double>& previous,
                const StationArray<double>& two_back, const StationArray<double>& three_back,
                double tolerance) {
  for (int s = 0; s <= wall.N; ++s) {
    if (std::abs(wall.w[s] - two_back[s]) > tolerance) return false;
    if (std::abs(previous[s] - three_back[s]) > tolerance) return false;
  }
  return true;
}

// EI zero at the station of every tie-back but the first: zero moment there.
void apply_hinges(const SolverContext& context) {
  if (context.control.hinge_option != 1) return;
  const std::vector<TieBack>& tiebacks = context.tables.tiebacks;
  for (std::size_t k = 1; k < tiebacks.size(); ++k) {
    const int station = tiebacks[k].station;
    if (is_array_station(station)) context.wall.EI[station] = 0.0;
  }
}

}  // namespace

double damping_factor(int c) {
  if (c <= 0) return 0.5;
  // Each halving visits every midpoint of the finer grid before the divisor
  // doubles again, so the factor always stays strictly between 0 and 1.
  double d = 2.0;
  while (c >= 2.0 * d - 1.0)
    d *= 2.0;
  return (c - d + 1.5) / d;
}

void add_soil_springs(const SolverContext& context) {
  std::vector<StationCurve>& curves = context.curves;
  bool ended_pair = false;  // the curve at k closed the pair before it
  for (std::size_t k = 0; k < curves.size();) {
    const StationCurve& curve = curves[k];
    if (curve.CONTD < 0) {
      stop_bad_input(InputPlace{}, "station curve " + std::to_string(k + 1) +
                                       " has a negative continuation flag (" +
                                       std::to_string(curve.CONTD) + ")");
    }
    const StationGroup group = station_group(curves, k);
    if (curve.CONTD == 0) {
      if (!ended_pair) add_span_springs(context, curve.FROM, curve.TO, {group}, {group});
      ended_pair = false;
      ++k;
      continue;
    }
    const std::size_t after = k + group.count;
    if (after == curves.size()) {
      // A last group of several curves that no span reached acts once.
      if (group.count > 1 && !ended_pair) {
        add_span_springs(context, curve.FROM, curve.TO, {group}, {group});
      }
      break;
    }
    const StationGroup next = station_group(curves, after);
    add_span_springs(context, curve.FROM, curves[after].TO, {group, GroupRole::exit},
                     {next, GroupRole::entry});
    for (std::size_t j = after; j < after + next.count; ++j) {
      if (curves[j].CONTD != 0) curves[j].FROM = curves[j].TO;
    }
    ended_pair = true;
    k = after;
  }
}

double force_residual(const SolverContext& context) {
  // The soil forces at the final deflections, from a copy of the wall whose
  // working arrays hold only the springs and loads of the records.
  WallModel probe = context.wall;
  copy_to_working_arrays(probe);
  probe.soil_reaction.fill(0.0);
  const SolverContext at_final{context.report, context.monitor, context.control, context.geometry,
                               context.tables, probe,           context.curves};
  if (!context.curves.empty()) add_soil_springs(at_final);
  const double h = probe.h;
  const double h3 = h * h * h;
  double magnitude = 0.0;
  for (int s = -1; s <= probe.N + 1; ++s) {
    const double soil = probe.soil_reaction[s] * h;
    magnitude += std::abs(probe.Q[s]) + std::abs(soil) + std::abs(probe.S[s] * probe.w[s]);
    probe.working_S[s] = probe.S[s];
    probe.working_Q[s] = probe.Q[s] + soil;
  }
  // The residual of each row the solution imposes is the force it leaves
  // unbalanced; the rows it does not impose are the supports, whose
  // residuals together are the reaction that balances the rest (at a clamp
  // the deflection row and the boundary row share it).
  const SlopeSpecifiedEnds ends = slope_specified_ends(probe);
  double imbalance = 0.0;
  double reaction = 0.0;
  const int N = probe.N;
  for (int s = -1; s <= N + 1; ++s) {
    // With a slope alone at an end its boundary row is part of the end
    // station's row.
    const bool joined = (s == -1 && ends.top && probe.code[0] == StationCode::kOrdinary) ||
                        (s == N + 1 && ends.bottom && probe.code[N] == StationCode::kOrdinary);
    if (joined) continue;
    const DifferenceRow row = elimination_row(probe, s, ends);
    const auto& w = probe.w;
    const double residual = (row.a * w[s - 2] + row.b * w[s - 1] + row.c * w[s] + row.d * w[s + 1] +
                             row.e * w[s + 2] - row.f) /
                            h3;
    (support_row(probe, s, ends) ? reaction : imbalance) += residual;
  }
  magnitude += std::abs(reaction);
  return magnitude > 0.0 ? std::abs(imbalance) / magnitude : 0.0;
}

IterationResult iterate(const SolverContext& context) {
  WallModel& wall = context.wall;
  const Geometry& geometry = context.geometry;
  const double tolerance = geometry.tolerance;
  const double allowable = geometry.max_deflection;
  const int max_iterations = geometry.max_iterations;
  const MonitorFormats& f = formats();

  evaluate_flexural_rigidity(context);
  clear_deflections(wall);
  StationArray<double> previous = wall.w;
  StationArray<double> two_back;
  StationArray<double> three_back;

  context.monitor.write(f.header);
  int limit = max_iterations;
  if (max_iterations == 0) {
    context.monitor.write(f.single_pass);
    limit = 1;
  }

  int damped = 0;
  std::vector<IterationStep> history;
  const auto finish = [&](IterationResult result) {
    result.history = std::move(history);
    if (result.valid()) {
      result.force_residual = force_residual(context);
      extrapolate_end_deflections(wall);
    }
    return result;
  };
  for (int it = 1;; ++it) {
    copy_to_working_arrays(wall);
    wall.soil_reaction.fill(0.0);
    if (!context.curves.empty()) add_soil_springs(context);
    const SolutionSummary summary = solve_deflections(wall, tolerance, allowable);

    IterationResult result;
    result.iterations = it;
    result.stations_over_allowable = summary.stations_over_allowable;
    result.stations_not_closed = summary.stations_over_closure;
    if (!finite_deflections(wall)) {
      context.monitor.write(f.not_finite);
      context.report.write(f.not_finite);
      result.outcome = IterationOutcome::not_finite;
      return finish(result);
    }
    if (max_iterations == 0) {
      result.outcome = IterationOutcome::single_pass;
      result.iterations = 0;
      return finish(result);
    }

    write_monitor_row(context, it, summary.stations_over_closure, summary.largest_change);
    history.push_back(IterationStep{it, summary.stations_over_closure, summary.largest_change});
    if (summary.stations_over_allowable > 0) {
      result.outcome = IterationOutcome::allowable_deflection_exceeded;
      return finish(result);
    }

    const int count = count_changed(wall, previous, tolerance);
    result.stations_not_closed = count;
    if (it <= 2) {
      previous = wall.w;
    } else if (count == 0) {
      result.outcome = IterationOutcome::converged;
      return finish(result);
    } else if (it == 3) {
      two_back = previous;
      previous = wall.w;
    } else {
      if (it > kLastUndampedIteration &&
          alternates(wall, previous, two_back, three_back, tolerance)) {
        const double factor = damping_factor(damped);
        for (int s = 0; s <= wall.N; ++s)
          wall.w[s] = factor * wall.w[s] + (1.0 - factor) * previous[s];
        ++damped;
      }
      three_back = two_back;
      two_back = previous;
      previous = wall.w;
    }

    evaluate_flexural_rigidity(context);
    if (!context.tables.tiebacks.empty()) apply_hinges(context);

    if (it + 1 > limit) {
      result.outcome = IterationOutcome::iteration_limit_reached;
      result.iterations = max_iterations;
      // Results exist when every station closed; only then is nothing to warn.
      return finish(result);
    }
  }
}

}  // namespace kestro
