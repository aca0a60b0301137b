#include "scene/surface.h"

#include <gtest/gtest.h>

#include "scene/random_source.h"

namespace marulex {
namespace {

Surface Numbered(std::int32_t w, std::int32_t h, std::uint32_t base) {
  Surface s(w, h);
  for (std::int32_t y = 0; y < h; ++y) {
    for (std::int32_t x = 0; x < w; ++x)
      s.At(x, y) = Rgb(base + static_cast<std::uint32_t>(y * w + x));
  }
  return s;
}

// The copy as one pixel at a time, to hold the clipped block copy against.
void CopyPixelByPixel(const Surface& from, int sx, int sy, int w, int h, Surface& to, int dx,
                      int dy) {
  for (int row = 0; row < h; ++row) {
    for (int col = 0; col < w; ++col) {
      const std::int64_t fx = std::int64_t{sx} + col, fy = std::int64_t{sy} + row;
      const std::int64_t tx = std::int64_t{dx} + col, ty = std::int64_t{dy} + row;
      if (fx < 0 || fy < 0 || fx >= from.width || fy >= from.height) continue;
      if (tx < 0 || ty < 0 || tx >= to.width || ty >= to.height) continue;
      to.At(static_cast<int>(tx), static_cast<int>(ty)) =
          from.At(static_cast<int>(fx), static_cast<int>(fy));
    }
  }
}

TEST(SurfaceTest, CopyClipsLikeCopyingPixelByPixel) {
  const Surface atlas = Numbered(13, 9, 0x100);
  struct Case {
    int sx, sy, w, h, dx, dy;
  } cases[] = {
      {0, 0, 4, 4, 2, 3},
      {1, 2, 8, 8, -5, -6},
      {0, 0, 13, 9, 7, 4},
      {3, 3, 4, 3, 19, 0},
      {0, 0, 4, 4, 20, 11},
      {0, 0, 32, 32, -3, -3},
      {5, 5, 20, 20, 0, 0},
      {-2, -1, 6, 6, 1, 1},
      {0, 0, 0, 5, 1, 1},
      {0, 0, 4, 4, INT32_MIN, 0},
      {0, 0, 4, 4, INT32_MAX, INT32_MAX},
      {INT32_MAX, 0, 4, 4, 0, 0},
  };
  for (const Case& c : cases) {
    Surface expected = Numbered(21, 12, 0x50000);
    Surface actual = expected;
    CopyPixelByPixel(atlas, c.sx, c.sy, c.w, c.h, expected, c.dx, c.dy);
    Copy(atlas, c.sx, c.sy, c.w, c.h, actual, c.dx, c.dy);
    EXPECT_EQ(actual, expected) << c.sx << "," << c.sy << " " << c.w << "x" << c.h << " to " << c.dx
                                << "," << c.dy;
  }
}

TEST(SurfaceTest, FillBlackStaysOnTheSurface) {
  Surface s = Numbered(6, 5, 7);
  FillBlack(s, {-2, 3, 5, 10});
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 6; ++x) {
      const bool filled = x < 3 && y >= 3;
      EXPECT_EQ(s.At(x, y) == kBlack, filled) << x << "," << y;
    }
  }
}

TEST(RandomSourceTest, DrawsFollowTheGenerator) {
  // state = state * 22695477 + 1 (mod 2^32); a draw is bits 16 to 30 of the new state.
  RandomSource random(0);
  EXPECT_EQ(random.Draw(), 0);    // state 1
  EXPECT_EQ(random.Draw(), 346);  // state 22695478 = 0x015A4E36
  EXPECT_EQ(random.State(), 22695478u);
  RandomSource high(0xFFFFFFFFu);  // wraps: 0xFFFFFFFF * 22695477 + 1 = 2^32 - 22695476
  EXPECT_EQ(high.Draw(), static_cast<int>(((0u - 22695476u) >> 16) & 32767u));
}

}  // namespace
}  // namespace marulex
