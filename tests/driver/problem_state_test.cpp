// A problem uses only what its own records give it: the second problem of a
// run gives the results it gives when it runs alone, whatever tables the
// first problem had.
#include <gtest/gtest.h>

#include <string>

#include "support/run_fixture.h"

namespace kestro {
namespace {

using testing::RunDirectory;

// The tables a problem of the tied-back wall has.
struct Tables {
  bool specified_point = false;  // zero deflection at the toe
  bool user_curves = false;      // five soft p-y curves below the excavation
  bool tieback = false;
  bool springs = false;  // a linear spring along the embedded part
  bool loads = true;     // the earth-pressure loads of the wall
};

// One problem of a 20 ft sheet-pile wall, 40 increments of 6 in.  The stage
// count of 2 lets a continuation code of 1 start the next problem.
std::string problem(const Tables& t, int continuation) {
  std::string deck = "TIED-BACK WALL\n";
  deck += "1 " + std::to_string(t.specified_point ? 1 : 0) + " 1 1 0 0 " +
          std::string(t.user_curves ? "0 5" : "3 0") + " 2 0 " + std::to_string(t.tieback ? 1 : 0) +
          " 0\n";
  deck += "40 6.0 10.0 0.001 120.0 12.0 240.0 100 0 0\n";
  if (t.specified_point) deck += "1 40 0.0 0.0\n";
  deck +=
      "0.0 20.0 1\n"
      "0 0 6 0\n'PZ 27 SHEET PILE'\n0 0 18.0 12.0 0 0 0 0.375\n"
      "0 0 0 184.2 0 0 0 0 29.0E6 0 0 0\n0 0 0 0 0\n'PZ 27'\n"
      "0 0\n";
  deck += t.loads ? "3\n2  0  0    0.0 0 0\n2  0 20  600.0 0 0\n1 20 40  600.0 0 0\n" : "0\n";
  deck += t.springs ? "1\n20 40 1 800.0 0\n" : "0\n";
  if (t.tieback) deck += "3.0 1.2 29.0E6 25.0 15.0 8.0 20000.0\n";
  if (t.user_curves) {
    for (int station = 20; station <= 40; station += 5) {
      const double k = 300.0 * (station - 15) / 5.0;
      deck += std::to_string(station) + " 4 0.2 1.0\n0.0 0.0\n0.1 " + std::to_string(-k) +
              "\n1.0 " + std::to_string(-1.5 * k) + "\n5.0 " + std::to_string(-1.7 * k) + "\n";
    }
  }
  deck += std::to_string(continuation) + "\n";
  return deck;
}

// The report from the problem's solution on: the heading before it names the
// stage, which differs between the two runs.
std::string results_part(const std::string& report) {
  const std::size_t results = report.rfind("     RESULTS");
  return results == std::string::npos ? std::string() : report.substr(results);
}

// The monitor file's last iteration table.
std::string last_iterations(const std::string& monitor) {
  const std::size_t table = monitor.rfind("ITERATION MONITORING");
  return table == std::string::npos ? std::string() : monitor.substr(table);
}

struct Variant {
  const char* name;
  Tables first;
  Tables second;
  friend void PrintTo(const Variant& v, std::ostream* out) { *out << v.name; }
};

class SecondProblem : public ::testing::TestWithParam<Variant> {};

TEST_P(SecondProblem, GivesTheResultsItGivesAlone) {
  const Variant& v = GetParam();
  RunDirectory both;
  both.run_deck(problem(v.first, 1) + problem(v.second, 0));
  RunDirectory alone;
  alone.run_deck(problem(v.second, 0));
  const std::string expected = results_part(alone.read("wall.out"));
  ASSERT_FALSE(expected.empty()) << alone.read("wall.out");
  EXPECT_EQ(results_part(both.read("wall.out")), expected);
  EXPECT_EQ(last_iterations(both.read("wall.mon")), last_iterations(alone.read("wall.mon")));
}

constexpr Tables kFull{true, true, true, true, true};

INSTANTIATE_TEST_SUITE_P(
    TablesDroppedInTheSecondProblem, SecondProblem,
    ::testing::Values(
        // Without soil the tied wall has nothing to stand on: alone it stops
        // on the allowable deflection, and so must it after a problem that
        // had curves.
        Variant{"UserCurves", kFull, Tables{true, false, true, true, true}},
        Variant{"UserCurvesAndSprings", kFull, Tables{true, false, true, false, true}},
        Variant{"TieBack", kFull, Tables{true, true, false, true, true}},
        Variant{"Springs", kFull, Tables{true, true, true, false, true}},
        Variant{"SpecifiedPoint", kFull, Tables{false, true, true, true, true}},
        Variant{"Loads", kFull, Tables{true, true, true, true, false}},
        Variant{"EverythingAdded", Tables{false, false, false, false, false}, kFull}),
    [](const ::testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

TEST(SecondProblem, WithoutSoilStopsOnTheAllowableDeflection) {
  RunDirectory both;
  both.run_deck(problem(kFull, 1) + problem(Tables{false, false, true, false, true}, 0));
  const std::string results = results_part(both.read("wall.out"));
  EXPECT_NE(results.find("MAX ALLOWABLE DEFLECTION EXCEEDED"), std::string::npos) << results;
}

}  // namespace
}  // namespace kestro
