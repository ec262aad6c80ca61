// Whole runs of a wall held at one end against rotation, through the C++ API:
// the printed results against statics and beam theory.
#include <gtest/gtest.h>

#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "kestro/kestro.hpp"
#include "support/run_fixture.h"

namespace kestro {
namespace {

// A cantilever of 40 increments of 6 in (L = 240 in), EI = 29.0E6 psi *
// 100 in^4, clamped (CASE 3, deflection and slope zero) at clamp_station,
// with 1000 lb at load_station; no soil.
std::string cantilever_deck(int clamp_station, int load_station) {
  std::ostringstream deck;
  deck << "CANTILEVER CLAMPED AT ONE END, 1000 LB AT THE OTHER\n"
       << "1 1 1 1 0 0 3 0 1 0 0 0\n"
       << "40 6.0 100.0 1.0E-6 0.0 12.0 240.0 10 0 0\n"
       << "3 " << clamp_station << " 0.0 0.0\n"
       << "0.0 20.0 1\n"
       << "0 0 0 0\n"
       << "'ELASTIC SECTION'\n"
       << "0 0 0 0 0 0 0 0\n"
       << "0 0 0 100.0 0 0 0 0 29.0E6 0 0 0\n"
       << "0 0 0 0 0\n"
       << "'NONE'\n"
       << "0 0\n"
       << "1\n"
       << "1 " << load_station << " " << load_station << " 1000.0 0 0\n"
       << "0\n"
       << "0\n";
  return deck.str();
}

// The printed row of a station in the results table, split into its fields
// (station, X, deflection, slope, moment, shear, soil reaction, net force, EI).
std::vector<std::string> printed_row(const std::string& report, int station) {
  const std::string head = "NET_FORCE/STA";
  std::istringstream in(report.substr(report.find(head)));
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::vector<std::string> row;
    for (std::string field; fields >> field;)
      row.push_back(field);
    if (row.size() == 9 && row[0] == std::to_string(station)) return row;
  }
  return {};
}

TEST(ClampedRuns, CantileverCarriesTheMomentOfStaticsAndDeflectsAsBeamTheory) {
  const int N = 40;
  const double P = 1000.0;
  const double L = 240.0;
  const double EI = 29.0e6 * 100.0;
  const double h = L / N;
  const double free_end = P * L * L * L / (3.0 * EI);  // 1.589 in
  struct Case {
    const char* name;
    int clamp;
    int free;
  };
  for (const Case c : {Case{"clamped toe", N, 0}, Case{"clamped head", 0, N}}) {
    SCOPED_TRACE(c.name);
    MemoryRunInput input;
    input.deck = cantilever_deck(c.clamp, c.free);
    input.directory = "/work";
    const MemoryRunResult run = run_in_memory(input, testing::fixed_time);
    ASSERT_EQ(run.outcome, Outcome::completed) << run.message;
    ASSERT_EQ(run.problems.size(), 1u);
    ASSERT_TRUE(run.problems[0].results.has_value()) << run.report;
    const ResultsTable& t = *run.problems[0].results;
    ASSERT_EQ(t.stations.size(), static_cast<std::size_t>(N + 2));
    const StationResult& clamp = t.stations[static_cast<std::size_t>(c.clamp)];
    const StationResult& free = t.stations[static_cast<std::size_t>(c.free)];

    // Statics: the clamp carries P*L and reacts with -P.
    EXPECT_NEAR(clamp.moment, P * L, 1e-9 * P * L);
    const std::vector<std::string> row = printed_row(run.report, c.clamp);
    ASSERT_EQ(row.size(), 9u) << run.report;
    EXPECT_EQ(row[4], "2.400E+05");
    ASSERT_EQ(t.node_reactions.size(), 1u);
    EXPECT_NEAR(t.node_reactions[0].force, -P, 1e-9 * P);

    // Beam theory: the free end deflects P L^3/(3EI) within the scheme's
    // second-order error, (h/L)^2 (observed 0.5 (h/L)^2 = 3.1e-4 here).
    EXPECT_NEAR(free.deflection, free_end, (h / L) * (h / L) * free_end);
    const std::vector<std::string> free_row = printed_row(run.report, c.free);
    ASSERT_EQ(free_row.size(), 9u) << run.report;
    EXPECT_EQ(free_row[2], "1.589E+00");

    // The load and the clamp's reaction balance.
    EXPECT_LT(run.problems[0].force_residual, 1e-10);
  }
}

}  // namespace
}  // namespace kestro
