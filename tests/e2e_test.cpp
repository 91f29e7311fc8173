// zimbrel under a real X server of its own (Xvfb): the screen is read back
// and compared with what zimbrel-still renders, and input comes through
// XTEST, as a person at the screen would give it.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>

#include <functional>
#include <memory>

#include "tests/process.h"

// Last: Xlib defines macros such as None and Bool.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace zimbrel {
namespace {

using namespace std::chrono_literals;
using testing::Child;
using testing::ReadFile;
using testing::TempFolder;

bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

// An X server with one screen of the given size, on a display number it
// picks itself.
class XServer {
 public:
  XServer(int width, int height) : width_(width), height_(height) {
    int fds[2];
    if (pipe(fds) != 0) return;
    xvfb_ = std::make_unique<Child>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]),
                                 "-screen", "0",
                                 std::to_string(width) + "x" + std::to_string(height) + "x24",
                                 "-nolisten", "tcp", "-noreset"},
        std::vector<std::string>{}, folder_ / "xvfb.log", fds[1], nullptr,
        /*quiet=*/true);
    close(fds[1]);
    pollfd ready{fds[0], POLLIN, 0};
    std::string number;
    char c = 0;
    while (poll(&ready, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') {
      number += c;
    }
    close(fds[0]);
    if (number.empty()) return;
    name_ = ":" + number;
    display_ = XOpenDisplay(name_.c_str());
    // A window that went away between two requests is no reason to exit.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  ~XServer() {
    if (display_ != nullptr) XCloseDisplay(display_);
    if (xvfb_) {
      xvfb_->Signal(SIGTERM);
      xvfb_->Wait(5s);
    }
  }

  bool ok() const { return display_ != nullptr; }
  Display* display() const { return display_; }
  const std::string& name() const { return name_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // The whole screen as RGB bytes, row after row.
  std::string Rgb() const {
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), 0, 0,
                              width_, height_, AllPlanes, ZPixmap);
    if (image == nullptr) return {};
    std::string rgb;
    rgb.reserve(3 * static_cast<std::size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        const unsigned long pixel = XGetPixel(image, x, y);
        rgb += static_cast<char>((pixel & image->red_mask) >> 16);
        rgb += static_cast<char>((pixel & image->green_mask) >> 8);
        rgb += static_cast<char>(pixel & image->blue_mask);
      }
    }
    XDestroyImage(image);
    return rgb;
  }

  // Whether the program's window is on screen, where a person can see and
  // click it.
  bool ProgramWindowShown() const {
    const Window window = ProgramWindow();
    XWindowAttributes attributes{};
    return window != None && XGetWindowAttributes(display_, window, &attributes) &&
           attributes.map_state == IsViewable;
  }

  // The top-level window of class "Zimbrel", or None.
  Window ProgramWindow() const {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = None;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent,
                    &children, &count)) {
      return None;
    }
    for (unsigned int i = 0; i < count && found == None; ++i) {
      XClassHint hint{};
      if (!XGetClassHint(display_, children[i], &hint)) continue;
      if (hint.res_class != nullptr && std::string(hint.res_class) == "Zimbrel") {
        found = children[i];
      }
      XFree(hint.res_name);
      XFree(hint.res_class);
    }
    XFree(children);
    return found;
  }

  void Key(std::initializer_list<KeySym> held_together) {
    for (const KeySym key : held_together) {
      XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), True, 0);
    }
    for (auto key = std::rbegin(held_together); key != std::rend(held_together); ++key) {
      XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, *key), False, 0);
    }
    XSync(display_, False);
  }
  void Click(unsigned int button) {
    XTestFakeButtonEvent(display_, button, True, 0);
    XTestFakeButtonEvent(display_, button, False, 0);
    XSync(display_, False);
  }
  void Move(int x, int y) {
    XTestFakeMotionEvent(display_, 0, x, y, 0);
    XSync(display_, False);
  }
  // Asks the window to close, as a window manager's close button does.
  void Close(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XSync(display_, False);
  }

 private:
  TempFolder folder_;
  int width_;
  int height_;
  std::unique_ptr<Child> xvfb_;
  std::string name_;
  Display* display_ = nullptr;
};

