// The piecewise line writers of the report and the unit labels.
#include "common/report_writers.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/unit_labels.h"

namespace kestro {
namespace {

class Writers : public ::testing::Test {
 protected:
  Writers() { unit.attach(out); }
  std::string text() {
    unit.close();
    return out.str();
  }
  std::ostringstream out;
  TextUnit unit;
};

TEST_F(Writers, NumberWriterSwitchesBetweenFixedAndExponentForm) {
  struct Case {
    double x;
    int w;
    int s;
    const char* expected;
  };
  const Case cases[] = {
      {24.0, 13, 5, "      24.0000"},    // F13.4
      {0.5, 13, 5, "      0.50000"},     // F13.5
      {0.05, 13, 5, "    0.0500000"},    // F13.7
      {0.02, 13, 5, "    0.0200000"},    // F13.7
      {0.005, 13, 5, "  5.00000E-03"},   // d would be 8: exponent form
      {0.0002, 13, 5, "  2.00000E-04"},  // k = -4, d = 9
      {0.0001, 13, 5, "  1.00000E-04"},   {29000000.0, 13, 5, "  2.90000E+07"},
      {99999.9, 13, 5, "      99999.9"},   // F13.1
      {100000.0, 13, 5, "  1.00000E+05"},  // not below 10**s
      {123.456, 13, 5, "      123.456"},  {-24.0, 13, 5, "     -24.0000"},
      {-0.005, 13, 5, " -5.00000E-03"},   {1.0e-60, 13, 5, "      0.00000"},
      {-1.0e-51, 13, 5, "      0.00000"}, {0.0, 14, 5, "       0.00000"},
      {1.0, 14, 5, "       1.00000"},     {12.0, 14, 5, "       12.0000"},
  };
  for (const Case& c : cases) {
    std::ostringstream stream;
    TextUnit one;
    one.attach(stream);
    write_number(one, c.w, c.s, c.x);
    one.close();
    EXPECT_EQ(stream.str(), std::string(c.expected) + "\n") << "x = " << c.x;
  }
}

TEST_F(Writers, PiecesShareOneRecordUntilTheLineEnd) {
  write_blanks(unit, 5);
  write_integer(unit, 5, 12);
  write_blanks(unit, 0);
  write_blanks(unit, -3);
  write_label(unit, "LBS", 3);
  write_label(unit, "FT      ", 2);
  write_label(unit, "/", 1);
  line_end(unit);
  line_end(unit);
  EXPECT_EQ(text(), "        12LBSFT/ \n \n");
}

TEST_F(Writers, ModulusUnitReadsInEitherUnitSystem) {
  UnitLabels labels;
  for (int selector : {1, -1}) {
    set_unit_labels(labels, selector);
    write_blanks(unit, 1);
    write_label(unit, labels.section_force, 3);
    write_label(unit, labels.slash, 1);
    write_label(unit, labels.length_short, 2);
    write_label(unit, labels.power, 2);
    write_label(unit, labels.digit2, 1);
    line_end(unit);
  }
  EXPECT_EQ(text(), " LBS/IN**2 \n  KN/ M**2 \n");
}

TEST(UnitLabels, SelectorChoosesTheSet) {
  UnitLabels labels;
  set_unit_labels(labels, 1);
  EXPECT_EQ(labels.length, " IN");
  EXPECT_EQ(labels.depth, " FT     ");
  EXPECT_EQ(labels.section_length, "IN");
  set_unit_labels(labels, -7);
  EXPECT_EQ(labels.force, "  KN");
  EXPECT_EQ(labels.depth_alt, " M      ");
  EXPECT_EQ(labels.section_length, "MM");
  set_unit_labels(labels, 0);
  EXPECT_EQ(labels.length, "  L");
  EXPECT_EQ(labels.force_short, "  F");
  EXPECT_EQ(labels.radian, "RAD");
}

}  // namespace
}  // namespace kestro
