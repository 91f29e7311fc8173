// FindSector, the parity rule, the literal cell pass and FigureWorker.
#include "figure/worker.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "figure/geometry.h"

namespace zimbrel {

std::int32_t FindSector(const FanTable& fan, long double direction) {
  for (int m = 0; m + 1 < kRingPoints; ++m) {
    const long double a = fan[m];
    const long double b = fan[m + 1];
    const bool holds = a < b ? (a <= direction && direction < b)
                             : ((a <= direction && direction < 360) ||
                                (0 <= direction && direction < b));
    if (holds) return m;
  }
  return 0;
}

bool PaintsCell(long double direction1, std::int32_t sector1,
                std::int32_t sector2) {
  const bool odd1 = sector1 & 1;
  const bool odd2 = sector2 & 1;
  const bool below_chord = 90 <= direction1 && direction1 <= 180;
  return below_chord ? odd1 == odd2 : odd1 != odd2;
}

namespace {

// The direction in which pixel (column, row) lies seen from ring point
// `emitter`, taken at its exact, unrounded position.
long double DirectionFromEmitter(const Figure& figure, int emitter,
                                 long double column, long double row) {
  const RingPoint from = ScreenPosition(figure, emitter);
  const long double dx = from.x - column;
  const long double dy = from.y - row;
  const long double length = std::sqrt(dx * dx + dy * dy);
  return DirectionDegrees(column, row, from.x, from.y, length);
}

}  // namespace

bool PaintsPixel(const Figure& figure, int x, int y) {
  const long double column = x;
  const long double row = y;
  const long double cx = figure.centre_x - column;
  const long double cy = figure.centre_y - row;
  // A pixel at exactly the radius is outside.
  if (!(std::sqrt(cx * cx + cy * cy) < figure.radius)) return false;

  const long double direction1 =
      DirectionFromEmitter(figure, figure.first_emitter, column, row);
  const long double direction2 =
      DirectionFromEmitter(figure, figure.second_emitter, column, row);
  return PaintsCell(direction1, FindSector(figure.first_fan, direction1),
                    FindSector(figure.second_fan, direction2));
}

bool ShadeCellsLiteral(FrameBuffer& frame, const Figure& figure,
                       std::stop_token stop) {
  const int width = frame.Width();
  const RowTable& rows = frame.Rows();
  for (int x = 0; x < width; ++x) {
    if (stop.stop_requested()) return false;
    std::lock_guard lock(frame.Mutex());
    const int height = frame.Height();
    int first_row = height;
    int last_row = -1;
    for (int y = 0; y < height; ++y) {
      if (!PaintsPixel(figure, x, y)) continue;
      StorePixel(rows[y], x, kWhite);
      first_row = std::min(first_row, y);
      last_row = y;
    }
    frame.MarkChanged(Rect{x, first_row, x + 1, last_row + 1});
  }
  return true;
}

void FigureWorker(FrameBuffer& frame, std::stop_token stop,
                  const std::function<void()>& on_complete) {
  const std::optional<Figure> figure = SetUpFigure(frame, stop);
  if (!figure) return;
  if (!ShadeCells(frame, *figure, stop)) return;
  on_complete();
}

}  // namespace zimbrel