// What zimbrel-still renders for a screen of this size, as RGB bytes.
std::string StillRgb(int width, int height) {
  TempFolder folder;
  Child still({ZIMBREL_STILL, "--size",
               std::to_string(width) + "x" + std::to_string(height),
               folder / "still.ppm"});
  if (still.Wait(60s) != 0) return {};
  const std::string ppm = ReadFile(folder / "still.ppm");
  const std::string header = "P6\n" + std::to_string(width) + " " +
                             std::to_string(height) + "\n255\n";
  return ppm.substr(0, header.size()) == header ? ppm.substr(header.size()) : "";
}

class Program {
 public:
  explicit Program(const XServer& screen,
                   std::vector<std::string> environment = {},
                   const std::function<void()>& in_child = nullptr)
      : child_({ZIMBREL}, With(std::move(environment), screen), folder_ / "stderr",
               -1, in_child) {}
  Child& child() { return child_; }
  std::string Said() const { return ReadFile(folder_ / "stderr"); }

 private:
  static std::vector<std::string> With(std::vector<std::string> environment,
                                       const XServer& screen) {
    environment.push_back("DISPLAY=" + screen.name());
    environment.push_back("WAYLAND_DISPLAY");
    return environment;
  }

  TempFolder folder_;
  Child child_;
};

// Waits for the program's window to show the finished figure.
void ExpectFigureShown(XServer& screen, Program& program, const std::string& figure) {
  ASSERT_TRUE(WaitUntil([&] { return screen.ProgramWindowShown(); }, 15s))
      << program.Said();
  ASSERT_TRUE(WaitUntil([&] { return screen.Rgb() == figure; }, 15s))
      << "the screen never showed the figure; the program said: " << program.Said();
}

struct ScreenSize {
  int width;
  int height;
  bool end_with_key;
};

void PrintTo(const ScreenSize& size, std::ostream* out) {
  *out << size.width << "x" << size.height;
}

class ProgramOnScreenTest : public ::testing::TestWithParam<ScreenSize> {};

TEST_P(ProgramOnScreenTest, ShowsTheFigureAndEndsOnlyOnAKeyOrALeftClick) {
  const ScreenSize size = GetParam();
  const std::string figure = StillRgb(size.width, size.height);
  ASSERT_FALSE(figure.empty());
  XServer screen(size.width, size.height);
  ASSERT_TRUE(screen.ok()) << "no X server";
  Program program(screen);
  ASSERT_NO_FATAL_FAILURE(ExpectFigureShown(screen, program, figure));

  // One borderless window of class "Zimbrel" covering the screen.
  const Window window = screen.ProgramWindow();
  XWindowAttributes attributes{};
  ASSERT_TRUE(XGetWindowAttributes(screen.display(), window, &attributes));
  int x = -1;
  int y = -1;
  Window child = 0;
  XTranslateCoordinates(screen.display(), window, DefaultRootWindow(screen.display()),
                        0, 0, &x, &y, &child);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(attributes.width, size.width);
  EXPECT_EQ(attributes.height, size.height);

  // Quiet once the figure is done: at most 2% of a core.
  const long before = program.child().CpuTicks();
  std::this_thread::sleep_for(1s);
  EXPECT_LE(program.child().CpuTicks() - before, 2) << "busy while idle";

  // System keys, other buttons, the wheel and motion leave it running.
  screen.Key({XK_F10});
  screen.Key({XK_Alt_L});
  screen.Key({XK_Alt_R});
  screen.Key({XK_Alt_L, XK_x});
  screen.Click(3);
  screen.Click(2);
  screen.Click(4);
  screen.Click(5);
  screen.Move(10, 10);
  screen.Move(size.width / 2, size.height / 3);
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(program.child().Running());
  EXPECT_EQ(screen.Rgb(), figure);

  if (size.end_with_key) {
    screen.Key({XK_Shift_L});  // a modifier alone counts
  } else {
    screen.Click(1);
  }
  EXPECT_EQ(program.child().Wait(10s), 0) << program.Said();
  EXPECT_EQ(program.Said(), "");
  EXPECT_TRUE(WaitUntil([&] { return screen.ProgramWindow() == None; }, 5s));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ProgramOnScreenTest,
    ::testing::Values(ScreenSize{1366, 768, true}, ScreenSize{1280, 1024, false},
                      // Odd and awkward: the outline and marks reach past
                      // the edges and are clipped.
                      ScreenSize{1920, 1081, true}, ScreenSize{1080, 1920, false},
                      ScreenSize{1081, 1081, true}, ScreenSize{64, 65, false}),
    [](const auto& info) {
      return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
    });

