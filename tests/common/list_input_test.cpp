#include "common/list_input.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {
namespace {

constexpr int kUnset = -1;

// Runs one READ per entry of counts, each of that many integers starting at
// kUnset, and returns what every READ left in its variables.
std::vector<std::vector<int>> reads(const std::string& text, const std::vector<int>& counts) {
  ListInput in("wall.dat", text);
  std::vector<std::vector<int>> out;
  for (const int count : counts) {
    std::vector<int> values(static_cast<std::size_t>(count), kUnset);
    auto r = in.read();
    for (int& v : values)
      r.integer(v);
    r.finish();
    out.push_back(values);
  }
  return out;
}

// Runs one READ taking an item of each kind in ops ('i' integer, 'r' real,
// 't' text) and returns the message of the InputError it throws.
std::string error_of(const std::string& text, std::string_view ops) {
  ListInput in("wall.dat", text);
  try {
    auto r = in.read();
    int i = 0;
    double d = 0;
    std::string s;
    for (const char op : ops) {
      if (op == 'i') r.integer(i);
      if (op == 'r') r.real(d);
      if (op == 't') r.text(s);
    }
  } catch (const InputError& e) {
    return e.what();
  }
  return "no error";
}

TEST(ListInput, SeparatorsLinesAndNullsAndRepeats) {
  struct Case {
    const char* text;
    std::vector<int> counts;
    std::vector<std::vector<int>> expected;
  };
  const Case cases[] = {
      {"1 2 3", {3}, {{1, 2, 3}}},
      {"1\t2 \t 3", {3}, {{1, 2, 3}}},
      {"1,2,3", {3}, {{1, 2, 3}}},
      {"  1 ,2 ,  3  ", {3}, {{1, 2, 3}}},
      {"1\r\n2\r\n3\r\n", {3}, {{1, 2, 3}}},
      {"1\n\n  \n2\n3", {3}, {{1, 2, 3}}},
      // Integral reals.
      {"3.0 3. 1E2 -2.0E0 +2 5D0", {6}, {{3, 3, 100, -2, 2, 5}}},
      {"2147483647 -2147483648 21474836.47E2 0.5E1 1000E-3 -0",
       {6},
       {{2147483647, -2147483648, 2147483647, 5, 1, 0}}},
      {"0.00000000000000000001E20 000000000000000000000000042", {2}, {{1, 42}}},
      // Nulls.
      {",2,3", {3}, {{kUnset, 2, 3}}},
      {"1,,3", {3}, {{1, kUnset, 3}}},
      {"1 , , 3", {3}, {{1, kUnset, 3}}},
      {",,\n5", {3}, {{kUnset, kUnset, 5}}},
      {"1,\n2", {2}, {{1, 2}}},
      {"1,,\n3", {3}, {{1, kUnset, 3}}},
      {"1,\n,3", {3}, {{1, kUnset, 3}}},
      {"1,2,/", {3}, {{1, 2, kUnset}}},
      {"1,2,\n9", {2, 1}, {{1, 2}, {9}}},
      // Repeats.
      {"3*7", {3}, {{7, 7, 7}}},
      {"2*7 8", {3}, {{7, 7, 8}}},
      {"2* 8", {3}, {{kUnset, kUnset, 8}}},
      {"2*,8", {3}, {{kUnset, kUnset, 8}}},
      {"1,2*,,5", {5}, {{1, kUnset, kUnset, kUnset, 5}}},
      {"5*1 2\n3", {3, 1}, {{1, 1, 1}, {3}}},
      {"2000000000*4", {2}, {{4, 4}}},
      {"2*3/", {4}, {{3, 3, kUnset, kUnset}}},
      // A slash ends the READ; the next one starts on the next line.
      {"1 / 2 3\n4", {3, 1}, {{1, kUnset, kUnset}, {4}}},
      {"1/2\n4", {2, 1}, {{1, kUnset}, {4}}},
      {"/\n4 5", {2, 2}, {{kUnset, kUnset}, {4, 5}}},
      {", /", {2}, {{kUnset, kUnset}}},
      // The rest of a line is skipped, also after values over several lines.
      {"1 2 3\n4 5\n6", {1, 1, 1}, {{1}, {4}, {6}}},
      {"1\n2 3 junk\n4", {2, 1}, {{1, 2}, {4}}},
      // A READ of no item still takes a line.
      {"1\n2\n3", {1, 0, 1}, {{1}, {}, {3}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(reads(c.text, c.counts), c.expected);
  }
}

TEST(ListInput, RealForms) {
  struct Case {
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {"1.5", 1.5},      {"1.5E3", 1500},
      {"1.5D3", 1500},   {"1.5d3", 1500},
      {"1.5e+3", 1500},  {"1.5+3", 1500},
      {"1.5-3", 0.0015}, {".5", 0.5},
      {"3", 3},          {"-3.", -3},
      {"+2", 2},         {"-.25E-1", -0.025},
      {"1.5E-999", 0.0}, {"1E-99999999999999999999", 0.0},
      {"2*2.5", 2.5},    {"1.7976931348623157E308", 1.7976931348623157E308},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ListInput in("wall.dat", c.text);
    double value = -99;
    in.read().real(value);
    EXPECT_DOUBLE_EQ(value, c.expected);
  }
}

// Every spelling of a number reads as the correctly rounded double of its
// decimal value, bit for bit: checked against the C library's strtod on
// random decimals of 1 to 20 digits, with the exponent forms of the input.
TEST(ListInput, RealsAreCorrectlyRounded) {
  std::uint64_t state = 0x2545F4914F6CDD1Du;
  const auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  int failures = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string digits;
    const int count = 1 + static_cast<int>(next() % 20);
    for (int k = 0; k < count; ++k)
      digits += static_cast<char>('0' + next() % 10);
    const std::size_t point = next() % (digits.size() + 1);
    const std::string mantissa = digits.substr(0, point) + "." + digits.substr(point);
    const int exponent = static_cast<int>(next() % 61) - 30;
    const char* const sign = next() % 2 == 0 ? "-" : "";
    const std::string c_form = sign + mantissa + "e" + std::to_string(exponent);
    const double expected = std::strtod(c_form.c_str(), nullptr);
    const std::string exponent_digits = std::to_string(std::abs(exponent));
    const char exponent_sign = exponent < 0 ? '-' : '+';
    const std::string forms[] = {
        c_form,
        sign + mantissa + "D" + exponent_sign + exponent_digits,
        sign + mantissa + exponent_sign + exponent_digits,
        sign + mantissa + (exponent == 0 ? "" : "E" + std::to_string(exponent)),
    };
    for (const std::string& form : forms) {
      ListInput in("wall.dat", form);
      double value = 0;
      in.read().real(value);
      if (std::bit_cast<std::uint64_t>(value) != std::bit_cast<std::uint64_t>(expected) &&
          ++failures <= 10) {
        ADD_FAILURE() << form << " read as " << value << ", expected " << expected;
      }
    }
  }
  EXPECT_EQ(failures, 0);
}

TEST(ListInput, TextItems) {
  ListInput in("wall.dat",
               "'SHEET PILE, AZ 18' \"say \"\"hi\"\"\" plain 'it''s' '' 3.5\n"
               "2*'a b' abc/def\n"
               "'runs on\n"
               " over lines' 7 O'Brien\n");
  std::vector<std::string> values(6);
  {
    auto r = in.read();
    for (auto& v : values)
      r.text(v);
  }
  EXPECT_EQ(values, (std::vector<std::string>{"SHEET PILE, AZ 18", "say \"hi\"", "plain", "it's",
                                              "", "3.5"}));
  {
    auto r = in.read();
    EXPECT_EQ(r.text(), "a b");
    EXPECT_EQ(r.text(), "a b");
    EXPECT_EQ(r.text(), "abc");
    EXPECT_FALSE(r.ended_by_slash());
    EXPECT_EQ(r.text(), std::nullopt);  // after the slash
    EXPECT_TRUE(r.ended_by_slash());
  }
  auto r = in.read();
  EXPECT_EQ(r.text(), "runs on over lines");
  EXPECT_EQ(in.current_line(), 4U);
  EXPECT_EQ(r.integer(), 7);
  EXPECT_EQ(r.text(), "O'Brien");
}

TEST(ListInput, OptionalItemsAndPosition) {
  ListInput in("wall.dat", "5,,2.5\n\nx\n");
  EXPECT_FALSE(in.at_end());
  {
    auto r = in.read();
    EXPECT_EQ(r.integer(), 5);
    EXPECT_EQ(r.real(), std::nullopt);
    EXPECT_EQ(r.real(), 2.5);
    EXPECT_EQ(in.current_line(), 1U);
    EXPECT_EQ(r.text(), "x");  // blank line 2 skipped
    EXPECT_EQ(in.current_line(), 3U);
  }
  EXPECT_TRUE(in.at_end());
}

TEST(ListInput, ErrorMessages) {
  struct Case {
    const char* text;
    const char* ops;
    const char* message;
  };
  const Case cases[] = {
      {"1 six\n", "ir", "wall.dat, line 1, item 2: expected a real number, found \"six\""},
      {"1\n2\nsix", "rrr", "wall.dat, line 3, item 3: expected a real number, found \"six\""},
      {"40.5", "i", "wall.dat, line 1, item 1: expected an integer, found \"40.5\""},
      {"3.0000000000000000001", "i",
       "wall.dat, line 1, item 1: expected an integer, found \"3.0000000000000000001\""},
      {"1 2147483648", "ii", "wall.dat, line 1, item 2: expected an integer, found \"2147483648\""},
      {"-2147483649", "i", "wall.dat, line 1, item 1: expected an integer, found \"-2147483649\""},
      {"1E10", "i", "wall.dat, line 1, item 1: expected an integer, found \"1E10\""},
      {"1E-999", "i", "wall.dat, line 1, item 1: expected an integer, found \"1E-999\""},
      {"1E999", "r", "wall.dat, line 1, item 1: expected a real number, found \"1E999\""},
      {"-1.8E308", "r", "wall.dat, line 1, item 1: expected a real number, found \"-1.8E308\""},
      {"1D99999999999999999999", "r",
       "wall.dat, line 1, item 1: expected a real number, found \"1D99999999999999999999\""},
      {"'3'", "i", "wall.dat, line 1, item 1: expected an integer, found \"'3'\""},
      {"2*six", "rr", "wall.dat, line 1, item 1: expected a real number, found \"six\""},
      // End of the file inside a READ: the last line of the file.
      {"1 2\n3\n", "iiii",
       "wall.dat, line 2, item 4: expected an integer, found the end of the file"},
      {"1\n\n\n", "ir",
       "wall.dat, line 3, item 2: expected a real number, found the end of the file"},
      {"", "t", "wall.dat, line 1, item 1: expected a text, found the end of the file"},
      {"2*1", "iii", "wall.dat, line 1, item 3: expected an integer, found the end of the file"},
      // Repeat counts.
      {"0*5", "i", "wall.dat, line 1, item 1: expected a positive repeat count, found \"0*5\""},
      {"1 -2*5", "ii",
       "wall.dat, line 1, item 2: expected a positive repeat count, found \"-2*5\""},
      {"2.5*3", "r", "wall.dat, line 1, item 1: expected a positive repeat count, found \"2.5*3\""},
      {"99999999999*1", "i",
       "wall.dat, line 1, item 1: expected a positive repeat count, found \"99999999999*1\""},
      // Quotes.
      {"x\n'abc\ndef", "tt",
       "wall.dat, line 2, item 2: expected a text, found a quote that is never closed"},
      {"'ab'cd e", "t", "wall.dat, line 1, item 1: expected a text, found \"'ab'cd\""},
      // Only Fortran number forms.
      {"inf", "r", "wall.dat, line 1, item 1: expected a real number, found \"inf\""},
      {"nan", "r", "wall.dat, line 1, item 1: expected a real number, found \"nan\""},
      {"0x1p3", "r", "wall.dat, line 1, item 1: expected a real number, found \"0x1p3\""},
      {"1.5E", "r", "wall.dat, line 1, item 1: expected a real number, found \"1.5E\""},
      {"1.5E+", "r", "wall.dat, line 1, item 1: expected a real number, found \"1.5E+\""},
      {"1.5E+-3", "r", "wall.dat, line 1, item 1: expected a real number, found \"1.5E+-3\""},
      {"--1", "i", "wall.dat, line 1, item 1: expected an integer, found \"--1\""},
      {"1..5", "r", "wall.dat, line 1, item 1: expected a real number, found \"1..5\""},
      {".", "r", "wall.dat, line 1, item 1: expected a real number, found \".\""},
      {"+", "i", "wall.dat, line 1, item 1: expected an integer, found \"+\""},
      {"E3", "r", "wall.dat, line 1, item 1: expected a real number, found \"E3\""},
      {"*5", "i", "wall.dat, line 1, item 1: expected an integer, found \"*5\""},
      // Found texts are escaped and cut.
      {"1\x01\xff\"\\", "i",
       "wall.dat, line 1, item 1: expected an integer, found \"1\\x01\\xFF\\\"\\\\\""},
      {"123456789012345678901234567890123456789012", "i",
       "wall.dat, line 1, item 1: expected an integer, found "
       "\"1234567890123456789012345678901234567890...\""},
      {"1234567890123456789012345678901234567890", "i",
       "wall.dat, line 1, item 1: expected an integer, found "
       "\"1234567890123456789012345678901234567890\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(error_of(c.text, c.ops), c.message);
  }
}

TEST(ListInput, FixedRecords) {
  const std::string long_line(100, 'x');
  ListInput in("wall.dat", "3 4 rest\nTITLE\r\n" + long_line + "\n5\nlast");
  int n = 0;
  in.read().integer(n);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(in.read_fixed(70, "the title"), "TITLE" + std::string(65, ' '));
  EXPECT_EQ(in.current_line(), 2U);
  EXPECT_EQ(in.read_fixed(70, "the title"), std::string(70, 'x'));
  in.read().integer(n);
  EXPECT_EQ(n, 5);
  EXPECT_EQ(in.read_fixed(4, "a name"), "last");
  EXPECT_TRUE(in.at_end());
  try {
    in.read_fixed(70, "the title");
    ADD_FAILURE() << "no error at the end of the file";
  } catch (const InputError& e) {
    EXPECT_STREQ(e.what(),
                 "wall.dat, line 5, item 1: expected the title, found the end of the file");
  }
  ListInput empty("run.lst", "");
  EXPECT_THROW(empty.read_fixed(70, "a file name"), InputError);
}

TEST(ListInput, LongLinesStayLinearAndMessagesShort) {
  // 50 000 items on one line.
  std::string line;
  for (int i = 0; i < 50'000; ++i)
    line += (i % 2 == 0) ? "1 " : "2,";
  ListInput items("wall.dat", line + "\n7");
  long sum = 0;
  {
    auto r = items.read();
    for (int i = 0; i < 50'000; ++i) {
      int v = 0;
      r.integer(v);
      sum += v;
    }
  }
  EXPECT_EQ(sum, 75'000);
  EXPECT_EQ(items.read().integer(), 7);

  // 100 000 nulls, then the READ still ends at the line.
  ListInput commas("wall.dat", std::string(100'000, ',') + "\n8");
  {
    auto r = commas.read();
    for (int i = 0; i < 100'000; ++i)
      EXPECT_EQ(r.integer(), std::nullopt);
  }
  EXPECT_EQ(commas.read().integer(), 8);

  const std::string huge = "1" + std::string(100'000, '0');
  const std::string cut = "\"" + huge.substr(0, 40) + "...\"";
  EXPECT_EQ(error_of(huge, "i"), "wall.dat, line 1, item 1: expected an integer, found " + cut);
  EXPECT_EQ(error_of(huge, "r"), "wall.dat, line 1, item 1: expected a real number, found " + cut);
  EXPECT_EQ(reads(std::string(100'000, '0') + "12", {1}), (std::vector<std::vector<int>>{{12}}));
  // The copies of r*c are converted once, not once each.
  const auto copies = reads("20000*" + std::string(100'000, '0') + "5", {20'000});
  EXPECT_EQ(copies, (std::vector<std::vector<int>>{std::vector<int>(20'000, 5)}));
  EXPECT_EQ(error_of("'" + std::string(100'000, 'a'), "t"),
            "wall.dat, line 1, item 1: expected a text, found a quote that is never closed");
}

TEST(ListInput, BinaryGarbageGivesCleanErrors) {
  std::uint32_t state = 12345;
  std::string garbage;
  for (int i = 0; i < 200'000; ++i) {
    state = state * 1664525U + 1013904223U;
    garbage += static_cast<char>(state >> 24);
  }
  for (const char kind : {'i', 'r', 't'}) {
    SCOPED_TRACE(kind);
    ListInput in("wall.dat", garbage);
    int errors = 0;
    while (!in.at_end()) {
      try {
        auto r = in.read();
        for (int k = 0; k < 5; ++k) {
          int i = 0;
          double d = 0;
          std::string s;
          if (kind == 'i') r.integer(i);
          if (kind == 'r') r.real(d);
          if (kind == 't') r.text(s);
        }
      } catch (const InputError& e) {
        ++errors;
        const std::string_view message = e.what();
        ASSERT_EQ(message.substr(0, 15), "wall.dat, line ");
        ASSERT_LT(message.size(), 260U);  // 40 bytes of \xHH at most
        for (const char c : message)
          ASSERT_TRUE(c >= 0x20 && c < 0x7F) << message;
      }
    }
    if (kind != 't') {
      EXPECT_GT(errors, 0);
    }
  }
}

TEST(ListInput, OpenReadsTheFile) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("kestro_list_input_" +
                     std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".dat");
  {
    std::ofstream out(path, std::ios::binary);
    out << "1 2\r\n'last line'";
  }
  auto in = ListInput::open(path.string(), "wall.dat");
  std::filesystem::remove(path);
  ASSERT_TRUE(in.has_value());
  EXPECT_EQ(in->label(), "wall.dat");
  EXPECT_EQ(in->read().integer(), 1);
  EXPECT_EQ(in->read().text(), "last line");
  EXPECT_TRUE(in->at_end());
  EXPECT_FALSE(ListInput::open(path.string(), "wall.dat").has_value());
  EXPECT_FALSE(ListInput::open(std::filesystem::temp_directory_path().string(), "dir").has_value());
}

}  // namespace
}  // namespace kestro
