#include "output/results_report.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "solver/difference_equation.h"

namespace kestro {

namespace {

// The angle constant of the tie-back inclination, held in single precision.
constexpr double kPi = double(3.1416f);
// Inches per foot: English depths are printed in feet.
constexpr double kInchesPerFoot = 12.0;

struct ResultsFormats {
  FortranFormat header =
      FortranFormat::parse("(//'     RESULTS'/'     -------'/'     NUMBER OF ITERATIONS : ',I3)");
  FortranFormat over_allowable = FortranFormat::parse(
      "(/'     ***** MAX ALLOWABLE DEFLECTION EXCEEDED AT ***',I4,'  *** STATIONS *****')");
  FortranFormat not_closed = FortranFormat::parse(
      "(/'     ***** MAXIMUM NUMBER OF ITERATIONS  REACHED *****'"
      "/'     ***** SOLUTION NOT CLOSED WITHIN SPECIFIED',' TOLERANCE *****')");

  FortranFormat table_head = FortranFormat::parse(
      "(/'   STA I      X         DEFL.       SLOPE     ',"
      "' MOMENT      SHEAR    SOIL_REACT NET_FORCE/STA ','   EI')");
  FortranFormat table_units = FortranFormat::parse(
      "(12X,A3,9X,A3,10X,'RAD',6X,A3,A1,A2,7X,A4,3X,4X,A3,'/',A2,7X,A4,6X,A3,A1,A2,A2,A1)");
  FortranFormat table_rule = FortranFormat::parse(
      "('   ------    ----        ----       -----     ',"
      "' ------      ------    ---------   ---------   ','---------')");
  FortranFormat table_row = FortranFormat::parse("(2X,I4,2X,1PE10.3,1P7E12.3)");

  FortranFormat restraint_head = FortranFormat::parse(
      "(//'     LATERAL AND ROTATIONAL RESTRAINT RESULTS'"
      "/'     ----------------------------------------'"
      "//'     STA         X             FORCE           MOMENT')");
  FortranFormat restraint_units =
      FortranFormat::parse("('               ',A3,14X,A3,11X,A3,'-',A3)");
  FortranFormat restraint_rule =
      FortranFormat::parse("('    -----    ---------       ---------       ---------')");
  FortranFormat restraint_row = FortranFormat::parse("(3X,I5,2X,1PE12.3,2(2X,1PE15.4))");

  FortranFormat tieback_head = FortranFormat::parse(
      "(//'     TIE BACK RESULTS'/'     ----------------'"
      "//'     N     STA         X       ',"
      "' HOR.FORCE/STA.     FORCE/STA.     FORCE/TIE BACK')");
  FortranFormat tieback_units =
      FortranFormat::parse("('                     ',A3,12X,A3,15X,A3,15X,A3)");
  FortranFormat tieback_rule = FortranFormat::parse(
      "('   -----  -----    --------    ',"
      "' --------------   --------------   --------------')");
  FortranFormat tieback_row = FortranFormat::parse("(1X,I5,2X,I5,2X,1PE12.3,3(2X,1PE15.4))");

  FortranFormat node_head = FortranFormat::parse(
      "(//'     NODE REACTIONS'/'     --------------'"
      "//'     N     STA         X            FORCE    ')");
  FortranFormat node_units = FortranFormat::parse("('                     ',A3,12X,A3)");
  FortranFormat node_rule =
      FortranFormat::parse("('   -----  -----    --------    --------------')");
  FortranFormat node_row = FortranFormat::parse("(1X,I5,2X,I5,2X,1PE12.3,2X,1PE15.4)");
};

const ResultsFormats& formats() {
  static const ResultsFormats kFormats;
  return kFormats;
}

std::int64_t item(int value) {
  return value;
}

// Station values over a range of stations, indexed by station number.
class StationValues {
 public:
  StationValues(int first, int last)
      : first_(first), values_(static_cast<std::size_t>(last - first + 1), 0.0) {}
  double& operator[](int station) { return values_[static_cast<std::size_t>(station - first_)]; }
  double operator[](int station) const {
    return values_[static_cast<std::size_t>(station - first_)];
  }

