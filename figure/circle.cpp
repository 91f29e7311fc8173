// DrawCircle walks one octant; PlotOctants mirrors each point into all eight.
#include "figure/circle.h"

namespace zimbrel {
namespace {

struct CircleInProgress {
  FrameBuffer& frame;
  int centre_column;
  int centre_row;
  Colour colour;
};

void PlotOctants(const CircleInProgress& circle, int x, int y) {
  const int a = circle.centre_column;
  const int b = circle.centre_row;
  FrameBuffer& frame = circle.frame;
  StorePixelClipped(frame, a + x, b + y, circle.colour);
  StorePixelClipped(frame, a + x, b - y, circle.colour);
  StorePixelClipped(frame, a - x, b - y, circle.colour);
  StorePixelClipped(frame, a - x, b + y, circle.colour);
  StorePixelClipped(frame, a + y, b + x, circle.colour);
  StorePixelClipped(frame, a + y, b - x, circle.colour);
  StorePixelClipped(frame, a - y, b - x, circle.colour);
  StorePixelClipped(frame, a - y, b + x, circle.colour);
}

}  // namespace

void DrawCircle(FrameBuffer& frame, int centre_column, int centre_row,
                int radius, Colour colour) {
  const CircleInProgress circle{frame, centre_column, centre_row, colour};
  int x = 0;
  int y = radius;
  int d = 3 - 2 * radius;
  while (y >= x) {
    PlotOctants(circle, x, y);
    if (d < 0) {
      d += 4 * x + 6;
    } else {
      d += 4 * (x - y) + 10;
      --y;
    }
    ++x;
  }
}

}  // namespace zimbrel
