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

TEST(DeckCheck, FindsUnitMistakesAndGapsWithTheirLines) {
  // Width and height given in feet, a gap in the wall sections from 8 to 10 ft
  // and nothing below 15 ft, a tie-back below the 2 ft excavation.
  const DeckCheckResult result =
      check(wall("40 6.0 10.0 0.001 24.0 1.0 20.0 100 0 0", "0.0 8.0 1\n10.0 15.0 1\n", 2));
  ASSERT_EQ(result.outcome, Outcome::completed) << result.message;
  std::string all;
  for (const DeckFinding& f : result.findings)
    all += std::to_string(f.line) + ": " + f.text + "\n";
  EXPECT_NE(all.find("3: N*h = 240 in, but the height of wall is 20 in"), std::string::npos) << all;
  EXPECT_NE(all.find("3: the analysis width is 1 in"), std::string::npos) << all;
  EXPECT_NE(all.find("5: no wall section covers the depths 8 to 10 ft"), std::string::npos) << all;
  EXPECT_NE(all.find("5: the wall sections end at 15 ft, above the bottom of the wall at 20 ft"),
            std::string::npos)
      << all;
  EXPECT_NE(all.find("tie-back 1 at 3 ft lies below the excavation depth of 2 ft"),
            std::string::npos)
      << all;
  EXPECT_EQ(result.findings.size(), 5u) << all;
}

TEST(DeckCheck, ReportsTheEnginesErrorForBadInput) {
  const DeckCheckResult result =
      check(wall("40 six 10.0 0.001 120.0 12.0 240.0 100 0 0", "0.0 20.0 1\n"));
  EXPECT_EQ(result.outcome, Outcome::bad_input);
  EXPECT_EQ(result.message, "wall.dat, line 3, item 2: expected a real number, found \"six\"");
}

}  // namespace
}  // namespace kestro
