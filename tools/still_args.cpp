// ParseStillArgs: every argument is checked before anything is rendered.
#include "tools/still_args.h"

#include <algorithm>
#include <cctype>

namespace zimbrel {

const char kStillUsage[] =
    "usage: zimbrel-still [--size WIDTHxHEIGHT] OUTPUT\n"
    "Renders the finished Zimbrel figure, as the program shows it on a screen\n"
    "of the given size, to OUTPUT.\n"
    "\n"
    "  OUTPUT               a file ending in .png or .ppm (binary PPM),\n"
    "                       or - for PNG on standard output\n"
    "  --size WIDTHxHEIGHT  the screen size in pixels, each side 1 to 32768\n"
    "                       (default 1920x1080)\n"
    "  --help               show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "Exit status: 0 on success, 1 when OUTPUT cannot be written, 2 for bad\n"
    "arguments.\n";

namespace {

// A positive decimal integer of at most kMaxSide digits' worth; no sign, no
// spaces.
bool ParseSide(std::string_view digits, int& side) {
  if (digits.empty()) return false;
  long long value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > kMaxSide) value = kMaxSide + 1;  // saturate, never overflow
  }
  side = static_cast<int>(value);
  return true;
}

bool EndsWith(std::string_view text, std::string_view ending) {
  if (text.size() < ending.size()) return false;
  return std::equal(ending.rbegin(), ending.rend(), text.rbegin(),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) ==
                             std::tolower(static_cast<unsigned char>(b));
                    });
}

StillArgs Error(std::string message) {
  StillArgs args;
  args.action = StillArgs::Action::kError;
  args.error = std::move(message);
  return args;
}

std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text.substr(0, 64)) {
    quoted += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
  }
  if (text.size() > 64) quoted += "...";
  return quoted + "'";
}

}  // namespace

bool ParseSize(std::string_view text, int& width, int& height,
               std::string& error) {
  const std::size_t cross = text.find('x');
  int w = 0;
  int h = 0;
  if (cross == std::string_view::npos || !ParseSide(text.substr(0, cross), w) ||
      !ParseSide(text.substr(cross + 1), h)) {
    error = "bad size " + Quoted(text) +
            ": expected WIDTHxHEIGHT, two positive integers such as 1920x1080";
    return false;
  }
  if (w == 0 || h == 0) {
    error = "bad size " + Quoted(text) + ": a side of 0 pixels";
    return false;
  }
  if (w > kMaxSide || h > kMaxSide) {
    error = "bad size " + Quoted(text) + ": a side is over 32768 pixels";
    return false;
  }
  width = w;
  height = h;
  return true;
}

StillArgs ParseStillArgs(std::span<const std::string_view> args) {
  StillArgs result;
  bool have_output = false;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg == "--help") {
      result.action = StillArgs::Action::kHelp;
      return result;
    } else if (!options_done && arg == "--version") {
      result.action = StillArgs::Action::kVersion;
      return result;
    } else if (!options_done &&
               (arg == "--size" || arg.starts_with("--size="))) {
      std::string_view size;
      if (arg == "--size") {
        if (i + 1 == args.size()) return Error("--size needs WIDTHxHEIGHT");
        size = args[++i];
      } else {
        size = arg.substr(7);
      }
      std::string error;
      if (!ParseSize(size, result.width, result.height, error)) {
        return Error(error);
      }
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      return Error("unknown option " + Quoted(arg));
    } else if (have_output) {
      return Error("one OUTPUT only, but also got " + Quoted(arg));
    } else {
      result.output = std::string(arg);
      have_output = true;
    }
  }
  if (!have_output) return Error("missing OUTPUT");
  if (result.output == "-" || EndsWith(result.output, ".png")) {
    result.format = ImageFormat::kPng;
  } else if (EndsWith(result.output, ".ppm")) {
    result.format = ImageFormat::kPpm;
  } else {
    return Error("unknown output type " + Quoted(result.output) +
                 ": the name must end in .png or .ppm, or be -");
  }
  return result;
}

}  // namespace zimbrel
