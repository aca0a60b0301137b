#include "scene/damage.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace marulex {

void PrintTo(const Rect& r, std::ostream* out) {
  *out << "{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}

namespace {

using Rects = std::vector<Rect>;

Rects Frame(Damage& damage, const Rects& drawn) {
  for (const Rect& r : drawn)
    damage.Add(r);
  damage.Finish();
  return damage.Rects();
}

TEST(DamageTest, ReportsWholeTilesOfWhatTheLastTwoFramesDrew) {
  Damage damage(1000, 100);
  EXPECT_EQ(Frame(damage, {{10, 10, 4, 4}}), (Rects{{8, 8, 8, 8}}));
  // This frame's drawing and the last one's, which this frame wiped.
  EXPECT_EQ(Frame(damage, {{100, 3, 4, 4}}), (Rects{{96, 0, 8, 8}, {8, 8, 8, 8}}));
  EXPECT_EQ(Frame(damage, {}), (Rects{{96, 0, 8, 8}}));
  EXPECT_EQ(Frame(damage, {}), Rects{});
  // Neighbouring tiles merge into one run, across the 64-tile words of a row too.
  EXPECT_EQ(Frame(damage, {{500, 50, 30, 2}, {530, 50, 2, 2}}), (Rects{{496, 48, 40, 8}}));
}

TEST(DamageTest, StaysOnTheSurfaceAndGoesWholeWhenPiecesCostMore) {
  Damage edge(1003, 500);
  EXPECT_EQ(Frame(edge, {{995, -3, 10, 20}, {-50, -50, 10, 10}}),
            (Rects{{992, 0, 11, 8}, {992, 8, 11, 8}, {992, 16, 11, 8}}));
  Damage busy(64, 64);  // 4096 pixels: sixteen rectangles cost more than that
  Rects many;
  for (int i = 0; i < 16; ++i)
    many.push_back({i * 4, i * 4, 1, 1});
  EXPECT_EQ(Frame(busy, many), (Rects{{0, 0, 64, 64}}));
  EXPECT_EQ(Frame(busy, {}), (Rects{{0, 0, 64, 64}}));  // the wipe of that frame is whole too
  EXPECT_EQ(Frame(busy, {{1, 1, 1, 1}}), (Rects{{0, 0, 8, 8}}));
  Damage empty(0, 0);
  EXPECT_EQ(Frame(empty, {{0, 0, 5, 5}}), Rects{});
}

TEST(DamageTest, ManyPiecesBecomeTheBlocksThatHoldThem) {
  Damage damage(1003, 301);
  Rects dots;
  for (std::int32_t i = 0; i < 100; ++i)
    dots.push_back({(i * 37) % 1000, (i * 53) % 300, 2, 1});
  const Rects blocks = Frame(damage, dots);
  ASSERT_LT(blocks.size(), dots.size());
  for (const Rect& dot : dots) {  // every dot inside a block
    EXPECT_TRUE(std::any_of(blocks.begin(), blocks.end(),
                            [&](const Rect& b) { return Intersect(dot, b) == dot; }));
  }
  for (const Rect& b : blocks) {  // on the block grid, within the surface, each holding a dot
    EXPECT_EQ(b.x % Damage::kBlock, 0);
    EXPECT_EQ(b.y % Damage::kBlock, 0);
    EXPECT_EQ(Intersect(b, {0, 0, 1003, 301}), b);
    for (std::int32_t x = b.x; x < b.x + b.width; x += Damage::kBlock) {
      const Rect block{x, b.y, Damage::kBlock, Damage::kBlock};
      EXPECT_TRUE(std::any_of(dots.begin(), dots.end(),
                              [&](const Rect& dot) { return !Intersect(dot, block).Empty(); }));
    }
  }
}

}  // namespace
}  // namespace marulex
