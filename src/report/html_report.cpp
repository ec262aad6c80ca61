#include "report/html_report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "kestro/report.hpp"
#include "report/svg_chart.h"

namespace kestro::html {

namespace {

std::string fixed2(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// Depths of the drawing and the profiles: feet or metres.
double display_depth(UnitSystem units, double base) {
  return units == UnitSystem::english ? base / 12.0 : base;
}

const char* soil_name(int type) {
  switch (type) {
    case 1:
      return "soft clay";
    case 2:
      return "stiff clay with free water";
    case 3:
      return "stiff clay without free water";
    case 4:
      return "sand";
    case 5:
      return "silt";
    case 6:
      return "rock";
    case 7:
      return "weak rock";
    default:
      return "soil";
  }
}

std::string problem_name(const ProblemResult& p) {
  return (p.stages > 1 ? "Stage " : "Problem ") + std::to_string(p.number);
}

// The station with the largest absolute value of a column, first one on a tie.
struct Extreme {
  double value = 0.0;
  double X = 0.0;
};
template <typename Get>
Extreme largest(const ResultsTable& r, Get get) {
  Extreme e;
  bool first = true;
  for (int I = 0; I <= r.N && static_cast<std::size_t>(I) < r.stations.size(); ++I) {
    const StationResult& s = r.stations[static_cast<std::size_t>(I)];
    if (first || std::abs(get(s)) > std::abs(e.value)) {
      e = Extreme{get(s), s.X};
      first = false;
    }
  }
  return e;
}

std::string problem_outcome(const ProblemResult& p) {
  if (!p.solved) return "not solved (no wall sections)";
  const std::string warning = solution_warning(p);
  if (!warning.empty()) return "no valid solution: " + warning;
  return iteration_outcome_name(p.outcome);
}

std::string row(const std::string& name, const std::string& key, const std::string& value,
                const std::string& rest = std::string()) {
  return "<tr><th>" + html_escape(name) + "</th><td><span class=\"v\" data-check=\"" + key + "\">" +
         html_escape(value) + "</span>" + rest + "</td></tr>";
}

std::string summary_block(const ProblemResult& p, const std::vector<std::string>& warnings) {
  const auto u = [&](Quantity q) { return unit_name(p.units, q); };
  std::string h = "<table class=\"summary\">";
  h += row("Outcome", "outcome", problem_outcome(p));
  h += row("Units", "units", unit_system_name(p.units));
  if (p.solved) h += row("Iterations", "iterations", std::to_string(p.iterations));
  if (p.results) {
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.3g", 100.0 * p.force_residual);
    h += row("Force residual", "force-residual", percent,
             " % of the forces on the wall (loads, soil, springs, tie-backs, supports) "
             "left out of balance");
    const ResultsTable& r = *p.results;
    const auto at = [&](const std::string& key, const Extreme& e) {
      return std::string(" at depth <span class=\"v\" data-check=\"") + key + "-x\">" +
             summary_number(e.X) + "</span> " + u(Quantity::depth);
    };
    const Extreme d = largest(r, [](const StationResult& s) { return s.deflection; });
    const Extreme m = largest(r, [](const StationResult& s) { return s.moment; });
    const Extreme v = largest(r, [](const StationResult& s) { return s.shear; });
    h += row("Largest deflection", "deflection", summary_number(d.value),
             std::string(" ") + u(Quantity::deflection) + at("deflection", d));
    h += row("Largest moment", "moment", summary_number(m.value),
             std::string(" ") + u(Quantity::moment) + at("moment", m));
    h += row("Largest shear", "shear", summary_number(v.value),
             std::string(" ") + u(Quantity::force) + at("shear", v));
    for (const TiebackResult& t : r.tiebacks) {
      const std::string key = "tieback-" + std::to_string(t.number);
      h += row("Tie-back " + std::to_string(t.number) + " at " + summary_number(t.depth) + " " +
                   u(Quantity::depth),
               key + "-force", summary_number(t.force_per_tieback, 5),
               std::string(" ") + u(Quantity::force) +
                   " per tie-back; horizontal <span class=\"v\" data-check=\"" + key +
                   "-horizontal\">" + summary_number(t.horizontal_force, 5) + "</span> " +
                   u(Quantity::force) + " per station");
    }
  }
  std::string list;
  for (const std::string& w : warnings)
    list += "<li>" + html_escape(w) + "</li>";
  h += "<tr><th>Warnings</th><td>" +
       (list.empty() ? std::string("none") : "<ul class=\"warnings\">" + list + "</ul>") +
       "</td></tr>";
  return h + "</table>";
}

// ---------------------------------------------------------------- drawing

struct Canvas {
  double scale;  // px per depth unit
  double x0;     // px of the wall
  double y0;     // px of the top of the wall
  double px(double x) const { return x0 + x * scale; }
  double py(double depth) const { return y0 + depth * scale; }
};

std::string rect(double x, double y, double w, double h, const std::string& css,
                 const std::string& title = std::string()) {
  std::string r = "<rect class=\"" + css + "\" x=\"" + fixed2(x) + "\" y=\"" + fixed2(y) +
                  "\" width=\"" + fixed2(std::max(0.0, w)) + "\" height=\"" +
                  fixed2(std::max(0.0, h)) + "\"";
  return title.empty() ? r + "/>" : r + "><title>" + html_escape(title) + "</title></rect>";
}

std::string line(double x1, double y1, double x2, double y2, const std::string& css) {
  return "<line class=\"" + css + "\" x1=\"" + fixed2(x1) + "\" y1=\"" + fixed2(y1) + "\" x2=\"" +
         fixed2(x2) + "\" y2=\"" + fixed2(y2) + "\"/>";
}

std::string text(double x, double y, const std::string& css, const std::string& body) {
  return "<text class=\"" + css + "\" x=\"" + fixed2(x) + "\" y=\"" + fixed2(y) + "\">" +
         html_escape(body) + "</text>";
}

std::string arrow_down(double x, double y_tip, double length) {
  return line(x, y_tip - length, x, y_tip - 1, "load") + "<path class=\"loadhead\" d=\"M" +
         fixed2(x - 3) + " " + fixed2(y_tip - 6) + " L" + fixed2(x + 3) + " " + fixed2(y_tip - 6) +
         " L" + fixed2(x) + " " + fixed2(y_tip) + " Z\"/>";
}

std::string water_mark(double x, double y) {
  return "<path class=\"watermark\" d=\"M" + fixed2(x - 5) + " " + fixed2(y - 8) + " L" +
         fixed2(x + 5) + " " + fixed2(y - 8) + " L" + fixed2(x) + " " + fixed2(y - 1) + " Z\"/>";
}

std::string wall_drawing(const ProblemResult& p, const std::string& id) {
  const Ground& g = p.ground;
  const UnitSystem units = p.units;
  const char* du = unit_name(units, Quantity::depth);
  const auto D = [&](double base) { return display_depth(units, base); };
  const double H = D(g.wall_length);
  if (!(H > 0.0)) return "<p class=\"note\">No wall to draw.</p>";
  const double excavation = D(g.excavation);
  // Horizontal extent of the retained side: room for the tie-backs and the
  // surcharges, at least 0.6 H.
  double left = 0.6 * H;
  for (const GroundTieback& t : g.tiebacks) {
    const double length = t.length > 0.0 ? D(t.length) : 0.3 * H;
    left = std::max(left, 1.1 * length * std::cos(t.angle * std::numbers::pi / 180.0));
  }
  for (const GroundSurcharge& s : g.surcharges)
    left = std::max(left, 1.15 * (D(s.distance) + 0.5 * D(s.width)));
  const double right = 0.45 * H;
  double bottom = 1.08 * H;
  // The retained surface rises away from the wall at the backfill slope (a
  // negative slope falls), to scale: the drawing makes room above the top of
  // the wall for the rise.
  const double beta = std::clamp(g.backfill_slope, -60.0, 60.0) * std::numbers::pi / 180.0;
  const double rise = left * std::tan(beta);  // depth units, positive upward
  const double plot_height = 380.0;
  const double top_room = 64.0;  // px above the highest ground for loads and their labels
  Canvas c{};
  c.scale = plot_height / (bottom + std::max(rise, 0.0));
  const double max_width = 560.0;
  if ((left + right) * c.scale > max_width) {
    c.scale = max_width / (left + right);
    bottom = plot_height / c.scale - std::max(rise, 0.0);
  }
  c.x0 = 64.0 + left * c.scale;
  c.y0 = top_room + std::max(rise, 0.0) * c.scale;
  const double y_far = c.y0 - rise * c.scale;
  const int width = static_cast<int>(std::ceil(c.x0 + right * c.scale + 12.0));
  const int height = static_cast<int>(std::ceil(c.y0 + bottom * c.scale + 40.0));
  const double xl = c.px(-left);
  const double xr = c.px(right);
  const double yb = c.py(bottom);

  std::string s =
      "<svg class=\"drawing\" id=\"" + id + "\" viewBox=\"0 0 " + std::to_string(width) + " " +
      std::to_string(height) + "\" width=\"" + std::to_string(width) + "\" height=\"" +
      std::to_string(height) + "\" data-scale=\"" + std::to_string(c.scale) + "\" data-top=\"" +
      std::to_string(c.y0) + "\" role=\"img\" aria-label=\"The wall in its ground, to scale\">";
  s += "<title>The wall in its ground, to scale</title>";
  s += "<rect class=\"plot-area\" x=\"" + fixed2(xl) + "\" y=\"4\" width=\"" + fixed2(xr - xl) +
       "\" height=\"" + fixed2(yb - 4) + "\" data-plot=\"\"/>";

  std::string legend;
  std::vector<int> types_shown;
  if (g.has_soil && !g.layers.empty()) {
    for (std::size_t k = 0; k < g.layers.size(); ++k) {
      const GroundLayer& layer = g.layers[k];
      const double top = D(layer.top);
      const double bot = std::min(D(layer.bottom), bottom);
      if (bot <= top) continue;
      const std::string css = "soil s" + std::to_string(std::clamp(layer.soil_type, 0, 7));
      const std::string title = std::string(soil_name(layer.soil_type)) + ", " + tick_label(top) +
                                " to " + tick_label(D(layer.bottom)) + " " + du;
      // Retained side: the first layer follows the sloping surface.
      if (k == 0) {
        s += "<path class=\"" + css + "\" d=\"M" + fixed2(xl) + " " + fixed2(y_far) + " L" +
             fixed2(c.x0) + " " + fixed2(c.py(top)) + " L" + fixed2(c.x0) + " " +
             fixed2(c.py(bot)) + " L" + fixed2(xl) + " " + fixed2(c.py(bot)) + " Z\"><title>" +
             html_escape(title) + "</title></path>";
      } else {
        s += rect(xl, c.py(top), c.x0 - xl, c.py(bot) - c.py(top), css, title);
      }
      // Excavation side: below the excavation level only.
      const double etop = std::max(top, excavation);
      if (bot > etop) s += rect(c.x0, c.py(etop), xr - c.x0, c.py(bot) - c.py(etop), css, title);
      if (std::find(types_shown.begin(), types_shown.end(), layer.soil_type) == types_shown.end()) {
        types_shown.push_back(layer.soil_type);
        legend += "<span class=\"key\"><span class=\"sw " + css + "\"></span>" +
                  soil_name(layer.soil_type) + "</span>";
      }
    }
  } else {
    s += "<path class=\"soil s0\" d=\"M" + fixed2(xl) + " " + fixed2(y_far) + " L" + fixed2(c.x0) +
         " " + fixed2(c.y0) + " L" + fixed2(c.x0) + " " + fixed2(yb) + " L" + fixed2(xl) + " " +
         fixed2(yb) + " Z\"/>";
    s += rect(c.x0, c.py(excavation), xr - c.x0, yb - c.py(excavation), "soil s0");
    legend +=
        "<span class=\"key\"><span class=\"sw soil s0\"></span>ground (no soil layers given; "
        "p-y curves as input)</span>";
  }
  s += line(c.x0, c.py(excavation), xr, c.py(excavation), "excavation");
  s += text(xr - 4, c.py(excavation) - 4, "dlabel end",
            "excavation " + summary_number(excavation) + " " + du);

  if (g.has_soil) {
    const double zb = D(g.water_backfill);
    if (zb >= 0.0 && zb < bottom) {
      s += rect(xl, c.py(zb), c.x0 - xl, yb - c.py(zb), "waterbody");
      s += line(xl, c.py(zb), c.x0, c.py(zb), "water");
      s += water_mark(xl + 18, c.py(zb));
      s += text(xl + 28, c.py(zb) - 3, "dlabel", "water " + summary_number(zb) + " " + du);
    }
    const double ze = D(g.water_excavation);
    if (ze >= 0.0 && ze < bottom) {
      const double surface = std::max(ze, 0.0);
      if (surface < excavation)
        s += rect(c.x0, c.py(surface), xr - c.x0, c.py(excavation) - c.py(surface), "waterfree");
      s += rect(c.x0, c.py(ze), xr - c.x0, yb - c.py(ze), "waterbody");
      s += line(c.x0, c.py(ze), xr, c.py(ze), "water");
      s += water_mark(xr - 18, c.py(ze));
      s += text(c.x0 + 4, c.py(ze) + 12, "dlabel", "water " + summary_number(ze) + " " + du);
    }
    legend += "<span class=\"key\"><span class=\"sw water\"></span>water table</span>";
  }

  // The wall and its pieces.
  const double ww = 5.0;
  std::string pieces;
  if (g.wall.empty()) {
    s += rect(c.x0 - ww / 2, c.y0, ww, H * c.scale, "wall w0");
  }
  for (std::size_t k = 0; k < g.wall.size(); ++k) {
    const WallPiece& piece = g.wall[k];
    const double top = D(piece.top);
    const double bot = D(piece.bottom);
    const std::string title =
        piece.section + ", " + tick_label(top) + " to " + tick_label(bot) + " " + du;
    s += rect(c.x0 - ww / 2, c.py(top), ww, (bot - top) * c.scale, "wall w" + std::to_string(k % 2),
              title);
    pieces += (pieces.empty() ? "" : "; ") + html_escape(title);
  }
  legend += "<span class=\"key\"><span class=\"sw wall w0\"></span>wall: " + pieces + "</span>";

  // Surface pressure and surcharges on the retained surface.
  const auto surface_y = [&](double x_left) {  // x_left: distance from the wall
    return c.y0 - (x_left / left) * (c.y0 - y_far);
  };
  if (g.has_soil && g.surface_pressure != 0.0) {
    for (double d = left * 0.05; d < left; d += left / 12.0)
      s += arrow_down(c.px(-d), surface_y(d), 14.0);
    legend += "<span class=\"key\"><span class=\"sw load\"></span>surface pressure " +
              summary_number(g.surface_pressure) + " " + unit_name(units, Quantity::pressure) +
              " (short arrows)</span>";
  }
  int label_row = 0;
  for (const GroundSurcharge& item : g.surcharges) {
    const double d = D(item.distance);
    std::string label;
    if (item.type == 3) {
      const double b = D(item.width);
      const double a = std::max(0.0, d - b / 2);
      const double e = std::min(left, d + b / 2);
      s += rect(c.px(-e), surface_y(d) - 26, (e - a) * c.scale, 6, "stripload");
      for (double x = a; x <= e + 1e-9; x += std::max((e - a) / 4.0, 1e-6))
        s += arrow_down(c.px(-x), surface_y(x), 20.0);
      label =
          "strip " + summary_number(item.magnitude) + " " + unit_name(units, Quantity::pressure);
    } else {
      s += arrow_down(c.px(-d), surface_y(d), 26.0);
      label = (item.type == 1 ? "point " : "line ") + summary_number(item.magnitude) + " " +
              unit_name(units, item.type == 1 ? Quantity::force : Quantity::per_length);
    }
    s += text(c.px(-d), surface_y(d) - 30 - 11 * (label_row++ % 3), "dlabel mid", label);
  }

  // Tie-backs at their angle, the unbonded length to scale.
  for (std::size_t k = 0; k < g.tiebacks.size(); ++k) {
    const GroundTieback& t = g.tiebacks[k];
    const double length = t.length > 0.0 ? D(t.length) : 0.3 * H;
    const double a = t.angle * std::numbers::pi / 180.0;
    const double x1 = c.px(-length * std::cos(a));
    const double y1 = c.py(D(t.depth) + length * std::sin(a));
    s += line(c.x0, c.py(D(t.depth)), x1, y1, "tieback");
    s += "<circle class=\"anchor\" cx=\"" + fixed2(x1) + "\" cy=\"" + fixed2(y1) + "\" r=\"3\"/>";
    s += text(c.x0 - 8, c.py(D(t.depth)) - 4, "dlabel end",
              "T" + std::to_string(k + 1) + " " + tick_label(t.angle) + "\u00b0");
  }
  if (!g.tiebacks.empty())
    legend +=
        "<span class=\"key\"><span class=\"sw tieback\"></span>tie-back (unbonded length)</span>";

  // Depth scale beside the retained side.
  AxisRange range{0.0, bottom};
  for (double t : nice_ticks(range, 6)) {
    if (t > bottom + 1e-9) continue;
    s += line(58, c.py(t), 62, c.py(t), "axis");
    s += text(55, c.py(t) + 3.5, "tick ty", tick_label(t));
  }
  s += line(62, c.y0, 62, yb, "axis");
  s += "<text class=\"alabel\" transform=\"translate(14 " + fixed2((c.y0 + yb) / 2) +
       ") rotate(-90)\">depth below top of wall (" + std::string(du) + ")</text>";
  s += text(xl + 4, yb + 16, "dlabel", "retained side");
  s += text(xr - 4, yb + 16, "dlabel end", "excavation side");
  s += text(c.x0, yb + 32, "dlabel mid", "drawn to scale");
  s += "</svg>";
  return "<figure class=\"fig\">" + s + "<div class=\"legend\">" + legend + "</div></figure>";
}

// ---------------------------------------------------------------- profiles

std::vector<Level> depth_levels(const ProblemResult& p) {
  std::vector<Level> levels;
  if (p.ground.excavation > 0.0)
    levels.push_back(Level{display_depth(p.units, p.ground.excavation), "lexc", "excavation"});
  for (const GroundTieback& t : p.ground.tiebacks)
    levels.push_back(Level{display_depth(p.units, t.depth), "ltie", "tie-back"});
  return levels;
}

std::string figure(const ChartLayout& layout) {
  return "<figure class=\"fig\">" + svg_chart(layout) + chart_legend(layout) + "</figure>";
}

ChartLayout depth_chart(const ProblemResult& p, const std::string& id, const std::string& title,
                        const std::string& x_label, double depth_bottom, bool first) {
  ChartLayout layout;
  layout.id = id;
  layout.title = title;
  layout.x_label = x_label;
  layout.y_label = std::string("depth (") + unit_name(p.units, Quantity::depth) + ")";
  layout.width = first ? 200 : 160;
  layout.height = 440;
  layout.y_down = true;
  layout.y_labels = first;
  layout.y_range = AxisRange{0.0, depth_bottom};
  layout.levels = depth_levels(p);
  if (!first)
    for (Level& l : layout.levels)
      l.label.clear();
  return layout;
}

std::string profiles(const ProblemResult& p, const std::string& pid) {
  const auto u = [&](Quantity q) { return unit_name(p.units, q); };
  const ResultsTable& r = *p.results;
  std::vector<double> X, w, m, v, soil;
  for (int I = 0; I <= r.N && static_cast<std::size_t>(I) < r.stations.size(); ++I) {
    const StationResult& s = r.stations[static_cast<std::size_t>(I)];
    X.push_back(s.X);
    w.push_back(s.deflection);
    m.push_back(s.moment);
    v.push_back(s.shear);
    soil.push_back(s.soil_reaction);
  }
  const double bottom = X.empty() ? 1.0 : std::max(X.back(), 1e-9);
  std::string h = "<div class=\"profiles\">";
  struct Panel {
    const char* key;
    const char* title;
    std::string unit;
    const std::vector<double>* values;
    const char* css;
  };
  const Panel panels[] = {{"deflection", "Deflection", u(Quantity::deflection), &w, "c0"},
                          {"moment", "Bending moment", u(Quantity::moment), &m, "c1"},
                          {"shear", "Shear", u(Quantity::force), &v, "c2"},
                          {"soil", "Soil reaction", u(Quantity::per_length), &soil, "c3"}};
  bool first = true;
  for (const Panel& panel : panels) {
    ChartLayout layout =
        depth_chart(p, pid + "-" + panel.key, panel.title,
                    std::string(panel.title) + " (" + panel.unit + ")", bottom, first);
    layout.series.push_back(Series{*panel.values, X, panel.css, "", true, false});
    h += figure(layout);
    first = false;
  }
  if (!p.pressure.empty()) {
    ChartLayout layout = depth_chart(
        p, pid + "-pressure", "Pressure on the wall",
        std::string("load per length (") + u(Quantity::per_length) + ")", bottom, false);
    std::vector<double> depth, load, earth, water, surface, surcharge;
    for (const PressureResult& q : p.pressure) {
      const double z = display_depth(p.units, q.depth);
      if (z > bottom + 1e-9) continue;
      depth.push_back(z);
      load.push_back(q.load);
      earth.push_back(q.earth);
      water.push_back(q.water);
      surface.push_back(q.surface);
      surcharge.push_back(q.surcharge);
    }
    layout.series.push_back(Series{earth, depth, "earth", "earth", true, false});
    layout.series.push_back(Series{water, depth, "water", "water", true, false});
    layout.series.push_back(Series{surcharge, depth, "surcharge", "surcharge", true, false});
    layout.series.push_back(Series{surface, depth, "surface", "surface", true, false});
    layout.series.push_back(Series{load, depth, "total", "load applied", true, false});
    layout.width = 200;
    h += figure(layout);
  }
  if (!p.curves.empty()) {
    ChartLayout layout = depth_chart(p, pid + "-mobilised", "Mobilised resistance",
                                     "p reached / p ultimate", bottom, false);
    std::vector<double> depth, ratio;
    std::vector<std::pair<double, double>> points;
    double largest_ratio = 1.0;
    for (const CurveResult& curve : p.curves) {
      if (curve.p_ultimate <= 0.0) continue;
      points.emplace_back(curve.X, curve.mobilised);
    }
    std::sort(points.begin(), points.end());
    for (const auto& [x, q] : points) {
      if (x > bottom + 1e-9) continue;
      depth.push_back(x);
      ratio.push_back(q);
      largest_ratio = std::max(largest_ratio, q);
    }
    layout.x_range = AxisRange{0.0, largest_ratio};
    // Curves that share a station (two layers meeting there, say) are shown
    // as points only: a line through them would zigzag between the curves.
    const bool shared = std::adjacent_find(depth.begin(), depth.end()) != depth.end();
    layout.series.push_back(Series{ratio, depth, "c4", "", !shared, true});
    h += figure(layout);
  }
  h += "</div>";
  if (p.pressure.empty())
    h += "<p class=\"note\">No earth pressure was generated in this problem: its loads come from "
         "the load records.</p>";
  return h;
}

// ---------------------------------------------------------------- p-y curves

std::string py_section(const ProblemResult& p, const std::string& pid) {
  const auto u = [&](Quantity q) { return unit_name(p.units, q); };
  const std::size_t n = p.curves.size();
  // The default set: up to six curves spread over the wall, and the most
  // mobilised one.
  std::vector<bool> shown(n, false);
  const std::size_t picks = std::min<std::size_t>(n, 6);
  for (std::size_t k = 0; k < picks; ++k)
    shown[picks == 1 ? 0 : k * (n - 1) / (picks - 1)] = true;
  std::size_t most = 0;
  double most_ratio = -1.0;
  std::vector<double> ratios(n, 0.0);
  for (std::size_t k = 0; k < n; ++k) {
    ratios[k] = p.curves[k].mobilised;
    if (ratios[k] > most_ratio) {
      most_ratio = ratios[k];
      most = k;
    }
  }
  if (n > 0) shown[most] = true;

  std::string picker = "<div class=\"picker no-print\" data-for=\"" + pid + "-py\">Show curves: ";
  std::string charts = "<div class=\"pycurves\" id=\"" + pid + "-py\">";
  for (std::size_t k = 0; k < n; ++k) {
    const CurveResult& curve = p.curves[k];
    const std::string cid = pid + "-py-" + std::to_string(k + 1);
    const std::string name = "station " + std::to_string(curve.station) + ", " +
                             summary_number(curve.X) + " " + u(Quantity::depth);
    picker += "<label><input type=\"checkbox\" value=\"" + cid + "\"" +
              (shown[k] ? " checked" : "") + "> " + std::to_string(k + 1) + ": " +
              html_escape(name) + " (" +
              std::to_string(static_cast<int>(std::lround(ratios[k] * 100.0))) + "%)</label> ";
    ChartLayout layout;
    layout.id = cid;
    layout.title = "p-y curve at " + name;
    layout.x_label = std::string("y, deflection (") + u(Quantity::deflection) + ")";
    layout.y_label = std::string("p, resistance (") + u(Quantity::per_length) + ")";
    layout.width = 300;
    layout.height = 230;
    layout.series.push_back(Series{curve.y, curve.p, "c5", "", true, true});
    layout.markers.push_back(
        Marker{curve.y_reached, curve.p_reached, "reached",
               "reached: y " + summary_number(curve.y_reached) + " " + u(Quantity::deflection) +
                   ", p " + summary_number(curve.p_reached) + " " + u(Quantity::per_length)});
    charts += "<figure class=\"fig py\" data-curve=\"" + cid + "\"" + (shown[k] ? "" : " hidden") +
              ">" + svg_chart(layout) + chart_legend(layout) + "</figure>";
  }
  picker +=
      "<button type=\"button\" data-show=\"all\">all</button> <button type=\"button\" "
      "data-show=\"none\">none</button></div>";
  return picker + charts + "</div>";
}

std::string history_chart(const ProblemResult& p, const std::string& pid) {
  ChartLayout layout;
  layout.id = pid + "-history";
  layout.title = "Iteration history";
  layout.x_label = "iteration";
  layout.y_label = std::string("largest change of deflection (") +
                   unit_name(p.units, Quantity::deflection) + ")";
  layout.width = 360;
  layout.height = 260;
  layout.log_y = true;
  layout.integer_x = true;
  std::vector<double> it, change;
  double smallest = 0.0;
  for (const IterationStep& step : p.history) {
    it.push_back(step.iteration);
    change.push_back(std::abs(step.largest_change));
    if (change.back() > 0.0 && (smallest == 0.0 || change.back() < smallest))
      smallest = change.back();
  }
  layout.series.push_back(Series{it, change, "c0", "largest change", true, true});
  // A change of exactly zero has no place on a log scale: it is marked a
  // decade below the smallest change drawn.
  std::vector<double> zero_it, zero_at;
  for (std::size_t i = 0; i < change.size(); ++i) {
    if (change[i] == 0.0) {
      zero_it.push_back(it[i]);
      zero_at.push_back(smallest > 0.0 ? smallest / 10.0 : 1e-6);
    }
  }
  if (!zero_it.empty())
    layout.series.push_back(
        Series{zero_it, zero_at, "c1", "no change (0), drawn a decade below", false, true});
  return figure(layout);
}

std::string envelope(const MemoryRunResult& run) {
  std::vector<const ProblemResult*> stages;
  for (const ProblemResult& p : run.problems)
    if (p.results && !p.results->stations.empty()) stages.push_back(&p);
  if (stages.size() < 2) return std::string();
  const auto u = [&](Quantity q) { return unit_name(stages.front()->units, q); };
  double bottom = 0.0;
  for (const ProblemResult* p : stages)
    bottom = std::max(bottom, p->results->stations[static_cast<std::size_t>(p->results->N)].X);
  std::string h =
      "<section class=\"envelope\" id=\"envelope\"><h2>Envelope over the stages</h2>"
      "<div class=\"profiles\">";
  for (int which = 0; which < 2; ++which) {
    ChartLayout layout;
    layout.id = which == 0 ? "envelope-deflection" : "envelope-moment";
    layout.title = which == 0 ? "Deflection, every stage" : "Bending moment, every stage";
    layout.x_label = which == 0 ? std::string("deflection (") + u(Quantity::deflection) + ")"
                                : std::string("moment (") + u(Quantity::moment) + ")";
    layout.y_label = std::string("depth (") + u(Quantity::depth) + ")";
    layout.width = 340;
    layout.height = 440;
    layout.y_down = true;
    layout.y_range = AxisRange{0.0, std::max(bottom, 1e-9)};
    // The envelope at the depths of the longest wall's stations.
    std::vector<double> depth, lo, hi;
    for (std::size_t k = 0; k < stages.size(); ++k) {
      const ResultsTable& r = *stages[k]->results;
      std::vector<double> X, v;
      for (int I = 0; I <= r.N; ++I) {
        const StationResult& s = r.stations[static_cast<std::size_t>(I)];
        X.push_back(s.X);
        v.push_back(which == 0 ? s.deflection : s.moment);
      }
      for (std::size_t i = 0; i < X.size(); ++i) {
        auto at = std::find_if(depth.begin(), depth.end(),
                               [&](double d) { return std::abs(d - X[i]) < 1e-9; });
        if (at == depth.end()) {
          depth.push_back(X[i]);
          lo.push_back(v[i]);
          hi.push_back(v[i]);
        } else {
          const std::size_t j = static_cast<std::size_t>(at - depth.begin());
          lo[j] = std::min(lo[j], v[i]);
          hi[j] = std::max(hi[j], v[i]);
        }
      }
      layout.series.push_back(
          Series{v, X, "st" + std::to_string(k % 6), problem_name(*stages[k]), true, false});
    }
    std::vector<std::size_t> order(depth.size());
    for (std::size_t i = 0; i < order.size(); ++i)
      order[i] = i;
    std::sort(order.begin(), order.end(), [&](auto a, auto b) { return depth[a] < depth[b]; });
    std::vector<double> d2, lo2, hi2;
    for (std::size_t i : order) {
      d2.push_back(depth[i]);
      lo2.push_back(lo[i]);
      hi2.push_back(hi[i]);
    }
    layout.series.push_back(Series{lo2, d2, "env", "envelope", true, false});
    layout.series.push_back(Series{hi2, d2, "env", "", true, false});
    h += figure(layout);
  }
  return h + "</div></section>";
}

constexpr const char* kStyle = R"(
body{font:14px/1.4 system-ui,sans-serif;margin:1.5em;color:#111;max-width:1400px}
h1{font-size:1.4em;margin:.2em 0}h2{font-size:1.2em;border-bottom:2px solid #345;margin-top:1.6em}
h3{font-size:1.05em;margin:1.2em 0 .4em}
table.summary{border-collapse:collapse;margin:.5em 0}
table.summary th{text-align:left;padding:.15em 1em .15em 0;font-weight:600;vertical-align:top;white-space:nowrap}
table.summary td{padding:.15em 0}.v{font-variant-numeric:tabular-nums}
.verdict{font-weight:600}.bad{color:#a00}
ul.warnings{margin:0;padding-left:1.2em;color:#a00}
.profiles,.pycurves,.row{display:flex;flex-wrap:wrap;gap:4px;align-items:flex-start}
figure.fig{margin:0 6px 8px 0;width:min-content}
.legend{font-size:11px;max-width:560px}.key{margin-right:10px;white-space:nowrap;display:inline-block}
.sw{display:inline-block;width:14px;height:8px;margin-right:3px;vertical-align:middle;border:1px solid #555}
.swdot{display:inline-block;width:8px;height:8px;border-radius:50%;background:#d00;margin-right:3px}
svg text{font:10px system-ui,sans-serif;fill:#222}
.ctitle{font-size:12px;font-weight:600;text-anchor:middle}.alabel{font-size:11px;text-anchor:middle}
.tx{text-anchor:middle}.ty{text-anchor:end}.end{text-anchor:end}.mid{text-anchor:middle}
.plot-area{fill:#fff;stroke:#444;stroke-width:1}.grid{stroke:#e2e2e2;stroke-width:1}
.zero{stroke:#888;stroke-width:1}.axis{stroke:#444}
polyline.curve{fill:none;stroke-width:1.8;stroke-linejoin:round}
.c0{stroke:#1f5fa8;fill:#1f5fa8}.c1{stroke:#b3261e;fill:#b3261e}.c2{stroke:#2d7d32;fill:#2d7d32}
.c3{stroke:#8a4fbf;fill:#8a4fbf}.c4{stroke:#c77700;fill:#c77700}.c5{stroke:#1f5fa8;fill:#1f5fa8}
.earth{stroke:#8b5a2b;background:#8b5a2b}.water{stroke:#1e73be;background:#1e73be}
.surcharge{stroke:#c77700;background:#c77700}.surface{stroke:#7a7a7a;background:#7a7a7a}
.total{stroke:#111;background:#111;stroke-dasharray:5 3}
.sw.c0,.sw.c5{background:#1f5fa8}.sw.c1{background:#b3261e}.sw.c2{background:#2d7d32}
.sw.c3{background:#8a4fbf}.sw.c4{background:#c77700}
.st0{stroke:#1f5fa8;background:#1f5fa8}.st1{stroke:#b3261e;background:#b3261e}
.st2{stroke:#2d7d32;background:#2d7d32}.st3{stroke:#8a4fbf;background:#8a4fbf}
.st4{stroke:#c77700;background:#c77700}.st5{stroke:#555;background:#555}
.env{stroke:#000;background:#000;stroke-width:2.6!important;stroke-dasharray:2 3}
circle.dot{stroke:none}circle.reached{fill:#d00;stroke:#fff;stroke-width:1}
.level{stroke-width:1;stroke-dasharray:6 3}.lexc{stroke:#6b4e16;background:#6b4e16}
.ltie{stroke:#555;background:#555}
.nodata{text-anchor:middle;fill:#888}
.soil{stroke:#6a5a40;stroke-width:.5}.s0{fill:#d8cfbf;background:#d8cfbf}
.s1{fill:#b9a27a;background:#b9a27a}.s2{fill:#9c8a5a;background:#9c8a5a}
.s3{fill:#8a7d52;background:#8a7d52}.s4{fill:#ecd98c;background:#ecd98c}
.s5{fill:#cdbb92;background:#cdbb92}.s6{fill:#8d8d8d;background:#8d8d8d}.s7{fill:#a9a9a0;background:#a9a9a0}
.waterbody{fill:#1e73be;opacity:.14}.waterfree{fill:#1e73be;opacity:.35}
line.water{stroke:#1e73be;stroke-width:1.5}.watermark{fill:#1e73be}
.excavation{stroke:#6b4e16;stroke-width:1.2;stroke-dasharray:6 3}
.wall{stroke:#222;stroke-width:.6}.w0{fill:#333;background:#333}.w1{fill:#777}
.tieback{stroke:#111;stroke-width:1.6;background:#111}.anchor{fill:#111}
.load{stroke:#b3261e;stroke-width:1.2;background:#b3261e}.loadhead{fill:#b3261e}.stripload{fill:#b3261e;opacity:.35}
.dlabel{font-size:10px}
.drawing .plot-area{fill:#f4f8fc;stroke:none}
.picker{font-size:12px;margin:.3em 0;max-height:7.5em;overflow:auto}
.picker label{white-space:nowrap;margin-right:8px}
details pre{font:11px/1.25 monospace;overflow:auto;background:#fafafa;border:1px solid #ddd;padding:.5em}
.note{color:#555;font-size:12px}
@page{size:A4 landscape;margin:12mm}
@media print{body{margin:0;max-width:none}.profiles{zoom:.85}.no-print,details{display:none}
section.problem{break-before:page}section.problem:first-of-type{break-before:auto}
figure.fig,table.summary{break-inside:avoid}h2,h3{break-after:avoid}
.envelope{break-before:page}}
)";

// The picker, and a check of the drawing the browser made: every drawn curve
// inside its plot area, every chart with something drawn.  The verdict goes
// into data-selfcheck of the root element.
constexpr const char* kScript = R"(
(function(){
var errs=[];
window.addEventListener('error',function(e){errs.push(String(e.message))});
document.querySelectorAll('.picker').forEach(function(pk){
 var box=document.getElementById(pk.getAttribute('data-for'));
 function sync(){pk.querySelectorAll('input').forEach(function(i){
  var f=box.querySelector('[data-curve="'+i.value+'"]');if(f)f.hidden=!i.checked;});}
 pk.addEventListener('change',sync);
 pk.querySelectorAll('button').forEach(function(b){b.addEventListener('click',function(){
  var on=b.getAttribute('data-show')==='all';
  pk.querySelectorAll('input').forEach(function(i){i.checked=on});sync();});});
});
var bad=[],hidden=[];
document.querySelectorAll('figure[hidden]').forEach(function(f){f.hidden=false;hidden.push(f)});
document.querySelectorAll('svg.chart').forEach(function(svg){
 var area=svg.querySelector('rect.plot-area');
 if(!area){bad.push(svg.id+': no plot area');return}
 var a=area.getBBox(),curves=svg.querySelectorAll('.curve');
 if(!curves.length&&!svg.querySelector('.nodata'))bad.push(svg.id+': nothing drawn');
 curves.forEach(function(c){
  var b=c.getBBox(),t=0.6+(c.tagName==='circle'?parseFloat(c.getAttribute('r')):0);
  if(!(b.x>=a.x-t&&b.y>=a.y-t&&b.x+b.width<=a.x+a.width+t&&b.y+b.height<=a.y+a.height+t))
   bad.push(svg.id+': a curve leaves its axes');
 });
});
document.querySelectorAll('svg.drawing').forEach(function(svg){
 if(!svg.querySelector('.wall'))bad.push(svg.id+': no wall drawn');
});
hidden.forEach(function(f){f.hidden=true});
var all=bad.concat(errs);
document.documentElement.setAttribute('data-selfcheck',all.length?'fail: '+all.join('; '):'ok');
document.documentElement.setAttribute('data-charts',String(document.querySelectorAll('svg.chart').length));
})();
)";

}  // namespace

std::string summary_number(double value, int digits) {
  if (!std::isfinite(value)) return "not finite";
  char text[32];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  std::string s = text;
  if (s == "-0") s = "0";
  return s;
}

std::vector<std::string> report_parts(const std::string& report, std::size_t problems) {
  std::vector<std::size_t> starts;
  const std::string banner = "KESTRO for Windows";
  for (std::size_t at = report.find(banner); at != std::string::npos;
       at = report.find(banner, at + 1)) {
    // The header begins at the rule two lines above the banner.
    std::size_t begin = report.rfind("\n     =====", at);
    begin = begin == std::string::npos ? 0 : begin + 1;
    starts.push_back(starts.empty() ? 0 : begin);
  }
  std::vector<std::string> parts;
  if (starts.size() != problems) return parts;
  for (std::size_t k = 0; k < starts.size(); ++k) {
    const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : report.size();
    parts.push_back(report.substr(starts[k], end - starts[k]));
  }
  return parts;
}

std::string page(const std::string& deck_name, const MemoryRunResult& run) {
  const Verdict v = verdict(run);
  std::string h =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width\">"
      "<title>" +
      html_escape(deck_name) + ": KESTRO results</title><style>" + kStyle +
      "</style></head><body>\n";
  h += "<header><h1>" + html_escape(deck_name) + "</h1><p>Outcome: <span class=\"verdict" +
       std::string(v.kind == VerdictKind::solved ? "" : " bad") + "\" data-check=\"verdict\">" +
       html_escape(v.text) + "</span>; " + std::to_string(run.problems.size()) +
       (run.problems.size() == 1 ? " problem" : " problems or stages") + ".</p>";
  if (!run.problems.empty()) {
    h += "<nav><p>";
    for (const ProblemResult& p : run.problems) {
      h += "<a href=\"#p" + std::to_string(p.number) + "\">" + problem_name(p) + ": " +
           html_escape(p.title) + "</a><br>";
    }
    h += "</p></nav>";
  }
  h += "</header>\n";
  const std::vector<std::string> parts = report_parts(run.report, run.problems.size());
  for (std::size_t k = 0; k < run.problems.size(); ++k) {
    const ProblemResult& p = run.problems[k];
    const std::string pid = "p" + std::to_string(p.number);
    std::vector<std::string> warnings;
    for (const Warning& w : p.warnings) {
      std::string place;
      if (!w.file.empty()) {
        place = w.file + (w.line != 0 ? ", line " + std::to_string(w.line) : "") +
                (w.line == 0 && !w.path.empty() ? ": " + w.path : "") + ": ";
      }
      warnings.push_back(place + w.text);
    }
    h += "<section class=\"problem\" id=\"" + pid + "\" data-solved=\"" +
         (p.results ? "true" : "false") + "\" data-curves=\"" + std::to_string(p.curves.size()) +
         "\" data-pressure=\"" + std::to_string(p.pressure.size()) + "\">";
    h += "<h2>" + problem_name(p) + ": " + html_escape(p.title) + "</h2>";
    h += summary_block(p, warnings);
    if (p.solved || p.ground.wall_length > 0.0) {
      h += "<h3>Wall and ground</h3>" + wall_drawing(p, pid + "-wall");
    }
    if (p.results) {
      h += "<h3>Results against depth</h3>" + profiles(p, pid);
    } else if (p.solved) {
      h += "<p class=\"note\">No results tables: the solution is not valid.</p>";
    }
    if (!p.curves.empty()) {
      h += "<h3>p-y curves used, with the point reached</h3>" + py_section(p, pid);
    }
    if (!p.history.empty()) h += "<h3>Iteration</h3>" + history_chart(p, pid);
    if (k < parts.size()) {
      h += "<details><summary>Report of " + problem_name(p) +
           " (fixed-column text)</summary><pre>" + html_escape(parts[k]) + "</pre></details>";
    }
    h += "</section>\n";
  }
  h += envelope(run);
  if (parts.empty()) {
    h += "<details><summary>Report (fixed-column text)</summary><pre>" + html_escape(run.report) +
         "</pre></details>";
  }
  if (run.outcome != Outcome::completed) {
    h += "<p class=\"bad\">" + html_escape(run.message) + "</p>";
  }
  h += "<script>" + std::string(kScript) + "</script>\n</body></html>\n";
  return h;
}

}  // namespace kestro::html

namespace kestro {

std::string html_report(const std::string& deck_name, const MemoryRunResult& run) {
  return html::page(deck_name, run);
}

}  // namespace kestro
