// Corinth: a pin board of 8 x 8 cells. A launcher sweeping the top row drops two balls a tick;
// balls fall, roll and reverse, leave through four gaps in the floor, and freeze into the board
// when trapped, so that the board fills up over a long run.
#include <algorithm>

#include "scene/atlas.h"
#include "scene/scenes.h"

namespace marulex {

namespace {

constexpr std::int32_t kCell = 8;
constexpr std::int32_t kSlots = 400;
constexpr std::int32_t kFreezeAt = 64;

std::size_t CellIndex(const SceneState& s, std::int32_t x, std::int32_t y) {
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(s.GridCols) +
         static_cast<std::size_t>(x);
}

bool Free(const SceneState& s, std::int32_t x, std::int32_t y) {
  return s.CellGrid[CellIndex(s, x, y)] == 0;
}

// Drops a ball at column x of the top row into the lowest free slot, if any.
void Drop(SceneState& s, std::int32_t x, std::int32_t direction) {
  BallTable& b = s.Balls;
  for (std::size_t slot = 0; slot < static_cast<std::size_t>(kSlots); ++slot) {
    if (b.BallState[slot] != 0) continue;
    b.BallState[slot] = 1;
    b.BallX[slot] = x;
    b.BallY[slot] = 0;
    b.BallDX[slot] = direction;
    ++s.CellBalls[CellIndex(s, x, 0)];
    return;
  }
}

}  // namespace

bool ck(const SceneState& s, std::int32_t x, std::int32_t y) {
  return s.CellBalls[CellIndex(s, x, y)] != 0;
}

void SetUpCorinth(SceneState& s, RandomSource& random, Canvas& canvas) {
  const std::int32_t cols = canvas.Width() / kCell;
  const std::int32_t rows = canvas.Height() / kCell;
  // The launcher's bounce needs three columns, and the board its three top rows and a floor.
  if (cols < 3 || rows < 4) {
    s.SceneKind = kNoScene;
    return;
  }
  s.ColourSet = random.Draw() % 3;
  s.SceneA = 0;
  s.SceneB = 1;
  s.GridCols = cols;
  s.GridRows = rows;
  // One extra row below the floor: what a ball standing in a gap sees beneath it.
  const std::size_t cells = static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows + 1);
  s.CellGrid.assign(cells, 0);
  s.CellBalls.assign(cells, 0);

  for (std::int32_t y = 0; y < rows - 1; ++y) {
    s.CellGrid[CellIndex(s, 0, y)] = 1;
    s.CellGrid[CellIndex(s, cols - 1, y)] = 1;
    if (y < 3) continue;  // the top three rows hold no pins
    for (std::int32_t x = 1; x < cols - 1; ++x) {
      s.CellGrid[CellIndex(s, x, y)] = random.Draw() % 4 == 0 ? 1 : 0;
    }
  }
  std::fill_n(s.CellGrid.begin() + static_cast<std::ptrdiff_t>(CellIndex(s, 0, rows - 1)), cols,
              std::uint8_t{1});
  // With fewer than five columns q is 0 and the floor keeps no gap.
  const std::int32_t q = cols / 5;
  if (q > 0) {
    for (std::int32_t k = 1; k <= 4; ++k)
      s.CellGrid[CellIndex(s, cols - k * q, rows - 1)] = 0;
  }

  for (std::int32_t y = 0; y < rows; ++y) {
    for (std::int32_t x = 0; x < cols; ++x) {
      canvas.PaintBackground(CellSprite(s.CellGrid[CellIndex(s, x, y)], s.ColourSet), kCell * x,
                             kCell * y);
    }
  }
}

void TickCorinth(SceneState& s, Canvas& canvas) {
  canvas.BeginFrame(s.GridCols * kCell, s.GridRows * kCell);

  s.SceneA += s.SceneB;
  if (s.SceneA == s.GridCols - 1) {
    s.SceneA = s.GridCols - 2;
    s.SceneB = -1;
  } else if (s.SceneA == 0) {
    s.SceneA = 1;
    s.SceneB = 1;
  }
  const std::int32_t direction = s.SceneA % 2 != 0 ? 1 : -1;
  Drop(s, s.SceneA, direction);
  Drop(s, s.GridCols - 1 - s.SceneA, direction);

  BallTable& b = s.Balls;
  const Rect ball = BigBallSprite(s.ColourSet);
  for (std::size_t slot = 0; slot < static_cast<std::size_t>(kSlots); ++slot) {
    if (b.BallState[slot] == 0) continue;
    const std::int32_t old_x = b.BallX[slot];
    const std::int32_t old_y = b.BallY[slot];
    std::int32_t x = old_x;
    std::int32_t y = old_y;
    std::int32_t d = b.BallDX[slot];
    if (Free(s, x, y + 1) && !ck(s, x, y + 1)) {
      ++y;
    } else if (Free(s, x + d, y) && !ck(s, x + d, y)) {
      x += d;
      b.BallState[slot] = 1;
    } else {
      d = -d;
      if (++b.BallState[slot] == kFreezeAt) {
        // Trapped long enough: the ball becomes part of the board and its slot is free again.
        b.BallState[slot] = 0;
        s.CellGrid[CellIndex(s, x, y)] = 1;
        canvas.PaintBackground(ball, kCell * x, kCell * y);
      }
    }
    --s.CellBalls[CellIndex(s, old_x, old_y)];
    if (y == s.GridRows) {
      b.BallState[slot] = 0;  // fell out through a gap in the floor
    } else {
      canvas.DrawSprite(ball, kCell * x, kCell * y);
      if (b.BallState[slot] != 0) ++s.CellBalls[CellIndex(s, x, y)];
    }
    b.BallX[slot] = x;
    b.BallY[slot] = y;
    b.BallDX[slot] = d;
  }
}

}  // namespace marulex
