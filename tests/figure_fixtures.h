// Helpers the figure suites share: reading pixels back, and the picture a
// frame holds after set-up alone.
#pragma once

#include <cstdint>
#include <cstring>

#include "figure/frame_buffer.h"
#include "figure/ring.h"

namespace zimbrel::testing {

struct Pixel {
  std::uint8_t blue;
  std::uint8_t green;
  std::uint8_t red;
  friend bool operator==(const Pixel&, const Pixel&) = default;
};

inline constexpr Pixel kBlackPixel{0, 0, 0};
inline constexpr Pixel kWhitePixel{255, 255, 255};
inline constexpr Pixel kRedPixel{0, 0, 255};

inline Pixel PixelAt(const FrameBuffer& frame, int x, int y) {
  const std::uint8_t* p = frame.Rows()[y] + 3 * x;
  return Pixel{p[0], p[1], p[2]};
}

// Whether (x, y) is strictly inside the figure's circle, in exact integers:
// the distance test compares quarter-integers.
inline bool InsideDisc(int width, int height, int x, int y) {
  const long long across = 2LL * x - width;
  const long long down = 2LL * y - height;
  const long long diameter = height - 2LL;
  return diameter > 0 && across * across + down * down < diameter * diameter;
}

inline bool SamePixels(const FrameBuffer& a, const FrameBuffer& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    if (std::memcmp(a.Rows()[y], b.Rows()[y], 3 * a.Width()) != 0) return false;
  }
  return true;
}

}  // namespace zimbrel::testing
