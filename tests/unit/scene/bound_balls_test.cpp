#include <gtest/gtest.h>

#include "stage.h"

namespace marulex {
namespace {

using testing::Shows;
using testing::SpritePixel;
using testing::Stage;

// A bound-balls field with no balls of its own, for placing balls by hand.
struct Field : Stage {
  Field(std::int32_t w, std::int32_t h) : Stage(w, h, 7) {
    SetUpBoundBalls(state, random, canvas, 0);
  }
  void Place(std::size_t i, std::int32_t x, std::int32_t y, std::int32_t dx, std::int32_t dy,
             std::int32_t aux) {
    BallTable& b = state.Balls;
    b.BallX[i] = x;
    b.BallY[i] = y;
    b.BallDX[i] = dx;
    b.BallDY[i] = dy;
    b.BallAux[i] = aux;
    state.BallsInPlay = std::max(state.BallsInPlay, static_cast<std::int32_t>(i + 1));
  }
  void Tick() { TickBoundBalls(state, canvas), canvas.EndFrame(); }
};

TEST(BoundBallsTest, GeometryFollowsTheWindow) {
  struct Case {
    std::int32_t w, h, cols, rows, limit_x, limit_y;
  } cases[] = {
      {1024, 768, 32, 24, 1020, 764},
      {152, 112, 4, 3, 124, 92},
      {31, 40, 0, 1, -4, 28},
      {10, 10, 0, 0, -4, -4},
  };
  for (const Case& c : cases) {
    Stage stage(c.w, c.h);
    SetUpBoundBalls(stage.state, stage.random, stage.canvas, 3);
    EXPECT_EQ(stage.state.GridCols, c.cols);
    EXPECT_EQ(stage.state.GridRows, c.rows);
    EXPECT_EQ(stage.state.SceneA, c.limit_x);
    EXPECT_EQ(stage.state.SceneB, c.limit_y);
  }
  // The key field in Image3, then the black strips right of and below it in every frame.
  Field field(152, 112);
  field.Tick();
  const Rect key = KeySprite(0, field.state.ColourSet);
  for (std::int32_t r = 0; r < 3; ++r) {
    for (std::int32_t c = 0; c < 4; ++c)
      EXPECT_TRUE(Shows(field.canvas.Image1(), 32 * c, 32 * r, key));
  }
  const Surface& image = field.canvas.Image1();
  for (std::int32_t y = 0; y < 112; ++y) {
    for (std::int32_t x = 0; x < 152; ++x) {
      if (x >= 128 || y >= 96) {
        ASSERT_EQ(image.At(x, y), kBlack) << x << "," << y;
      }
    }
  }
}

TEST(BoundBallsTest, SetUpTakesFourDrawsPerBallInOrder) {
  Stage stage(152, 112, 2024);
  SetUpBoundBalls(stage.state, stage.random, stage.canvas, 40);
  RandomSource replay(2024);
  EXPECT_EQ(stage.state.ColourSet, replay.Draw() % 3);
  const BallTable& b = stage.state.Balls;
  for (std::size_t i = 0; i < 40; ++i) {
    EXPECT_EQ(b.BallX[i], replay.Draw() % 124);
    EXPECT_EQ(b.BallY[i], replay.Draw() % 92);
    EXPECT_EQ(b.BallDX[i], replay.Draw() % 17 - 8);
    const std::int32_t dy = replay.Draw() % 9 - 4;
    EXPECT_EQ(b.BallDY[i], dy);
    const std::int32_t lift[] = {10, 6, 3, 1, 0};  // by |dy|: where a hop from there lands
    EXPECT_EQ(b.BallAux[i], b.BallY[i] + lift[std::abs(dy)]);
  }
  EXPECT_EQ(stage.random.State(), replay.State());
}

TEST(BoundBallsTest, BallCountIsHeldToTheTable) {
  struct Case {
    std::int32_t setting, balls;
  } cases[] = {{-257, 0}, {0, 0}, {5, 5}, {9999, 9999}, {10000, 9999}, {65535, 9999}};
  for (const Case& c : cases) {
    Stage stage(64, 64, 99);
    SetUpBoundBalls(stage.state, stage.random, stage.canvas, c.setting);
    EXPECT_EQ(stage.state.BallsInPlay, c.balls);
    RandomSource replay(99);
    for (std::int32_t draw = 0; draw < 1 + 4 * c.balls; ++draw)
      replay.Draw();
    EXPECT_EQ(stage.random.State(), replay.State()) << c.setting;
    stage.canvas.BeginFrame(0, 0);
    for (int tick = 0; tick < 3; ++tick)
      TickBoundBalls(stage.state, stage.canvas);
  }
}

TEST(BoundBallsTest, AHopRisesAndFallsTenPixelsAndPressesTheKeyItLandsOn) {
  Field field(96, 96);  // 3 x 3 keys, limits 92 and 92
  field.Place(0, 40, 50, 2, -4, 50);
  const std::int32_t heights[] = {46, 43, 41, 40, 40, 41, 43, 46, 50};
  for (std::int32_t tick = 0; tick < 9; ++tick) {
    field.Tick();
    EXPECT_EQ(field.state.Balls.BallY[0], heights[tick]) << tick;
    EXPECT_EQ(field.state.Balls.BallX[0], 40 + 2 * (tick + 1));
  }
  EXPECT_EQ(field.state.Balls.BallDY[0], -4);
  EXPECT_EQ(field.state.Balls.BallAux[0], 50);
  // The landing at (58, 50) pressed key (32, 32): it shows 1, 2, 3, 2, 1, 0 pixels down over
  // six frames, starting in the landing frame, then its slot is free.
  const FlashTable& f = field.state.Flashes;
  EXPECT_EQ(f.FlashX[0], 32);
  EXPECT_EQ(f.FlashY[0], 32);
  const Rect key = KeySprite(0, field.state.ColourSet);
  const std::int32_t frames[] = {32, 64, 96, 64, 32, 0, 0};
  // Column 20 of the key tells the four frames apart and stays clear of the ball and its shadow.
  const auto shows_frame = [&](std::int32_t atlas_x) {
    for (std::int32_t y = 0; y < 32; ++y) {
      if (field.canvas.Image1().At(32 + 20, 32 + y) !=
          SpritePixel(KeySprite(atlas_x, field.state.ColourSet), 20, y)) {
        return false;
      }
    }
    return true;
  };
  for (std::int32_t shown = 0; shown < 7; ++shown) {
    if (shown > 0) field.Tick();
    EXPECT_TRUE(shows_frame(frames[shown])) << shown;
    EXPECT_EQ(f.FlashState[0], shown < 5 ? shown + 2 : 0) << shown;
  }
  EXPECT_TRUE(shows_frame(key.x));
}

TEST(BoundBallsTest, OnlyALandingWellInsideAKeyPressesIt) {
  // A ball about to take the step +3 lands 7 pixels lower on the next tick: (x, y + 7) with dx 0.
  struct Case {
    std::int32_t x, y;
    bool pressed;
  } cases[] = {
      {34, 27, true},  {33, 27, false}, {61, 27, true},  {62, 27, false},  // across a key
      {40, 26, false}, {40, 50, true},  {40, 51, false},                   // down a key
      {91, 27, true},  {92, 27, false},                                    // the right limit
      {0, 27, false},  {40, 85, false},                                    // the edges
  };
  for (const Case& c : cases) {
    Field field(96, 96);
    field.Place(0, c.x, c.y, 0, 3, c.y);
    field.Tick();
    EXPECT_EQ(field.state.Flashes.FlashState[0] != 0, c.pressed) << c.x << "," << c.y;
  }
}

TEST(BoundBallsTest, LandingsFindNoKeyToPressWhileEveryFlashSlotIsBusy) {
  Field field(96, 96);
  FlashTable& f = field.state.Flashes;
  f.FlashState.fill(1);
  f.FlashState[200] = 6;  // comes free in this tick, before the balls move
  field.Place(0, 40, 40, 0, 3, 40);
  field.Place(1, 40, 40, 0, 3, 40);
  field.Tick();
  EXPECT_EQ(f.FlashState[200], 1);  // the first landing took the slot freed this tick
  std::int32_t busy = 0;
  for (const std::int32_t s : f.FlashState)
    busy += s != 0;
  EXPECT_EQ(busy, 256);
  EXPECT_EQ(f.FlashState[0], 2);  // the second landing pressed nothing
}

TEST(BoundBallsTest, BallsWrapAndKeepTheirFloor) {
  struct Case {
    std::int32_t x, y, dx, dy;
    std::int32_t x_after, y_after, floor_after;
  } cases[] = {
      {90, 40, 5, 0, 0, 40, 40},   // past the right limit: to 0
      {3, 40, -5, 0, 92, 40, 40},  // past the left edge: to the limit
      {92, 40, 0, 0, 92, 40, 40},  // on the limit stays
      {40, 2, 0, -4, 40, 92, 40},  // over the top: to the bottom limit
      {40, 90, 0, 4, 40, 0, 94},   // a landing below the limit: floor before the wrap
  };
  for (const Case& c : cases) {
    Field field(96, 96);
    field.Place(0, c.x, c.y, c.dx, c.dy, 40);
    field.Tick();
    EXPECT_EQ(field.state.Balls.BallX[0], c.x_after) << c.x << "," << c.y;
    EXPECT_EQ(field.state.Balls.BallY[0], c.y_after) << c.x << "," << c.y;
    EXPECT_EQ(field.state.Balls.BallAux[0], c.floor_after) << c.x << "," << c.y;
  }
}

TEST(BoundBallsTest, LayersAreKeysThenShadowsThenBallsInBallOrder) {
  Field field(96, 96);
  // Ball 1's shadow lies under ball 0: every shadow goes down before any ball.
  field.Place(0, 20, 30, 0, 0, 41);
  field.Place(1, 20, 40, 0, -4, 31);
  field.Tick();
  const Surface& image = field.canvas.Image1();
  const Rect ball = SmallBallSprite(field.state.ColourSet);
  EXPECT_TRUE(Shows(image, 20, 30, ball));  // ball 0 at y 30 covers ball 1's shadow at 31
  EXPECT_TRUE(Shows(image, 20, 36, ball));  // ball 1 at y 36
  EXPECT_EQ(image.At(20, 41), kBlack);      // ball 0's shadow below ball 1
  EXPECT_EQ(image.At(23, 43), kBlack);
  // No shadow for a ball standing on the bottom limit.
  Field bottom(96, 96);
  bottom.Place(0, 10, 92, 0, -4, 60);
  bottom.Tick();
  EXPECT_NE(bottom.canvas.Image1().At(10, 60), kBlack);
}

TEST(BoundBallsTest, WindowsBelowOneKeyCollapseTheBallsAndNeverFlash) {
  Stage stage(20, 40, 5);  // no key across, one key down
  SetUpBoundBalls(stage.state, stage.random, stage.canvas, 500);
  for (std::int32_t tick = 0; tick < 30; ++tick) {
    TickBoundBalls(stage.state, stage.canvas);
    stage.canvas.EndFrame();
    for (std::size_t i = 0; i < 500; ++i) {
      const std::int32_t x = stage.state.Balls.BallX[i];
      ASSERT_TRUE(x == 0 || x == -4) << x;
      ASSERT_GE(stage.state.Balls.BallY[i], 0);
      ASSERT_LE(stage.state.Balls.BallY[i], 28);
    }
  }
  for (const std::int32_t s : stage.state.Flashes.FlashState)
    EXPECT_EQ(s, 0);
  // Nothing wipes the strip the balls are drawn into.
  bool any_ball_pixel = false;
  for (std::int32_t y = 0; y < 32; ++y)
    any_ball_pixel |= stage.canvas.Image1().At(1, y) != kBlack;
  EXPECT_TRUE(any_ball_pixel);
}

}  // namespace
}  // namespace marulex
