#include "common/list_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/fortran_format.h"

namespace kestro {
namespace {

TEST(ListOutput, SingleItemLayout) {
  struct Case {
    ListItem item;
    const char* expected;
  };
  const Case cases[] = {
      {2.0, "    2.00000000000000     \n"},
      {0.35, "   0.350000000000000     \n"},
      {1.0e-3, "   1.000000000000000E-003\n"},
      {0.0, "   0.000000000000000E+000\n"},
      {-0.0, "   0.000000000000000E+000\n"},
      {-12345.678, "   -12345.6780000000     \n"},
      {1.0e300, "   1.000000000000000E+300\n"},
      {std::int64_t{5}, "            5\n"},
      {std::int64_t{-1234567890}, "  -1234567890\n"},
      {true, "  T\n"},
      {false, "  F\n"},
      {std::string_view("Wall depth"), " Wall depth\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(list_write({c.item}), c.expected);
  }
}

// The fields are those of the formatter's I12, 1PG24.15E3 (zero: 1PE24.15E3)
// and L2, which the gfortran vectors verify.
TEST(ListOutput, FieldsAreTheFormattersEdits) {
  const double reals[] = {1.0, -0.5, 123456.789, 1.0e15, 9.99999999999999999e14, 1.0e-2, 0.1};
  for (const double x : reals) {
    EXPECT_EQ(list_write({x}), " " + format_write(FortranFormat::parse("(1PG24.15E3)"), {x}).text)
        << x;
  }
  EXPECT_EQ(list_write({std::int64_t{77}}),
            " " + format_write(FortranFormat::parse("(I12)"), {std::int64_t{77}}).text);
}

TEST(ListOutput, ItemsFollowWithoutSeparator) {
  EXPECT_EQ(list_write({std::int64_t{1}, 2.0, std::string_view("m"), true}),
            "            1   2.00000000000000     m T\n");
  EXPECT_EQ(list_write({}), " \n");
}

TEST(ListOutput, ItemPastColumn80StartsNewRecord) {
  // Three reals end in column 73; a fourth would reach column 97.
  const std::string real = "   1.00000000000000     ";
  EXPECT_EQ(list_write({1.0, 1.0, 1.0, 1.0}), " " + real + real + real + "\n " + real + "\n");

  // Six integers end in column 73, a seventh would end in 85.
  std::vector<ListItem> ints(13, std::int64_t{7});
  const std::string i12 = "           7";
  std::string six;
  for (int i = 0; i < 6; ++i)
    six += i12;
  EXPECT_EQ(list_write(ints), " " + six + "\n " + six + "\n " + i12 + "\n");

  // A text ending exactly in column 80 stays; one more character moves it.
  const std::string pad(55, 'x');
  EXPECT_EQ(list_write({1.0, std::string_view(pad)}), " " + real + pad + "\n");
  const std::string longer(56, 'x');
  EXPECT_EQ(list_write({1.0, std::string_view(longer)}), " " + real + "\n " + longer + "\n");

  // An item wider than a record is written whole on a record of its own.
  const std::string wide(100, 'w');
  EXPECT_EQ(list_write({std::string_view(wide), true}), " " + wide + "\n  T\n");
}

TEST(ListOutput, RecordOfManyItems) {
  std::vector<ListItem> items;
  for (int i = 0; i < 10; ++i) {
    items.emplace_back(std::int64_t{i});
    items.emplace_back(0.25 * i);
  }
  const std::string out = list_write(items);
  std::size_t records = 0;
  std::size_t start = 0;
  for (std::size_t end = out.find('\n'); end != std::string::npos; end = out.find('\n', start)) {
    const std::string record = out.substr(start, end - start);
    EXPECT_EQ(record[0], ' ');
    EXPECT_LE(record.size(), 80u) << record;
    start = end + 1;
    ++records;
  }
  EXPECT_EQ(start, out.size());
  // I12 + G24 pairs of 36 columns: two pairs to a record (1 + 72 columns).
  EXPECT_EQ(records, 5u);
  EXPECT_EQ(out.substr(0, 74),
            "            0  0.000000000000000E+000           1  0.250000000000000     \n");
}

}  // namespace
}  // namespace kestro
