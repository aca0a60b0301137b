#include "scene/animation.h"

#include <gtest/gtest.h>

#include <climits>

#include "stage.h"

namespace marulex {
namespace {

using testing::TestAtlas;

bool AllBlack(const Surface& image) {
  for (const Pixel p : image.pixels) {
    if (p != kBlack) return false;
  }
  return true;
}

TEST(AnimationTest, ModeSettingChoosesTheScene) {
  struct Case {
    std::int32_t mode, scene;
  } cases[] = {{2, kBoundBalls}, {3, kCorinth},       {4, kTurnBalls},
               {0, kNoScene},    {5, kNoScene},       {-49, kNoScene},
               {207, kNoScene},  {INT_MIN, kNoScene}, {INT_MAX, kNoScene}};
  for (const Case& c : cases) {
    Animation animation(152, 112, c.mode, 20, 77, TestAtlas());
    EXPECT_EQ(animation.State().SceneKind, c.scene) << c.mode;
    for (int tick = 0; tick < 3; ++tick)
      animation.Timer1Timer();
    EXPECT_EQ(AllBlack(animation.Image1()), c.scene == kNoScene) << c.mode;
    if (c.scene == kNoScene) {
      EXPECT_EQ(animation.Random().State(), 77u);  // no draw at all
    }
  }
  // A random pick takes the first draw, before the scene's own draws.
  for (std::uint32_t seed = 0; seed < 12; ++seed) {
    Animation animation(152, 112, 1, 20, seed, TestAtlas());
    RandomSource replay(seed);
    EXPECT_EQ(animation.State().SceneKind, replay.Draw() % 3);
    EXPECT_EQ(animation.State().ColourSet, replay.Draw() % 3);
  }
}

TEST(AnimationTest, WindowsTooSmallForTheBoardOrTheMazeStayBlack) {
  // The board needs 3 columns and 4 rows of cells, the maze 3 of each.
  struct Case {
    std::int32_t mode, w, h;
    bool plays;
  } cases[] = {{3, 23, 200, false}, {3, 200, 31, false}, {3, 16, 16, false},
               {3, 0, 0, false},    {3, 24, 32, true},   {4, 16, 200, false},
               {4, 200, 23, false}, {4, 0, 0, false},    {4, 24, 24, true}};
  for (const Case& c : cases) {
    Animation animation(c.w, c.h, c.mode, 180, 8, TestAtlas());
    for (int tick = 0; tick < 80; ++tick)
      animation.Timer1Timer();
    EXPECT_EQ(AllBlack(animation.Image1()), !c.plays) << c.mode << ": " << c.w << "x" << c.h;
    EXPECT_EQ(animation.State().SceneKind, c.plays ? c.mode - 2 : kNoScene);
  }
}

TEST(AnimationTest, AnimationsWithTheSameSeedRunAlikeSideBySide) {
  Animation first(200, 150, 1, 300, 1234, TestAtlas());
  Animation second(200, 150, 1, 300, 1234, TestAtlas());
  for (int tick = 0; tick < 50; ++tick) {
    first.Timer1Timer();
    second.Timer1Timer();
    ASSERT_EQ(first.Image1(), second.Image1()) << tick;
  }
}

// Each frame restored piecewise must equal the frame composed whole, and what changed on screen
// must lie inside what the frame reports as changed.
TEST(AnimationTest, PiecewiseFramesEqualWholeFramesAndReportEveryChange) {
  struct Case {
    std::int32_t w, h, mode, balls;
    std::uint32_t seed;
    std::int32_t ticks;
  } cases[] = {
      {800, 600, 2, 60, 1, 150},   {97, 61, 2, 9999, 2, 40},  // flash slots run out
      {400, 300, 2, 40, 19, 200},                             // piecewise and whole in turn
      {20, 40, 2, 300, 3, 40},     {40, 20, 2, 300, 4, 40},   // under one key: never wiped
      {7, 5, 2, 50, 5, 20},        {0, 0, 2, 50, 6, 5},      {152, 112, 3, 0, 7, 1500},
      {85, 43, 3, 0, 8, 3000},      // freezes
      {1920, 1080, 3, 0, 18, 320},  // all 400 slots busy
      {24, 32, 3, 0, 9, 400},      {23, 200, 3, 0, 10, 20},  {640, 480, 4, 100, 11, 150},
      {61, 45, 4, 9999, 12, 30},   {24, 24, 4, 40, 13, 30},  {152, 112, 5, 180, 14, 10},
      {330, 250, 1, 400, 15, 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.w << "x" << c.h << " mode " << c.mode << " balls " << c.balls);
    Animation piecewise(c.w, c.h, c.mode, c.balls, c.seed, TestAtlas(), Composition::kDirty);
    Animation whole(c.w, c.h, c.mode, c.balls, c.seed, TestAtlas(), Composition::kFull);
    Surface shown = piecewise.Image1();
    for (std::int32_t tick = 0; tick < c.ticks; ++tick) {
      piecewise.Timer1Timer();
      whole.Timer1Timer();
      ASSERT_EQ(piecewise.Image1(), whole.Image1()) << "tick " << tick;
      // Present what the frame reports, and the window must then show the whole frame.
      for (const Rect& r : piecewise.Changed()) {
        Copy(piecewise.Image1(), r.x, r.y, r.width, r.height, shown, r.x, r.y);
      }
      ASSERT_EQ(shown, piecewise.Image1()) << "tick " << tick;
    }
  }
}

TEST(AnimationTest, ChangedRectanglesAreFewForFewBalls) {
  Animation animation(1920, 1080, 4, 180, 42, TestAtlas());
  animation.Timer1Timer();
  ASSERT_EQ(animation.Changed().size(), 1u);  // the first frame is new everywhere
  EXPECT_EQ(animation.Changed()[0], (Rect{0, 0, 1920, 1080}));
  animation.Timer1Timer();
  std::int64_t area = 0;
  for (const Rect& r : animation.Changed())
    area += std::int64_t{r.width} * r.height;
  // Each ball changes its old and its new cell: at most 360 blocks, a tenth of the screen.
  EXPECT_LE(animation.Changed().size(), 360u);
  EXPECT_LE(area, 360 * Damage::kBlock * Damage::kBlock);
  EXPECT_GT(area, 0);
}

}  // namespace
}  // namespace marulex
