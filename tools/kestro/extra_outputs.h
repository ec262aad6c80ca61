// What the host writes besides a deck's report, plot-data and monitor
// files: the HTML page, the CSV tables and the JSON document, drawn by the
// report library.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "deck_run.h"
#include "kestro/kestro.hpp"

namespace kestro::host {

// What a run writes besides its report, plot-data and monitor files.
struct ExtraOutputs {
  bool html = false;                          // NAME.html beside the report
  std::optional<std::filesystem::path> csv;   // directory of the CSV files
  std::optional<std::filesystem::path> json;  // the JSON document
};

// Writes the extra outputs of a deck's run, each whole; false with the
// reason in `why` when one cannot be written or would overwrite the deck.
bool write_extra_outputs(const DeckFiles& files, const MemoryRunResult& run,
                         const ExtraOutputs& extra, std::string& why);

}  // namespace kestro::host
