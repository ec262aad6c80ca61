// The span rule: half shares at the ends of a span, full shares where spans
// meet, linear values for continued data, and refusals that leave the array
// as it was.
#include <gtest/gtest.h>

#include "common/span_rule.h"

namespace kestro {
namespace {

TEST(SpanRule, SpansMeetingAtAStationGiveItOneFullShare) {
  StationArray<double> Q;
  ASSERT_EQ(add_span(Q, 0, 10, 1.0), SpanResult::kAdded);
  ASSERT_EQ(add_span(Q, 10, 20, 1.0), SpanResult::kAdded);
  EXPECT_EQ(Q[-1], 0.0);
  EXPECT_EQ(Q[0], 0.5);
  for (int s = 1; s <= 19; ++s)
    EXPECT_EQ(Q[s], 1.0) << "station " << s;
  EXPECT_EQ(Q[20], 0.5);
  EXPECT_EQ(Q[21], 0.0);
}

TEST(SpanRule, SingleStationSpanTakesTheFullValue) {
  StationArray<double> Q;
  ASSERT_EQ(add_span(Q, 5, 5, 2.5), SpanResult::kAdded);
  EXPECT_EQ(Q[4], 0.0);
  EXPECT_EQ(Q[5], 2.5);
  EXPECT_EQ(Q[6], 0.0);
  // Continued data over one station: the starting record's value.
  ASSERT_EQ(add_interpolated_span(Q, 7, 7, 1.0, 9.0), SpanResult::kAdded);
  EXPECT_EQ(Q[7], 1.0);
}

TEST(SpanRule, ContinuedDataAreInterpolatedAndEndsHalved) {
  StationArray<double> Q;
  ASSERT_EQ(add_interpolated_span(Q, 0, 10, 0.0, 10.0), SpanResult::kAdded);
  EXPECT_EQ(Q[0], 0.0);
  for (int s = 1; s <= 9; ++s)
    EXPECT_DOUBLE_EQ(Q[s], s) << "station " << s;
  EXPECT_EQ(Q[10], 5.0);
  EXPECT_EQ(Q[11], 0.0);
  // Decreasing values over a span not starting at zero.
  StationArray<double> EI;
  ASSERT_EQ(add_interpolated_span(EI, 4, 8, 8.0, 4.0), SpanResult::kAdded);
  EXPECT_EQ(EI[4], 4.0);
  EXPECT_DOUBLE_EQ(EI[5], 7.0);
  EXPECT_DOUBLE_EQ(EI[7], 5.0);
  EXPECT_EQ(EI[8], 2.0);
}

TEST(SpanRule, ContributionsAddToWhatIsThere) {
  StationArray<double> S;
  S.fill(3.0);
  ASSERT_EQ(add_span(S, 2, 4, 1.0), SpanResult::kAdded);
  EXPECT_EQ(S[1], 3.0);
  EXPECT_EQ(S[2], 3.5);
  EXPECT_EQ(S[3], 4.0);
  EXPECT_EQ(S[4], 3.5);
  EXPECT_EQ(S[5], 3.0);
}

TEST(SpanRule, BackwardsAndOutOfRangeSpansAreRefusedUntouched) {
  StationArray<double> Q;
  EXPECT_EQ(add_span(Q, 10, 9, 1.0), SpanResult::kStationsNotInOrder);
  EXPECT_EQ(add_interpolated_span(Q, 3, 0, 1.0, 2.0), SpanResult::kStationsNotInOrder);
  EXPECT_EQ(add_span(Q, kFirstStation - 1, 0, 1.0), SpanResult::kStationOutOfRange);
  EXPECT_EQ(add_span(Q, 400, kLastStation + 1, 1.0), SpanResult::kStationOutOfRange);
  EXPECT_EQ(add_span(Q, -100, -50, 1.0), SpanResult::kStationOutOfRange);
  for (int s = kFirstStation; s <= kLastStation; ++s)
    ASSERT_EQ(Q[s], 0.0) << "station " << s;

  // The outermost stations are inside the arrays.
  ASSERT_EQ(add_span(Q, kFirstStation, kLastStation, 2.0), SpanResult::kAdded);
  EXPECT_EQ(Q[kFirstStation], 1.0);
  EXPECT_EQ(Q[0], 2.0);
  EXPECT_EQ(Q[kLastStation], 1.0);
}

}  // namespace
}  // namespace kestro
