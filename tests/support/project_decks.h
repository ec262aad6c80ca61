// The decks the project holds, for tests that go over all of them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kestro::testing {

// The bundled example decks (examples/*.dat) and the golden decks
// (tests/decks/*.dat), sorted by path.
std::vector<std::filesystem::path> example_and_golden_decks();

// The decks of bad input (tests/catalogue/decks/*.dat), sorted by path.
std::vector<std::filesystem::path> catalogue_decks();

// The whole text of a file; empty when it cannot be read.
std::string file_text(const std::filesystem::path& path);

}  // namespace kestro::testing
