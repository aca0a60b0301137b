// Which parts of a surface changed in a frame, gathered on a grid of 8 x 8 tiles so that any
// number of overlapping sprite rectangles collapse into a short list to present.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/surface.h"

namespace marulex {

class Damage {
 public:
  static constexpr std::int32_t kTile = 8;

  Damage(std::int32_t width, std::int32_t height);

  // Forgets the last frame's changes.
  void Clear();
  // The whole surface changed.
  void AddAll();
  // The part of `area` that lies on the surface changed.
  void Add(const Rect& area);
  // Merges what was added since Clear into Rects(); call once at the end of a frame.
  void Finish();

  // Disjoint rectangles covering every changed pixel, row by row from the top; empty when nothing
  // changed. When most of the surface changed it is the whole surface, which presents cheaper
  // than many pieces.
  const std::vector<Rect>& Rects() const { return rects_; }

 private:
  std::int32_t width_;
  std::int32_t height_;
  std::int32_t columns_;  // tiles across, counting a part tile at the right
  std::int32_t rows_;
  bool all_ = false;
  std::vector<std::uint8_t> marked_;    // one flag per tile
  std::vector<std::uint32_t> touched_;  // the marked tiles, so clearing costs what was marked
  std::vector<Rect> rects_;
};

}  // namespace marulex
