// The picture: a 24-bit raster (blue, green, red bytes) addressed row by row
// through its row table, shared between the worker that draws it and the
// display that copies it.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace zimbrel {

struct Colour {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kRed{255, 0, 0};

// A half-open pixel rectangle: columns [left, right), rows [top, bottom).
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool Empty() const { return left >= right || top >= bottom; }
  void Unite(const Rect& other);
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Entry y is the address of the first byte of picture row y, row 0 at the top.
using RowTable = std::vector<std::uint8_t*>;

// Writers and the reader share the pixels under Mutex(): a writer holds it
// while it stores a batch of pixels (a column, the marks, the outline) and
// records the batch with MarkChanged; the reader holds it while it copies and
// learns from TakeChanged what is new since its last copy.
class FrameBuffer {
 public:
  // A black picture of the given size; throws std::bad_alloc when the raster
  // cannot be had.
  FrameBuffer(int width, int height);
  ~FrameBuffer();
  FrameBuffer(const FrameBuffer&) = delete;
  FrameBuffer& operator=(const FrameBuffer&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Bytes from one row's start to the next; rows are padded to 4 bytes.
  std::size_t Stride() const { return stride_; }
  const RowTable& Rows() const { return rows_; }
  bool Contains(int x, int y) const {
    return x >= 0 && x < width_ && y >= 0 && y < height_;
  }

  std::mutex& Mutex() const { return mutex_; }
  // Both need Mutex() held.
  void MarkChanged(const Rect& rect);
  Rect TakeChanged();

 private:
  int width_;
  int height_;
  std::size_t stride_;
  std::uint8_t* pixels_;
  RowTable rows_;
  mutable std::mutex mutex_;
  Rect changed_;
};

// A pixel is stored whole, red byte first, then green, then blue.
inline void StorePixel(std::uint8_t* row, int x, Colour colour) {
  std::uint8_t* pixel = row + 3 * static_cast<std::ptrdiff_t>(x);
  pixel[2] = colour.red;
  pixel[1] = colour.green;
  pixel[0] = colour.blue;
}

// For the marks and the outline, which can reach past the edges of a frame
// that is narrower than it is tall or of odd height: such pixels are skipped.
inline void StorePixelClipped(FrameBuffer& frame, int x, int y, Colour colour) {
  if (frame.Contains(x, y)) StorePixel(frame.Rows()[y], x, colour);
}

}  // namespace zimbrel
