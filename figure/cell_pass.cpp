// The fast cell pass.
//
// The literal rule looks at a pixel only through its directions D1 and D2
// from the two emitters, and only through where each falls among a fan's
// critical directions: its table entries and 0, 90, 180, 270. Between two
// neighbouring critical directions (a wedge) the sector index and the
// parity rule are constant, so the colour of every pair of wedges is
// tabulated once, from the literal functions themselves.
//
// Down a column the direction from an emitter sweeps monotonically (0 to 180
// right of it, 360 down to 180 left of it), so each critical ray crosses the
// column at most once, at a row that costs one multiply-add, and the colour
// is constant between crossings.
//
// Margin: a pixel that lies at least kMargin rows from every crossing is
// classified by its wedges. The literal direction is off by at most a few
// units in the last place of 360 (about 5e-19 radians); a pixel kMargin rows
// off a ray is at least kMargin * |sin| / L radians off it, where |sin| >=
// 0.027 for every ray that crosses a column (the steepest chords) and L, the
// distance to the emitter, is below 1e5: about 3e-11 radians, far above both
// that error and the error of the double-precision crossing rows (below 1e-9
// rows). Near the horizontal rays (90, 270), where the arcsine loses half
// its digits, the literal error stays below 1e-11 radians for pixels kMargin
// off. Pixels inside a margin go through the literal rule, as do the columns
// within kMargin of an emitter, where every crossing meets at the emitter.
//
// The inside test needs no margin: d < R compares quarter-integers, so it
// is done exactly in integers.
#include "figure/cell_pass.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <array>
#include <cmath>
#include <limits>
#include <mutex>
#include <vector>

#include "figure/worker.h"

namespace zimbrel {
namespace {

constexpr double kMargin = 1e-4;
constexpr double kNever = std::numeric_limits<double>::infinity();
constexpr int kMaxCritical = kRingPoints + 4;
constexpr int kBandColumns = 64;

// One fan's wedges, in ascending order of their lower bound (a critical
// direction); the last wedge ends at 360.
struct FanWedges {
  long double emitter_x = 0;
  long double emitter_y = 0;
  int count = 0;
  // Crossing row = emitter_y + (column - emitter_x) * slope.
  std::array<double, kMaxCritical> slope{};
  std::array<std::int32_t, kMaxCritical> sector{};
  std::array<long double, kMaxCritical> middle{};
  int index_of_180 = 0;
};

FanWedges MakeFanWedges(const Figure& figure, const FanTable& fan,
                        int emitter) {
  FanWedges wedges;
  const RingPoint position = ScreenPosition(figure, emitter);
  wedges.emitter_x = position.x;
  wedges.emitter_y = position.y;

  std::vector<long double> critical(fan.begin(), fan.end());
  critical.insert(critical.end(), {0.0L, 90.0L, 180.0L, 270.0L});
  std::sort(critical.begin(), critical.end());
  critical.erase(std::unique(critical.begin(), critical.end()),
                 critical.end());
  wedges.count = static_cast<int>(critical.size());

  for (int k = 0; k < wedges.count; ++k) {
    const long double low = critical[k];
    const long double high = k + 1 < wedges.count ? critical[k + 1] : 360;
    const long double middle = (low + high) / 2;
    wedges.sector[k] = FindSector(fan, middle);
    wedges.middle[k] = middle;
    const long double radians = kPi * low / 180;
    wedges.slope[k] = static_cast<double>(-std::cos(radians) / std::sin(radians));
    if (low == 180) wedges.index_of_180 = k;
  }
  return wedges;
}

// Walks the crossings of one fan's rays with one column, top to bottom.
class FanCursor {
 public:
  FanCursor(const FanWedges& wedges, double dx)
      : wedges_(wedges),
        emitter_y_(static_cast<double>(wedges.emitter_y)),
        dx_(dx) {
    if (dx > 0) {
      // From 0 (up) to 180 (down): the rays between, ascending.
      step_ = 1;
      next_ = 1;
      end_ = wedges.index_of_180;
      wedge_ = 0;
    } else {
      // From 360 (up) to 180 (down), by way of 270: descending.
      step_ = -1;
      next_ = wedges.count - 1;
      end_ = wedges.index_of_180;
      wedge_ = wedges.count - 1;
    }
    Aim();
  }

  int wedge() const { return wedge_; }
  double next_row() const { return next_row_; }

