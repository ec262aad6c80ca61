// Runs one deck once in memory, for counting instructions of a whole run
// with callgrind:
//
//   valgrind --tool=callgrind build/release/bench/run_deck DECK [--values]
//
// --values asks for the values only (no report, plot-data or monitor text).
// Prints the outcome and the sizes of the texts; exits 1 when the run did
// not complete.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "kestro/kestro.hpp"

int main(int argc, char** argv) {
  const char* deck = nullptr;
  bool values_only = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--values") == 0) {
      values_only = true;
    } else if (deck == nullptr) {
      deck = argv[i];
    } else {
      deck = nullptr;
      break;
    }
  }
  if (deck == nullptr) {
    std::fputs("usage: run_deck DECK [--values]\n", stderr);
    return 2;
  }
  std::ifstream in(deck, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "run_deck: cannot read %s\n", deck);
    return 2;
  }
  std::ostringstream text;
  text << in.rdbuf();
  kestro::MemoryRunInput input;
  input.deck = text.str();
  input.text = !values_only;
  const kestro::MemoryRunResult run =
      kestro::run_in_memory(input, [] { return kestro::LocalTime{2024, 3, 5, 9, 7, 3}; });
  std::printf("%s: %zu problems, report %zu bytes, plot data %zu, monitor %zu\n",
              kestro::outcome_name(run.outcome), run.problems.size(), run.report.size(),
              run.plot_data.size(), run.monitor.size());
  return run.outcome == kestro::Outcome::completed ? 0 : 1;
}
