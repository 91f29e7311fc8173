// The window system layer over SDL2; the only file that includes SDL.
#include "shell/window_system.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace zimbrel::window_system {

struct Window {
  SDL_Window* sdl_window = nullptr;
};

namespace {

struct SdlState {
  bool started = false;
  Uint32 first_event = 0;  // our own messages: done, destroy, quit
  SDL_Cursor* cursor = nullptr;
  Window window;
};

SdlState sdl;

enum OwnEvent : Uint32 { kDoneEvent, kDestroyEvent, kQuitEvent, kOwnEvents };

std::string NoDisplayReason() {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool has_display = display != nullptr && *display != '\0';
  const bool has_wayland = wayland != nullptr && *wayland != '\0';
  if (!has_display && !has_wayland) {
    return "no display found (DISPLAY and WAYLAND_DISPLAY are unset)";
  }
  std::string reason = "no display found (cannot reach";
  if (has_display) reason += std::string(" DISPLAY=") + display;
  if (has_wayland) reason += std::string(" WAYLAND_DISPLAY=") + wayland;
  return reason + ")";
}

// A Wayland display needs its socket: an absolute WAYLAND_DISPLAY, or one in
// XDG_RUNTIME_DIR.
bool WaylandReachable() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return (wayland != nullptr && wayland[0] == '/') ||
         (runtime != nullptr && runtime[0] != '\0');
}

// The key presses that are the window system's own: F10 and Alt, alone or
// with another key. They do not end the program.
bool IsSystemKey(const SDL_Keysym& key) {
  return key.sym == SDLK_F10 || key.sym == SDLK_LALT || key.sym == SDLK_RALT ||
         key.sym == SDLK_MODE || (key.mod & KMOD_ALT) != 0;
}

MessageType Translate(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
      return IsSystemKey(event.key.keysym) ? MessageType::kOther
                                           : MessageType::kKeyDown;
    case SDL_MOUSEBUTTONDOWN:
      return event.button.button == SDL_BUTTON_LEFT
                 ? MessageType::kLeftButtonDown
                 : MessageType::kOther;
    case SDL_QUIT:  // closed by the window manager, or SIGINT or SIGTERM
      return MessageType::kDestroy;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          return MessageType::kDestroy;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          return MessageType::kPaint;
        default:
          return MessageType::kOther;
      }
    default:
      break;
  }
  if (event.type >= sdl.first_event && event.type < sdl.first_event + kOwnEvents) {
    switch (event.type - sdl.first_event) {
      case kDoneEvent:
        return MessageType::kFigureDone;
      case kDestroyEvent:
        return MessageType::kDestroy;
      default:
        return MessageType::kQuit;
    }
  }
  return MessageType::kOther;
}

bool IsInvisibleDriver(const char* driver) {
  return driver != nullptr &&
         (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

}  // namespace

bool Start(std::string& error) {
  // Names the window class on X11 and the app id on Wayland.
  setenv("SDL_VIDEO_X11_WMCLASS", "Zimbrel", 1);
  setenv("SDL_VIDEO_WAYLAND_WMCLASS", "Zimbrel", 1);
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // Every left click counts, also the one that gives the window focus.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  const char* chosen = std::getenv("SDL_VIDEODRIVER");
  if (chosen == nullptr && !WaylandReachable()) {
    // Keeps the Wayland client library from printing its own complaint.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    error = NoDisplayReason() + ": " + SDL_GetError();
    return false;
  }
  sdl.started = true;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (IsInvisibleDriver(driver) &&
      (chosen == nullptr || std::strstr(chosen, driver) == nullptr)) {
    error = NoDisplayReason();
    Stop();
    return false;
  }
  if (driver != nullptr && std::strcmp(driver, "x11") == 0) {
    // The plain window surface goes through shared memory on X11 and
    // updates a rectangle in well under a millisecond; on Wayland the hint
    // would make the surface fail.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  sdl.first_event = SDL_RegisterEvents(kOwnEvents);
  if (sdl.first_event == static_cast<Uint32>(-1)) {
    error = std::string("cannot register messages: ") + SDL_GetError();
    Stop();
    return false;
  }
  return true;
}

void Stop() {
  if (!sdl.started) return;
  if (sdl.cursor != nullptr) SDL_FreeCursor(sdl.cursor);
  sdl.cursor = nullptr;
  SDL_Quit();
  sdl.started = false;
}

Size ScreenSize() {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return {};
  return {mode.w, mode.h};
}

int RefreshIntervalMs() {
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.refresh_rate <= 0) {
    return 16;
  }
  return std::max(1, 1000 / mode.refresh_rate);
}

Window* CreateDisplayWindow(Size size, std::string& error) {
  const Uint32 flags = SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS |
                       SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALLOW_HIGHDPI;
  SDL_Window* window =
      SDL_CreateWindow("", 0, 0, size.width, size.height, flags);
  if (window == nullptr) {
    error = std::string("cannot create the window: ") + SDL_GetError();
    return nullptr;
  }
  // SDL's default cursor on X11 is none at all.
  sdl.cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
  if (sdl.cursor != nullptr) SDL_SetCursor(sdl.cursor);
  SDL_StopTextInput();  // key presses only; no input method
  sdl.window.sdl_window = window;
  return &sdl.window;
}

void DestroyWindow(Window* window) {
  if (window == nullptr || window->sdl_window == nullptr) return;
  SDL_DestroyWindow(window->sdl_window);
  window->sdl_window = nullptr;
}

bool NextMessage(int timeout_ms, Message& message) {
  SDL_Event event;
  const int got = timeout_ms < 0 ? SDL_WaitEvent(&event)
                                 : SDL_WaitEventTimeout(&event, timeout_ms);
  if (got == 0) return false;
  message.type = Translate(event);
  return true;
}

void PostMessage(Window*, MessageType type) {
  SDL_Event event{};
  switch (type) {
    case MessageType::kFigureDone:
      event.type = sdl.first_event + kDoneEvent;
      break;
    case MessageType::kDestroy:
      event.type = sdl.first_event + kDestroyEvent;
      break;
    case MessageType::kQuit:
      event.type = sdl.first_event + kQuitEvent;
      break;
    default:
      return;
  }
  SDL_PushEvent(&event);
}

void CopyToWindow(Window* window, const FrameBuffer& frame, Rect region) {
  if (window == nullptr || window->sdl_window == nullptr) return;
  // Fetched at every copy: SDL hands back the same surface until a window
  // event has invalidated it, and a new one after.
  SDL_Surface* surface = SDL_GetWindowSurface(window->sdl_window);
  if (surface == nullptr) return;
  region.right = std::min(region.right, surface->w);
  region.bottom = std::min(region.bottom, surface->h);
  if (region.Empty()) return;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
  const int bytes_per_pixel = surface->format->BytesPerPixel;
  for (int y = region.top; y < region.bottom; ++y) {
    const std::uint8_t* from = frame.Rows()[y] + 3 * region.left;
    auto* to = static_cast<std::uint8_t*>(surface->pixels) +
               static_cast<std::ptrdiff_t>(y) * surface->pitch +
               region.left * bytes_per_pixel;
    SDL_ConvertPixels(region.right - region.left, 1, SDL_PIXELFORMAT_BGR24,
                      from, 3 * (region.right - region.left),
                      surface->format->format, to, surface->pitch);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  const SDL_Rect rect{region.left, region.top, region.right - region.left,
                      region.bottom - region.top};
  SDL_UpdateWindowSurfaceRects(window->sdl_window, &rect, 1);
}

}  // namespace zimbrel::window_system
