// Plain-memory drawing surfaces and the two drawing operations the animation uses:
// an opaque rectangle copy clipped to both surfaces, and a black fill.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace marulex {

// 0xFFRRGGBB: opaque, and laid out as both Qt's RGB32 and a 32-bit Windows DIB expect,
// so a backend can present the pixels without converting them.
using Pixel = std::uint32_t;

constexpr Pixel Rgb(std::uint32_t rgb) {
  return 0xFF000000u | (rgb & 0x00FFFFFFu);
}
constexpr Pixel kBlack = Rgb(0x000000);

struct Rect {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

  bool Empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The part of `a` that lies inside `b`; empty (width or height 0) when they do not meet.
inline Rect Intersect(const Rect& a, const Rect& b) {
  // 64-bit so that rectangles near the ends of the 32-bit range cannot overflow.
  const std::int64_t left = a.x > b.x ? a.x : b.x;
  const std::int64_t top = a.y > b.y ? a.y : b.y;
  const std::int64_t a_right = std::int64_t{a.x} + a.width, b_right = std::int64_t{b.x} + b.width;
  const std::int64_t a_bottom = std::int64_t{a.y} + a.height;
  const std::int64_t b_bottom = std::int64_t{b.y} + b.height;
  const std::int64_t right = a_right < b_right ? a_right : b_right;
  const std::int64_t bottom = a_bottom < b_bottom ? a_bottom : b_bottom;
  if (right <= left || bottom <= top) return {};
  return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
          static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top)};
}

struct Surface {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<Pixel> pixels;  // row by row from the top, `width` pixels a row

  Surface() = default;
  // A black width x height surface; negative sizes give an empty surface.
  Surface(std::int32_t w, std::int32_t h);

  Rect Bounds() const { return {0, 0, width, height}; }
  Pixel At(std::int32_t x, std::int32_t y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  Pixel& At(std::int32_t x, std::int32_t y) {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  friend bool operator==(const Surface&, const Surface&) = default;
};

// Copies the w x h rectangle at (sx, sy) of `source` to (dx, dy) of `target`, opaque and unscaled.
// Pixels that would come from outside `source` or land outside `target` are dropped.
void Copy(const Surface& source, std::int32_t sx, std::int32_t sy, std::int32_t w, std::int32_t h,
          Surface& target, std::int32_t dx, std::int32_t dy);

// Sets the part of `area` that lies on `target` to black.
void FillBlack(Surface& target, const Rect& area);

}  // namespace marulex
