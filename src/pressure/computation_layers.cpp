#include "pressure/computation_layers.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "common/run_stop.h"

namespace kestro {

namespace {

constexpr double kDegreesPerRadian = double(57.2958f);
constexpr double kWaterEnglish = double(0.036f);
constexpr double kWaterSI = double(9.81f);

struct LayerFormats {
  FortranFormat wall_head = FortranFormat::parse(
      "(///6X,50('*')/6X,'*                WALL INFORMATION                *'/6X,50('*'))");
  FortranFormat value_label = FortranFormat::parse("(6X,A,1PE10.3,A)");
  FortranFormat value_compound = FortranFormat::parse("(6X,A,1PE10.3,A4,A1,A2,A2,A1)");
  FortranFormat value_plain = FortranFormat::parse("(6X,A,1PE10.3)");
  FortranFormat surcharge_head = FortranFormat::parse(
      "(///6X,50('*')/6X,'*              SURCHARGE INFORMATION             *'/6X,50('*'))");
  FortranFormat item_number = FortranFormat::parse("(/6X,'SURCHARGE LOADING NO.        = ',I10)");
  FortranFormat item_value = FortranFormat::parse("(6X,A,E10.3,A)");
  FortranFormat item_compound = FortranFormat::parse("(6X,A,E10.3,A4,A1,A2,A2,A1)");
  FortranFormat item_plain = FortranFormat::parse("(6X,A,E10.3)");
  FortranFormat text_line = FortranFormat::parse("(6X,A)");
  FortranFormat soil_head = FortranFormat::parse(
      "(///6X,50('*')/6X,'*                SOIL INFORMATION                *'/6X,50('*')//"
      "7X,'         TOTAL   COHESION/       TOTAL UNIT'/"
      "7X,'LAYER  THICKNESS STRENGTH    PHI   WEIGHT   DRAINED  ZTOP')");
  FortranFormat soil_units_english =
      FortranFormat::parse("(7X,'NO.',9X,'FT',5X,'PSI',7X,'DEG',5X,'PCI',4X,'T OR F',4X,'FT')");
  FortranFormat soil_units_si =
      FortranFormat::parse("(7X,'NO.',9X,' M',5X,'kPa',7X,'DEG',3X,'kN/M^3',3X,'T OR F',4X,' M')");
  FortranFormat soil_row = FortranFormat::parse("(7X,I3,F9.1,F10.1,F10.1,F9.3,5X,L1,F10.2)");

