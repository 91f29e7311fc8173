// The fast cell pass: the literal pass's picture, pixel for pixel, at the
// cost of a few multiply-adds per column and one store per painted pixel.
#pragma once

#include <cstdint>
#include <stop_token>

#include "figure/frame_buffer.h"
#include "figure/ring.h"

namespace zimbrel {

// What the fast pass had to hand to the literal per-pixel rule.
struct CellPassCounts {
  std::int64_t literal_pixels = 0;   // pixels too close to a chord
  std::int64_t literal_columns = 0;  // columns (almost) through an emitter
};

// Paints exactly the pixels that ShadeCellsLiteral paints. Columns are worked
// out one by one from the left and stored 64 at a time; a stop request is
// honoured between two such bands, and then it returns false.
bool ShadeCells(FrameBuffer& frame, const Figure& figure,
                std::stop_token stop = {}, CellPassCounts* counts = nullptr);

}  // namespace zimbrel
