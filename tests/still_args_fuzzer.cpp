// libFuzzer target: the argument parser of zimbrel-still on arbitrary words.
// Whatever it is given, it answers with sizes in range and an output it
// knows how to write, or with a one-line reason.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tools/still_args.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Words are separated by NUL bytes, as in an argument vector.
  std::vector<std::string> words(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      words.emplace_back();
    } else {
      words.back() += static_cast<char>(data[i]);
    }
  }
  const std::vector<std::string_view> args(words.begin(), words.end());
  const zimbrel::StillArgs parsed = zimbrel::ParseStillArgs(args);

  using Action = zimbrel::StillArgs::Action;
  switch (parsed.action) {
    case Action::kRender:
      if (parsed.width < 1 || parsed.width > zimbrel::kMaxSide ||
          parsed.height < 1 || parsed.height > zimbrel::kMaxSide ||
          parsed.output.empty()) {
        std::abort();
      }
      break;
    case Action::kError:
      if (parsed.error.empty() || parsed.error.find('\n') != std::string::npos) {
        std::abort();
      }
      break;
    case Action::kHelp:
    case Action::kVersion:
      break;
  }
  return 0;
}
