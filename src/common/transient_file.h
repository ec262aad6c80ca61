// The transient files of a problem, the p-y curve file and the
// earth-pressure file: each is written in full by one step and read back at
// once by the next.  The step producing one builds its text and calls the
// hand-over that the driver gives it; the driver decides where the file
// lives.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "common/list_input.h"

namespace kestro {

// Writes text as the transient file and returns the file opened for reading
// back.  Raises a bad-input stop naming the file when the run list names no
// such file or it cannot be written or read.
using HandOver = std::function<ListInput(std::string text)>;

// The hand-over through the file system: `name` (relative to dir) is
// created or truncated, written and read back.  role names the file in
// messages ("p-y curve file", "earth-pressure file"); `record` is the record
// of NAMES.dat that names it.
HandOver file_hand_over(std::filesystem::path dir, std::string name, std::string role, int record);

}  // namespace kestro
