// zimbrel: start-up and the message loop.
#include <chrono>
#include <cstdio>
#include <new>
#include <string>
#include <system_error>

#include "figure/worker.h"
#include "shell/window_proc.h"
#include "shell/window_system.h"

namespace zimbrel {
namespace {

using Clock = std::chrono::steady_clock;

int Fail(const std::string& reason) {
  std::fprintf(stderr, "zimbrel: %s\n", reason.c_str());
  program.frame_buffer.reset();
  window_system::Stop();
  return 1;
}

// While the worker draws, the display copies what changed once per refresh
// of the screen, however busy the queue; after the worker's notice the loop
// sleeps until a message comes.
void RunMessageLoop() {
  using window_system::MessageType;
  const auto refresh =
      std::chrono::milliseconds(window_system::RefreshIntervalMs());
  auto next_copy = Clock::now() + refresh;
  for (;;) {
    int timeout_ms = -1;
    if (program.following_worker) {
      const auto now = Clock::now();
      if (now >= next_copy) {
        const bool complete = program.figure_complete;
        WindowProc({MessageType::kRefresh});
        if (complete) program.following_worker = false;
        next_copy = now + refresh;
        continue;
      }
      timeout_ms = static_cast<int>(
          std::chrono::ceil<std::chrono::milliseconds>(next_copy - now).count());
    }
    window_system::Message message;
    if (!window_system::NextMessage(timeout_ms, message)) continue;
    if (message.type == MessageType::kQuit) return;
    WindowProc(message);
  }
}

int Run() {
  std::string error;
  if (!window_system::Start(error)) return Fail(error);

  const window_system::Size screen = window_system::ScreenSize();
  if (screen.width <= 0 || screen.height <= 0) {
    return Fail("the screen reports no size");
  }
  try {
    program.frame_buffer = std::make_unique<FrameBuffer>(screen.width, screen.height);
  } catch (const std::bad_alloc&) {
    return Fail("not enough memory for a " + std::to_string(screen.width) + "x" +
                std::to_string(screen.height) + " picture");
  }

  DisplayWindow = window_system::CreateDisplayWindow(screen, error);
  if (DisplayWindow == nullptr) return Fail(error);

  program.following_worker = true;
  FrameBuffer& frame = *program.frame_buffer;
  try {
    program.worker = std::jthread([&frame](std::stop_token stop) {
      FigureWorker(frame, stop, [] {
        program.figure_complete = true;
        window_system::PostMessage(DisplayWindow,
                                   window_system::MessageType::kFigureDone);
      });
    });
  } catch (const std::system_error& failure) {
    return Fail(std::string("cannot start the worker: ") + failure.what());
  }

  RunMessageLoop();
  window_system::Stop();
  return 0;
}

}  // namespace
}  // namespace zimbrel

int main() { return zimbrel::Run(); }
