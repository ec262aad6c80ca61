// Whole runs of bundled decks: every output file compared exactly with the
// file kept beside the deck.  Run with KESTRO_UPDATE_GOLDEN=1 to rewrite the
// kept files after a deliberate change, then review their diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/run_fixture.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The report names the run's directory, which differs from run to run.
std::string without_directory(std::string text, const fs::path& dir) {
  const std::string name = dir.lexically_normal().string() + "/";
  for (std::size_t at; (at = text.find(name)) != std::string::npos;) {
    text.replace(at, name.size(), "<run directory>/");
  }
  return text;
}

struct Deck {
  const char* name;
  const char* path;  // relative to the source tree
};

class Golden : public ::testing::TestWithParam<Deck> {};

TEST_P(Golden, OutputFilesAreUnchanged) {
  const fs::path source = KESTRO_SOURCE_DIR;
  const fs::path deck = source / GetParam().path;
  const fs::path kept = source / "tests/decks/golden" / GetParam().name;
  testing::RunDirectory dir;
  const RunResult result = dir.run_deck(read_file(deck));
  ASSERT_NE(result.outcome, Outcome::could_not_start) << result.message;
  const bool update = std::getenv("KESTRO_UPDATE_GOLDEN") != nullptr;
  for (const char* extension : {".out", ".plt", ".mon", ".pyc", ".epf"}) {
    const std::string produced =
        without_directory(dir.read(std::string("wall") + extension), dir.path());
    const fs::path expected = kept.string() + extension;
    // The transient files are kept for the decks that make them.
    const bool transient = std::string(extension) == ".pyc" || std::string(extension) == ".epf";
    if (transient && produced.empty() && !fs::exists(expected)) continue;
    if (update) {
      fs::create_directories(expected.parent_path());
      std::ofstream(expected, std::ios::binary) << produced;
      continue;
    }
    ASSERT_TRUE(fs::exists(expected)) << expected;
    EXPECT_EQ(produced, read_file(expected)) << expected;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Decks, Golden,
    ::testing::Values(Deck{"control-records", "examples/control-records.dat"},
                      Deck{"tied-back-wall", "examples/tied-back-wall.dat"},
                      Deck{"staged-si", "tests/decks/staged-si.dat"},
                      Deck{"clamped-nonlinear", "tests/decks/clamped-nonlinear.dat"},
                      Deck{"cantilever-layered-soil", "examples/cantilever-layered-soil.dat"},
                      Deck{"earth-pressure-si", "tests/decks/earth-pressure-si.dat"},
                      Deck{"tied-back-wall-clay", "examples/tied-back-wall-clay.dat"},
                      Deck{"clay-si", "tests/decks/clay-si.dat"}),
    [](const ::testing::TestParamInfo<Deck>& info) {
      std::string name = info.param.name;
      for (char& c : name) {
        if (c == '-') c = '_';
      }
      return name;
    });

}  // namespace
}  // namespace kestro