  void Cross() {
    wedge_ = step_ > 0 ? next_ : next_ - 1;
    next_ += step_;
    Aim();
  }

 private:
  void Aim() {
    if (next_ == end_) {
      next_row_ = kNever;
      return;
    }
    // Rays this close in direction can come out a hair out of order; keep
    // the rows monotonic, which moves them far less than the margin.
    next_row_ = std::max(next_row_, emitter_y_ + dx_ * wedges_.slope[next_]);
  }

  const FanWedges& wedges_;
  double emitter_y_;
  double dx_;
  int step_ = 1;
  int next_ = 0;
  int end_ = 0;
  int wedge_ = 0;
  double next_row_ = -kNever;
};

// Rows y of column x with (2x - 2cx)^2 + (2y - 2cy)^2 < (2r)^2, all in
// integers; empty when last < first.
struct RowSpan {
  int first;
  int last;
};

RowSpan InsideRows(std::int64_t two_cx, std::int64_t two_cy, std::int64_t two_r,
                   int x, int height) {
  if (two_r <= 0) return {0, -1};
  const std::int64_t across = 2 * static_cast<std::int64_t>(x) - two_cx;
  const std::int64_t room = two_r * two_r - across * across;
  if (room <= 0) return {0, -1};
  // The largest t with t * t < room.
  auto t = static_cast<std::int64_t>(std::sqrt(static_cast<double>(room)));
  while (t * t >= room) --t;
  while ((t + 1) * (t + 1) < room) ++t;
  // |2y - 2cy| <= t.
  const std::int64_t first = (two_cy - t + 1) >> 1;  // ceil((2cy - t) / 2)
  const std::int64_t last = (two_cy + t) >> 1;       // floor((2cy + t) / 2)
  return {static_cast<int>(std::max<std::int64_t>(first, 0)),
          static_cast<int>(std::min<std::int64_t>(last, height - 1))};
}

struct PaintTable {
  // paint[w1][w2]: the colour of the cell part where D1 is in wedge w1 of
  // the first fan and D2 in wedge w2 of the second.
  std::array<std::array<bool, kMaxCritical>, kMaxCritical> paint{};
};

PaintTable MakePaintTable(const FanWedges& first, const FanWedges& second) {
  PaintTable table;
  for (int w1 = 0; w1 < first.count; ++w1) {
    for (int w2 = 0; w2 < second.count; ++w2) {
      table.paint[w1][w2] =
          PaintsCell(first.middle[w1], first.sector[w1], second.sector[w2]);
    }
  }
  return table;
}

inline void Paint(std::uint64_t* toggles, int first_row, int last_row,
                  std::uint64_t bit) {
  toggles[first_row] ^= bit;
  toggles[last_row + 1] ^= bit;
}

// Classifies column x into `toggles`: bit (x - band_left) flips at the first
// row of every painted run and at the row after its last, so that the XOR
// of toggles[top..y] has the bit set where pixel (x, y) is painted. Runs cost
// two flips, whatever their length.
void ClassifyColumn(const Figure& figure, const FanWedges& first,
                    const FanWedges& second, const PaintTable& table,
                    const RowSpan& inside, int x, int band_left,
                    std::uint64_t* toggles, CellPassCounts& tally) {
  const std::uint64_t bit = std::uint64_t{1} << (x - band_left);
  const double dx1 = static_cast<double>(x - first.emitter_x);
  const double dx2 = static_cast<double>(x - second.emitter_x);
  if (std::abs(dx1) < kMargin || std::abs(dx2) < kMargin) {
    ++tally.literal_columns;
    for (int y = inside.first; y <= inside.last; ++y) {
      if (PaintsPixel(figure, x, y)) Paint(toggles, y, y, bit);
    }
    return;
  }

  FanCursor cursor1(first, dx1);
  FanCursor cursor2(second, dx2);
  int y = inside.first;
  while (y <= inside.last) {
    const double row = y;
    while (cursor1.next_row() <= row - kMargin) cursor1.Cross();
    while (cursor2.next_row() <= row - kMargin) cursor2.Cross();
    const double next = std::min(cursor1.next_row(), cursor2.next_row());
    if (next <= row + kMargin) {
      ++tally.literal_pixels;
      if (PaintsPixel(figure, x, y)) Paint(toggles, y, y, bit);
      ++y;
      continue;
    }
    // Every row below `next - kMargin` is in the same pair of wedges.
    const double limit = next - kMargin;
    const int run_last =
        limit > inside.last ? inside.last
                            : static_cast<int>(std::ceil(limit)) - 1;
    if (table.paint[cursor1.wedge()][cursor2.wedge()]) {
      Paint(toggles, y, run_last, bit);
    }
    y = run_last + 1;
  }
}

// Sets `bytes` bytes to 255 with wide stores (the last one overlapping);
// runs are short, too short for memset's start-up.
inline void FillWhite(std::uint8_t* start, int bytes) {
  static constexpr std::uint8_t kWhiteBytes[16] = {
      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  if (bytes >= 16) {
    for (int i = 0; i + 16 <= bytes; i += 16) {
      std::memcpy(start + i, kWhiteBytes, 16);
    }
    std::memcpy(start + bytes - 16, kWhiteBytes, 16);
  } else if (bytes >= 8) {
    std::memcpy(start, kWhiteBytes, 8);
    std::memcpy(start + bytes - 8, kWhiteBytes, 8);
  } else {
    for (int i = 0; i < bytes; ++i) start[i] = 0xFF;
  }
}

// Stores the painted pixels of one band, row by row, and clears its toggles
// for the next band. A run of white pixels is one fill, as white is 255 in
// every byte.
void StoreBand(const RowTable& rows, int band_left, int top, int bottom,
               std::uint64_t* toggles) {
  std::uint64_t painted = 0;
  for (int y = top; y < bottom; ++y) {
    painted ^= toggles[y];
    toggles[y] = 0;
    std::uint64_t bits = painted;
    std::uint8_t* row = rows[y] + 3 * static_cast<std::ptrdiff_t>(band_left);
    while (bits != 0) {
      const int first = std::countr_zero(bits);
      const std::uint64_t from_first = bits >> first;
      const int length = from_first == ~std::uint64_t{0}
                             ? 64 - first
                             : std::countr_one(from_first);
      FillWhite(row + 3 * first, 3 * length);
      bits &= first + length >= 64 ? 0 : ~std::uint64_t{0} << (first + length);
    }
  }
  toggles[bottom] = 0;
}

}  // namespace

bool ShadeCells(FrameBuffer& frame, const Figure& figure, std::stop_token stop,
                CellPassCounts* counts) {
  const FanWedges first =
      MakeFanWedges(figure, figure.first_fan, figure.first_emitter);
  const FanWedges second =
      MakeFanWedges(figure, figure.second_fan, figure.second_emitter);
  const PaintTable table = MakePaintTable(first, second);
  const auto two_cx = static_cast<std::int64_t>(2 * figure.centre_x);
  const auto two_cy = static_cast<std::int64_t>(2 * figure.centre_y);
  const auto two_r = static_cast<std::int64_t>(2 * figure.radius);
  CellPassCounts tally;

  const int width = frame.Width();
  const int height = frame.Height();
  const RowTable& rows = frame.Rows();
  // Columns are classified one by one, left to right, and stored a band at a
  // time: storing down a column touches a new cache line for every pixel,
  // storing along rows fills whole lines.
  std::vector<std::uint64_t> toggles(static_cast<std::size_t>(height) + 1);
  for (int band_left = 0; band_left < width; band_left += kBandColumns) {
    if (stop.stop_requested()) return false;
    const int band_right = std::min(width, band_left + kBandColumns);
    std::array<RowSpan, kBandColumns> inside;
    int top = height;
    int bottom = 0;
    for (int x = band_left; x < band_right; ++x) {
      const RowSpan span = InsideRows(two_cx, two_cy, two_r, x, height);
      inside[x - band_left] = span;
      if (span.last < span.first) continue;
      top = std::min(top, span.first);
      bottom = std::max(bottom, span.last + 1);
    }
    if (top >= bottom) continue;
    for (int x = band_left; x < band_right; ++x) {
      const RowSpan& span = inside[x - band_left];
      if (span.last < span.first) continue;
      ClassifyColumn(figure, first, second, table, span, x, band_left,
                     toggles.data(), tally);
    }
    std::lock_guard lock(frame.Mutex());
    StoreBand(rows, band_left, top, bottom, toggles.data());
    frame.MarkChanged(Rect{band_left, top, band_right, bottom});
  }
  if (counts != nullptr) *counts = tally;
  return true;
}

}  // namespace zimbrel
