// The decks `kestro batch` takes from the files and folders it is given.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "deck_list.h"
#include "support/run_fixture.h"

namespace kestro::host {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> names(const std::vector<fs::path>& decks) {
  std::vector<std::string> out;
  for (const fs::path& deck : decks)
    out.push_back(deck.filename().string());
  return out;
}

TEST(DeckList, WhichFilesOfAFolderAreDecks) {
  for (const char* name : {"wall.dat", "WALL.DAT", "stage.Dat", "a.b.dat", "x.dat"})
    EXPECT_TRUE(is_deck_name(name)) << name;
  for (const char* name : {"NAMES.dat", "names.DAT", ".wall.dat", "wall.dat.bak", "wall.out",
                           "wall.dat~", ".dat", "dat", "wall"})
    EXPECT_FALSE(is_deck_name(name)) << name;
}

TEST(DeckList, AFolderGivesItsDecksInNameOrder) {
  testing::RunDirectory dir;
  for (const char* name : {"b.dat", "a.dat", "C.DAT", "a10.dat", "a2.dat", "NAMES.dat", "notes.txt",
                           ".hidden.dat", "wall.out"})
    dir.write(name, "T\n");
  fs::create_directories(dir.path() / "sub");
  dir.write("sub/inner.dat", "T\n");
  fs::create_directory(dir.path() / "folder.dat");  // a folder, not a deck
  std::string why;
  const auto decks = batch_decks({dir.path()}, why);
  ASSERT_TRUE(decks) << why;
  // Byte order: capitals before small letters, "a10" before "a2".
  EXPECT_EQ(names(*decks),
            (std::vector<std::string>{"C.DAT", "a.dat", "a10.dat", "a2.dat", "b.dat"}));
  EXPECT_EQ((*decks)[0], dir.path() / "C.DAT");
}

TEST(DeckList, FilesKeepTheirPlaceAndADeckRunsOnce) {
  testing::RunDirectory dir;
  fs::create_directories(dir.path() / "f");
  dir.write("f/b.dat", "T\n");
  dir.write("f/a.dat", "T\n");
  dir.write("notes.txt", "T\n");
  std::string why;
  // A file is a deck whatever its name; a deck named and found in its folder,
  // or written two ways, is kept at its first place.
  const auto decks = batch_decks({dir.path() / "notes.txt", dir.path() / "f" / "b.dat",
                                  dir.path() / "f", dir.path() / "f" / "." / "a.dat"},
                                 why);
  ASSERT_TRUE(decks) << why;
  EXPECT_EQ(names(*decks), (std::vector<std::string>{"notes.txt", "b.dat", "a.dat"}));
}

TEST(DeckList, AMissingPathOrAFolderWithoutDecksIsRefused) {
  testing::RunDirectory dir;
  fs::create_directories(dir.path() / "empty");
  fs::create_directories(dir.path() / "front-end");
  dir.write("front-end/NAMES.dat", "3.0\n");
  dir.write("front-end/wall.out", "report\n");
  dir.write("good.dat", "T\n");
  const struct {
    fs::path input;
    const char* reason;
  } rows[] = {{dir.path() / "missing.dat", "no such deck or folder: "},
              {dir.path() / "empty", "no decks (*.dat) in the folder "},
              {dir.path() / "front-end", "no decks (*.dat) in the folder "}};
  for (const auto& row : rows) {
    std::string why;
    EXPECT_FALSE(batch_decks({dir.path() / "good.dat", row.input}, why)) << row.input;
    EXPECT_EQ(why, row.reason + row.input.string());
  }
}

TEST(DeckList, DecksThatWouldWriteTheSameOutputsClash) {
  const std::vector<fs::path> same_name = {"site-a/wall.dat", "site-b/wall.dat"};
  // Beside their decks, their outputs are apart; in one folder they are not.
  EXPECT_EQ(output_clash(same_name, std::nullopt, false), "");
  const std::string clash = output_clash(same_name, fs::path("out"), false);
  EXPECT_NE(clash.find("site-a/wall.dat and site-b/wall.dat would both write"), std::string::npos)
      << clash;
  EXPECT_NE(clash.find((fs::absolute("out") / "wall.out").lexically_normal().string()),
            std::string::npos)
      << clash;
  // One CSV folder for every deck: the CSV files would clash.
  EXPECT_NE(output_clash(same_name, std::nullopt, true).find("wall-p*.csv"), std::string::npos);
  // Two extensions of one name in one folder write one set of outputs.
  EXPECT_NE(output_clash({"d/wall.dat", "d/wall.DAT"}, std::nullopt, false), "");
  EXPECT_EQ(output_clash({"d/wall.dat", "d/wall-2.dat", "e/wall.dat"}, std::nullopt, false), "");
}

}  // namespace
}  // namespace kestro::host
