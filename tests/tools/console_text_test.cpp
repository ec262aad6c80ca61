// Durations and deck names as the host prints them for a person.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "console_text.h"

namespace kestro::host {
namespace {

TEST(ConsoleText, DurationsInReadableUnits) {
  const struct {
    double seconds;
    const char* expected;
  } rows[] = {
      {0.00365482, "3.65 ms"},
      {0.0037, "3.7 ms"},
      {1.2449, "1.24 s"},
      {12.0, "12 s"},
      {0.000850, "850 µs"},
      {2.5e-8, "25 ns"},
      {0.0266771, "26.7 ms"},
      // Rounding to three digits may reach the next unit.
      {0.0009996, "1 ms"},
      {0.99951, "1 s"},
      {59.96, "1 min 00 s"},
      {125.4, "2 min 05 s"},
      {3599.6, "1 h 00 min"},
      {3725.0, "1 h 02 min"},
      {90000.0, "25 h 00 min"},
      // Nothing a clock can give, but never a number nobody can read.
      {0.0, "0 s"},
      {-1.0, "0 s"},
      {std::numeric_limits<double>::quiet_NaN(), "0 s"},
      {std::numeric_limits<double>::infinity(), "0 s"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(duration_text(row.seconds), row.expected) << row.seconds;
}

TEST(ConsoleText, PathsShortenedToAWidth) {
  const struct {
    const char* path;
    std::size_t width;
    const char* expected;
  } rows[] = {
      {"examples/tied-back-wall.dat", 40, "examples/tied-back-wall.dat"},
      {"examples/tied-back-wall.dat", 27, "examples/tied-back-wall.dat"},
      // Leading folders go first, as many as need to.
      {"/home/ana/site-a/decks/wall.dat", 24, ".../decks/wall.dat"},
      {"/home/ana/site-a/decks/wall.dat", 26, ".../site-a/decks/wall.dat"},
      {"examples/tied-back-wall.dat", 20, "tied-back-wall.dat"},
      // Then the middle of the name, keeping its start and its extension.
      {"/data/staged-excavation-sand-weak-rock.dat", 30, "staged-excavat...weak-rock.dat"},
      {"staged-excavation-sand-weak-rock.dat", 20, "staged-ex...rock.dat"},
      {"staged-excavation-sand-weak-rock.dat", 3, "sta...at"},
      // Characters, not bytes: a name in UTF-8 is cut between characters.
      {"décembre-très-long-nom-de-fichier.dat", 20, "décembre-...hier.dat"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(shortened_path(row.path, row.width), row.expected) << row.path << " " << row.width;
}

TEST(ConsoleText, AShortenedPathNeverExceedsItsWidth) {
  const std::string paths[] = {
      "/srv/projects/harbour-quay-extension/stage-3/anchored-sheet-pile-wall-with-two-rows.dat",
      "a-very-long-name-without-any-folder-at-all-but-a-long-extension.dat",
      "/ü/ñ/ça-dépend-de-la-profondeur-d-excavation-près-du-quai-numéro-sept.dat"};
  for (const std::string& path : paths) {
    for (std::size_t width = 11; width <= 100; ++width) {
      const std::string shown = shortened_path(path, width);
      EXPECT_LE(text_columns(shown), width) << shown;
      EXPECT_TRUE(shown.ends_with(".dat")) << shown;
      // A shortened path says it was shortened, or is the file's name.
      if (shown != path && !path.ends_with("/" + shown)) {
        EXPECT_NE(shown.find("..."), std::string::npos) << shown;
      }
      // Whole UTF-8 characters only: no lead byte without its continuation.
      for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto byte = static_cast<unsigned char>(shown[i]);
        if (byte >= 0xC0) {
          ASSERT_LT(i + 1, shown.size()) << shown;
          EXPECT_EQ(static_cast<unsigned char>(shown[i + 1]) & 0xC0, 0x80) << shown;
        }
      }
    }
  }
  EXPECT_EQ(text_columns("décembre"), 8u);
  EXPECT_EQ(text_columns(""), 0u);
}

}  // namespace
}  // namespace kestro::host
