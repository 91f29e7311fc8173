// zimbrel-still: the finished figure for a screen of any size, to a file.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <new>
#include <string_view>
#include <vector>

#include "figure/frame_buffer.h"
#include "figure/worker.h"
#include "tools/image_file.h"
#include "tools/still_args.h"

int main(int argc, char** argv) {
  using zimbrel::StillArgs;
  const std::vector<std::string_view> words(argv + 1, argv + argc);
  const StillArgs args = zimbrel::ParseStillArgs(words);
  switch (args.action) {
    case StillArgs::Action::kHelp:
      std::fputs(zimbrel::kStillUsage, stdout);
      return 0;
    case StillArgs::Action::kVersion:
      std::printf("zimbrel-still %s\n", ZIMBREL_VERSION);
      return 0;
    case StillArgs::Action::kError:
      std::fprintf(stderr, "zimbrel-still: %s (try --help)\n",
                   args.error.c_str());
      return 2;
    case StillArgs::Action::kRender:
      break;
  }
  if (args.output == "-" && isatty(STDOUT_FILENO)) {
    std::fprintf(stderr,
                 "zimbrel-still: standard output is a terminal; redirect it "
                 "to a file or a pipe for the PNG\n");
    return 2;
  }

  try {
    zimbrel::FrameBuffer frame(args.width, args.height);
    zimbrel::FigureWorker(frame, {}, [] {});
    const std::string reason =
        zimbrel::WriteImageFile(frame, args.format, args.output);
    if (!reason.empty()) {
      std::fprintf(stderr, "zimbrel-still: cannot write %s: %s\n",
                   args.output == "-" ? "standard output" : args.output.c_str(),
                   reason.c_str());
      return 1;
    }
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr,
                 "zimbrel-still: not enough memory for a %dx%d picture\n",
                 args.width, args.height);
    return 1;
  }
  return 0;
}
