// A C++ program that runs a deck in memory through the engine library and
// reads the results as values, and runs it again through its JSON form.
// Exit status 0 on success.
#include <cmath>
#include <iostream>
#include <kestro/deck_json.hpp>
#include <kestro/kestro.hpp>

int main() {
  kestro::MemoryRunInput input;
  // A 20 ft cantilever of 40 increments on linear springs, loaded at its head.
  input.deck =
      "CANTILEVER\n1 0 1 1 0 0 3 0 1 0 0 0\n40 6 100 1e-6 0 12 240 50 0 0\n"
      "0.0 20.0 1\n0 0 0 0\n'PLATE'\n10 0 0 0 0 0 0 0\n0 0 0 500 0 0 0 0 29E6 0 0 0\n"
      "0 0 0 0 0\n'X'\n0 0\n1\n1 0 0 1000 0 0\n1\n20 40 1 5000 0\n0\n";
  const kestro::MemoryRunResult run = kestro::run_in_memory(input, kestro::system_local_time);
  if (run.outcome != kestro::Outcome::completed || run.problems.size() != 1 ||
      !run.problems[0].results) {
    std::cerr << "C++ consumer: " << kestro::outcome_name(run.outcome) << ": " << run.message
              << '\n';
    return 1;
  }
  const kestro::StationResult& head = run.problems[0].results->stations[0];
  if (!(head.deflection > 0.0) || !std::isfinite(head.deflection)) return 2;
  // The same deck through its JSON form gives the same wall.
  const kestro::DeckJson json = kestro::deck_to_json(kestro::read_deck(input.deck, "wall.dat"));
  if (!json) {
    std::cerr << "C++ consumer: " << json.error << '\n';
    return 3;
  }
  kestro::MemoryRunInput from_json;
  from_json.model = kestro::deck_from_json(json.text, "wall.json");
  const kestro::MemoryRunResult again = kestro::run_in_memory(from_json, kestro::system_local_time);
  if (again.problems.size() != 1 || !again.problems[0].results ||
      again.problems[0].results->stations[0].deflection != head.deflection) {
    return 4;
  }
  std::cout << "C++ consumer: head deflection " << head.deflection << " in\n";
  return 0;
}
