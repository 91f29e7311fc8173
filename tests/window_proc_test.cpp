// WindowProc's end of the program, against a window system that only
// records what it is asked: the destroy may come before, during or after the
// figure, twice, and the worker's notice may come after it.
#include "shell/window_proc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "figure/worker.h"
#include "shell/window_system.h"

namespace zimbrel {
namespace window_system {

struct Window {};

namespace {
Window the_window;
int copies = 0;
Rect last_region;
volatile unsigned pixels_read = 0;
int destroyed = 0;
std::vector<MessageType> posted;
std::mutex posted_mutex;
}  // namespace

bool Start(std::string&) { return true; }
void Stop() {}
Size ScreenSize() { return {640, 480}; }
int RefreshIntervalMs() { return 16; }
Window* CreateDisplayWindow(Size, std::string&) { return &the_window; }
void DestroyWindow(Window*) { ++destroyed; }
bool NextMessage(int, Message&) { return false; }
void PostMessage(Window*, MessageType type) {
  std::lock_guard lock(posted_mutex);
  posted.push_back(type);
}
// How many messages of `type` were posted.
long Posted(MessageType type) {
  std::lock_guard lock(posted_mutex);
  return std::count(posted.begin(), posted.end(), type);
}
void CopyToWindow(Window*, const FrameBuffer& frame, Rect region) {
  // Reads the pixels as the real copy does, so a released frame would show.
  unsigned sum = 0;
  for (int y = region.top; y < region.bottom; ++y) sum += frame.Rows()[y][0];
  pixels_read = sum;
  last_region = region;
  ++copies;
}

}  // namespace window_system

namespace {

using window_system::MessageType;

class WindowProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_system::copies = 0;
    window_system::last_region = Rect{};
    window_system::destroyed = 0;
    window_system::posted.clear();
    program.ending = false;
    program.figure_complete = false;
    program.following_worker = true;
    DisplayWindow = &window_system::the_window;
  }

  // Starts the worker as start-up does.
  void StartFigure(int width, int height) {
    program.frame_buffer = std::make_unique<FrameBuffer>(width, height);
    FrameBuffer& frame = *program.frame_buffer;
    program.worker = std::jthread([&frame](std::stop_token stop) {
      FigureWorker(frame, stop, [] {
        program.figure_complete = true;
        window_system::PostMessage(DisplayWindow, MessageType::kFigureDone);
      });
    });
  }

  void ExpectEndedOnce() {
    EXPECT_EQ(program.frame_buffer, nullptr);
    EXPECT_FALSE(program.worker.joinable());
    EXPECT_EQ(window_system::destroyed, 1);
    EXPECT_EQ(window_system::Posted(MessageType::kQuit), 1);
  }
};

TEST_F(WindowProcTest, KeyOrClickAsksForTheDestroyWithoutEndingAtOnce) {
  StartFigure(64, 48);
  WindowProc({MessageType::kKeyDown});
  WindowProc({MessageType::kLeftButtonDown});
  EXPECT_NE(program.frame_buffer, nullptr);
  EXPECT_EQ(window_system::destroyed, 0);
  EXPECT_EQ(window_system::Posted(MessageType::kDestroy), 2);
}

TEST_F(WindowProcTest, DestroyWhileTheWorkerDrawsStopsAndJoinsItFirst) {
  StartFigure(3840, 2160);
  WindowProc({MessageType::kDestroy});
  ExpectEndedOnce();
}

TEST_F(WindowProcTest, SecondDestroyLatePaintAndLateNoticeAreIgnored) {
  StartFigure(640, 480);
  WindowProc({MessageType::kDestroy});
  const int copies = window_system::copies;
  WindowProc({MessageType::kDestroy});
  WindowProc({MessageType::kPaint});
  WindowProc({MessageType::kRefresh});
  WindowProc({MessageType::kFigureDone});
  EXPECT_EQ(window_system::copies, copies);
  ExpectEndedOnce();
}

TEST_F(WindowProcTest, RefreshCopiesWhatChangedAndPaintCopiesEverything) {
  StartFigure(320, 200);
  program.worker.join();
  ASSERT_TRUE(program.figure_complete);
  WindowProc({MessageType::kFigureDone});
  EXPECT_FALSE(program.following_worker);
  EXPECT_EQ(window_system::copies, 1);
  EXPECT_EQ(window_system::last_region, (Rect{0, 0, 320, 200}));
  WindowProc({MessageType::kRefresh});  // nothing new since
  EXPECT_TRUE(window_system::last_region.Empty());
  WindowProc({MessageType::kPaint});  // an expose
  EXPECT_EQ(window_system::last_region, (Rect{0, 0, 320, 200}));
  WindowProc({MessageType::kDestroy});
  ExpectEndedOnce();
}

}  // namespace
}  // namespace zimbrel
