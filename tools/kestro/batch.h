// `kestro batch`: many decks on all cores through the in-memory engine.
#pragma once

#include <string>
#include <vector>

namespace kestro::host {

// Runs `batch DECK|FOLDER... [--jobs N] [--output-dir DIR] [--html] [--csv DIR]
// [--json]` (args[0] is "batch"), a folder standing for the decks in it (see
// batch_decks); returns the exit status: 0 when every deck completed, 1 when
// any failed, 2 on a usage error (a missing deck or folder, a folder without
// decks, two decks that would write the same outputs), before any deck runs.
int batch_command(const std::vector<std::string>& args, const char* version);

}  // namespace kestro::host