 private:
  int first_;
  std::vector<double> values_;
};

// The deflection at a station, zero outside the station arrays.
double deflection_at(const WallModel& wall, int station) {
  return is_array_station(station) ? wall.w[station] : 0.0;
}

// The central-difference slope at any station a table may name.
double slope_at(const WallModel& wall, int station) {
  return (deflection_at(wall, station + 1) - deflection_at(wall, station - 1)) / (2.0 * wall.h);
}

void write_table(const ResultsContext& context, const ResultsTable& results) {
  const ResultsFormats& f = formats();
  const UnitLabels& l = context.labels;
  TextUnit& report = context.report;
  report.write(f.table_head);
  report.write(f.table_units,
               {l.depth, l.length, l.force_short, l.dash, l.length_short, l.force, l.force_short,
                l.length_short, l.force, l.force_short, l.dash, l.length_short, l.power, l.digit2});
  report.write(f.table_rule);
  for (int I = 0; I <= results.N; ++I) {
    const StationResult& r = results.stations[static_cast<std::size_t>(I)];
    report.write(f.table_row, {item(I), r.X, r.deflection, r.slope, r.moment, r.shear,
                               r.soil_reaction, r.net_force, r.EI});
  }
}

void write_restraints(const ResultsContext& context, const ResultsTable& results) {
  const ResultsFormats& f = formats();
  const UnitLabels& l = context.labels;
  TextUnit& report = context.report;
  report.write(f.restraint_head);
  report.write(f.restraint_units, {l.depth, l.force_short, l.force_short, l.length});
  report.write(f.restraint_rule);
  for (const RestraintResult& r : results.restraints) {
    report.write(f.restraint_row, {item(r.station), r.X, r.force, r.moment});
  }
}

void write_tiebacks(const ResultsContext& context, const ResultsTable& results) {
  const ResultsFormats& f = formats();
  const UnitLabels& l = context.labels;
  TextUnit& report = context.report;
  report.write(f.tieback_head);
  report.write(f.tieback_units, {l.depth, l.force_short, l.force_short, l.force_short});
  report.write(f.tieback_rule);
  for (const TiebackResult& t : results.tiebacks) {
    report.write(f.tieback_row, {item(t.number), item(t.station), t.depth, t.horizontal_force,
                                 t.force, t.force_per_tieback});
  }
}

void write_node_reactions(const ResultsContext& context, const ResultsTable& results) {
  const ResultsFormats& f = formats();
  const UnitLabels& l = context.labels;
  TextUnit& report = context.report;
  report.write(f.node_head);
  report.write(f.node_units, {l.depth, l.force_short});
  report.write(f.node_rule);
  for (const NodeReaction& n : results.node_reactions) {
    report.write(f.node_row, {item(n.number), item(n.station), n.X, n.force});
  }
}

}  // namespace

ResultsTable compute_results(const ResultsContext& context) {
  const WallModel& wall = context.wall;
  const int N = wall.N;
  const double h = wall.h;
  const bool english = context.control.units == UnitSystem::english;
  const auto depth = [&](int station) {
    return english ? station * h / kInchesPerFoot : station * h;
  };

  // Moments of stations -2..N+2; those of -2 and -1 are taken as zero.
  StationValues M(-2, N + 2);
  for (int I = 0; I <= N + 2; ++I) {
    M[I] = wall.EI[I] * (wall.w[I - 1] - 2.0 * wall.w[I] + wall.w[I + 1]) / (h * h);
  }

  // Shear and net force of stations -1..N+1, with the couple correction.  At
  // an end held against rotation the end station's row balances its half
  // increment, whose moments are its neighbour's and its own (not zero), and a
  // couple placed there is carried by the restraint, so it corrects nothing.
  const SlopeSpecifiedEnds restrained = slope_specified_ends(wall);
  const auto restrained_end = [&](int station) {
    return (station == 0 && restrained.top) || (station == N && restrained.bottom);
  };
  StationValues V(-1, N + 1);
  StationValues F(-1, N + 1);
  for (int I = -1; I <= N + 1; ++I) {
    V[I] = (M[I + 1] - M[I - 1]) / (2.0 * h);
    F[I] = restrained_end(I) ? (M[I - 1] - M[I] + M[I + 1]) / h
                             : (M[I - 1] - 2.0 * M[I] + M[I + 1]) / h;
    for (const CoupleRecord& couple : context.tables.couples) {
      if (restrained_end(couple.from)) continue;
      const double c = couple.T_over_2h;
      if (couple.from == I - 1) {
        F[I] += c;
        V[I] -= 0.5 * c;
      } else if (couple.from == I + 1) {
        F[I] -= c;
        V[I] -= 0.5 * c;
      } else if (couple.from == I) {
        V[I] -= c;
      }
    }
  }

  ResultsTable results;
  results.N = N;
  results.stations.reserve(static_cast<std::size_t>(N + 2));
  for (int I = 0; I <= N + 1; ++I) {
    StationResult r;
    r.X = depth(I);
    r.deflection = wall.w[I];
    r.slope = slope_at(wall, I);
    r.moment = M[I];
    r.shear = V[I];
    r.soil_reaction = wall.soil_reaction[I];
    r.net_force = F[I];
    r.EI = wall.EI[I];
    results.stations.push_back(r);
  }

  for (const SpringRecord& spring : context.tables.springs) {
    for (int s = spring.from; s <= spring.to; ++s) {
      results.restraints.push_back(RestraintResult{s, depth(s), spring.S * deflection_at(wall, s),
                                                   spring.R * slope_at(wall, s)});
    }
  }

  const double W = context.geometry.width;
  int number = 0;
  for (const TieBack& t : context.tables.tiebacks) {
    TiebackResult r;
    r.number = ++number;
    r.station = t.station;
    r.depth = t.depth;
    r.spacing = t.spacing;
    r.area = t.area;
    r.angle = t.angle;
    r.prestress = t.prestress;
    r.horizontal_force = t.Q - t.S * deflection_at(wall, t.station);
    r.force = r.horizontal_force / std::cos(kPi * t.angle / 180.0);
    r.force_per_tieback =
        english ? r.force * kInchesPerFoot * t.spacing / W : r.force * t.spacing / W;
    results.tiebacks.push_back(r);
  }

  number = 0;
  for (const SpecifiedPoint& point : wall.specified_points) {
    const int s = point.station;
    // Specified points lie on stations -1..N+1, where the net force is known.
    const double force = s >= -1 && s <= N + 1 ? F[s] : 0.0;
    results.node_reactions.push_back(NodeReaction{++number, s, depth(s), force});
  }
  return results;
}

std::optional<ResultsTable> write_results(const ResultsContext& context) {
  const ResultsFormats& f = formats();
  const IterationResult& iteration = context.iteration;
  context.report.write(f.header, {item(iteration.iterations)});

  // The iteration has already reported a solution that is not finite.
  if (iteration.outcome == IterationOutcome::not_finite) return std::nullopt;

  if (context.geometry.max_iterations != 0) {
    if (iteration.stations_over_allowable != 0) {
      for (TextUnit* unit : {&context.report, &context.monitor}) {
        unit->write(f.over_allowable, {item(iteration.stations_over_allowable)});
      }
      return std::nullopt;
    }
    if (iteration.stations_not_closed != 0) {
      for (TextUnit* unit : {&context.report, &context.monitor})
        unit->write(f.not_closed);
      return std::nullopt;
    }
  }

  ResultsTable results = compute_results(context);
  write_table(context, results);
  if (!context.tables.springs.empty()) write_restraints(context, results);
  if (!results.tiebacks.empty()) write_tiebacks(context, results);
  if (!results.node_reactions.empty()) write_node_reactions(context, results);
  return results;
}

}  // namespace kestro
