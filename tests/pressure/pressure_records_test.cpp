// Reading of the wall group and the specified table: record order, the SI
// surcharge lengths in millimetres, layer thicknesses from the bottom depths,
// the working surcharge values, and what is refused.
#include "pressure/pressure_records.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "common/run_stop.h"
#include "pressure/computation_layers.h"
#include "support/deck_context.h"

namespace kestro {
namespace {

// W1, W2, W3 with two items (a point load, then a strip), W5 and two layers.
const char* const kWallGroup =
    "3.0 1.0 0.8 2.0 4.0 0.9 1 10.0 5.0\n"
    "10.0 0.5 7.0 8.0 9.0 1.5\n"
    "2\n"
    "1 50.0 1500.0 0.0 250.0 1.0\n"
    "3 15.0 2000.0 1000.0 500.0 0.5\n"
    "2 0 100.0\n"
    "4 1.5\n"
    "18.0 0.0 32.0 0.0 20000.0 0.3\n"
    "18.5 0.0 33.0 0.0 21000.0 0.0\n"
    "6 12.0\n"
    "22.0 5000.0 0.0 0.0005 0.0 0.7\n"
    "22.0 5000.0 0.0 0.0005 0.0 0.7\n";

TEST(WallGroupRecords, AreReadInRecordOrder) {
  testing::DeckAt input(testing::wall_prefix(2, 3), kWallGroup);
  WallGroup wall;
  read_wall_group(input.in(), UnitSystem::si, true, wall);
  EXPECT_EQ(wall.HFREE, 3.0);
  EXPECT_EQ(wall.WP, 0.8);
  EXPECT_EQ(wall.FMOD, 0.9);
  EXPECT_EQ(wall.KWATER, 1);
  EXPECT_EQ(wall.SLOPEX, 5.0);
  EXPECT_EQ(wall.line, 1u);
  EXPECT_EQ(wall.QSURF, 10.0);
  EXPECT_EQ(wall.surface.strip_width, 1.5);
  ASSERT_EQ(wall.surcharges.size(), 2u);
  // SI surcharge lengths are millimetres: 1500 mm is 1.5 m.
  EXPECT_DOUBLE_EQ(wall.surcharges[0].XSUR, 1.5);
  EXPECT_DOUBLE_EQ(wall.surcharges[0].ZSUR, 0.25);
  EXPECT_DOUBLE_EQ(wall.surcharges[1].BSUR, 1.0);
  EXPECT_EQ(wall.surcharges[1].line, 5u);
  EXPECT_EQ(wall.loading_flag, 0);
  EXPECT_EQ(wall.load_cycles, 100.0);
  ASSERT_EQ(wall.layers.size(), 2u);
  EXPECT_DOUBLE_EQ(wall.layers[0].thickness, 1.5);
  EXPECT_DOUBLE_EQ(wall.layers[1].thickness, 10.5);
  EXPECT_EQ(wall.layers[1].line, 10u);
  EXPECT_EQ(wall.layers[0].bottom.PHI, 33.0);
  EXPECT_EQ(wall.layers[1].top.E50, 0.0005);
  EXPECT_FALSE(input.deck.failure.has_value() &&
               input.deck.failure->record < 14 + 2 + 2 + 1 + 2 * 3);  // every record read
  // The working surcharge: the strip, as given, with the point load cleared.
  const SurfaceSurcharge working = working_surcharge(wall);
  EXPECT_EQ(working.point_load, 0.0);
  EXPECT_EQ(working.line_load, 0.0);
  EXPECT_EQ(working.strip_pressure, 15.0);
  EXPECT_DOUBLE_EQ(working.distance, 2.0);
  EXPECT_DOUBLE_EQ(working.strip_width, 1.0);
  // Rock keeps its sixth value for the p-y curves; the earth pressure ignores it.
  EXPECT_EQ(wall.layers[1].top.P6, 0.7);
  EXPECT_EQ(split_into_computation_layers(wall, UnitSystem::si).layers.back().optional_coefficient,
            0.0);
  // English lengths stay as given.
  testing::DeckAt english(testing::wall_prefix(2, 3), kWallGroup);
  read_wall_group(english.in(), UnitSystem::english, true, wall);
  EXPECT_EQ(wall.surcharges[0].XSUR, 1500.0);
}

std::string refusal(const std::string& text, bool surcharges_used = true) {
  testing::DeckAt input(testing::wall_prefix(2, 3), text);
  WallGroup wall;
  try {
    read_wall_group(input.in(), UnitSystem::english, surcharges_used, wall);
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::bad_input);
    return stop.message();
  }
  return "accepted";
}

TEST(WallGroupRecords, RefusesWhatWouldBreakTheTables) {
  const std::string wall = "3.0 1.0 1.0 2.0 4.0 1.0 0 0.0 0.0\n0 0 0 0 0 0\n";
  EXPECT_EQ(refusal(wall + "21\n"),
            "wall.dat, line 3: the number of surcharge items NSUR must be 0 to 20, found 21");
  EXPECT_EQ(refusal(wall + "0\n22 1 0\n"),
            "wall.dat, line 4: the number of soil layers must be 0 to 21, found 22");
  EXPECT_EQ(refusal(wall + "0\n-1 1 0\n"),
            "wall.dat, line 4: the number of soil layers must be 0 to 21, found -1");
  EXPECT_EQ(refusal(wall + "0\n1 1 0\n4 1e16\n"),
            "wall.dat, line 5: soil layer 1: ZBOT must be a number between -1e15 and 1e15, found "
            "1e+16");
  // Surcharges under a free height of zero: refused when the earth pressure
  // uses them, read when only the p-y curves need the group.
  const std::string low = "0.0 1.0 1.0 2.0 4.0 1.0 0 0.0 0.0\n0 0 0 0 0 0\n1\n2 5 1 0 0 1\n0 1 0\n";
  EXPECT_EQ(refusal(low),
            "wall.dat, line 4: surcharge item 1 needs a free height HFREE of at least 1e-6 (line 1 "
            "gives 0)");
  EXPECT_EQ(refusal(low, false), "accepted");
  // Items of other types do not divide by it.
  EXPECT_EQ(refusal("0.0 1.0 1.0 2.0 4.0 1.0 0 0.0 0.0\n0 0 0 0 0 0\n1\n5 5 1 0 0 1\n0 1 0\n"),
            "accepted");
}

TEST(SpecifiedPressure, EchoAndOrder) {
  std::ostringstream text;
  SpecifiedPressure table;
  {
    TextUnit report;
    report.attach(text);
    UnitLabels labels;
    set_unit_labels(labels, 1);
    testing::DeckAt input(testing::wall_prefix(1, 3), "3\n0.0 1.0\n120.0 2.0\n120.0 3.0\n");
    read_specified_pressure(input.in(), report, labels, table);
    report.close();
  }
  ASSERT_EQ(table.X.size(), 3u);
  EXPECT_EQ(table.PA[2], 3.0);
  EXPECT_EQ(text.str(),
            "\n\n\n"
            "      **************************************************\n"
            "      *        SPECIFIED ACTIVE EARTH PRESSURE         *\n"
            "      **************************************************\n"
            "\n"
            "         DEPTH         ACTIVE EARTH PRESSURE\n"
            "          IN                  LBS/IN\n"
            "        --------       ------------------------\n"
            "      0.00000E+00         1.00000E+00\n"
            "      1.20000E+02         2.00000E+00\n"
            "      1.20000E+02         3.00000E+00\n");
  testing::DeckAt decreasing(testing::wall_prefix(1, 3), "2\n10.0 1.0\n5.0 1.0\n");
  TextUnit none;
  UnitLabels labels;
  try {
    read_specified_pressure(decreasing.in(), none, labels, table);
    FAIL() << "accepted";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::error_stop);
    EXPECT_EQ(stop.error_stop(), ErrorStop::stations_not_in_order);
    EXPECT_EQ(stop.message().rfind("wall.dat, line 3: ERROR STOP -- STATIONS NOT IN ORDER", 0), 0u);
  }
}

}  // namespace
}  // namespace kestro
