// The deck check finds what the engine accepts but an engineer would not have
// meant, says where, and finds nothing in a sound deck.
#include <gtest/gtest.h>

#include <string>

#include "kestro/kestro.hpp"

namespace kestro {
namespace {

// A 20 ft tied-back sheet-pile wall of 40 increments of 6 in on springs;
// `geometry` and `sections` replace its geometry record and wall sections.
std::string wall(const std::string& geometry, const std::string& sections, int count = 1) {
  return "TIED WALL\n1 0 " + std::to_string(count) + " 1 0 0 3 0 1 0 1 0\n" + geometry + "\n" +
         sections +
         "0 0 6 0\n'PZ 27'\n0 0 18.0 12.0 0 0 0 0.375\n0 0 0 184.2 0 0 0 0 29.0E6 0 0 0\n"
         "0 0 0 0 0\n'PZ 27'\n0 0\n"
         "1\n1 0 20 600.0 0 0\n1\n20 40 1 800.0 0\n3.0 1.2 29.0E6 25.0 15.0 8.0 20000.0\n0\n";
}

DeckCheckResult check(const std::string& deck) {
  MemoryRunInput input;
  input.deck = deck;
  return check_deck(input);
}

TEST(DeckCheck, ASoundDeckHasNoFindings) {
  const DeckCheckResult result =
      check(wall("40 6.0 10.0 0.001 120.0 12.0 240.0 100 0 0", "0.0 20.0 1\n"));
  EXPECT_EQ(result.outcome, Outcome::completed) << result.message;
  EXPECT_TRUE(result.findings.empty()) << result.findings.front().text;
}

// The findings as "line: grade: text" lines.
std::string listed(const DeckCheckResult& result) {
  std::string all;
  for (const DeckFinding& f : result.findings)
    all += std::to_string(f.line) + ": " + finding_grade_name(f.grade) + ": " + f.text + "\n";
  return all;
}

TEST(DeckCheck, FindsUnitMistakesAndGapsWithTheirLines) {
  // Width and height given in feet, a gap in the wall sections from 8 to 10 ft
  // and nothing below 15 ft, a tie-back below the 2 ft excavation.
  const DeckCheckResult result =
      check(wall("40 6.0 10.0 0.001 24.0 1.0 20.0 100 0 0", "0.0 8.0 1\n10.0 15.0 1\n", 2));
  ASSERT_EQ(result.outcome, Outcome::completed) << result.message;
  const std::string all = listed(result);
  EXPECT_NE(all.find("3: warning: N*h = 240 in, but the height of wall is 20 in"),
            std::string::npos)
      << all;
  EXPECT_NE(all.find("3: warning: the analysis width is 1 in"), std::string::npos) << all;
  EXPECT_NE(all.find("5: warning: no wall section covers the depths 8 to 10 ft"), std::string::npos)
      << all;
  EXPECT_NE(
      all.find("5: warning: the wall sections end at 15 ft, above the bottom of the wall at 20 ft"),
      std::string::npos)
      << all;
  EXPECT_NE(all.find("17: note: tie-back 1 at 3 ft lies below the excavation depth of 2 ft"),
            std::string::npos)
      << all;
  EXPECT_EQ(result.findings.size(), 5u) << all;
  EXPECT_TRUE(check_needs_attention(result));
}

TEST(DeckCheck, ACommaDecimalShiftsTheItemsOfItsLine) {
  // "0,5" for the maximum deflection reads as 0 and 5: every later item moves
  // one place on and the last one is left over.
  const DeckCheckResult result =
      check(wall("40 6.0 0,5 0.001 120.0 12.0 240.0 100 0 0", "0.0 20.0 1\n"));
  const std::string all = listed(result);
  EXPECT_NE(all.find("3: warning: the line holds more numbers than the geometry and iteration "
                     "record reads: \"0\" is not read"),
            std::string::npos)
      << all;
  // A comment after the items is no finding.
  EXPECT_TRUE(check(wall("40 6.0 10.0 0.001 120.0 12.0 240.0 100 0 0   geometry, 1 ft strip",
                         "0.0 20.0 1\n"))
                  .findings.empty());
}

// The soldier-pile wall in sand whose earth pressure and p-y curves are
// generated; `geometry` and `wall_record` replace its records.
std::string sand_wall(const std::string& geometry, const std::string& wall_record,
                      const std::string& layers) {
  return "SOLDIER PILES\n1 0 1 1 0 2 2 0 1 0 0 0\n" + geometry +
         "\n0.0 30.0 1\n0 0 6 0\n'PZ 27'\n0 0 18.0 12.0 0 0 0 0.375\n"
         "0 0 0 184.2 0 0 0 0 29.0E6 0 0 0\n0 0 0 0 0\n'PZ 27'\n0 0\n0\n0\n" +
         wall_record + "\n0 0 0 0 0 0\n0\n" + layers + "0\n";
}
const std::string kSand = "1 1 0\n4 480.0\n0.0694 0 34 0 90 0\n0.0694 0 34 0 90 0\n";

TEST(DeckCheck, AFreeHeightThatIsNotTheExcavationDepth) {
  const std::string geometry = "60 6.0 10.0 0.001 120.0 72.0 360.0 100 0 0";
  EXPECT_TRUE(check(sand_wall(geometry, "120 72 24 96 168 1 1 0 0", kSand)).findings.empty());
  // HFREE of 10 where the excavation is 120 in: given in feet.
  const DeckCheckResult feet = check(sand_wall(geometry, "10 72 24 96 168 1 1 0 0", kSand));
  const std::string all = listed(feet);
  EXPECT_NE(all.find("14: warning: the free height HFREE of the wall record is 10 in, but the "
                     "excavation depth of the geometry record is 120 in"),
            std::string::npos)
      << all;
  EXPECT_NE(all.find("was it given in feet?"), std::string::npos) << all;
}

TEST(DeckCheck, UnitHintsComeBeforeTheStopTheyCause) {
  // Wall-section depths in inches where feet are due put EI below the wall:
  // the engine stops with NON-ZERO TABLE 4 DATA BEYOND END, and the check
  // says why first.
  const DeckCheckResult inches =
      check(wall("40 6.0 10.0 0.001 120.0 12.0 240.0 100 0 0", "0.0 240.0 1\n"));
  EXPECT_EQ(inches.outcome, Outcome::error_stop);
  ASSERT_GE(inches.findings.size(), 2u) << listed(inches);
  EXPECT_EQ(inches.findings.front().grade, FindingGrade::warning);
  EXPECT_NE(inches.findings.front().text.find(
                "wall section 1 ends at 240 ft, twelve times the wall's length"),
            std::string::npos)
      << listed(inches);
  EXPECT_EQ(inches.findings.back().grade, FindingGrade::error);
  EXPECT_NE(inches.findings.back().text.find("NON-ZERO TABLE 4 DATA BEYOND END"),
            std::string::npos);
  // Soil depths in feet where inches are due.
  const DeckCheckResult feet =
      check(sand_wall("60 6.0 10.0 0.001 120.0 72.0 360.0 100 0 0", "120 72 24 96 168 1 1 0 0",
                      "1 1 0\n4 30.0\n0.0694 0 34 0 90 0\n0.0694 0 34 0 90 0\n"));
  EXPECT_NE(listed(feet).find("warning: the soil layers end at 30 in, a twelfth of the wall's "
                              "360 in"),
            std::string::npos)
      << listed(feet);
  EXPECT_TRUE(check_needs_attention(feet));
}

TEST(DeckCheck, GeneratedCurvesAreNeverReportedUserCurvesAreNotes) {
  // The generated curves of the sand wall end before 10 in: no finding.
  const DeckCheckResult generated = check(
      sand_wall("60 6.0 10.0 0.001 120.0 72.0 360.0 100 0 0", "120 72 24 96 168 1 1 0 0", kSand));
  EXPECT_TRUE(generated.findings.empty()) << listed(generated);
  EXPECT_FALSE(check_needs_attention(generated));
}

}  // namespace
}  // namespace kestro
