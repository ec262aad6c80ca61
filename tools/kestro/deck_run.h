// Running one deck for the host: where its files go, the run in memory, the
// files moved into place whole, and the exit status of its verdict.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "kestro/kestro.hpp"
#include "kestro/report.hpp"

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

// Puts the text of the deck file `file_name` into a run's input: a deck in
// the JSON form (its name ends in .json) as the model it reads to, the
// list-directed text as it is.
void set_deck_text(MemoryRunInput& input, std::string text, const std::string& file_name);

// Reads and runs the deck in memory.  A deck that cannot be read gives the
// outcome "could not start" with the reason.
MemoryRunResult run_deck(const DeckFiles& files, const char* version);

// Writes the report, plot-data and monitor files, and the transient files the
// run made, each first to a private temporary file and then moved into place,
// so concurrent runs and readers never see half a file.  False, with the
// reason in `why`, when a file cannot be written.
bool write_outputs(const DeckFiles& files, const MemoryRunResult& run, std::string& why);

// The exit status of a verdict: kExitSolved, kExitStopped or kExitNoSolution.
int exit_status(const Verdict& verdict);

}  // namespace kestro::host
