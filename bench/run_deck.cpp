// Runs one deck in memory, for counting instructions of a whole run with
// callgrind:
//
//   valgrind --tool=callgrind build/release/bench/run_deck DECK [--values] [--runs N]
//
// --values asks for the values only (no report, plot-data or monitor text);
// --runs N runs the deck N times in the process (1 by default), so that the
// difference of two counts is what one more run costs once the process has
// started and its format tables are parsed.  Prints the outcome and the
// sizes of the texts of the last run; exits 1 when it did not complete.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "kestro/kestro.hpp"

int main(int argc, char** argv) {
  const char* deck = nullptr;
  bool values_only = false;
  int runs = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--values") == 0) {
      values_only = true;
    } else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (deck == nullptr) {
      deck = argv[i];
    } else {
      deck = nullptr;
      break;
    }
  }
  if (deck == nullptr || runs < 1) {
    std::fputs("usage: run_deck DECK [--values] [--runs N]\n", stderr);
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
  kestro::MemoryRunResult run;
  for (int k = 0; k < runs; ++k)
    run = kestro::run_in_memory(input, [] { return kestro::LocalTime{2024, 3, 5, 9, 7, 3}; });
  std::printf("%s: %zu problems, report %zu bytes, plot data %zu, monitor %zu\n",
              kestro::outcome_name(run.outcome), run.problems.size(), run.report.size(),
              run.plot_data.size(), run.monitor.size());
  return run.outcome == kestro::Outcome::completed ? 0 : 1;
}
