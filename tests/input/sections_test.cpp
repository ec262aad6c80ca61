// Wall sections and cross sections of every kind: reading, echo, property
// summary and stiffness copies.
#include "input/sections.h"

#include <gtest/gtest.h>

#include "common/run_stop.h"
#include "driver/run.h"
#include "support/deck_context.h"

namespace kestro {
namespace {

using testing::DeckContext;

std::string control(int units, int cross_sections) {
  return std::to_string(units) + " 0 1 " + std::to_string(cross_sections) +
         " 0 0 3 0 1 0 0 0\n20 12 1 .01 0 12 240 10 0 0\n0 20 1\n";
}

// An elastic section record set: shape, name, slots 1-8, slots 9-18 with the
// tapered flag, the bottom records when tapered, the AISC record and name.
std::string elastic(int shape, const std::string& dims, const std::string& tail,
                    const std::string& aisc = "0 0 0 0 0\n'NONE'\n") {
  return "0 0 " + std::to_string(shape) + " 0\n'SECTION A'\n" + dims + "\n" + tail + "\n" + aisc;
}

const std::string kNonlinearBody =
    "20 0 0 0 5000 0 0 0 3600000\n"  // slots 1, 38, 10, 11, 12, 14, 15, 16, 17
    "TYPE 24 24 0 0 0 0 0 0 0 0\n"   // D1 and N1-N10
    "0 4000 0 0 29E6 60 0 0 0 0\n"   // N11-N16, D2-D5
    "'W8X31'\n"
    "0 0 0 0 2 0.79 1 3 29E6 60 0\n"  // D6-D10, N17-N21, D11
    "0 0 0 0 0 0 0 0 0 0\n"           // D12-D17, N22-N25
    "1 1 0 0 0\n2 2 0 0 0\n"          // two rebars
    "0 0 0 0 0 0 0 0 0 0 0 0\n"       // D18-D22, N26-N30, N37, N38
    "0 0 0 0 0\n"                     // D23-D25, N31, N32
    "0 0 0 0 0 0 0 0 0 0 0\n"         // D26-D32, N33-N36
    "0 0 0 0 0 0\n";                  // D33-D36, N39, N40

std::string nonlinear(int type) {
  std::string body = kNonlinearBody;
  body.replace(body.find("TYPE"), 4, std::to_string(type));
  return "0 0 0 1\n'PILE'\n" + body;
}

std::string echo_of(const std::string& deck) {
  DeckContext context(deck);
  read_wall_sections(input_context(*context.context));
  context.take_report();
  read_cross_sections(input_context(*context.context));
  return context.take_report();
}

TEST(WallSections, EchoWithDepthUnits) {
  DeckContext deck(control(1, 1) + elastic(0, "10 0 0 0 0 0 0 0", "0 0 0 100 0 0 0 0 29E6 0 0 0"));
  read_wall_sections(input_context(*deck.context));
  EXPECT_EQ(deck.report(),
            "\n     * WALL SECTIONS *\n\n       SECT          TOP        BOTTOM     SECTION\n"
            "                     FT            FT\n"
            "         1        0.00000       20.0000       1 \n \n");
}

TEST(CrossSections, GeneralElasticSectionEchoAndProperties) {
  const std::string echo =
      echo_of(control(1, 1) + elastic(0, "10 0 0 0 0 0 0 0", "0 0 0 100 0 0 0 0 29E6 0 0 0"));
  EXPECT_EQ(echo,
            "\n     * CROSS SECTIONS *\n"
            "\n      CROSS SECTION       :     1\n"
            "      SECTION NAME        : SECTION A                        \n"
            "      TYPE                :  ELASTIC \n"
            "      CROSS SECTION TYPE  : GENERAL SECTION \n"
            "      EQUIVALENT DIAMETER :       10.0000 IN \n"
            "      YOUNG MODULUS       :   2.90000E+07 LBS/IN**2 \n"
            "\n\n     * CROSS SECTIONS PROPERTIES *\n"
            "\n              ELASTIC SECTIONS         \n"
            "\n       SECT           DIAM,IN       I,IN**4\n"
            "         1             10.0000       100.000 \n");
}

TEST(CrossSections, TaperedSectionShowsTopAndBottom) {
  DeckContext deck(
      control(1, 1) +
      elastic(1, "12 10 0 0 0 0 0 0",
              "0 0 0 300 0 0 0 0 29E6 0 0 1\n8 6 0 0 0 0 0 0\n0 0 0 150 0 0 0 0 28E6 0 0"));
  read_wall_sections(input_context(*deck.context));
  read_cross_sections(input_context(*deck.context));
  const CrossSection& s = deck.context->problem.tables.cross_sections.at(0);
  EXPECT_EQ(s.I_top, 300.0);
  EXPECT_EQ(s.I_bottom, 150.0);
  EXPECT_EQ(s.E_bottom, 28e6);
  const std::string report = deck.report();
  EXPECT_NE(
      report.find("      CROSS SECTION TYPE  : CIRCULAR PIPE \n"
                  "      TAPERED SECTION                 TOP                 BOTTOM\n"
                  "      EXTERNAL DIAMETER   :       12.0000 IN             8.00000 IN \n"
                  "      INTERNAL DIAMETER   :       10.0000 IN             6.00000 IN \n"
                  "      YOUNG MODULUS       :   2.90000E+07 LBS/IN**2  2.80000E+07 LBS/IN**2 \n"),
      std::string::npos)
      << report;
  EXPECT_NE(report.find("         1  TOP        12.0000       300.000 \n"
                        "            BOT        8.00000       150.000 \n"),
            std::string::npos)
      << report;
}

TEST(CrossSections, UntaperedBottomEqualsTopAndSiInertiaIsInM4) {
  DeckContext deck(control(2, 1) + elastic(0, "300 0 0 0 0 0 0 0", "0 0 0 1E12 0 0 0 0 2E8 0 0 0"));
  read_wall_sections(input_context(*deck.context));
  read_cross_sections(input_context(*deck.context));
  const CrossSection& s = deck.context->problem.tables.cross_sections.at(0);
  EXPECT_NEAR(s.I_top, 1.0, 1e-7);
  EXPECT_EQ(s.I_top, 1e12 / double(1.0e12f));
  EXPECT_EQ(s.I_bottom, s.I_top);
  EXPECT_EQ(s.E_bottom, s.E_top);
  EXPECT_EQ(s.bottom.I, s.top.I);
  EXPECT_NE(deck.report().find("      EQUIVALENT DIAMETER :       300.000 MM \n"),
            std::string::npos);
  EXPECT_NE(deck.report().find("  KN/ M**2 \n"), std::string::npos);
  EXPECT_NE(deck.report().find("DIAM,MM       I,MM**4"), std::string::npos);
}

TEST(CrossSections, ShapeTypeLinesAndDimensions) {
  struct Case {
    int shape;
    std::string aisc;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {2,
       "0 0 0 0 0\n'X'\n",
       {"RECTANGULAR PIPE", "EQUIVALENT DIAMETER", "EXTERNAL WIDTH", "EXTERNAL DEPTH",
        "INTERNAL WIDTH", "INTERNAL DEPTH"}},
      {4, "0 0 0 0 0\n'X'\n", {"H SECTION", "FLANGE THICKNESS", "WEB THICKNESS"}},
      {5,
       "3 0 0 0 0\n'HP 12X53'\n",
       {"AISC SECTION (HP)", " AISC SECTION NAME   : HP 12X53", "EQUIVALENT DIAMETER",
        "EXTERNAL WIDTH"}},
      {5, "7 0 0 0 0\n'ODD'\n", {"CROSS SECTION TYPE  : AISC SECTION \n"}},
      {5,
       "12 0 0.5 1 0\n'PIPE 12'\n",
       {"AISC SECTION (PIPE)", "EXTERNAL DIAMETER", "INTERNAL DIAMETER", " THICKNESS           :"}},
      {6,
       "0 0 0 0 0\n'PZ 27'\n",
       {"SHEET PILING", " SECTION NAME        : PZ 27",
        " WIDTH               :", " DEPTH               :", "WEB THICKNESS"}},
  };
  for (const Case& c : cases) {
    const std::string echo =
        echo_of(control(1, 1) +
                elastic(c.shape, "10 8 6 5 4 3 2 1", "0 0 0 100 0 0 0 0 29E6 0 0 0", c.aisc));
    for (const std::string& line : c.lines) {
      EXPECT_NE(echo.find(line), std::string::npos) << "shape " << c.shape << ": " << line << "\n"
                                                    << echo;
    }
  }
}

TEST(CrossSections, NonlinearTypesEchoTheirTypeLine) {
  const std::pair<int, const char*> cases[] = {{1, "RECTANGULAR CONCRETE PILE"},
                                               {2, "ROUND CONCRETE SHAFT"},
                                               {3, "ROUND CONC. SHAFT, CASING (AND STEEL SECTION)"},
                                               {4, "ROUND PRESTRESSED PILE"},
                                               {5, "SQUARE PRESTRESSED PILE"},
                                               {6, "OCTOGONAL PRESTRESSED PILE"},
                                               {7, "STEEL PIPE PILE"},
                                               {8, "STEEL I SECTION PILE"},
                                               {9, "STEEL AISC SECTION PILE"},
                                               {10, "USER DEFINED EI"}};
  for (const auto& [type, text] : cases) {
    const std::string echo = echo_of(control(1, 1) + nonlinear(type));
    EXPECT_NE(echo.find("      TYPE                :  NONLINEAR \n"
                        "      CROSS SECTION TYPE  : " +
                        std::string(text) + " \n"),
              std::string::npos)
        << echo;
    EXPECT_NE(echo.find("         NONLINEAR SECTIONS       "), std::string::npos);
    EXPECT_EQ(echo.find("ELASTIC SECTIONS"), std::string::npos);
  }
  // Type 8 with the I/H flag set is an H pile.
  std::string h_pile = nonlinear(8);
  h_pile.replace(h_pile.find("29E6 60 0 0 0 0"), 15, "29E6 60 0 1 0 0");
  EXPECT_NE(echo_of(control(1, 1) + h_pile).find("STEEL H SECTION PILE"), std::string::npos);
  // The rebar records are read and listed for a reinforced section.
  const std::string shaft = echo_of(control(1, 1) + nonlinear(2));
  EXPECT_NE(shaft.find(" - REBAR    2"), std::string::npos) << shaft;
}

TEST(CrossSections, BadSectionsAreRefused) {
  // A wall section naming cross section 2 of 1.
  DeckContext missing("1 0 1 1 0 0 3 0 1 0 0 0\n20 12 1 .01 0 12 240 10 0 0\n0 20 2\n" +
                      elastic(0, "1 0 0 0 0 0 0 0", "0 0 0 1 0 0 0 0 1 0 0 0"));
  read_wall_sections(input_context(*missing.context));
  try {
    read_cross_sections(input_context(*missing.context));
    FAIL();
  } catch (const InputError& error) {
    EXPECT_STREQ(error.what(),
                 "wall.dat, line 3: wall section 1 names cross section 2, but there are 1 cross "
                 "sections");
  }
  // An unknown shape type.
  DeckContext shape(control(1, 1) + elastic(9, "1 0 0 0 0 0 0 0", "0 0 0 1 0 0 0 0 1 0 0 0"));
  read_wall_sections(input_context(*shape.context));
  EXPECT_THROW(read_cross_sections(input_context(*shape.context)), InputError);
  // More cross sections than the store holds.
  DeckContext many(control(1, 101));
  read_wall_sections(input_context(*many.context));
  try {
    read_cross_sections(input_context(*many.context));
    ADD_FAILURE() << "101 cross sections accepted";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.error_stop(), ErrorStop::too_much_data);
    EXPECT_EQ(stop.message(),
              "wall.dat, line 1: TOO MUCH DATA FOR AVAILABLE STORAGE (more than 100 cross "
              "sections: 101)");
  }
  // More rebars than a section holds.
  std::string bars = nonlinear(2);
  bars.replace(bars.find("0 0 0 0 2 0.79"), 14, "0 0 0 0 101 0.79");
  DeckContext rebars(control(1, 1) + bars);
  read_wall_sections(input_context(*rebars.context));
  EXPECT_THROW(read_cross_sections(input_context(*rebars.context)), RunStop);
}

TEST(DepthStation, RoundsHalfAwayFromZero) {
  DeckContext english(control(1, 1));
  EXPECT_EQ(depth_station(input_context(*english.context), 2.5), 3);  // 2.5 ft, h = 12 in
  EXPECT_EQ(depth_station(input_context(*english.context), 2.49), 2);
  EXPECT_EQ(depth_station(input_context(*english.context), -0.5), -1);
  DeckContext si("2 0 1 1 0 0 3 0 1 0 0 0\n20 0.5 1 .01 0 1 10 10 0 0\n");
  EXPECT_EQ(depth_station(input_context(*si.context), 1.25), 3);
  EXPECT_EQ(depth_station(input_context(*si.context), 1e300), 1000000);
}

}  // namespace
}  // namespace kestro
