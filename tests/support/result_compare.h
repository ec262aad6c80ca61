// Where two runs' values differ: every field of every ProblemResult, the
// outcome, the message and the console text, doubles compared bit for bit
// (so -0 differs from +0 and a NaN equals the same NaN).  For tests and the
// fuzzer, which must tell a values-only run from its full run.
#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "kestro/kestro.hpp"

namespace kestro::testing {

namespace compare_detail {

// The fields of each result struct, in declaration order.
inline auto fields(const StationResult& r) {
  return std::tie(r.X, r.deflection, r.slope, r.moment, r.shear, r.soil_reaction, r.net_force,
                  r.EI);
}
inline auto fields(const RestraintResult& r) {
  return std::tie(r.station, r.X, r.force, r.moment);
}
inline auto fields(const TiebackResult& r) {
  return std::tie(r.number, r.station, r.depth, r.spacing, r.area, r.angle, r.prestress,
                  r.horizontal_force, r.force, r.force_per_tieback);
}
inline auto fields(const NodeReaction& r) {
  return std::tie(r.number, r.station, r.X, r.force);
}
inline auto fields(const ResultsTable& r) {
  return std::tie(r.N, r.stations, r.restraints, r.tiebacks, r.node_reactions);
}
inline auto fields(const IterationStep& r) {
  return std::tie(r.iteration, r.stations_not_closed, r.largest_change);
}
inline auto fields(const PressureResult& r) {
  return std::tie(r.depth, r.load, r.earth, r.water, r.surface, r.surcharge, r.apparent, r.passive,
                  r.at_rest);
}
inline auto fields(const CurveResult& r) {
  return std::tie(r.station, r.X, r.y, r.p, r.y_reached, r.p_reached, r.p_ultimate, r.mobilised);
}
inline auto fields(const GroundLayer& r) {
  return std::tie(r.soil_type, r.top, r.bottom);
}
inline auto fields(const GroundSurcharge& r) {
  return std::tie(r.type, r.magnitude, r.distance, r.width);
}
inline auto fields(const GroundTieback& r) {
  return std::tie(r.depth, r.angle, r.length);
}
inline auto fields(const WallPiece& r) {
  return std::tie(r.top, r.bottom, r.section);
}
inline auto fields(const Ground& r) {
  return std::tie(r.has_soil, r.excavation, r.water_backfill, r.water_excavation, r.backfill_slope,
                  r.surface_pressure, r.layers, r.surcharges, r.tiebacks, r.wall, r.wall_length,
                  r.width);
}
inline auto fields(const Warning& r) {
  return std::tie(r.kind, r.text, r.file, r.line, r.item);
}
inline auto fields(const ProblemResult& r) {
  return std::tie(r.number, r.stages, r.units, r.title, r.solved, r.outcome, r.iterations,
                  r.stations_over_allowable, r.stations_not_closed, r.force_residual, r.results,
                  r.history, r.pressure, r.curves, r.ground, r.warnings);
}

template <class T>
void compare(const T& a, const T& b, const std::string& where, std::vector<std::string>& out);

template <class Tuple, std::size_t... I>
void compare_fields(const Tuple& a, const Tuple& b, const std::string& where,
                    std::vector<std::string>& out, std::index_sequence<I...>) {
  (compare(std::get<I>(a), std::get<I>(b), where + "." + std::to_string(I), out), ...);
}

template <class T>
void compare(const T& a, const T& b, const std::string& where, std::vector<std::string>& out) {
  if constexpr (std::is_same_v<T, double>) {
    if (std::bit_cast<std::uint64_t>(a) != std::bit_cast<std::uint64_t>(b)) {
      std::ostringstream text;
      text.precision(17);
      text << where << ": " << a << " against " << b;
      out.push_back(text.str());
    }
  } else if constexpr (std::is_arithmetic_v<T> || std::is_enum_v<T> ||
                       std::is_same_v<T, std::string>) {
    if (!(a == b)) out.push_back(where + " differs");
  } else if constexpr (requires { a.has_value(); }) {
    if (a.has_value() != b.has_value()) {
      out.push_back(where + ": present in one run only");
    } else if (a) {
      compare(*a, *b, where, out);
    }
  } else if constexpr (requires {
                         a.size();
                         a[0];
                       }) {
    if (a.size() != b.size()) {
      out.push_back(where + ": " + std::to_string(a.size()) + " against " +
                    std::to_string(b.size()) + " entries");
      return;
    }
    for (std::size_t i = 0; i < a.size(); ++i)
      compare(a[i], b[i], where + "[" + std::to_string(i) + "]", out);
  } else {
    const auto fa = fields(a);
    const auto fb = fields(b);
    compare_fields(fa, fb, where, out, std::make_index_sequence<std::tuple_size_v<decltype(fa)>>());
  }
}

}  // namespace compare_detail

// The differences between two runs' values, one line each (field paths
// number the fields of each struct from 0); empty when they agree.
inline std::vector<std::string> value_differences(const MemoryRunResult& a,
                                                  const MemoryRunResult& b) {
  std::vector<std::string> out;
  if (a.outcome != b.outcome) out.push_back("outcome differs");
  if (a.message != b.message)
    out.push_back("message: \"" + a.message + "\" against \"" + b.message + "\"");
  if (a.console != b.console) out.push_back("console text differs");
  compare_detail::compare(a.problems, b.problems, "problems", out);
  return out;
}

}  // namespace kestro::testing
