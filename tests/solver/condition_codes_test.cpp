// Station codes from the specified points, the refusal of points whose codes
// would collide, and the clearing of a model between problems.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "solver/difference_equation.h"

namespace kestro {
namespace {

WallModel wall_with_points(std::vector<SpecifiedPoint> points) {
  WallModel model;
  model.N = 20;
  model.h = 0.5;
  model.specified_points = std::move(points);
  return model;
}

TEST(ConditionCodes, EachCaseMarksItsStations) {
  WallModel model = wall_with_points({{-1, 0, 0.1, 0.0},
                                      {2, 1, 0.0, 0.0},
                                      {5, 2, 0.0, 0.0},
                                      {9, 3, 0.0, 0.0},
                                      {14, 7, 0.0, 0.0},
                                      {21, -4, 0.0, 0.0}});
  ASSERT_FALSE(set_condition_codes(model).has_value());
  // Deflections mark their station; a slope marks the stations either side,
  // leaving its own station ordinary; both mark all three.
  const std::map<int, StationCode> marked = {
      {-1, StationCode::kDeflection},         {2, StationCode::kDeflection},
      {4, StationCode::kSlopeStart},          {6, StationCode::kSlopeEnd},
      {8, StationCode::kSlopeStart},          {9, StationCode::kDeflectionAndSlope},
      {10, StationCode::kSlopeEnd},           {13, StationCode::kSlopeStart},
      {14, StationCode::kDeflectionAndSlope}, {15, StationCode::kSlopeEnd},
      {21, StationCode::kDeflection}};
  for (int s = kFirstStation; s <= kLastStation; ++s) {
    const auto found = marked.find(s);
    const StationCode expected = found == marked.end() ? StationCode::kOrdinary : found->second;
    EXPECT_EQ(model.code[s], expected) << "station " << s;
  }
}

TEST(ConditionCodes, PointsThatKeepTheirStationsApartAreAccepted) {
  // A slope point and a point two stations on; two slope points three apart.
  for (const auto& points : {std::vector<SpecifiedPoint>{{5, 2, 0, 0}, {7, 1, 0, 0}},
                             std::vector<SpecifiedPoint>{{5, 1, 0, 0}, {7, 3, 0, 0}},
                             std::vector<SpecifiedPoint>{{5, 2, 0, 0}, {8, 2, 0, 0}},
                             std::vector<SpecifiedPoint>{{5, 1, 0, 0}, {6, 1, 0, 0}},
                             std::vector<SpecifiedPoint>{{0, 3, 0, 0}, {20, 3, 0, 0}}}) {
    WallModel model = wall_with_points(points);
    EXPECT_FALSE(set_condition_codes(model).has_value()) << points[0].station;
  }
}

TEST(ConditionCodes, CollidingPointsAreRefusedByNumberAndCodesKept) {
  struct Case {
    std::vector<SpecifiedPoint> points;
    int refused_point;
  };
  const Case cases[] = {
      {{{4, 1, 0, 0}, {4, 1, 0, 0}}, 2},                // two points at one station
      {{{4, 1, 0, 0}, {4, 2, 0, 0}}, 2},                // deflection, then slope at it
      {{{5, 2, 0, 0}, {6, 1, 0, 0}}, 2},                // slope next to a deflection
      {{{5, 1, 0, 0}, {6, 3, 0, 0}}, 2},                // deflection next to a clamp
      {{{5, 2, 0, 0}, {7, 2, 0, 0}}, 2},                // slope codes share station 6
      {{{1, 1, 0, 0}, {9, 2, 0, 0}, {8, 1, 0, 0}}, 3},  // stations going back
      {{{-1, 2, 0, 0}}, 1},                             // would need row -2
      {{{3, 1, 0, 0}, {21, 3, 0, 0}}, 2},               // would need row N+2
  };
  for (const Case& c : cases) {
    WallModel model = wall_with_points(c.points);
    model.code[0] = StationCode::kDeflection;  // codes of an earlier setting
    const auto error = set_condition_codes(model);
    ASSERT_TRUE(error.has_value()) << c.points.back().station;
    EXPECT_EQ(error->point_number, c.refused_point) << error->message;
    EXPECT_NE(error->message.find("station"), std::string::npos) << error->message;
    EXPECT_EQ(model.code[0], StationCode::kDeflection);
    EXPECT_EQ(model.code[c.points.back().station], StationCode::kOrdinary);
  }
}

TEST(ConditionCodes, MoreThanTwentyPointsAreRefused) {
  std::vector<SpecifiedPoint> points;
  for (int s = 0; s < kMaxSpecifiedPoints; ++s)
    points.push_back({s, 1, 0.0, 0.0});
  WallModel model = wall_with_points(points);
  EXPECT_FALSE(set_condition_codes(model).has_value());
  model.specified_points.push_back({kMaxSpecifiedPoints, 1, 0.0, 0.0});
  model.N = 30;
  const auto error = set_condition_codes(model);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->point_number, kMaxSpecifiedPoints + 1);
}

TEST(WallModelReset, NewProblemStartsFromEmptyArraysAndOrdinaryCodes) {
  WallModel model = wall_with_points({{3, 3, 0.1, 0.2}});
  ASSERT_FALSE(set_condition_codes(model).has_value());
  for (StationArray<double>* array :
       {&model.EI, &model.Q, &model.S, &model.T, &model.R, &model.P, &model.w}) {
    array->fill(1.0);
  }
  clear_problem_data(model);
  clear_deflections(model);
  for (int s = kFirstStation; s <= model.N + 3; ++s) {
    for (const StationArray<double>* array :
         {&model.EI, &model.Q, &model.S, &model.T, &model.R, &model.P, &model.w}) {
      ASSERT_EQ((*array)[s], 0.0) << "station " << s;
    }
    ASSERT_EQ(model.code[s], StationCode::kOrdinary) << "station " << s;
  }
  EXPECT_TRUE(model.specified_points.empty());
}

}  // namespace
}  // namespace kestro
