#include "report/svg_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kestro::html {

namespace {

constexpr int kLeft = 58;
constexpr int kLeftBare = 14;
constexpr int kRight = 20;
constexpr int kTop = 30;
constexpr int kBottom = 44;

std::string fixed2(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

void open_range(AxisRange& range) {
  if (!std::isfinite(range.lo) || !std::isfinite(range.hi)) range = AxisRange{0.0, 1.0};
  if (range.lo > range.hi) std::swap(range.lo, range.hi);
  if (range.hi - range.lo <= 1e-12 * std::max(std::abs(range.lo), std::abs(range.hi))) {
    const double half = range.lo == 0.0 ? 1.0 : std::abs(range.lo) * 0.1;
    range.lo -= half;
    range.hi += half;
  }
}

double tick_step(const AxisRange& range, int target) {
  const double raw = (range.hi - range.lo) / std::max(1, target);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double fraction = raw / power;
  const double nice = fraction <= 1.0 ? 1.0 : fraction <= 2.0 ? 2.0 : fraction <= 5.0 ? 5.0 : 10.0;
  return nice * power;
}

// Ticks at multiples of step inside the range.
std::vector<double> ticks_at(const AxisRange& range, double step) {
  std::vector<double> ticks;
  for (double k = std::ceil(range.lo / step - 1e-9); k * step <= range.hi + step * 1e-9; k += 1.0)
    ticks.push_back(std::abs(k * step) < step * 1e-9 ? 0.0 : k * step);
  return ticks;
}

// Ticks inside a given range, which is kept as it is.
std::vector<double> ticks_within(AxisRange range, int target) {
  open_range(range);
  return ticks_at(range, tick_step(range, target));
}

struct Frame {
  double left, top, width, height;
  AxisRange x, y;
  bool y_down, log_y;
  double px(double v) const { return left + (v - x.lo) / (x.hi - x.lo) * width; }
  double py(double v) const {
    const double u = log_y ? std::log10(v) : v;
    const double t = (u - y.lo) / (y.hi - y.lo);
    return y_down ? top + t * height : top + height - t * height;
  }
  bool usable(double vx, double vy) const {
    return std::isfinite(vx) && std::isfinite(vy) && (!log_y || vy > 0.0);
  }
};

}  // namespace

std::vector<double> nice_ticks(AxisRange& range, int target) {
  open_range(range);
  const double step = tick_step(range, target);
  range.lo = std::floor(range.lo / step + 1e-9) * step;
  range.hi = std::ceil(range.hi / step - 1e-9) * step;
  return ticks_at(range, step);
}

std::string tick_label(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  std::string label = text;
  if (label == "-0") label = "0";
  return label;
}

std::string html_escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string svg_chart(const ChartLayout& layout) {
  // The extent of the data.
  double xlo = std::numeric_limits<double>::infinity(), xhi = -xlo;
  double ylo = xlo, yhi = -xlo;
  bool any = false;
  const auto take = [&](double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y) || (layout.log_y && y <= 0.0)) return;
    any = true;
    xlo = std::min(xlo, x);
    xhi = std::max(xhi, x);
    ylo = std::min(ylo, y);
    yhi = std::max(yhi, y);
  };
  for (const Series& s : layout.series)
    for (std::size_t i = 0; i < std::min(s.x.size(), s.y.size()); ++i)
      take(s.x[i], s.y[i]);
  for (const Marker& m : layout.markers)
    take(m.x, m.y);

  Frame f{};
  f.left = layout.y_labels ? kLeft : kLeftBare;
  f.top = kTop;
  f.width = layout.width - f.left - kRight;
  f.height = layout.height - kTop - kBottom;
  f.y_down = layout.y_down;
  f.log_y = layout.log_y;

  AxisRange xr = layout.x_range.value_or(any ? AxisRange{xlo, xhi} : AxisRange{0.0, 1.0});
  // About one tick label per 50 px, so labels never run into each other.
  const int x_target = std::max(2, static_cast<int>(f.width / 50.0));
  std::vector<double> xticks =
      layout.x_range ? ticks_within(xr, x_target) : nice_ticks(xr, x_target);
  if (layout.integer_x) {
    std::erase_if(xticks, [](double t) { return t != std::round(t); });
  }
  open_range(xr);
  f.x = xr;

  std::vector<double> yticks;
  if (layout.log_y) {
    const double lo = any ? std::floor(std::log10(ylo)) : 0.0;
    double hi = any ? std::ceil(std::log10(yhi)) : 1.0;
    if (hi <= lo) hi = lo + 1.0;
    f.y = AxisRange{lo, hi};
    for (double e = lo; e <= hi + 1e-9; e += 1.0)
      yticks.push_back(e);
  } else {
    AxisRange yr = layout.y_range.value_or(any ? AxisRange{ylo, yhi} : AxisRange{0.0, 1.0});
    for (const Level& level : layout.levels) {
      if (!layout.y_range && std::isfinite(level.y)) {
        yr.lo = std::min(yr.lo, level.y);
        yr.hi = std::max(yr.hi, level.y);
      }
    }
    yticks = layout.y_range ? ticks_within(yr, layout.y_down ? 8 : 5) : nice_ticks(yr, 5);
    open_range(yr);
    f.y = yr;
  }

  std::string svg;
  svg.reserve(4096);
  svg += "<svg class=\"chart\" id=\"" + html_escape(layout.id) + "\" viewBox=\"0 0 " +
         std::to_string(layout.width) + " " + std::to_string(layout.height) + "\" width=\"" +
         std::to_string(layout.width) + "\" height=\"" + std::to_string(layout.height) +
         "\" role=\"img\" aria-label=\"" + html_escape(layout.title) + "\">";
  svg += "<title>" + html_escape(layout.title) + "</title>";
  svg += "<text class=\"ctitle\" x=\"" + fixed2(f.left + f.width / 2) + "\" y=\"16\">" +
         html_escape(layout.title) + "</text>";
  svg += "<rect class=\"plot-area\" x=\"" + fixed2(f.left) + "\" y=\"" + fixed2(f.top) +
         "\" width=\"" + fixed2(f.width) + "\" height=\"" + fixed2(f.height) + "\" data-plot=\"" +
         fixed2(f.left) + " " + fixed2(f.top) + " " + fixed2(f.width) + " " + fixed2(f.height) +
         "\"/>";

  // Grid, ticks and their labels.
  for (double t : xticks) {
    const double x = f.px(t);
    svg += "<line class=\"grid\" x1=\"" + fixed2(x) + "\" y1=\"" + fixed2(f.top) + "\" x2=\"" +
           fixed2(x) + "\" y2=\"" + fixed2(f.top + f.height) + "\"/>";
    svg += "<text class=\"tick tx\" x=\"" + fixed2(x) + "\" y=\"" + fixed2(f.top + f.height + 13) +
           "\">" + tick_label(t) + "</text>";
  }
  for (double t : yticks) {
    const double y = layout.log_y ? f.py(std::pow(10.0, t)) : f.py(t);
    svg += "<line class=\"grid\" x1=\"" + fixed2(f.left) + "\" y1=\"" + fixed2(y) + "\" x2=\"" +
           fixed2(f.left + f.width) + "\" y2=\"" + fixed2(y) + "\"/>";
    if (layout.y_labels) {
      const std::string label = layout.log_y ? "1e" + tick_label(t) : tick_label(t);
      svg += "<text class=\"tick ty\" x=\"" + fixed2(f.left - 4) + "\" y=\"" + fixed2(y + 3.5) +
             "\">" + label + "</text>";
    }
  }
  if (!layout.log_y && f.x.lo < 0.0 && f.x.hi > 0.0) {
    const double x = f.px(0.0);
    svg += "<line class=\"zero\" x1=\"" + fixed2(x) + "\" y1=\"" + fixed2(f.top) + "\" x2=\"" +
           fixed2(x) + "\" y2=\"" + fixed2(f.top + f.height) + "\"/>";
  }
  if (!layout.log_y && !layout.y_down && f.y.lo < 0.0 && f.y.hi > 0.0) {
    const double y = f.py(0.0);
    svg += "<line class=\"zero\" x1=\"" + fixed2(f.left) + "\" y1=\"" + fixed2(y) + "\" x2=\"" +
           fixed2(f.left + f.width) + "\" y2=\"" + fixed2(y) + "\"/>";
  }
  svg += "<text class=\"alabel\" x=\"" + fixed2(f.left + f.width / 2) + "\" y=\"" +
         std::to_string(layout.height - 8) + "\">" + html_escape(layout.x_label) + "</text>";
  if (layout.y_labels) {
    svg += "<text class=\"alabel\" transform=\"translate(12 " + fixed2(f.top + f.height / 2) +
           ") rotate(-90)\">" + html_escape(layout.y_label) + "</text>";
  }

  for (const Level& level : layout.levels) {
    if (!std::isfinite(level.y) || (layout.log_y && level.y <= 0.0)) continue;
    const double y = f.py(level.y);
    svg += "<line class=\"level " + level.css + "\" x1=\"" + fixed2(f.left) + "\" y1=\"" +
           fixed2(y) + "\" x2=\"" + fixed2(f.left + f.width) + "\" y2=\"" + fixed2(y) + "\"/>";
  }
  for (const Series& s : layout.series) {
    std::string points;
    std::string dots;
    for (std::size_t i = 0; i < std::min(s.x.size(), s.y.size()); ++i) {
      if (!f.usable(s.x[i], s.y[i])) continue;
      const std::string xy = fixed2(f.px(s.x[i])) + "," + fixed2(f.py(s.y[i]));
      points += xy + " ";
      if (s.markers) {
        dots += "<circle class=\"curve dot " + s.css + "\" cx=\"" + fixed2(f.px(s.x[i])) +
                "\" cy=\"" + fixed2(f.py(s.y[i])) + "\" r=\"2.2\"/>";
      }
    }
    if (s.line && !points.empty()) {
      points.pop_back();
      svg += "<polyline class=\"curve " + s.css + "\" points=\"" + points + "\"/>";
    }
    svg += dots;
  }
  for (const Marker& m : layout.markers) {
    if (!f.usable(m.x, m.y)) continue;
    svg += "<circle class=\"curve reached " + m.css + "\" cx=\"" + fixed2(f.px(m.x)) + "\" cy=\"" +
           fixed2(f.py(m.y)) + "\" r=\"4\"><title>" + html_escape(m.label) + "</title></circle>";
  }
  if (!any) {
    svg += "<text class=\"nodata\" x=\"" + fixed2(f.left + f.width / 2) + "\" y=\"" +
           fixed2(f.top + f.height / 2) + "\">no values</text>";
  }
  svg += "</svg>";
  return svg;
}

std::string chart_legend(const ChartLayout& layout) {
  std::string html;
  for (const Series& s : layout.series) {
    if (s.label.empty()) continue;
    html += "<span class=\"key\"><span class=\"sw " + s.css + "\"></span>" + html_escape(s.label) +
            "</span>";
  }
  for (const Marker& m : layout.markers) {
    if (m.label.empty()) continue;
    html += "<span class=\"key\"><span class=\"swdot " + m.css + "\"></span>" +
            html_escape(m.label) + "</span>";
    break;
  }
  for (const Level& l : layout.levels) {
    if (l.label.empty()) continue;
    html += "<span class=\"key\"><span class=\"sw " + l.css + "\"></span>" + html_escape(l.label) +
            "</span>";
  }
  return html.empty() ? html : "<div class=\"legend\">" + html + "</div>";
}

}  // namespace kestro::html
