// Writes the largest admissible deck to the file named on the command line,
// for whole runs through the host (e.g. under callgrind).
#include <cstdio>
#include <fstream>

#include "largest_deck.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: write_largest_deck FILE\n", stderr);
    return 2;
  }
  std::ofstream file(argv[1], std::ios::binary);
  file << kestro::bench::largest_deck();
  return file.good() ? 0 : 1;
}
