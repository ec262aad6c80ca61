#include "common/fortran_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace kestro {
namespace {

// ---------------------------------------------------------------------------
// Vectors written by gfortran (fortran_vectors/gen_vectors.sh).  One case a
// line:  "FORMAT" ITEM... "EXPECTED" [override "GFORTRAN"].

using Value = std::variant<std::int64_t, double, std::string, bool>;

struct Vector {
  int line = 0;
  std::string format;
  std::vector<Value> items;
  std::string expected;
};

// Reads a double-quoted string with \" \\ \n escapes starting at text[pos].
std::string unquote(const std::string& text, std::size_t& pos) {
  if (text.at(pos) != '"') throw std::runtime_error("expected '\"'");
  std::string out;
  for (++pos; text.at(pos) != '"'; ++pos) {
    if (text[pos] == '\\') {
      ++pos;
      out += text.at(pos) == 'n' ? '\n' : text[pos];
    } else {
      out += text[pos];
    }
  }
  ++pos;
  return out;
}

std::vector<Vector> read_vectors(const std::string& name) {
  const std::string path = std::string(KESTRO_TEST_DATA_DIR) + "/common/fortran_vectors/" + name;
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::vector<Vector> vectors;
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    if (text.empty() || text[0] == '#') continue;
    Vector v;
    v.line = line;
    std::size_t pos = 0;
    v.format = unquote(text, pos);
    for (;;) {
      while (text.at(pos) == ' ')
        ++pos;
      if (text[pos] == '"') break;
      const std::size_t end = std::min(text.find(' ', pos), text.size());
      const std::string token = text.substr(pos, end - pos);
      if (token.starts_with("r:")) {
        v.items.emplace_back(std::bit_cast<double>(std::stoull(token.substr(2), nullptr, 16)));
      } else if (token.starts_with("i:")) {
        v.items.emplace_back(std::int64_t{std::stoll(token.substr(2))});
      } else if (token.starts_with("l:")) {
        v.items.emplace_back(token == "l:T");
      } else if (token.starts_with("a:")) {
        pos += 2;
        v.items.emplace_back(unquote(text, pos));
        continue;
      } else {
        throw std::runtime_error(name + ":" + std::to_string(line) + ": bad item " + token);
      }
      pos = end;
    }
    v.expected = unquote(text, pos);
    vectors.push_back(std::move(v));
  }
  return vectors;
}

FormattedText run(const std::string& format, const std::vector<Value>& values) {
  std::vector<FormatItem> items;
  for (const Value& value : values) {
    items.push_back(std::visit(
        [](const auto& x) -> FormatItem {
          if constexpr (std::is_same_v<std::decay_t<decltype(x)>, std::string>) {
            return std::string_view(x);
          } else {
            return x;
          }
        },
        value));
  }
  return format_write(FortranFormat::parse(format), items);
}

// Compares each vector, reporting the first few differences in full.
// The edit vectors hold the field alone, the record vectors the whole text.
void check_vectors(const std::vector<Vector>& vectors, const char* file, bool whole_text) {
  int failures = 0;
  const auto check = [&](const Vector& v, const std::string& format) {
    const FormattedText out = run(format, v.items);
    // A write always ends its records; only a backslash leaves one open.
    const bool consistent = out.record_open || (!out.text.empty() && out.text.back() == '\n');
    const std::string expected = whole_text ? v.expected : v.expected + '\n';
    if (out.text == expected && consistent) return;
    if (++failures <= 25) {
      ADD_FAILURE() << file << ":" << v.line << " format " << format << "\n  expected \""
                    << expected << "\"\n  got      \"" << out.text
                    << "\" record_open=" << out.record_open;
    }
  };
  for (const Vector& v : vectors) {
    check(v, v.format);
    if (whole_text && v.format.find('$') != std::string::npos) {
      std::string format = v.format;
      for (char& c : format)
        c = c == '$' ? '\\' : c;
      check(v, format);
    }
  }
  EXPECT_EQ(failures, 0) << "vectors failing in " << file;
}

TEST(FortranFormatVectors, SingleDescriptorsMatchGfortran) {
  const std::vector<Vector> vectors = read_vectors("edit_vectors.txt");
  ASSERT_GT(vectors.size(), 20000u);
  check_vectors(vectors, "edit_vectors.txt", false);
}

TEST(FortranFormatVectors, WholeFormatsMatchGfortran) {
  const std::vector<Vector> vectors = read_vectors("record_vectors.txt");
  ASSERT_GT(vectors.size(), 50u);
  check_vectors(vectors, "record_vectors.txt", true);
}

