// The rectangles of a present as the region Qt repaints.
#pragma once

#include <QRect>
#include <QRegion>
#include <cstdint>
#include <span>
#include <vector>

#include "scene/surface.h"

namespace marulex::qt {

// Builds the region to repaint for a present; keeps its memory from call to call.
class PresentRegion {
 public:
  // Covers exactly the pixels of `rectangles`.
  const QRegion& Set(std::span<const Rect> rectangles);
  const QRegion& region() const { return region_; }

 private:
  std::vector<QRect> scratch_;
  QRegion region_;
};

}  // namespace marulex::qt
