// User p-y curves: stored with their multipliers, echoed in the three row
// layouts, refused when they cannot be used.
#include "soil/user_curves.h"

#include <gtest/gtest.h>

#include "common/list_output.h"
#include "common/run_stop.h"
#include "driver/run.h"
#include "support/deck_context.h"

namespace kestro {
namespace {

using testing::DeckContext;

// English wall of 20 increments of 12 in with the excavation at 60 in
// (station 5), then the curve records.
std::string deck(int curves, const std::string& records) {
  return "1 0 0 0 0 0 1 " + std::to_string(curves) + " 1 0 0 0\n20 12 1 .01 60 12 240 10 0 0\n" +
         records;
}

TEST(UserCurves, StoredWithMultipliersAndPerStation) {
  DeckContext d(deck(1, "8 3 2.0 0.5\n0 0\n1 -100\n4 -150\n"));
  std::ostringstream plot;
  d.context->files.plot.attach(plot);
  read_user_curves(soil_context(*d.context));
  ASSERT_EQ(d.context->problem.curves.size(), 1u);
  const StationCurve& c = d.context->problem.curves[0];
  EXPECT_EQ(c.FROM, 8);
  EXPECT_EQ(c.TO, 8);
  EXPECT_EQ(c.CONTD, 1);  // below the excavation
  EXPECT_EQ(c.y, (std::vector<double>{0.0, 0.5, 2.0}));
  EXPECT_EQ(c.p, (std::vector<double>{0.0, -200.0 * 12, -300.0 * 12}));
  d.context->files.plot.close();
  // The unit flag and count, then each curve's station, count and points.
  EXPECT_EQ(plot.str(), list_write({1, 1}) + list_write({8, 3}) + list_write({0.0, 0.0}) +
                            list_write({0.5, -200.0}) + list_write({2.0, -300.0}));
  EXPECT_NE(d.report().find("                     IN                 LBS/IN\n"
                            "                  ---------            --------\n"
                            "                  0.000E+00           0.000E+00\n"
                            "                  5.000E-01          -2.000E+02\n"),
            std::string::npos)
      << d.report();
}

TEST(UserCurves, RowLayoutFollowsTheContinuation) {
  // Station 2 lies above the excavation, 5 and 10 at and below it.
  DeckContext d(deck(3, "2 2 1 1\n0 0\n1 -1\n5 2 1 1\n0 0\n1 -1\n10 2 1 1\n0 0\n1 -1\n"));
  read_user_curves(soil_context(*d.context));
  const std::string report = d.report();
  EXPECT_NE(report.find("*     INPUTTED  SOIL RESISTANCE (P-Y) CURVES     *"), std::string::npos);
  const std::string head = "     FROM TO CONTD      P-MULTIPLIER  Y-MULTIPLIER      POINTS     \n";
  EXPECT_NE(report.find(head + "        2   2  0          0.100E+01     0.100E+01           2\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find(head + "        5      1          1.000E+00     1.000E+00            2\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find(head + "           10  1          1.000E+00     1.000E+00            2\n"),
            std::string::npos)
      << report;
  EXPECT_EQ(d.context->problem.curves[0].CONTD, 0);
  EXPECT_EQ(d.context->problem.curves[1].CONTD, 1);
}

TEST(UserCurves, UnusableCurvesAreRefused) {
  struct Case {
    int curves;
    std::string records;
    std::string message;  // empty: an error stop
  };
  const Case cases[] = {
      {1, "8 1 1 1\n0 0\n", "wall.dat, line 3: p-y curve 1 must have at least 2 points, found 1"},
      {1, "8 3 1 1\n0 0\n2 -1\n1 -2\n",
       "wall.dat, line 6: p-y curve 1: the deflections must increase from point to point (point "
       "3)"},
      {1, "25 2 1 1\n0 0\n1 -1\n",
       "wall.dat, line 3: p-y curve 1 lies at station 25, outside the wall (stations 0 to 20)"},
      {1, "8 1001 1 1\n", ""},
      {401, "", ""},
  };
  for (const Case& c : cases) {
    DeckContext d(deck(c.curves, c.records));
    try {
      read_user_curves(soil_context(*d.context));
      ADD_FAILURE() << "accepted: " << c.records;
    } catch (const InputError& error) {
      EXPECT_EQ(error.what(), c.message);
    } catch (const RunStop& stop) {
      EXPECT_EQ(c.message, "");
      report_stop(*d.context, stop);
      EXPECT_TRUE(d.report().ends_with("\n\n\n     TOO MUCH DATA FOR AVAILABLE STORAGE\n\n\n"))
          << d.report();
    }
  }
}

}  // namespace
}  // namespace kestro
