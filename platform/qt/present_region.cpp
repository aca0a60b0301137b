#include "platform/qt/present_region.h"

#include <algorithm>

namespace marulex::qt {

namespace {

// What QRegion::setRects accepts: sorted by top, then by left; rectangles with the same top have
// the same height and neither touch nor overlap; a new top starts below the previous band.
bool IsBanded(std::span<const QRect> rects) {
  for (std::size_t i = 1; i < rects.size(); ++i) {
    const QRect& a = rects[i - 1];
    const QRect& b = rects[i];
    if (b.top() == a.top()) {
      if (b.height() != a.height() || b.left() <= a.right() + 1) return false;
    } else if (b.top() <= a.bottom()) {
      return false;
    }
  }
  return true;
}

// Joins each band to the one above it when they meet and are cut the same way, as a ball that
// straddles two rows of tiles does: fewer rectangles to copy and to send to the X server.
void JoinBands(std::vector<QRect>& rects) {
  std::size_t kept = 0;           // rects[0, kept) are final
  std::size_t last_band = 0;      // where the last kept band starts
  std::size_t last_band_end = 0;  // and ends
  std::size_t i = 0;
  while (i < rects.size()) {
    std::size_t end = i + 1;
    while (end < rects.size() && rects[end].top() == rects[i].top())
      ++end;
    const std::size_t count = end - i;
    bool joins = last_band_end > last_band && last_band_end - last_band == count &&
                 rects[last_band].bottom() + 1 == rects[i].top();
    for (std::size_t k = 0; joins && k < count; ++k) {
      joins = rects[last_band + k].left() == rects[i + k].left() &&
              rects[last_band + k].right() == rects[i + k].right();
    }
    if (joins) {
      for (std::size_t k = 0; k < count; ++k) {
        rects[last_band + k].setBottom(rects[i + k].bottom());
      }
    } else {
      last_band = kept;
      for (std::size_t k = i; k < end; ++k)
        rects[kept++] = rects[k];
      last_band_end = kept;
    }
    i = end;
  }
  rects.resize(kept);
}

}  // namespace

const QRegion& PresentRegion::Set(std::span<const Rect> rectangles) {
  scratch_.clear();
  for (const Rect& r : rectangles) {
    if (!r.Empty()) scratch_.emplace_back(r.x, r.y, r.width, r.height);
  }
  if (IsBanded(scratch_)) {
    JoinBands(scratch_);
    region_.setRects(scratch_.data(), static_cast<int>(scratch_.size()));
  } else {
    region_ = QRegion();
    for (const QRect& r : scratch_)
      region_ += r;
  }
  return region_;
}

}  // namespace marulex::qt
