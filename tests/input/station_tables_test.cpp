// Specified points, the stiffness and load table and tie-backs as they land
// on the stations, with their echo and their error stops.
#include "input/station_tables.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/run_stop.h"
#include "driver/run.h"
#include "input/moment_curvature.h"
#include "input/sections.h"
#include "support/deck_context.h"

namespace kestro {
namespace {

using testing::DeckContext;

// An English wall of 20 increments of 12 in on one elastic section with
// EI = 2.9E9, followed by `tables` (load, spring and tie-back records).
std::string wall_deck(const std::string& tables, int tiebacks = 0,
                      const std::string& control_tail = "") {
  return "1 0 1 1 0 0 3 0 1 0 " + std::to_string(tiebacks) + " 0" + control_tail +
         "\n20 12 1 .01 0 12 240 10 0 0\n"
         "0 20 1\n"
         "0 0 0 0\n'PLATE'\n10 0 0 0 0 0 0 0\n0 0 0 100 0 0 0 0 29E6 0 0 0\n0 0 0 0 0\n'NONE'\n"
         "0 0\n" +
         tables;
}

void read_wall(const InputContext& context) {
  read_specified_points(context);
  read_wall_sections(context);
  read_cross_sections(context);
  read_moment_curvature_data(context);
  read_stiffness_and_load_data(context);
}

TEST(StiffnessTable, WallSectionsGiveEveryStationItsRigidity) {
  DeckContext deck(wall_deck("0\n0\n"));
  read_wall(input_context(*deck.context));
  const WallModel& wall = deck.context->problem.wall;
  EXPECT_DOUBLE_EQ(wall.EI[0], 1.45e9);
  for (int s = 1; s < 20; ++s)
    EXPECT_DOUBLE_EQ(wall.EI[s], 2.9e9) << s;
  EXPECT_DOUBLE_EQ(wall.EI[20], 1.45e9);
  EXPECT_EQ(wall.EI[21], 0.0);
  EXPECT_EQ(wall.EI[-1], 0.0);
  const std::string report = deck.report();
  EXPECT_NE(report.find(
                "     FROM TO CONTD     EI         Q        S        T         R         P\n"
                "                   LBS-IN**2     LBS     LBS/IN   LBS- IN  LBS- IN     LBS\n"
                "        0      1  2.900E+09 0.000E+00 0.000E+00 0.000E+00 0.000E+00 0.000E+00\n"
                "           20  0  2.900E+09 0.000E+00 0.000E+00 0.000E+00 0.000E+00 0.000E+00\n"),
            std::string::npos)
      << report;
}

TEST(StiffnessTable, SpansMeetingAtAStationGiveItOneFullShare) {
  DeckContext deck(wall_deck("2\n1 0 10 1 0 0\n1 10 20 1 0 100\n0\n"));
  read_wall(input_context(*deck.context));
  const WallModel& wall = deck.context->problem.wall;
  EXPECT_DOUBLE_EQ(wall.Q[0], 0.5);
  EXPECT_DOUBLE_EQ(wall.Q[20], 0.5);
  for (int s = 1; s < 20; ++s)
    EXPECT_DOUBLE_EQ(wall.Q[s], 1.0) << s;
  // Axial load given as compression is held negative.
  EXPECT_DOUBLE_EQ(wall.P[15], -100.0);
  EXPECT_DOUBLE_EQ(wall.P[10], -50.0);
  EXPECT_DOUBLE_EQ(wall.P[9], 0.0);
  EXPECT_NE(
      deck.report().find("        0  10  0  1.450E+09 1.000E+00 0.000E+00 0.000E+00 0.000E+00 "
                         "0.000E+00\n"
                         "       10  20  0  2.900E+09 1.000E+00 0.000E+00 0.000E+00 0.000E+00 "
                         "1.000E+02\n"),
      std::string::npos)
      << deck.report();
}

TEST(StiffnessTable, ContinuedRecordsInterpolateAlongTheirSpan) {
  DeckContext deck(wall_deck("2\n2 0 0 0 0 0\n1 0 10 10 0 0\n1\n5 5 1 7 3\n"));
  read_wall(input_context(*deck.context));
  const WallModel& wall = deck.context->problem.wall;
  EXPECT_DOUBLE_EQ(wall.Q[0], 0.0);
  for (int m = 1; m < 10; ++m)
    EXPECT_DOUBLE_EQ(wall.Q[m], m) << m;
  EXPECT_DOUBLE_EQ(wall.Q[10], 5.0);
  EXPECT_DOUBLE_EQ(wall.Q[11], 0.0);
  // A one-station spring takes its full value.
  EXPECT_DOUBLE_EQ(wall.S[5], 7.0);
  EXPECT_DOUBLE_EQ(wall.R[5], 3.0);
  ASSERT_EQ(deck.context->problem.tables.springs.size(), 1u);
  const std::string report = deck.report();
  EXPECT_NE(report.find("        0      1  1.450E+09 0.000E+00"), std::string::npos) << report;
  EXPECT_NE(report.find("           10  0  1.450E+09 1.000E+01"), std::string::npos) << report;
  EXPECT_NE(report.find("        5   5  0  2.900E+09 0.000E+00 7.000E+00 0.000E+00 3.000E+00"),
            std::string::npos)
      << report;
}

TEST(StiffnessTable, TieBacksBecomeOneStationSpringsAndLoads) {
  // Depth 2.5 increments (2.5 ft with h = 12 in) lies at station 3.
  DeckContext deck(wall_deck("0\n0\n2.5 1.5 29E6 20 15 8 50000\n", 1));
  read_wall(input_context(*deck.context));
  const TieBack& t = deck.context->problem.tables.tiebacks.at(0);
  EXPECT_EQ(t.station, 3);
  const double cosine = std::cos(double(3.1416f) * 15.0 / 180.0);
  const double S = 1.5 * 29e6 * cosine * 12.0 / (144.0 * 8.0 * 20.0);
  const double Q = -(12.0 / (12.0 * 8.0)) * 50000.0 * cosine;
  EXPECT_DOUBLE_EQ(t.S, S);
  EXPECT_DOUBLE_EQ(t.Q, Q);
  EXPECT_DOUBLE_EQ(deck.context->problem.wall.S[3], S);
  EXPECT_DOUBLE_EQ(deck.context->problem.wall.Q[3], Q);
  EXPECT_EQ(deck.context->problem.wall.S[2] + deck.context->problem.wall.S[4], 0.0);
  const std::string report = deck.report();
  EXPECT_NE(report.find("      *                  TIE BACK DATA                 *"),
            std::string::npos);
  EXPECT_NE(
      report.find("          FT       IN**2   LBS/IN**2     FT       DEG       FT       LBS\n"
                  "       2.500E+00 1.500E+00 2.900E+07 2.000E+01 1.500E+01 8.000E+00 5.000E+04\n"),
      std::string::npos)
      << report;
}

TEST(SpecifiedPoints, EchoAndStationCodes) {
  DeckContext deck(
      "1 3 0 0 0 0 3 0 1 0 0 0\n20 12 1 .01 0 12 240 10 0 0\n"
      "1 0 0.5 0\n2 10 0 0.01\n3 20 0.25 -0.02\n");
  read_specified_points(input_context(*deck.context));
  const WallModel& wall = deck.context->problem.wall;
  EXPECT_EQ(wall.code[0], StationCode::kDeflection);
  EXPECT_EQ(wall.code[9], StationCode::kSlopeStart);
  EXPECT_EQ(wall.code[11], StationCode::kSlopeEnd);
  EXPECT_EQ(wall.code[20], StationCode::kDeflectionAndSlope);
  EXPECT_EQ(deck.report(),
            "\n\n      " + std::string(50, '*') +
                "\n      *        SPECIFIED DEFLECTIONS AND SLOPES        *\n      " +
                std::string(50, '*') +
                "\n\n          STA      CASE       DEFLECTION        SLOPE\n"
                "                                 IN              RAD\n"
                "            0        1         0.500E+00         NONE\n"
                "           10        2           NONE         0.100E-01\n"
                "           20        3         0.250E+00     -0.200E-01\n");
}

TEST(SpecifiedPoints, NoPointsWriteABlankLine) {
  DeckContext deck("1 0 0 0 0 0 3 0 1 0 0 0\n20 12 1 .01 0 12 240 10 0 0\n");
  read_specified_points(input_context(*deck.context));
  EXPECT_EQ(deck.report(), "\n                    \n");
}

struct StopCase {
  const char* name;
  std::string deck;
  std::string report;  // expected at the end of the report
  Outcome outcome;
  friend void PrintTo(const StopCase& c, std::ostream* out) { *out << c.name; }
};

class TableStops : public ::testing::TestWithParam<StopCase> {};

TEST_P(TableStops, EndTheRunWithTheirMessage) {
  const StopCase& c = GetParam();
  DeckContext deck(c.deck);
  try {
    read_wall(input_context(*deck.context));
    FAIL() << "the run went on";
  } catch (const RunStop& stop) {
    if (stop.kind() == StopKind::bad_input) {
      EXPECT_EQ(c.outcome, Outcome::bad_input);
      EXPECT_TRUE(stop.message().starts_with(c.report)) << stop.message();
      return;
    }
    const RunResult result = report_stop(*deck.context, stop);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_TRUE(deck.report().ends_with(c.report)) << deck.report();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Decks, TableStops,
    ::testing::Values(
        StopCase{"BackwardSpan", wall_deck("1\n1 10 5 1 0 0\n0\n"),
                 "\n\n     ERROR STOP -- STATIONS NOT IN ORDER\n", Outcome::error_stop},
        StopCase{"PointsOutOfOrder",
                 "1 2 0 0 0 0 3 0 1 0 0 0\n20 12 1 .01 0 12 240 10 0 0\n1 5 0 0\n1 4 0 0\n",
                 "\n\n     ERROR STOP -- STATIONS NOT IN ORDER\n", Outcome::error_stop},
        StopCase{"FirstPointAboveTheWall",
                 "1 1 0 0 0 0 3 0 1 0 0 0\n20 12 1 .01 0 12 240 10 0 0\n1 -2 0 0\n",
                 "\n\n     ERROR STOP -- STATIONS NOT IN ORDER\n", Outcome::error_stop},
        StopCase{"PointsOnOneStation",
                 "1 2 0 0 0 0 3 0 1 0 0 0\n20 12 1 .01 0 12 240 10 0 0\n1 5 0 0\n2 5 0 0\n",
                 "wall.dat, line 4: specified point 2: ", Outcome::bad_input},
        StopCase{"LoadBeyondTheEnd", wall_deck("1\n1 21 21 5 0 0\n0\n"),
                 "\n\n     ERROR -- NON-ZERO TABLE 4 DATA BEYOND END\n", Outcome::error_stop},
        StopCase{"LoadFarBeyondTheEnd", wall_deck("1\n1 30 40 5 0 0\n0\n"),
                 "\n\n     ERROR -- NON-ZERO TABLE 4 DATA BEYOND END\n", Outcome::error_stop},
        StopCase{"BadContdCode", wall_deck("1\n3 1 2 5 0 0\n0\n"),
                 "wall.dat, line 12: the CONTD code must be 1 or 2, found 3", Outcome::bad_input},
        StopCase{"DanglingContinuation", wall_deck("1\n2 1 2 5 0 0\n0\n"),
                 "wall.dat, line 12: the last record of the table is continued (CONTD 2), but no "
                 "record follows to end its span",
                 Outcome::bad_input},
        StopCase{"TieBackBelowTheWall", wall_deck("0\n0\n30 1 1 10 0 8 1\n", 1),
                 "wall.dat, line 13: the depth of tie-back 1 lies at station 30, outside the wall "
                 "(stations 0 to 20)",
                 Outcome::bad_input},
        StopCase{"TieBackWithoutSpacing", wall_deck("0\n0\n3 1 1 10 0 0 1\n", 1),
                 "wall.dat, line 13: the anchor spacing of tie-back 1 must be greater than 0",
                 Outcome::bad_input}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestro
