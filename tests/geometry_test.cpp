// RoundHalfUp, PointOnCircle and DirectionDegrees.
#include "figure/geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zimbrel {
namespace {

TEST(RoundHalfUpTest, HalvesGoUpAndNegativesTruncate) {
  const struct {
    long double x;
    int expected;
  } cases[] = {
      {209.0L / 6, 35}, {133.0L / 6, 22}, {2.5L, 3},  {3.5L, 4},
      {2.45L, 2},       {0.5L, 1},        {0.49L, 0}, {7, 7},
      {0, 0},           {-2.7L, -2},      {-2.5L, -2}, {-0.7L, 0},
      {1079.5L, 1080},  {1e9L + 0.5L, 1000000001},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundHalfUp(c.x), c.expected) << static_cast<double>(c.x);
  }
}

TEST(PointOnCircleTest, PointsAtTheQuarterTurns) {
  const long double r = 539;
  const long double kNear = 1e-15L;
  const struct {
    long double angle;
    long double x;
    long double y;
  } cases[] = {
      {0, 0, -r}, {90, r, 0}, {180, 0, r}, {270, -r, 0}, {-90, -r, 0},
  };
  for (const auto& c : cases) {
    RingPoint point;
    PointOnCircle(c.angle, r, point);
    EXPECT_NEAR(point.x, c.x, kNear * r) << static_cast<double>(c.angle);
    EXPECT_NEAR(point.y, c.y, kNear * r) << static_cast<double>(c.angle);
  }
  RingPoint top;
  PointOnCircle(0, r, top);
  EXPECT_EQ(top.x, 0);  // exactly: sin 0 is 0
  EXPECT_EQ(top.y, -r);
}

TEST(PointOnCircleTest, AnglesOutsideTheRangeLeaveThePointAlone) {
  for (const long double angle : {360.0L, -180.0L, 540.0L, -400.0L}) {
    RingPoint point{12, 34};
    PointOnCircle(angle, 100, point);
    EXPECT_EQ(point.x, 12);
    EXPECT_EQ(point.y, 34);
  }
}

TEST(DirectionDegreesTest, CompassDirections) {
  const struct {
    long double dx;
    long double dy;
    long double expected;
  } cases[] = {
      {0, -5, 0},   {5, 0, 90},    {0, 5, 180},   {-5, 0, 270},
      {-3, -3, 315}, {3, 3, 135},  {3, -3, 45},   {-3, 3, 225},
  };
  for (const auto& c : cases) {
    const long double length = std::sqrt(c.dx * c.dx + c.dy * c.dy);
    const long double direction =
        DirectionDegrees(10 + c.dx, 20 + c.dy, 10, 20, length);
    EXPECT_NEAR(direction, c.expected, 1e-15L) << static_cast<double>(c.expected);
  }
  // Straight up is 0, never 360.
  EXPECT_EQ(DirectionDegrees(4, 1, 4, 9, 8), 0);
}

TEST(DirectionDegreesTest, ZeroLengthGivesZero) {
  EXPECT_EQ(DirectionDegrees(3, 4, 3, 4, 0), 0);
  EXPECT_EQ(DirectionDegrees(9, 9, 1, 1, 0), 0);
}

TEST(DirectionDegreesTest, InvertsPointOnCircleAllRoundTheCircle) {
  for (int tenth = 0; tenth < 3600; ++tenth) {
    const long double angle = tenth / 10.0L;
    RingPoint point;
    PointOnCircle(angle, 539, point);
    const long double length = std::sqrt(point.x * point.x + point.y * point.y);
    const long double back = DirectionDegrees(point.x, point.y, 0, 0, length);
    // Near 0 the way back may come out just below 360.
    const long double turn = std::abs(back - angle) > 180 ? 360 : 0;
    EXPECT_NEAR(std::abs(back - angle), turn, 1e-12L) << tenth;
  }
}

}  // namespace
}  // namespace zimbrel
