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

// Reads one real of a READ and refuses a non-finite or huge value.
void finite_real(ListRead& read, const ListInput& input, double& value, const char* name) {
  read.real(value);
  if (!(std::abs(value) <= kLargestValue)) {
    stop_bad_record(
        input, 0,
        std::string(name) + " must be a number between -1e15 and 1e15, found " + shown(value));
  }
}

void read_layer_values(ListInput& input, SoilLayerValues& values, const std::string& where) {
  ListRead read = input.read();
  const std::string prefix = where + ": ";
  for (auto [value, name] : {std::pair{&values.unit_weight, "the total unit weight"},
                             std::pair{&values.S, "the strength S"}, std::pair{&values.PHI, "PHI"},
                             std::pair{&values.E50, "E50"}, std::pair{&values.KPY, "KPY"},
                             std::pair{&values.P6, "the sixth layer parameter"}}) {
    finite_real(read, input, *value, (prefix + name).c_str());
  }
}

}  // namespace

void read_specified_pressure(ListInput& input, TextUnit& report, const UnitLabels& labels,
                             SpecifiedPressure& table) {
  const RecordFormats& f = formats();
  table = SpecifiedPressure{};
  report.write(f.table_head, {labels.length, labels.force, labels.slash, labels.length_short});
  int count = 0;
  {
    ListRead read = input.read();
    read.integer(count);
  }
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
    double X = 0.0;
    double PA = 0.0;
    {
      ListRead read = input.read();
      finite_real(read, input, X, "the depth of a specified pressure point");
      finite_real(read, input, PA, "the specified active earth pressure");
    }
    report.write(f.table_row, {X, PA});
    if (!table.X.empty() && X < table.X.back()) {
      stop_error(ErrorStop::stations_not_in_order, place_of(input),
                 "the depths of the specified active earth pressure must not decrease");
    }
    table.X.push_back(X);
    table.PA.push_back(PA);
  }
}

void read_wall_group(ListInput& input, UnitSystem units, bool surcharges_used, WallGroup& wall) {
  wall = WallGroup{};
  {
    ListRead read = input.read();
    finite_real(read, input, wall.HFREE, "HFREE, the free height of the wall,");
    wall.line = input.current_line();
    finite_real(read, input, wall.WA, "WA");
    finite_real(read, input, wall.WP, "WP");
    finite_real(read, input, wall.ZWB, "ZWB");
    finite_real(read, input, wall.ZWE, "ZWE");
    finite_real(read, input, wall.FMOD, "FMOD");
    read.integer(wall.KWATER);
    finite_real(read, input, wall.BETA, "BETA");
    finite_real(read, input, wall.SLOPEX, "SLOPEX");
  }
  {
    ListRead read = input.read();
    SurfaceSurcharge& s = wall.surface;
    finite_real(read, input, wall.QSURF, "QSURF");
    finite_real(read, input, s.distance, "the distance of the surcharge");
    finite_real(read, input, s.point_load, "the point load");
    finite_real(read, input, s.line_load, "the line load");
    finite_real(read, input, s.strip_pressure, "the strip pressure");
    finite_real(read, input, s.strip_width, "the strip width");
  }
  int NSUR = 0;
  {
    ListRead read = input.read();
    read.integer(NSUR);
  }
  if (NSUR < 0 || NSUR > kMaxSurcharges) {
    stop_bad_record(input, 0,
                    "the number of surcharge items NSUR must be 0 to " +
                        std::to_string(kMaxSurcharges) + ", found " + std::to_string(NSUR));
  }
  const double scale = units == UnitSystem::si ? 1.0 / 1000.0 : 1.0;
  for (int i = 0; i < NSUR; ++i) {
    Surcharge item;
    {
      ListRead read = input.read();
      read.integer(item.KSUR);
      item.line = input.current_line();
      finite_real(read, input, item.QSUR, "QSUR");
      finite_real(read, input, item.XSUR, "XSUR");
      finite_real(read, input, item.BSUR, "BSUR");
      finite_real(read, input, item.ZSUR, "ZSUR");
      finite_real(read, input, item.FSUR, "FSUR");
    }
    item.XSUR *= scale;
    item.BSUR *= scale;
    item.ZSUR *= scale;
    if (surcharges_used && item.KSUR >= 1 && item.KSUR <= 3 &&
        !(wall.HFREE >= kSmallestFreeHeight)) {
      stop_bad_record(input, item.line,
                      "surcharge item " + std::to_string(i + 1) +
                          " needs a free height HFREE of at least 1e-6 (line " +
                          std::to_string(wall.line) + " gives " + shown(wall.HFREE) + ")");
    }
    wall.surcharges.push_back(item);
  }
  int NLAYER = 0;
  {
    ListRead read = input.read();
    read.integer(NLAYER);
    read.integer(wall.loading_flag);
    finite_real(read, input, wall.load_cycles, "the loading parameter");
  }
  if (NLAYER < 0 || NLAYER > kMaxSoilLayers) {
    stop_bad_record(input, 0,
                    "the number of soil layers must be 0 to " + std::to_string(kMaxSoilLayers) +
                        ", found " + std::to_string(NLAYER));
  }
  double previous_bottom = 0.0;
  for (int i = 0; i < NLAYER; ++i) {
    SoilLayer layer;
    const std::string where = "soil layer " + std::to_string(i + 1);
    {
      ListRead read = input.read();
      read.integer(layer.IDSOIL);
      layer.line = input.current_line();
      finite_real(read, input, layer.ZBOT, (where + ": ZBOT").c_str());
    }
    layer.thickness = layer.ZBOT - previous_bottom;
    previous_bottom = layer.ZBOT;
    read_layer_values(input, layer.top, where + " (top)");
    read_layer_values(input, layer.bottom, where + " (bottom)");
    wall.layers.push_back(layer);
  }
}

}  // namespace kestro
