// The soil profile below the excavation: layers cut at the curve limit, the
// water table inside a layer, the layer-boundary lookup, the mean unit
// weight, the backfill overburden and the multipliers, with hand values.
#include "soil/soil_profile.h"

#include <gtest/gtest.h>

#include "input/moment_curvature.h"
#include "input/sections.h"
#include "input/station_tables.h"
#include "support/deck_context.h"

#include <sstream>

#include "common/list_input.h"
#include "common/run_stop.h"
#include "soil/py_multipliers.h"
#include "soil_fixture.h"

namespace kestro {
namespace {

using testing::add_layer;
using testing::values;

const DeckSource& kInput = testing::wall_dat();

// English wall, excavation at 100 in, water table at 150 in: a clay layer
// above the excavation, then two clay layers to 200 and 400 in.
WallGroup three_layers() {
  WallGroup group = testing::wall_group(100.0, 12.0, 12.0, 150.0);
  add_layer(group, 1, 60.0, values(0.08, 5, 0, 0.02), values(0.08, 5, 0, 0.02));
  add_layer(group, 1, 200.0, values(0.07, 10, 0, 0.01, 30), values(0.06, 20, 10, 0.02, 99));
  add_layer(group, 3, 400.0, values(0.065, 30, 0, 0.005, 50), values(0.065, 50, 20, 0.007, 77));
  return group;
}

TEST(SoilProfile, LayersBelowTheExcavationAndTheWaterTable) {
  // 40 increments of 12 in: curve limit 480 + 24 - 100 = 404 in, below the
  // last layer (300 in below the excavation), so nothing is cut.
  const SoilProfile p =
      build_soil_profile(three_layers(), testing::geometry(40, 12.0), UnitSystem::english, kInput);
  ASSERT_EQ(p.layers.size(), 2u);
  EXPECT_EQ(p.layers[0].XT, 0.0);
  EXPECT_EQ(p.layers[0].XBot, 100.0);
  EXPECT_EQ(p.layers[1].XT, 100.0);
  EXPECT_EQ(p.layers[1].XBot, 300.0);
  // The water table 50 in below the excavation splits the first layer; water
  // weighs 0.036 pci as a single-precision value.
  const double water = 0.035999998450279236;
  const double wet = 0.07 - water;
  ASSERT_EQ(p.weight.size(), 6u);
  const double expected[6][2] = {{0, 0.07},  {50, 0.07},           {50, wet},
                                 {100, wet}, {100, 0.065 - water}, {300, 0.065 - water}};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(p.weight[i].X, expected[i][0]) << i;
    EXPECT_NEAR(p.weight[i].gamma, expected[i][1], 1e-15) << i;
  }
  // PHI in radians with the single-precision pi: 10 degrees.
  EXPECT_EQ(p.strength[1].PHI, 10.0 * 3.1415998935699463 / 180.0);
  // KPY is the top value at both points of a layer.
  EXPECT_EQ(p.strength[1].KPY, 30.0);
}

TEST(SoilProfile, CutAtTheCurveLimit) {
  // 20 increments of 12 in: limit 240 + 24 - 100 = 164 in, inside the second
  // p-y layer (100..300), whose bottom values become those at 164:
  // S = 30 + 20*64/200 = 36.4, E50 = 0.005 + 0.002*0.32 = 0.00564.
  WallGroup group = three_layers();
  add_layer(group, 1, 500.0, values(0.06, 1, 0, 0.01), values(0.06, 1, 0, 0.01));
  const SoilProfile p =
      build_soil_profile(group, testing::geometry(20, 12.0), UnitSystem::english, kInput);
  ASSERT_EQ(p.layers.size(), 2u);
  EXPECT_EQ(p.layers[1].XBot, 164.0);
  EXPECT_NEAR(p.layers[1].bottom.S, 36.4, 1e-12);
  EXPECT_NEAR(p.layers[1].bottom.E50, 0.00564, 1e-15);
  EXPECT_NEAR(p.strength[3].PHI * 180.0 / 3.1415998935699463, 6.4, 1e-12);
}

TEST(SoilProfile, StrengthLookupAndTheLayerBoundary) {
  const SoilProfile p =
      build_soil_profile(three_layers(), testing::geometry(40, 12.0), UnitSystem::english, kInput);
  std::ostringstream console;
  // Inside the first layer: linear, S = 10 + 10*25/100 = 12.5.
  EXPECT_NEAR(strength_at(p, 25.0, console).S, 12.5, 1e-12);
  // At the boundary (100 in): S of the deeper layer, E50 the mean of 0.02
  // and 0.005; PHI is 10 degrees above and 0 below, so no mean: the upper.
  const StrengthValues at = strength_at(p, 100.0, console);
  EXPECT_EQ(at.S, 30.0);
  EXPECT_NEAR(at.E50, 0.0125, 1e-15);
  EXPECT_NEAR(at.PHI, 10.0 * 3.1415998935699463 / 180.0, 1e-15);
  // The last point takes its own values.
  EXPECT_EQ(strength_at(p, 300.0, console).S, 50.0);
  EXPECT_TRUE(console.str().empty());
}

TEST(SoilProfile, DepthBeyondTheStrengthProfileStopsWithCode1) {
  const SoilProfile p =
      build_soil_profile(three_layers(), testing::geometry(40, 12.0), UnitSystem::english, kInput);
  std::ostringstream console;
  try {
    strength_at(p, 400.0, console);
    FAIL() << "no stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::stop_code);
    EXPECT_EQ(stop.stop_code(), StopCode::outside_profile);
    EXPECT_NE(stop.message().find("400"), std::string::npos) << stop.message();
  }
  const std::string warning =
      "\n                             **** WARNING ****\n"
      "     THE VALUE OF X =  0.4E+03IS BEYOND THE EXTENT OF\n"
      "     THE INPUT STRENGTH CURVE\n";
  EXPECT_EQ(console.str(), warning + warning);
}

TEST(SoilProfile, MeanEffectiveUnitWeight) {
  const SoilProfile p =
      build_soil_profile(three_layers(), testing::geometry(40, 12.0), UnitSystem::english, kInput);
  // Down to 80 in: 0.07*50 + 0.034*30 = 4.52 over 80 in (to 1e-7: water
  // is 0.036 in single precision).
  EXPECT_NEAR(average_unit_weight(p, 80.0), 4.52 / 80.0, 1e-7);
  // Down to 200 in: 3.5 + 0.034*50 + 0.029*100 = 8.1 over 200 in.
  EXPECT_NEAR(average_unit_weight(p, 200.0), 8.1 / 200.0, 1e-7);
  // At the surface: the first positive value.
  EXPECT_EQ(average_unit_weight(p, 0.0), 0.07);
  try {
    average_unit_weight(p, 300.5);
    FAIL() << "no stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.stop_code(), StopCode::outside_weights);
  }
}

TEST(SoilProfile, BackfillOverburden) {
  // QSURF 1 psi; clay 0.08 pci to 60 in, then 0.07 pci: at 160 in
  // 1 + 0.08*60 + 0.07*100 = 12.8 psi.
  WallGroup group = three_layers();
  group.QSURF = 1.0;
  std::ostringstream text;
  TextUnit report;
  report.attach(text);
  EXPECT_NEAR(backfill_overburden(group, UnitSystem::english, 160.0, report), 12.8, 1e-12);
  // A sand layer below the water table weighs 0.036 pci less: sand of 0.07
  // pci from 0 to 200 in with the water at 150 in: 0.07*150 + 0.034*10 at 160.
  WallGroup sand = testing::wall_group(100.0, 12.0, 12.0, 150.0);
  add_layer(sand, 4, 200.0, values(0.07, 0, 30, 0), values(0.07, 0, 30, 0));
  EXPECT_NEAR(backfill_overburden(sand, UnitSystem::english, 160.0, report), 10.84, 1e-7);
  EXPECT_THROW(backfill_overburden(sand, UnitSystem::english, 201.0, report), RunStop);
  report.close();
  EXPECT_EQ(text.str(),
            "\n                             **** WARNING ****\n"
            "     THE VALUE OF X = 0.20E+03IS BEYOND THE EXTENT OF\n"
            "     THE INPUT CURVE FOR UNIT WEIGHT\n");
}

TEST(SoilProfile, BadLayersAreRefused) {
  auto kind_of = [](const WallGroup& group, int N) {
    try {
      build_soil_profile(group, testing::geometry(N, 12.0), UnitSystem::english, kInput);
    } catch (const RunStop& stop) {
      return stop.kind();
    }
    return StopKind::not_available;  // no stop at all
  };
  WallGroup zero_e50 = three_layers();
  zero_e50.layers[2].bottom.E50 = 0.0;
  EXPECT_EQ(kind_of(zero_e50, 40), StopKind::bad_input);
  WallGroup zero_width = three_layers();
  zero_width.WP = 0.0;
  EXPECT_EQ(kind_of(zero_width, 40), StopKind::bad_input);
  WallGroup vertical = three_layers();
  vertical.SLOPEX = 90.0;
  EXPECT_EQ(kind_of(vertical, 40), StopKind::bad_input);
  WallGroup negative_strength = three_layers();
  negative_strength.layers[1].top.S = -1.0;
  EXPECT_EQ(kind_of(negative_strength, 40), StopKind::bad_input);
  // Soil ending above the excavation: no p-y layer, stop code 1.
  WallGroup shallow = three_layers();
  shallow.layers.resize(1);
  EXPECT_EQ(kind_of(shallow, 40), StopKind::stop_code);
  // A wall of 5 increments (60 in) ends above the excavation (100 in).
  EXPECT_EQ(kind_of(three_layers(), 5), StopKind::bad_input);
}

TEST(Multipliers, SpacingFactorAndTable) {
  // s/b = 24/12 = 2: fs = 0.5292*2^0.5659 = 0.783380 below the excavation.
  MultiplierInputs m{100.0, 24.0, 12.0, {}};
  EXPECT_NEAR(p_multiplier(m, 150.0), 0.783380, 1e-6);
  EXPECT_EQ(p_multiplier(m, 99.0), 1.0);  // above the excavation
  EXPECT_EQ(y_multiplier(m, 150.0), 1.0);
  // Spaced far apart (s/b = 3.1) or nearly touching (1.05): no reduction.
  EXPECT_EQ(p_multiplier(MultiplierInputs{100.0, 37.2, 12.0, {}}, 150.0), 1.0);
  EXPECT_EQ(p_multiplier(MultiplierInputs{100.0, 12.6, 12.0, {}}, 150.0), 1.0);

  // Table from 120 to 200 in, with 160 repeated: p 0.8 -> 0.6 | 0.4 -> 0.2.
  m.factors.rows = {{120, 0.8, 1.0}, {160, 0.6, 2.0}, {160, 0.4, 3.0}, {200, 0.2, 5.0}};
  m.factors.combination = 1;
  EXPECT_NEAR(p_multiplier(m, 140.0), 0.7 * 0.783380, 1e-6);  // both factors
  EXPECT_NEAR(y_multiplier(m, 140.0), 1.5, 1e-12);
  EXPECT_NEAR(p_multiplier(m, 160.0), 0.4 * 0.783380, 1e-6);  // the second row
  EXPECT_NEAR(y_multiplier(m, 160.0), 3.0, 1e-12);
  EXPECT_NEAR(y_multiplier(m, 180.0), 4.0, 1e-12);
  EXPECT_NEAR(p_multiplier(m, 250.0), 0.783380, 1e-6);  // below the table: ft = 1
  EXPECT_EQ(y_multiplier(m, 250.0), 1.0);
  // Above the excavation the spacing factor is 1 on both flags.
  EXPECT_NEAR(p_multiplier(m, 99.0), 1.0, 1e-12);
  m.factors.combination = 0;  // the table alone
  EXPECT_NEAR(p_multiplier(m, 140.0), 0.7, 1e-12);
  EXPECT_NEAR(p_multiplier(m, 250.0), 1.0, 1e-12);
  EXPECT_NEAR(p_multiplier(m, 99.0), 1.0, 1e-12);
}

// A wall deck whose records end with the p-y modification factors, read up
// to them: its factor records start at line 13.
struct FactorDeck {
  explicit FactorDeck(const std::string& factors)
      : deck(
            "1 0 1 1 2 0 3 0 1 0 0 0\n40 12 10 0.001 0 12 480 100 0 0\n0 40 1\n0 0 0 0\n'S'\n"
            "0 0 0 0 0 0 0 0\n0 0 0 100 0 0 0 0 29e6 0 0 0\n0 0 0 0 0\n'S'\n0 0\n0\n0\n" +
            factors) {
    const InputContext input = deck.input();
    read_specified_points(input);
    read_wall_sections(input);
    read_cross_sections(input);
    read_moment_curvature_data(input);
    read_stiffness_and_load_data(input);
  }
  ReductionFactors read(int count) { return read_reduction_factors(deck.context->in(), count); }
  testing::DeckContext deck;
};

TEST(Multipliers, ReadingTheTable) {
  const ReductionFactors f = FactorDeck("1\n120 0.8 1\n200, 0.2, 5\n").read(2);
  EXPECT_EQ(f.combination, 1);
  ASSERT_EQ(f.rows.size(), 2u);
  EXPECT_EQ(f.rows[1].depth, 200.0);
  EXPECT_EQ(f.rows[1].y_factor, 5.0);
  // A y-factor of 0 would collapse every deflection of a curve.
  try {
    FactorDeck("1\n120 0.8 0\n").read(1);
    FAIL() << "accepted";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), StopKind::bad_input);
    EXPECT_NE(stop.message().find("wall.dat, line 14"), std::string::npos) << stop.message();
  }
  EXPECT_THROW(FactorDeck("0\n120 0.8 1\n100 0.8 1\n").read(2), RunStop);
}

}  // namespace
}  // namespace kestro