// ---------------------------------------------------------------------------
// The layout rules, case by case.

struct RealCase {
  const char* format;
  double value;
  const char* expected;
};

TEST(FortranFormat, RealEditingRules) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const RealCase cases[] = {
      {"(F5.3)", 0.5, "0.500"},
      {"(F4.3)", 0.5, ".500"},
      {"(F4.2)", -0.5, "-.50"},
      {"(F10.2)", 29000000.0, "**********"},
      {"(F10.2)", -0.0, "      0.00"},
      {"(F10.2)", -1e-51, "      0.00"},
      {"(F10.3)", 0.0625, "     0.062"},
      {"(F6.0)", 2.5, "    2."},
      {"(F6.0)", 3.5, "    4."},
      {"(E10.3)", 24.0, " 0.240E+02"},
      {"(E10.3)", 0.0, " 0.000E+00"},
      {"(E10.3)", 9.9996, " 0.100E+02"},
      {"(E10.3)", 1e100, " 0.100+101"},
      {"(E10.3)", -24.0, "-0.240E+02"},
      {"(E9.3)", -24.0, "-.240E+02"},
      {"(E10.3E3)", 1e-100, "0.100E-099"},
      {"(E10.3E2)", 1e100, "**********"},
      {"(1PE12.3)", 123.456, "   1.235E+02"},
      {"(1PE12.3)", 0.0, "   0.000E+00"},
      {"(-1PE10.3)", 24.0, " 0.024E+03"},
      {"(4PE10.3)", 24.0, " 2400.E-02"},
      {"(1PF10.3)", 1.5, "    15.000"},
      {"(G12.4)", 0.0, "   0.000    "},
      {"(G12.4)", 123.456, "   123.5    "},
      {"(G12.4)", 0.0125, "  0.1250E-01"},
      {"(G12.4)", 9.9996, "   10.00    "},
      {"(G12.4)", 9999.5, "  0.1000E+05"},
      {"(1PG12.4)", 0.0125, "  1.2500E-02"},
      {"(1PG12.4)", 5.0, "   5.000    "},
      {"(G12.4E3)", 123.456, "  123.5     "},
      {"(G8.4)", 123.456, "********"},
      {"(1PG24.15E3)", 2.0, "   2.00000000000000     "},
      {"(1PG24.15E3)", 0.35, "  0.350000000000000     "},
      {"(1PG24.15E3)", 1.0e-3, "  1.000000000000000E-003"},
      {"(F10.2)", inf, "  Infinity"},
      {"(F3.1)", inf, "Inf"},
      {"(F8.1)", -inf, "    -Inf"},
      {"(F3.1)", -inf, "***"},
      {"(E10.3)", nan, "       NaN"},
      {"(F2.1)", nan, "**"},
  };
  for (const RealCase& c : cases) {
    EXPECT_EQ(format_write(FortranFormat::parse(c.format), {c.value}).text,
              std::string(c.expected) + "\n")
        << c.format << " of " << c.value;
  }
}

