#include "soil/soil_profile.h"

#include <cmath>
#include <sstream>
#include <string>

#include "common/list_input.h"
#include "common/run_stop.h"

namespace kestro {

namespace {

constexpr double kPi = double(3.1416f);
constexpr double kWaterEnglish = double(0.036f);
constexpr double kWaterSI = double(9.81f);
constexpr double kOffsetEnglish = double(0.1f);  // curve depths kept off the layer boundaries
constexpr double kOffsetSI = double(0.01f);
constexpr double kCutTolerance = 1.0e-8;
constexpr double kShortSegment = 1.0e-6;
constexpr double kPositive = 1.0e-20;
constexpr double kNoE50 = 1.0e-6;

struct ProfileFormats {
  FortranFormat strength_warning = FortranFormat::parse(
      "(/29X,'**** WARNING ****'/5X,'THE VALUE OF X =',G9.1,'IS BEYOND THE EXTENT OF'/"
      "5X,'THE INPUT STRENGTH CURVE')");
  FortranFormat strength_warning_report = FortranFormat::parse(
      "(/29X,'**** WARNING ****'/5X,'THE VALUE OF X =',E9.2,'IS BEYOND THE EXTENT OF THE'/"
      "5X,'INPUT CURVE FOR STRENGTH')");
  FortranFormat weight_warning = FortranFormat::parse(
      "(/29X,'**** WARNING ****'/5X,'THE VALUE OF X =',E9.2,'IS BEYOND THE EXTENT OF'/"
      "5X,'THE INPUT CURVE FOR UNIT WEIGHT')");
  FortranFormat title = FortranFormat::parse(
      "(//6X,50('*')/6X,'*        SOIL LAYERS AND STRENGTH DATA           *'/6X,50('*')/)");
  FortranFormat surface =
      FortranFormat::parse("(/9X,'X AT THE SURFACE OF EXCAVATION SIDE     = ',F10.2,A3)");
  FortranFormat layer_count = FortranFormat::parse("(/9X,I1,' LAYER(S) OF SOIL')");
  FortranFormat layer = FortranFormat::parse("(/9X,'LAYER',I3)");
  FortranFormat type_line = FortranFormat::parse("(9X,A)");
  FortranFormat cyclic = FortranFormat::parse("(9X,'              CYCLIC MODEL')");
  FortranFormat weight_head = FortranFormat::parse(
      "(//9X,'DISTRIBUTION OF EFFECTIVE UNIT WEIGHT WITH DEPTH'/27X,I2,' POINTS'//"
      "16X,'X,',A2,3X,'WEIGHT,',A3,'/',A2,'**3')");
  FortranFormat weight_row = FortranFormat::parse("(5X,F15.4,1PE15.4)");
  FortranFormat strength_head = FortranFormat::parse(
      "(//9X,'DISTRIBUTION OF STRENGTH PARAMETERS WITH DEPTH'/27X,I2,' POINTS'//"
      "16X,'X,',A2,5X,'S,',A3,'/',A2,'**2',6X,'PHI,DEGREE ',6X,'E50',6X,'KPY,',A3,'/',A2,"
      "'**3',2X)");
  FortranFormat strength_row =
      FortranFormat::parse("(5X,F15.2,2X,1PE13.4,2X,0PF13.3,1PE15.4,2X,1PE13.4)");
  FortranFormat strength_row_no_e50 =
      FortranFormat::parse("(5X,F15.2,2X,1PE13.4,2X,0PF13.3,7X,'-----',3X,2X,1PE13.4)");
  FortranFormat factors_head = FortranFormat::parse(
      "(/9X,'REDUCTION FACTORS FOR CLOSELY-SPACED WALL ELEMENTS'/1X/"
      "7X,'      DEPTH     P-FACTOR     Y-FACTOR        '/)");
  FortranFormat factors_row = FortranFormat::parse("(12X,F7.2,4X,F6.2,6X,F6.2)");
  FortranFormat curves_head = FortranFormat::parse("(//8X,'P-Y CURVES DATA'/)");
};

const ProfileFormats& formats() {
  static const ProfileFormats kFormats;
  return kFormats;
}

std::string number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// The report line of a soil type; empty for codes outside the table.
std::string_view type_line(int IDSOIL) {
  switch (IDSOIL) {
    case 1:
      return "THE SOIL IS A SOFT CLAY";
    case 2:
      return "THE SOIL IS A STIFF CLAY WITH FREE WATER      ";
    case 3:
      return "THE SOIL IS A STIFF CLAY WITHOUT FREE WATER   ";
    case 4:
      return "THE SOIL IS A SAND";
    case 5:
      return "THE SOIL IS A SILT";
    case 6:
      return "THE LAYER IS ROCK";
    case 7:
      return "THE LAYER IS WEAK ROCK";
    default:
      return {};
  }
}

bool clay_model(int IDSOIL) {
  return IDSOIL < 4 || IDSOIL > 7;
}

// Values of a straight-line profile from `top` at XT to `bottom` at XBot, at x.
SoilLayerValues values_at(const SoilLayerValues& top, const SoilLayerValues& bottom, double XT,
                          double XBot, double x) {
  const double t = XBot > XT ? (x - XT) / (XBot - XT) : 0.0;
  auto mix = [t](double a, double b) { return a + (b - a) * t; };
  SoilLayerValues v = bottom;
  v.S = mix(top.S, bottom.S);
  v.PHI = mix(top.PHI, bottom.PHI);
  v.E50 = mix(top.E50, bottom.E50);
  v.P6 = mix(top.P6, bottom.P6);
  return v;
}

// Bad input of a clay layer's values.
void check_clay_values(const PyLayer& layer, const SoilLayerValues& v, const char* where,
                       const ListInput& input) {
  const std::string name =
      "soil layer " + std::to_string(layer.soil_layer + 1) + " (" + where + " values)";
  if (!(v.E50 > 0.0)) {
    stop_bad_record(input, layer.line,
                    name + ": E50 must be positive for a clay p-y curve, found " + number(v.E50));
  }
  if (!(v.S >= 0.0)) {
    stop_bad_record(input, layer.line,
                    name + ": the undrained strength must not be negative, found " + number(v.S));
  }
  if (!(v.unit_weight >= 0.0)) {
    stop_bad_record(
        input, layer.line,
        name + ": the unit weight must not be negative, found " + number(v.unit_weight));
  }
  if (!(v.KPY >= 0.0)) {
    stop_bad_record(input, layer.line, name + ": KPY must not be negative, found " + number(v.KPY));
  }
}

void add_weight_points(SoilProfile& profile, const PyLayer& layer, double WT, double gamma_w) {
  const double H = profile.H;
  const double gamma = layer.top.unit_weight;
  std::vector<WeightPoint>& w = profile.weight;
  if (H + layer.XT < WT && WT < H + layer.XBot) {
    w.push_back({layer.XT, gamma});
    w.push_back({WT - H, gamma});
    w.push_back({WT - H, gamma - gamma_w});
    w.push_back({layer.XBot, gamma - gamma_w});
    return;
  }
  double top = H + layer.XT <= WT ? gamma : gamma - gamma_w;
  if (H + layer.XT == WT && !w.empty() && H + w.back().X == WT) top = gamma - gamma_w;
  w.push_back({layer.XT, top});
  w.push_back({layer.XBot, H + layer.XBot <= WT ? gamma : gamma - gamma_w});
}

}  // namespace

SoilLabels soil_labels(UnitSystem units) {
  if (units == UnitSystem::si) return SoilLabels{" M", " M", " KN"};
  return SoilLabels{"FT", "IN", "LBS"};
}

double water_unit_weight(UnitSystem units) {
  return units == UnitSystem::si ? kWaterSI : kWaterEnglish;
}

double depth_print_divisor(UnitSystem units) {
  return units == UnitSystem::si ? 1.0 : 12.0;
}

SoilProfile build_soil_profile(const WallGroup& group, const Geometry& geometry, UnitSystem units,
                               const ListInput& input) {
  if (!(group.WP > 0.0) || !std::isfinite(group.WP)) {
    stop_bad_record(input, group.line,
                    "the width for soil resistance WP must be positive to generate p-y curves, "
                    "found " +
                        number(group.WP));
  }
  if (!(group.SLOPEX < 90.0)) {
    stop_bad_record(input, group.line,
                    "the slope of the excavation ground SLOPEX must be below 90 degrees, found " +
                        number(group.SLOPEX));
  }
  SoilProfile profile;
  profile.H = group.HFREE;
  const double H = group.HFREE;
  const double h = geometry.h;
  profile.XL = geometry.N * h + 2.0 * h - H;
  double ZBOT = 0.0;
  for (std::size_t i = 0; i < group.layers.size(); ++i) {
    const SoilLayer& soil = group.layers[i];
    ZBOT += soil.thickness;
    if (ZBOT <= H) continue;
    PyLayer layer;
    layer.IDSOIL = soil.IDSOIL;
    layer.XT = profile.layers.empty() ? 0.0 : profile.layers.back().XBot;
    layer.XBot = ZBOT - H;
    layer.top = soil.top;
    layer.bottom = soil.bottom;
    layer.soil_layer = i;
    layer.line = soil.line;
    const bool cut = profile.XL < layer.XBot + kCutTolerance;
    if (cut) {
      layer.bottom = values_at(soil.top, soil.bottom, layer.XT, layer.XBot, profile.XL);
      layer.XBot = profile.XL;
      if (!(layer.XBot > layer.XT)) {
        stop_bad_record(input, group.line,
                        "the wall (" + number(geometry.N * h) +
                            " long) does not reach below the excavation surface (HFREE = " +
                            number(H) + "): no p-y curve can be generated");
      }
    }
    if (clay_model(layer.IDSOIL)) {
      check_clay_values(layer, layer.top, "top", input);
      check_clay_values(layer, layer.bottom, "bottom", input);
    }
    profile.layers.push_back(layer);
    if (cut) break;
  }
  if (profile.layers.empty()) {
    stop_with_code(StopCode::outside_profile,
                   "the soil layers end at depth " + number(ZBOT) +
                       ", not below the excavation surface (HFREE = " + number(H) +
                       "): no p-y layer for the generated curves");
  }
  const double gamma_w = water_unit_weight(units);
  for (const PyLayer& layer : profile.layers) {
    for (const auto& [X, v] :
         {std::pair{layer.XT, layer.top}, std::pair{layer.XBot, layer.bottom}}) {
      profile.strength.push_back(
          StrengthPoint{X, v.S, v.PHI * kPi / 180.0, v.E50, v.P6, layer.top.KPY});
    }
    add_weight_points(profile, layer, group.ZWB, gamma_w);
  }
  return profile;
}

namespace {

// Index k (>= 1) of the first point with x <= X(k); the point count when x
// lies beyond the profile.
std::size_t first_point_at_or_below(const std::vector<StrengthPoint>& points, double x) {
  for (std::size_t k = 1; k < points.size(); ++k) {
    if (x <= points[k].X) return k;
  }
  return points.size();
}

bool within_strength(const SoilProfile& profile, double x) {
  return profile.strength.size() >= 2 &&
         first_point_at_or_below(profile.strength, x) < profile.strength.size();
}

std::string beyond_strength(const SoilProfile& profile, double x) {
  const double end = profile.strength.empty() ? 0.0 : profile.strength.back().X;
  return "depth " + number(x) + " below the excavation surface is beyond the strength profile (" +
         "which ends at " + number(end) + ")";
}

}  // namespace

StrengthValues strength_at(const SoilProfile& profile, double x, std::ostream& console) {
  const std::vector<StrengthPoint>& p = profile.strength;
  if (!within_strength(profile, x)) {
    TextUnit unit;
    unit.attach(console);
    unit.write(formats().strength_warning, {x});
    unit.write(formats().strength_warning, {x});
    unit.close();
    stop_with_code(StopCode::outside_profile, beyond_strength(profile, x));
  }
  const std::size_t k = first_point_at_or_below(p, x);
  auto take = [](const StrengthPoint& q) { return StrengthValues{q.S, q.PHI, q.E50, q.P6}; };
  if (x == p.back().X) return take(p.back());
  if (x <= p[k - 1].X) return take(p[k - 1]);  // at or above the top of the profile
  if (x < p[k].X) {
    const double t = (x - p[k - 1].X) / (p[k].X - p[k - 1].X);
    auto mix = [t](double a, double b) { return a + (b - a) * t; };
    return StrengthValues{mix(p[k - 1].S, p[k].S), mix(p[k - 1].PHI, p[k].PHI),
                          mix(p[k - 1].E50, p[k].E50), mix(p[k - 1].P6, p[k].P6)};
  }
  // A layer boundary: point k closes the layer above, point k+1 opens the next.
  const StrengthPoint& upper = p[k];
  const StrengthPoint& lower = p[k + 1];
  auto mean = [](double a, double b) {
    if (a >= kPositive && b >= kPositive) return 0.5 * (a + b);
    return b >= kPositive ? b : a;
  };
  return StrengthValues{lower.S >= kPositive ? lower.S : upper.S, mean(upper.PHI, lower.PHI),
                        mean(upper.E50, lower.E50), mean(upper.P6, lower.P6)};
}

void check_strength_depth(const SoilProfile& profile, double x, TextUnit& report) {
  if (within_strength(profile, x)) return;
  report.write(formats().strength_warning_report, {x});
  stop_with_code(StopCode::outside_profile, beyond_strength(profile, x));
}

double average_unit_weight(const SoilProfile& profile, double x) {
  const std::vector<WeightPoint>& w = profile.weight;
  if (w.size() < 2) return 0.0;
  if (x < kShortSegment) {
    for (const WeightPoint& point : w) {
      if (point.gamma > 0.0) return point.gamma;
    }
    return 0.0;
  }
  if (x > w.back().X) {
    stop_with_code(StopCode::outside_weights,
                   "depth " + number(x) +
                       " below the excavation surface is beyond the unit-weight profile (which "
                       "ends at " +
                       number(w.back().X) + ")");
  }
  double area = 0.0;
  for (std::size_t j = 0; j + 1 < w.size(); ++j) {
    const WeightPoint& a = w[j];
    const WeightPoint& b = w[j + 1];
    if (a.X >= x) break;
    if (b.X - a.X < kShortSegment) continue;
    if (b.X <= x) {
      area += 0.5 * (a.gamma + b.gamma) * (b.X - a.X);
    } else {
      const double gamma_x = a.gamma + (b.gamma - a.gamma) * (x - a.X) / (b.X - a.X);
      area += 0.5 * (a.gamma + gamma_x) * (x - a.X);
      break;
    }
  }
  return area / x;
}

double backfill_overburden(const WallGroup& group, UnitSystem units, double z, TextUnit& report) {
  const double gamma_w = water_unit_weight(units);
  double sigma = group.QSURF;
  double top = 0.0;
  for (const SoilLayer& layer : group.layers) {
    const double bottom = top + layer.thickness;
    const double end = std::min(z, bottom);
    const double gamma = layer.top.unit_weight;
    if (end > top) {
      if (layer.IDSOIL == static_cast<int>(SoilType::sand) && end > group.ZWB) {
        const double dry_end = std::max(top, std::min(end, group.ZWB));
        sigma += gamma * (dry_end - top) + (gamma - gamma_w) * (end - dry_end);
      } else {
        sigma += gamma * (end - top);
      }
    }
    if (z <= bottom) return sigma;
    top = bottom;
  }
  report.write(formats().weight_warning, {z});
  stop_with_code(StopCode::outside_weights,
                 "depth " + number(z) +
                     " below the top of the wall is beyond the soil layers of the backfill (which "
                     "end at " +
                     number(top) + ")");
}

std::vector<double> curve_depths(const PyLayer& layer, UnitSystem units) {
  const double offset = units == UnitSystem::si ? kOffsetSI : kOffsetEnglish;
  const double D = layer.XBot - layer.XT;
  return {layer.XT + offset, layer.XT + 0.25 * D, layer.XT + 0.5 * D, layer.XT + 0.75 * D,
          layer.XBot - offset};
}

void echo_soil_profile(TextUnit& report, const SoilProfile& profile,
                       const ReductionFactors& factors, UnitSystem units, bool cyclic) {
  const ProfileFormats& f = formats();
  const SoilLabels labels = soil_labels(units);
  const double divisor = depth_print_divisor(units);
  report.write(f.title);
  report.write(f.surface, {profile.H / divisor, labels.depth});
  report.write(f.layer_count, {std::int64_t(profile.layers.size())});
  for (std::size_t i = 0; i < profile.layers.size(); ++i) {
    const int IDSOIL = profile.layers[i].IDSOIL;
    report.write(f.layer, {std::int64_t(i + 1)});
    const std::string_view line = type_line(IDSOIL);
    if (!line.empty()) report.write(f.type_line, {line});
    if (cyclic && IDSOIL >= 1 && IDSOIL <= 5) report.write(f.cyclic);
  }
  report.write(f.weight_head,
               {std::int64_t(profile.weight.size()), labels.depth, labels.force, labels.inner});
  for (const WeightPoint& point : profile.weight) {
    report.write(f.weight_row, {(point.X + profile.H) / divisor, point.gamma});
  }
  report.write(f.strength_head, {std::int64_t(profile.strength.size()), labels.depth, labels.force,
                                 labels.inner, labels.force, labels.inner});
  for (const StrengthPoint& point : profile.strength) {
    const double depth = (point.X + profile.H) / divisor;
    const double PHI = point.PHI * 180.0 / kPi;
    if (point.E50 <= kNoE50) {
      report.write(f.strength_row_no_e50, {depth, point.S, PHI, point.KPY});
    } else {
      report.write(f.strength_row, {depth, point.S, PHI, point.E50, point.KPY});
    }
  }
  if (!factors.rows.empty()) {
    report.write(f.factors_head);
    for (const ReductionFactor& row : factors.rows) {
      report.write(f.factors_row, {row.depth, row.p_factor, row.y_factor});
    }
  }
  report.write(f.curves_head);
}

}  // namespace kestro