// The ends that can race the worker or each other, at once after the window
// shows and once the figure is done: all end with exit code 0.
TEST(ProgramEndTest, EndsCleanlyWhicheverWayAndWheneverItComes) {
  XServer screen(1024, 768);
  ASSERT_TRUE(screen.ok()) << "no X server";
  const std::string figure = StillRgb(1024, 768);
  const struct {
    const char* how;
    std::function<void(XServer&, Child&)> end;
  } ends[] = {
      {"left click", [](XServer& s, Child&) { s.Click(1); }},
      {"key and click together",
       [](XServer& s, Child&) {
         XTestFakeKeyEvent(s.display(), XKeysymToKeycode(s.display(), XK_a), True, 0);
         XTestFakeButtonEvent(s.display(), 1, True, 0);
         XTestFakeKeyEvent(s.display(), XKeysymToKeycode(s.display(), XK_a), False, 0);
         XTestFakeButtonEvent(s.display(), 1, False, 0);
         XSync(s.display(), False);
       }},
      {"SIGTERM", [](XServer&, Child& c) { c.Signal(SIGTERM); }},
      {"SIGINT", [](XServer&, Child& c) { c.Signal(SIGINT); }},
      {"closed by the window system",
       [](XServer& s, Child&) { s.Close(s.ProgramWindow()); }},
  };
  for (const bool after_figure : {false, true}) {
    for (const auto& end : ends) {
      const std::string when = after_figure ? " after the figure" : " at once";
      Program program(screen);
      ASSERT_TRUE(WaitUntil([&] { return screen.ProgramWindowShown(); }, 15s))
          << end.how << when << ": " << program.Said();
      if (after_figure) {
        ASSERT_NO_FATAL_FAILURE(ExpectFigureShown(screen, program, figure));
      }
      end.end(screen, program.child());
      EXPECT_EQ(program.child().Wait(10s), 0) << end.how << when << ": " << program.Said();
      EXPECT_EQ(program.Said(), "") << end.how << when;
      EXPECT_TRUE(WaitUntil([&] { return screen.ProgramWindow() == None; }, 5s));
    }
  }
}

// A screen whose picture does not fit in memory: the frame buffer cannot be
// had, and the program says so instead of crashing.
TEST(ProgramEndTest, PictureTooLargeForMemorySaysSoAndExitsWithOne) {
  XServer screen(32767, 8192);  // a picture of 805 MB
  ASSERT_TRUE(screen.ok()) << "no X server";
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  // The sanitizers reserve address space of their own; their allocator
  // takes the limit instead.
#if defined(__SANITIZE_ADDRESS__)
  const char* name = "ASAN_OPTIONS";
#else
  const char* name = "TSAN_OPTIONS";
#endif
  const char* options = std::getenv(name);
  Program program(screen, {std::string(name) + "=" + (options ? options : "") +
                           ":max_allocation_size_mb=512:allocator_may_return_null=1"});
#else
  Program program(screen, {}, [] {
    const rlimit limit{512u << 20, 512u << 20};
    setrlimit(RLIMIT_AS, &limit);
  });
#endif
  EXPECT_EQ(program.child().Wait(30s), 1);
  EXPECT_NE(program.Said().find("zimbrel: not enough memory for a 32767x8192 picture\n"),
            std::string::npos)
      << program.Said();
  EXPECT_EQ(screen.ProgramWindow(), None);
}

TEST(ProgramEndTest, WithoutADisplayItSaysSoAndExitsWithOne) {
  TempFolder folder;
  const struct {
    std::vector<std::string> environment;
    const char* says;
  } cases[] = {
      {{"DISPLAY", "WAYLAND_DISPLAY"}, "zimbrel: no display found (DISPLAY and WAYLAND_DISPLAY are unset)"},
      {{"DISPLAY=:739", "WAYLAND_DISPLAY"}, "zimbrel: no display found (cannot reach DISPLAY=:739)"},
  };
  for (const auto& c : cases) {
    Child program({ZIMBREL}, c.environment, folder / "stderr");
    EXPECT_EQ(program.Wait(20s), 1);
    const std::string said = ReadFile(folder / "stderr");
    EXPECT_EQ(said.rfind(c.says, 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }
}

}  // namespace
}  // namespace zimbrel
