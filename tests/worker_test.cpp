// The sector search, the parity rule, the finished picture and the worker.
#include "figure/worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "figure/cell_pass.h"
#include "tests/figure_fixtures.h"

namespace zimbrel {
namespace {

using testing::InsideDisc;
using testing::kWhitePixel;
using testing::PixelAt;
using testing::SamePixels;

TEST(FindSectorTest, BoundsOfTheSectors) {
  const Figure figure = MakeFigure(1920, 1080);
  const FanTable& fan = figure.first_fan;
  for (int k = 1; k <= 55; ++k) {
    EXPECT_EQ(FindSector(fan, fan[k]), k) << "lower bound belongs to sector k";
  }
  EXPECT_EQ(FindSector(fan, fan[0]), 0);  // the seed
  EXPECT_EQ(FindSector(fan, fan[56]), 0);  // past the last chord
  EXPECT_EQ(FindSector(fan, fan[56] + 1), 0);
  EXPECT_EQ(FindSector(fan, std::nextafter(fan[56], 0.0L)), 55);
  // Sector 15 runs past 360 and on from 0.
  EXPECT_EQ(FindSector(fan, 359.9L), 15);
  EXPECT_EQ(FindSector(fan, 0), 15);
  EXPECT_EQ(FindSector(fan, 1.5L), 15);
  EXPECT_EQ(FindSector(fan, 300), 0);  // between the seed and entry 1
}

TEST(PaintsCellTest, RuleIsInvertedFrom90To180Inclusive) {
  const struct {
    long double direction1;
    bool same_parity_paints;
  } cases[] = {
      {89.9L, false}, {90, true}, {135, true}, {180, true}, {180.1L, false},
      {0, false},     {270, false},
  };
  for (const auto& c : cases) {
    const long double d = c.direction1;
    EXPECT_EQ(PaintsCell(d, 4, 6), c.same_parity_paints) << double(d);
    EXPECT_EQ(PaintsCell(d, 3, 7), c.same_parity_paints) << double(d);
    EXPECT_EQ(PaintsCell(d, 4, 7), !c.same_parity_paints) << double(d);
    EXPECT_EQ(PaintsCell(d, 3, 0), !c.same_parity_paints) << double(d);
  }
}

// The set-up picture plus the pass, for comparing passes.
struct Rendered {
  Rendered(int width, int height, bool literal) : frame(width, height) {
    figure = *SetUpFigure(frame);
    set_up_only = std::vector<std::uint8_t>(
        frame.Rows()[0], frame.Rows()[0] + frame.Stride() * height);
    if (literal) {
      ShadeCellsLiteral(frame, figure);
    } else {
      ShadeCells(frame, figure, {}, &counts);
    }
  }
  FrameBuffer frame;
  Figure figure;
  std::vector<std::uint8_t> set_up_only;
  CellPassCounts counts;
};

void ExpectFastMatchesLiteral(int width, int height) {
  const Rendered fast(width, height, false);
  const Rendered literal(width, height, true);
  int differing = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (PixelAt(fast.frame, x, y) == PixelAt(literal.frame, x, y)) continue;
      if (++differing <= 3) ADD_FAILURE() << "pixel " << x << "," << y;
    }
  }
  EXPECT_EQ(differing, 0) << width << "x" << height;
}

TEST(ShadeCellsTest, FastPassIsPixelIdenticalToTheLiteralOne) {
  const std::pair<int, int> sizes[] = {
      {1, 1},     {2, 2},      {3, 4},     {7, 5},      {64, 65},
      {65, 64},   {100, 1},    {1, 100},   {1366, 768}, {1920, 1080},
      {1921, 1081}, {1080, 1920}, {1081, 1081}, {640, 480}, {1024, 1023},
  };
  for (const auto& [width, height] : sizes) ExpectFastMatchesLiteral(width, height);
}

TEST(ShadeCellsSlowTest, FastPassMatchesAtLargeAndRandomSizes) {
  ExpectFastMatchesLiteral(3840, 2160);
  ExpectFastMatchesLiteral(2160, 3840);
  std::mt19937 random(20261211);
  std::uniform_int_distribution<int> side(1, 700);
  for (int i = 0; i < 300; ++i) ExpectFastMatchesLiteral(side(random), side(random));
}

TEST(ShadeCellsTest, OnlyPixelsInsideTheDiscArePaintedAndOnlyWhite) {
  for (const auto& [width, height] :
       {std::pair{1366, 768}, {1921, 1081}, {1080, 1920}}) {
    const Rendered done(width, height, false);
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* before = done.set_up_only.data() + y * done.frame.Stride();
      for (int x = 0; x < width; ++x) {
        const testing::Pixel now = PixelAt(done.frame, x, y);
        const testing::Pixel was{before[3 * x], before[3 * x + 1], before[3 * x + 2]};
        if (now == was) continue;
        ASSERT_TRUE(InsideDisc(width, height, x, y)) << x << "," << y;
        ASSERT_EQ(now, kWhitePixel) << x << "," << y;
      }
    }
  }
}

// Distance from (x, y) to the chord of ring points a and b, in pixels.
long double DistanceToChord(const Figure& figure, int a, int b, long double x,
                            long double y) {
  const auto [ax, ay] = ScreenPosition(figure, a);
  const auto [bx, by] = ScreenPosition(figure, b);
  const long double cross = (bx - ax) * (y - ay) - (by - ay) * (x - ax);
  return std::abs(cross) / std::hypot(bx - ax, by - ay);
}

