#include "input/station_tables.h"

#include <cmath>
#include <optional>
#include <string>

#include "common/run_stop.h"
#include "common/span_rule.h"
#include "common/wall_model.h"
#include "input/sections.h"

namespace kestro {

namespace {

// The angle constant of the tie-back inclination, held in single precision.
constexpr double kPi = double(3.1416f);

inline constexpr int kMaxTableRecords = 100000;  // guards the count records

struct TableFormats {
  FortranFormat points_head = FortranFormat::parse(
      "(//6X,50('*')/6X,'*        SPECIFIED DEFLECTIONS AND SLOPES        *'/6X,50('*')/"
      "/5X,'     STA      CASE       DEFLECTION        SLOPE'/5X,28X,A2,'              RAD')");
  FortranFormat no_points = FortranFormat::parse("(/'                    ')");
  FortranFormat deflection_row = FortranFormat::parse("(10X,I3,7X,I2,8X,E10.3,9X,'NONE')");
  FortranFormat slope_row = FortranFormat::parse("(10X,I3,7X,I2,11X,'NONE',8X,E10.3)");
  FortranFormat both_row = FortranFormat::parse("(10X,I3,7X,I2,3X,2(5X,E10.3))");

  FortranFormat table_head = FortranFormat::parse(
      "(///6X,50('*')/6X,'*        STIFFNESS AND LOAD DATA                 *'/6X,50('*')/"
      "/6X,'EI - FLEXURAL RIGIDITY,  Q - TRANSVERSE LOAD,'"
      "/6X,'S - STIFFNESS OF TRANSVERSE RESISTANCE,'"
      "/6X,'T - TORQUE,              P - AXIAL LOAD,'"
      "/6X,'R - STIFFNESS OF TORSIONAL RESISTANCE.'//"
      "/'     FROM TO CONTD     EI         Q        S','        T         R         P')");
  FortranFormat table_units =
      FortranFormat::parse("(18X,A4,A1,A2,A2,A1,4X,A4,4X,A4,A1,A2,3X,A3,A1,A3,2X,A3,A1,A3,4X,A4)");
  FortranFormat span_row = FortranFormat::parse("(5X,2I4,I3,1X,1P6E10.3)");
  FortranFormat start_row = FortranFormat::parse("(5X,I4,4X,I3,1X,1P6E10.3)");
  FortranFormat end_row = FortranFormat::parse("(9X,I4,I3,1X,1P6E10.3)");

