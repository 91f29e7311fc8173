// The set-up: circle, ring, emitters, fan tables, marks and outline.
#include "figure/ring.h"

#include <gtest/gtest.h>

#include "tests/figure_fixtures.h"

namespace zimbrel {
namespace {

using testing::kRedPixel;
using testing::kWhitePixel;
using testing::PixelAt;

TEST(MakeFigureTest, CircleKeepsItsHalves) {
  const struct {
    int width, height;
    long double radius, centre_x, centre_y;
  } cases[] = {
      {1920, 1080, 539, 960, 540},
      {1366, 768, 383, 683, 384},
      {1921, 1081, 539.5L, 960.5L, 540.5L},
  };
  for (const auto& c : cases) {
    const Figure figure = MakeFigure(c.width, c.height);
    EXPECT_EQ(figure.radius, c.radius);
    EXPECT_EQ(figure.centre_x, c.centre_x);
    EXPECT_EQ(figure.centre_y, c.centre_y);
    EXPECT_EQ(figure.first_emitter, 35);
    EXPECT_EQ(figure.second_emitter, 22);
  }
}

TEST(MakeFigureTest, FanTableEntries) {
  const Figure figure = MakeFigure(1920, 1080);
  const long double kNear = 1e-9L;
  const struct {
    const FanTable& fan;
    int entry;
    long double direction;
  } cases[] = {
      {figure.first_fan, 0, 270},
      {figure.first_fan, 1, 314.2105263158L},
      {figure.first_fan, 15, 358.4210526316L},
      {figure.first_fan, 16, 1.5789473684L},
      {figure.first_fan, 22, 20.5263157895L},
      {figure.first_fan, 44, 90},
      {figure.first_fan, 56, 127.8947368421L},
      {figure.second_fan, 0, 90},
      {figure.second_fan, 1, 232.1052631579L},
      {figure.second_fan, 13, 270},
      {figure.second_fan, 35, 339.4736842105L},
      {figure.second_fan, 41, 358.4210526316L},
      {figure.second_fan, 42, 1.5789473684L},
      {figure.second_fan, 56, 45.7894736842L},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(c.fan[c.entry], c.direction, kNear) << c.entry;
  }
  // The chord between the emitters is horizontal to the last bit.
  EXPECT_EQ(figure.first_fan[44], 90);
}

TEST(MakeFigureTest, EntriesStepByHalfTheRingSpacingWithOneWrap) {
  const Figure figure = MakeFigure(1920, 1080);
  for (const FanTable* fan : {&figure.first_fan, &figure.second_fan}) {
    int wraps = 0;
    for (int m = 2; m < kRingPoints; ++m) {
      long double step = (*fan)[m] - (*fan)[m - 1];
      if (step < 0) {
        ++wraps;
        step += 360;
      }
      EXPECT_NEAR(step, 180.0L / 57, 1e-12L) << m;
    }
    EXPECT_EQ(wraps, 1);
  }
}

TEST(MakeFigureTest, TablesDoNotDependOnTheSize) {
  const Figure reference = MakeFigure(1920, 1080);
  for (const auto& [width, height] :
       {std::pair{1366, 768}, {3840, 2160}, {1080, 1920}, {101, 77}}) {
    const Figure figure = MakeFigure(width, height);
    for (int m = 0; m < kRingPoints; ++m) {
      EXPECT_NEAR(figure.first_fan[m], reference.first_fan[m], 1e-12L);
      EXPECT_NEAR(figure.second_fan[m], reference.second_fan[m], 1e-12L);
    }
  }
}

TEST(SetUpFigureTest, MarksAndOutlineAt1920x1080) {
  FrameBuffer frame(1920, 1080);
  ASSERT_TRUE(SetUpFigure(frame).has_value());
  EXPECT_EQ(PixelAt(frame, 960, 1), kWhitePixel);  // point 0
  // The emitters lie on the outline, which covers their red marks.
  EXPECT_EQ(PixelAt(frame, 606, 946), kWhitePixel);
  EXPECT_EQ(PixelAt(frame, 1314, 946), kWhitePixel);
}

TEST(SetUpFigureTest, EmittersOffTheOutlineStayRedAt1366x768) {
  FrameBuffer frame(1366, 768);
  ASSERT_TRUE(SetUpFigure(frame).has_value());
  EXPECT_EQ(PixelAt(frame, 431, 673), kRedPixel);
  EXPECT_EQ(PixelAt(frame, 935, 673), kRedPixel);
}

TEST(SetUpFigureTest, OddWidthMovesTheCentreColumn) {
  FrameBuffer frame(1921, 1080);
  const std::optional<Figure> figure = SetUpFigure(frame);
  ASSERT_TRUE(figure.has_value());
  EXPECT_EQ(RoundHalfUp(figure->ring[0].x + figure->centre_x), 961);
  EXPECT_EQ(PixelAt(frame, 961, 1), kWhitePixel);
  EXPECT_EQ(PixelAt(frame, 961, 1080 - 1), kWhitePixel);  // outline bottom
}

TEST(SetUpFigureTest, StopRequestedBeforehandDrawsNothing) {
  FrameBuffer frame(64, 48);
  std::stop_source stop;
  stop.request_stop();
  EXPECT_FALSE(SetUpFigure(frame, stop.get_token()).has_value());
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      EXPECT_EQ(PixelAt(frame, x, y), testing::kBlackPixel);
    }
  }
}

}  // namespace
}  // namespace zimbrel
