// `kestro batch`: many decks on all cores through the in-memory engine.
#pragma once

#include <string>
#include <vector>

namespace kestro::host {

// Runs `batch DECK... [--jobs N] [--output-dir DIR]` (args[0] is "batch");
// returns the exit status: 0 when every deck completed, 1 when any failed,
// 2 on a usage error.
int batch_command(const std::vector<std::string>& args, const char* version);

}  // namespace kestro::host
