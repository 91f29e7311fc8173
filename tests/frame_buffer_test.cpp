// FrameBuffer: layout, row table, clear, and the change record.
#include "figure/frame_buffer.h"

#include <gtest/gtest.h>

#include "figure/worker.h"
#include "tests/figure_fixtures.h"

namespace zimbrel {
namespace {

using testing::kBlackPixel;
using testing::kRedPixel;
using testing::PixelAt;

TEST(FrameBufferTest, RowsArePaddedToFourBytes) {
  const struct {
    int width;
    std::size_t stride;
  } cases[] = {{1366, 4100}, {1920, 5760}, {1, 4}, {3, 12}, {5, 16}};
  for (const auto& c : cases) {
    EXPECT_EQ(FrameBuffer(c.width, 2).Stride(), c.stride) << c.width;
  }
}

TEST(FrameBufferTest, RowTableAddressesEveryRowTopFirst) {
  FrameBuffer frame(7, 5);
  ASSERT_EQ(frame.Rows().size(), 5u);
  for (int y = 1; y < 5; ++y) {
    // Rows may lie in any order in memory, but never overlap.
    const auto gap = frame.Rows()[y] - frame.Rows()[y - 1];
    EXPECT_GE(static_cast<std::size_t>(std::abs(gap)), 3u * 7);
  }
}

TEST(FrameBufferTest, StartsBlackAndStoresRedGreenBlueInPlace) {
  FrameBuffer frame(4, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelAt(frame, x, y), kBlackPixel);
  }
  StorePixel(frame.Rows()[2], 3, kRed);
  const std::uint8_t* pixel = frame.Rows()[2] + 9;
  EXPECT_EQ(pixel[0], 0);
  EXPECT_EQ(pixel[1], 0);
  EXPECT_EQ(pixel[2], 255);
  EXPECT_EQ(PixelAt(frame, 3, 2), kRedPixel);
  EXPECT_EQ(PixelAt(frame, 2, 2), kBlackPixel);
}

TEST(FrameBufferTest, ClippedStoresOutsideAreSkipped) {
  FrameBuffer frame(2, 2);
  for (const auto& [x, y] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 2}}) {
    StorePixelClipped(frame, x, y, kWhite);
  }
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) EXPECT_EQ(PixelAt(frame, x, y), kBlackPixel);
  }
}

TEST(FrameBufferTest, PaddingBytesAreNeverWritten) {
  // 1366 pixels take 4098 bytes of a 4100-byte row.
  FrameBuffer frame(1366, 768);
  FigureWorker(frame, {}, [] {});
  for (int y = 0; y < 768; ++y) {
    EXPECT_EQ(frame.Rows()[y][4098], 0) << y;
    EXPECT_EQ(frame.Rows()[y][4099], 0) << y;
  }
}

TEST(FrameBufferTest, ChangedRegionIsClippedUnitedAndTakenOnce) {
  FrameBuffer frame(10, 8);
  std::lock_guard lock(frame.Mutex());
  EXPECT_TRUE(frame.TakeChanged().Empty());
  frame.MarkChanged(Rect{-5, 2, 3, 4});
  frame.MarkChanged(Rect{6, 1, 20, 3});
  frame.MarkChanged(Rect{4, 4, 4, 9});  // empty: adds nothing
  EXPECT_EQ(frame.TakeChanged(), (Rect{0, 1, 10, 4}));
  EXPECT_TRUE(frame.TakeChanged().Empty());
}

TEST(FrameBufferTest, EmptySizesHaveNoRows) {
  EXPECT_TRUE(FrameBuffer(0, 0).Rows().empty());
  EXPECT_TRUE(FrameBuffer(5, 0).Rows().empty());
  EXPECT_EQ(FrameBuffer(0, 3).Rows().size(), 3u);
}

}  // namespace
}  // namespace zimbrel
