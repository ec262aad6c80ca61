#include "soil/py_generation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
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
// Gauss-Legendre panels over a layer's depth for what it hands on below.
constexpr int kResistancePanels = 32;

struct GenerationFormats {
  FortranFormat no_curves = FortranFormat::parse("(/'                    ')");
  FortranFormat plot_depth = FortranFormat::parse("(1X,F10.2,1X,I5)");
};

const GenerationFormats& formats() {
  static const GenerationFormats kFormats;
  return kFormats;
}

// A soil type's p-y model and what it hands on to the layers below it (none
// for rock and weak rock); whether its curves take the equivalent depth.
struct SoilModel {
  PyModel curves = soft_clay_depth;
  ContinuedResistance continued = nullptr;
  bool equivalent_depth = false;
};

// The model of a soil type; codes outside 1..7 are soft clay.
SoilModel model_of(int IDSOIL) {
  switch (IDSOIL) {
    case static_cast<int>(SoilType::stiff_clay_free_water):
      return {stiff_clay_free_water_depth, free_water_continued_resistance, false};
    case static_cast<int>(SoilType::stiff_clay_no_free_water):
      return {stiff_clay_no_free_water_depth, clay_continued_resistance, true};
    case static_cast<int>(SoilType::sand):
      return {sand_depth, sand_continued_resistance, true};
    case static_cast<int>(SoilType::silt):
      return {silt_depth, silt_continued_resistance, true};
    case static_cast<int>(SoilType::rock):
      return {rock_depth, nullptr, false};
    case static_cast<int>(SoilType::weak_rock):
      return {weak_rock_depth, nullptr, false};
    default:
      return {soft_clay_depth, clay_continued_resistance, true};
  }
}

// The loading of the curves: cyclic when the flag is 0, with 100 cycles when
// fewer than 1.0E-6 were given.  Cyclic stiff clay without free water with
// fewer than one cycle is bad input (its cyclic factor would fall below the
// static one and its deflections would not increase).
PyLoading loading_of(const WallGroup& group, const SoilProfile& profile, const DeckSource& input) {
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

// The layer's soil as a column from the surface for its equivalent depth:
// its values at its first curve depth, with the strength S and the friction
// angle continued above its top along its own gradients (never below 0), so
// that a layer whose strength grows with depth continues the layers above
// when it is cut from them.
std::function<double(double, double)> soil_column(const SoilProfile& profile, std::size_t i,
                                                  const PyDepth& at, const PyLoading& loading,
                                                  ContinuedResistance continued) {
  const StrengthPoint& top = profile.strength[2 * i];
  const StrengthPoint& bottom = profile.strength[2 * i + 1];
  const double thickness = bottom.X - top.X;
  const double dS = thickness > 0.0 ? (bottom.S - top.S) / thickness : 0.0;
  const double dPHI = thickness > 0.0 ? (bottom.PHI - top.PHI) / thickness : 0.0;
  return [=, &loading](double depth, double above_top) {
    PyDepth column = at;
    column.c = std::max(top.S - dS * above_top, 0.0);
    column.PHI = std::max(top.PHI - dPHI * above_top, 0.0);
    return continued(column, loading, depth);
  };
}

}  // namespace

