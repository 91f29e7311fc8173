// DrawCircle: the exact pixels of small outlines, and clipping.
#include "figure/circle.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "tests/figure_fixtures.h"

namespace zimbrel {
namespace {

using Offsets = std::set<std::pair<int, int>>;

// The (column, row) offsets from the centre of every pixel DrawCircle set.
Offsets DrawnOffsets(int radius, int width = 41, int height = 41) {
  FrameBuffer frame(width, height);
  const int cx = width / 2;
  const int cy = height / 2;
  DrawCircle(frame, cx, cy, radius, kWhite);
  Offsets drawn;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const testing::Pixel pixel = testing::PixelAt(frame, x, y);
      if (pixel == testing::kBlackPixel) continue;
      EXPECT_EQ(pixel, testing::kWhitePixel);
      drawn.insert({x - cx, y - cy});
    }
  }
  return drawn;
}

// The eight mirror images of the octant points (x, y).
Offsets Mirrored(std::initializer_list<std::pair<int, int>> octant) {
  Offsets all;
  for (const auto& [x, y] : octant) {
    for (const auto& [a, b] : {std::pair{x, y}, {y, x}}) {
      all.insert({a, b});
      all.insert({a, -b});
      all.insert({-a, b});
      all.insert({-a, -b});
    }
  }
  return all;
}

TEST(DrawCircleTest, SmallRadii) {
  EXPECT_EQ(DrawnOffsets(0), (Offsets{{0, 0}}));
  EXPECT_EQ(DrawnOffsets(1), (Offsets{{0, -1}, {0, 1}, {-1, 0}, {1, 0}}));
  EXPECT_EQ(DrawnOffsets(2), Mirrored({{0, 2}, {1, 2}}));
  EXPECT_EQ(DrawnOffsets(2).size(), 12u);
  EXPECT_TRUE(DrawnOffsets(-1).empty());
  EXPECT_TRUE(DrawnOffsets(-7).empty());
}

TEST(DrawCircleTest, RadiusTenWalksItsOctant) {
  const Offsets expected = Mirrored({{0, 10}, {1, 10}, {2, 10}, {3, 10},
                                     {4, 9}, {5, 9}, {6, 8}, {7, 7}});
  EXPECT_EQ(DrawnOffsets(10), expected);
  EXPECT_EQ(expected.size(), 56u);
}

TEST(DrawCircleTest, OutlineReachingPastTheEdgesIsClipped) {
  // Centre near a corner: most of the outline lies outside a 5 x 4 frame.
  FrameBuffer frame(5, 4);
  DrawCircle(frame, 1, 1, 3, kWhite);
  const Offsets full = DrawnOffsets(3);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) {
      const bool on_outline = full.count({x - 1, y - 1}) > 0;
      EXPECT_EQ(testing::PixelAt(frame, x, y) == testing::kWhitePixel,
                on_outline)
          << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace zimbrel
