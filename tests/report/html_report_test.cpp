// The HTML page of a run read as markup: self-contained, one section per
// problem with its charts, every drawn point inside its plot area, and the
// summary equal to the report.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <regex>

#include "kestro/report.hpp"
#include "report/html_report.h"
#include "report/report_reading.h"
#include "report/svg_chart.h"

namespace kestro {
namespace {

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

// The text of the span data-check="KEY" inside the section of a problem.
std::string checked(const std::string& section, const std::string& key) {
  const std::string tag = "data-check=\"" + key + "\">";
  const std::size_t at = section.find(tag);
  if (at == std::string::npos) return "(missing " + key + ")";
  const std::size_t begin = at + tag.size();
  return section.substr(begin, section.find('<', begin) - begin);
}

std::vector<std::string> sections(const std::string& html) {
  std::vector<std::string> out;
  for (std::size_t at = html.find("<section class=\"problem\""); at != std::string::npos;) {
    const std::size_t end = html.find("</section>", at);
    out.push_back(html.substr(at, end - at));
    at = html.find("<section class=\"problem\"", end);
  }
  return out;
}

TEST(HtmlReport, IsOneSelfContainedPageWithASectionAndChartsPerProblem) {
  for (const char* deck : {"examples/tied-back-wall.dat", "examples/cantilever-layered-soil.dat",
                           "examples/tied-back-wall-clay.dat", "examples/control-records.dat",
                           "tests/decks/staged-si.dat"}) {
    SCOPED_TRACE(deck);
    const MemoryRunResult run = testing::run_source_deck(deck);
    const std::string html = html_report("deck.dat", run);
    // Nothing is fetched: no URL, no external script, style or image.
    EXPECT_EQ(html.find("http:"), std::string::npos);
    EXPECT_EQ(html.find("https:"), std::string::npos);
    EXPECT_EQ(html.find(" src="), std::string::npos);
    EXPECT_EQ(html.find("<link"), std::string::npos);
    EXPECT_EQ(count(html, "<svg"), count(html, "</svg>"));
    const std::vector<std::string> parts = sections(html);
    ASSERT_EQ(parts.size(), run.problems.size());
    for (std::size_t k = 0; k < parts.size(); ++k) {
      const ProblemResult& p = run.problems[k];
      const std::string pid = "p" + std::to_string(p.number);
      std::vector<std::string> charts;
      if (p.results) {
        charts = {"-wall", "-deflection", "-moment", "-shear", "-soil", "-history"};
        if (!p.pressure.empty()) charts.push_back("-pressure");
        if (!p.curves.empty()) charts.push_back("-mobilised");
        for (std::size_t c = 0; c < p.curves.size(); ++c)
          charts.push_back("-py-" + std::to_string(c + 1));
      }
      for (const std::string& id : charts)
        EXPECT_NE(parts[k].find("id=\"" + pid + id + "\""), std::string::npos) << pid + id;
      EXPECT_NE(parts[k].find("<details><summary>Report of"), std::string::npos);
    }
    if (run.problems.size() > 1) {
      EXPECT_NE(html.find("id=\"envelope-deflection\""), std::string::npos);
      EXPECT_NE(html.find("id=\"envelope-moment\""), std::string::npos);
    }
  }
}

// Every polyline point and circle of every chart lies inside the rectangle
// its data-plot attribute names.
TEST(HtmlReport, EveryDrawnPointLiesInsideItsPlotArea) {
  const std::regex plot("data-plot=\"([-0-9.]+) ([-0-9.]+) ([-0-9.]+) ([-0-9.]+)\"");
  const std::regex points("class=\"curve[^\"]*\" points=\"([^\"]*)\"");
  const std::regex circle("class=\"curve[^\"]*\" cx=\"([-0-9.]+)\" cy=\"([-0-9.]+)\"");
  std::size_t checked_points = 0;
  for (const char* deck : {"examples/cantilever-layered-soil.dat",
                           "examples/tied-back-wall-clay.dat", "tests/decks/staged-si.dat"}) {
    SCOPED_TRACE(deck);
    const std::string html = html_report("d.dat", testing::run_source_deck(deck));
    for (std::size_t at = html.find("<svg class=\"chart\""); at != std::string::npos;
         at = html.find("<svg class=\"chart\"", at + 1)) {
      const std::string svg = html.substr(at, html.find("</svg>", at) - at);
      std::smatch m;
      ASSERT_TRUE(std::regex_search(svg, m, plot));
      const double x = std::stod(m[1]), y = std::stod(m[2]);
      const double w = std::stod(m[3]), h = std::stod(m[4]);
      const auto inside = [&](double px, double py) {
        ++checked_points;
        return px >= x - 0.01 && px <= x + w + 0.01 && py >= y - 0.01 && py <= y + h + 0.01;
      };
      for (auto it = std::sregex_iterator(svg.begin(), svg.end(), points);
           it != std::sregex_iterator(); ++it) {
        std::istringstream in((*it)[1].str());
        for (std::string xy; in >> xy;) {
          const std::size_t comma = xy.find(',');
          EXPECT_TRUE(inside(std::stod(xy.substr(0, comma)), std::stod(xy.substr(comma + 1))))
              << svg.substr(0, 80) << " " << xy;
        }
      }
      for (auto it = std::sregex_iterator(svg.begin(), svg.end(), circle);
           it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(inside(std::stod((*it)[1]), std::stod((*it)[2]))) << svg.substr(0, 80);
    }
  }
  EXPECT_GT(checked_points, 500u);
}

// The summary's largest deflection, moment and shear, their depths, the
// iterations and the tie-back forces are the report's, at its precision.
TEST(HtmlReport, SummaryShowsTheReportsNumbers) {
  for (const char* deck : {"examples/tied-back-wall.dat", "tests/decks/staged-si.dat"}) {
    SCOPED_TRACE(deck);
    const MemoryRunResult run = testing::run_source_deck(deck);
    const std::vector<std::string> parts = sections(html_report("d.dat", run));
    const auto stations = testing::printed_station_tables(run.report);
    const auto ties = testing::printed_tieback_tables(run.report);
    ASSERT_EQ(parts.size(), stations.size());
    for (std::size_t k = 0; k < parts.size(); ++k) {
      // The largest absolute value of a printed column, first on a tie.
      const auto largest = [&](std::size_t column, const std::string& key) {
        const std::vector<std::string>* best = nullptr;
        for (const auto& row : stations[k])
          if (!best || std::abs(std::stod(row[column])) > std::abs(std::stod((*best)[column])))
            best = &row;
        const double shown = std::stod(checked(parts[k], key));
        EXPECT_EQ(testing::e_format(shown, 3), (*best)[column]) << key;
        EXPECT_EQ(testing::e_format(std::stod(checked(parts[k], key + "-x")), 3), (*best)[1])
            << key;
      };
      largest(2, "deflection");
      largest(4, "moment");
      largest(5, "shear");
      EXPECT_EQ(checked(parts[k], "outcome"), "converged");
      EXPECT_EQ(checked(parts[k], "iterations"), std::to_string(run.problems[k].iterations));
      EXPECT_NE(run.report.find("NUMBER OF ITERATIONS :   " + checked(parts[k], "iterations")),
                std::string::npos);
    }
    std::size_t tie_tables = 0;
    for (std::size_t k = 0; k < parts.size(); ++k) {
      if (parts[k].find("data-check=\"tieback-1-force\"") == std::string::npos) continue;
      ASSERT_LT(tie_tables, ties.size());
      const auto& row = ties[tie_tables++][0];
      EXPECT_EQ(testing::e_format(std::stod(checked(parts[k], "tieback-1-force")), 4), row[5]);
      EXPECT_EQ(testing::e_format(std::stod(checked(parts[k], "tieback-1-horizontal")), 4), row[3]);
    }
    EXPECT_EQ(tie_tables, ties.size());
  }
}

double attribute(const std::string& element, const std::string& name) {
  const std::string key = " " + name + "=\"";
  const std::size_t at = element.find(key);
  EXPECT_NE(at, std::string::npos) << name;
  return at == std::string::npos ? 0.0 : std::stod(element.substr(at + key.size()));
}

// Every element of the drawing whose class begins with `css`.
std::vector<std::string> elements(const std::string& svg, const std::string& css) {
  std::vector<std::string> out;
  const std::string key = "class=\"" + css;
  for (std::size_t at = svg.find(key); at != std::string::npos; at = svg.find(key, at + 1)) {
    const std::size_t begin = svg.rfind('<', at);
    out.push_back(svg.substr(begin, svg.find('>', at) - begin));
  }
  return out;
}

// The drawing is to scale: one scale (px per ft) for the wall's length, the
// depths of water and excavation, and both legs of a tie-back.  The decks
// give the lengths: the tied-back wall is 20 ft long with one tie-back at
// 3 ft, 25 ft unbonded at 15 degrees; the cantilever is 30 ft long, its
// excavation at 12 ft and its water at 8 ft behind and 14 ft in front.
TEST(HtmlReport, TheWallIsDrawnToScale) {
  const auto drawing = [](const char* deck) {
    const std::string html = html_report("d.dat", testing::run_source_deck(deck));
    const std::size_t at = html.find("<svg class=\"drawing\"");
    return html.substr(at, html.find("</svg>", at) - at);
  };
  const double pi = std::acos(-1.0);
  {
    const std::string svg = drawing("examples/tied-back-wall.dat");
    const double scale = attribute(svg.substr(0, svg.find('>')), "data-scale");
    const double top = attribute(svg.substr(0, svg.find('>')), "data-top");
    double wall = 0.0;
    for (const std::string& piece : elements(svg, "wall"))
      wall += attribute(piece, "height");
    EXPECT_NEAR(wall, 20.0 * scale, 0.02);
    const std::vector<std::string> ties = elements(svg, "tieback");
    ASSERT_EQ(ties.size(), 1u);
    EXPECT_NEAR(attribute(ties[0], "y1") - top, 3.0 * scale, 0.02);
    EXPECT_NEAR(attribute(ties[0], "x1") - attribute(ties[0], "x2"),
                25.0 * std::cos(15.0 * pi / 180.0) * scale, 0.02);
    EXPECT_NEAR(attribute(ties[0], "y2") - attribute(ties[0], "y1"),
                25.0 * std::sin(15.0 * pi / 180.0) * scale, 0.02);
    EXPECT_NEAR(attribute(elements(svg, "excavation")[0], "y1") - top, 10.0 * scale, 0.02);
  }
  {
    const std::string svg = drawing("examples/cantilever-layered-soil.dat");
    const double scale = attribute(svg.substr(0, svg.find('>')), "data-scale");
    const double top = attribute(svg.substr(0, svg.find('>')), "data-top");
    EXPECT_NEAR(attribute(elements(svg, "excavation")[0], "y1") - top, 12.0 * scale, 0.02);
    const std::vector<std::string> water = elements(svg, "water\"");
    ASSERT_EQ(water.size(), 2u);
    EXPECT_NEAR(attribute(water[0], "y1") - top, 8.0 * scale, 0.02);
    EXPECT_NEAR(attribute(water[1], "y1") - top, 14.0 * scale, 0.02);
    // The retained side is at least as wide as the strip surcharge is far.
    EXPECT_GE(
        attribute(elements(svg, "wall")[0], "x") - attribute(elements(svg, "plot-area")[0], "x"),
        (5.0 + 2.5) * scale);
  }
}

TEST(HtmlReport, ReportPartsAndWarnings) {
  const MemoryRunResult staged = testing::run_source_deck("tests/decks/staged-si.dat");
  const std::vector<std::string> parts = html::report_parts(staged.report, 2);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0] + parts[1], staged.report);
  EXPECT_NE(parts[0].find("Stage No : 1"), std::string::npos);
  EXPECT_EQ(parts[0].find("Stage No : 2"), std::string::npos);
  EXPECT_NE(parts[1].find("Stage No : 2"), std::string::npos);
  EXPECT_TRUE(html::report_parts(staged.report, 3).empty());

}

TEST(HtmlReport, WarningsOfTheProblemWithTheirPlaces) {
  // The clay wall's soil gives no net active pressure: the page lists the
  // warning with the line of the deck it is about.
  const MemoryRunResult clay = testing::run_source_deck("examples/tied-back-wall-clay.dat");
  ASSERT_FALSE(clay.problems.empty());
  const std::vector<Warning>& warnings = clay.problems[0].warnings;
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].kind, WarningKind::net_active_pressure_negative);
  EXPECT_GT(warnings[0].line, 0u);
  const std::string page = html_report("tied-back-wall-clay.dat", clay);
  EXPECT_EQ(warnings[0].file, "tied-back-wall-clay.dat");
  EXPECT_NE(page.find("<li>tied-back-wall-clay.dat, line " + std::to_string(warnings[0].line) +
                      ": Net active pressure is negative"),
            std::string::npos);
}

