// The verdict of a run, the one line a person acts on, for every kind of
// ending: solved (with one residual per stage), nothing to solve, bad
// input, and a stage without a valid solution.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "kestro/report.hpp"
#include "report/report_reading.h"
#include "support/run_fixture.h"

namespace kestro {
namespace {

// A 20 ft cantilever whose allowable deflection (0.01 in) is exceeded at
// once under 1000 lb at its head.
constexpr const char* kStiffLimit =
    "STIFF LIMIT\n1 0 1 1 0 0 3 0 1 0 0 0\n40 6 0.01 0.001 0 12 240 50 0 0\n"
    "0.0 20.0 1\n0 0 0 0\n'PLATE'\n10 0 0 0 0 0 0 0\n0 0 0 500 0 0 0 0 29E6 0 0 0\n"
    "0 0 0 0 0\n'X'\n0 0\n1\n1 0 0 1000 0 0\n1\n20 40 1 5000 0\n0\n";

MemoryRunResult run_text(const std::string& deck) {
  MemoryRunInput input;
  input.deck = deck;
  input.deck_name = "wall.dat";
  return run_in_memory(input, testing::fixed_time);
}

TEST(Verdict, NamesHowEveryKindOfRunEnded) {
  const Verdict staged = verdict(testing::run_source_deck("tests/decks/staged-si.dat"));
  EXPECT_EQ(staged.kind, VerdictKind::solved);
  EXPECT_EQ(staged.text, "solved");
  // One residual per stage, each at three significant digits.
  EXPECT_TRUE(std::regex_match(staged.force_residual,
                               std::regex(R"(stage 1 [0-9.e+-]+ %, stage 2 [0-9.e+-]+ %)")))
      << staged.force_residual;
  EXPECT_TRUE(staged.warnings.empty());

  const Verdict single = verdict(testing::run_source_deck("examples/tied-back-wall.dat"));
  EXPECT_EQ(single.kind, VerdictKind::solved);
  EXPECT_TRUE(std::regex_match(single.force_residual, std::regex(R"([0-9.e+-]+ %)")))
      << single.force_residual;

  const Verdict no_wall = verdict(testing::run_source_deck("examples/control-records.dat"));
  EXPECT_EQ(no_wall.kind, VerdictKind::solved);
  EXPECT_EQ(no_wall.text, "completed (no problem had a wall to solve)");
  EXPECT_TRUE(no_wall.force_residual.empty());

  const MemoryRunResult bad_run = run_text("A WALL\n1 0 six\n");
  const Verdict bad = verdict(bad_run);
  EXPECT_EQ(bad.kind, VerdictKind::stopped);
  EXPECT_EQ(bad.text, "bad input: " + bad_run.message);
  EXPECT_EQ(bad_run.message.rfind("wall.dat, line 2", 0), 0u) << bad_run.message;

  const Verdict exceeded = verdict(run_text(kStiffLimit));
  EXPECT_EQ(exceeded.kind, VerdictKind::no_valid_solution);
  EXPECT_EQ(
      exceeded.text.rfind("no valid solution in stage 1: MAX ALLOWABLE DEFLECTION EXCEEDED", 0), 0u)
      << exceeded.text;
  EXPECT_TRUE(exceeded.force_residual.empty());
}

}  // namespace
}  // namespace kestro
