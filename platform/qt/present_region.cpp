#include "platform/qt/present_region.h"

namespace marulex::qt {

namespace {

// What QRegion::setRects accepts: sorted by top, then by left; rectangles with the same top have
// the same height and neither touch nor overlap; a new top starts below the previous band. (Bands
// that could be joined are left apart, as Qt's own unions leave them.)
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

}  // namespace

void SetPresentRegion(std::span<const Rect> rectangles, std::vector<QRect>& scratch,
                      QRegion& region) {
  scratch.clear();
  for (const Rect& r : rectangles) {
    if (!r.Empty()) scratch.emplace_back(r.x, r.y, r.width, r.height);
  }
  if (IsBanded(scratch)) {
    region.setRects(scratch.data(), static_cast<int>(scratch.size()));
    return;
  }
  region = QRegion();
  for (const QRect& r : scratch)
    region += r;
}

}  // namespace marulex::qt