TEST(SvgChart, TicksAreRoundAndCoverTheRange) {
  struct Case {
    double lo, hi;
    double first, last, step;
  } cases[] = {{0.0, 0.97, 0.0, 1.0, 0.2},
               {-4486.0, 1870.0, -6000.0, 2000.0, 2000.0},
               {3.3e-4, 0.12, 0.0, 0.15, 0.05},
               {5.0, 5.0, 4.4, 5.6, 0.2}};
  for (const Case& c : cases) {
    html::AxisRange range{c.lo, c.hi};
    const std::vector<double> ticks = html::nice_ticks(range, 5);
    ASSERT_GE(ticks.size(), 2u);
    EXPECT_NEAR(ticks.front(), c.first, 1e-12) << c.lo;
    EXPECT_NEAR(ticks.back(), c.last, 1e-12) << c.hi;
    EXPECT_NEAR(ticks[1] - ticks[0], c.step, 1e-12) << c.lo;
    EXPECT_LE(range.lo, c.lo);
    EXPECT_GE(range.hi, c.hi);
  }
  EXPECT_EQ(html::tick_label(-0.0), "0");
  EXPECT_EQ(html::tick_label(250000.0), "2.5e+05");
  EXPECT_EQ(html::summary_number(-125700.0), "-1.257e+05");
}

}  // namespace
}  // namespace kestro
