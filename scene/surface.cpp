#include "scene/surface.h"

#include <algorithm>

namespace marulex {

Rect Intersect(const Rect& a, const Rect& b) {
  // 64-bit so that rectangles near the ends of the 32-bit range cannot overflow.
  const std::int64_t left = std::max<std::int64_t>(a.x, b.x);
  const std::int64_t top = std::max<std::int64_t>(a.y, b.y);
  const std::int64_t right =
      std::min<std::int64_t>(std::int64_t{a.x} + a.width, std::int64_t{b.x} + b.width);
  const std::int64_t bottom =
      std::min<std::int64_t>(std::int64_t{a.y} + a.height, std::int64_t{b.y} + b.height);
  if (right <= left || bottom <= top) return {};
  return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
          static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top)};
}

Surface::Surface(std::int32_t w, std::int32_t h)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kBlack) {}

void Copy(const Surface& source, std::int32_t sx, std::int32_t sy, std::int32_t w, std::int32_t h,
          Surface& target, std::int32_t dx, std::int32_t dy) {
  // Clip the destination rectangle to the target, then shrink it further to what the source holds.
  Rect to = Intersect({dx, dy, w, h}, target.Bounds());
  if (to.Empty()) return;
  const std::int64_t shift_x = std::int64_t{sx} - dx;
  const std::int64_t shift_y = std::int64_t{sy} - dy;
  const Rect source_in_target = Intersect(
      {static_cast<std::int32_t>(std::clamp<std::int64_t>(-shift_x, INT32_MIN, INT32_MAX)),
       static_cast<std::int32_t>(std::clamp<std::int64_t>(-shift_y, INT32_MIN, INT32_MAX)),
       source.width, source.height},
      to);
  if (source_in_target.Empty()) return;
  to = source_in_target;
  const auto row_pixels = static_cast<std::size_t>(to.width);
  for (std::int32_t row = 0; row < to.height; ++row) {
    const std::int32_t ty = to.y + row;
    const auto from_x = static_cast<std::int32_t>(to.x + shift_x);
    const auto from_y = static_cast<std::int32_t>(ty + shift_y);
    const Pixel* from = &source.pixels[static_cast<std::size_t>(from_y) *
                                           static_cast<std::size_t>(source.width) +
                                       static_cast<std::size_t>(from_x)];
    std::copy(from, from + row_pixels, &target.At(to.x, ty));
  }
}

void FillBlack(Surface& target, const Rect& area) {
  const Rect to = Intersect(area, target.Bounds());
  for (std::int32_t row = 0; row < to.height; ++row) {
    Pixel* start = &target.At(to.x, to.y + row);
    std::fill(start, start + to.width, kBlack);
  }
}

}  // namespace marulex
