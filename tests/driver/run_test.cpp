// Whole runs through the C++ API: report header, headings, continuation
// codes, end sequence and the ways a run ends early.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_fixture.h"

namespace kestro {
namespace {

using testing::RunDirectory;

std::string repeat(char c, int n) {
  return std::string(static_cast<std::size_t>(n), c);
}
std::string pad(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

const std::string kDeck =
    "RETAINING WALL EXAMPLE\n"
    "1 0 0 0 0 0 3 0 1 0 0 0\n"
    "40 6.0 1.0 0.001 10.0 12.0 240.0 100 0 0\n"
    "0\n";

std::vector<std::string> expected_header(const RunDirectory& dir) {
  return {
      "     " + repeat('=', 73),
      "",
      repeat(' ', 20) + "  KESTRO for Windows, Version 3.0         ",
      "",
      repeat(' ', 20) + "   A Program for the Analysis of ",
      repeat(' ', 20) + "   Flexible Retaining Walls ",
      "",
      "     " + repeat('=', 73),
      "",
      "",
      "     Path to file locations      : " + dir.path().lexically_normal().string() + "/",
      "     Name of input data file     : wall.dat",
      "     Name of output file         : wall.out",
      "     Name of plot output file    : wall.plt",
      "",
      "     " + repeat('-', 73),
      repeat(' ', 26) + "Time and Date of Analysis",
      "     " + repeat('-', 73),
      "",
      "               Date:  March 05, 2024     Time:  09:07:03",
  };
}

TEST(Run, ReportOfAProblemWithoutWallSectionsIsExact) {
  RunDirectory dir;
  RunResult result = dir.run_deck(kDeck);
  EXPECT_EQ(result.outcome, Outcome::completed) << result.message;

  std::vector<std::string> expected = expected_header(dir);
  const std::vector<std::string> rest = {
      "",
      "",
      "      " + pad("RETAINING WALL EXAMPLE", 70),
      "",
      "",
      "      " + repeat('*', 50),
      "      *        PROGRAM CONTROL PARAMETERS              *",
      "      " + repeat('*', 50),
      "",
      "      NO OF POINTS FOR SPECIFIED DEFLECTIONS AND SLOPES  =  0",
      "      NO OF WALL SECTIONS                                =  0",
      "      NO OF CROSS SECTIONS                               =  0",
      "      GENERATE EARTH PRESSURE INTERNALLY                 =  0",
      "      GENERATE SOIL RESISTANCE (P-Y) CURVES INTERNALLY   =  0",
      "      NO OF P-Y MODIFICATION FACTORS FOR GEN. P-Y CURVES =  0",
      "      NO OF USER-SPECIFIED SOIL RESISTANCE (P-Y) CURVES  =  0",
      "      NO OF TIE BACKS                                    =  0",
      "",
      "",
      "      HEIGHT OF WALL                                     =     20.000 FT",
      "      NUMBER OF INCREMENTS                               =         40",
      "      INCREMENT LENGTH                                   =      6.000 IN",
      "      MAXIMUM ALLOWABLE DEFLECTION                       =      1.000 IN",
      "      DEFLECTION CLOSURE TOLERANCE                       =  1.000E-03 IN",
      "      MAXIMUM NUMBER OF ITERATIONS                       =        100",
      "",
      repeat(' ', 20),  // no specified points
      "",
      repeat(' ', 20),  // no wall sections
      "",
      "",
      "     END OF ANALYSIS                             ",
  };
  expected.insert(expected.end(), rest.begin(), rest.end());
  EXPECT_EQ(dir.lines("wall.out"), expected);

  EXPECT_EQ(dir.lines("wall.mon"),
            (std::vector<std::string>{"", "", "      " + pad("RETAINING WALL EXAMPLE", 70), "", "",
                                      "     END OF ANALYSIS                             "}));
  // No solution: the short closing block (stage code 0, 41 stations, English).
  EXPECT_EQ(dir.read("wall.plt"), " " + std::string(11, ' ') + "0" + std::string(10, ' ') + "41" +
                                      std::string(11, ' ') + "1\n");
  EXPECT_EQ(dir.console(), "");
}

TEST(Run, SiUnitsAndZeroIterationsShortenTheGeometryEcho) {
  RunDirectory dir;
  dir.run_deck(
      "SI WALL\n"
      "2,0,0,0,0,0,3,0,1,0,2,1\n"
      "20, 0.3, 0.05, 0.0001, 3.0, 1.0, 6, 0, 0, 0\n"
      "0\n");
  const std::string report = dir.read("wall.out");
  EXPECT_NE(report.find("      NO OF TIE BACKS                                    =  2\n"
                        "      CONSIDER ZERO MOMENT (AASHTO HINGE MODEL) IN WALL\n"
                        "      AT TIE BACK LOCATIONS EXCEPT TOP ONE\n"
                        "\n"
                        "\n"
                        "      HEIGHT OF WALL                                     =      6.000  M\n"
                        "      NUMBER OF INCREMENTS                               =         20\n"
                        "      INCREMENT LENGTH                                   =      0.300  M\n"
                        "\n" +
                        repeat(' ', 20) + "\n"),
            std::string::npos)
      << report;
  EXPECT_EQ(report.find("MAXIMUM"), std::string::npos);
}

TEST(Run, TieBacksWithoutHingeOptionWriteOnlyTheEmptyGeometryLine) {
  RunDirectory dir;
  dir.run_deck("T\n1 0 0 0 0 0 3 0 1 0 2 0\n10 12 1 .01 0 12 120 0 0 0\n0\n");
  EXPECT_NE(dir.read("wall.out")
                .find("      NO OF TIE BACKS                                    =  2\n"
                      "\n"
                      "      HEIGHT OF WALL"),
            std::string::npos);
}

std::string problem(const std::string& title, int stages, int continuation) {
  return title + "\n1 0 0 0 0 0 3 0 " + std::to_string(stages) + " 0 0 0\n" +
         "10 12 1 .01 0 12 120 0 0 0\n" + std::to_string(continuation) + "\n";
}

// The heading lines ("Stage No :", title or "Long Term :") of a file.
std::vector<std::string> headings(const std::vector<std::string>& lines) {
  std::vector<std::string> found;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    if (lines[i].rfind("      ", 0) == 0 && lines[i].size() > 6 && lines[i][6] != ' ' &&
        lines[i][6] != '*' && lines[i - 1].empty() && lines[i - 2].empty() &&
        lines[i].find("= ") == std::string::npos) {
      found.push_back(lines[i]);
    }
  }
  return found;
}

TEST(Run, StagesAreHeadedWithTheirNumberAndTheFirstTitle) {
  RunDirectory dir;
  RunResult result = dir.run_deck(problem("EXCAVATION", 3, 1) + problem("SECOND TITLE", 3, 2) +
                                  problem("THIRD", 3, 3));
  EXPECT_EQ(result.outcome, Outcome::completed);
  const std::vector<std::string> expected = {"      Stage No : 1  " + pad("EXCAVATION", 70),
                                             "      Stage No : 2  " + pad("EXCAVATION", 70),
                                             "      Stage No : 3  " + pad("EXCAVATION", 70)};
  EXPECT_EQ(headings(dir.lines("wall.out")), expected);
  EXPECT_EQ(headings(dir.lines("wall.mon")), expected);
  // Three banners: each problem writes the full header again.
  std::size_t banners = 0;
  for (const std::string& line : dir.lines("wall.out")) {
    banners += line.find("KESTRO for Windows") != std::string::npos;
  }
  EXPECT_EQ(banners, 3u);
  // One closing block per problem: two between problems, one at the end.
  EXPECT_EQ(dir.lines("wall.plt").size(), 3u);
}

TEST(Run, LaterProblemsOfAnUnstagedRunAreLongTermCases) {
  RunDirectory dir;
  dir.run_deck(problem("SHORT TERM", 1, 5) + problem("NOT PRINTED", 1, 0));
  const std::vector<std::string> expected = {"      " + pad("SHORT TERM", 70),
                                             "      Long Term :  " + pad("SHORT TERM", 70)};
  EXPECT_EQ(headings(dir.lines("wall.out")), expected);
  EXPECT_EQ(headings(dir.lines("wall.mon")), expected);
  EXPECT_EQ(dir.read("wall.out").find("NOT PRINTED"), std::string::npos);
  // The second header (third banner rule) follows two empty lines.
  const std::string report = dir.read("wall.out");
  std::size_t rule = 0;
  for (int i = 0; i < 3; ++i)
    rule = report.find("     " + repeat('=', 73), i == 0 ? 0 : rule + 1);
  ASSERT_NE(rule, std::string::npos);
  EXPECT_EQ(report.substr(rule - 23, 23), repeat(' ', 20) + "\n\n\n");
}

TEST(Run, ContinuationCodesDecideWhetherAnotherProblemFollows) {
  struct Case {
    int stages;
    std::vector<int> codes;  // continuation code of each problem
  };
  for (const Case& c : {Case{1, {0}}, Case{2, {1, 2}}, Case{1, {3, 7, 0}}, Case{4, {9, 4}}}) {
    RunDirectory dir;
    std::string deck;
    for (int code : c.codes)
      deck += problem("P", c.stages, code);
    deck += problem("NEVER READ", c.stages, 0);
    RunResult result = dir.run_deck(deck);
    EXPECT_EQ(result.outcome, Outcome::completed);
    std::size_t banners = 0;
    for (const std::string& line : dir.lines("wall.out")) {
      banners += line.find("KESTRO for Windows") != std::string::npos;
    }
    EXPECT_EQ(banners, c.codes.size()) << "stages " << c.stages;
    EXPECT_EQ(dir.lines("wall.plt").size(), c.codes.size());
  }
}

TEST(Run, TitlesAreCutAtSeventyCharacters) {
  RunDirectory dir;
  const std::string title = repeat('A', 69) + "BCDEFGH";
  dir.run_deck(problem(title, 2, 1) + problem("X", 2, 2));
  for (const std::string& heading : headings(dir.lines("wall.out"))) {
    EXPECT_EQ(heading.substr(20), repeat('A', 69) + "B");
  }
}

TEST(Run, AShortRunListRuns) {
  RunDirectory dir;
  dir.write("wall.dat", kDeck);
  dir.write("NAMES.dat", "3.0\nx\ny\n0\nwall.dat\nwall.out\nwall.plt\nwall.mon\n");
  EXPECT_EQ(dir.run().outcome, Outcome::completed);
  EXPECT_NE(dir.read("wall.out").find("END OF ANALYSIS"), std::string::npos);
}

TEST(Run, MissingRunListOrInputCannotStart) {
  RunDirectory dir;
  RunResult result = dir.run();
  EXPECT_EQ(result.outcome, Outcome::could_not_start);
  EXPECT_NE(dir.console().find("NAMES.dat"), std::string::npos);

  dir.write("NAMES.dat", "3.0\nx\n");
  result = dir.run();
  EXPECT_EQ(result.outcome, Outcome::could_not_start);
  EXPECT_NE(result.message.find("NAMES.dat, line 2"), std::string::npos) << result.message;

  dir.write_names("absent.dat");
  result = dir.run();
  EXPECT_EQ(result.outcome, Outcome::could_not_start);
  EXPECT_NE(dir.console().find("absent.dat"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "wall.out"));
}

struct BadDeck {
  const char* name;
  std::string deck;
  Outcome outcome;
  std::string message;  // expected in the report and on the console; empty: none
  friend void PrintTo(const BadDeck& deck, std::ostream* out) { *out << deck.name; }
};

class RunEndsEarly : public ::testing::TestWithParam<BadDeck> {};

TEST_P(RunEndsEarly, ThroughTheEndSequence) {
  const BadDeck& c = GetParam();
  RunDirectory dir;
  RunResult result = dir.run_deck(c.deck);
  EXPECT_EQ(result.outcome, c.outcome) << result.message;
  const std::string report = dir.read("wall.out");
  EXPECT_TRUE(report.ends_with("\n\n\n     END OF ANALYSIS                             \n"))
      << report;
  EXPECT_TRUE(
      dir.read("wall.mon").ends_with("     END OF ANALYSIS                             \n"));
  EXPECT_EQ(dir.lines("wall.plt").size(), 1u);
  if (!c.message.empty()) {
    EXPECT_NE(report.find(c.message), std::string::npos) << report;
    // The console gets the message line itself, without the report's layout.
    std::string line = c.message.substr(0, c.message.find_last_not_of('\n') + 1);
    line = line.substr(line.find_last_of('\n') + 1);
    line = line.substr(line.find_first_not_of(' '));
    EXPECT_NE(dir.console().find(line), std::string::npos) << dir.console();
  }
}

const std::string kControl = "1 0 0 0 0 0 3 0 1 0 0 0\n";

INSTANTIATE_TEST_SUITE_P(
    Decks, RunEndsEarly,
    ::testing::Values(
        BadDeck{"WordForReal", "T\n" + kControl + "40 six 1 .01 0 12 120 0 0 0\n0\n",
                Outcome::bad_input,
                "\n\n\n     ERROR STOP -- INPUT DATA ERROR\n"
                "     wall.dat, line 3, item 2: expected a real number, found \"six\"\n"},
        BadDeck{"RealForInteger", "T\n1 0 0 0 0 0 3 0 1.5 0 0 0\n", Outcome::bad_input,
                "wall.dat, line 2, item 9: expected an integer, found \"1.5\""},
        BadDeck{"EndInsideGeometry", "T\n" + kControl + "40 6\n", Outcome::bad_input,
                "wall.dat, line 3, item 3: the file ends inside the geometry and iteration record: "
                "expected a real number"},
        BadDeck{"EmptyFile", "", Outcome::bad_input, "wall.dat"},
        BadDeck{"MissingContinuation", "T\n" + kControl + "10 12 1 .01 0 12 120 0 0 0\n",
                Outcome::bad_input,
                "wall.dat, line 3: the file ends after this line, where the continuation code "
                "is due"},
        BadDeck{
            "UnitFlag", "T\n\n3 0 0 0 0 0 3 0 1 0 0 0\n10 12 1 .01 0 12 120 0 0 0\n0\n",
            Outcome::bad_input,
            "wall.dat, line 3: the unit flag must be 1 (English units) or 2 (SI units), found 3"},
        BadDeck{"TooManyIncrements", "T\n" + kControl + "410 12 1 .01 0 12 120 0 0 0\n0\n",
                Outcome::error_stop, "\n\n\n     TOO MUCH DATA FOR AVAILABLE STORAGE\n\n\n"},
        BadDeck{"TooManyPoints", "T\n1 21 0 0 0 0 3 0 1 0 0 0\n10 12 1 .01 0 12 120 0 0 0\n0\n",
                Outcome::error_stop, "     TOO MUCH DATA FOR AVAILABLE STORAGE"},
        BadDeck{"ZeroIncrementLength", "T\n" + kControl + "10 0 1 .01 0 12 120 0 0 0\n0\n",
                Outcome::bad_input,
                "wall.dat, line 3: the increment length must be greater than 0"},
        BadDeck{"NegativeIterations", "T\n" + kControl + "10 12 1 .01 0 12 120 -1 0 0\n0\n",
                Outcome::error_stop, ""},
        BadDeck{"NegativePoints", "T\n1 -1 0 0 0 0 3 0 1 0 0 0\n10 12 1 .01 0 12 120 0 0 0\n0\n",
                Outcome::error_stop, ""},
        BadDeck{"NegativeWallSections",
                "T\n1 0 -2 0 0 0 3 0 1 0 0 0\n10 12 1 .01 0 12 120 0 0 0\n0\n", Outcome::error_stop,
                ""}),
    [](const ::testing::TestParamInfo<BadDeck>& info) { return std::string(info.param.name); });

TEST(Run, QuietStopsWriteNoMessage) {
  RunDirectory dir;
  dir.run_deck("T\n" + kControl + "10 12 1 .01 0 12 120 -1 0 0\n0\n");
  const std::string report = dir.read("wall.out");
  EXPECT_NE(report.find("INCREMENT LENGTH"), std::string::npos);
  EXPECT_EQ(report.find("ERROR"), std::string::npos);
  EXPECT_EQ(report.find("MAXIMUM ALLOWABLE"), std::string::npos);
}

TEST(Run, TwoRunsShareNothing) {
  RunDirectory first;
  RunDirectory second;
  first.run_deck(problem("FIRST", 1, 0));
  second.run_deck("SECOND\n2 0 0 0 0 0 3 0 1 0 0 0\n10 .3 1 .01 0 1 3 0 0 0\n0\n");
  first.run_deck(problem("FIRST", 1, 0));
  EXPECT_NE(first.read("wall.out").find(" IN\n"), std::string::npos);
  EXPECT_EQ(first.read("wall.out").find("  M\n"), std::string::npos);
  EXPECT_NE(second.read("wall.out").find("  M\n"), std::string::npos);
}

}  // namespace
}  // namespace kestro