GeneratedCurves generate_py_curves(const DeckSource& input, TextUnit& report, std::ostream& console,
                                   UnitSystem units, const Geometry& geometry,
                                   const WallGroup& group, const SoilResistanceInput& soil) {
  const SoilProfile profile = build_soil_profile(group, geometry, units, input);
  std::vector<SoilModel> models;
  for (const PyLayer& layer : profile.layers)
    models.push_back(model_of(layer.IDSOIL));
  const PyLoading loading = loading_of(group, profile, input);
  echo_soil_profile(report, profile, soil.factors, units, loading.cyclic);

  GeneratedCurves generated;
  PyCurveFile& file = generated.file;
  file.curves.reserve(profile.layers.size() * kCurvesPerLayer + soil.held_user_curves.size());
  for (const HeldUserCurve& curve : soil.held_user_curves) {
    PyFileCurve& held = file.curves.emplace_back();
    held.user = true;
    held.STA = curve.STA;
    held.p = curve.p;
    held.y = curve.y;
  }

  const MultiplierInputs multipliers{group.HFREE, group.WA, group.WP, soil.factors};
  const bool continuous = spacing_ratio(group.WA, group.WP) < kContinuousBelow;
  PyWriters out{report, file, console, profile, group, input, generated.tails, generated.warnings};
  // The values every model gets at a depth x of the p-y layer i (no check
  // of the profile's extent: x lies inside the layer).
  const auto values_at = [&](std::size_t i, double x) {
    const PyLayer& layer = profile.layers[i];
    const StrengthValues strength = strength_at(profile, x, console);
    PyDepth at;
    at.layer = i;
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
    at.Lf = units == UnitSystem::si ? kFootSI : kFootEnglish;
    at.theta = group.SLOPEX / kDegreesPerRadian;
    at.units = units;
    at.line = layer.line;
    return at;
  };

  PyLayerState state;
  double R = 0.0;  // what the layers above hand on (see ContinuedResistance)
  double rock_top = 0.0;
  for (std::size_t i = 0; i < profile.layers.size(); ++i) {
    const PyLayer& layer = profile.layers[i];
    const SoilModel& model = models[i];
    state.next_layer();
    const auto weak_rock = [&](std::size_t k) {
      return profile.layers[k].IDSOIL == static_cast<int>(SoilType::weak_rock);
    };
    if (i == 0 || !weak_rock(i - 1) || !weak_rock(i)) rock_top = layer.XT;
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
      PyDepth at = values_at(i, x);
      at.number = n;
      at.rock_top = rock_top;
      if (continuous) at.sigma_v = backfill_overburden(group, units, x + group.HFREE, report);
      at.pm = p_multiplier(multipliers, x + group.HFREE);
      at.ym = y_multiplier(multipliers, x + group.HFREE);
      if (n == 1 && i > 0 && model.equivalent_depth) {
        state.XEQ = equivalent_depth(R, soil_column(profile, i, at, loading, model.continued),
                                     layer.XT, at.b);
      }
      model.curves(out, at, loading, state);
    }
    // What this layer hands on: its continued resistance summed over its
    // depth, at the depths its own curves take.
    if (model.continued != nullptr) {
      const double XEQ = state.XEQ;
      const bool equivalent = model.equivalent_depth;
      R += integrate(
          [&](double x) {
            const double z = equivalent ? x - layer.XT + XEQ : x;
            return model.continued(values_at(i, x), loading, z);
          },
          layer.XT, layer.XBot, kResistancePanels);
    }
  }
  return generated;
}

