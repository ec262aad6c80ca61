// Files written whole: an existing file is replaced, and a file that cannot
// be written leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "kestro/report.hpp"
#include "support/run_fixture.h"

namespace kestro {
namespace {

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(WriteFileWhole, ReplacesTheFileAndLeavesNoTemporaryFile) {
  testing::RunDirectory dir;
  const std::filesystem::path path = dir.path() / "page.html";
  ASSERT_TRUE(write_file_whole(path, std::string(100000, 'a')));
  ASSERT_TRUE(write_file_whole(path, "short\n"));
  EXPECT_EQ(read_file(path), "short\n");
  // A folder that does not exist: nothing is written, nothing is left.
  EXPECT_FALSE(write_file_whole(dir.path() / "missing" / "page.html", "text"));
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename(), "page.html") << entry.path();
    ++files;
  }
  EXPECT_EQ(files, 1u);
}

}  // namespace
}  // namespace kestro
