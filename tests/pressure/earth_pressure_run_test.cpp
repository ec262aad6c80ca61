// Whole runs with earth pressure: a wall held at its toe carries the
// moments and shears that statics give for the generated pressure; the
// specified table; option 4 with a wall moving away from the retained soil; a missing
// earth-pressure file name and layers that miss the excavation level.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_fixture.h"

namespace kestro {
namespace {

// A 240-in sheet pile (40 increments of 6 in) clamped at its toe, one dry
// sand layer (PHI 30, 0.07 pci), excavation at the toe, widths 12 in.
std::string clamped_deck(int option = 2, const std::string& soil_records = "") {
  const std::string soil = soil_records.empty() ? "1 1 0\n"
                                                  "4 600.0\n"
                                                  "0.07 0 30 0 0 0\n"
                                                  "0.07 0 30 0 0 0\n"
                                                : soil_records;
  return "CLAMPED TOE UNDER GENERATED EARTH PRESSURE\n"
         "1 1 1 1 0 " +
         std::to_string(option) +
         " 3 0 1 0 0 0\n"
         "40 6.0 100.0 0.001 240.0 12.0 240.0 0 0 0\n"
         "3 40 0.0 0.0\n"
         "0.0 20.0 1\n"
         "0 0 6 0\n"
         "'PZ 27 SHEET PILE'\n"
         "0 0 18.0 12.0 0 0 0 0.375\n"
         "0 0 0 184.2 0 0 0 0 29.0E6 0 0 0\n"
         "0 0 0 0 0\n"
         "'PZ 27'\n"
         "0 0\n"
         "0\n"
         "0\n"
         "240.0 12.0 12.0 1000.0 1000.0 1.0 0 0.0 0.0\n"
         "0 0 0 0 0 0\n"
         "0\n" +
         soil + "0\n";
}

struct StationResult {
  double x = 0.0;
  double moment = 0.0;
  double shear = 0.0;
};

// The per-station rows of the plot-data results block (7 values of 14 columns).
std::vector<StationResult> station_results(const std::vector<std::string>& lines) {
  std::vector<StationResult> rows;
  for (const std::string& line : lines) {
    if (line.size() != 98 || line[5] != '.') continue;
    StationResult r;
    double deflection = 0.0;
    if (std::sscanf(line.c_str(), "%lf %lf %lf %lf", &r.x, &deflection, &r.moment, &r.shear) == 4)
      rows.push_back(r);
  }
  return rows;
}

TEST(EarthPressureRun, WallHeldAtItsToeCarriesTheStaticsOfThePressure) {
  testing::RunDirectory dir;
  const RunResult result = dir.run_deck(clamped_deck());
  ASSERT_EQ(result.outcome, Outcome::completed) << result.message;
  const std::vector<StationResult> rows = station_results(dir.lines("wall.plt"));
  ASSERT_EQ(rows.size(), 41u);
  // Pressure KA gamma x on a width of 12: 0.28 x lb/in, so station k at
  // x = 6k carries Q = 0.28 * 6k * 6.  The wall is a cantilever from its
  // toe: the moment at a station is that of the loads above it, and the
  // shear by central differences that of the loads above plus half its own.
  const double per_depth = 12.0 * 0.07 / 3.0;
  auto Q = [&](int k) { return per_depth * 6.0 * k * 6.0; };
  for (int s : {10, 20, 30, 39}) {
    double moment = 0.0;
    double shear = Q(s) / 2.0;
    for (int k = 1; k < s; ++k) {
      moment += Q(k) * 6.0 * (s - k);
      shear += Q(k);
    }
    const StationResult& r = rows[static_cast<std::size_t>(s)];
    EXPECT_NEAR(std::abs(r.moment), moment, 1.0e-4 * moment) << "station " << s;
    if (s < 39) {
      EXPECT_NEAR(std::abs(r.shear), shear, 1.0e-4 * shear) << "station " << s;
    }
    // Against the continuous load 0.28 x: the moment 0.28 x^3/6 within 1/s^2.
    const double x = 6.0 * s;
    EXPECT_NEAR(moment, per_depth * x * x * x / 6.0, per_depth * x * x * x / 6.0 / (s * s - 1.0));
  }
}

TEST(EarthPressureRun, SpecifiedTableBecomesStationLoads) {
  // Option 1: a uniform 10 lb/in over the wall, echoed and applied.
  std::string deck = clamped_deck(1, "x");
  const std::string wall_group = "240.0 12.0 12.0";
  deck = deck.substr(0, deck.find(wall_group)) + "3\n0.0 10.0\n120.0 10.0\n240.0 10.0\n0\n";
  testing::RunDirectory dir;
  const RunResult result = dir.run_deck(deck);
  ASSERT_EQ(result.outcome, Outcome::completed) << result.message;
  const std::string report = dir.read("wall.out");
  EXPECT_NE(report.find("      *        SPECIFIED ACTIVE EARTH PRESSURE         *\n"),
            std::string::npos);
  EXPECT_NE(report.find("\n      1.20000E+02         1.00000E+01\n"), std::string::npos);
  const std::string plot = dir.read("wall.plt");
  EXPECT_NE(plot.find("            3\n   0.00000E+00   0.10000E+02   0.10000E+02   0.00000E+00"),
            std::string::npos)
      << plot;
  const std::vector<StationResult> rows = station_results(dir.lines("wall.plt"));
  ASSERT_EQ(rows.size(), 41u);
  // 60 lb on stations 1 .. 40: the moment at station 20 is 60 * 6 * (19*20/2).
  EXPECT_NEAR(std::abs(rows[20].moment), 60.0 * 6.0 * 190.0, 1.0);
}

struct ReactionRow {
  double x = 0.0;
  double deflection = 0.0;
  double reaction = 0.0;
};

// Depth, deflection and soil reaction of the plot-data results block.
std::vector<ReactionRow> reaction_rows(const std::vector<std::string>& lines) {
  std::vector<ReactionRow> rows;
  for (const std::string& line : lines) {
    if (line.size() != 98 || line[5] != '.') continue;
    ReactionRow r;
    double moment = 0.0, shear = 0.0;
    if (std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf", &r.x, &r.deflection, &moment, &shear,
                    &r.reaction) == 5)
      rows.push_back(r);
  }
  return rows;
}

TEST(EarthPressureRun, OptionFourWallMovingAwayCarriesTheActivePressure) {
  // The toe-clamped cantilever bends toward the excavation, away from the
  // retained soil.  Every station above the excavation carries a
  // retained-soil curve and no load; where it has moved beyond 12/357 in
  // its reaction is the active line load KA*gamma*x*WA = 0.28x lb/in, to the
  // five digits printed.
  // A wall ten times softer than the clamped deck's, iterated (at most 100
  // times, tolerance 1e-4 in), so that most of it moves beyond that.
  std::string deck = clamped_deck(4);
  deck.replace(deck.find("29.0E6"), 6, "29.0E5");
  const std::string geometry = "40 6.0 100.0 0.001 240.0 12.0 240.0 0 0 0";
  deck.replace(deck.find(geometry), geometry.size(),
               "40 6.0 100.0 0.0001 240.0 12.0 240.0 100 0 0");
  testing::RunDirectory dir;
  const RunResult result = dir.run_deck(deck);
  ASSERT_EQ(result.outcome, Outcome::completed) << result.message;
  const std::vector<ReactionRow> rows = reaction_rows(dir.lines("wall.plt"));
  ASSERT_EQ(rows.size(), 41u);
  int active = 0;
  for (int s = 1; s < 40; ++s) {
    const ReactionRow& r = rows[static_cast<std::size_t>(s)];
    if (r.deflection <= 12.0 / 357.0) continue;
    ++active;
    const double x = 6.0 * s;
    EXPECT_NEAR(r.reaction, 0.28 * x, 0.28 * x * 1e-4) << "station " << s;
  }
  EXPECT_GT(active, 30);
  // The toe station (40, held at zero deflection) carries the at-rest
  // pressure K0*gamma*x*WA = 0.5*0.07*240*12 = 100.8 lb/in.
  EXPECT_NEAR(rows[40].reaction, 100.8, 100.8 * 1e-4);
  EXPECT_NE(dir.read("wall.out").find("     END OF ANALYSIS"), std::string::npos);
}

TEST(EarthPressureRun, OptionFourStageUsesTheHeldUserCurvesAgain) {
  // Stage 1 gives a user curve at station 5 with its generated curves; stage
  // 2 (option 4) reads no user-curve records and writes the held curve ahead
  // of its generated ones again: both p-y groups count 1 + 3*5 curves.
  std::ifstream in(std::string(KESTRO_SOURCE_DIR) + "/tests/decks/sand-soldier-piles.dat");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  ASSERT_EQ(lines.back(), "0");
  lines.pop_back();
  auto stage = [&](int option, const std::string& user, int continuation) {
    std::vector<std::string> b = lines;
    b[1] = "1 0 1 1 0 " + std::to_string(option) + " 2 1 2 0 1 0";
    std::string text;
    for (const std::string& line : b)
      text += line + "\n";
    return text + user + std::to_string(continuation) + "\n";
  };
  const std::string deck =
      stage(2, "5 3 1.0 1.0\n-1.0 500.0\n0.0 0.0\n1.0 -500.0\n", 1) + stage(4, "", 2);
  testing::RunDirectory dir;
  const RunResult result = dir.run_deck(deck);
  ASSERT_EQ(result.outcome, Outcome::completed) << result.message;
  const std::string report = dir.read("wall.out");
  EXPECT_EQ(report.find("INPUTTED  SOIL RESISTANCE (P-Y) CURVES"),
            report.rfind("INPUTTED  SOIL RESISTANCE (P-Y) CURVES"));
  const std::vector<std::string> plot = dir.lines("wall.plt");
  int groups = 0;
  for (std::size_t i = 0; i + 1 < plot.size(); ++i) {
    if (plot[i] != "            1          16") continue;
    ++groups;
    EXPECT_EQ(plot[i + 1], "            5           3");
  }
  EXPECT_EQ(groups, 2);
}

TEST(EarthPressureRun, MissingEarthPressureFileNameIsAClearError) {
  testing::RunDirectory dir;
  dir.write("wall.dat", clamped_deck());
  dir.write("NAMES.dat", "3.0\nfront end\n\n0\nwall.dat\nwall.out\nwall.plt\nwall.mon\n");
  const RunResult result = dir.run();
  EXPECT_EQ(result.outcome, Outcome::bad_input);
  EXPECT_NE(result.message.find("NAMES.dat, line 10: the run list names no earth-pressure file"),
            std::string::npos)
      << result.message;
  const std::string report = dir.read("wall.out");
  EXPECT_NE(report.find("ERROR STOP -- INPUT DATA ERROR"), std::string::npos);
  EXPECT_NE(report.find("     END OF ANALYSIS"), std::string::npos);
}

// The line (from 1) of the deck of the last run that begins with `start`.
std::size_t result_line(const testing::RunDirectory& dir, const std::string& start) {
  const std::vector<std::string> lines = dir.lines("wall.dat");
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (lines[k].rfind(start, 0) == 0) return k + 1;
  }
  return 0;
}

