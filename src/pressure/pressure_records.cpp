#include "pressure/pressure_records.h"

#include <cmath>
#include <sstream>
#include <string>

#include "common/run_stop.h"

namespace kestro {

namespace {

// Below this free height the surcharge formulas cannot be evaluated.
constexpr double kSmallestFreeHeight = 1.0e-6;

struct RecordFormats {
  FortranFormat table_head = FortranFormat::parse(
      "(///6X,50('*')/6X,'*        SPECIFIED ACTIVE EARTH PRESSURE         *'/6X,50('*')//"
      "8X,' DEPTH         ACTIVE EARTH PRESSURE'/8X,1X,A3,17X,A4,A1,A2/"
      "8X,'--------       ------------------------')");
  FortranFormat table_row = FortranFormat::parse("(5X,1PE12.5,8X,1PE12.5)");
};

const RecordFormats& formats() {
  static const RecordFormats kFormats;
  return kFormats;
}

// A value as a message shows it: 0, 1e-07, 12.5.
std::string shown(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// Values of these records beyond this magnitude are refused: their
// products in the pressure formulas would overflow.
constexpr double kLargestValue = 1.0e15;

// Refuses a non-finite or huge value of the record just taken.
double finite(const DeckSource& input, double value, const std::string& name) {
  if (!(std::abs(value) <= kLargestValue)) {
    stop_bad_record(input, 0,
                    name + " must be a number between -1e15 and 1e15, found " + shown(value));
  }
  return value;
}

// The six values of a soil layer at its top or its bottom, the record at `at`
// just taken.
SoilLayerValues layer_values(const DeckSource& input, const deck::LayerValues& given,
                             const std::string& where) {
  const std::string prefix = where + ": ";
  SoilLayerValues values;
  values.unit_weight = finite(input, given.unit_weight, prefix + "the total unit weight");
  values.S = finite(input, given.strength, prefix + "the strength S");
  values.PHI = finite(input, given.friction_angle, prefix + "PHI");
  values.E50 = finite(input, given.e50, prefix + "E50");
  values.KPY = finite(input, given.kpy, prefix + "KPY");
  values.P6 = finite(input, given.sixth, prefix + "the sixth layer parameter");
  return values;
}

}  // namespace

void read_specified_pressure(DeckSource& input, TextUnit& report, const UnitLabels& labels,
                             SpecifiedPressure& table) {
  const RecordFormats& f = formats();
  table = SpecifiedPressure{};
  report.write(f.table_head, {labels.length, labels.force, labels.slash, labels.length_short});
  input.take("pressure_point_count");
  const deck::Problem& given = input.problem();
  const int count = given.pressure_point_count;
  table.line = input.current_line();
  if (count < 0 || count > kMaxSpecifiedPressurePoints) {
    stop_bad_record(input, table.line,
                    "the number of points of the specified active earth pressure must be 0 to " +
                        std::to_string(kMaxSpecifiedPressurePoints) + ", found " +
                        std::to_string(count));
  }
  table.X.reserve(static_cast<std::size_t>(count));
  table.PA.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::string at = "pressure_table/" + std::to_string(i);
    input.take(at + "/pressure");
    const deck::PressurePoint& point = given.pressure_table[static_cast<std::size_t>(i)];
    const double X = finite(input, point.depth, "the depth of a specified pressure point");
    const double PA = finite(input, point.pressure, "the specified active earth pressure");
    report.write(f.table_row, {X, PA});
    if (!table.X.empty() && X < table.X.back()) {
      stop_error(ErrorStop::stations_not_in_order, place_of(input),
                 "the depths of the specified active earth pressure must not decrease");
    }
    table.X.push_back(X);
    table.PA.push_back(PA);
  }
}

void read_wall_group(DeckSource& input, UnitSystem units, bool surcharges_used, WallGroup& wall) {
  wall = WallGroup{};
  const deck::Problem& given = input.problem();
  input.take("wall/excavation_slope");
  {
    const deck::WallRecord& w = given.wall;
    wall.line = input.line_of("wall/free_height");
    wall.free_height_place = input.place_of_item("wall/free_height");
    wall.backfill_slope_place = input.place_of_item("wall/backfill_slope");
    wall.HFREE = finite(input, w.free_height, "HFREE, the free height of the wall,");
    wall.WA = finite(input, w.pressure_width, "WA");
    wall.WP = finite(input, w.resistance_width, "WP");
    wall.ZWB = finite(input, w.water_depth_retained, "ZWB");
    wall.ZWE = finite(input, w.water_depth_excavation, "ZWE");
    wall.FMOD = finite(input, w.active_factor, "FMOD");
    wall.KWATER = static_cast<int>(w.water_pressure);
    wall.BETA = finite(input, w.backfill_slope, "BETA");
    wall.SLOPEX = finite(input, w.excavation_slope, "SLOPEX");
  }
  input.take("surface/strip_width");
  {
    const deck::SurfaceRecord& record = given.surface;
    SurfaceSurcharge& s = wall.surface;
    wall.QSURF = finite(input, record.pressure, "QSURF");
    s.distance = finite(input, record.distance, "the distance of the surcharge");
    s.point_load = finite(input, record.point_load, "the point load");
    s.line_load = finite(input, record.line_load, "the line load");
    s.strip_pressure = finite(input, record.strip_pressure, "the strip pressure");
    s.strip_width = finite(input, record.strip_width, "the strip width");
  }
  input.take("surcharge_count");
  const int NSUR = given.surcharge_count;
  if (NSUR < 0 || NSUR > kMaxSurcharges) {
    stop_bad_record(input, 0,
                    "the number of surcharge items NSUR must be 0 to " +
                        std::to_string(kMaxSurcharges) + ", found " + std::to_string(NSUR));
  }
  const double scale = units == UnitSystem::si ? 1.0 / 1000.0 : 1.0;
  for (int i = 0; i < NSUR; ++i) {
    const std::string at = "surcharges/" + std::to_string(i);
    input.take(at + "/factor");
    const deck::Surcharge& record = given.surcharges[static_cast<std::size_t>(i)];
    Surcharge item;
    item.KSUR = static_cast<int>(record.type);
    item.line = input.line_of(at + "/type");
    item.QSUR = finite(input, record.magnitude, "QSUR");
    item.XSUR = finite(input, record.distance, "XSUR");
    item.BSUR = finite(input, record.width, "BSUR");
    item.ZSUR = finite(input, record.height, "ZSUR");
    item.FSUR = finite(input, record.factor, "FSUR");
    item.XSUR *= scale;
    item.BSUR *= scale;
    item.ZSUR *= scale;
    if (surcharges_used && item.KSUR >= 1 && item.KSUR <= 3 &&
        !(wall.HFREE >= kSmallestFreeHeight)) {
      stop_bad_record(input, item.line,
                      "surcharge item " + std::to_string(i + 1) +
                          " needs a free height HFREE of at least 1e-6 (" + input.where(wall.line) +
                          " gives " + shown(wall.HFREE) + ")");
    }
    wall.surcharges.push_back(item);
  }
  input.take("load_cycles");
  wall.soil_line = input.line_of("soil_layer_count");
  wall.soil_count_place = input.place_of_item("soil_layer_count");
  wall.deck = input.label();
  const int NLAYER = given.soil_layer_count;
  wall.loading_flag = static_cast<int>(given.loading);
  wall.load_cycles = finite(input, given.load_cycles, "the loading parameter");
  if (NLAYER < 0 || NLAYER > kMaxSoilLayers) {
    stop_bad_record(input, 0,
                    "the number of soil layers must be 0 to " + std::to_string(kMaxSoilLayers) +
                        ", found " + std::to_string(NLAYER));
  }
  double previous_bottom = 0.0;
  for (int i = 0; i < NLAYER; ++i) {
    const std::string at = "soil_layers/" + std::to_string(i);
    const std::string where = "soil layer " + std::to_string(i + 1);
    input.take(at + "/bottom_depth");
    const deck::SoilLayer& record = given.soil_layers[static_cast<std::size_t>(i)];
    SoilLayer layer;
    layer.IDSOIL = static_cast<int>(record.soil_type);
    layer.line = input.line_of(at + "/soil_type");
    layer.bottom_place = input.place_of_item(at + "/bottom_depth");
    layer.ZBOT = finite(input, record.bottom_depth, where + ": ZBOT");
    layer.thickness = layer.ZBOT - previous_bottom;
    previous_bottom = layer.ZBOT;
    input.take(at + "/sixth");
    const deck::LayerValues top{record.unit_weight, record.strength, record.friction_angle,
                                record.e50,         record.kpy,      record.sixth};
    layer.top = layer_values(input, top, where + " (top)");
    input.take(at + "/at_bottom/sixth");
    layer.bottom = layer_values(input, record.at_bottom, where + " (bottom)");
    wall.layers.push_back(layer);
  }
}

InputPlace soil_end_place(const WallGroup& group) {
  if (group.layers.empty())
    return given_place(group.soil_count_place, group.deck, group.soil_line, 1);
  const SoilLayer& last = group.layers.back();
  return given_place(last.bottom_place, group.deck, last.line, 2);
}

}  // namespace kestro
