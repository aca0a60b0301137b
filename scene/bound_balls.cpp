// Bound balls: small balls hopping in arcs over a field of 32 x 32 keys; a ball about to land
// well inside a key presses it for six frames.
#include <algorithm>
#include <cstdlib>

#include "scene/atlas.h"
#include "scene/scenes.h"

namespace marulex {

namespace {

constexpr std::int32_t kKey = 32;
constexpr std::int32_t kBall = 4;
constexpr auto kSlots = static_cast<std::size_t>(kFlashSlots);

// The lowest free flash slot from `from` on, or kSlots when all are busy. While the balls
// move, slots are only taken, never freed, so each search can start after the last slot taken.
std::size_t FreeFlashSlot(const FlashTable& flashes, std::size_t from) {
  while (from < kSlots && flashes.FlashState[from] != 0)
    ++from;
  return from;
}

// A landing at (px, py) presses the key under it when it comes down well inside the key and
// inside the field.
bool PressesKey(const SceneState& s, std::int32_t px, std::int32_t py) {
  if (px <= 0 || px >= s.SceneA || py <= 0 || py >= s.SceneB) return false;
  const std::int32_t across = px % kKey;
  const std::int32_t down = py % kKey;
  return across >= 2 && across <= 29 && down >= 2 && down <= 25;
}

}  // namespace

std::int32_t BallsToPlay(std::int32_t ball_count) {
  return std::clamp(ball_count, std::int32_t{0}, kBallCapacity);
}

void SetUpBoundBalls(SceneState& s, RandomSource& random, Canvas& canvas, std::int32_t ball_count) {
  s.ColourSet = random.Draw() % 3;
  s.GridCols = canvas.Width() / kKey;
  s.GridRows = canvas.Height() / kKey;
  // Below one key on an axis this is -4: every position on that axis collapses to 0 or -4.
  s.SceneA = s.GridCols * kKey - kBall;
  s.SceneB = s.GridRows * kKey - kBall;

  const Rect key = KeySprite(0, s.ColourSet);
  for (std::int32_t r = 0; r < s.GridRows; ++r) {
    for (std::int32_t c = 0; c < s.GridCols; ++c)
      canvas.PaintBackground(key, kKey * c, kKey * r);
  }

  s.BallsInPlay = BallsToPlay(ball_count);
  BallTable& b = s.Balls;
  for (std::size_t i = 0; i < static_cast<std::size_t>(s.BallsInPlay); ++i) {
    b.BallX[i] = random.Draw() % s.SceneA;
    b.BallY[i] = random.Draw() % s.SceneB;
    b.BallDX[i] = random.Draw() % 17 - 8;
    b.BallDY[i] = random.Draw() % 9 - 4;
    // Start the shadow where a ball starting at the top of its hop would land.
    const std::int32_t n = 4 - std::abs(b.BallDY[i]);
    b.BallAux[i] = b.BallY[i] + n * (n + 1) / 2;
  }
}

void TickBoundBalls(SceneState& s, Canvas& canvas) {
  canvas.BeginFrame(s.GridCols * kKey, s.GridRows * kKey);

  FlashTable& f = s.Flashes;
  for (std::size_t k = 0; k < kSlots; ++k) {
    const std::int32_t state = f.FlashState[k];
    if (state == 0) continue;
    canvas.DrawSprite(KeySprite(FlashFrameX[static_cast<std::size_t>(state)], s.ColourSet),
                      f.FlashX[k], f.FlashY[k]);
    f.FlashState[k] = state + 1 == 7 ? 0 : state + 1;
  }

  BallTable& b = s.Balls;
  const auto balls = static_cast<std::size_t>(s.BallsInPlay);
  const Rect shadow = ShadowSprite();
  for (std::size_t i = 0; i < balls; ++i) {
    // Drawn where this tick moves the ball, along its floor.
    if (b.BallY[i] < s.SceneB) canvas.DrawSprite(shadow, b.BallX[i] + b.BallDX[i], b.BallAux[i]);
  }

  const Rect ball = SmallBallSprite(s.ColourSet);
  std::size_t free_slot = FreeFlashSlot(f, 0);
  for (std::size_t i = 0; i < balls; ++i) {
    const std::int32_t dx = b.BallDX[i];
    std::int32_t x = b.BallX[i] + dx;
    std::int32_t y = b.BallY[i] + b.BallDY[i];
    std::int32_t dy = b.BallDY[i] + 1;
    if (dy == 4) {
      // The next tick lands the ball: press the key it comes down on, so the key moves in the
      // very frame the ball touches it.
      const std::int32_t px = x + dx;
      const std::int32_t py = y + 4;
      if (free_slot < kSlots && PressesKey(s, px, py)) {
        f.FlashState[free_slot] = 1;
        f.FlashX[free_slot] = px / kKey * kKey;
        f.FlashY[free_slot] = py / kKey * kKey;
        free_slot = FreeFlashSlot(f, free_slot + 1);
      }
    } else if (dy >= 5) {
      dy = -4;
      b.BallAux[i] = y;  // the floor before wrapping, so a wrapped hop keeps its height
    }
    if (x < 0) {
      x = s.SceneA;
    } else if (x > s.SceneA) {
      x = 0;
    }
    if (y < 0) {
      y = s.SceneB;
    } else if (y > s.SceneB) {
      y = 0;
    }
    canvas.DrawSprite(ball, x, y);
    b.BallX[i] = x;
    b.BallY[i] = y;
    b.BallDY[i] = dy;
  }
}

}  // namespace marulex
