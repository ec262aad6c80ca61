// The unit names of the public API against the unit labels the engine's own
// report prints under the heads of its station table, in both unit systems.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "kestro/kestro.hpp"
#include "support/run_fixture.h"

namespace kestro {
namespace {

std::string read_source(const std::string& relative_path) {
  std::ifstream in(std::string(KESTRO_SOURCE_DIR) + "/" + relative_path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The report's spelling of a unit name: upper case, LBS for lb, ** for ^.
std::string as_report_label(const std::string& name) {
  std::string label;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name.compare(i, 2, "lb") == 0) {
      label += "LBS";
      ++i;
    } else if (name[i] == '^') {
      label += "**";
    } else {
      label += static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    }
  }
  return label;
}

// The eight unit labels under the first station table of a report, blanks
// removed: the row after "STA I      X", cut into the twelve-column fields
// of the values below it.
std::vector<std::string> station_table_labels(const std::string& report) {
  const std::size_t head = report.find("   STA I      X");
  const std::size_t begin = report.find('\n', head) + 1;
  const std::string line = report.substr(begin, report.find('\n', begin) - begin);
  std::vector<std::string> labels;
  for (std::size_t at = 6; at < line.size(); at += 12) {
    std::string field = line.substr(at, 12);
    field.erase(std::remove(field.begin(), field.end(), ' '), field.end());
    labels.push_back(field);
  }
  return labels;
}

TEST(ResultNames, UnitsAreTheOnesTheReportPrintsUnderItsStationTable) {
  const struct {
    const char* deck;
    UnitSystem units;
  } cases[] = {{"examples/tied-back-wall.dat", UnitSystem::english},
               {"tests/decks/staged-si.dat", UnitSystem::si}};
  // X, deflection, slope, moment, shear, soil reaction, net force, EI.
  const Quantity columns[] = {Quantity::depth,  Quantity::deflection, Quantity::slope,
                              Quantity::moment, Quantity::force,      Quantity::per_length,
                              Quantity::force,  Quantity::rigidity};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.deck);
    MemoryRunInput input;
    input.deck = read_source(c.deck);
    const MemoryRunResult run = run_in_memory(input, testing::fixed_time);
    ASSERT_EQ(run.outcome, Outcome::completed) << run.message;
    ASSERT_EQ(run.problems.at(0).units, c.units);
    const std::vector<std::string> labels = station_table_labels(run.report);
    ASSERT_EQ(labels.size(), std::size(columns));
    for (std::size_t k = 0; k < labels.size(); ++k)
      EXPECT_EQ(as_report_label(unit_name(c.units, columns[k])), labels[k]) << "column " << k;
  }
  // The base length is the unit of the increment length the report echoes.
  EXPECT_STREQ(unit_name(UnitSystem::english, Quantity::length), "in");
  EXPECT_STREQ(unit_name(UnitSystem::si, Quantity::length), "m");
}

TEST(ResultNames, NamesOfUnitSystemsAndIterationOutcomes) {
  EXPECT_STREQ(unit_system_name(UnitSystem::english), "English");
  EXPECT_STREQ(unit_system_name(UnitSystem::si), "SI");
  // The names the exports and the Python package show, each different.
  const IterationOutcome outcomes[] = {IterationOutcome::converged,
                                       IterationOutcome::allowable_deflection_exceeded,
                                       IterationOutcome::iteration_limit_reached,
                                       IterationOutcome::single_pass, IterationOutcome::not_finite};
  std::vector<std::string> names;
  for (IterationOutcome outcome : outcomes)
    names.push_back(iteration_outcome_name(outcome));
  EXPECT_EQ(names,
            (std::vector<std::string>{"converged", "allowable deflection exceeded",
                                      "iteration limit reached", "single pass", "not finite"}));
}

}  // namespace
}  // namespace kestro
