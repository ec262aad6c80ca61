// Runs the deck named on the command line in memory and prints the outcome
// and the largest moment of each problem.
#include <cmath>
#include <fstream>
#include <iostream>
#include <kestro/kestro.hpp>
#include <sstream>

int main(int argc, char** argv) {
  std::ifstream file(argc == 2 ? argv[1] : "", std::ios::binary);
  if (!file) return 2;
  std::ostringstream deck;
  deck << file.rdbuf();
  kestro::MemoryRunInput input;
  input.deck = deck.str();
  input.deck_name = argv[1];  // named in messages and in the report header
  const kestro::MemoryRunResult run = kestro::run_in_memory(input, kestro::system_local_time);
  std::cout << kestro::outcome_name(run.outcome) << (run.message.empty() ? "" : ": ") << run.message
            << '\n';
  for (const kestro::ProblemResult& problem : run.problems) {
    if (!problem.results) continue;  // no wall, or no valid solution
    const kestro::ResultsTable& table = *problem.results;
    kestro::StationResult largest = table.stations[0];
    for (int I = 1; I <= table.N; ++I)
      if (std::abs(table.stations[I].moment) > std::abs(largest.moment))
        largest = table.stations[I];
    const bool si = problem.units == kestro::UnitSystem::si;
    std::cout << "problem " << problem.number << ": largest moment " << largest.moment
              << (si ? " kN-m at " : " lb-in at ") << largest.X << (si ? " m\n" : " ft\n");
  }
  return run.outcome == kestro::Outcome::completed ? 0 : 1;
}
