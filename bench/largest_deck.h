// The largest input deck the tables admit, made in memory for benchmarks and
// for measuring a whole run: 409 increments, a tie-back, and 400 user p-y
// curves of 33 points each, one per station from station 5 down.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace kestro::bench {

constexpr int kLargestIncrements = 409;
constexpr int kLargestCurves = 400;
constexpr int kLargestCurvePoints = 33;

// The records of the deck before its p-y curves: title, control and
// geometry records, wall and cross section, loads and the tie-back.
inline std::string largest_deck_head() {
  std::string deck;
  deck += "LARGEST ADMISSIBLE WALL: 409 INCREMENTS, 400 USER P-Y CURVES, TIE-BACK\n";
  deck += "1 0 1 1 0 0 0 400 1 0 1 0\n";
  deck += "409 6.0 100.0 0.01 30.0 12.0 2454.0 100 0 0\n";
  deck += "0.0 204.5 1\n";
  deck += "0 0 6 0\n'PZ 27 SHEET PILE'\n0 0 18.0 12.0 0 0 0 0.375\n";
  deck += "0 0 0 184.2 0 0 0 0 29.0E6 0 0 0\n0 0 0 0 0\n'PZ 27'\n0 0\n";
  deck += "3\n2  0  0    0.0 0 0\n2  0 20  600.0 0 0\n1 20 60  600.0 0 0\n0\n";
  deck += "3.0 1.2 29.0E6 25.0 15.0 8.0 20000.0\n";
  return deck;
}

// Text of the whole deck (about 257 KB).  The curves soften with
// depth-dependent strength so that the nonlinear iteration takes three
// passes.
inline std::string largest_deck() {
  std::string deck = largest_deck_head();
  deck.reserve(300'000);
  char line[64];
  for (int i = 0; i < kLargestCurves; ++i) {
    std::snprintf(line, sizeof line, "%d %d 1.0 1.0\n", 5 + i, kLargestCurvePoints);
    deck += line;
    const double ultimate = 40.0 + 2.5 * i;
    for (int j = 0; j < kLargestCurvePoints; ++j) {
      const double y = 0.0125 * j * j;
      std::snprintf(line, sizeof line, "%.4f %.6f\n", y, -ultimate * std::tanh(y / 0.25));
      deck += line;
    }
  }
  deck += "0\n";
  return deck;
}

}  // namespace kestro::bench
