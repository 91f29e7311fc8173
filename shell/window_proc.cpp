// WindowProc: paints, ends the program on a key press or left click, and
// takes it down in an order that never lets the worker or a paint touch a
// released frame buffer.
#include "shell/window_proc.h"

#include <mutex>

namespace zimbrel {

Program program;
window_system::Window* DisplayWindow = nullptr;

namespace {

using window_system::MessageType;

// Copies what changed since the last copy, or the whole picture.
void Paint(bool whole) {
  FrameBuffer* frame = program.frame_buffer.get();
  if (frame == nullptr) return;  // released: nothing more is shown
  std::lock_guard lock(frame->Mutex());
  Rect region = frame->TakeChanged();
  if (whole) region = Rect{0, 0, frame->Width(), frame->Height()};
  window_system::CopyToWindow(DisplayWindow, *frame, region);
}

void Destroy() {
  if (program.ending) return;  // a second key or click, or the close after
  program.ending = true;
  program.following_worker = false;
  // The worker stops between two bands of columns; only then may the
  // frame buffer go.
  program.worker.request_stop();
  if (program.worker.joinable()) program.worker.join();
  program.frame_buffer.reset();
  window_system::DestroyWindow(DisplayWindow);
  window_system::PostMessage(DisplayWindow, MessageType::kQuit);
}

}  // namespace

void WindowProc(const window_system::Message& message) {
  switch (message.type) {
    case MessageType::kPaint:
      Paint(/*whole=*/true);
      break;
    case MessageType::kRefresh:
      Paint(/*whole=*/false);
      break;
    case MessageType::kFigureDone:
      if (program.ending) break;  // a late notice
      Paint(/*whole=*/false);
      program.following_worker = false;
      break;
    case MessageType::kKeyDown:
    case MessageType::kLeftButtonDown:
      window_system::PostMessage(DisplayWindow, MessageType::kDestroy);
      break;
    case MessageType::kDestroy:
      Destroy();
      break;
    case MessageType::kQuit:
    case MessageType::kOther:
      break;
  }
}

}  // namespace zimbrel
