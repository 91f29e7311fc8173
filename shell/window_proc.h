// The program-wide values of the shell and the window procedure that acts on
// every message.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "figure/frame_buffer.h"
#include "shell/window_system.h"

namespace zimbrel {

// Set once by start-up. The frame buffer is declared before the worker, so
// on any way out the worker is joined before the frame buffer goes.
struct Program {
  std::unique_ptr<FrameBuffer> frame_buffer;
  std::jthread worker;
  // Set by the worker just before its completion notice, so the display
  // learns of the end even if the notice were lost.
  std::atomic<bool> figure_complete = false;
  // The display follows the worker until its notice; then it only repaints
  // when the window system asks.
  bool following_worker = false;
  bool ending = false;
};

extern Program program;
extern window_system::Window* DisplayWindow;

void WindowProc(const window_system::Message& message);

}  // namespace zimbrel
