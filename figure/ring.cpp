// MakeFigure and SetUpFigure.
#include "figure/ring.h"

#include <cmath>
#include <mutex>

#include "figure/circle.h"

namespace zimbrel {
namespace {

void FillFanTable(const Ring& ring, int emitter, long double seed,
                  FanTable& fan) {
  fan[0] = seed;
  const RingPoint& from = ring[emitter];
  for (int m = 1; m < kRingPoints; ++m) {
    const RingPoint& to = ring[(emitter + m) % kRingPoints];
    const long double dx = from.x - to.x;
    const long double dy = from.y - to.y;
    const long double length = std::sqrt(dx * dx + dy * dy);
    fan[m] = DirectionDegrees(to.x, to.y, from.x, from.y, length);
  }
}

void MarkRingPoints(FrameBuffer& frame, const Figure& figure) {
  for (int k = 0; k < kRingPoints; ++k) {
    const RingPoint point = ScreenPosition(figure, k);
    const int row = RoundHalfUp(point.y);
    const int column = RoundHalfUp(point.x);
    const bool emitter =
        k == figure.first_emitter || k == figure.second_emitter;
    StorePixelClipped(frame, column, row, emitter ? kRed : kWhite);
  }
}

}  // namespace

Figure MakeFigure(int width, int height) {
  Figure figure;
  const long double h = height;
  const long double w = width;
  figure.radius = h / 2 - 1;
  figure.centre_x = w / 2;
  figure.centre_y = h / 2;

  const long double step = 360.0L / kRingPoints;
  for (int i = 0; i < kRingPoints; ++i) {
    PointOnCircle(i * step, figure.radius, figure.ring[i]);
  }
  // 209/6 and 133/6 are the ring positions of the angles 220 and 140.
  figure.first_emitter = RoundHalfUp(209.0L / 6);
  figure.second_emitter = RoundHalfUp(133.0L / 6);

  FillFanTable(figure.ring, figure.first_emitter, 270, figure.first_fan);
  FillFanTable(figure.ring, figure.second_emitter, 90, figure.second_fan);
  return figure;
}

std::optional<Figure> SetUpFigure(FrameBuffer& frame, std::stop_token stop) {
  Figure figure = MakeFigure(frame.Width(), frame.Height());
  const Rect whole{0, 0, frame.Width(), frame.Height()};
  if (stop.stop_requested()) return std::nullopt;
  {
    std::lock_guard lock(frame.Mutex());
    MarkRingPoints(frame, figure);
    frame.MarkChanged(whole);
  }
  if (stop.stop_requested()) return std::nullopt;
  {
    std::lock_guard lock(frame.Mutex());
    DrawCircle(frame, RoundHalfUp(figure.centre_x),
               RoundHalfUp(figure.centre_y), RoundHalfUp(figure.radius),
               kWhite);
    frame.MarkChanged(whole);
  }
  return figure;
}

}  // namespace zimbrel