TEST(EarthPressureRun, LayersShortOfTheExcavationStopWithCodeOne) {
  testing::RunDirectory dir;
  const RunResult result = dir.run_deck(clamped_deck(2,
                                                     "1 1 0\n"
                                                     "4 120.0\n"
                                                     "0.07 0 30 0 0 0\n"
                                                     "0.07 0 30 0 0 0\n"));
  EXPECT_EQ(result.outcome, Outcome::error_stop);
  // One line: the stop code, where the soil layers end (the bottom depth of
  // the last layer, item 2 of its record) and why.
  EXPECT_EQ(dir.console(),
            "stop code 1: wall.dat, line " + std::to_string(result_line(dir, "4 120.0")) +
                ", item 2: the soil layers end at 120 in, not below the free height HFREE = 240 "
                "in of the wall record (line " +
                std::to_string(result_line(dir, "240.0 ")) +
                "): no computation layer begins at the excavation\n");
  EXPECT_EQ(result.message + "\n", dir.console());
  const std::string report = dir.read("wall.out");
  // The soil information is printed before the stop.
  EXPECT_NE(report.find("SOIL INFORMATION"), std::string::npos);
  EXPECT_NE(report.find("     END OF ANALYSIS"), std::string::npos);
}

}  // namespace
}  // namespace kestro
