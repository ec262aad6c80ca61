#include "support/project_decks.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace kestro::testing {

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> decks_in(const std::vector<fs::path>& folders) {
  std::vector<fs::path> decks;
  for (const fs::path& folder : folders) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() == ".dat") decks.push_back(entry.path());
    }
  }
  std::sort(decks.begin(), decks.end());
  return decks;
}

const fs::path kSource = KESTRO_SOURCE_DIR;

}  // namespace

std::vector<fs::path> example_and_golden_decks() {
  return decks_in({kSource / "examples", kSource / "tests/decks"});
}

std::vector<fs::path> catalogue_decks() {
  return decks_in({kSource / "tests/catalogue/decks"});
}

std::string file_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace kestro::testing
