// What the shell needs of the window system, in the program's own terms: the
// screen, the one window, messages, and copying the picture into the window.
#pragma once

#include <string>

#include "figure/frame_buffer.h"

namespace zimbrel::window_system {

struct Size {
  int width = 0;
  int height = 0;
};

enum class MessageType {
  kPaint,           // the window system wants the window redrawn
  kRefresh,         // the display's own copy of the worker's progress
  kFigureDone,      // the worker's completion notice
  kKeyDown,         // a key press that is not a system key
  kLeftButtonDown,  // a press of the left mouse button
  kDestroy,         // end the program
  kQuit,            // the message loop ends
  kOther,           // anything else: default processing
};

struct Message {
  MessageType type = MessageType::kOther;
};

struct Window;

// Connects to the display. Refuses the invisible fallback drivers unless the
// user chose one. Returns false and says why in `error`.
bool Start(std::string& error);
void Stop();

// The size of the primary screen in physical pixels.
Size ScreenSize();
// How often the display shows a new picture, in milliseconds.
int RefreshIntervalMs();

// A borderless window covering the screen, off the taskbar, with the arrow
// cursor; nullptr with the reason in `error` when it cannot be made.
Window* CreateDisplayWindow(Size size, std::string& error);
// The window goes; the window system redraws what it covered.
void DestroyWindow(Window* window);

// Waits for the next message, at most `timeout_ms` (forever when negative).
// Returns false when the time ran out.
bool NextMessage(int timeout_ms, Message& message);
// Queues a message for the main thread; safe from any thread.
void PostMessage(Window* window, MessageType type);

// Copies `region` of the picture into the window at the same place. The
// caller holds the frame's mutex.
void CopyToWindow(Window* window, const FrameBuffer& frame, Rect region);

}  // namespace zimbrel::window_system