void take_py_curves(const PyCurveFile& file, const std::string& label, TextUnit& report,
                    TextUnit& plot, UnitSystem units, double h, std::vector<StationCurve>& curves,
                    bool first_pass, const std::vector<CurveTails>& tails) {
  const GenerationFormats& f = formats();
  const int count = static_cast<int>(file.curves.size());
  // The count is the file's first record.
  const InputPlace count_place{label, 1};
  if (count > kMaxStationCurves - static_cast<int>(curves.size())) {
    report.write(FortranFormat());
    stop_error(ErrorStop::too_much_data, count_place,
               "more than " + std::to_string(kMaxStationCurves) +
                   " p-y curves: " + std::to_string(count + static_cast<int>(curves.size())));
  }
  if (count == 0) {
    report.write(f.no_curves);
    return;
  }
  plot.write_list({std::int64_t{static_cast<int>(units)}, std::int64_t{count}});
  const std::size_t appended_from = curves.size();
  std::size_t head = head_line(file, 0);
  std::size_t generated_index = 0;
  for (const PyFileCurve& written : file.curves) {
    const std::size_t curve_line = head;
    head += 1 + written.p.size();
    StationCurve curve;
    curve.CONTD = 1;
    curve.source = written.user ? CurveSource::user : CurveSource::generated;
    double depth = 0.0;
    if (written.user) {
      // The plot data takes a user curve's head before its points are read.
      curve.FROM = written.STA;
      plot.write_list({std::int64_t{curve.FROM}, static_cast<std::int64_t>(written.p.size())});
      PyFileCurve carried = read_back_curve(written, label, curve_line);
      curve.y = std::move(carried.y);
      curve.p = std::move(carried.p);
    } else {
      const PyFileCurve carried = read_back_curve(written, label, curve_line);
      depth = carried.depth;
      curve.FROM = static_cast<int>(std::round(depth / h));
      if (first_pass) {
        plot.write(f.plot_depth, {depth, std::int64_t{kStationCurvePoints}});
      } else {
        plot.write_list({depth, std::int64_t{kStationCurvePoints}});
      }
      const std::vector<double>& p = carried.p;
      const std::vector<double>& y = carried.y;
      // Backfill half (points 18-34) from its far end, the origin, then the
      // excavation half.  Both halves start at y = 0 with p = 0 but for weak
      // rock, whose first point lies at a small deflection on its initial
      // line: the origin stands in for both first points, so that the curve
      // passes through it.
      curve.y.reserve(kStationCurvePoints + 2);
      curve.p.reserve(kStationCurvePoints + 2);
      for (int j = 2 * kHalfCurvePoints - 1; j > kHalfCurvePoints; --j) {
        curve.y.push_back(-y[std::size_t(j)]);
        curve.p.push_back(p[std::size_t(j)]);
      }
      curve.y.push_back(0.0);
      curve.p.push_back(0.0);
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
      // steps of a user curve, which the iteration extends beyond the curve,
      // must not vanish (a generated curve holds its end values instead).
      const std::size_t last = curve.y.size() - 1;
      const bool falls = j > 0 && !(curve.y[j] >= curve.y[j - 1]);
      const bool extended = curve.source != CurveSource::generated;
      const bool end_step = extended && (j == 1 || j == last) && !(curve.y[j] > curve.y[j - 1]);
      const bool collapsed = j == last && !(curve.y.back() > curve.y.front());
      if (falls || end_step || collapsed) {
        const std::string name = written.user
                                     ? "user p-y curve at station " + std::to_string(curve.FROM)
                                     : "p-y curve at depth " + depth_text(depth) + " (station " +
                                           std::to_string(curve.FROM) + ")";
        stop_bad_input(InputPlace{label, curve_line},
                       name + ": the deflections do not increase from point " + std::to_string(j) +
                           " to point " + std::to_string(j + 1) +
                           " (a zero deflection scale, or a y-multiplier that collapses them)");
      }
      plot.write_list({curve.y[j], curve.p[j]});
      curve.p[j] *= h;
    }
    if (!written.user && generated_index < tails.size()) {
      const CurveTails& tail = tails[generated_index];
      if (tail.backfill.present && -tail.backfill.y < curve.y.front()) {
        curve.y.insert(curve.y.begin(), -tail.backfill.y);
        curve.p.insert(curve.p.begin(), tail.backfill.p * h);
      }
      if (tail.excavation.present && tail.excavation.y > curve.y.back()) {
        curve.y.push_back(tail.excavation.y);
        curve.p.push_back(-tail.excavation.p * h);
      }
    }
    if (!written.user) ++generated_index;
    curves.push_back(std::move(curve));
  }
  std::stable_sort(curves.begin() + std::ptrdiff_t(appended_from), curves.end(),
                   [](const StationCurve& a, const StationCurve& b) { return a.FROM < b.FROM; });
}

void generate_soil_resistance(const DeckSource& input, TextUnit& report, TextUnit& plot,
                              std::ostream& console, UnitSystem units, const Geometry& geometry,
                              const WallGroup& group, const SoilResistanceInput& soil,
                              std::vector<StationCurve>& curves, const TransientFile& file,
                              std::vector<Warning>& warnings) {
  const GeneratedCurves generated =
      generate_py_curves(input, report, console, units, geometry, group, soil);
  warnings.insert(warnings.end(), generated.warnings.begin(), generated.warnings.end());
  if (file.keeps_text()) file.keep(py_curve_file_text(generated.file));
  take_py_curves(generated.file, file.label, report, plot, units, geometry.h, curves, true,
                 generated.tails);
}

}  // namespace kestro
