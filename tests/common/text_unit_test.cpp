// Units keep written text in a buffer; what reaches the file or stream, and
// when, must be what unbuffered writes would have given.
#include "common/text_unit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace kestro {
namespace {

std::string file_text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FileUnit : public ::testing::Test {
 protected:
  std::filesystem::path path =
      std::filesystem::path(::testing::TempDir()) /
      (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".txt");
  void TearDown() override { std::filesystem::remove(path); }
};

// Far more text than the unit holds back, in every kind of write, with
// records kept open across writes: the file is the text of the writes in
// order, and close ends the open record.
TEST_F(FileUnit, LargeMixedOutputReachesTheFileInOrder) {
  const FortranFormat row = FortranFormat::parse("(1X,I6,1PE12.4,F10.3)");
  const FortranFormat open_piece = FortranFormat::parse("(A,\\)");
  std::string expected;
  {
    TextUnit unit;
    ASSERT_TRUE(unit.open(path));
    for (int i = 0; i < 5000; ++i) {
      const double x = 1.25 * i;
      unit.write(row, {std::int64_t{i}, x, -x});
      expected += format_write(row, {std::int64_t{i}, x, -x}).text;
      if (i % 7 == 0) {
        unit.write(open_piece, {std::string_view("open")});
        unit.write(open_piece, {std::string_view("+more")});
        expected += "open+more";
        // A list-directed write ends the open record first.
        unit.write_list({std::int64_t{i}, x});
        expected += "\n" + list_write({std::int64_t{i}, x});
      }
    }
    unit.write(open_piece, {std::string_view("last")});
    expected += "last\n";
    unit.close();
    EXPECT_FALSE(unit.is_open());
  }
  EXPECT_GT(expected.size(), 150'000u);  // more than twice what a unit holds back
  EXPECT_EQ(file_text(path), expected);
}

// A unit destroyed without close hands over what it holds, as a file stream
// would, without ending the open record.
TEST_F(FileUnit, DestroyedUnitKeepsItsText) {
  {
    TextUnit unit;
    ASSERT_TRUE(unit.open(path));
    unit.write(FortranFormat::parse("('done')"));
    unit.write(FortranFormat::parse("('open',\\)"));
  }
  EXPECT_EQ(file_text(path), "done\nopen");
}

// A stream the unit does not own sees every write as soon as it is made,
// the open part of a record included.
TEST(StreamUnit, SeesEachWriteAtOnce) {
  std::ostringstream out;
  TextUnit unit;
  unit.attach(out);
  unit.write(FortranFormat::parse("(I3,\\)"), {std::int64_t{7}});
  EXPECT_EQ(out.str(), "  7");
  unit.continue_record([](std::string& line) { append_fixed(line, 2.5, 6, 2); });
  EXPECT_EQ(out.str(), "  7  2.50");
  unit.write_text("raw\n");
  EXPECT_EQ(out.str(), "  7  2.50\nraw\n");
  unit.close();
  EXPECT_EQ(out.str(), "  7  2.50\nraw\n");
}

// A write that fails on an item the format cannot edit leaves no partial
// text behind, and the record stays as it was.
TEST(StreamUnit, FailedWriteLeavesNothing) {
  std::ostringstream out;
  TextUnit unit;
  unit.attach(out);
  unit.write(FortranFormat::parse("('a',\\)"));
  EXPECT_THROW(unit.write(FortranFormat::parse("('b',I3,'c')"), {1.5}), FormatError);
  EXPECT_THROW(unit.continue_record([](std::string& line) {
    line += "partial";
    append_exponent(line, 1.0, 10, 3, 0, 5);  // scale factor out of range
  }),
               FormatError);
  unit.write(FortranFormat::parse("('z')"));
  unit.close();
  EXPECT_EQ(out.str(), "az\n");
}

}  // namespace
}  // namespace kestro
