// The one-pixel outline of a circle, Bresenham's integer algorithm with
// eight-way symmetry.
#pragma once

#include "figure/frame_buffer.h"

namespace zimbrel {

// Draws the outline around (centre_column, centre_row); a negative radius
// draws nothing. Pixels that fall outside the frame are skipped. The caller
// holds the frame's mutex and records the change.
void DrawCircle(FrameBuffer& frame, int centre_column, int centre_row,
                int radius, Colour colour);

}  // namespace zimbrel
