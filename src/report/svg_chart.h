// Line charts as inline SVG text for the HTML report: linear or logarithmic
// axes with rounded ticks, depth axes that grow downward, and the plot area
// written out as a data attribute so a browser check can hold every drawn
// curve against it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestro::html {

struct AxisRange {
  double lo = 0.0;
  double hi = 1.0;
};

// Ticks at 1, 2 or 5 times a power of ten covering [lo, hi] with about
// `target` intervals; the range is widened to the outer ticks.  A range of
// zero width (or a non-finite one) is opened around its value first.
std::vector<double> nice_ticks(AxisRange& range, int target);

// A tick label: at most four significant digits, no trailing zeros.
std::string tick_label(double value);

// One drawn line or set of markers.  Points whose coordinates are not finite
// are left out.
struct Series {
  std::vector<double> x;
  std::vector<double> y;
  std::string css;    // class of its colour, e.g. "c0", "earth"
  std::string label;  // legend text; empty: not in the legend
  bool line = true;
  bool markers = false;
};

// A point to mark (the point reached on a p-y curve).
struct Marker {
  double x = 0.0;
  double y = 0.0;
  std::string css;
  std::string label;
};

// A horizontal reference line across the plot area at value y.
struct Level {
  double y = 0.0;
  std::string css;
  std::string label;
};

struct ChartLayout {
  std::string id;
  std::string title;
  std::string x_label;
  std::string y_label;
  int width = 230;
  int height = 420;
  bool y_down = false;               // y grows downward (depth axes)
  bool log_y = false;                // y on a log scale; values <= 0 are left out
  bool y_labels = true;              // print the y tick labels (off for panels sharing an axis)
  bool integer_x = false;            // x ticks at whole numbers only (iteration counts)
  std::optional<AxisRange> x_range;  // default: the data widened to ticks
  std::optional<AxisRange> y_range;
  std::vector<Series> series;
  std::vector<Marker> markers;
  std::vector<Level> levels;
};

// The chart as an <svg class="chart"> element; its plot-area rectangle
// carries data-plot="x y width height" and every drawn curve the class
// "curve".  A chart without any finite point says so inside the plot area.
std::string svg_chart(const ChartLayout& layout);

// The legend of a chart's labelled series and markers, as HTML.
std::string chart_legend(const ChartLayout& layout);

// Escapes &, <, >, " and ' for HTML text and attributes.
std::string html_escape(const std::string& text);

}  // namespace kestro::html
