#include "soil/py_generation.h"

#include <cmath>
#include <sstream>

#include "common/run_stop.h"
#include "soil/clay_models.h"
#include "soil/frictional_models.h"
#include "soil/rock_models.h"
#include "soil/soil_profile.h"

namespace kestro {

namespace {

constexpr double kFewCycles = 1.0e-6;
constexpr double kDefaultCycles = 100.0;
constexpr double kContinuousBelow = double(1.1f);
constexpr double kDegreesPerRadian = double(57.2958f);
constexpr double kInchSI = double(0.0254f);
constexpr double kFootSI = 12.0 * kInchSI;
constexpr double kFootEnglish = 12.0;
constexpr int kCurvesPerLayer = 5;
constexpr int kStationCurvePoints = 2 * kHalfCurvePoints - 1;

struct GenerationFormats {
  FortranFormat no_curves = FortranFormat::parse("(/'                    ')");
  FortranFormat plot_depth = FortranFormat::parse("(1X,F10.2,1X,I5)");
};

const GenerationFormats& formats() {
  static const GenerationFormats kFormats;
  return kFormats;
}

// The model of a soil type; codes outside 1..7 are soft clay.
PyModel model_of(int IDSOIL) {
  switch (IDSOIL) {
    case static_cast<int>(SoilType::stiff_clay_free_water):
      return stiff_clay_free_water_depth;
    case static_cast<int>(SoilType::stiff_clay_no_free_water):
      return stiff_clay_no_free_water_depth;
    case static_cast<int>(SoilType::sand):
      return sand_depth;
    case static_cast<int>(SoilType::silt):
      return silt_depth;
    case static_cast<int>(SoilType::rock):
      return rock_depth;
    case static_cast<int>(SoilType::weak_rock):
      return weak_rock_depth;
    default:
      return soft_clay_depth;
  }
}

// The loading of the curves: cyclic when the flag is 0, with 100 cycles when
// fewer than 1.0E-6 were given.  Cyclic stiff clay without free water with
// fewer than one cycle is bad input (its cyclic factor would fall below the
// static one and its deflections would not increase).
PyLoading loading_of(const WallGroup& group, const SoilProfile& profile, const ListInput& input) {
  PyLoading loading;
  loading.cyclic = group.loading_flag == 0;
  loading.N = group.load_cycles;
  if (loading.cyclic && loading.N < kFewCycles) loading.N = kDefaultCycles;
  if (!loading.cyclic) return loading;
  for (const PyLayer& layer : profile.layers) {
    if (layer.IDSOIL == static_cast<int>(SoilType::stiff_clay_no_free_water) &&
        !(loading.N >= 1.0)) {
      std::ostringstream text;
      text << "cyclic loading of stiff clay without free water needs at least one load cycle, "
              "found "
           << loading.N;
      stop_bad_record(input, layer.line, text.str());
    }
  }
  return loading;
}

// A depth for messages.
std::string depth_text(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

}  // namespace

std::string generate_py_curves(const ListInput& input, TextUnit& report, std::ostream& console,
                               UnitSystem units, const Geometry& geometry, const WallGroup& group,
                               const SoilResistanceInput& soil) {
  const SoilProfile profile = build_soil_profile(group, geometry, units, input);
  std::vector<PyModel> models;
  for (const PyLayer& layer : profile.layers)
    models.push_back(model_of(layer.IDSOIL));
  const PyLoading loading = loading_of(group, profile, input);
  echo_soil_profile(report, profile, soil.factors, units, loading.cyclic);

  std::ostringstream text;
  TextUnit file;
  file.attach(text);
  const std::size_t count = profile.layers.size() * kCurvesPerLayer + soil.held_user_curves.size();
  file.write_list({std::int64_t(count)});
  for (const HeldUserCurve& curve : soil.held_user_curves) {
    file.write_list({std::int64_t{curve.STA}, std::int64_t(curve.y.size())});
    for (std::size_t j = 0; j < curve.y.size(); ++j) {
      write_curve_file_point(file, static_cast<int>(j + 1), curve.p[j], curve.y[j]);
    }
  }

  const MultiplierInputs multipliers{group.HFREE, group.WA, group.WP, soil.factors};
  const bool continuous = spacing_ratio(group.WA, group.WP) < kContinuousBelow;
  PyWriters out{report, file, console, profile, group, input};
  PyLayerState state;
  for (std::size_t i = 0; i < profile.layers.size(); ++i) {
    const PyLayer& layer = profile.layers[i];
    state.next_layer();
    const std::vector<double> depths = curve_depths(layer, units);
    for (int n = 1; n <= kCurvesPerLayer; ++n) {
      const double x = depths[std::size_t(n - 1)];
      if (layer.IDSOIL == static_cast<int>(SoilType::stiff_clay_free_water) ||
          layer.IDSOIL == static_cast<int>(SoilType::stiff_clay_no_free_water) ||
          layer.IDSOIL == static_cast<int>(SoilType::weak_rock)) {
        check_strength_depth(profile, x, report);
      }
      if (layer.IDSOIL == static_cast<int>(SoilType::sand) ||
          layer.IDSOIL == static_cast<int>(SoilType::silt)) {
        check_phi_depth(profile, x, console);
      }
      const StrengthValues strength = strength_at(profile, x, console);
      PyDepth at;
      at.layer = i;
      at.number = n;
      at.x = x;
      at.H = group.HFREE;
      at.XT = layer.XT;
      at.XBot = layer.XBot;
      at.b = group.WP;
      at.c = strength.S;
      at.PHI = strength.PHI;
      at.E50 = strength.E50;
      at.P6 = strength.P6;
      at.KPY = layer.top.KPY;
      at.c_layer_top = layer.top.S;
      at.gamma_avg = average_unit_weight(profile, x);
      at.continuous = continuous;
      if (continuous) at.sigma_v = backfill_overburden(group, units, x + group.HFREE, report);
      at.Lf = units == UnitSystem::si ? kFootSI : kFootEnglish;
      at.theta = group.SLOPEX / kDegreesPerRadian;
      at.pm = p_multiplier(multipliers, x + group.HFREE);
      at.ym = y_multiplier(multipliers, x + group.HFREE);
      at.units = units;
      at.line = layer.line;
      models[i](out, at, loading, state);
    }
  }
  file.close();
  return text.str();
}

void read_back_py_curves(ListInput& file, TextUnit& report, TextUnit& plot, UnitSystem units,
                         double h, int user_curves, std::vector<StationCurve>& curves,
                         bool first_pass) {
  const GenerationFormats& f = formats();
  int count = 0;
  {
    ListRead read = file.read();
    read.integer(count);
  }
  if (count < 0) stop_quietly(place_of(file), "negative number of p-y curves");
  if (count > kMaxStationCurves - static_cast<int>(curves.size())) {
    report.write(FortranFormat());
    stop_error(ErrorStop::too_much_data, place_of(file),
               "more than " + std::to_string(kMaxStationCurves) +
                   " p-y curves: " + std::to_string(count + static_cast<int>(curves.size())));
  }
  if (count == 0) {
    report.write(f.no_curves);
    return;
  }
  plot.write_list({std::int64_t{static_cast<int>(units)}, std::int64_t{count}});
  for (int k = 0; k < count; ++k) {
    StationCurve curve;
    curve.CONTD = 1;
    std::string name;
    std::size_t head_line = 0;
    if (k < user_curves) {
      int NP = 0;
      {
        ListRead read = file.read();
        read.integer(curve.FROM);
        read.integer(NP);
      }
      head_line = file.current_line();
      name = "user p-y curve at station " + std::to_string(curve.FROM);
      if (NP < 2) {
        stop_bad_record(file, 0,
                        name + ": expected at least 2 points, found " + std::to_string(NP));
      }
      plot.write_list({std::int64_t{curve.FROM}, std::int64_t{NP}});
      for (int j = 0; j < NP; ++j) {
        int number = 0;
        double p = 0.0;
        double y = 0.0;
        {
          ListRead read = file.read();
          read.integer(number);
          read.real(p);
          read.real(y);
        }
        curve.y.push_back(y);
        curve.p.push_back(p);
      }
    } else {
      double depth = 0.0;
      int points = 0;
      {
        ListRead read = file.read();
        read.real(depth);
        read.integer(points);
      }
      head_line = file.current_line();
      if (points != 2 * kHalfCurvePoints) {
        stop_bad_record(file, 0,
                        "a generated p-y curve must have " + std::to_string(2 * kHalfCurvePoints) +
                            " points, found " + std::to_string(points));
      }
      curve.FROM = static_cast<int>(std::round(depth / h));
      name = "p-y curve at depth " + depth_text(depth) + " (station " + std::to_string(curve.FROM) +
             ")";
      std::array<double, 2 * kHalfCurvePoints> p{};
      std::array<double, 2 * kHalfCurvePoints> y{};
      for (int j = 0; j < points; ++j) {
        int number = 0;
        ListRead read = file.read();
        read.integer(number);
        read.real(p[std::size_t(j)]);
        read.real(y[std::size_t(j)]);
      }
      if (first_pass) {
        plot.write(f.plot_depth, {depth, std::int64_t{kStationCurvePoints}});
      } else {
        plot.write_list({depth, std::int64_t{kStationCurvePoints}});
      }
      // Backfill half (points 18-34) from its far end to y = 0, then the
      // excavation half without its point at y = 0.
      for (int j = 2 * kHalfCurvePoints - 1; j >= kHalfCurvePoints; --j) {
        curve.y.push_back(-y[std::size_t(j)]);
        curve.p.push_back(p[std::size_t(j)]);
      }
      for (int j = 1; j < kHalfCurvePoints; ++j) {
        curve.y.push_back(y[std::size_t(j)]);
        curve.p.push_back(-p[std::size_t(j)]);
      }
    }
    curve.TO = curve.FROM;
    for (std::size_t j = 0; j < curve.y.size(); ++j) {
      // A point may repeat the deflection of the one before it inside the
      // curve (the break point of a silt curve, or deflections that the
      // file's digits no longer tell apart; the iteration never uses such a
      // step), but the deflections must not fall, and the first and last
      // steps, which the iteration extends beyond the curve, must not vanish.
      const std::size_t last = curve.y.size() - 1;
      const bool falls = j > 0 && !(curve.y[j] >= curve.y[j - 1]);
      const bool end_step = (j == 1 || j == last) && !(curve.y[j] > curve.y[j - 1]);
      const bool collapsed = j == last && !(curve.y.back() > curve.y.front());
      if (falls || end_step || collapsed) {
        stop_bad_record(file, head_line,
                        name + ": the deflections do not increase from point " + std::to_string(j) +
                            " to point " + std::to_string(j + 1) +
                            " (a zero deflection scale, or a y-multiplier that collapses them)");
      }
      plot.write_list({curve.y[j], curve.p[j]});
      curve.p[j] *= h;
    }
    curves.push_back(std::move(curve));
  }
}

void generate_soil_resistance(const ListInput& input, TextUnit& report, TextUnit& plot,
                              std::ostream& console, UnitSystem units, const Geometry& geometry,
                              const WallGroup& group, const SoilResistanceInput& soil,
                              std::vector<StationCurve>& curves, const HandOver& hand_over) {
  std::string text = generate_py_curves(input, report, console, units, geometry, group, soil);
  ListInput file = hand_over(std::move(text));
  read_back_py_curves(file, report, plot, units, geometry.h,
                      static_cast<int>(soil.held_user_curves.size()), curves);
}

}  // namespace kestro
