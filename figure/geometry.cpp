// RoundHalfUp, PointOnCircle and DirectionDegrees, each operation in the
// order that defines the figure's last bits ("multiplication first").
#include "figure/geometry.h"

#include <cmath>

namespace zimbrel {

std::int32_t RoundHalfUp(long double x) {
  const long double whole = std::trunc(x);
  const long double fraction = x - whole;  // exact, with the sign of x
  const auto digit = static_cast<std::int64_t>(std::trunc(fraction * 10));
  const auto result = static_cast<std::int32_t>(whole);
  return digit >= 5 ? result + 1 : result;
}

void PointOnCircle(long double angle, long double radius, RingPoint& point) {
  // Reducing by 180 keeps the argument of sin and cos inside (-pi, pi).
  const long double half_turns = std::trunc(angle / 180);
  if (half_turns == 0) {
    const long double t = (kPi * angle) / 180;
    point.x = radius * std::sin(t);
    point.y = radius * (-std::cos(t));
  } else if (half_turns == 1) {
    const long double t = (kPi * (angle - 180)) / 180;
    point.x = radius * (-std::sin(t));
    point.y = radius * std::cos(t);
  }
}

long double DirectionDegrees(long double end_x, long double end_y,
                             long double start_x, long double start_y,
                             long double length) {
  if (length == 0) return 0;
  const long double dx = end_x - start_x;
  const long double dy = end_y - start_y;
  const long double s = (std::asin(dx / length) * 180) / kPi;
  if (dy >= 0) return 180 - s;
  return dx >= 0 ? s : s + 360;
}

}  // namespace zimbrel