  FortranFormat stress_head = FortranFormat::parse(
      "(//6X,50('*')/6X,'*            EFFECTIVE OVERBURDEN STRESS         *'/6X,50('*')//"
      "6X,'          DEPTH                     STRESS       '/16X,A3,22X,A4,A1,A2,A2,A1)");
  FortranFormat stress_row = FortranFormat::parse("(12X,1PE10.3,17X,1PE10.3)");
  FortranFormat coefficient_head = FortranFormat::parse(
      "(//6X,50('*')/6X,'* ACTIVE AND PASSIVE EARTH PRESSURE COEFFICIENT  *'/6X,50('*')//"
      "6X,'  LAYER         ACTIVE EARTH     PASSIVE EARTH(*)','  OPTIONAL EARTH(**)'/"
      "6X,'   NO.          COEFFICIENT       COEFFICIENT    ','   COEFFICIENT  ')");
  FortranFormat coefficient_row = FortranFormat::parse("(10X,I2,9X,1PE10.3,8X,1PE10.3,8X,1PE10.3)");
  FortranFormat notes = FortranFormat::parse(
      "(6X,'NOTES:'/6X,'(*)  PASSIVE EARTH COEFFICIENT IS PRINTED ONLY FOR ','REFERENCE, '/"
      "6X,'     IT IS NOT USED FOR ANALYSIS'/"
      "6X,'(**) OPTIONAL EARTH COEFFICIENT IS USED TO ESTIMATE',' ACTIVE PRESSURE '/"
      "6X,'     IF IT IS DIFFERENT THAN ZERO')");
  FortranFormat slope_warning = FortranFormat::parse(
      "(//'**** WARNING ******'/"
      "'THE BACKFILL SLOPE ANGLE SHOULD BE LESS THAN THE ''INTERNAL FRICTION ANGLE OF SAND.')");
};

const LayerFormats& formats() {
  static const LayerFormats kFormats;
  return kFormats;
}

bool near(double a, double b) {
  return std::abs(a - b) <= kDepthTolerance;
}

// Printed depths: feet in English runs, metres in SI runs.
double shown_depth(double depth, UnitSystem units) {
  return units == UnitSystem::english ? depth / 12.0 : depth;
}

// A depth as a message shows it: 120, 3.5.
std::string fmt_depth(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

}  // namespace

double unit_weight_of_water(UnitSystem units) {
  return units == UnitSystem::si ? kWaterSI : kWaterEnglish;
}

EarthCoefficients earth_coefficients(double PHI, double BETA) {
  EarthCoefficients k;
  const double t = std::tan((45.0 - PHI / 2.0) / kDegreesPerRadian);
  k.KA = t * t;
  k.sqrt_KA = t;
  if (std::abs(BETA) > 0.0) {
    const double c = std::cos(BETA / kDegreesPerRadian);
    const double cos_phi = std::cos(PHI / kDegreesPerRadian);
    const double radicand = c * c - cos_phi * cos_phi;
    // A friction angle beyond 90 degrees can leave no real coefficient: the
    // flat-ground value stays, as for a slope too steep.
    if (PHI > std::abs(BETA) && radicand >= 0.0 && c > 0.0) {
      const double r = std::sqrt(radicand);
      k.KA = c * (c - r) / (c + r);
      k.sqrt_KA = std::sqrt(k.KA);
    } else {
      k.slope_too_steep = true;
    }
  }
  const double tp = std::tan((45.0 + PHI / 2.0) / kDegreesPerRadian);
  k.KP = tp * tp;
  k.sqrt_KP = tp;
  k.K0 = 1.0 - std::sin(PHI / kDegreesPerRadian);
  return k;
}

ComputationLayers split_into_computation_layers(const WallGroup& wall, UnitSystem units) {
  ComputationLayers result;
  result.gamma_w = unit_weight_of_water(units);
  result.KWATER = wall.KWATER;
  result.working = working_surcharge(wall);

  // Special depths, sorted, each once, none at or above the surface.
  std::vector<double> special;
  for (double depth : {std::min(wall.HFREE, wall.ZWB), std::max(wall.HFREE, wall.ZWB)}) {
    if (depth <= kDepthTolerance) continue;
    if (!special.empty() && near(special.back(), depth)) continue;
    special.push_back(depth);
  }
  std::size_t next = 0;
  double top = 0.0;
  auto add = [&](const SoilLayer& parent, double from, double to) {
    if (static_cast<int>(result.layers.size()) >= kMaxComputationLayers) {
      result.overflow = true;
      return false;
    }
    ComputationLayer layer;
    layer.thickness = to - from;
    layer.ZTOP = from;
    layer.S = parent.top.S;
    layer.PHI = parent.top.PHI;
    layer.unit_weight = parent.top.unit_weight;
    layer.drained = parent.drained();
    layer.IDSOIL = parent.IDSOIL;
    const bool rock = parent.IDSOIL == 6 || parent.IDSOIL == 7;
    layer.optional_coefficient = rock ? 0.0 : parent.top.P6;
    result.layers.push_back(layer);
    return true;
  };
  for (const SoilLayer& parent : wall.layers) {
    if (!(parent.thickness > 0.0)) break;
    const double bottom = top + parent.thickness;
    bool room = true;
    while (room && next < special.size()) {
      const double depth = special[next];
      if (near(depth, bottom)) {
        ++next;
        break;
      }
      if (depth > top && depth < bottom) {
        room = add(parent, top, depth);
        top = depth;
        ++next;
        continue;
      }
      break;
    }
    if (!room || !add(parent, top, bottom)) break;
    top = bottom;
  }
  result.ZBOTTOM = top;
  const int count = static_cast<int>(result.layers.size());
  for (int i = 0; i < count; ++i) {
    const double ZTOP = result.layers[static_cast<std::size_t>(i)].ZTOP;
    if (near(ZTOP, wall.HFREE)) result.IEXC = i + 1;
    if (near(ZTOP, wall.ZWB)) result.IWAT = i + 1;
  }
  return result;
}

SurfaceSurcharge working_surcharge(const WallGroup& wall) {
  SurfaceSurcharge w = wall.surface;
  for (const Surcharge& item : wall.surcharges) {
    switch (item.KSUR) {
      case 1:
        w.point_load = item.QSUR;
        w.distance = item.XSUR;
        w.line_load = 0.0;
        w.strip_pressure = 0.0;
        break;
      case 2:
        w.line_load = item.QSUR;
        w.distance = item.XSUR;
        w.point_load = 0.0;
        w.strip_pressure = 0.0;
        break;
      case 3:
        w.strip_pressure = item.QSUR;
        w.distance = item.XSUR;
        w.strip_width = item.BSUR;
        w.point_load = 0.0;
        w.line_load = 0.0;
        break;
      default:
        break;
    }
  }
  return w;
}

void echo_wall_group(TextUnit& report, const UnitLabels& l, UnitSystem units, const WallGroup& wall,
                     const ComputationLayers& layers) {
  const LayerFormats& f = formats();
  const bool english = units == UnitSystem::english;
  const std::string_view depth_label = english ? l.depth.substr(0, 3) : l.length;
  report.write(f.wall_head);
  report.write(f.value_label, {std::string_view("FREE HEIGHT OF WALL                    = "),
                               shown_depth(wall.HFREE, units), depth_label});
  report.write(f.value_label,
               {std::string_view("WIDTH FOR EARTH PRESSURE, WA           = "), wall.WA, l.length});
  report.write(f.value_label,
               {std::string_view("WIDTH FOR SOIL RESISTANCE, WP          = "), wall.WP, l.length});
  report.write(f.value_label, {std::string_view("DEPTH TO THE WATER TABLE AT BACKFILL   = "),
                               shown_depth(wall.ZWB, units), depth_label});
  report.write(f.value_label, {std::string_view("DEPTH TO THE WATER TABLE AT EXCAVATION = "),
                               shown_depth(wall.ZWE, units), depth_label});
  report.write(f.value_compound,
               {std::string_view("UNIT WEIGHT OF WATER                   = "), layers.gamma_w,
                l.force, l.slash, l.length_short, l.power, l.digit3});
  report.write(f.value_plain,
               {std::string_view("SLOPE OF THE BACKFILL (deg.)           = "), wall.BETA});
  report.write(f.value_plain,
               {std::string_view("SLOPE OF THE EXCAVATION GROUND (deg.)  = "), wall.SLOPEX});
  report.write(f.value_plain,
               {std::string_view("MODIFICATION FOR ACTIVE EARTH PRESSURE = "), wall.FMOD});

  report.write(f.surcharge_head);
  report.write(f.value_compound, {std::string_view("UNIFORM SURFACE PRESSURE     ="), wall.QSURF,
                                  l.force, l.slash, l.length_short, l.power, l.digit2});
  for (std::size_t i = 0; i < wall.surcharges.size(); ++i) {
    const Surcharge& item = wall.surcharges[i];
    if (item.KSUR < 1 || item.KSUR > 3) continue;
    report.write(f.item_number, {static_cast<std::int64_t>(i + 1)});
    switch (item.KSUR) {
      case 1:
        report.write(f.item_value,
                     {std::string_view("POINT LOAD                   = "), item.QSUR, l.force});
        break;
      case 2:
        report.write(f.item_compound, {std::string_view("LINE LOAD                    = "),
                                       item.QSUR, l.force, l.slash, l.length_short});
        break;
      default:
        report.write(f.item_compound,
                     {std::string_view("STRIP LOAD                   = "), item.QSUR, l.force,
                      l.slash, l.length_short, l.power, l.digit2});
        report.write(f.item_value,
                     {std::string_view("WIDTH OF THE STRIP LOAD      = "), item.BSUR, l.length});
        break;
    }
    report.write(f.item_value,
                 {std::string_view("HORIZONTAL DISTANCE BETWEEN  = "), item.XSUR, l.length});
    report.write(f.text_line, {std::string_view(item.KSUR == 3 ? "WALL AND MIDDLE OF STRIP WIDTH"
                                                               : "THE WALL AND SURCHARGE")});
    report.write(f.item_value,
                 {std::string_view("VERTICAL DISTANCE BETWEEN    = "), item.ZSUR, l.length});
    report.write(f.text_line, {std::string_view("THE WALL AND SURCHARGE")});
    report.write(f.item_plain, {std::string_view("FACTOR FOR SURCHARGE LOAD    = "), item.FSUR});
  }

  report.write(f.soil_head);
  report.write(english ? f.soil_units_english : f.soil_units_si);
  for (std::size_t i = 0; i < layers.layers.size(); ++i) {
    const ComputationLayer& layer = layers.layers[i];
    report.write(f.soil_row,
                 {static_cast<std::int64_t>(i + 1), shown_depth(layer.thickness, units), layer.S,
                  layer.PHI, layer.unit_weight, layer.drained, shown_depth(layer.ZTOP, units)});
  }
}

void check_computation_layers(const ComputationLayers& layers, const WallGroup& wall,
                              UnitSystem units) {
  const char* unit = units == UnitSystem::english ? " in" : " m";
  if (layers.IEXC < 1) {
    stop_with_code(StopCode::outside_profile, soil_end_place(wall),
                   "the soil layers end at " + fmt_depth(layers.ZBOTTOM) + unit +
                       ", not below the free height HFREE = " + fmt_depth(wall.HFREE) + unit +
                       " of the wall record (" +
                       (wall.free_height_place.path.empty() ? "line " + std::to_string(wall.line)
                                                            : wall.free_height_place.path) +
                       "): no computation layer begins at the excavation");
  }
  if (layers.overflow) {
    stop_with_code(StopCode::too_many_layers,
                   given_place(wall.soil_count_place, wall.deck, wall.soil_line, 1),
                   "splitting the soil layers at HFREE and ZWB needs more than " +
                       std::to_string(kMaxComputationLayers) + " computation layers");
  }
}

void compute_stresses_and_coefficients(TextUnit& report, TextUnit& monitor, const UnitLabels& l,
                                       UnitSystem units, const WallGroup& wall,
                                       int earth_pressure_option, ComputationLayers& layers) {
  const LayerFormats& f = formats();
  std::vector<ComputationLayer>& list = layers.layers;
  const double gamma_w = layers.gamma_w;
  for (ComputationLayer& layer : list) {
    layer.below_water = near(layer.ZTOP, wall.ZWB) || layer.ZTOP > wall.ZWB;
  }
  // Total vertical stress at the top of every layer first.
  double sigma = wall.QSURF;
  for (ComputationLayer& layer : list) {
    layer.SIGVP = sigma;
    sigma += layer.thickness * layer.unit_weight;
  }
  const bool english = units == UnitSystem::english;
  const std::string_view depth_label = english ? l.depth.substr(0, 3) : l.length;
  report.write(f.stress_head, {depth_label, l.force, l.slash, l.length_short, l.power, l.digit2});
  for (ComputationLayer& layer : list) {
    if (layer.below_water) layer.SIGVP -= (layer.ZTOP - wall.ZWB) * gamma_w;
    report.write(f.stress_row, {shown_depth(layer.ZTOP, units), layer.SIGVP});
  }
  // Undrained layers below water with an optional coefficient carry the
  // total stress into the pressure.
  for (ComputationLayer& layer : list) {
    if (!layer.drained && layer.below_water &&
        layer.optional_coefficient > kOptionalCoefficientMin) {
      layer.SIGVP += (layer.ZTOP - wall.ZWB) * gamma_w;
    }
  }

  report.write(f.coefficient_head);
  for (std::size_t i = 0; i < list.size(); ++i) {
    ComputationLayer& layer = list[i];
    const EarthCoefficients k = earth_coefficients(layer.PHI, wall.BETA);
    if (k.slope_too_steep && wall.HFREE > layer.ZTOP) {
      monitor.write(f.slope_warning);
      report.write(f.slope_warning);
      layers.warnings.push_back(
          warning_at(WarningKind::backfill_slope_too_steep,
                     "the backfill slope BETA = " + fmt_depth(wall.BETA) +
                         " degrees is steeper than the friction angle of computation layer " +
                         std::to_string(i + 1) + " (" + fmt_depth(layer.PHI) +
                         " degrees): its active coefficient is taken for a slope equal to it",
                     given_place(wall.backfill_slope_place, wall.deck, wall.line, 8)));
    }
    layer.KA = k.KA;
    layer.sqrt_KA = k.sqrt_KA;
    layer.KP = k.KP;
    layer.sqrt_KP = k.sqrt_KP;
    layer.K0 = k.K0;
    report.write(f.coefficient_row,
                 {static_cast<std::int64_t>(i + 1), k.KA, k.KP, layer.optional_coefficient});
    const bool given = layer.optional_coefficient > kOptionalCoefficientMin;
    if (given || earth_pressure_option == 5) {
      layer.KA = layer.optional_coefficient;
      if (given) layer.sqrt_KA = 0.0;
    }
  }
  report.write(f.notes);
}

}  // namespace kestro
