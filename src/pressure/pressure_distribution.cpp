#include "pressure/pressure_distribution.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/fortran_format.h"
#include "common/list_output.h"
#include "common/run_stop.h"
#include "common/transient_file.h"
#include "pressure/surcharge_pressure.h"

namespace kestro {

namespace {

// Pressures below this are floored, and a net active force below it is reported.
constexpr double kSmallPressure = double(1.0e-5f);
// The floor of a point is its position in the file times this, in single precision.
constexpr float kFloorStep = 1.0e-12f;
// Surface pressures below this are taken as none.
constexpr double kNoSurfacePressure = 1.0e-6;
// Apparent-pressure ordinates: 3 x 1.3 for one tie-back, 1.3 for more.
constexpr double kOneTiebackFactor = double(3.9f);
constexpr double kTiebacksFactor = double(1.3f);
constexpr double kSoftClayRise = 0.25;  // rising zone of a soft-clay top layer (option 5)

struct DistributionFormats {
  FortranFormat earth_head = FortranFormat::parse(
      "(//6X,50('*')/6X,'*       ACTIVE EARTH PRESSURE OF EACH LAYER      *'/6X,50('*')//"
      "6X,' LAYER     PA1     Z1        PA2     Z2        PA3     Z3','        PA4'/"
      "6X,'  NO',4X,A4,A1,A2,2X,A3,6X,A4,A1,A2,2X,A3,6X,A4,A1,A2,2X,A3,6X,A4,A1,A2)");
  FortranFormat earth_row = FortranFormat::parse("(6X,I4,3(1X,F10.2,1X,F6.2),1X,F10.2)");
  FortranFormat water_head = FortranFormat::parse(
      "(//6X,50('*')/6X,'*       ACTIVE WATER PRESSURE OF EACH LAYER      *'/6X,50('*')//"
      "6X,' LAYER    PW1     Z1       PW2      Z2                '/"
      "6X,'NO',4X,A4,A1,A2,2X,A3,6X,A4,A1,A2,2X,A3/)");
  FortranFormat water_row = FortranFormat::parse("(6X,I2,2(1X,F10.2,1X,F6.2))");
  FortranFormat net_negative = FortranFormat::parse("(//5X,'Net active pressure is negative.'/)");
  FortranFormat file_row = FortranFormat::parse("(12(1X,E12.5))");
};

const DistributionFormats& formats() {
  static const DistributionFormats kFormats;
  return kFormats;
}

double shown_depth(double depth, UnitSystem units) {
  return units == UnitSystem::english ? depth / 12.0 : depth;
}

double effective_unit_weight(const ComputationLayer& layer, double gamma_w) {
  return layer.below_water && layer.drained ? layer.unit_weight - gamma_w : layer.unit_weight;
}

double floor_value(std::size_t position) {
  return double(static_cast<float>(position) * kFloorStep);
}

// The apparent-pressure diagram above the excavation level.
struct ApparentDiagram {
  double a = 0.0;         // rising zone
  double constant = 0.0;  // constant zone
  double b = 0.0;         // falling zone

