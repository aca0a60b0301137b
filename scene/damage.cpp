#include "scene/damage.h"

#include <algorithm>

namespace marulex {

namespace {

std::int32_t TilesFor(std::int32_t pixels) {
  return pixels <= 0 ? 0 : (pixels - 1) / Damage::kTile + 1;
}

}  // namespace

Damage::Damage(std::int32_t width, std::int32_t height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      columns_(TilesFor(width)),
      rows_(TilesFor(height)),
      marked_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), 0) {}

void Damage::Clear() {
  for (const std::uint32_t tile : touched_) marked_[tile] = 0;
  touched_.clear();
  all_ = false;
  rects_.clear();
}

void Damage::AddAll() { all_ = true; }

void Damage::Add(const Rect& area) {
  if (all_) return;
  const Rect on = Intersect(area, {0, 0, width_, height_});
  if (on.Empty()) return;
  const std::int32_t last_column = (on.x + on.width - 1) / kTile;
  const std::int32_t last_row = (on.y + on.height - 1) / kTile;
  for (std::int32_t row = on.y / kTile; row <= last_row; ++row) {
    const auto row_start = static_cast<std::uint32_t>(row) * static_cast<std::uint32_t>(columns_);
    for (std::int32_t column = on.x / kTile; column <= last_column; ++column) {
      const std::uint32_t tile = row_start + static_cast<std::uint32_t>(column);
      if (marked_[tile] == 0) {
        marked_[tile] = 1;
        touched_.push_back(tile);
      }
    }
  }
}

void Damage::Finish() {
  rects_.clear();
  // Past half the tiles, one whole-surface present beats sending the pieces one by one.
  if (all_ || touched_.size() * 2 > marked_.size()) {
    if (width_ > 0 && height_ > 0) rects_.push_back({0, 0, width_, height_});
    return;
  }
  std::sort(touched_.begin(), touched_.end());
  const auto columns = static_cast<std::uint32_t>(columns_);
  std::size_t i = 0;
  while (i < touched_.size()) {
    // A run of neighbouring tiles in one row becomes one rectangle.
    const std::uint32_t first = touched_[i];
    std::size_t end = i + 1;
    while (end < touched_.size() && touched_[end] == touched_[end - 1] + 1 &&
           touched_[end] % columns != 0) {
      ++end;
    }
    const auto row = static_cast<std::int32_t>(first / columns);
    const auto column = static_cast<std::int32_t>(first % columns);
    const auto run = static_cast<std::int32_t>(end - i);
    rects_.push_back(Intersect({column * kTile, row * kTile, run * kTile, kTile},
                               {0, 0, width_, height_}));
    i = end;
  }
}

}  // namespace marulex
