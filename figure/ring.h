// The figure's set-up: the circle derived from the frame's size, the ring of
// 57 points, the two emitters and their fan tables, the marks and the outline.
#pragma once

#include <array>
#include <optional>
#include <stop_token>

#include "figure/frame_buffer.h"
#include "figure/geometry.h"

namespace zimbrel {

inline constexpr int kRingPoints = 57;

using Ring = std::array<RingPoint, kRingPoints>;

// Entry 0 is the seed; entry m (1..56) is the direction, seen from the
// emitter, of ring point (emitter + m) mod 57.
using FanTable = std::array<long double, kRingPoints>;

struct Figure {
  long double radius = 0;    // H/2 - 1, keeping its half on odd heights
  long double centre_x = 0;  // W/2
  long double centre_y = 0;  // H/2
  Ring ring{};
  int first_emitter = 0;
  int second_emitter = 0;
  FanTable first_fan{};
  FanTable second_fan{};
};

// Ring point `point` in screen coordinates (columns, rows), unrounded.
inline RingPoint ScreenPosition(const Figure& figure, int point) {
  return RingPoint{figure.ring[point].x + figure.centre_x,
                   figure.ring[point].y + figure.centre_y};
}

// The circle, the ring, the emitters and both fan tables for a frame of the
// given size; draws nothing.
Figure MakeFigure(int width, int height);

// MakeFigure for the frame, then the marks of the 57 points (the emitters
// red) and the white outline over them. Gives up between steps once `stop`
// is requested, and then returns nothing.
std::optional<Figure> SetUpFigure(FrameBuffer& frame,
                                  std::stop_token stop = {});

}  // namespace zimbrel
