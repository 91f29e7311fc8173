// The figure worker and the cell shading pass in its literal, per-pixel form,
// which is the definition of the figure that the fast pass must reproduce.
#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>

#include "figure/cell_pass.h"
#include "figure/frame_buffer.h"
#include "figure/ring.h"

namespace zimbrel {

// The sector m (0..55) of the first pair of successive entries that holds
// `direction`, lower bound included; 0 when none does.
std::int32_t FindSector(const FanTable& fan, long double direction);

// The parity rule for a pixel seen in direction D1 from the first emitter and
// in the given sectors of both fans: one sector odd paints it, except below
// the chord between the emitters (90 <= D1 <= 180, both bounds included),
// where that chord belongs to both fans and the rule is inverted.
bool PaintsCell(long double direction1, std::int32_t sector1,
                std::int32_t sector2);

// Whether the cell pass paints pixel (x, y): strictly inside the circle, and
// selected by the parity rule.
bool PaintsPixel(const Figure& figure, int x, int y);

// Visits every pixel, column by column from the left, each column from the
// top, and paints the pixels PaintsPixel selects. Returns false when it gave
// up because `stop` was requested (checked before every column).
bool ShadeCellsLiteral(FrameBuffer& frame, const Figure& figure,
                       std::stop_token stop = {});

// The worker: set-up, then the fast pass, then `on_complete` (not called when the
// worker gave up at a stop request).
void FigureWorker(FrameBuffer& frame, std::stop_token stop,
                  const std::function<void()>& on_complete);

}  // namespace zimbrel
