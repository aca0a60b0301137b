// Which parts of a surface a frame drew over, gathered on a grid of 8 x 8 tiles. A frame of this
// program changes what it draws and what the frame before it drew (wiped back to the
// background), so it presents the union of the last two frames' marks, and it wipes the previous
// frame's marks. Any number of overlapping sprites collapse into a short list of rectangles, and
// the cost follows the sprites, not the size of the surface.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "scene/surface.h"

namespace marulex {

class Damage {
 public:
  static constexpr std::int32_t kTile = 8;

  Damage(std::int32_t width, std::int32_t height);

  // The whole surface changed in this frame.
  void AddAll() { all_ = true; }
  // This frame drew over `area` (the part on the surface counts).
  void Add(const Rect& area);
  // Ends the frame: Rects() then covers what this frame and the one before it drew, and the
  // marks of this frame become the previous frame's.
  void Finish();

  // Disjoint rectangles covering every changed pixel, row by row from the top; empty when nothing
  // changed. Past kMostPieces rectangles they are rows of whole kBlock x kBlock blocks instead:
  // a few more pixels to copy, but far fewer pieces to send to the screen, which costs more per
  // piece than per pixel. When the pieces would cost more than the whole, it is the whole surface.
  const std::vector<Rect>& Rects() const { return rects_; }
  static constexpr std::size_t kMostPieces = 64;
  static constexpr std::int32_t kBlock = 32;

  // What handling the previous frame's drawing piece by piece costs, in pixels copied: each
  // rectangle's pixels plus kRectCost for the rectangle. When it exceeds the surface's pixels,
  // the marks are incomplete and the previous frame must be treated as covering everything.
  std::int64_t PreviousCost() const { return last_.cost; }
  static constexpr std::int64_t kRectCost = 512;
  // Calls visit(rect) with rectangles of whole tiles (clipped to the surface) that together
  // cover what the previous frame drew over.
  template <typename Visit>
  void ForEachPreviousRun(Visit&& visit) const {
    ScanRuns(last_, nullptr, visit);
  }

 private:
  struct Marks {
    std::vector<std::uint64_t> tiles;  // one bit per tile, row by row
    std::vector<std::uint64_t> rows;   // one bit per tile row holding a marked tile
    std::int64_t cost = 0;
  };

  // Visits the runs of tiles marked in `a` or (when given) `b`, row by row.
  template <typename Visit>
  void ScanRuns(const Marks& a, const Marks* b, Visit&& visit) const;
  // Replaces rects_ with the runs of blocks that hold a tile marked in now_ or last_.
  void CoverWithBlocks();

  std::int32_t width_;
  std::int32_t height_;
  std::int32_t columns_;  // tiles across, counting a part tile at the right
  std::int32_t rows_;
  std::size_t words_per_row_;
  std::int64_t whole_cost_;  // the surface's pixels: what handling it whole costs
  bool all_ = false;
  Marks now_;
  Marks last_;
  std::vector<Rect> rects_;
};

template <typename Visit>
void Damage::ScanRuns(const Marks& a, const Marks* b, Visit&& visit) const {
  const auto run = [&](std::size_t row, std::int32_t first, std::int32_t last) {
    visit(Intersect(
        {first * kTile, static_cast<std::int32_t>(row) * kTile, (last - first + 1) * kTile, kTile},
        {0, 0, width_, height_}));
  };
  for (std::size_t row_word = 0; row_word < a.rows.size(); ++row_word) {
    std::uint64_t rows = a.rows[row_word] | (b ? b->rows[row_word] : 0);
    for (; rows != 0; rows &= rows - 1) {
      const std::size_t row = row_word * 64 + static_cast<std::size_t>(std::countr_zero(rows));
      const std::size_t start = row * words_per_row_;
      std::int32_t run_start = -1;
      for (std::size_t w = 0; w < words_per_row_; ++w) {
        const std::uint64_t bits = a.tiles[start + w] | (b ? b->tiles[start + w] : 0);
        const auto base = static_cast<std::int32_t>(w * 64);
        // Alternate between finding the next marked tile (a run starts) and the next unmarked
        // one (the run ends).
        for (unsigned at = 0; at < 64;) {
          const std::uint64_t from_at = ~((std::uint64_t{1} << at) - 1);
          const std::uint64_t ahead = (run_start < 0 ? bits : ~bits) & from_at;
          if (ahead == 0) break;
          at = static_cast<unsigned>(std::countr_zero(ahead));
          if (run_start < 0) {
            run_start = base + static_cast<std::int32_t>(at);
          } else {
            run(row, run_start, base + static_cast<std::int32_t>(at) - 1);
            run_start = -1;
          }
        }
      }
      if (run_start >= 0) run(row, run_start, columns_ - 1);
    }
  }
}

}  // namespace marulex
