// The command line of zimbrel-still.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace zimbrel {

inline constexpr int kMaxSide = 32768;

enum class ImageFormat { kPng, kPpm };

struct StillArgs {
  enum class Action { kRender, kHelp, kVersion, kError };
  Action action = Action::kRender;
  int width = 1920;
  int height = 1080;
  std::string output;  // "-" for standard output
  ImageFormat format = ImageFormat::kPng;
  std::string error;   // with kError: what is wrong, in one line
};

// `args` excludes the program name.
StillArgs ParseStillArgs(std::span<const std::string_view> args);

// Parses "WIDTHxHEIGHT": two positive decimal integers of at most kMaxSide.
// Returns false and says why in `error` otherwise.
bool ParseSize(std::string_view text, int& width, int& height,
               std::string& error);

extern const char kStillUsage[];

}  // namespace zimbrel