  // The value at depth x for a diagram of the given ordinate.
  double at(double x, double ordinate) const {
    if (x < a) return ordinate * x / a;
    if (x <= a + constant || !(b > 0.0)) return ordinate;
    return ordinate - (x - (a + constant)) * ordinate / b;
  }
};

}  // namespace

void compute_earth_resultants(TextUnit& report, const UnitLabels& l, UnitSystem units,
                              const WallGroup& wall, ComputationLayers& layers) {
  const DistributionFormats& f = formats();
  const std::string_view depth = l.depth.substr(0, 3);
  report.write(f.earth_head,
               {l.force, l.slash, l.length_short, depth, l.force, l.slash, l.length_short, depth,
                l.force, l.slash, l.length_short, depth, l.force, l.slash, l.length_short});
  std::vector<ComputationLayer>& list = layers.layers;
  const double FMOD = wall.FMOD;
  for (int i = 0; i + 1 < layers.IEXC; ++i) {
    ComputationLayer& layer = list[static_cast<std::size_t>(i)];
    const ComputationLayer& below = list[static_cast<std::size_t>(i + 1)];
    const double t = layer.thickness;
    const double gamma = effective_unit_weight(layer, layers.gamma_w);
    layer.PA1 = t * layer.KA * layer.SIGVP * FMOD;
    for (int j = 1; j <= 10; ++j) {
      const double z = layer.ZTOP + j * t / 10.0;
      layer.PA1 += working_surcharge_pressure(layers.working, z, wall.HFREE) * t / 10.0;
    }
    layer.PA2 = 0.5 * layer.KA * FMOD * t * t * gamma;
    const double c2 = 2.0 * layer.S * layer.sqrt_KA;
    layer.PA3 = -(t * c2 * FMOD);
    layer.Z1 = layer.ZTOP + t / 2.0;
    layer.Z2 = layer.ZTOP + 2.0 * t / 3.0;
    if (layer.PA1 + layer.PA3 < 0.0) {
      layer.PA1 = 0.0;
      layer.PA2 = 0.0;
      layer.PA3 = 0.0;
      const double Pb = layer.KA * below.SIGVP - c2;
      const double denominator = c2 - layer.KA * layer.SIGVP + Pb;
      const double M = denominator != 0.0 ? t * Pb / denominator : 0.0;
      layer.PA4 = Pb > 0.0 ? 0.5 * FMOD * M * Pb : 0.0;
      layer.Z3 = below.ZTOP - M / 3.0;
    }
    report.write(
        f.earth_row,
        {static_cast<std::int64_t>(i + 1), layer.PA1, shown_depth(layer.Z1, units), layer.PA2,
         shown_depth(layer.Z2, units), layer.PA3, shown_depth(layer.Z3, units), layer.PA4});
  }
}

void compute_water_resultants(TextUnit& report, const UnitLabels& l, UnitSystem units,
                              const WallGroup& wall, ComputationLayers& layers) {
  const DistributionFormats& f = formats();
  if (layers.IWAT < 1 || layers.IWAT >= layers.IEXC) return;
  const std::string_view depth = l.depth.substr(0, 3);
  report.write(f.water_head,
               {l.force, l.slash, l.length_short, depth, l.force, l.slash, l.length_short, depth});
  std::vector<ComputationLayer>& list = layers.layers;
  const double gamma_w = layers.gamma_w;
  double d = list[static_cast<std::size_t>(layers.IWAT - 1)].ZTOP;
  for (int i = layers.IWAT - 1; i + 1 < layers.IEXC; ++i) {
    ComputationLayer& layer = list[static_cast<std::size_t>(i)];
    layers.KWATER = 1;
    const double t = layer.thickness;
    if (layer.drained) {
      layer.PW1 = (d - wall.ZWB) * gamma_w * t * wall.FMOD;
      layer.PW2 = wall.FMOD * (gamma_w / 2.0) * t * t;
      report.write(f.water_row,
                   {static_cast<std::int64_t>(i + 1), layer.PW1, shown_depth(layer.Z1, units),
                    layer.PW2, shown_depth(layer.Z2, units)});
    }
    d += t;
  }
}

double check_net_active(TextUnit& report, std::ostream& console, const WallGroup& wall,
                        ComputationLayers& layers) {
  double sum = 0.0;
  for (const ComputationLayer& layer : layers.layers) {
    sum += layer.PA1 + layer.PA2 + layer.PA3 + layer.PA4 + layer.PW1 + layer.PW2;
  }
  if (sum < kSmallPressure) {
    report.write(formats().net_negative);
    const InputPlace place = given_place(wall.soil_count_place, wall.deck, wall.soil_line, 0);
    const Warning warning = warning_at(
        WarningKind::net_active_pressure_negative,
        "Net active pressure is negative: the active earth and water pressures of the soil layers "
        "sum to no load on the wall",
        InputPlace{place.file, place.line, 0, place.path});
    console << "warning: " << InputPlace{warning.file, warning.line, 0, warning.path}.prefix()
            << warning.text << '\n';
    layers.warnings.push_back(warning);
  }
  return sum;
}

std::vector<PressurePoint> pressure_distribution(const WallGroup& wall,
                                                 const ComputationLayers& layers,
                                                 const DistributionSetup& setup) {
  const std::vector<ComputationLayer>& list = layers.layers;
  const int option = setup.earth_pressure_option;
  const double FMOD = wall.FMOD;
  const double gamma_w = layers.gamma_w;
  const double HFREE = wall.HFREE;
  const double ZWB = wall.ZWB;
  const double ZWE = wall.ZWE;
  const double QSURF = wall.QSURF;
  const std::span<const Surcharge> items(wall.surcharges);
  std::vector<PressurePoint> points;
  std::vector<double> earth_parts;  // floored earth part of each point (options 3 and 5)
  if (list.empty() || layers.IEXC < 1) return points;

  // The point at depth 0, with the values of layer 1 at the surface.
  {
    const ComputationLayer& top = list.front();
    PressurePoint p;
    const double q0 = QSURF > 0.0 ? top.KA * QSURF * FMOD : 0.0;
    p.total = top.KA * QSURF * FMOD;
    p.surcharge_surface = q0;
    p.surface = option == 5 ? 0.0 : q0;
    p.net = option == 5 ? 0.0 : q0;
    p.passive = top.KP * QSURF * FMOD;
    points.push_back(p);
    earth_parts.push_back(q0);
  }

  const ComputationLayer& excavation = list[static_cast<std::size_t>(layers.IEXC - 1)];
  const double step_per_unit = setup.units == UnitSystem::si ? 20.0 : 1.0;
  double needed = 1.0;
  for (std::size_t j = 0; j < list.size(); ++j) {
    const double length =
        j + 1 == list.size() ? setup.wall_length - list[j].ZTOP : list[j].thickness;
    needed += std::max(0.0, std::round(length * step_per_unit));
  }
  if (needed > kMaxDistributionPoints) {
    stop_bad_input(InputPlace{}, "the soil layers reach " + std::to_string(list.back().ZTOP) +
                                     " below the top of the wall: the pressure distribution "
                                     "would need more than " +
                                     std::to_string(kMaxDistributionPoints) + " points");
  }
  double ue = 0.0;
  std::size_t last_above = 0;  // index of the last point above the excavation level
  for (std::size_t j = 0; j < list.size(); ++j) {
    const ComputationLayer& layer = list[j];
    const bool above = static_cast<int>(j) + 1 < layers.IEXC;
    const double length = j + 1 == list.size() ? setup.wall_length - layer.ZTOP : layer.thickness;
    const long n = std::lround(length * step_per_unit);
    if (n < 1) continue;
    const double gamma = effective_unit_weight(layer, gamma_w);
    const double gamma_u = layer.below_water && !layer.drained ? gamma_w : 0.0;
    const double gamma_d = layer.below_water && layer.drained && layers.KWATER == 1 ? gamma_w : 0.0;
    const double c2 = 2.0 * layer.S * layer.sqrt_KA;
    const double sigma0 = above ? layer.SIGVP : excavation.SIGVP;
    const double g = above ? gamma : 0.0;
    double c = QSURF >= kNoSurfacePressure ? (layer.KA * QSURF - c2) * FMOD : 0.0;
    if (c < 0.0) c = 0.0;
    // Drained water at the top of the layer.
    double top_water = 0.0;
    if (above) {
      top_water = gamma_d * (layer.ZTOP - ZWB);
    } else if (!(HFREE < ZWB)) {
      top_water = gamma_d * (HFREE - ZWB);
    }
    const double passive_top =
        above ? layer.KP * sigma0 + 2.0 * layer.S * layer.sqrt_KP : layer.KP * sigma0 + c2;
    const double at_rest_top = (sigma0 + 2.0 * layer.S) * layer.K0;
    for (long k = 1; k <= n; ++k) {
      const double x = layer.ZTOP + static_cast<double>(k) * length / static_cast<double>(n);
      const double dx = x - layer.ZTOP;
      const std::size_t position = points.size() + 1;
      const double A =
          (layer.KA * sigma0 - c2 + top_water) * FMOD + (layer.KA * g + gamma_d) * FMOD * dx;
      double B = (layer.KA * sigma0 - c2) * FMOD + layer.KA * g * FMOD * dx;
      if (!(x > HFREE)) B -= gamma_u * (x - ZWB) * FMOD;
      const double C = (gamma_d + gamma_u) * (x - ZWB) * FMOD;
      const double passive =
          (passive_top + (layer.KP * g + gamma_d) * dx) * FMOD + top_water * FMOD;
      const double at_rest =
          (at_rest_top + (layer.K0 * g + gamma_d) * dx) * FMOD + top_water * FMOD;
      const double s = surcharge_pressure(x, items, HFREE, setup.wall_length);
      const double u = x > ZWE ? (x - ZWE) * gamma_w : 0.0;
      if (x > ZWE && x > HFREE) {
        ue = (HFREE - ZWE) * gamma_w;
      } else if (x > ZWE) {
        ue = (x - ZWE) * gamma_w;
      } else if (x > HFREE) {
        ue = 0.0;
      }
      const double excavation_water = layer.below_water && ue > 0.0 ? FMOD * ue : 0.0;

      PressurePoint p;
      p.x = x;
      p.total = (option == 3 ? A : A + s) - excavation_water;
      p.active_drained = A - excavation_water;
      double w = C - FMOD * u;
      const double floor = floor_value(position);
      if (p.total < kSmallPressure) p.total = floor;
      if (p.active_drained < kSmallPressure) p.active_drained = floor;
      double earth = 0.0;
      if (B < kSmallPressure) {
        earth = floor;
        if (w > kSmallPressure) {
          w += B;
          if (w < kSmallPressure) w = floor;
        }
      } else {
        earth = B;
      }
      p.earth = earth - c;
      p.active_drained -= c;
      p.surcharge_surface = s + c;
      p.passive = passive + s;
      p.at_rest = at_rest + s;
      p.water = w;
      p.surface = c;
      p.surcharge = s;
      p.apparent = 0.0;
      p.net = s + w + p.earth + c;
      points.push_back(p);
      earth_parts.push_back(earth);
      if (above) last_above = points.size() - 1;
    }
  }

  if ((option == 3 || option == 5) && layers.IEXC > 1) {
    // Forces above the excavation level by the trapezoidal rule.
    const double step = 1.0 / step_per_unit;
    double F = 0.0;
    double E = 0.0;
    for (std::size_t i = 1; i <= last_above; ++i) {
      F += (points[i - 1].total + points[i].total) / 2.0 * step;
      E += (earth_parts[i - 1] + earth_parts[i]) / 2.0 * step;
    }
    const double H = HFREE;
    const std::size_t NT = setup.tieback_depths.size();
    const double z1 = NT > 0 ? setup.tieback_depths.front() : 0.0;
    const double zn = NT > 0 ? setup.tieback_depths.back() : 0.0;
    ApparentDiagram diagram;
    diagram.a = 2.0 * z1 / 3.0;
    if (NT < 2) {
      diagram.b = 2.0 * (H - z1) / 3.0;
      diagram.constant = H / 3.0;
    } else {
      diagram.b = 2.0 * (H - zn) / 3.0;
      diagram.constant = H - diagram.a - diagram.b;
    }
    if (option == 5 && list.front().IDSOIL == 1) {
      diagram.a = kSoftClayRise * H;
      diagram.b = 0.0;
      diagram.constant = H - kSoftClayRise * H;
    }
    auto ordinate = [&](double R) {
      if (NT == 0) return 0.0;
      if (NT == 1) return kOneTiebackFactor * R / (2.0 * H);
      const double length = H - (H - zn + z1) / 3.0;
      return length > 0.0 ? kTiebacksFactor * R / length : 0.0;
    };
    const double of_F = ordinate(F);
    const double of_E = option == 3 ? ordinate(E) : of_F;
    for (std::size_t i = 0; i <= last_above; ++i) {
      PressurePoint& p = points[i];
      p.total = diagram.at(p.x, of_F);
      p.apparent = diagram.at(p.x, of_E);
      p.net = p.apparent + p.surcharge + p.water;
    }
  }
  return points;
}

namespace {

// The twelve values of a point in the order of its record.
std::array<double*, 12> file_columns(PressurePoint& p) {
  return {&p.x,     &p.total, &p.active_drained, &p.surcharge_surface, &p.passive,  &p.at_rest,
          &p.earth, &p.water, &p.surface,        &p.surcharge,         &p.apparent, &p.net};
}

std::string file_record(const PressurePoint& p) {
  return format_write(formats().file_row,
                      {p.x, p.total, p.active_drained, p.surcharge_surface, p.passive, p.at_rest,
                       p.earth, p.water, p.surface, p.surcharge, p.apparent, p.net})
      .text;
}

}  // namespace

std::string earth_pressure_file_text(std::span<const PressurePoint> points) {
  std::string text = list_write({static_cast<std::int64_t>(points.size())});
  for (const PressurePoint& p : points)
    text += file_record(p);
  return text;
}

std::vector<PressurePoint> earth_pressure_file_values(std::vector<PressurePoint> points,
                                                      const std::string& label) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    const PressurePoint written = points[i];
    for (double* value : file_columns(points[i])) {
      *value = round_to_significant(*value, kEarthPressureFileDigits);
      if (!std::isfinite(*value)) {
        // Line 1 holds the count.
        reject_record(label, i + 2, file_record(written), "rrrrrrrrrrrr");
      }
    }
  }
  return points;
}

}  // namespace kestro
