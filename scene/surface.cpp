#include "scene/surface.h"

#include <algorithm>
#include <cstring>

namespace marulex {

Surface::Surface(std::int32_t w, std::int32_t h)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kBlack) {}

namespace {

// Sprites are 4, 8 or 32 pixels wide; a row of a known width copies without a library call.
void CopyRows(const Pixel* from, std::size_t from_stride, Pixel* to, std::size_t to_stride,
              std::int32_t w, std::int32_t h) {
  const auto copy_rows = [&](auto row_copy) {
    for (std::int32_t row = 0; row < h; ++row, from += from_stride, to += to_stride)
      row_copy();
  };
  switch (w) {
    case 4:
      return copy_rows([&] { std::memcpy(to, from, 4 * sizeof(Pixel)); });
    case 8:
      return copy_rows([&] { std::memcpy(to, from, 8 * sizeof(Pixel)); });
    case 32:
      return copy_rows([&] { std::memcpy(to, from, 32 * sizeof(Pixel)); });
    default: {
      const auto bytes = static_cast<std::size_t>(w) * sizeof(Pixel);
      return copy_rows([&] { std::memmove(to, from, bytes); });
    }
  }
}

Pixel* PixelAt(Surface& s, std::int32_t x, std::int32_t y) {
  return s.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width) +
         static_cast<std::size_t>(x);
}

const Pixel* PixelAt(const Surface& s, std::int32_t x, std::int32_t y) {
  return s.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width) +
         static_cast<std::size_t>(x);
}

}  // namespace

void Copy(const Surface& source, std::int32_t sx, std::int32_t sy, std::int32_t w, std::int32_t h,
          Surface& target, std::int32_t dx, std::int32_t dy) {
  // Nearly every copy lies wholly on both surfaces; it needs no clipping.
  if (w > 0 && h > 0 && sx >= 0 && sy >= 0 && dx >= 0 && dy >= 0 && w <= source.width - sx &&
      h <= source.height - sy && w <= target.width - dx && h <= target.height - dy) {
    CopyRows(PixelAt(source, sx, sy), static_cast<std::size_t>(source.width),
             PixelAt(target, dx, dy), static_cast<std::size_t>(target.width), w, h);
    return;
  }
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
  CopyRows(PixelAt(source, static_cast<std::int32_t>(to.x + shift_x),
                   static_cast<std::int32_t>(to.y + shift_y)),
           static_cast<std::size_t>(source.width), PixelAt(target, to.x, to.y),
           static_cast<std::size_t>(target.width), to.width, to.height);
}

void FillBlack(Surface& target, const Rect& area) {
  const Rect to = Intersect(area, target.Bounds());
  for (std::int32_t row = 0; row < to.height; ++row) {
    Pixel* start = &target.At(to.x, to.y + row);
    std::fill(start, start + to.width, kBlack);
  }
}

}  // namespace marulex
