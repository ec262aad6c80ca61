// User curves given with generated ones: echoed in the closing row layout,
// held with their multipliers applied, refused when they cannot be used.
#include <gtest/gtest.h>

#include "common/run_stop.h"
#include "soil/user_curves.h"
#include "support/deck_context.h"
#include "support/run_fixture.h"

namespace kestro {
namespace {

// The records of a problem with p-y option 2 and no wall sections, whose
// user curves follow its geometry record.
std::string mode_g(int curves, const std::string& records) {
  return "1 0 0 0 0 0 2 " + std::to_string(curves) + " 1 0 0 0\n20 12 1 .01 60 12 240 10 0 0\n" +
         records;
}

TEST(HeldUserCurves, EchoedAndHeldWithTheirMultipliers) {
  testing::DeckContext deck(mode_g(2, "5 3 2.0 0.5\n0 0\n1 -10\n2 -15\n8 2 1 1\n0 0\n1 -5\n"));
  std::ostringstream text;
  TextUnit report;
  report.attach(text);
  UnitLabels labels;
  set_unit_labels(labels, label_selector(UnitSystem::english));
  const std::vector<HeldUserCurve> held =
      read_held_user_curves(deck.context->in(), report, labels, 2);
  report.close();
  ASSERT_EQ(held.size(), 2u);
  EXPECT_EQ(held[0].STA, 5);
  EXPECT_EQ(held[0].y, (std::vector<double>{0.0, 0.5, 1.0}));
  EXPECT_EQ(held[0].p, (std::vector<double>{0.0, -20.0, -30.0}));  // per unit length
  EXPECT_EQ(held[1].STA, 8);
  const std::string head = "     FROM TO CONTD      P-MULTIPLIER  Y-MULTIPLIER      POINTS     \n";
  EXPECT_NE(
      text.str().find(head + "            5  0          2.000E+00     5.000E-01            3\n"),
      std::string::npos)
      << text.str();
  EXPECT_NE(text.str().find("                  5.000E-01          -2.000E+01\n"),
            std::string::npos);
}

TEST(HeldUserCurves, RefusedCurves) {
  UnitLabels labels;
  TextUnit report;
  auto kind_of = [&](const std::string& records, int count) {
    testing::DeckContext deck(mode_g(count, records));
    try {
      read_held_user_curves(deck.context->in(), report, labels, count);
    } catch (const RunStop& stop) {
      return stop.kind();
    }
    return StopKind::not_available;  // accepted
  };
  // A y-multiplier of 0 collapses the deflections.
  EXPECT_EQ(kind_of("5 2 1 0\n0 0\n1 -10\n", 1), StopKind::bad_input);
  EXPECT_EQ(kind_of("5 1 1 1\n0 0\n", 1), StopKind::bad_input);
  EXPECT_EQ(kind_of("", 401), StopKind::error_stop);
  EXPECT_EQ(kind_of("", -1), StopKind::quiet_stop);
}

// With the wall-section count 0 the wall records are absent and the user
// curves follow the geometry record directly.
TEST(HeldUserCurves, ReadInARunWithGeneratedCurves) {
  testing::RunDirectory dir;
  const RunResult result = dir.run_deck(
      "MODE G\n1 0 0 0 0 0 2 1 1 0 0 0\n20 12 1 .01 60 12 240 10 0 0\n5 2 1 1\n0 0\n1 -10\n0\n");
  EXPECT_EQ(result.outcome, Outcome::completed) << result.message;
  EXPECT_NE(
      dir.read("wall.out").find("            5  0          1.000E+00     1.000E+00            2"),
      std::string::npos);
}

}  // namespace
}  // namespace kestro
