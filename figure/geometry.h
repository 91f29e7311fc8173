// Plane geometry on the screen plane (X right, Y down; angles in degrees,
// clockwise from up), in long double: the figure is defined by the 64-bit
// mantissa arithmetic, and the pixels near a chord depend on its last bits.
#pragma once

#include <cstdint>
#include <numbers>

namespace zimbrel {

inline constexpr long double kPi = std::numbers::pi_v<long double>;

// A point relative to the circle's centre.
struct RingPoint {
  long double x = 0;
  long double y = 0;
};

// Nearest integer with halves going up for x >= 0; the integer part for x < 0.
std::int32_t RoundHalfUp(long double x);

// Writes the point at `angle` degrees on the circle of `radius` around the
// origin into `point`; leaves it untouched unless -180 < angle < 360.
void PointOnCircle(long double angle, long double radius, RingPoint& point);

// The direction, in [0, 360), in which (end_x, end_y) lies seen from
// (start_x, start_y). `length` is the caller's distance between the two,
// the square root of the sum of the squared differences; 0 gives 0.
long double DirectionDegrees(long double end_x, long double end_y,
                             long double start_x, long double start_y,
                             long double length);

}  // namespace zimbrel
