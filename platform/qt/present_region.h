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
  // Past this many rectangles, the region is made of whole blocks of kBlock x kBlock pixels that
  // cover them: a few more pixels to copy, but far fewer pieces to send to the X server, which
  // costs more per piece than per pixel.
  static constexpr std::size_t kMostPieces = 64;
  static constexpr std::int32_t kBlock = 32;

  // Covers every pixel of `rectangles`, and with kMostPieces or fewer of them nothing else.
  const QRegion& Set(std::span<const Rect> rectangles);
  const QRegion& region() const { return region_; }

 private:
  // Replaces the rectangles with rows of whole blocks over the same pixels, within right x bottom.
  void BlocksCovering(std::int32_t right, std::int32_t bottom);

  std::vector<QRect> scratch_;
  std::vector<std::uint8_t> blocks_;
  QRegion region_;
};

}  // namespace marulex::qt
