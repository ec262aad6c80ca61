// The results group of the plot-data file: the full block after a problem
// with results, the short block after a failed solution or a warning.
#include "output/plot_data.h"

#include <gtest/gtest.h>

#include <string>

#include "output/results_fixture.h"
#include "output/results_report.h"

namespace kestro {
namespace {

using testing::lines_of;
using testing::ResultsContext;

// N = 4, h = 10 in, EI 1e6, w = s^2/64, soil reaction 5.5 at station 2.
ResultsContext& english_wall(ResultsContext& r) {
  r.parabolic_deflections(1.0e6);
  r.context.problem.wall.soil_reaction[2] = 5.5;
  return r;
}

TEST(PlotResultsGroup, FullBlockLayoutWithATieback) {
  ResultsContext r(4, 10.0, UnitSystem::english);
  english_wall(r);
  r.context.problem.geometry.width = 12.0;
  TieBack tieback;
  tieback.depth = 2.0;  // feet, station 2
  tieback.area = 1.5;
  tieback.spacing = 8.0;
  tieback.prestress = 1000.0;
  tieback.station = 2;
  tieback.Q = -500.0;
  tieback.S = 200.0;
  r.context.problem.tables.tiebacks = {tieback};
  r.write();
  ASSERT_TRUE(r.context.problem.results.has_value());
  r.write_group(3);

  const std::vector<std::string> lines = lines_of(r.plot.str());
  // Stage record, NS = 5 station records, NT record, one tie-back record.
  ASSERT_EQ(lines.size(), 1u + 5u + 1u + 1u);
  EXPECT_EQ(lines[0], "            3           5           1");
  for (std::size_t i = 1; i <= 5; ++i)
    EXPECT_EQ(lines[i].size(), 7u * 14u) << i;
  // X (inches, the base unit, where the report prints feet), deflection,
  // moment, shear, soil reaction, EI, net force; the slope is not written.
  EXPECT_EQ(lines[3],
            "    2.0000E+01    6.2500E-02    3.1250E+02    0.0000E+00    5.5000E+00"
            "    1.0000E+06    0.0000E+00");
  EXPECT_EQ(lines[6], "            1");
  // Number, station, depth; spacing, area, angle; -500 - 200/16 along a
  // horizontal anchor; times 12*8/12 per tie-back; prestress.
  EXPECT_EQ(lines[7],
            "     1      2     2.000E+00       8.0000E+00       1.5000E+00       0.0000E+00"
            "      -5.1250E+02      -5.1250E+02      -4.1000E+03       1.0000E+03");
}

TEST(PlotResultsGroup, FullBlockWithoutTiebacksEndsWithZero) {
  ResultsContext r(4, 0.5, UnitSystem::si);
  r.parabolic_deflections(100.0);
  r.write();
  r.write_group(2);
  const std::vector<std::string> lines = lines_of(r.plot.str());
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "            2           5           2");
  EXPECT_EQ(lines[1].substr(0, 14), "    0.0000E+00");
  EXPECT_EQ(lines[5].substr(0, 14), "    2.0000E+00");
  EXPECT_EQ(lines[6], "            0");
}

TEST(PlotResultsGroup, ShortBlockAfterAFailedSolution) {
  ResultsContext r(4, 10.0, UnitSystem::english);
  english_wall(r);
  r.write();
  ASSERT_TRUE(r.context.problem.results.has_value());
  // A later solution of the problem failed: nothing is kept.
  r.context.problem.results.reset();
  r.write_group(3);
  EXPECT_EQ(r.plot.str(), "            0           5           1\n");
}

TEST(PlotResultsGroup, ShortBlockAfterAWarning) {
  ResultsContext r(4, 10.0, UnitSystem::english);
  english_wall(r);
  r.context.problem.iteration = {IterationOutcome::iteration_limit_reached, 20, 0, 3, {}};
  r.write();
  r.write_group(3);
  EXPECT_EQ(r.plot.str(), "            0           5           1\n");
}

}  // namespace
}  // namespace kestro