TEST(FortranFormat, IntegerLogicalAndTextRules) {
  struct Case {
    const char* format;
    FormatItem item;
    const char* expected;
  };
  const Case cases[] = {
      {"(I2.2)", std::int64_t{5}, "05"},
      {"(I4.0)", std::int64_t{0}, "    "},
      {"(I2.2)", std::int64_t{-1}, "**"},
      {"(I12)", std::int64_t{5}, "           5"},
      {"(I20)", std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
      {"(L2)", true, " T"},
      {"(L1)", false, "F"},
      {"(A4)", std::string_view("ab"), "  ab"},
      {"(A2)", std::string_view("abcd"), "ab"},
      {"(A)", std::string_view("any length"), "any length"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(format_write(FortranFormat::parse(c.format), {c.item}).text,
              std::string(c.expected) + "\n")
        << c.format;
  }
}

// The helpers the number writer calls directly.
TEST(FortranFormat, EditHelpers) {
  EXPECT_EQ(edit_exponent(123.456, 13, 5, 0, 1), "  1.23456E+02");
  EXPECT_EQ(edit_exponent(-1e-300, 13, 5, 0, 1), " -1.00000-300");
  EXPECT_EQ(edit_fixed(0.0, 13, 4), "       0.0000");
  EXPECT_EQ(edit_fixed(1234.5678, 10, 3, -5), "     0.012");
  EXPECT_EQ(edit_integer(42, 5), "   42");
  EXPECT_EQ(edit_integer(-5, 5, 3), " -005");
  EXPECT_EQ(edit_general(0.0, 24, 15, 3, 1), "   0.00000000000000     ");
  EXPECT_THROW(edit_exponent(1.0, 10, 3, 0, 5), FormatError);   // k must be < d + 2
  EXPECT_THROW(edit_exponent(1.0, 10, 3, 0, -3), FormatError);  // and > -d
  EXPECT_THROW(edit_fixed(1.0, 0, 2), FormatError);
}

// The correctly rounded decimal digits of the exact binary value, from the C
// library's printf, an independent exact conversion that rounds ties to even.
// The values are deck-like short decimals, random bit patterns, exact binary
// ties at the rounding digit, and neighbours of powers of ten, at every
// number of digits from 0 to beyond what a double determines.
std::vector<double> rounding_probes() {
  std::vector<double> values;
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  const auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (int i = 0; i < 3000; ++i) {
    const double decimal = static_cast<double>(next() % 2000001) / std::pow(10.0, next() % 12);
    values.push_back(i % 2 == 0 ? decimal : -decimal);
    const std::uint64_t bits = next() & ~(std::uint64_t{1} << 63);
    const double random = std::bit_cast<double>(bits);
    if (std::isfinite(random) && random < 1e15 && random > 1e-15) values.push_back(random);
    // k + 1/2^m: a tie at decimal m for every m below the last bit.
    values.push_back(static_cast<double>(next() % 1000) + std::ldexp(1.0, -1 - int(next() % 12)));
  }
  for (int k = -20; k <= 20; ++k) {
    const double p = std::pow(10.0, k);
    values.push_back(p);
    values.push_back(std::nextafter(p, 0.0));
    values.push_back(std::nextafter(p, 1e300));
    values.push_back(5 * p);
    values.push_back(std::nextafter(5 * p, 0.0));
    values.push_back(std::nextafter(9.5 * p, 1e300));
  }
  return values;
}

TEST(FortranFormat, RoundingMatchesExactDecimalExpansion) {
  int failures = 0;
  char expected[512];
  for (const double x : rounding_probes()) {
    for (int d = 0; d <= 24; ++d) {
      // F: printf's %.*f, without the sign of a value that prints as zero.
      std::snprintf(expected, sizeof expected, "%.*f%s", d, x, d == 0 ? "." : "");
      std::string fixed(expected);
      if (fixed[0] == '-' && fixed.find_first_not_of("-0.") == std::string::npos) fixed.erase(0, 1);
      const std::string got_fixed = edit_fixed(x, 80, d);
      if (got_fixed.substr(got_fixed.find_first_not_of(' ')) != fixed && ++failures <= 20) {
        ADD_FAILURE() << "F80." << d << " of " << std::hexfloat << x << std::defaultfloat
                      << ": got \"" << got_fixed << "\", expected \"" << fixed << '"';
      }
      // 1PE: d + 1 significant digits, printf's %.*e.
      if (x == 0.0 || d == 0) continue;
      std::snprintf(expected, sizeof expected, "%.*e", d, x);
      const std::string printed(expected);
      const std::size_t e = printed.find('e');
      const int exponent = std::stoi(printed.substr(e + 1));
      char exponent_text[16];
      std::snprintf(exponent_text, sizeof exponent_text, "%c%03d", exponent < 0 ? '-' : '+',
                    std::abs(exponent));
      const std::string scientific = printed.substr(0, e) + 'E' + exponent_text;
      const std::string got_exponent = edit_exponent(x, 60, d, 3, 1);
      const std::string expected_exponent = std::string(60 - scientific.size(), ' ') + scientific;
      if (got_exponent != expected_exponent && ++failures <= 20) {
        ADD_FAILURE() << "1PE60." << d << "E3 of " << std::hexfloat << x << std::defaultfloat
                      << ": got \"" << got_exponent << "\", expected \"" << expected_exponent
                      << '"';
      }
      // 1PG: in range (decided on the value rounded to d digits) as F with
      // five blanks (E3) after, otherwise as 1PE.
      std::snprintf(expected, sizeof expected, "%.*e", d - 1, x);
      const int decade = std::atoi(std::strchr(expected, 'e') + 1) + 1;
      std::string expected_general = expected_exponent;
      if (decade >= 0 && decade <= d) {
        std::snprintf(expected, sizeof expected, "%.*f", d - decade, x);
        expected_general = std::string(expected) + (d == decade ? "." : "") + "     ";
        expected_general.insert(0, 60 - expected_general.size(), ' ');
      }
      const std::string got_general = edit_general(x, 60, d, 3, 1);
      if (got_general != expected_general && ++failures <= 20) {
        ADD_FAILURE() << "1PG60." << d << "E3 of " << std::hexfloat << x << std::defaultfloat
                      << ": got \"" << got_general << "\", expected \"" << expected_general << '"';
      }
    }
  }
  EXPECT_EQ(failures, 0);
}

// ---------------------------------------------------------------------------
// Whole writes.

TEST(FortranFormat, BackslashKeepsItsRecordOpen) {
  struct Case {
    const char* format;
    int items;
    const char* text;
    bool open;
  };
  const Case cases[] = {
      {"(1H ,\\)", 0, " ", true},
      {"(I3,\\)", 1, "  1", true},
      {"(I3,\\,I3)", 1, "  1", true},            // stops at the second I3
      {"(I3,\\,I3)", 2, "  1  2", true},         // the record is still the one of the \ .
      {"(I3,\\,/,I3)", 2, "  1\n  2\n", false},  // '/' ends it as always
      {"(I3,\\)", 2, "  1\n  2", true},          // reversion ends it, the new one is open
      {"(I3,/,\\)", 1, "  1\n", true},
      {"(I3,2X,\\)", 1, "  1", true},  // the pending skip is dropped
      {"(I3)", 1, "  1\n", false},
  };
  const FormatItem items[] = {std::int64_t{1}, std::int64_t{2}};
  for (const Case& c : cases) {
    const FormattedText out =
        format_write(FortranFormat::parse(c.format),
                     std::span<const FormatItem>(items, static_cast<std::size_t>(c.items)));
    EXPECT_EQ(out.text, c.text) << c.format;
    EXPECT_EQ(out.record_open, c.open) << c.format;
  }
}

TEST(FortranFormat, ParsedFormatIsReusable) {
  const FortranFormat format = FortranFormat::parse("(1P,E10.3,F8.2)");
  EXPECT_EQ(format_write(format, {1.5, 1.5}).text, " 1.500E+00   15.00\n");
  // The scale factor of one write does not leak into the next.
  EXPECT_EQ(format_write(FortranFormat::parse("(F8.2)"), {1.5}).text, "    1.50\n");
  EXPECT_EQ(format_write(format, {2.5}).text, " 2.500E+00\n");
  EXPECT_EQ(format_write(FortranFormat(), {}).text, "\n");
}

TEST(FortranFormat, WriteErrors) {
  // An item the descriptor cannot edit.
  EXPECT_THROW(format_write(FortranFormat::parse("(F10.3)"), {std::int64_t{1}}), FormatError);
  EXPECT_THROW(format_write(FortranFormat::parse("(I5)"), {1.0}), FormatError);
  EXPECT_THROW(format_write(FortranFormat::parse("(A)"), {true}), FormatError);
  EXPECT_THROW(format_write(FortranFormat::parse("(L2)"), {std::string_view("T")}), FormatError);
  // Items left over but nothing to edit them with.
  EXPECT_THROW(format_write(FortranFormat::parse("('text')"), {1.0}), FormatError);
  EXPECT_THROW(format_write(FortranFormat::parse("(I2,('x'))"), {std::int64_t{1}, std::int64_t{2}}),
               FormatError);
  // A scale factor E cannot apply.
  EXPECT_THROW(format_write(FortranFormat::parse("(5PE10.3)"), {1.0}), FormatError);
}

TEST(FortranFormat, MalformedFormatsThrow) {
  const char* const bad[] = {
      "",         "I5",        "(I5",       "(I5))",     "(I5) x",    "(,I5)",  "(I5,)",
      "(I5,,I5)", "((I5)",     "(()I5)",    "(I)",       "(I0)",      "(I3.4)", "(F10)",
      "(F10.)",   "(F.3)",     "(E10.3E0)", "(G10.0)",   "(L)",       "(A0)",   "(X)",
      "(0X)",     "(0I5)",     "(-2X)",     "(+I5)",     "(5H)",      "(3Hab)", "(0Habc)",
      "('abc)",   "(\"ab''c)", "(Q5)",      "(I5;F3.1)", "(99999I5)", "(1 2X)", "(F1 0.3)",
  };
  for (const char* text : bad) {
    EXPECT_THROW(FortranFormat::parse(text), FormatError) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace kestro
