// Turn balls: a maze of walls and random blocks in which balls run straight ahead and turn a
// quarter turn, mostly to the right, whenever they face a wall.
#include "scene/atlas.h"
#include "scene/scenes.h"

namespace marulex {

namespace {

constexpr std::int32_t kCell = 8;

std::size_t CellIndex(const SceneState& s, std::int32_t x, std::int32_t y) {
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(s.GridCols) +
         static_cast<std::size_t>(x);
}

bool InteriorHasFreeCell(const SceneState& s) {
  for (std::int32_t y = 1; y < s.GridRows - 1; ++y) {
    for (std::int32_t x = 1; x < s.GridCols - 1; ++x) {
      if (s.CellGrid[CellIndex(s, x, y)] == 0) return true;
    }
  }
  return false;
}

}  // namespace

void SetUpTurnBalls(SceneState& s, RandomSource& random, Canvas& canvas, std::int32_t ball_count) {
  const std::int32_t cols = canvas.Width() / kCell;
  const std::int32_t rows = canvas.Height() / kCell;
  // Balls live on interior cells; a maze without any has no place for them.
  if (cols < 3 || rows < 3) {
    s.SceneKind = kNoScene;
    return;
  }
  s.ColourSet = random.Draw() % 3;
  s.GridCols = cols;
  s.GridRows = rows;
  s.CellGrid.assign(static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows), 1);
  for (std::int32_t y = 1; y < rows - 1; ++y) {
    for (std::int32_t x = 1; x < cols - 1; ++x) {
      s.CellGrid[CellIndex(s, x, y)] = random.Draw() % 7 == 0 ? 1 : 0;
    }
  }

  for (std::int32_t y = 0; y < rows; ++y) {
    for (std::int32_t x = 0; x < cols; ++x) {
      canvas.PaintBackground(CellSprite(s.CellGrid[CellIndex(s, x, y)], s.ColourSet), kCell * x,
                             kCell * y);
    }
  }

  // Placement retries until it draws a free cell, so without one it would never end.
  s.BallsInPlay = InteriorHasFreeCell(s) ? BallsToPlay(ball_count) : 0;
  BallTable& b = s.Balls;
  for (std::size_t i = 0; i < static_cast<std::size_t>(s.BallsInPlay); ++i) {
    std::int32_t x = 0;
    std::int32_t y = 0;
    do {
      x = random.Draw() % (cols - 2) + 1;
      y = random.Draw() % (rows - 2) + 1;
    } while (s.CellGrid[CellIndex(s, x, y)] == 1);
    b.BallX[i] = x;
    b.BallY[i] = y;
    b.BallAux[i] = random.Draw() % 4;
  }

  s.HeadingStep = {-cols, 1, cols, -1};
}

void TickTurnBalls(SceneState& s, RandomSource& random, Canvas& canvas) {
  canvas.BeginFrame(s.GridCols * kCell, s.GridRows * kCell);

  BallTable& b = s.Balls;
  const Rect ball = BigBallSprite(s.ColourSet);
  for (std::size_t i = 0; i < static_cast<std::size_t>(s.BallsInPlay); ++i) {
    std::int32_t x = b.BallX[i];
    std::int32_t y = b.BallY[i];
    std::int32_t h = b.BallAux[i];
    const auto ahead = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(CellIndex(s, x, y)) +
                                                s.HeadingStep[static_cast<std::size_t>(h)]);
    if (s.CellGrid[ahead] == 1) {
      // Facing a wall: stay, and turn right four times in five, left otherwise.
      h = random.Draw() % 5 != 0 ? (h + 1) % 4 : (h + 3) % 4;
    } else {
      switch (h) {
        case 0:
          --y;
          break;
        case 1:
          ++x;
          break;
        case 2:
          ++y;
          break;
        default:
          --x;
          break;
      }
    }
    canvas.DrawSprite(ball, kCell * x, kCell * y);
    b.BallX[i] = x;
    b.BallY[i] = y;
    b.BallAux[i] = h;
  }
}

}  // namespace marulex