// Across every chord, away from the other chords and the circle, the two
// sides differ: a correct two-colouring of the cells, whatever the rule.
TEST(ShadeCellsTest, CellsSharingAChordDiffer) {
  const int width = 1920;
  const int height = 1080;
  const Rendered done(width, height, false);
  const Figure& figure = done.figure;
  std::vector<std::pair<int, int>> chords;
  for (const int emitter : {figure.first_emitter, figure.second_emitter}) {
    for (int point = 0; point < kRingPoints; ++point) {
      if (point != emitter) chords.push_back({emitter, point});
    }
  }
  const long double kAside = 3;
  int checked = 0;
  for (const auto& [a, b] : chords) {
    const auto [ax, ay] = ScreenPosition(figure, a);
    const auto [bx, by] = ScreenPosition(figure, b);
    const long double length = std::hypot(bx - ax, by - ay);
    const long double nx = -(by - ay) / length;
    const long double ny = (bx - ax) / length;
    for (int step = 1; step < 40; ++step) {
      const long double t = step / 40.0L;
      const long double px = ax + t * (bx - ax);
      const long double py = ay + t * (by - ay);
      const int x1 = static_cast<int>(std::lround(px + kAside * nx));
      const int y1 = static_cast<int>(std::lround(py + kAside * ny));
      const int x2 = static_cast<int>(std::lround(px - kAside * nx));
      const int y2 = static_cast<int>(std::lround(py - kAside * ny));
      // No other chord comes near enough to pass between the two pixels.
      bool clear = true;
      for (const auto& [c, d] : chords) {
        // The chord between the emitters belongs to both fans.
        if ((c == a && d == b) || (c == b && d == a)) continue;
        if (DistanceToChord(figure, c, d, px, py) < kAside + 1.5L) clear = false;
      }
      for (const auto& [x, y] : {std::pair{x1, y1}, {x2, y2}}) {
        const long double from_centre =
            std::hypot(x - figure.centre_x, y - figure.centre_y);
        if (from_centre > figure.radius - 2) clear = false;
      }
      if (!clear) continue;
      ++checked;
      EXPECT_NE(PixelAt(done.frame, x1, y1), PixelAt(done.frame, x2, y2))
          << "chord " << a << "-" << b << " at " << x1 << "," << y1;
    }
  }
  EXPECT_GT(checked, 1000);
}

TEST(ShadeCellsTest, FallsBackToTheLiteralRuleOnlyRarely) {
  const Rendered done(1920, 1080, false);
  EXPECT_LT(done.counts.literal_pixels, 200);
  EXPECT_LE(done.counts.literal_columns, 2);
}

TEST(ShadeCellsTest, StopRequestedPaintsNothing) {
  FrameBuffer frame(200, 150);
  const Figure figure = *SetUpFigure(frame);
  const std::vector<std::uint8_t> before(frame.Rows()[0],
                                         frame.Rows()[0] + frame.Stride() * 150);
  std::stop_source stop;
  stop.request_stop();
  EXPECT_FALSE(ShadeCells(frame, figure, stop.get_token()));
  EXPECT_FALSE(ShadeCellsLiteral(frame, figure, stop.get_token()));
  EXPECT_TRUE(std::equal(before.begin(), before.end(), frame.Rows()[0]));
}

TEST(FigureWorkerTest, NotifiesOnceWhenDoneAndNeverWhenStopped) {
  for (const auto& [width, height] : {std::pair{0, 0}, {1, 1}, {0, 5}, {90, 60}}) {
    FrameBuffer frame(width, height);
    int notices = 0;
    FigureWorker(frame, {}, [&] { ++notices; });
    EXPECT_EQ(notices, 1) << width << "x" << height;
  }
  FrameBuffer frame(90, 60);
  std::stop_source stop;
  stop.request_stop();
  int notices = 0;
  FigureWorker(frame, stop.get_token(), [&] { ++notices; });
  EXPECT_EQ(notices, 0);
}

// A reader copies what changed while the worker draws, as the display does;
// at the end its copy is the finished picture. Run under ThreadSanitizer to
// show the sharing is race-free.
TEST(FigureWorkerTest, ReaderCopyingWhileTheWorkerDrawsSeesTheFinishedPicture) {
  const int width = 640;
  const int height = 480;
  FrameBuffer frame(width, height);
  FrameBuffer copy(width, height);
  std::atomic<bool> done = false;
  int copies = 0;
  std::thread reader([&] {
    for (bool last = false; !last;) {
      last = done.load();
      std::lock_guard lock(frame.Mutex());
      const Rect changed = frame.TakeChanged();
      for (int y = changed.top; y < changed.bottom; ++y) {
        std::memcpy(copy.Rows()[y] + 3 * changed.left,
                    frame.Rows()[y] + 3 * changed.left,
                    3 * static_cast<std::size_t>(changed.right - changed.left));
      }
      ++copies;
    }
  });
  std::jthread worker([&](std::stop_token stop) {
    FigureWorker(frame, stop, [&] { done = true; });
  });
  worker.join();
  reader.join();
  EXPECT_GT(copies, 0);
  FrameBuffer expected(width, height);
  FigureWorker(expected, {}, [] {});
  EXPECT_TRUE(SamePixels(copy, expected));
}

}  // namespace
}  // namespace zimbrel