  FortranFormat tieback_head = FortranFormat::parse(
      "(///6X,50('*')/6X,'*                  TIE BACK DATA                 *'/6X,50('*')/"
      "/6X,'   DEPTH      AREA    ELASTIC   UNBONDED   HORIZ.  ','  ANCHOR  PRESTRESS.'"
      "/6X,'                      MODULUS    LENGTH    ANGLE   ',' SPACING    FORCE')");
  FortranFormat tieback_units =
      FortranFormat::parse("(6X,4X,A2,7X,A2,A2,A1,2X,A4,A1,A2,A2,A1,5X,A2,7X,'DEG',7X,A2,6X,A4)");
  FortranFormat tieback_row = FortranFormat::parse("(6X,1P7E10.3)");
};

const TableFormats& formats() {
  static const TableFormats kFormats;
  return kFormats;
}

// The values of one row of the stiffness table.
struct RowValues {
  double EI = 0.0;
  double Q = 0.0;
  double S = 0.0;
  double T = 0.0;
  double R = 0.0;
  double P = 0.0;  // as given: compression positive
};

// One table's continued-span state: the start of a span whose end is the
// next record.
struct Continuation {
  bool open = false;
  int station = 0;
  RowValues values;
  std::size_t line = 0;
};

// Spreads the values over first..last (interpolating from `start` to `end`)
// into the station arrays; P enters with its sign reversed.
void place(const InputContext& context, int first, int last, const RowValues& start,
           const RowValues& end, std::size_t line, std::string_view what) {
  WallModel& wall = context.wall;
  if (last < first) stop_error(ErrorStop::stations_not_in_order, place_of(context.in(), line));
  // Stations N+1 to N+3 are left to the end-of-wall check; nothing may lie
  // beyond them or above the padding stations of the arrays.
  // Records that reach below the wall name the stations and the bottom.
  const auto beyond = [&](std::string_view values) {
    std::string reason =
        std::string(what) + " puts " + std::string(values) + " on station" +
        (first == last ? " " + std::to_string(last)
                       : "s " + std::to_string(first) + " to " + std::to_string(last)) +
        ", below the bottom station N = " + std::to_string(wall.N);
    if (what.starts_with("wall section") || what.starts_with("tie-back")) {
      reason += "; its depths are in " +
                std::string(context.control.units == UnitSystem::english ? "feet" : "metres");
    }
    return reason;
  };
  if (last > wall.N + 3) {
    stop_error(ErrorStop::data_beyond_end, place_of(context.in(), line), beyond("its values"));
  }
  if (first < kFirstStation) {
    stop_bad_record(context.in(), line,
                    "station " + std::to_string(first) + " lies above the wall (the first " +
                        "station a table may use is " + std::to_string(kFirstStation) + ")");
  }
  struct Target {
    StationArray<double>& array;
    double from;
    double to;
    std::string_view name;
  };
  const Target targets[] = {{wall.EI, start.EI, end.EI, "EI"}, {wall.Q, start.Q, end.Q, "Q"},
                            {wall.S, start.S, end.S, "S"},     {wall.T, start.T, end.T, "T"},
                            {wall.R, start.R, end.R, "R"},     {wall.P, -start.P, -end.P, "P"}};
  for (const Target& target : targets) {
    // The range was checked above, so the span is always added.
    add_interpolated_span(target.array, first, last, target.from, target.to);
    const bool carries_value = target.from != 0.0 || target.to != 0.0;
    if (last > wall.N && carries_value && context.tables.beyond_end_line == 0) {
      context.tables.beyond_end_line = line;
      context.tables.beyond_end_reason = beyond(target.name);
    }
  }
}

// Handles one record of a table by its CONTD code (1 or 2) and writes its row.
// EI rows show their own EI; the other rows the EI already on the station.
void table_record(const InputContext& context, Continuation& c, int code, int from, int to,
                  const RowValues& values, std::size_t line, std::string_view what,
                  bool ei_row = false) {
  const TableFormats& f = formats();
  if (code != 1 && code != 2) {
    stop_bad_record(context.in(), line,
                    "the CONTD code must be 1 or 2, found " + std::to_string(code));
  }
  const int contd = code - 1;
  auto row = [&](const FortranFormat& format, int station, double ei) {
    if (&format == &f.span_row) {
      context.report.write(format,
                           {from, to, contd, ei, values.Q, values.S, values.T, values.R, values.P});
    } else {
      context.report.write(format,
                           {station, contd, ei, values.Q, values.S, values.T, values.R, values.P});
    }
  };
  auto shown_ei = [&](int station) {
    if (ei_row) return values.EI;
    return is_array_station(station) ? context.wall.EI[station] : 0.0;
  };
  if (!c.open) {
    if (code == 1) {
      row(f.span_row, from, shown_ei(from));
      place(context, from, to, values, values, line, what);
    } else {
      row(f.start_row, from, shown_ei(from));
      c = Continuation{true, from, values, line};
    }
    return;
  }
  row(f.end_row, to, shown_ei(c.station));
  place(context, c.station, to, c.values, values, line, what);
  if (code == 1) {
    c.open = false;
  } else {
    c = Continuation{true, to, values, line};
  }
}

void close_table(const InputContext& context, const Continuation& c) {
  if (c.open) {
    stop_bad_record(context.in(), c.line,
                    "the last record of the table is continued (CONTD 2), but no record "
                    "follows to end its span");
  }
}

int read_count(const InputContext& context, const std::string& at, int count,
               std::string_view what) {
  context.in().take(at);
  if (count < 0 || count > kMaxTableRecords) {
    stop_bad_record(context.in(), context.in().current_line(),
                    "the number of " + std::string(what) + " must be 0 to " +
                        std::to_string(kMaxTableRecords) + ", found " + std::to_string(count));
  }
  return count;
}

void wall_section_rows(const InputContext& context) {
  Continuation c;
  const std::vector<WallSection>& sections = context.tables.wall_sections;
  for (const WallSection& section : sections) {
    const CrossSection& cross =
        context.tables.cross_sections[static_cast<std::size_t>(section.section - 1)];
    const int top = depth_station(context, section.top);
    const int bottom = depth_station(context, section.bottom);
    RowValues at_top;
    at_top.EI = cross.E_top * cross.I_top;
    RowValues at_bottom;
    at_bottom.EI = cross.E_bottom * cross.I_bottom;
    const std::string what = "wall section " + std::to_string(&section - sections.data() + 1);
    table_record(context, c, 2, top, top, at_top, section.line, what, true);
    table_record(context, c, 1, bottom, bottom, at_bottom, section.line, what, true);
  }
}

// One record of a load or spring table as read.
struct TableRecord {
  int code = 0;
  int from = 0;
  int to = 0;
  RowValues values;
};

// Takes a table: its count record, then every record through take_record,
// each placed on the stations and echoed as it comes.
template <typename TakeRecord>
void read_table(const InputContext& context, const std::string& at, int given_count,
                std::string_view what, TakeRecord take_record) {
  const int count = read_count(context, at + "_count", given_count, what);
  Continuation c;
  for (int k = 0; k < count; ++k) {
    TableRecord record;
    take_record(static_cast<std::size_t>(k), record);
    const std::size_t line = context.in().current_line();
    const std::string name =
        std::string(what.substr(0, what.size() - 1)) + " " + std::to_string(k + 1);
    table_record(context, c, record.code, record.from, record.to, record.values, line, name);
  }
  close_table(context, c);
}

// Load records: CONTD code, FROM, TO, Q, T, P.  A record with a couple is
// kept for the shear correction of the results.
void load_records(const InputContext& context) {
  const deck::Problem& given = context.records();
  read_table(context, "load", given.load_count, "load records", [&](std::size_t k, TableRecord& r) {
    context.in().take("loads/" + std::to_string(k) + "/axial");
    const deck::LoadRecord& load = given.loads[k];
    r.code = static_cast<int>(load.span);
    r.from = load.from_station;
    r.to = load.to_station;
    r.values.Q = load.load;
    r.values.T = load.couple;
    r.values.P = load.axial;
    if (r.values.T != 0.0) {
      context.tables.couples.push_back(
          CoupleRecord{r.from, r.values.T / (2.0 * context.geometry.h)});
    }
  });
}

// Spring records: FROM, TO, CONTD code, S, R; each is kept for the
// restraint results.
void spring_records(const InputContext& context) {
  const deck::Problem& given = context.records();
  read_table(context, "spring", given.spring_count, "spring records",
             [&](std::size_t k, TableRecord& r) {
               context.in().take("springs/" + std::to_string(k) + "/rotational");
               const deck::SpringRecord& spring = given.springs[k];
               r.from = spring.from_station;
               r.to = spring.to_station;
               r.code = static_cast<int>(spring.span);
               r.values.S = spring.lateral;
               r.values.R = spring.rotational;
               context.tables.springs.push_back(SpringRecord{r.from, r.to, r.values.S, r.values.R});
             });
}

void tiebacks(const InputContext& context) {
  const int count = context.control.tiebacks;
  if (count < 0) {
    stop_bad_record(context.in(), context.control.line,
                    "the number of tie-backs must not be negative");
  }
  if (count > kMaxTableRecords)
    stop_error(
        ErrorStop::too_much_data, place_of(context.in(), context.control.line),
        "more than " + std::to_string(kMaxTableRecords) + " tie-backs: " + std::to_string(count));
  const bool english = context.control.units == UnitSystem::english;
  const double W = context.geometry.width;
  Continuation c;
  for (int k = 0; k < count; ++k) {
    TieBack t;
    context.in().take("tiebacks/" + std::to_string(k) + "/prestress");
    const deck::Tieback& given = context.records().tiebacks[static_cast<std::size_t>(k)];
    t.depth = given.depth;
    t.area = given.area;
    t.modulus = given.elastic_modulus;
    t.unbonded_length = given.unbonded_length;
    t.angle = given.angle;
    t.spacing = given.spacing;
    t.prestress = given.prestress;
    const std::size_t line = context.in().current_line();
    const std::string name = "tie-back " + std::to_string(k + 1);
    if (!(W > 0.0)) {
      stop_bad_record(context.in(), context.geometry.line,
                      "the analysis width must be greater than 0 when there are tie-backs");
    }
    if (!(t.spacing > 0.0)) {
      stop_bad_record(context.in(), line,
                      "the anchor spacing of " + name + " must be greater than 0");
    }
    if (!(t.unbonded_length > 0.0)) {
      stop_bad_record(context.in(), line,
                      "the unbonded length of " + name + " must be greater than 0");
    }
    t.station = depth_station(context, t.depth);
    if (t.station < 0 || t.station > context.geometry.N) {
      stop_bad_record(context.in(), line,
                      "the depth of " + name + " lies at station " + std::to_string(t.station) +
                          ", outside the wall (stations 0 to " +
                          std::to_string(context.geometry.N) + ")");
    }
    const double cosine = std::cos(kPi * t.angle / 180.0);
    if (english) {
      t.S = t.area * t.modulus * cosine * W / (144.0 * t.spacing * t.unbonded_length);
      t.Q = -(W / (12.0 * t.spacing)) * t.prestress * cosine;
    } else {
      t.S = t.area * t.modulus * cosine * W / (t.spacing * t.unbonded_length);
      t.Q = -(W / t.spacing) * t.prestress * cosine;
    }
    if (!std::isfinite(t.S) || !std::isfinite(t.Q)) {
      stop_bad_record(context.in(), line,
                      "the spring or the prestress load of " + name + " is too large");
    }
    RowValues values;
    values.S = t.S;
    values.Q = t.Q;
    table_record(context, c, 1, t.station, t.station, values, line, name);
    context.tables.tiebacks.push_back(t);
  }
}

void tieback_table(const InputContext& context) {
  if (context.tables.tiebacks.empty()) return;
  const TableFormats& f = formats();
  const UnitLabels& l = context.labels;
  const std::string_view depth = l.depth_alt.substr(0, 2);
  context.report.write(f.tieback_head);
  context.report.write(f.tieback_units, {depth, l.length_short, l.power, l.digit2, l.force, l.slash,
                                         l.length_short, l.power, l.digit2, depth, depth, l.force});
  for (const TieBack& t : context.tables.tiebacks) {
    context.report.write(f.tieback_row, {t.depth, t.area, t.modulus, t.unbonded_length, t.angle,
                                         t.spacing, t.prestress});
  }
}

void check_end_of_wall(const InputContext& context) {
  const WallModel& wall = context.wall;
  const int N = wall.N;
  bool clear = wall.EI[N + 1] == 0.0 && wall.Q[N + 1] == 0.0 && wall.S[N + 1] == 0.0 &&
               wall.T[N + 1] == 0.0 && wall.R[N + 1] == 0.0 && wall.P[N + 1] == 0.0;
  clear = clear && wall.EI[N + 2] == 0.0 && wall.T[N + 2] == 0.0 && wall.R[N + 2] == 0.0 &&
          wall.P[N + 2] == 0.0;
  // Data at station N+3 would never enter an equation: refused the same way.
  for (const StationArray<double>* array :
       {&wall.EI, &wall.Q, &wall.S, &wall.T, &wall.R, &wall.P}) {
    clear = clear && (*array)[N + 3] == 0.0;
  }
  if (!clear)
    stop_error(ErrorStop::data_beyond_end, place_of(context.in(), context.tables.beyond_end_line),
               context.tables.beyond_end_reason);
}

}  // namespace

void read_specified_points(const InputContext& context) {
  const TableFormats& f = formats();
  WallModel& wall = context.wall;
  const int count = context.control.specified_points;
  std::vector<std::size_t> lines;
  for (int k = 0; k < count; ++k) {
    SpecifiedPoint point;
    context.in().take("specified_points/" + std::to_string(k) + "/slope");
    const deck::SpecifiedPoint& given =
        context.records().specified_points[static_cast<std::size_t>(k)];
    point.case_code = static_cast<int>(given.condition);
    point.station = given.station;
    point.deflection = given.deflection;
    point.slope = given.slope;
    lines.push_back(context.in().current_line());
    const int lowest = wall.specified_points.empty() ? -1 : wall.specified_points.back().station;
    if (point.station < lowest) {
      stop_error(ErrorStop::stations_not_in_order, place_of(context.in()),
                 "specified point at station " + std::to_string(point.station) + " after station " +
                     std::to_string(lowest));
    }
    wall.specified_points.push_back(point);
  }
  if (std::optional<SpecifiedPointError> error = set_condition_codes(wall)) {
    const std::size_t index = static_cast<std::size_t>(std::max(error->point_number, 1) - 1);
    stop_bad_record(
        context.in(), index < lines.size() ? lines[index] : context.geometry.line,
        "specified point " + std::to_string(error->point_number) + ": " + error->message);
  }
  if (count == 0) {
    context.report.write(f.no_points);
    return;
  }
  context.report.write(f.points_head, {context.labels.length_short});
  for (const SpecifiedPoint& p : wall.specified_points) {
    if (p.case_code <= 1) {
      context.report.write(f.deflection_row, {p.station, p.case_code, p.deflection});
    } else if (p.case_code == 2) {
      context.report.write(f.slope_row, {p.station, p.case_code, p.slope});
    } else {
      context.report.write(f.both_row, {p.station, p.case_code, p.deflection, p.slope});
    }
  }
}

void read_stiffness_and_load_data(const InputContext& context) {
  const TableFormats& f = formats();
  const UnitLabels& l = context.labels;
  context.tables.springs.clear();
  context.tables.couples.clear();
  context.tables.tiebacks.clear();
  context.tables.beyond_end_line = 0;
  context.tables.beyond_end_reason.clear();
  context.report.write(f.table_head);
  context.report.write(f.table_units, {l.force, l.dash, l.length_short, l.power, l.digit2, l.force,
                                       l.force, l.slash, l.length_short, l.force_short, l.dash,
                                       l.length, l.force_short, l.dash, l.length, l.force});
  wall_section_rows(context);
  load_records(context);
  spring_records(context);
  tiebacks(context);
  tieback_table(context);
  check_end_of_wall(context);
}

}  // namespace kestro
