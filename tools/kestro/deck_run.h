// Running one deck for the host: where its files go, the run in memory, the
// files moved into place whole, and a verdict a person can act on.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "kestro/kestro.hpp"

namespace kestro::host {

// Exit statuses of the host.
inline constexpr int kExitSolved = 0;      // every stage has a valid solution
inline constexpr int kExitStopped = 1;     // bad input, an error stop, or no run at all
inline constexpr int kExitUsage = 2;       // the command line was wrong
inline constexpr int kExitNoSolution = 3;  // the run ended, but a stage has no valid solution

// The files of one deck: the input and the outputs NAME.out, NAME.plt,
// NAME.mon, NAME.pyc and NAME.epf in the output directory, and NAME.html
// when the HTML report is asked for.
struct DeckFiles {
  std::filesystem::path input;  // absolute
  std::filesystem::path dir;    // absolute output directory
  std::filesystem::path report, plot_data, monitor, py_curves, earth_pressure, html;
};

// The files of `deck` with outputs in output_dir (default: the deck's
// directory).  Empty, with the reason in `why`, when an output would
// overwrite the deck itself or the directory cannot be made.
std::optional<DeckFiles> deck_files(const std::filesystem::path& deck,
                                    const std::optional<std::filesystem::path>& output_dir,
                                    std::string& why);

// Reads and runs the deck in memory.  A deck that cannot be read gives the
// outcome "could not start" with the reason.
MemoryRunResult run_deck(const DeckFiles& files, const char* version);

// Writes the report, plot-data and monitor files, and the transient files the
// run made, each first to a private temporary file and then moved into place,
// so concurrent runs and readers never see half a file.  False, with the
// reason in `why`, when a file cannot be written.
bool write_outputs(const DeckFiles& files, const MemoryRunResult& run, std::string& why);

// Writes text to path through a private temporary file moved into place, so
// no reader sees half a file; false when it cannot.
bool write_file_whole(const std::filesystem::path& path, const std::string& text);

// What the run means for the person who asked for it.
struct Verdict {
  int exit_status = kExitSolved;
  std::string text;  // "solved", "no valid solution in stage 2: ...", "bad input: ..."
  // The force residual of each valid solution ("0.0031 %", or per stage
  // "stage 1 0.0031 %, stage 2 0.12 %"); empty when nothing was solved.
  std::string force_residual;
  // The warnings of valid solutions, e.g. "stage 2: THE FORCES ON THE WALL
  // BALANCE ONLY TO 1.04 %: ...".
  std::vector<std::string> warnings;
};
Verdict verdict(const MemoryRunResult& run);

}  // namespace kestro::host
