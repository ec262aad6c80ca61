#include "solver/difference_equation.h"

#include <cassert>
#include <cmath>
#include <cstddef>

namespace kestro {

namespace {

// 1/x, or zero when x is exactly zero: the zero-pivot rule of the elimination.
double reciprocal_or_zero(double x) {
  return x == 0.0 ? 0.0 : 1.0 / x;
}

// The ordinary recursion of a slope-start row, kept for the slope-end row.
struct SlopeStartRow {
  int station = 0;
  double A = 0.0;
  double B = 0.0;
  double C = 0.0;
  double multiplier = 0.0;
};

// Adds the boundary row of an end (the row at -1 or N+1) into the row of the
// end station, term by term on the same deflections.  The boundary row's term
// on the padding station (-3 or N+3), which stays zero, has no place and is
// left out.
void add_boundary_row(DifferenceRow& row, const DifferenceRow& boundary, bool top) {
  if (top) {  // boundary terms on w(-3)..w(1), row terms on w(-2)..w(2)
    row.a += boundary.b;
    row.b += boundary.c;
    row.c += boundary.d;
    row.d += boundary.e;
  } else {  // boundary terms on w(N-1)..w(N+3), row terms on w(N-2)..w(N+2)
    row.b += boundary.a;
    row.c += boundary.b;
    row.d += boundary.c;
    row.e += boundary.d;
  }
  row.f += boundary.f;
}

void eliminate_forward(WallModel& model) {
  const double h = model.h;
  const int N = model.N;
  for (int s : {-3, -2})
    model.A[s] = model.B[s] = model.C[s] = 0.0;

  const auto& points = model.specified_points;
  std::size_t next_point = 0;
  SlopeStartRow slope_start;
  const SlopeSpecifiedEnds ends = slope_specified_ends(model);

  for (int s = -1; s <= N + 1; ++s) {
    const DifferenceRow row = elimination_row(model, s, ends);
    const double D = row.b + row.a * model.B[s - 2];
    const double E = row.c + row.a * model.C[s - 2] + D * model.B[s - 1];
    const double m = E == 0.0 ? 0.0 : -1.0 / E;
    const double A = (row.a * model.A[s - 2] + D * model.A[s - 1] - row.f) * m;
    const double B = (row.d + D * model.C[s - 1]) * m;
    const double C = row.e * m;
    model.A[s] = A;
    model.B[s] = B;
    model.C[s] = C;

    const StationCode code = model.code[s];
    if (code == StationCode::kOrdinary) continue;
    assert(next_point < points.size());
    if (next_point >= points.size()) continue;  // codes not set from these points
    const SpecifiedPoint& point = points[next_point];

    switch (code) {
      case StationCode::kOrdinary:
        break;
      case StationCode::kDeflection:
      case StationCode::kDeflectionAndSlope:
        model.A[s] = point.deflection;
        model.B[s] = 0.0;
        model.C[s] = 0.0;
        if (code == StationCode::kDeflection) ++next_point;
        break;
      case StationCode::kSlopeStart:
        // The row becomes w(s) = w(s+2) - 2h*slope.
        slope_start = {s, A, B, C, m};
        model.A[s] = -2.0 * h * point.slope;
        model.B[s] = 0.0;
        model.C[s] = 1.0;
        break;
      case StationCode::kSlopeEnd: {
        if (slope_start.station == -1) {
          // A slope at the top: the row at -1 that the slope displaced is the
          // boundary row, which holds no condition of the restrained top, so
          // it is dropped and this row keeps its ordinary values.
          ++next_point;
          break;
        }
        if (s == N + 1) {
          // A slope at the bottom: this is the boundary row, which holds no
          // condition of the restrained bottom.  The row it gives way to is
          // the ordinary row of N-1, w(N-1) = An3 + Bn3 w(N) + Cn3 w(N+1),
          // with w(N-1) = w(N+1) - 2h*slope and w(N) from the row of N:
          //   w(N+1) (1 - Cn3 - Bn3 B(N)) = 2h*slope + An3 + Bn3 A(N) + Bn3 C(N) w(N+2).
          // A zero combined pivot follows the zero-pivot rule.
          const double scale = reciprocal_or_zero(1.0 - slope_start.C - model.B[N] * slope_start.B);
          model.A[s] = (2.0 * h * point.slope + slope_start.A + model.A[N] * slope_start.B) * scale;
          model.B[s] = model.C[N] * slope_start.B * scale;
          model.C[s] = 0.0;
          ++next_point;
          break;
        }
        // The rows at s-2 and s are added, each in its unscaled form, so the
        // unknown couple that holds the slope drops out.  A zero pivot at
        // either row and a zero combined pivot follow the zero-pivot rule.
        const double ratio = slope_start.multiplier == 0.0 ? 0.0 : m / slope_start.multiplier;
        const double g = (slope_start.C - 1.0 + model.B[s - 1] * slope_start.B) * ratio;
        const double scale = reciprocal_or_zero(1.0 - g);
        model.B[s] = (B + model.C[s - 1] * slope_start.B * ratio) * scale;
        model.C[s] = C * scale;
        model.A[s] =
            (A + (2.0 * h * point.slope + slope_start.A + model.A[s - 1] * slope_start.B) * ratio) *
            scale;
        ++next_point;
        break;
      }
    }
  }
}

SolutionSummary substitute_back(WallModel& model, double closure_tolerance,
                                double allowable_deflection) {
  auto& w = model.w;
  const auto recurse = [&](int s) {
    return model.A[s] + model.B[s] * w[s + 1] + model.C[s] * w[s + 2];
  };

  const int N = model.N;
  w[N + 1] = recurse(N + 1);
  SolutionSummary summary;
  for (int s = N; s >= 0; --s) {
    const double updated = recurse(s);
    const double change = std::abs(updated - w[s]);
    if (change > summary.largest_change) summary.largest_change = change;
    if (change > closure_tolerance) ++summary.stations_over_closure;
    if (std::abs(updated) > allowable_deflection) ++summary.stations_over_allowable;
    w[s] = updated;
  }
  w[-1] = recurse(-1);
  return summary;
}

}  // namespace

DifferenceRow difference_row(const WallModel& model, int s) {
  const double h = model.h;
  const auto& F = model.EI;
  const auto& P = model.P;
  const auto& R = model.R;
  const auto& T = model.T;
  DifferenceRow row;
  row.a = F[s - 1] - 0.25 * h * (h * P[s - 1] + R[s - 1]);
  row.b = -2.0 * (F[s - 1] + F[s]);
  row.c = F[s - 1] + 4.0 * F[s] + F[s + 1] + h * h * h * model.working_S[s] +
          0.25 * h * (h * (P[s - 1] + P[s + 1]) + R[s - 1] + R[s + 1]);
  row.d = -2.0 * (F[s] + F[s + 1]);
  row.e = F[s + 1] - 0.25 * h * (h * P[s + 1] + R[s + 1]);
  row.f = h * h * h * model.working_Q[s] + 0.5 * h * h * (T[s + 1] - T[s - 1]);
  return row;
}

DifferenceRow elimination_row(const WallModel& model, int s, SlopeSpecifiedEnds ends) {
  DifferenceRow row = difference_row(model, s);
  const int N = model.N;
  const double half_h2 = 0.5 * model.h * model.h;
  if (ends.top) {
    if (s == 1) row.f += half_h2 * model.T[0];
    if (s == 0 && model.code[0] == StationCode::kOrdinary) {
      DifferenceRow boundary = difference_row(model, -1);
      boundary.f -= half_h2 * model.T[0];
      add_boundary_row(row, boundary, true);
    }
  }
  if (ends.bottom) {
    if (s == N - 1) row.f -= half_h2 * model.T[N];
    if (s == N && model.code[N] == StationCode::kOrdinary) {
      DifferenceRow boundary = difference_row(model, N + 1);
      boundary.f += half_h2 * model.T[N];
      add_boundary_row(row, boundary, false);
    }
  }
  return row;
}

bool support_row(const WallModel& model, int s, SlopeSpecifiedEnds ends) {
  const StationCode code = model.code[s];
  if (code == StationCode::kDeflection || code == StationCode::kDeflectionAndSlope) return true;
  return (s == -1 && ends.top) || (s == model.N + 1 && ends.bottom);
}

SlopeSpecifiedEnds slope_specified_ends(const WallModel& model) {
  const int N = model.N;
  SlopeSpecifiedEnds ends;
  ends.top = model.code[-1] == StationCode::kSlopeStart;
  ends.bottom = N >= 1 && model.code[N + 1] == StationCode::kSlopeEnd &&
                model.code[N - 1] == StationCode::kSlopeStart;
  return ends;
}

SolutionSummary solve_deflections(WallModel& model, double closure_tolerance,
                                  double allowable_deflection) {
  eliminate_forward(model);
  return substitute_back(model, closure_tolerance, allowable_deflection);
}

void extrapolate_end_deflections(WallModel& model) {
  auto& w = model.w;
  const int N = model.N;
  w[-2] = 2.0 * w[-1] - w[0];
  w[N + 2] = 2.0 * w[N + 1] - w[N];
}

}  // namespace kestro
