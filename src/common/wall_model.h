// Stations of the wall and the per-station arrays of the beam-column model.
//
// Station s lies at depth x = s*h below the top of the wall; the real stations
// are 0 (top) to N (bottom).  Every array also holds three stations above the
// top and three below the bottom: -2, -1, N+1 and N+2 are the imaginary
// stations of the difference scheme, -3 and N+3 only pad and stay zero.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kestro {

// Largest number of increments N.  The input side refuses a larger N; the
// solver relies on it without checking.
inline constexpr int kMaxIncrements = 409;
// First and last station held by every station array.
inline constexpr int kFirstStation = -3;
inline constexpr int kLastStation = kMaxIncrements + 3;
inline constexpr int kStationCount = kLastStation - kFirstStation + 1;
static_assert(kStationCount == 416);
// Largest number of points with specified deflection and/or slope.
inline constexpr int kMaxSpecifiedPoints = 20;

// True when the station lies within the range held by a station array.
constexpr bool is_array_station(int station) {
  return station >= kFirstStation && station <= kLastStation;
}

// One value per station, indexed by station number from kFirstStation to
// kLastStation.  All values start value-initialised (zero for numbers).
template <typename T>
struct StationArray {
  std::array<T, kStationCount> values{};

  // The value at a station; the station must satisfy is_array_station.
  constexpr T& operator[](int station) {
    assert(is_array_station(station));
    return values[static_cast<std::size_t>(station - kFirstStation)];
  }
  constexpr const T& operator[](int station) const {
    assert(is_array_station(station));
    return values[static_cast<std::size_t>(station - kFirstStation)];
  }

  // Sets every station of the array to value.
  constexpr void fill(const T& value) { values.fill(value); }

  // Sets the stations first..last (both inclusive, both array stations) to value.
  constexpr void fill(int first, int last, const T& value) {
    for (int station = first; station <= last; ++station)
      (*this)[station] = value;
  }

  // An array with every station set to value.
  static constexpr StationArray filled(const T& value) {
    StationArray array;
    array.fill(value);
    return array;
  }
};

// The station condition code: how the difference row at a station is treated
// by the elimination.  The numeric values are the codes 1..5 of the reports.
enum class StationCode : int {
  kOrdinary = 1,            // the difference equation of the station
  kDeflection = 2,          // deflection specified at this station
  kSlopeStart = 3,          // station before a specified slope: row replaced by the slope
  kDeflectionAndSlope = 4,  // deflection specified at the centre of a specified slope
  kSlopeEnd = 5,            // station after a specified slope: merges the two outer rows
                            // (at an end of the wall the boundary row gives way instead)
};

// A point of specified deflection and/or slope, as read (kept in input order).
// case_code 1 or less: deflection; 2: slope; 3 or more: deflection and slope.
struct SpecifiedPoint {
  int station = 0;
  int case_code = 1;
  double deflection = 0.0;
  double slope = 0.0;
};

// The wall as the solver sees it: increments, spacing and all station arrays.
// Held by value; it owns no resources beyond the list of specified points.
struct WallModel {
  int N = 0;       // number of increments; real stations 0..N
  double h = 0.0;  // increment length

  StationArray<double> EI;  // flexural rigidity
  StationArray<double> Q;   // transverse load (force per station)
  StationArray<double> S;   // stiffness of transverse resistance (spring per station)
  StationArray<double> T;   // applied couple per station
  StationArray<double> R;   // stiffness of rotational resistance per station
  StationArray<double> P;   // axial load, sign reversed from input (compression negative)

  StationArray<double> w;          // deflection
  StationArray<double> working_Q;  // Q as augmented by the soil iteration
  StationArray<double> working_S;  // S as augmented by the soil iteration
  StationArray<double> soil_reaction;

  // Recursion coefficients: w(s) = A(s) + B(s)*w(s+1) + C(s)*w(s+2).
  StationArray<double> A;
  StationArray<double> B;
  StationArray<double> C;

  StationArray<StationCode> code = StationArray<StationCode>::filled(StationCode::kOrdinary);
  std::vector<SpecifiedPoint> specified_points;
};

// A specified point that cannot be used, named by its position in input order
// (point_number counts from 1), with a message saying why.
struct SpecifiedPointError {
  int point_number = 0;
  std::string message;
};

// Sets the station codes from model.specified_points: every station ordinary,
// then CASE <= 1 marks STA as deflection; CASE 2 marks STA-1 slope start and
// STA+1 slope end; CASE >= 3 marks STA-1, STA and STA+1.  Refuses, leaving the
// codes untouched, more than kMaxSpecifiedPoints points, a point needing a
// station outside the rows -1..N+1, and a point whose stations are not all
// beyond the previous point's (two points at one station, a slope point next
// to another point, or stations out of order), since the elimination would
// then take their values out of step.
std::optional<SpecifiedPointError> set_condition_codes(WallModel& model);

// Prepares the model for a new problem: EI, Q, S, T, R and P are zeroed, every
// station code is set to ordinary and the specified points are removed.
void clear_problem_data(WallModel& model);

// Zeroes the deflection at stations -3..N+3; done at the start of every
// solution (each problem or stage).
void clear_deflections(WallModel& model);

// Copies Q and S into the working arrays at every station, ready for the soil
// iteration to augment them.
void copy_to_working_arrays(WallModel& model);

}  // namespace kestro
