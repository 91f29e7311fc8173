// The raster behind FrameBuffer and its row table.
#include "figure/frame_buffer.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <new>

namespace zimbrel {

void Rect::Unite(const Rect& other) {
  if (other.Empty()) return;
  if (Empty()) {
    *this = other;
    return;
  }
  left = std::min(left, other.left);
  top = std::min(top, other.top);
  right = std::max(right, other.right);
  bottom = std::max(bottom, other.bottom);
}

FrameBuffer::FrameBuffer(int width, int height)
    : width_(width),
      height_(height),
      stride_((24 * static_cast<std::size_t>(width) + 31) / 32 * 4),
      pixels_(nullptr) {
  assert(width >= 0 && height >= 0 && "a frame buffer has no negative size");
  const std::size_t bytes = stride_ * static_cast<std::size_t>(height);
  if (bytes > 0) {
    // calloc hands out zeroed pages, so the black clear costs nothing up front.
    pixels_ = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
    if (pixels_ == nullptr) throw std::bad_alloc();
  }
  try {
    rows_.resize(static_cast<std::size_t>(height));
  } catch (...) {
    std::free(pixels_);
    throw;
  }
  for (int y = 0; y < height; ++y) {
    rows_[y] = pixels_ + static_cast<std::size_t>(y) * stride_;
  }
}

FrameBuffer::~FrameBuffer() { std::free(pixels_); }

void FrameBuffer::MarkChanged(const Rect& rect) {
  changed_.Unite(Rect{std::max(rect.left, 0), std::max(rect.top, 0),
                      std::min(rect.right, width_),
                      std::min(rect.bottom, height_)});
}

Rect FrameBuffer::TakeChanged() {
  Rect taken = changed_;
  changed_ = Rect{};
  return taken;
}

}  // namespace zimbrel
